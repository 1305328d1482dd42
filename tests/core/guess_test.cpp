// Which form is a text in: the guess over the Gita in every form, its lines,
// and texts it must not be sure about.

#include "unicode/guess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// The Gita in `form`: a file of the test data, or for a Devanagari font the
// Sanskrit-Times file converted into it.
std::string CorpusText(const CorpusForm& corpus) {
  if (*corpus.file != '\0') return test::ReadFileBytes(test::TestDataDir() / corpus.file);
  Session session;
  session.PressDevanagariFontButton(*FindDevanagariFont(corpus.form.font));
  return session.Convert(test::ReadFileBytes(test::TestDataDir() / "gita.sanskrit-times.txt"))
      .output;
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

TEST_P(GuessCorpusTest, WholeFileIsSureOfItsForm) {
  const CorpusForm& corpus = GetParam();
  const std::string text = CorpusText(corpus);
  const FormGuess guess = GuessForm(std::string_view(text).substr(0, kGuessSampleSize));
  EXPECT_EQ(DescribeForm(guess.best().form), DescribeForm(corpus.form))
      << "score " << guess.best().score;
  EXPECT_TRUE(guess.sure()) << DescribeDoubt(guess.doubt) << "; second "
                            << DescribeForm(guess.ranked[1].form) << " " << guess.ranked[1].bits
                            << " against " << guess.best().bits;
  EXPECT_GE(guess.best().score, 90);
}

// A line of 40 bytes or more alone. A line that reads the same in the form
// guessed (an ASCII line in IAST and in a transliteration font) counts as
// right: either form converts it alike.
TEST_P(GuessCorpusTest, LongLinesFindTheirForm) {
  const CorpusForm& corpus = GetParam();
  const std::string text = CorpusText(corpus);
  std::size_t lines = 0;
  std::size_t right = 0;
  std::size_t sure_and_wrong = 0;
  std::map<std::string, int> taken_for;
  std::string first_miss;
  for (const std::string_view line : Lines(text)) {
    if (line.size() < 40) continue;
    ++lines;
    const FormGuess guess = GuessForm(line);
    const FormScore& truth = ScoreOf(guess, corpus.form);
    if (guess.best().form == corpus.form || guess.best().reading == truth.reading) {
      ++right;
      continue;
    }
    if (guess.sure()) ++sure_and_wrong;
    ++taken_for[DescribeForm(guess.best().form)];
    if (first_miss.empty()) first_miss = guess.best().reading;
  }
  const double rate =
      lines == 0 ? 0 : 100.0 * static_cast<double>(right) / static_cast<double>(lines);
  std::string misses;
  for (const auto& [form, count] : taken_for) misses += " " + form + " " + std::to_string(count);
  char figures[64];
  std::snprintf(figures, sizeof figures, "%zu of %zu lines (%.1f %%)", right, lines, rate);
  EXPECT_GE(rate, 95.0) << figures << "; taken for" << misses << "; first: " << first_miss;
  std::printf("[ guess    ] %s: %s right, %zu wrong and sure\n", DescribeForm(corpus.form).c_str(),
              figures, sure_and_wrong);
}

INSTANTIATE_TEST_SUITE_P(Gita, GuessCorpusTest, ::testing::ValuesIn(kCorpusForms),
                         [](const ::testing::TestParamInfo<CorpusForm>& param) {
                           std::string name;
                           for (char c : DescribeForm(param.param.form)) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace sfc
