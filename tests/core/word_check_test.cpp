// The round trip check: conversions restarted per line behave as new ones,
// a split word is one difference, and any cut of the input into blocks
// gives the same report.

#include "word_check.h"

#include <algorithm>
#include <stdexcept>

#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

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

TEST(RestartedConversion, ConvertsEachTextAsANewStreamWould) {
  for (const DevanagariFont devanagari : kDevanagariFonts) {
    for (const TranslitFont translit : kTranslitFonts) {
      const std::string pair =
          std::string(FontName(devanagari)) + " with " + std::string(FontName(translit));
      Session fresh_forth = FontSession(Direction::kToDevanagari, devanagari, translit);
      Session fresh_back = FontSession(Direction::kToTranslit, devanagari, translit);
      Session forth = FontSession(Direction::kToDevanagari, devanagari, translit);
      Session back = FontSession(Direction::kToTranslit, devanagari, translit);
      std::string forth_out;
      std::string back_out;
      const auto forth_stream =
          forth.BeginConversion({}, [&](std::string_view piece) { forth_out += piece; });
      const auto back_stream =
          back.BeginConversion({}, [&](std::string_view piece) { back_out += piece; });
      for (const std::string& line : SomeLines(translit)) {
        const ConversionResult expected = fresh_forth.Convert(line);
        forth_out.clear();
        forth_stream->Feed(line);
        EXPECT_EQ(forth_stream->Finish().completed, expected.completed) << pair << ": " << line;
        EXPECT_BYTES(expected.output, forth_out);
        forth_stream->Restart();

        const ConversionResult expected_back = fresh_back.Convert(expected.output);
        back_out.clear();
        back_stream->Feed(expected.output);
        EXPECT_EQ(back_stream->Finish().completed, expected_back.completed) << pair << ": " << line;
        EXPECT_BYTES(expected_back.output, back_out);
        back_stream->Restart();
      }
    }
  }
}

struct Listed {
  std::uint64_t line;
  std::uint64_t column;
  std::string before;
  std::string after;
  friend bool operator==(const Listed&, const Listed&) = default;
};

void PrintTo(const Listed& listed, std::ostream* out) {
  *out << listed.line << ":" << listed.column << ": " << listed.before << " -> " << listed.after;
}

struct CheckReport {
  std::vector<Listed> listed;
  WordCheckSummary summary;
};

CheckReport Check(std::string_view text, std::size_t block, DevanagariFont devanagari,
                  TranslitFont translit) {
  Session forth = FontSession(Direction::kToDevanagari, devanagari, translit);
  Session back = FontSession(Direction::kToTranslit, devanagari, translit);
  CheckReport report;
  WordCheck check(forth, back, {}, [&report](std::uint64_t line, const WordDifference& d) {
    report.listed.push_back({line, d.column, std::string(d.before), std::string(d.after)});
  });
  for (std::size_t at = 0; at < text.size(); at += block) check.Feed(text.substr(at, block));
  report.summary = check.Finish();
  return report;
}

TEST(WordCheck, AWordSplitAtItsAvagrahaIsOneDifference) {
  const CheckReport report = Check("sa tumulo'bhavat iti\n", 4096, DevanagariFont::kDevNatrajItr,
                                   TranslitFont::kSanskritTimes);
  ASSERT_EQ(report.listed.size(), 1u);
  EXPECT_EQ(report.listed[0], (Listed{1, 4, "tumulo'bhavat", "tumulo 'bhavat"}));
  EXPECT_EQ(report.summary.lines, 1u);
  EXPECT_EQ(report.summary.words, (WordTally{3, 4, 2, 1}));
}

TEST(WordCheck, AnyCutOfTheInputGivesTheSameReport) {
  std::string text;
  for (const std::string& line : SomeLines(TranslitFont::kSanskritTimes)) text += line + "\n";
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& input : {text, crlf, text + "rama\r", text.substr(0, text.size() - 1)}) {
    const CheckReport whole =
        Check(input, input.size(), DevanagariFont::kVedic, TranslitFont::kSanskritTimes);
    const std::uint64_t lines =
        static_cast<std::uint64_t>(std::count(input.begin(), input.end(), '\n')) +
        (input.back() == '\n' ? 0 : 1);
    EXPECT_EQ(whole.summary.lines, lines);
    EXPECT_GT(whole.summary.words.differences, 0u);
    for (const std::size_t block : {1, 2, 3, 7, 64}) {
      const CheckReport cut =
          Check(input, block, DevanagariFont::kVedic, TranslitFont::kSanskritTimes);
      EXPECT_EQ(cut.listed, whole.listed) << "blocks of " << block;
      EXPECT_EQ(cut.summary.words, whole.summary.words) << "blocks of " << block;
      EXPECT_EQ(cut.summary.lines, whole.summary.lines) << "blocks of " << block;
    }
  }
  // Line ends with CR read as those without.
  EXPECT_EQ(Check(crlf, 5, DevanagariFont::kVedic, TranslitFont::kSanskritTimes).listed,
            Check(text, 5, DevanagariFont::kVedic, TranslitFont::kSanskritTimes).listed);
}

TEST(WordCheck, SessionsMustBeInTheirDirections) {
  Session forth;
  Session back;
  back.ChooseDirection(Direction::kToTranslit);
  EXPECT_THROW(WordCheck(back, forth, {}, {}), std::invalid_argument);
}

}  // namespace
}  // namespace sfc
