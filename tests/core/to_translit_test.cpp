// Devanagari to transliteration, byte for byte, in Sanskrit-Times letters
// unless a test says otherwise; every output ends in the padding's space.

#include <random>

#include "conversion.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

// Sanskrit-Times bytes of a few letters.
constexpr int kLongA = 128, kAnusvara = 136, kVelarN = 137, kVocalicR = 141, kVocalicL = 134;
constexpr int kPalatalS = 143, kRetroflexT = 152;

ConversionResult Convert(DevanagariFont font, std::string_view input, const InputBox& box = {}) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  return RunDevanagariToTranslitCommand(state, input, box);
}

TEST(ToTranslitRun, OutputClipboardAndPaddedInput) {
  struct Case {
    std::string input;
    bool completed;
    std::string output;
    std::string clipboard;
  };
  for (const Case& c : std::vector<Case>{
           {"", true, " ", " "},  // the padding space
           // A glyph with an empty entry cuts the run short.
           {B({"k", 0, "k"}), false, "ka", "ka"},
           {B({"ka", 0, "k"}), false, "ka", "ka"},  // after a full vowel too
           // The r glyph only inserts; the run is then cut short before
           // anything else is appended, so the clipboard misses the r.
           {B({"mR", 0}), false, "rma", "ma"},
           {B({"k", 27, "k"}), true, "kaaka ", "kaaka "},  // 27 is a separate a
           // Tab and line ends pass without asking.
           {"k\tk\r\nk", true, "ka\tka\r\nka ", "ka\tka\r\nka "},
       }) {
    SCOPED_TRACE(test::Show(c.input));
    const ConversionResult result = Convert(DevanagariFont::kVedic, c.input);
    EXPECT_EQ(result.completed, c.completed);
    EXPECT_BYTES(c.output, result.output);
    EXPECT_BYTES(c.clipboard, result.Clipboard());
    EXPECT_TRUE(result.input_boxes.empty());
  }
  // The Devanagari box takes the Devanagari font in force.
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  state.devanagari_box_font = "Some Other Font";
  ConvertDevanagariToTranslit(state, "k");
  EXPECT_EQ(state.devanagari_box_font, "Vedic");
}

constexpr DevanagariFont kV = DevanagariFont::kVedic;
constexpr DevanagariFont kN = DevanagariFont::kDevNatrajItr;
constexpr DevanagariFont kS = DevanagariFont::kSanskrit99;

