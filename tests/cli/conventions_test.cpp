// The conventions of the command line: "-" for the standard streams, -o only
// where there is an output to write, the export as one change, and every
// failure as one message and a status.

#include <cerrno>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <streambuf>

#include "atomic_file.h"
#include "run_sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::Contents;
using test::Outcome;
using test::Sfconv;
using test::TempDir;
using Args = std::vector<std::string>;

TEST(SfconvDash, NamesStandardInputAndOutput) {
  const Args convert = {"convert", "--from", "Sanskrit-Times", "--to", "Vedic"};
  Args convert_dashes = convert;
  convert_dashes.insert(convert_dashes.end(), {"-i", "-", "-o", "-"});
  for (const auto& [args, plain] : std::vector<std::pair<Args, Args>>{
           {{"to-devanagari", "-i", "-"}, {"to-devanagari"}},
           {{"to-devanagari", "-o", "-"}, {"to-devanagari"}},
           {{"to-devanagari", "-i", "-", "-o", "-"}, {"to-devanagari"}},
           {convert_dashes, convert},
           {{"check", "-"}, {"check"}},
           {{"tables", "-o", "-"}, {"tables"}}}) {
    const Outcome run = Sfconv(args, "namaste");
    EXPECT_EQ(run.status, kExitOk) << testing::PrintToString(args) << run.err;
    EXPECT_BYTES(Sfconv(plain, "namaste").out, run.out);
  }
  EXPECT_NE(Sfconv({"check", "-"}, "namaste").out.find("1 of 1 words"), std::string::npos);
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

TEST(SfconvTables, AnOutputFileDoesNotGoWithCheckOrExport) {
  TempDir dir;
  const std::string d = dir.path().string();
  const std::string out = (dir.path() / "out.txt").string();
  for (const Args& args : std::vector<Args>{{"tables", "--check", d, "-o", out},
                                            {"tables", "-o", out, "--check", d},
                                            {"tables", "--export", d, "-o", out},
                                            {"tables", "-o", out, "--export", d},
                                            {"tables", "--export", d, "-o", "-"}}) {
    const Outcome run = Sfconv(args);
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_TRUE(
        run.err.starts_with("sfconv: option -o does not go with tables --check or --export\n"))
        << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SfconvTables, AFailedExportChangesNothingInTheDirectory) {
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

struct OutOfMemory : std::bad_alloc {
  explicit OutOfMemory(const char*) {}
};

template <typename Failure>
void ExpectFailureLeavesTheOutputFile(const std::string& message) {
  TempDir dir;
  const std::string out = (dir.path() / "out.txt").string();
  dir.Write("out.txt", "old");
  for (const Args& args :
       std::vector<Args>{{"to-devanagari", "-o", out},
                         {"convert", "--from", "iast", "--to", "Vedic", "-o", out},
                         {"check", "-", "-o", out}}) {
    FailingInput<Failure> source(std::string(100000, 'k'));
    std::istream in(&source);
    in.exceptions(std::ios::badbit);  // the failure itself reaches the tool
    const Outcome run = Sfconv(args, in);
    EXPECT_EQ(run.status, kExitFileError) << testing::PrintToString(args);
    EXPECT_EQ(run.err, message) << testing::PrintToString(args);
    EXPECT_EQ(Contents(dir.path()), (std::map<std::string, std::string>{{"out.txt", "old"}}));
  }
}

TEST(SfconvFailures, AFailureMidRunIsOneMessageAndLeavesTheOutputFile) {
  ExpectFailureLeavesTheOutputFile<OutOfMemory>("sfconv: out of memory\n");
  ExpectFailureLeavesTheOutputFile<std::logic_error>(
      "sfconv: stopped by an unexpected error: in the middle of the run\n");
}

}  // namespace
}  // namespace sfc
