// sfconv convert: its chains, the blanks it keeps, the Gita through legacy
// fonts, a Devanagari font from code-table files, and --from auto.

#include <array>
#include <map>
#include <sstream>
#include <tuple>

#include "chain.h"
#include "run_sfconv.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::DataLines;
using test::Outcome;
using test::Sfconv;
using test::Words;

const std::array<const char*, 8> kForms = {"Vedic",          "Dev Natraj ITR", "Sanskrit 99",
                                           "Sanskrit-Times", "ITRTransTimes",  "URW Palladio IT",
                                           "iast",           "devanagari"};
const std::array<const char*, 3> kLegacyFonts = {"Vedic", "Dev Natraj ITR", "Sanskrit 99"};

bool IsBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Every run of blanks and tabs and every line end, each word as one 'x'.
std::string BlankSkeleton(std::string_view text) {
  std::string skeleton;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsBlankOrLineEnd(text[i])) {
      skeleton += text[i];
    } else if (i == 0 || IsBlankOrLineEnd(text[i - 1])) {
      skeleton += 'x';
    }
  }
  return skeleton;
}

std::string WithoutBlanks(std::string text) {
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
  return text;
}

std::string Convert(const std::string& from, const std::string& to, const std::string& input,
                    const std::string& tables = "") {
  std::vector<std::string> args = {"convert", "--from", from, "--to", to};
  if (!tables.empty()) args.insert(args.end(), {"--tables", tables});
  const Outcome outcome = Sfconv(args, input);
  EXPECT_EQ(outcome.status, 0) << from << " -> " << to << " " << tables << ": " << outcome.err;
  return outcome.out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The whole Gita in each form; the Devanagari fonts from Sanskrit-Times.
const std::map<std::string, std::string>& Gita() {
  static const std::map<std::string, std::string> gita = [] {
    std::map<std::string, std::string> texts = {
        {"Sanskrit-Times", DataLines("gita.sanskrit-times.txt", 701)},
        {"ITRTransTimes", DataLines("gita.itrtranstimes.txt", 701)},
        {"URW Palladio IT", DataLines("gita.urw-palladio-it.txt", 701)},
        {"iast", DataLines("gita.iast.txt", 701)},
        {"devanagari", DataLines("gita.devanagari.txt", 701)}};
    for (const char* font : kLegacyFonts) {
      std::string legacy = Sfconv({"to-devanagari", "-d", font}, texts["Sanskrit-Times"]).out;
      if (legacy.ends_with("\n ")) legacy.pop_back();
      texts[font] = legacy;
    }
    return texts;
  }();
  return gita;
}

// One conversion gives that conversion's letters; chains meet through their pivot.
TEST(Convert, ChainsMeetThroughTheirPivot) {
  const std::string text = DataLines("gita.sanskrit-times.txt", 20);
  const std::string s99 = Sfconv(Words("to-devanagari -d 'Sanskrit 99'"), text).out;
  EXPECT_BYTES(WithoutBlanks(s99), WithoutBlanks(Convert("Sanskrit-Times", "Sanskrit 99", text)));
  EXPECT_BYTES(
      WithoutBlanks(Sfconv(Words("to-translit -d 'Sanskrit 99' -t ITRTransTimes"), s99).out),
      WithoutBlanks(Convert("Sanskrit 99", "ITRTransTimes", s99)));
  // Font to font in one step is the two-step chain.
  for (const char* from : kLegacyFonts) {
    for (const char* to : kLegacyFonts) {
      const std::string& gita = Gita().at(from);
      EXPECT_BYTES(Convert("Sanskrit-Times", to, Convert(from, "Sanskrit-Times", gita)),
                   Convert(from, to, gita));
    }
  }
  EXPECT_BYTES(
      DataLines("gita.urw-palladio-it.txt", 50),
      Convert("Sanskrit-Times", "URW Palladio IT", DataLines("gita.sanskrit-times.txt", 50)));
  EXPECT_BYTES(DataLines("gita.itrtranstimes.txt", 50),
               Convert("iast", "ITRTransTimes", DataLines("gita.iast.txt", 50)));
  // Legacy Devanagari reaches Unicode through the transliteration it reads as.
  const std::string iast = DataLines("gita.iast.txt", 30);
  const std::string iast_s99 = Convert("iast", "Sanskrit 99", iast);
  EXPECT_EQ(Convert("Sanskrit 99", "devanagari", iast_s99),
            Convert("iast", "devanagari", Convert("Sanskrit 99", "iast", iast_s99)));
  EXPECT_EQ(Convert("devanagari", "Sanskrit 99", Convert("iast", "devanagari", iast)), iast_s99);
  EXPECT_EQ(Convert("iast", "Vedic", "namaste"), Convert("Sanskrit-Times", "Vedic", "namaste"));
  EXPECT_EQ(Convert("iast", "devanagari", " namaste\n"), " नमस्ते\n");
  EXPECT_EQ(Convert("devanagari", "Vedic", " नमस्ते "),
            Convert("Sanskrit-Times", "Vedic", " namaste "));
}

// The words of the text with blanks and tabs of several kinds between and
// around them, some CRs before LFs, some blank or empty lines.
std::string Roughen(const std::string& text) {
  static const std::array<const char*, 6> kRuns = {" ", "  ", "\t", " \t", "\t\t ", "   "};
  std::string rough;
  std::size_t line_number = 0;
  for (const std::string& line : Lines(text)) {
    std::istringstream words(line);
    std::size_t gap = line_number;
    if (line_number % 4 == 1) rough += "\t ";
    bool first = true;
    for (std::string word; words >> word; first = false) {
      if (!first) rough += kRuns[gap++ % kRuns.size()];
      rough += word;
    }
    if (line_number % 3 == 2) rough += "  ";
    if (line_number % 10 == 7) rough += '\r';
    rough += '\n';
    if (line_number % 50 == 3) rough += "\n \t\n";
    ++line_number;
  }
  return rough;
}

TEST(ConvertBlanks, EveryPairOfFormsOverTheWholeGita) {
  for (const char* from : kForms) {
    const std::string input = " \n\t" + Roughen(Gita().at(from)) + "\t ";
    for (const char* to : kForms) {
      EXPECT_EQ(BlankSkeleton(input), BlankSkeleton(Convert(from, to, input)))
          << from << " -> " << to;
    }
  }
}

TEST(ConvertBlanks, LongRunsComeOutWhole) {
  const std::string text =
      "ka" + test::Repeat(" \t", 1000) + "ka" + std::string(200000, ' ') + "ka\n";
  EXPECT_EQ(text, Convert("Vedic", "iast", Convert("iast", "Vedic", text)));
}

TEST(ConvertBlanks, TheWindowsUnicodeFacesKeepThemToo) {
  Session session;
  session.PressDevanagariFontButton(DevanagariFont::kVedic);
  session.PressTranslitFontButton(TranslitFont::kSanskritTimes);
  const std::string vedic = Convert("iast", "Vedic", "\tarjuna  uvāca |\n");
  EXPECT_EQ(session.ToUnicode(vedic, TextBox::kDevanagari), "\tअर्जुन  उवाच ।\n");
  EXPECT_EQ(session.FromUnicode("\tअर्जुन  उवाच ।\n", TextBox::kDevanagari).bytes, vedic);
}

TEST(ConvertBlanks, ATablesOwnBlankIsNotWrittenAndAVowelInHiatusStaysApart) {
  for (const char* font : kLegacyFonts) {
    // Vedic reads an independent vowel and the avagraha with a blank before.
    const std::string legacy = Convert("iast", font, "arjuna uvāca | tumulo'bhavat\n");
    EXPECT_EQ(Convert(font, "iast", legacy), "arjuna uvāca | tumulo'bhavat\n") << font;
    EXPECT_EQ(Convert(font, "devanagari", legacy), "अर्जुन उवाच । तुमुलोऽभवत्\n") << font;
    // "pra uga" is प्रउग, "prauga" would be प्रौग: the tables write a blank.
    std::string hiatus = Sfconv({"to-devanagari", "-d", font}, "pra uga titaü").out;
    ASSERT_NE(hiatus.find(' '), std::string::npos);
    hiatus.erase(hiatus.find(' '), 1);  // as the glyphs stand in a document
    EXPECT_EQ(WithoutBlanks(Convert(font, "devanagari", hiatus)).substr(0, 15), "प्रउग") << font;
    EXPECT_EQ(Convert(font, "iast", hiatus).substr(0, 7), "praüga") << font;
    EXPECT_EQ(Convert(font, "Sanskrit-Times", hiatus).substr(0, 7), "pra uga") << font;
  }
}

// A chain of convert, built as convert builds it, fed in blocks.
std::string ConvertInBlocks(const ChainPlan& plan, const std::vector<std::string_view>& blocks) {
  std::string output;
  ConversionChain chain([&output](std::string_view piece) { output.append(piece); }, {}, {});
  const SessionMaker make_session = [](Direction direction, const std::string& devanagari,
                                       TranslitFont translit) {
    Session session;
    session.PressDevanagariFontButton(*FindDevanagariFont(devanagari));
    session.PressTranslitFontButton(translit);
    session.ChooseDirection(direction);
    return session;
  };
  BuildChain(chain, plan, make_session, {});
  for (std::string_view block : blocks) chain.Feed(block);
  chain.Finish();
  return output;
}

TEST(ConvertBlanks, AnyCutOfTheInputGivesTheSameOutput) {
  const std::string vedic = Convert("iast", "Vedic", " arjuna \t uvāca\n\n tumulo'bhavat  \n");
  const std::string iast = " kṛṣṇa  \tarjuna\r\n\t";
  using enum TextForm;
  constexpr TranslitFont kPivot = TranslitFont::kSanskritTimes;
  for (const auto& [plan, text] : std::vector<std::pair<ChainPlan, std::string>>{
           {{kDevanagariFont, "Vedic", kDevanagariUnicode, "", kPivot, true}, vedic},
           {{kDevanagariFont, "Vedic", kDevanagariFont, "Sanskrit 99", kPivot, true}, vedic},
           {{kIast, "", kDevanagariFont, "Dev Natraj ITR", kPivot, true}, iast},
           {{kIast, "", kTranslitFont, "ITRTransTimes", kPivot, true}, iast},
       }) {
    const std::string_view all(text);
    const std::string whole = ConvertInBlocks(plan, {all});
    EXPECT_EQ(BlankSkeleton(text), BlankSkeleton(whole));
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
      EXPECT_EQ(whole, ConvertInBlocks(plan, {all.substr(0, cut), all.substr(cut)}))
          << "cut at " << cut;
    }
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < all.size(); ++i) bytes.push_back(all.substr(i, 1));
    EXPECT_EQ(whole, ConvertInBlocks(plan, bytes)) << "one byte a block";
  }
}

