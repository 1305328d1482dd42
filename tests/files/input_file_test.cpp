// The input file that LOAD reads, the data directory, fields of any size,
// a source that breaks down.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "code_table_files.h"
#include "field_reader.h"
#include "message_text.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::TempDir;

TEST(InputFile, EveryFieldIsFollowedByOneCommaUpToTheBound) {
  test::TempDir dir;
  const std::string path = (dir.path() / kInputFileName).string();
  EXPECT_FALSE(ReadInputFile(dir.path()).found);
  EXPECT_EQ(ReadInputFile(dir.path()).text, "There is no such file as " + path);
  dir.Write(kInputFileName, "rama,sita\r\nkrishna\n");
  EXPECT_EQ(ReadInputFile(dir.path()).text, "rama,sita,krishna,");
  dir.Write(kInputFileName, B({"\"a, b\"\na, b\r", 146, "dh", 215, 0}));
  EXPECT_BYTES(B({"a, b,a,b,", 146, "dh", 215, 0, ","}), ReadInputFile(dir.path()).text);
  dir.Write(kInputFileName, "");
  EXPECT_EQ(ReadInputFile(dir.path()).text, "");
  // A file longer than the bound is not loaded.
  dir.Write(kInputFileName, "ab,cd\nef");
  EXPECT_EQ(ReadInputFile(dir.path(), 9).text, "ab,cd,ef,");
  EXPECT_EQ(
      ReadInputFile(dir.path(), 8).text,
      path + " is longer than 8 bytes, more than LOAD puts into a text box; it is not loaded");
  dir.Write(kInputFileName, std::string(100, 'k'));
  EXPECT_TRUE(ReadInputFile(dir.path(), 101).found);
  EXPECT_FALSE(ReadInputFile(dir.path(), 100).found);
  std::filesystem::remove(dir.path() / kInputFileName);
  std::filesystem::create_directory(dir.path() / kInputFileName);
  EXPECT_FALSE(ReadInputFile(dir.path()).found);
  EXPECT_EQ(ReadInputFile(dir.path()).text, path + " is a directory, not a file");
}

#ifndef _WIN32
// The check names an entry past a list's end by its ordinal ("the 13th").
TEST(MessageText, OrdinalsTakeTheirEnglishEndings) {
  std::string ordinals;
  for (const int n : {1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 101, 111, 113}) {
    ordinals += Ordinal(n) + " ";
  }
  EXPECT_EQ(ordinals, "1st 2nd 3rd 4th 11th 12th 13th 21st 22nd 23rd 101st 111th 113th ");
}

TEST(DataDirectoryTest, TheEnvironmentNamesItElseItIsLipikaraInTheHomeDirectory) {
  const char* old_dir = std::getenv("LIPIKARA_DIR");
  const char* old_home = std::getenv("HOME");
  const std::string saved_dir = old_dir ? old_dir : "", saved_home = old_home ? old_home : "";
  setenv("LIPIKARA_DIR", "/srv/tables", 1);
  EXPECT_EQ(DataDirectory(), std::filesystem::path("/srv/tables"));
  unsetenv("LIPIKARA_DIR");
  setenv("HOME", "/users/someone", 1);
  EXPECT_EQ((DataDirectory() / kGlyphFileName).string(), "/users/someone/lipikara/devitran.cod");
  if (old_dir) setenv("LIPIKARA_DIR", saved_dir.c_str(), 1);
  old_home ? setenv("HOME", saved_home.c_str(), 1) : unsetenv("HOME");
}
#endif

// A source that breaks down after a number of bytes, as a disk may.
class FailingSource : public std::streambuf {
 public:
  FailingSource(std::string bytes, std::size_t good) : bytes_(std::move(bytes)), good_(good) {}

 protected:
  int_type underflow() override {
    if (at_ >= good_) throw std::ios_base::failure("read error");
    setg(&bytes_[at_], &bytes_[at_], &bytes_[at_] + 1);
    return traits_type::to_int_type(bytes_[at_++]);
  }

 private:
  std::string bytes_;
  std::size_t good_;
  std::size_t at_ = 0;
};

TEST(FieldReaderTest, ASourceThatFailsEndsTheFileWhereItFailed) {
  FailingSource source("ab,cd,ef", 4);
  FieldReader reader(source);
  std::vector<std::string> values;
  while (std::optional<Field> field = reader.Next()) values.push_back(field->value);
  EXPECT_EQ(values, (std::vector<std::string>{"ab", "c"}));
  EXPECT_TRUE(reader.read_failed());
}

