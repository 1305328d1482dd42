// Transliteration to Devanagari, whole conversions checked byte for byte.

#include <random>

#include "conversion.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

// Sanskrit-Times bytes of a few letters.
constexpr int kLongA = 128, kLongU = 153, kVocalicR = 141, kAnusvara = 136, kPalatalS = 143;
constexpr DevanagariFont kV = DevanagariFont::kVedic;
constexpr DevanagariFont kN = DevanagariFont::kDevNatrajItr;
constexpr DevanagariFont kS = DevanagariFont::kSanskrit99;

ConversionResult Convert(std::string_view input, DevanagariFont font = kV,
                         bool shift_m_to_n = false, int dash_mode = kDashAddAspirata) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  state.dash_mode = dash_mode;
  return ConvertToDevanagari(state, input, shift_m_to_n);
}

TEST(ToDevanagari, TheRulesWriteTheseGlyphs) {
  struct Case {
    const char* rule;
    std::string input;
    std::string expected;
    DevanagariFont font = kV;
    bool shift_m_to_n = false;
    int dash_mode = kDashAddAspirata;
  };
  for (const Case& c : std::vector<Case>{
           {"the padding space is converted too", "ka", "k "},
           {"half before a blank", "k ", "k(  "},
           {"kt", "kta", B({255, "_ "})},
           {"full before a vowel, half before a consonant", "namaste", "nmSte "},
           {"empty", "", " "},
           {"half before a line break", "k\r", "K\r "},
           {"dy is the longest key on the way to dybh", "dybha", B({180, "(. "})},
           {"kk before h: half k, then kh", "kkha", "K% "},
           {"cc before h: half c, then ch", "ccha", "Cz "},
           {"alternative space after kt", B({"kt", 160, "a"}), B({255, "_", 31, " "})},
           {"alternative space before t", B({"k", 160, "ta"}), B({"K", 31, "t "})},
           {"m before t", "mt", "Mt( "},
           {"shift m to n", "mt", "Nt( ", kV, true},
           {"shift m to n before h", "mh", "'h( ", kV, true},
           {"shift m to n before t", B({"m", 152}), "<$( ", kV, true},
           {"no dhn glyph in Dev Natraj ITR: dh and n", "dhna", B({134, 140, " "}), kN},
           {"hy in Dev Natraj ITR", "hya", B({216, " "}), kN},
           {"ai at a word's start", "ai", "Ee "},
           {"ai after a consonant", "kai", "kw "},
           {"o and the anusvara", B({"o", kAnusvara}), B({209, " "})},
           {"u joined to k", "ku", B({"k", 218, " "})},
           {"u joined to k, Dev Natraj ITR", "ku", B({"N", 236, " "}), kN},
           {"long a", B({kLongA, "k", kLongA}), "a;k; "},
           {"the avagraha takes the space", "so 'ham", B({"so", 140, "hm( "})},
           {"a separate a with shift m to n", "kaa", B({"k", 27, " "}), kV, true},
           {"short i goes before its cluster", "ki", "ik "},
           {"the wide sign before a long cluster", "ski", B({178, "Sk "})},
           {"r_2 keeps the narrow sign", "bri", "ib[ "},
           {"two short i", "sthiti", B({178, "Sqit "})},
           {"short i before a half form and its stroke", "tti", B({"v", 220, 231, " "}), kN},
           {"kt counts as one syllable", "bhakti", B({".", 178, 255, "_ "})},
           {"kt after yu", "yukti", B({"yu", 178, 255, "_ "})},
           {"r opens a syllable", "rka", "kR "},
           {"the pending repha is written once", "rk ka", "k(R k "},
           {"r after a line feed opens a syllable", "\nrama", "\nrm "},
           {"r after CR LF", "\r\nrama", "\r\nrm "},
           {"pr", "pra", "p[ "},
           {"jr", "jra", "j^ "},
           {"jr at the end", "jr", "j^( "},
           {"r after n keeps the n", "nra", "n^ "},
           {"r after n, Dev Natraj ITR", "nra", B({140, "~ "}), kN},
           {"Sanskrit 99 r forms", B({129, "ra"}), B({"f", 225, "r "}), kS},
           {"the repha after the vowel sign", B({"s", kLongU, "rye"}), "sUyeR "},
           {"the repha after a long a", B({"paryup", kLongA, "sate"}), "pyuRp;ste "},
           {"open y replaces the aspirata sign of half ch", "chya", B({"z", 228, " "})},
           {"open y after half t", B({129, "ya"}), B({64, 228, " "})},
           {"after half dd the aspirata sign stays", "ddya", B({182, "(y "})},
           {"anusvara after half r", B({"rk", kLongA, kAnusvara}), B({"k;", 124, " "})},
           {"anusvara", B({"ka", kAnusvara}), B({"k", 39, " "})},
           {"punctuation and digits", "`,12", B({3, 4, "12 "})},
           {"each slash on its own", "//", ")) "},
           {"x", "xa", B({202, 27, " "})},
           {"underscore before a dash after a consonant", "tat-tvam", B({"tt(", 158, "Tvm( "})},
           {"dash skipped: tattvam", "tat-tvam", B({"t", 255, "vm( "}), kV, false, kDashSkip},
           {"the long dash reads as a dash", B({"tat", 150, "tvam"}), B({"tt(", 158, "Tvm( "})},
           {"an a after the long dash begins a word", B({"t", 150, "a"}), B({"t", 158, "a "})},
           {"capitals are dropped", "kaQ", "k "},
           {"capital K", "Ka", " "},
           {"unknown bytes", B({200, 201}), " "},
       }) {
    SCOPED_TRACE(c.rule);
    const ConversionResult result = Convert(c.input, c.font, c.shift_m_to_n, c.dash_mode);
    EXPECT_TRUE(result.completed);
    EXPECT_BYTES(c.expected, result.output);
  }
  // The mark of a separate a is not on the clipboard.
  EXPECT_BYTES("k ", Convert("kaa", kV, true).clipboard);
}

