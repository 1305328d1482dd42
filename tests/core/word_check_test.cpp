// Lines compared word by word, and the round trip check built on it.

#include "word_check.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "session.h"
#include "syllable_rows.h"
#include "test_support.h"
#include "word_diff.h"

namespace sfc {
namespace {

// A difference told, with its line in the round trip check.
struct Told {
  std::uint64_t column;
  std::string before;
  std::string after;
  std::uint64_t line = 0;
  friend bool operator==(const Told&, const Told&) = default;
};

void PrintTo(const Told& told, std::ostream* out) {
  *out << told.line << ":" << told.column << ": \"" << told.before << "\" -> \"" << told.after
       << "\"";
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

// Short lines with any share of edits; long lines, aligned in windows, with a
// few edits, with every other word lost and with no word shared. Any cut
// gives the same differences.
TEST(WordDiff, MatchesAsManyWordsAsALongestCommonSubsequence) {
  std::mt19937 random(17);
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> lines;
  lines.reserve(205);
  for (int round = 0; round < 200; ++round) {
    lines.push_back(Edited(random() % 60, static_cast<int>(random() % 101), random));
  }
  for (const int percent : {0, 2, 10}) {
    lines.push_back(Edited(3 * WordAligner::kWindow + 77, percent, random));
  }
  auto& [every_other_before, every_other_after] = lines.emplace_back();
  auto& [unrelated_before, unrelated_after] = lines.emplace_back();
  for (std::size_t i = 0; i < 4 * WordAligner::kWindow; ++i) {
    every_other_before.push_back("w" + std::to_string(random() % 1000));
    if (i % 2 == 1) every_other_after.push_back(every_other_before.back());
    unrelated_before.push_back("w" + std::to_string(random() % 1000));
    if (i % 3 == 0) unrelated_after.push_back("a" + std::to_string(random() % 50000));
  }
  for (const auto& [before, after] : lines) {
    const std::string before_line = Join(before, random);
    const std::string after_line = Join(after, random);
    const Result whole = AlignLine(before_line, after_line);
    ASSERT_EQ(whole.tally.matched, LcsLength(before, after)) << before_line << " | " << after_line;
    EXPECT_EQ(whole.tally.words_before, before.size());
    EXPECT_EQ(whole.tally.words_after, after.size());
    EXPECT_EQ(whole.tally.matched + whole.words_before_told, before.size());
    EXPECT_EQ(whole.tally.matched + whole.words_after_told, after.size());
    const std::size_t piece = before.size() < 100 ? 1 + random() % 5 : 4093;
    const Result cut = Align({{before_line, after_line}}, piece);
    EXPECT_EQ(cut.told, whole.told);
    EXPECT_EQ(cut.tally, whole.tally);
  }
}

Session FontSession(Direction direction, DevanagariFont devanagari, TranslitFont translit) {
  Session session;
  session.ChooseDirection(direction);
  session.PressDevanagariFontButton(devanagari);
  session.PressTranslitFontButton(translit);
  return session;
}

std::vector<std::string> SomeLines(TranslitFont font) {
  std::vector<std::string> lines = test::ReadLines(test::GitaFile(font));
  lines.resize(25);
  for (const char* odd : {"", "   ", "ddd kaii", "ra- -ka", "\t rama\t", "'", "r"}) {
    lines.emplace_back(odd);
  }
  return lines;
}

// Each line to Devanagari, then its output back.
TEST(RestartedConversion, ConvertsEachTextAsANewStreamWould) {
  for (const DevanagariFont devanagari : kDevanagariFonts) {
    for (const TranslitFont translit : kTranslitFonts) {
      SCOPED_TRACE(std::string(FontName(devanagari)) + " with " + std::string(FontName(translit)));
      std::vector<std::string> texts = SomeLines(translit);
      for (const Direction direction : {Direction::kToDevanagari, Direction::kToTranslit}) {
        Session fresh = FontSession(direction, devanagari, translit);
        Session restarted = FontSession(direction, devanagari, translit);
        std::string out;
        const auto stream =
            restarted.BeginConversion({}, [&](std::string_view piece) { out += piece; });
        for (std::string& text : texts) {
          const ConversionResult expected = fresh.Convert(text);
          out.clear();
          stream->Feed(text);
          EXPECT_EQ(stream->Finish().completed, expected.completed) << test::Show(text);
          EXPECT_BYTES(expected.output, out);
          stream->Restart();
          text = expected.output;
        }
      }
    }
  }
}

struct CheckReport {
  std::vector<Told> listed;
  WordCheckSummary summary;
};

CheckReport Check(std::string_view text, std::size_t block,
                  DevanagariFont devanagari = DevanagariFont::kVedic,
                  TranslitFont translit = TranslitFont::kSanskritTimes) {
  Session forth = FontSession(Direction::kToDevanagari, devanagari, translit);
  Session back = FontSession(Direction::kToTranslit, devanagari, translit);
  CheckReport report;
  WordCheck check(forth, back, {}, [&report](std::uint64_t line, const WordDifference& d) {
    report.listed.push_back({d.column, std::string(d.before), std::string(d.after), line});
  });
  for (std::size_t at = 0; at < text.size(); at += block) check.Feed(text.substr(at, block));
  report.summary = check.Finish();
  return report;
}

TEST(WordCheck, AWordSplitAtItsAvagrahaIsOneDifference) {
  const CheckReport report = Check("sa tumulo'bhavat iti\n", 4096, DevanagariFont::kDevNatrajItr);
  ASSERT_EQ(report.listed.size(), 1u);
  EXPECT_EQ(report.listed[0], (Told{4, "tumulo'bhavat", "tumulo 'bhavat", 1}));
  EXPECT_EQ(report.summary.lines, 1u);
  EXPECT_EQ(report.summary.words, (WordTally{3, 4, 2, 1}));
}

TEST(WordCheck, AnyCutOfTheInputGivesTheSameReport) {
  std::string text;
  for (const std::string& line : SomeLines(TranslitFont::kSanskritTimes)) text += line + "\n";
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& input : {text, crlf, text + "rama\r", text.substr(0, text.size() - 1)}) {
    const CheckReport whole = Check(input, input.size());
    const std::uint64_t lines =
        static_cast<std::uint64_t>(std::count(input.begin(), input.end(), '\n')) +
        (input.back() == '\n' ? 0 : 1);
    EXPECT_EQ(whole.summary.lines, lines);
    EXPECT_GT(whole.summary.words.differences, 0u);
    for (const std::size_t block : {1, 2, 3, 7, 64}) {
      const CheckReport cut = Check(input, block);
      EXPECT_EQ(cut.listed, whole.listed) << "blocks of " << block;
      EXPECT_EQ(cut.summary.words, whole.summary.words) << "blocks of " << block;
      EXPECT_EQ(cut.summary.lines, whole.summary.lines) << "blocks of " << block;
    }
  }
  // Line ends with CR read as those without.
  EXPECT_EQ(Check(crlf, 5).listed, Check(text, 5).listed);
}

TEST(WordCheck, LinesCutShortAreCounted) {
  Session forth;
  forth.LoadTables([](ConverterState& state) { state.sanideva.full[Row::kUnderscore].clear(); });
  Session back;
  back.ChooseDirection(Direction::kToTranslit);
  WordCheck check(forth, back, {}, {});
  check.Feed("ka\n_-ka\nka\n");
  const WordCheckSummary summary = check.Finish();
  EXPECT_EQ(summary.lines, 3u);
  EXPECT_EQ(summary.lines_cut_short, 1u);
}

TEST(WordCheck, SessionsMustBeInTheirDirections) {
  Session forth;
  Session back;
  back.ChooseDirection(Direction::kToTranslit);
  EXPECT_THROW(WordCheck(back, forth, {}, {}), std::invalid_argument);
}

}  // namespace
}  // namespace sfc
