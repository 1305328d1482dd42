// The input file that LOAD reads, the data directory, and a source that
// breaks down while it is read.

#include <cstdlib>

#include "code_table_files.h"
#include "field_reader.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

TEST(InputFile, EveryFieldIsFollowedByOneComma) {
  test::TempDir dir;
  dir.Write(kInputFileName, "rama,sita\r\nkrishna\n");
  const InputFileText loaded = ReadInputFile(dir.path());
  EXPECT_TRUE(loaded.found);
  EXPECT_EQ(loaded.text, "rama,sita,krishna,");
  dir.Write(kInputFileName, B({"\"a, b\"\na, b\r", 146, "dh", 215, 0}));
  EXPECT_BYTES(B({"a, b,a,b,", 146, "dh", 215, 0, ","}), ReadInputFile(dir.path()).text);
  dir.Write(kInputFileName, "");
  EXPECT_EQ(ReadInputFile(dir.path()).text, "");
}

TEST(InputFile, AFileThatCannotBeReadGivesAMessageWithItsPathAndCause) {
  test::TempDir dir;
  const std::string expected = "There is no such file as " + (dir.path() / "sanskrit.txt").string();
  EXPECT_FALSE(ReadInputFile(dir.path()).found);
  EXPECT_EQ(ReadInputFile(dir.path()).text, expected);
  std::filesystem::create_directory(dir.path() / "sanskrit.txt");
  EXPECT_FALSE(ReadInputFile(dir.path()).found);
  EXPECT_EQ(ReadInputFile(dir.path()).text,
            (dir.path() / "sanskrit.txt").string() + " is a directory, not a file");
}

#ifndef _WIN32
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

}  // namespace
}  // namespace sfc
