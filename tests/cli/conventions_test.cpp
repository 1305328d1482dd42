// The conventions of the command line: "-" for the standard streams, -o only
// where there is an output to write, the export as one change, and every
// failure as one message and a status.

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "atomic_file.h"
#include "run_sfconv.h"
#include "sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::TempDir;

using test::Outcome;
using test::Sfconv;

// The names in a directory and what each file holds.
std::map<std::string, std::string> Contents(const std::filesystem::path& dir) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    contents[entry.path().filename().string()] =
        entry.is_regular_file() ? test::ReadFileBytes(entry.path()) : "(not a file)";
  }
  return contents;
}

// Runs a shell script in which $SFCONV is the program; its exit status.
int RunScript(const std::string& script) {
  const std::string command = "SFCONV='" + std::string(SFC_SFCONV_PATH) + "'; " + script;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SfconvDash, NamesStandardInputAndOutput) {
  const std::string converted = Sfconv({"to-devanagari"}, "namaste").out;
  ASSERT_FALSE(converted.empty());
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"to-devanagari", "-i", "-"},
                                             {"to-devanagari", "-o", "-"},
                                             {"to-devanagari", "-i", "-", "-o", "-"}}) {
    const Outcome run = Sfconv(args, "namaste");
    EXPECT_EQ(run.status, kExitOk) << testing::PrintToString(args) << run.err;
    EXPECT_BYTES(converted, run.out);
  }
  const Outcome convert = Sfconv(
      {"convert", "--from", "Sanskrit-Times", "--to", "Vedic", "-i", "-", "-o", "-"}, "namaste");
  EXPECT_EQ(convert.status, kExitOk) << convert.err;
  EXPECT_BYTES(Sfconv({"convert", "--from", "Sanskrit-Times", "--to", "Vedic"}, "namaste").out,
               convert.out);
  const Outcome check = Sfconv({"check", "-"}, "namaste");
  EXPECT_EQ(check.status, kExitOk) << check.err;
  EXPECT_EQ(check.out, Sfconv({"check"}, "namaste").out);
  EXPECT_NE(check.out.find("1 of 1 words"), std::string::npos) << check.out;
  const Outcome tables = Sfconv({"tables", "-o", "-"});
  EXPECT_EQ(tables.status, kExitOk);
  EXPECT_EQ(tables.out, Sfconv({"tables"}).out);
}

TEST(SfconvDash, AFileNamedDashIsWrittenAsDotSlashDash) {
  TempDir dir;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const Outcome run = Sfconv({"to-devanagari", "-o", "./-"}, "ka");
  std::filesystem::current_path(previous);
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "");
  EXPECT_BYTES("k ", test::ReadFileBytes(dir.path() / "-"));
}

TEST(SfconvTablesUsage, AnOutputFileDoesNotGoWithCheckOrExport) {
  TempDir dir;
  const std::string d = dir.path().string();
  const std::string out = (dir.path() / "out.txt").string();
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"tables", "--check", d, "-o", out},
                                             {"tables", "-o", out, "--check", d},
                                             {"tables", "--export", d, "-o", out},
                                             {"tables", "-o", out, "--export", d},
                                             {"tables", "--export", d, "-o", "-"}}) {
    const Outcome run = Sfconv(args);
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.err.rfind("sfconv: option -o does not go with tables --check or --export\n", 0),
              0u)
        << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SfconvTablesExport, AFailureChangesNothingInTheDirectory) {
  TempDir dir;
  dir.Write("sanideva.cod", "old syllables");
  dir.Write("lipikara.mmy", "old map");
  std::filesystem::create_directory(dir.path() / "devitran.cod");
  const auto before = Contents(dir.path());
  const Outcome run = Sfconv({"tables", "-d", "Sanskrit 99", "--export", dir.path().string()});
  EXPECT_EQ(run.status, kExitFileError);
  EXPECT_EQ(run.err, "sfconv: devitran.cod: cannot write \"" +
                         (dir.path() / "devitran.cod").string() + "\"" + SystemReason(EISDIR) +
                         "\n");
  EXPECT_EQ(Contents(dir.path()), before);

  std::filesystem::remove(dir.path() / "devitran.cod");
  std::filesystem::create_symlink("/dev/full", dir.path() / "devitran.cod");
  const Outcome full = Sfconv({"tables", "--export", dir.path().string()});
  EXPECT_EQ(full.status, kExitFileError);
  EXPECT_NE(full.err.find(SystemReason(ENOSPC)), std::string::npos) << full.err;
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "sanideva.cod"), "old syllables");
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "lipikara.mmy"), "old map");
  EXPECT_EQ(Contents(dir.path()).size(), 3u);
}