TEST(ConvertBlanks, ReportGivesThePositionsOfTheInput) {
  // Without --report, only how many.
  EXPECT_NE(Sfconv(Words("convert --from iast --to Vedic"), "ka\nkḻa x\n")
                .err.find("sfconv: 1 character(s) did not convert; --report lists them"),
            std::string::npos);
  // ḻ (in no font) and 'Q' (no rule) after blanks, at their line and column,
  // far into a long block too.
  const std::string long_text = "ka \t kaQ\n" + test::Repeat("ka  ka\tka\n", 30000) + " kaQ\n";
  struct Case {
    const char* from;
    std::string text;
    std::vector<std::string> told;
  };
  for (const Case& c : std::vector<Case>{
           {"iast", "ka\n \t kaḻa  ḻ\n", {"line 2, column 6: U+1E3B", "line 2, column 10: U+1E3B"}},
           {"Sanskrit-Times", long_text, {"line 1, column 8: 'Q'", "line 30002, column 4: 'Q'"}}}) {
    const Outcome run =
        Sfconv(Words(std::string("convert --to Vedic --report --from ") + c.from), c.text);
    std::vector<std::string> told;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("sfconv: line ")) told.push_back(line.substr(8));
    }
    ASSERT_EQ(told.size(), c.told.size()) << run.err;
    for (std::size_t i = 0; i < told.size(); ++i) EXPECT_TRUE(told[i].starts_with(c.told[i]));
  }
}