// kkṣ, kkṛ, kkr, jjñ and jjh: the same glyphs from every transliteration
// font, whose ṣ, ṛ and ñ lie at bytes of their own (the URW Palladio IT ṣ is
// the Sanskrit-Times ñ).
TEST(ToDevanagari, DoubledConsonantsBeforeLettersOfEveryTransliterationFont) {
  struct Glyphs {
    DevanagariFont font;
    std::string kks, kkr_vocalic, kkr, jjn, jjh;
  };
  const Glyphs expected[] = {
      {kV, "K= ", B({"K", 213, "t "}), B({"K", 163, " "}), "JD ", "JZ "},
      {kN, "Mq ", "MNwo ", B({"MN", 192, " "}), "[r ", "[^ "},
      {kS, "K] ", B({"Kk", 171, "t "}), B({"K", 179, " "}), "J} ", "JH "},
  };
  for (TranslitFont translit : kTranslitFonts) {
    const TranslitLetters& letters = GetTranslitLetters(translit);
    for (const Glyphs& glyphs : expected) {
      SCOPED_TRACE(std::string(FontName(translit)) + " / " + std::string(FontName(glyphs.font)));
      auto convert = [&](const std::string& text) {
        ConverterState state = test::StateFor(translit, glyphs.font);
        const ConversionResult result = ConvertToDevanagari(state, text, false);
        EXPECT_TRUE(result.completed) << test::Show(text);
        return result.output;
      };
      EXPECT_BYTES(glyphs.kks, convert(B({"kk", letters[Letter::kRetroflexS], "a"})));
      EXPECT_BYTES(glyphs.kkr_vocalic, convert(B({"kk", letters[Letter::kVocalicR], "ta"})));
      EXPECT_BYTES(glyphs.kkr, convert("kkra"));
      EXPECT_BYTES(glyphs.jjn, convert(B({"jj", letters[Letter::kPalatalN], "a"})));
      EXPECT_BYTES(glyphs.jjh, convert("jjha"));
    }
  }
}

