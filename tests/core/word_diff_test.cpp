// Lines compared word by word: matching as a longest common subsequence,
// one difference per run of unmatched words, the same result for any way
// the lines are fed, and long lines in bounded windows.

#include "word_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace sfc {
namespace {

struct Told {
  std::uint64_t column;
  std::string before;
  std::string after;
  friend bool operator==(const Told&, const Told&) = default;
};

void PrintTo(const Told& told, std::ostream* out) {
  *out << told.column << ": \"" << told.before << "\" -> \"" << told.after << "\"";
}

struct Result {
  std::vector<Told> told;
  WordTally tally;
  std::uint64_t words_before_told = 0;  // over the differences
  std::uint64_t words_after_told = 0;
};

// The lines fed in pieces of `piece` bytes, the before and after pieces
// interleaved.
Result Align(const std::vector<std::pair<std::string, std::string>>& lines,
             std::size_t piece = std::string::npos) {
  Result result;
  WordAligner aligner([&result](const WordDifference& difference) {
    result.told.push_back(
        {difference.column, std::string(difference.before), std::string(difference.after)});
    result.words_before_told += difference.words_before;
    result.words_after_told += difference.words_after;
  });
  for (const auto& [before, after] : lines) {
    const std::size_t step =
        std::max<std::size_t>(1, std::min(piece, std::max(before.size(), after.size())));
    for (std::size_t at = 0; at < std::max(before.size(), after.size()); at += step) {
      if (at < before.size()) aligner.AddBefore(std::string_view(before).substr(at, step));
      if (at < after.size()) aligner.AddAfter(std::string_view(after).substr(at, step));
    }
    aligner.EndLine();
  }
  result.tally = aligner.tally();
  return result;
}

Result AlignLine(const std::string& before, const std::string& after) {
  return Align({{before, after}});
}

TEST(WordDiff, EachRunOfUnmatchedWordsIsOneDifference) {
  struct Case {
    const char* name;
    const char* before;
    const char* after;
    std::vector<Told> told;
    std::uint64_t matched;
  };
  const std::vector<Case> cases = {
      {"same words, other blanks", "rama  sita\tgata", " rama sita gata ", {}, 3},
      {"a word split",
       "sa tumulo'bhavat || iti",
       "sa tumulo 'bhavat || iti",
       {{4, "tumulo'bhavat", "tumulo 'bhavat"}},
       3},
      {"two words joined", "a b c d", "a bc d", {{3, "b c", "bc"}}, 2},
      {"a word lost at the end", "a b c", "a b", {{5, "c", ""}}, 2},
      {"a word added in the middle", "a b c", "a b x c", {{5, "", "x"}}, 3},
      {"a word added at the end", "a b ", "a b c", {{5, "", "c"}}, 2},
      {"two separate differences", "a b c d e", "a B c D e", {{3, "b", "B"}, {7, "d", "D"}}, 3},
      {"a moved word", "x a b c", "a b c x", {{1, "x", ""}, {8, "", "x"}}, 3},
      {"nothing after", "a b", "", {{1, "a b", ""}}, 0},
      {"nothing before", "", "a", {{1, "", "a"}}, 0},
      {"empty lines", "", "  ", {}, 0},
      {"CR is a blank", "a\r", "a", {}, 1},
  };
  for (const Case& c : cases) {
    const Result result = AlignLine(c.before, c.after);
    EXPECT_EQ(result.told, c.told) << c.name;
    EXPECT_EQ(result.tally.matched, c.matched) << c.name;
    EXPECT_EQ(result.tally.differences, c.told.size()) << c.name;
  }
}

TEST(WordDiff, TheShareIsMatchedWordsOverWordsBefore) {
  const Result result = Align({{"a b c d", "a b c"}, {"e", "e"}, {"", ""}});
  EXPECT_EQ(result.tally, (WordTally{5, 4, 4, 1}));
  EXPECT_DOUBLE_EQ(result.tally.SharePercent(), 80.0);
  EXPECT_DOUBLE_EQ(WordTally{}.SharePercent(), 100.0);
}

// The length of a longest common subsequence, by the textbook table.
std::uint64_t LcsLength(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::uint32_t> row(b.size() + 1, 0);
  for (const std::string& word : a) {
    std::uint32_t diagonal = 0;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::uint32_t up = row[j];
      row[j] = word == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = up;
    }
  }
  return row.back();
}

