// Every case of tests/golden/cases.txt run in process and compared byte for
// byte with what scripts/regen-golden.sh wrote: standard output with
// <name>.out, each run's exit status and standard error with <name>.log.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

std::filesystem::path RepoDir() { return SFC_SOURCE_DIR; }
std::filesystem::path GoldenDir() { return RepoDir() / "tests" / "golden"; }

constexpr std::string_view kRunSeparator = "|";
constexpr std::string_view kDirField = "{dir}";

struct GoldenCase {
  std::string name;
  std::string input;                           // relative to the repository root; "-" for none
  std::vector<std::vector<std::string>> runs;  // the arguments of each run of sfconv
};

void PrintTo(const GoldenCase& golden, std::ostream* out) { *out << golden.name; }

// Read while the tests are registered: a file that cannot be read gives no
// case, which GoldenFiles.EveryFileBelongsToACase reports. Fields are
// separated by tabs, empty ones skipped.
std::vector<GoldenCase> ReadCases() {
  std::vector<GoldenCase> cases;
  std::ifstream file(GoldenDir() / "cases.txt", std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
      if (!field.empty()) fields.push_back(field);
    }
    if (fields.empty()) continue;
    GoldenCase golden{fields[0], fields.size() > 1 ? fields[1] : "", {{}}};
    for (std::size_t i = 2; i < fields.size(); ++i) {
      if (fields[i] == kRunSeparator) {
        golden.runs.emplace_back();
      } else {
        golden.runs.back().push_back(fields[i]);
      }
    }
    cases.push_back(std::move(golden));
  }
  return cases;
}

::testing::AssertionResult MatchesGolden(const std::string& file, std::string_view actual) {
  const ::testing::AssertionResult equal =
      test::BytesEqual(test::ReadFileBytes(GoldenDir() / file), actual);
  if (equal) return equal;
  return ::testing::AssertionFailure() << "tests/golden/" << file << ": " << equal.message();
}

class SfconvGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(SfconvGolden, OutputExitStatusAndMessagesAreByteForByteTheGoldenOnes) {
  const GoldenCase& golden = GetParam();
  ASSERT_GE(golden.runs.front().size(), 1u) << golden.name << ": no arguments";
  const std::string input =
      golden.input == "-" ? "" : test::ReadFileBytes(RepoDir() / golden.input);
  const test::TempDir dir;
  std::string out;
  std::string log;
  for (std::vector<std::string> args : golden.runs) {
    for (std::string& arg : args) {
      for (std::size_t at; (at = arg.find(kDirField)) != std::string::npos;) {
        arg.replace(at, kDirField.size(), dir.path().string());
      }
    }
    std::istringstream in(input);
    std::ostringstream run_out;
    std::ostringstream run_err;
    const int status = RunSfconv(args, in, run_out, run_err);
    out += run_out.str();
    log += "exit " + std::to_string(status) + "\n" + run_err.str();
  }
  EXPECT_TRUE(MatchesGolden(golden.name + ".out", out));
  EXPECT_TRUE(MatchesGolden(golden.name + ".log", log));
}

std::string TestName(const ::testing::TestParamInfo<GoldenCase>& info) {
  std::string name = info.param.name;
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, SfconvGolden, ::testing::ValuesIn(ReadCases()), TestName);

TEST(GoldenFiles, EveryFileBelongsToACase) {
  const std::vector<GoldenCase> cases = ReadCases();
  ASSERT_FALSE(cases.empty()) << "no case in " << GoldenDir() / "cases.txt";
  std::set<std::string> expected = {"cases.txt"};
  for (const GoldenCase& golden : cases) {
    EXPECT_TRUE(expected.insert(golden.name + ".out").second) << "two cases " << golden.name;
    expected.insert(golden.name + ".log");
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(GoldenDir())) {
    present.insert(entry.path().filename().string());
  }
  for (const std::string& name : present) {
    EXPECT_TRUE(expected.contains(name)) << "tests/golden/" << name << " belongs to no case";
  }
  for (const std::string& name : expected) {
    EXPECT_TRUE(present.contains(name))
        << "tests/golden/" << name << " is missing: run scripts/regen-golden.sh";
  }
}

}  // namespace
}  // namespace sfc
