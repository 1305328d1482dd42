// Files of any size: a field is kept only up to the longest cell, a table
// file is read only up to the rows of its table, and the load of a huge
// file takes little memory and time.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "code_table_files.h"
#include "field_reader.h"
#include "message_text.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::TempDir;

std::vector<Field> AllFields(std::string bytes, std::size_t max_field_bytes = kMaxFieldBytes) {
  std::stringbuf source(std::move(bytes));
  FieldReader reader(source, max_field_bytes);
  std::vector<Field> fields;
  while (std::optional<Field> field = reader.Next()) fields.push_back(std::move(*field));
  return fields;
}

TEST(FieldBounds, AFieldIsKeptUpToTheLongestCellAndCutThere) {
  const std::vector<Field> fields =
      AllFields("ab\n  " + std::string(kMaxFieldBytes + 10, 'k') + "x,cd\n");
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_EQ(fields[0].value, "ab");
  EXPECT_FALSE(fields[0].cut_at);
  EXPECT_EQ(fields[1].value, std::string(kMaxFieldBytes, 'k'));
  ASSERT_TRUE(fields[1].cut_at);
  EXPECT_EQ(*fields[1].cut_at, (FieldPosition{2, 3 + static_cast<int>(kMaxFieldBytes)}));
  EXPECT_EQ(fields[1].end, FieldEnd::kComma);
  EXPECT_EQ(fields[2].value, "cd");
  EXPECT_EQ(fields[2].start, (FieldPosition{2, 3 + static_cast<int>(kMaxFieldBytes) + 12}));
}

TEST(FieldBounds, AQuotedFieldIsCutToo) {
  const std::vector<Field> fields = AllFields("\"abc\r\ndefg\" x,z", 6);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].value, "abc\r\nd");
  ASSERT_TRUE(fields[0].cut_at);
  EXPECT_EQ(*fields[0].cut_at, (FieldPosition{2, 2}));
  EXPECT_TRUE(fields[0].spans_lines);
  EXPECT_EQ(fields[0].dropped_text, (FieldPosition{2, 7}));
  EXPECT_EQ(fields[1].value, "z");
}

TEST(FieldBounds, AFieldOfExactlyTheLimitIsWhole) {
  const std::vector<Field> fields = AllFields(std::string(kMaxFieldBytes, 'k'));
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].value.size(), kMaxFieldBytes);
  EXPECT_FALSE(fields[0].cut_at);
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
  EXPECT_EQ(FormatProblem(cut).rfind("sanideva.cod:2:4097: the field is longer than 4096 bytes", 0),
            0u);
}

// Writes `size` bytes of `byte` to a file, a block at a time.
void WriteLongFile(const std::filesystem::path& path, std::string_view head, std::size_t size,
                   char byte, std::string_view tail = {}) {
  std::ofstream file(path, std::ios::binary);
  file << head;
  const std::string block(1 << 20, byte);
  for (std::size_t left = size; left > 0;) {
    const std::size_t n = std::min(left, block.size());
    file.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  file << tail;
  ASSERT_TRUE(file.good());
}

struct ChildRun {
  bool ok = false;
  long peak_kilobytes = 0;
  double seconds = 0;
};

// Runs `work` in a child process; whether it ended well, its peak memory and
// the time it took.
template <typename Work>
ChildRun InChild(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(work() ? 0 : 1);
  ChildRun run;
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peak_kilobytes = usage.ru_maxrss;
  return run;
}

TEST(FileBounds, AFileOfOneHugeFieldLoadsInLittleMemoryAndTime) {
  constexpr std::size_t kFieldBytes = std::size_t{200} << 20;
  TempDir dir;
  WriteLongFile(dir.path() / kSyllableFileName, "", kFieldBytes, 'k', ",x,y\r\nb,c,d\r\n");
  const std::filesystem::path path = dir.path();
  const ChildRun run = InChild([&path] {
    ConverterState state = MakeStartupState();
    const LoadReport report = LoadCodeTables(state, path);
    return report.problems.size() == 3 &&  // the cut, and the two files that are not there
           state.sanideva.key[1].size() == kMaxFieldBytes && state.sanideva.full[1] == "x" &&
           state.sanideva.half[1] == "y" && state.sanideva.key[2] == "b";
  });
  std::printf("  a sanideva.cod of one 200 MB field: loaded in %.2f s, peak memory %ld KB\n",
              run.seconds, run.peak_kilobytes);
  EXPECT_TRUE(run.ok);
  EXPECT_LT(run.seconds, 5.0);
#ifndef SFC_TEST_UNDER_ASAN
  EXPECT_LT(run.peak_kilobytes, 50 * 1024);
#endif
}

TEST(FileBounds, ATableFileIsReadNoFurtherThanTheRowsOfItsTable) {
  // 255 rows and then 64 MB of one-byte fields, which would take many
  // seconds to read field by field.
  TempDir dir;
  std::string rows;
  for (int row = 1; row <= kShortIFileRows; ++row) rows += "n\n";
  WriteLongFile(dir.path() / kShortIFileName, rows, std::size_t{64} << 20, ',');
  const auto start = std::chrono::steady_clock::now();
  ConverterState state = MakeStartupState();
  LoadCodeTables(state, dir.path());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(state.short_i[255], "n");
  EXPECT_LT(seconds, 0.5);
}

TEST(InputFileBounds, ALongerInputFileIsNotLoaded) {
  TempDir dir;
  dir.Write(kInputFileName, "ab,cd\nef");
  EXPECT_EQ(ReadInputFile(dir.path(), 9).text, "ab,cd,ef,");
  const InputFileText longer = ReadInputFile(dir.path(), 8);
  EXPECT_FALSE(longer.found);
  EXPECT_EQ(longer.text, (dir.path() / kInputFileName).string() +
                             " is longer than 8 bytes, more than LOAD puts into a text box; it "
                             "is not loaded");
  dir.Write(kInputFileName, std::string(100, 'k'));
  EXPECT_FALSE(ReadInputFile(dir.path(), 50).found);
  EXPECT_TRUE(ReadInputFile(dir.path(), 101).found);
  EXPECT_FALSE(ReadInputFile(dir.path(), 100).found);
}

}  // namespace
}  // namespace sfc