// The lines of the Gita that come out exactly as the corpus has them: the
// figures of core/unicode/DIFFERENCES.md and the README.
TEST(ConvertGita, LegacyDevanagariToUnicodeLineForLine) {
  for (const char* font : kLegacyFonts) {
    for (const auto& [to, floor] : {std::pair{"devanagari", 681}, std::pair{"iast", 693}}) {
      const std::vector<std::string> converted = Lines(Convert(font, to, Gita().at(font)));
      const std::vector<std::string> corpus = Lines(Gita().at(to));
      ASSERT_EQ(converted.size(), corpus.size()) << font << " -> " << to;
      int equal = 0;
      for (std::size_t i = 0; i < corpus.size(); ++i) equal += converted[i] == corpus[i];
      EXPECT_GE(equal, floor) << font << " -> " << to;
    }
  }
}

// ---- a Devanagari font from code-table files ----

// The Vedic tables written out with each transliteration font, whose
// special letters the files then hold.
class LoadedVedic : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* translit : kTranslitFontNames) {
      ASSERT_EQ(
          Sfconv({"tables", "-d", "Vedic", "-t", translit, "--export", Tables(translit)}).status,
          0);
    }
  }
  std::string Tables(const char* translit) const { return (dir_.path() / translit).string(); }
  static constexpr std::array<const char*, 3> kTranslitFontNames = {
      "Sanskrit-Times", "ITRTransTimes", "URW Palladio IT"};
  // Every end but a Devanagari font of the same tables.
  static constexpr std::array<const char*, 6> kEnds = {
      "Sanskrit-Times", "ITRTransTimes", "URW Palladio IT", "iast", "devanagari", "Sanskrit 99"};
  const std::string vedic_ =
      Roughen(Convert("Sanskrit-Times", "Vedic", DataLines("gita.sanskrit-times.txt", 160)));
  test::TempDir dir_;
};