TEST(ToDevanagari, DddAsksTheUser) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, kV);
  int asked = 0;
  const ConversionResult result =
      ConvertToDevanagari(state, "uddbhava", false, [&](const InputBoxRequest& request) {
        ++asked;
        EXPECT_EQ(request.title, "CHECK LATER");
        return std::string("ignored");
      });
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(result.input_boxes.size(), 1u);
  EXPECT_EQ(result.input_boxes[0].request.default_text, "Please check this manual!");
  EXPECT_EQ(result.input_boxes[0].answer, "ignored");
  EXPECT_TRUE(result.completed);
}

TEST(ToDevanagari, TheDashStateOutlivesTheRun) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, kV);
  EXPECT_BYTES(B({"tt(", 158, "Tvm( "}),
               ConvertToDevanagari(state, B({"tat", 150, "tvam"}), false).output);
  EXPECT_EQ(state.dash_state, kDashArmed);  // later dashes still work
  EXPECT_BYTES(B({"tt(", 158, "Tvm( "}), ConvertToDevanagari(state, "tat-tvam", false).output);
  // No look-ahead while waiting: "t" before "-" keeps its full form.
  state.dash_state = kDashWaiting;
  EXPECT_BYTES(B({"t(", 158, "k "}), ConvertToDevanagari(state, "t-ka", false).output);
}

TEST(ToDevanagari, AFailingStepCutsTheRunShortAndTheClipboardHoldsTheWholeOutput) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, kV);
  const std::string line = test::ReadLines(test::GitaFile(TranslitFont::kSanskritTimes))[0];
  ConversionResult result = ConvertToDevanagari(state, line, false);
  EXPECT_TRUE(result.completed);
  EXPECT_BYTES(result.output, result.clipboard);
  EXPECT_EQ(result.padded_input, " " + line + " ");
  state.sanideva.full[189].clear();  // "_" writes nothing, so "-" has no byte to remove
  result = ConvertToDevanagari(state, "_-kakaka", false);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.padded_input, " _-kakaka ");
}

// Every Gita line, in each transliteration font, converts to the end in
// every Devanagari font; the same text in any transliteration font gives the
// same Devanagari.
TEST(ToDevanagari, EveryGitaLineCompletesForAllNinePairsAndTheFontsAgree) {
  for (DevanagariFont devanagari : kDevanagariFonts) {
    std::vector<std::string> outputs;
    for (TranslitFont translit : kTranslitFonts) {
      const std::vector<std::string> lines = test::ReadLines(test::GitaFile(translit));
      ASSERT_EQ(lines.size(), 701u);
      ConverterState state = test::StateFor(translit, devanagari);
      int cut_short = 0;
      for (const std::string& line : lines) {
        const ConversionResult result = ConvertToDevanagari(state, line, false);
        if (!result.completed) ++cut_short;
        EXPECT_FALSE(result.output.empty());
      }
      EXPECT_EQ(cut_short, 0) << FontName(translit) << " / " << FontName(devanagari);
      EXPECT_EQ(state.dash_state, kDashArmed);
      outputs.push_back(
          ConvertToDevanagari(state, test::ReadFileBytes(test::GitaFile(translit)), false).output);
    }
    EXPECT_BYTES(outputs[0], outputs[1]);
    EXPECT_BYTES(outputs[0], outputs[2]);
  }
}

// Any bytes end in a defined result; a run that is cut short leaves at
// least three letters unread, which needs a failing step.
TEST(ToDevanagari, RandomBytesNeverBreakTheConversion) {
  std::mt19937 random(20261206);
  const std::string letters = B({"aeioukgcjtdnpbmyrlvsh '-_/\r\n", kLongA, kLongU, kVocalicR,
                                 kAnusvara, kPalatalS, 150, 160, 129, 137, 144, 152});
  for (int round = 0; round < 3000; ++round) {
    const bool any_byte = round % 2 == 0;
    std::string input(random() % 64, '\0');
    for (char& c : input) {
      c = any_byte ? static_cast<char>(random() % 256) : letters[random() % letters.size()];
    }
    ConverterState state =
        test::StateFor(kTranslitFonts[random() % 3], kDevanagariFonts[random() % 3]);
    state.dash_mode = static_cast<int>(random() % 3);
    const ConversionResult result = ConvertToDevanagari(state, input, random() % 2 == 0);
    EXPECT_TRUE(result.completed) << test::Show(input);
  }
}

}  // namespace
}  // namespace sfc
