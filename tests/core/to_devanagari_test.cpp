// Transliteration to Devanagari byte for byte, whole and streamed.

#include <random>

#include "conversion.h"
#include "syllable_rows.h"
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
           {"y before a blank writes the repha before its sign", "ry", "yR( "},
           {"r after a line feed opens a syllable", "\nrama", "\nrm "},
           {"r after CR LF", "\r\nrama", "\r\nrm "},
           {"tt retroflex", B({152, 152, "a"}), B({175, " "})},
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
  EXPECT_BYTES("k ", Convert("kaa", kV, true).Clipboard());
}

// kkṣ, kkṛ, kkr, jjñ and jjh: the same glyphs from every transliteration font.
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

TEST(ToDevanagari, DddAsksTheUserAndTheDashStateOutlivesTheRun) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, kV);
  const ConversionResult asked =
      ConvertToDevanagari(state, "uddbhava", false, [](const InputBoxRequest& request) {
        EXPECT_EQ(request.title, "CHECK LATER");
        return std::string("ignored");
      });
  ASSERT_EQ(asked.input_boxes.size(), 1u);
  EXPECT_EQ(asked.input_boxes[0].request.default_text, "Please check this manual!");
  EXPECT_EQ(asked.input_boxes[0].answer, "ignored");
  EXPECT_TRUE(asked.completed);

  EXPECT_BYTES(B({"tt(", 158, "Tvm( "}),
               ConvertToDevanagari(state, B({"tat", 150, "tvam"}), false).output);
  EXPECT_EQ(state.dash_state, kDashArmed);  // later dashes still work
  EXPECT_BYTES(B({"tt(", 158, "Tvm( "}), ConvertToDevanagari(state, "tat-tvam", false).output);
  // No look-ahead while waiting: "t" before "-" keeps its full form.
  state.dash_state = kDashWaiting;
  EXPECT_BYTES(B({"t(", 158, "k "}), ConvertToDevanagari(state, "t-ka", false).output);
}

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

struct StreamRun {
  std::string output;
  StreamEnd end;
  std::size_t passed_before_finish = 0;
  ConverterState state;  // after the run
};

struct Settings {
  ConverterState state;
  bool shift_m_to_n = false;
  int dash_mode = kDashAddAspirata;
  bool passes_on = true;  // ordinary text is passed on as it goes
};

// Feeds the input cut at the given offsets (ascending).
StreamRun Stream(const Settings& settings, std::string_view input,
                 const std::vector<std::size_t>& cuts, StreamOptions options) {
  StreamRun run;
  run.state = settings.state;
  run.state.dash_mode = settings.dash_mode;
  InputBox box = [n = 0](const InputBoxRequest&) mutable {
    return "answer " + std::to_string(++n);
  };
  ToDevanagariStream stream(
      run.state, settings.shift_m_to_n, box,
      [&run](std::string_view piece) { run.output.append(piece); }, options);
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    stream.Feed(input.substr(from, cut - from));
    from = cut;
  }
  stream.Feed(input.substr(from));
  run.passed_before_finish = run.output.size();
  run.end = stream.Finish();
  return run;
}

StreamRun Held(const Settings& settings, std::string_view input) {
  return Stream(settings, input, {}, {.clipboard = true, .hold_output = true});
}

void ExpectSameRun(const StreamRun& expected, const StreamRun& actual) {
  EXPECT_BYTES(expected.output, actual.output);
  EXPECT_EQ(expected.end.completed, actual.end.completed);
  ASSERT_EQ(expected.end.input_boxes.size(), actual.end.input_boxes.size());
  for (std::size_t i = 0; i < expected.end.input_boxes.size(); ++i) {
    EXPECT_EQ(expected.end.input_boxes[i].answer, actual.end.input_boxes[i].answer);
  }
  EXPECT_EQ(expected.state.dash_state, actual.state.dash_state);
}