// A standard input that fails with the given exception after its first
// bytes, as if memory ran out in the middle of a run.
template <typename Failure>
class FailingInput : public std::streambuf {
 public:
  explicit FailingInput(std::string first) : first_(std::move(first)) {
    setg(first_.data(), first_.data(), first_.data() + first_.size());
  }

 protected:
  int_type underflow() override { throw Failure("in the middle of the run"); }

 private:
  std::string first_;
};

template <typename Failure>
void ExpectFailureLeavesTheOutputFile(const std::string& message) {
  TempDir dir;
  const std::filesystem::path out = dir.path() / "out.txt";
  dir.Write("out.txt", "old");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"to-devanagari", "-o", out.string()},
           {"convert", "--from", "iast", "--to", "Vedic", "-o", out.string()},
           {"check", "-", "-o", out.string()}}) {
    FailingInput<Failure> source(std::string(100000, 'k'));
    std::istream in(&source);
    in.exceptions(std::ios::badbit);  // the failure itself reaches the tool
    const Outcome run = Sfconv(args, in);
    EXPECT_EQ(run.status, kExitFileError) << testing::PrintToString(args);
    EXPECT_EQ(run.err, message) << testing::PrintToString(args);
    EXPECT_EQ(test::ReadFileBytes(out), "old");
    EXPECT_EQ(Contents(dir.path()).size(), 1u);
  }
}

struct OutOfMemory : std::bad_alloc {
  explicit OutOfMemory(const char*) {}
};

TEST(SfconvFailures, RunningOutOfMemoryMidRunLeavesNoOutputFile) {
  ExpectFailureLeavesTheOutputFile<OutOfMemory>("sfconv: out of memory\n");
}

TEST(SfconvFailures, AnyOtherFailureMidRunIsOneMessage) {
  ExpectFailureLeavesTheOutputFile<std::logic_error>(
      "sfconv: stopped by an unexpected error: in the middle of the run\n");
}

TEST(SfconvProgram, HelpToAFullDiskIsAWriteError) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  const std::string err = (dir.path() / "err.txt").string();
  for (const char* args : {"--help", "tables --help", "to-devanagari --help"}) {
    EXPECT_EQ(RunScript("$SFCONV " + std::string(args) + " > /dev/full 2> " + err), kExitFileError)
        << args;
    EXPECT_EQ(test::ReadFileBytes(err),
              "sfconv: cannot write standard output" + SystemReason(ENOSPC) + "\n")
        << args;
  }
  EXPECT_EQ(RunScript("$SFCONV --help > /dev/null"), kExitOk);
}

TEST(SfconvProgram, DashReadsAndWritesTheStandardStreams) {
  TempDir dir;
  const std::string path = dir.path().string();
  EXPECT_EQ(RunScript("printf ka | $SFCONV to-devanagari -i - -o - > " + path + "/out.txt"),
            kExitOk);
  EXPECT_BYTES("k ", test::ReadFileBytes(dir.path() / "out.txt"));
  EXPECT_EQ(RunScript("printf 'ka ga' | $SFCONV check - > " + path + "/out.txt"), kExitOk);
  EXPECT_NE(test::ReadFileBytes(dir.path() / "out.txt").find("2 of 2 words"), std::string::npos);
}

}  // namespace
}  // namespace sfc