// From the loaded font as from the built-in one; to it as through its own
// letters (a font of another name reads clusters by other rules than Vedic).
TEST_F(LoadedVedic, ConvertsFromAndToEveryEnd) {
  for (const char* end : kEnds) {
    const std::string builtin = Convert("Vedic", end, vedic_);
    std::string first;
    for (const char* translit : kTranslitFontNames) {
      SCOPED_TRACE(std::string(end) + ", tables in " + translit);
      EXPECT_EQ(Convert("My Vedic", end, vedic_, Tables(translit)), builtin);
      const std::string to = Convert(end, "My Vedic", builtin, Tables(translit));
      EXPECT_EQ(to,
                Convert(translit, "My Vedic", Convert(end, translit, builtin), Tables(translit)));
      if (first.empty()) first = to;
      EXPECT_EQ(to, first);
    }
  }
}

TEST_F(LoadedVedic, DamagedTablesStopTheRunAndSaySo) {
  // The syllables in one font's letters and the glyphs in another's; and a
  // letter with no key.
  const test::TempDir damaged;
  const std::filesystem::path times = Tables("Sanskrit-Times");
  const std::filesystem::path itrans = Tables("ITRTransTimes");
  const std::string syllables = test::ReadFileBytes(times / "sanideva.cod");
  ASSERT_EQ(syllables.substr(0, 2), "\x80,");  // the key of the first row, ā
  damaged.Write("sanideva.cod", test::ReadFileBytes(itrans / "sanideva.cod"));
  damaged.Write("lipikara.mmy", test::ReadFileBytes(itrans / "lipikara.mmy"));
  damaged.Write("devitran.cod", test::ReadFileBytes(times / "devitran.cod"));
  const std::string output = (damaged.path() / "out.txt").string();
  for (int round = 0; round < 2; ++round) {
    if (round == 1) {
      damaged.Write("sanideva.cod", syllables.substr(1));
      damaged.Write("lipikara.mmy", test::ReadFileBytes(times / "lipikara.mmy"));
    }
    const Outcome outcome = Sfconv({"convert", "--tables", damaged.path().string(), "--from",
                                    "My Vedic", "--to", "iast", "-o", output},
                                   Convert("iast", "Vedic", "karma\n"));
    EXPECT_EQ(outcome.status, kExitFileError) << round;
    EXPECT_NE(outcome.err.find("cannot be told"), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(output)) << round;
  }
}

