// Which form is a text in: the guess over the Gita in every form, its lines,
// and texts it must not be sure about.

#include "unicode/guess.h"

#include <random>

#include "code_table_files.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

struct CorpusForm {
  FormName form;
  const char* file;  // in the test data; empty: made from Sanskrit-Times
};

const std::vector<CorpusForm> kCorpusForms = {
    {{TextForm::kIast, ""}, "gita.iast.txt"},
    {{TextForm::kDevanagariUnicode, ""}, "gita.devanagari.txt"},
    {{TextForm::kTranslitFont, "Sanskrit-Times"}, "gita.sanskrit-times.txt"},
    {{TextForm::kTranslitFont, "ITRTransTimes"}, "gita.itrtranstimes.txt"},
    {{TextForm::kTranslitFont, "URW Palladio IT"}, "gita.urw-palladio-it.txt"},
    {{TextForm::kDevanagariFont, "Vedic"}, ""},
    {{TextForm::kDevanagariFont, "Dev Natraj ITR"}, ""},
    {{TextForm::kDevanagariFont, "Sanskrit 99"}, ""},
};

std::string InFont(DevanagariFont font, std::string_view translit) {
  Session session;
  session.PressDevanagariFontButton(font);
  return session.Convert(translit).output;
}

// The Gita in `form`: a file of the test data, or for a Devanagari font the
// Sanskrit-Times file converted into it.
std::string CorpusText(const CorpusForm& corpus) {
  if (*corpus.file != '\0') return test::ReadFileBytes(test::TestDataDir() / corpus.file);
  return InFont(*FindDevanagariFont(corpus.form.font),
                test::ReadFileBytes(test::TestDataDir() / "gita.sanskrit-times.txt"));
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

const FormScore& ScoreOf(const FormGuess& guess, const FormName& form) {
  for (const FormScore& score : guess.ranked) {
    if (score.form == form) return score;
  }
  ADD_FAILURE() << DescribeForm(form) << " not ranked";
  return guess.ranked.front();
}

class GuessCorpusTest : public ::testing::TestWithParam<CorpusForm> {};

// Every line; under AddressSanitizer, which is there for the memory and not
// for the rates, every fifth.
#ifdef SFC_TEST_UNDER_ASAN
constexpr std::size_t kLineStep = 5;
#else
constexpr std::size_t kLineStep = 1;
#endif

TEST_P(GuessCorpusTest, TheWholeFileIsSureOfItsFormAndLongLinesFindIt) {
  const CorpusForm& corpus = GetParam();
  const std::string text = CorpusText(corpus);
  const FormGuess guess = GuessForm(std::string_view(text).substr(0, kGuessSampleSize));
  EXPECT_EQ(DescribeForm(guess.best().form), DescribeForm(corpus.form))
      << "score " << guess.best().score;
  EXPECT_TRUE(guess.sure()) << DescribeDoubt(guess.doubt) << "; second "
                            << DescribeForm(guess.ranked[1].form) << " " << guess.ranked[1].bits
                            << " against " << guess.best().bits;
  EXPECT_GE(guess.best().score, 90);
  // A line of 40 bytes or more alone. A line that reads the same in the
  // form guessed (an ASCII line in IAST and in a transliteration font)
  // counts as right: either form converts it alike.
  std::size_t lines = 0;
  std::size_t right = 0;
  std::size_t number = 0;
  for (const std::string_view line : Lines(text)) {
    if (line.size() < 40 || number++ % kLineStep != 0) continue;
    ++lines;
    const FormGuess alone = GuessForm(line);
    right += alone.best().form == corpus.form ||
             alone.best().reading == ScoreOf(alone, corpus.form).reading;
  }
  EXPECT_GE(static_cast<double>(right), 0.95 * static_cast<double>(lines))
      << right << " of " << lines << " lines";
}

TEST(GuessDoubtTest, ShortOrMixedTextIsUnsure) {
  const std::vector<std::string> times =
      test::ReadLines(test::TestDataDir() / "gita.sanskrit-times.txt");
  std::string mixed;
  for (std::size_t k = 0; k < 20; ++k) {
    mixed += (k % 2 == 0 ? times[k] : InFont(DevanagariFont::kVedic, times[k])) + "\n";
  }
  std::string random_bytes(600, ' ');
  std::mt19937 random(12345);
  for (char& c : random_bytes) c = static_cast<char>(random());
  struct DoubtfulText {
    const char* what;
    std::string text;
    GuessDoubt doubt;
  };
  const std::vector<DoubtfulText> cases = {
      {"one word", "rAma", GuessDoubt::kTooShort},
      {"empty", "", GuessDoubt::kTooShort},
      {"a short line", times[0].substr(0, 18), GuessDoubt::kTooShort},
      {"lines in two fonts", mixed, GuessDoubt::kReadsPoorly},
      {"English", "The quick brown fox jumps over the lazy dog again and again and again.",
       GuessDoubt::kReadsPoorly},
      {"random bytes", random_bytes, GuessDoubt::kReadsPoorly},
      {"ASCII that reads about as well in Vedic glyphs", "sahasrayugaparyantam",
       GuessDoubt::kClose},
  };
  for (const DoubtfulText& doubtful : cases) {
    const FormGuess guess = GuessForm(doubtful.text);
    EXPECT_EQ(guess.doubt, doubtful.doubt)
        << doubtful.what << ": " << DescribeForm(guess.best().form) << " score "
        << guess.best().score << ", letters " << guess.best().letters;
    EXPECT_FALSE(DescribeDoubt(guess.doubt).empty()) << doubtful.what;
  }
  // Ahead of its rival (Vedic) by about 0.38 bits a letter: sure.
  EXPECT_TRUE(GuessForm("mayi cānanyayogena bhaktiravy").sure());
}

TEST(GuessDoubtTest, FormsThatReadAlikeAreNoRivals) {
  // ASCII text reads the same in IAST, the transliteration fonts and
  // Unicode Devanagari: any of them converts it alike.
  const FormGuess guess = GuessForm("yada yada hi dharmasya glanirbhavati bharata");
  ASSERT_NE(guess.rival, 0u);
  for (std::size_t k = 1; k < guess.rival; ++k) {
    EXPECT_EQ(guess.ranked[k].reading, guess.best().reading);
  }
  EXPECT_GE(guess.rival, 4u);
  EXPECT_NE(guess.ranked[guess.rival].reading, guess.best().reading);
}

// The built-in Vedic tables written out and loaded back under a name of
// their own: the loaded font reads Vedic text as Vedic does.
TEST(GuessLoadedTablesTest, TheLoadedFontIsTried) {
  Session vedic;
  vedic.PressDevanagariFontButton(DevanagariFont::kVedic);
  test::TempDir dir;
  ASSERT_TRUE(ExportCodeTables(vedic.state(), dir.path()).empty());
  // As sfconv --tables DIR sets it up.
  Session loaded;
  loaded.ChooseDirection(Direction::kToTranslit);
  ASSERT_TRUE(
      loaded.LoadTables([&dir](ConverterState& state) { return LoadCodeTables(state, dir.path()); })
          .problems.empty());
  GuessOptions options;
  options.kinds = {TextForm::kDevanagariFont};
  options.loaded_tables = &loaded;
  options.loaded_font = "My Vedic";
  const std::string text =
      InFont(DevanagariFont::kVedic,
             test::ReadFileBytes(test::TestDataDir() / "gita.sanskrit-times.txt").substr(0, 3000));
  const FormGuess guess = GuessForm(text, options);
  ASSERT_EQ(guess.ranked.size(), 4u);
  const FormName mine{TextForm::kDevanagariFont, "My Vedic"};
  const FormName s99{TextForm::kDevanagariFont, "Sanskrit 99"};
  EXPECT_EQ(ScoreOf(guess, mine).reading,
            ScoreOf(guess, {TextForm::kDevanagariFont, "Vedic"}).reading);
  EXPECT_GE(ScoreOf(guess, mine).score, 60);
  EXPECT_TRUE(guess.sure()) << DescribeDoubt(guess.doubt);
  EXPECT_TRUE(ClearlyAhead(guess, mine, s99));
  EXPECT_FALSE(ClearlyAhead(guess, s99, mine));
}

// The letter model in force is the one its generator makes from the Gita:
// a change to the letters read (Units) shows here.
TEST(LetterModelTest, CountsAreThoseOfTheGita) {
  const letter_model::PairCounts counts =
      letter_model::CountPairs(test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt"));
  EXPECT_TRUE(counts == letter_model::BuiltInCounts())
      << "run sfc_letter_model tests/data/gita.iast.txt > core/unicode/letter_model_counts.cpp";
}

TEST(LetterModelTest, LettersAreReadAsUnits) {
  struct Case {
    const char* iast;
    const char* units;
  };
  const std::vector<Case> cases = {
      {"kṛṣṇaḥ", "# k ṛ ṣ ṇ a ḥ #"},
      {"bhaktaiḥ gauḥ", "# bh a k t ai ḥ # g au ḥ #"},
      {"K\u0323R\u0325", "# k ? ṛ #"},
      {"tat || 12 so'ham", "# t a t # s o # h a m #"},
      {"x€", "# ? ? #"},
      {"ma\u0304m\u0310", "# m ā m ṃ #"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const unsigned char unit : letter_model::Units(c.iast)) {
      shown += std::string(shown.empty() ? "" : " ") + std::string(letter_model::UnitName(unit));
    }
    EXPECT_EQ(shown, c.units) << c.iast;
  }
}

INSTANTIATE_TEST_SUITE_P(Gita, GuessCorpusTest, ::testing::ValuesIn(kCorpusForms));

}  // namespace
}  // namespace sfc