std::vector<Settings> AllSettings() {
  std::vector<Settings> all;
  for (TranslitFont t : kTranslitFonts) {
    for (DevanagariFont d : kDevanagariFonts) {
      all.push_back({test::StateFor(t, d), false, kDashAddAspirata});
    }
  }
  all.push_back({MakeStartupState(), false, kDashAddAspirata});
  all.push_back({test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic), true,
                 kDashAddAspirata});
  all.push_back({test::StateFor(TranslitFont::kItrTransTimes, DevanagariFont::kSanskrit99), false,
                 kDashSkip});
  // Loaded tables under a name of their own; with removals that write
  // nothing, and with no syllable glyph in the short-i map (both hold).
  Settings own{test::StateFor(TranslitFont::kUrwPalladioIt, DevanagariFont::kDevNatrajItr), false,
               kDashAddAspirata};
  SetDevanagariBoxFont(own.state, "My Font");
  all.push_back(own);
  own.state.sanideva.full[Row::kApostrophe].clear();
  own.state.sanideva.full[Row::kDash].clear();
  own.passes_on = false;
  all.push_back(own);
  Settings no_syllables = all.front();
  no_syllables.state.short_i.fill("n");
  no_syllables.passes_on = false;
  all.push_back(no_syllables);
  return all;
}

StreamOptions PassOnAtOnce() { return {.clipboard = true, .pass_on_threshold = 1}; }

TEST(Stream, GitaInBlocksGivesTheWholeTextOutput) {
  for (const Settings& settings : AllSettings()) {
    const std::string gita = test::ReadFileBytes(
        test::GitaFile(FindTranslitFont(settings.state.translit_box_font).value()));
    const StreamRun whole = Held(settings, gita);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1; at < gita.size(); at += 1 + at % 7) cuts.push_back(at);
    const StreamRun streamed = Stream(settings, gita, cuts, PassOnAtOnce());
    ExpectSameRun(whole, streamed);
    // Ordinary text is passed on as it goes, not at the end.
    if (settings.passes_on) {
      EXPECT_GT(streamed.passed_before_finish, whole.output.size() - 1000);
    }
    // The whole-text face reads the same.
    ConverterState state = settings.state;
    state.dash_mode = settings.dash_mode;
    const ConversionResult result = ConvertToDevanagari(state, gita, settings.shift_m_to_n);
    EXPECT_BYTES(whole.output, result.output);
    EXPECT_BYTES(ClipboardText(whole.output, whole.end), result.Clipboard());
  }
}

TEST(Stream, RandomTextInRandomBlocks) {
  const std::string alphabet = B({"aaaiiiuueokgjtdnpbmyrlvsh  -_'/", 128, 133, 153, 141, 136, 131,
                                  137, 152, 129, 138, 143, 144, 150, 160, 10, "[", "~"});
  std::mt19937 random(7);
  const std::vector<Settings> all = AllSettings();
  for (int round = 0; round < 300; ++round) {
    const Settings& settings = all[random() % all.size()];
    std::string input(random() % 400, ' ');
    for (char& c : input) c = alphabet[random() % alphabet.size()];
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < input.size(); at += 1 + random() % 9) cuts.push_back(at);
    ExpectSameRun(Held(settings, input), Stream(settings, input, cuts, PassOnAtOnce()));
  }
}

// Half forms held back before short i signs, and runs that end early.
TEST(Stream, ShortTextsInEveryCut) {
  const Settings settings{test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic),
                          false, kDashAddAspirata};
  for (const std::string& input :
       {B({"krtsnam dharmi-ksetre 'pi ", 141, "i ddgi _-a ", 136, "i"}), std::string("'ka"),
        "'" + std::string(200, 'k'),
        "ka " + std::string(3000, 'b') + std::string(3000, 'i') + " ka"}) {
    const StreamRun whole = Held(settings, input);
    std::vector<std::vector<std::size_t>> cut_ways;
    if (input.size() < 300) {
      for (std::size_t cut = 0; cut <= input.size(); ++cut) cut_ways.push_back({cut});
    }
    cut_ways.emplace_back();
    for (std::size_t at = 100; at < input.size(); at += 100) cut_ways.back().push_back(at);
    for (const std::vector<std::size_t>& cuts : cut_ways) {
      SCOPED_TRACE(cuts.empty() ? 0 : cuts.front());
      ExpectSameRun(whole, Stream(settings, input, cuts, PassOnAtOnce()));
    }
  }
}

}  // namespace
}  // namespace sfc