TEST(TablesLetters, TheBuiltInTablesHoldTheLettersOfTheirTransliterationFont) {
  // Before any font is chosen: Sanskrit-Times.
  std::vector<std::pair<ConverterState, TranslitFont>> states = {
      {MakeStartupState(), TranslitFont::kSanskritTimes}};
  for (const TranslitFont translit : kTranslitFonts) {
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      states.emplace_back(test::StateFor(translit, devanagari), translit);
    }
  }
  for (const auto& [state, translit] : states) {
    SCOPED_TRACE(state.devanagari_box_font + ", " + state.translit_box_font);
    const TablesLetters read = ReadTablesLetters(state);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.letters.bytes, FontLetters(GetTranslitLetters(translit)).bytes);
  }
}

TEST(ConvertFromAuto, ConvertsAsFromTheFormItNames) {
  const std::string times = DataLines("gita.sanskrit-times.txt", 40);
  // Longer than the sample read for the guess, which is converted first.
  std::string long_text;
  while (long_text.size() < 200 * 1024) long_text += Gita().at("ITRTransTimes");
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"iast", DataLines("gita.iast.txt", 40)},
      {"devanagari", DataLines("gita.devanagari.txt", 40)},
      {"Sanskrit-Times", times},
      {"URW Palladio IT", DataLines("gita.urw-palladio-it.txt", 40)},
      {"Sanskrit 99", Sfconv({"to-devanagari", "-d", "Sanskrit 99"}, times).out},
      {"Dev Natraj ITR", Sfconv({"to-devanagari", "-d", "Dev Natraj ITR"}, times).out},
      {"ITRTransTimes", long_text},
  };
  for (const auto& [form, text] : cases) {
    const Outcome named = Sfconv({"convert", "--from", form, "--to", "Vedic"}, text);
    const Outcome guessed = Sfconv({"convert", "--from", "auto", "--to", "Vedic"}, text);
    EXPECT_EQ(guessed.status, named.status) << form;
    EXPECT_BYTES(named.out, guessed.out);
    EXPECT_NE(guessed.err.find(std::string("the input reads as \"") + form + "\" (score "),
              std::string::npos)
        << guessed.err;
  }
}

TEST(ConvertFromAuto, AnUnsureGuessConvertsAndSaysSoAndStrictFails) {
  for (const bool strict : {false, true}) {
    std::vector<std::string> args = {"convert", "--from", "auto", "--to", "devanagari"};
    if (strict) args.push_back("--strict");
    const Outcome outcome = Sfconv(args, "rAma\n");
    EXPECT_EQ(outcome.status, strict ? kExitDropped : kExitOk);
    EXPECT_FALSE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("the input may be in"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("too few letters to tell"), std::string::npos) << outcome.err;
  }
}

TEST(ConvertFromAuto, TriesTheFontOfLoadedTables) {
  test::TempDir dir;
  ASSERT_EQ(Sfconv({"tables", "--export", dir.path().string(), "-d", "Vedic"}).status, 0);
  const std::string vedic =
      Sfconv({"to-devanagari", "-d", "Vedic"}, DataLines("gita.sanskrit-times.txt", 30)).out;
  const Outcome outcome =
      Sfconv({"convert", "--tables", dir.path().string(), "--from", "auto", "--to", "iast"}, vedic);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  // The loaded tables are Vedic's own: both read alike; Vedic comes first.
  EXPECT_NE(outcome.err.find("the input reads as \"Vedic\""), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, Sfconv({"convert", "--from", "Vedic", "--to", "iast"}, vedic).out);
}

}  // namespace
}  // namespace sfc