std::string Join(const std::vector<std::string>& words, std::mt19937& random) {
  std::string line;
  for (const std::string& word : words) {
    line += std::string(1 + random() % 2, random() % 5 == 0 ? '\t' : ' ');
    line += word;
  }
  return line;
}

// Words from a small vocabulary, and a copy with a given share of them
// changed, lost, split or added.
std::pair<std::vector<std::string>, std::vector<std::string>> Edited(std::size_t count,
                                                                     int percent_edited,
                                                                     std::mt19937& random) {
  std::vector<std::string> before;
  std::vector<std::string> after;
  for (std::size_t i = 0; i < count; ++i) {
    std::string word(1 + random() % 3, 'a');
    for (char& c : word) c = static_cast<char>('a' + random() % 6);
    before.push_back(word);
    if (static_cast<int>(random() % 100) >= percent_edited) {
      after.push_back(word);
      continue;
    }
    switch (random() % 4) {
      case 0:
        after.push_back(word + "x");
        break;
      case 1:
        break;
      case 2:
        after.push_back(word.substr(0, 1));
        after.push_back("y" + word);
        break;
      default:
        after.push_back(word);
        after.push_back("z");
    }
  }
  return {before, after};
}

TEST(WordDiff, MatchesAsManyWordsAsALongestCommonSubsequence) {
  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    const std::size_t count = random() % 60;
    const auto [before, after] = Edited(count, static_cast<int>(random() % 101), random);
    const std::string before_line = Join(before, random);
    const std::string after_line = Join(after, random);
    const Result whole = AlignLine(before_line, after_line);
    ASSERT_EQ(whole.tally.matched, LcsLength(before, after)) << before_line << " | " << after_line;
    EXPECT_EQ(whole.tally.words_before, before.size());
    EXPECT_EQ(whole.tally.words_after, after.size());
    EXPECT_EQ(whole.tally.matched + whole.words_before_told, before.size());
    EXPECT_EQ(whole.tally.matched + whole.words_after_told, after.size());
    const Result cut = Align({{before_line, after_line}}, 1 + random() % 5);
    EXPECT_EQ(cut.told, whole.told);
    EXPECT_EQ(cut.tally, whole.tally);
  }
}

TEST(WordDiff, ALongLineIsAlignedInWindowsAndLosesNoMatchOfOrdinaryText) {
  std::mt19937 random(5);
  for (const int percent : {0, 2, 10}) {
    const auto [before, after] = Edited(3 * WordAligner::kWindow + 77, percent, random);
    const std::string before_line = Join(before, random);
    const std::string after_line = Join(after, random);
    const Result whole = AlignLine(before_line, after_line);
    EXPECT_EQ(whole.tally.matched, LcsLength(before, after)) << percent << "% edited";
    EXPECT_EQ(whole.tally.matched + whole.words_before_told, before.size());
    EXPECT_EQ(whole.tally.matched + whole.words_after_told, after.size());
    const Result cut = Align({{before_line, after_line}}, 4093);
    EXPECT_EQ(cut.told, whole.told) << percent << "% edited";
    EXPECT_EQ(cut.tally, whole.tally);
  }
}

TEST(WordDiff, LongLinesThatLoseEveryOtherWordOrShareNoneEndWithConsistentCounts) {
  std::mt19937 random(3);
  for (const bool related : {true, false}) {
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (std::size_t i = 0; i < 4 * WordAligner::kWindow; ++i) {
      before.push_back("w" + std::to_string(random() % 1000));
      if (!related) {
        after.push_back("a" + std::to_string(random() % 50000));
      } else if (i % 2 == 1) {
        after.push_back(before.back());
      }
    }
    if (!related) after.resize(after.size() / 3);
    const Result result = AlignLine(Join(before, random), Join(after, random));
    EXPECT_EQ(result.tally.matched, related ? after.size() : 0u);
    EXPECT_EQ(result.words_before_told, before.size() - result.tally.matched);
    EXPECT_EQ(result.words_after_told, after.size() - result.tally.matched);
  }
}

}  // namespace
}  // namespace sfc
