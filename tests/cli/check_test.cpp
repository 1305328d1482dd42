// sfconv check: its listing, and its share of words beside difflib's.

#include <cstdio>
#include <optional>

#include "run_sfconv.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::Outcome;
using test::Sfconv;

TEST(CheckCommand, ListsTheWordsThatDoNotComeBackInIastAndTheShareThatDoes) {
  const std::vector<std::string> natraj =
      test::Words("check -t Sanskrit-Times -d 'Dev Natraj ITR'");
  Outcome run = Sfconv(natraj, "rama\nsa tumulo'bhavat iti\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out,
            "2:4: tumulo'bhavat -> tumulo 'bhavat\n"
            "3 of 4 words (75.0%) come back unchanged; 1 difference\n");
  // "ai" after a consonant and "a i" read back alike in Devanagari.
  run = Sfconv({"check", "-d", "Vedic"}, "rama sita kaii\nnamo kaii\n");
  EXPECT_NE(run.out.find("1:11: kaii -> "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n2:6: kaii -> "), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with("\n3 of 5 words (60.0%) come back unchanged; 2 differences\n"))
      << run.out;
  EXPECT_EQ(Sfconv({"check"}, "rama\n").out,
            "1 of 1 words (100.0%) come back unchanged; 0 differences\n");
  // The 13th verse of the Gita in Sanskrit-Times bytes, listed in IAST.
  run = Sfconv(natraj, test::ReadLines(test::TestDataDir() / "gita.sanskrit-times.txt")[12] + "\n");
  EXPECT_NE(run.out.find("1:73: śabdastumulo'bhavat -> śabdastumulo 'bhavat\n"), std::string::npos)
      << run.out;
}

struct Counts {
  std::uint64_t matched = 0;
  std::uint64_t words = 0;
  std::uint64_t differences = 0;
  double Share() const { return 100.0 * static_cast<double>(matched) / static_cast<double>(words); }
};

// The text after the round trip, line by line, by the window's conversions.
std::string RoundTrip(const std::vector<std::string>& lines, const std::string& translit,
                      const std::string& devanagari) {
  Session sessions[2];
  for (const Direction direction : {Direction::kToDevanagari, Direction::kToTranslit}) {
    Session& session = sessions[direction == Direction::kToTranslit];
    session.ChooseDirection(direction);
    session.PressDevanagariFontButton(*FindDevanagariFont(devanagari));
    session.PressTranslitFontButton(*FindTranslitFont(translit));
  }
  std::string text;
  for (const std::string& line : lines) {
    text += sessions[1].Convert(sessions[0].Convert(line).output).output + "\n";
  }
  return text;
}

// The script's figures, or nothing without python3.
std::optional<Counts> Difflib(const std::string& before, const std::string& after) {
  if (std::system("python3 -c 'import difflib' > /dev/null 2>&1") != 0) return std::nullopt;
  test::TempDir dir;
  dir.Write("before.txt", before);
  dir.Write("after.txt", after);
  const std::string command = "cd '" + dir.path().string() + "' && python3 '" + SFC_SOURCE_DIR +
                              "/tests/cli/difflib_words.py' before.txt after.txt > counts.txt";
  EXPECT_EQ(test::RunScript(command), 0) << command;
  Counts counts;
  std::istringstream(test::ReadFileBytes(dir.path() / "counts.txt")) >> counts.matched >>
      counts.words >> counts.differences;
  return counts;
}

Counts Summary(const std::string& out) {
  Counts counts;
  const std::size_t at = out.rfind('\n', out.size() - 2);
  const std::string last = out.substr(at == std::string::npos ? 0 : at + 1);
  EXPECT_EQ(std::sscanf(last.c_str(), "%lu of %lu words (%*f%%) come back unchanged; %lu",
                        &counts.matched, &counts.words, &counts.differences),
            3)
      << last;
  return counts;
}

TEST(CheckCommand, ItsShareAgreesWithDifflibOnTheGita) {
  struct Pair {
    const char* file;
    const char* translit;
    const char* devanagari;
  };
  for (const Pair& pair : {Pair{"gita.sanskrit-times.txt", "Sanskrit-Times", "Dev Natraj ITR"},
                           Pair{"gita.sanskrit-times.txt", "Sanskrit-Times", "Vedic"},
                           Pair{"gita.itrtranstimes.txt", "ITRTransTimes", "Sanskrit 99"},
                           Pair{"gita.urw-palladio-it.txt", "URW Palladio IT", "Dev Natraj ITR"}}) {
    const std::vector<std::string> lines = test::ReadLines(test::TestDataDir() / pair.file);
    const std::string text = test::DataLines(pair.file, lines.size());
    const std::optional<Counts> reference =
        Difflib(text, RoundTrip(lines, pair.translit, pair.devanagari));
    if (!reference) GTEST_SKIP() << "python3 is not installed";
    const Outcome outcome = Sfconv({"check", "-t", pair.translit, "-d", pair.devanagari}, text);
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    const Counts check = Summary(outcome.out);
    SCOPED_TRACE(std::string(pair.translit) + " with " + pair.devanagari);
    EXPECT_EQ(check.words, reference->words);
    EXPECT_NEAR(check.Share(), reference->Share(), 0.1);
    EXPECT_EQ(check.differences, reference->differences);
  }
}

}  // namespace
}  // namespace sfc