std::vector<Field> AllFields(std::string bytes, std::size_t max_field_bytes = kMaxFieldBytes) {
  std::stringbuf source(std::move(bytes));
  FieldReader reader(source, max_field_bytes);
  std::vector<Field> fields;
  while (std::optional<Field> field = reader.Next()) fields.push_back(std::move(*field));
  return fields;
}

TEST(FieldBounds, AFieldIsKeptUpToTheLongestCellAndCutThere) {
  constexpr int kMax = static_cast<int>(kMaxFieldBytes);
  std::vector<Field> fields = AllFields("ab\n  " + std::string(kMax + 10, 'k') + "x,cd\n");
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_EQ(fields[1].value, std::string(kMaxFieldBytes, 'k'));
  EXPECT_EQ(fields[1].cut_at, (FieldPosition{2, 3 + kMax}));
  EXPECT_EQ(fields[1].end, FieldEnd::kComma);
  EXPECT_EQ(fields[2].value, "cd");
  EXPECT_EQ(fields[2].start, (FieldPosition{2, 3 + kMax + 12}));
  // A field of exactly the limit is whole.
  fields = AllFields(std::string(kMaxFieldBytes, 'k'));
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].value.size(), kMaxFieldBytes);
  EXPECT_FALSE(fields[0].cut_at);
  // A quoted field is cut too.
  fields = AllFields("\"abc\r\ndefg\" x,z", 6);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].value, "abc\r\nd");
  EXPECT_EQ(fields[0].cut_at, (FieldPosition{2, 2}));
  EXPECT_TRUE(fields[0].spans_lines);
  EXPECT_EQ(fields[0].dropped_text, (FieldPosition{2, 7}));
  EXPECT_EQ(fields[1].value, "z");
}

TEST(FieldBounds, TheLoadAndTheCheckReportACutFieldWithItsPlace) {
  TempDir dir;
  test::WriteTableFiles(dir, {"a,b,c\n" + std::string(5000, 'k') + ",x,y\n", "y\n", "ka1\n"});
  ConverterState state = MakeStartupState();
  const LoadReport report = LoadCodeTables(state, dir.path());
  const TableProblem cut{Severity::kWarning, kSyllableFileName, 2,
                         static_cast<int>(kMaxFieldBytes) + 1, CutFieldMessage(kMaxFieldBytes)};
  EXPECT_EQ(report.problems, std::vector<TableProblem>{cut});
  EXPECT_EQ(state.sanideva.key[2], std::string(kMaxFieldBytes, 'k'));
  EXPECT_EQ(state.sanideva.full[2], "x");
  const std::vector<TableProblem> problems = CheckCodeTables(dir.path());
  EXPECT_NE(std::find(problems.begin(), problems.end(), cut), problems.end());
  EXPECT_TRUE(
      FormatProblem(cut).starts_with("sanideva.cod:2:4097: the field is longer than 4096 bytes"));
}

TEST(FileBounds, AFileOfOneHugeFieldLoadsInLittleMemory) {
  constexpr std::size_t kFieldBytes = std::size_t{200} << 20;
  TempDir dir;
  {
    std::ofstream file(dir.path() / kSyllableFileName, std::ios::binary);
    const std::string block(1 << 20, 'k');
    for (std::size_t left = kFieldBytes; left > 0; left -= block.size()) file << block;
    file << ",x,y\r\nb,c,d\r\n";
    ASSERT_TRUE(file.good());
  }
  // The load in a child process, whose peak memory the system tells.
  const pid_t pid = ::fork();
  if (pid == 0) {
    ConverterState state = MakeStartupState();
    const LoadReport report = LoadCodeTables(state, dir.path());
    ::_exit(report.problems.size() == 3 &&  // the cut, and the two files that are not there
                    state.sanideva.key[1].size() == kMaxFieldBytes &&
                    state.sanideva.full[1] == "x" && state.sanideva.half[1] == "y" &&
                    state.sanideva.key[2] == "b"
                ? 0
                : 1);
  }
  int status = 0;
  struct rusage usage {};
  ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#ifndef SFC_TEST_UNDER_ASAN
  EXPECT_LT(usage.ru_maxrss, 50 * 1024) << "peak memory in KB";
#endif
}

}  // namespace
}  // namespace sfc