TEST(ToTranslitRules, GlyphsReadByTheRulesOfTheirClasses) {
  struct Case {
    const char* rule;
    DevanagariFont font;
    std::string input;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"a kept before a consonant", kV, "km", "kama "},
           {"a dropped before signs", kV, "k;kekO", B({"k", kLongA, "kek", kVocalicR, " "})},
           {"the virama takes the a, writes nothing", kV, "d(", "d "},
           {"a text without a final a", kV, B({184, "k"}), B({"d", kVocalicR, "ka "})},
           {"short i after its syllable", kV, "ikmik", "kimaki "},
           {"short i waits for the back-r form", kV, "ip[", "pri "},
           {"short i keeps the a before it", kS, B({201, "vit"}), "bhavati "},
           {"r glyph before the last syllable", kV, "/mR", "dharma "},
           {"r after the space of the word", kV, "k mR", "ka rma "},
           {"vowel marks passed first", kV, "/m;R", B({"dharm", kLongA, " "})},
           {"a count that reaches the start", kV, "mR", "rma "},
           {"the run goes on after it", kN, B({"F", 124, " N"}), "r i ka "},
           {"mr glyph: r and the anusvara", kV, B({"sv", 124}), B({"sarva", kAnusvara, " "})},
           {"mr glyph after a long a", kV, B({"k;y", 124}),
            B({"k", kLongA, "rya", kAnusvara, " "})},
           {"mr glyph, Sanskrit 99", kS, B({"sv", 161}), B({"sarva", kAnusvara, " "})},
           {"mr glyph counts from the letter before the last", kV, B({"kK", 124}),
            B({"rkak", kAnusvara, " "})},
           {"half forms as they stand", kV, "KTy", "ktya "},
           {"tt before the long-a sign", kV, B({255, ";"}), B({"tt", kLongA, " "})},
           {"tt before a consonant", kV, B({"s", 255, "v"}), "sattva "},
           {"tt and underscore read kt", kV, B({"yu", 255, "_"}), "yukta "},
           {"kt before a sign", kV, B({"yu", 255, "_;"}), B({"yukt", kLongA, " "})},
           {"no kt outside Vedic", kS, B({197, "_"}), "ttbh "},
           {"half cc with the stroke", kN, B({128, 231}), "cca "},
           {"half tt with the stroke", kN, B({220, 231}), "tta "},
           {"half s with the stroke", kN, B({199, 231}), B({kPalatalS, "a "})},
           {"long a and O", kV, ";O", B({kVocalicL, " "})},
           {"long a and x", kN, B({231, "x"}), B({kVocalicL, " "})},
           {"long a and 171", kS, B({"a", 171}), B({kVocalicL, " "})},
           {"o as long a and e", kS, "kae", "ko "},
           {"au as long a and ai", kS, "kaE", "kau "},
           {"o with the anusvara", kN, B({"N", 231, 245}), B({"ko", kAnusvara, " "})},
           {"au with the anusvara", kN, B({"N", 231, 248}), B({"kau", kAnusvara, " "})},
           {"Vedic has signs of its own", kV, "k;e", B({"k", kLongA, "e "})},
           {"o in Dev Natraj ITR", kN, B({"N", 231, "z"}), "ko "},
           {"a stroke is no long a", kN, B({128, 231, "z"}), "cce "},
           {"the flag lasts two steps", kN, B({128, 231, 231, "z"}), B({"cc", kLongA, "e "})},
           {"and ends after them", kN, B({128, 231, "N", 231, "z"}), "ccako "},
           {"long a after a flag setter", kN, B({39, 231, "z"}), B({" ", kLongA, "e "})},
           {"digits and spaces", kV, "12 3", "12 3 "},
           {"class 8 texts", kV, B({15, 209}), B({":o", kAnusvara, " "})},
           {"a pending i after a class 8 text", kV, B({"i", 15, "k"}), ":ika "},
           {"la", kV, "l", "la "},
           {"la before a sign", kV, "l;", B({"l", kLongA, " "})},
           {"la and O", kV, "lO", B({kVocalicL, " "})},
           {"la and 171 of Sanskrit 99", kS, B({"l", 171}), B({kVocalicL, " "})},
           {"half_r", kV, "p[", "pra "},
           {"half_r before a sign", kV, "p[e", "pre "},
           {"half_rr", kV, B({"p", 137}), "pra "},
           {"half_R of Sanskrit 99", kS, "p+", "pra "},
           {"open y of Sanskrit 99", kS, "p(", "pya "},
           {"n glyph", kN, B({170, 146}), "mna "},
           {"n glyph writes the pending i", kN, B({117, "T", 215}), "gni "},
           {"nam", kV, "\\", B({241, "a", kAnusvara, " "})},
           {"slash", kV, ")", "/ "},
           {"apostrophe", kV, B({"so", 140, "h"}), "so 'ha "},
           {"aspirata", kV, B({"k", 170}), "k "},
           {"kt before the last consonants", kV, "sTT_", "sakta "},
           {"kt at the start", kV, "T_", "kta "},
           {"open y", kV, B({"p", 228}), "pya "},
           {"open y before a sign", kV, B({"p", 228, ";"}), B({"py", kLongA, " "})},
           {"a class-5 glyph without a role", kN, "NKN", "kaka "},
           {"a and long a", kV, "a;", B({" ", kLongA, " "})},
           {"a and o", kV, "ao", " o "},
           {"e and e", kV, "Ee", " ai "},
           {"a and au", kV, "a*", " au "},
           {"a alone", kV, "ak", " aka "},
           {"a, long a, e", kN, B({"E", 231, "z"}), " o "},
           {"e and e sign", kN, "Lz", " ai "},
           {"a, long a, e sign", kS, "Aae", " o "},
           {"a, long a, ai sign", kS, "AaE", " au "},
           {"42 is dya here", kS, "A*", " adya "},
           {"111 is ta here", kN, "Lo", " eta "},
           {"small ma joins", kN, B({"W", 150}), B({kVelarN, "ma "})},
           {"small ka before a sign", kN, B({"W", 148, 231}), B({kVelarN, "k", kLongA, " "})},
           {"tt with its a", kN, B({102}), B({kRetroflexT, kRetroflexT, "a "})},
           {"nkha", kS, B({140}), B({kVelarN, "kha "})},
           {"ghna", kS, B({185}), "ghna "},
           {"vocalic r sign", kS, B({"k", 175}), B({"k", kVocalicR, " "})},
       }) {
    SCOPED_TRACE(c.rule);
    const ConversionResult result = Convert(c.font, c.input);
    EXPECT_TRUE(result.completed);
    EXPECT_BYTES(c.expected, result.output);
  }
}

TEST(ToTranslitAsk, EachGlyphAsksWithItselfAsTheDefault) {
  const InputBox box = [](const InputBoxRequest&) { return std::string("X"); };
  const ConversionResult answered = Convert(DevanagariFont::kVedic, B({"k", 143, 143}), box);
  EXPECT_BYTES("kaXX ", answered.output);
  ASSERT_EQ(answered.input_boxes.size(), 2U);
  EXPECT_EQ(answered.input_boxes[0].request.prompt, "Enter new character for this code!");
  EXPECT_BYTES(B({143}), answered.input_boxes[0].request.default_text);

  const ConversionResult defaulted = Convert(DevanagariFont::kVedic, B({"k", 143}));
  EXPECT_BYTES(B({"ka", 143, " "}), defaulted.output);
  EXPECT_EQ(defaulted.input_boxes.size(), 1U);
}

TEST(ToTranslitAnyBytes, EveryRunEndsAndOnlyAnEmptyEntryCutsItShort) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 64);
  for (const DevanagariFont font : kDevanagariFonts) {
    ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
    for (int run = 0; run < 3000; ++run) {
      std::string input(static_cast<std::size_t>(length(random)), '\0');
      for (char& c : input) c = static_cast<char>(byte(random));
      const ConversionResult result = RunDevanagariToTranslitCommand(state, input);
      // Byte 0 is the only glyph without an entry in the built-in tables.
      EXPECT_EQ(result.completed, input.find('\0') == std::string::npos) << test::Show(input);
    }
  }
}

}  // namespace
}  // namespace sfc
