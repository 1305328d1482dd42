// The field syntax shared by the code-table files and the input file.

#include "field_reader.h"

#include <cstdlib>
#include <sstream>

#include "code_table_files.h"
#include "files_test_support.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

std::vector<std::string> Fields(const std::string& bytes) {
  std::istringstream in(bytes);
  FieldReader reader(*in.rdbuf());
  std::vector<std::string> values;
  while (std::optional<Field> field = reader.Next()) values.push_back(field->value);
  EXPECT_TRUE(reader.AtEnd());
  return values;
}

using Values = std::vector<std::string>;

TEST(FieldSyntax, CommasAndEveryKindOfLineEndSeparate) {
  EXPECT_EQ(Fields("a,b\nc\r\nd\re\n"), (Values{"a", "b", "c", "d", "e"}));
}

TEST(FieldSyntax, TwoSeparatorsInARowGiveAnEmptyField) {
  EXPECT_EQ(Fields("a,,b\n\nc\r\n\r\nd"), (Values{"a", "", "b", "", "c", "", "d"}));
  EXPECT_EQ(Fields(",\n"), (Values{"", ""}));
  // A comma at the very end separates nothing: the file has ended.
  EXPECT_EQ(Fields("a,b,"), (Values{"a", "b"}));
  EXPECT_EQ(Fields(""), Values{});
}

TEST(FieldSyntax, OnlySpacesBeforeAFieldAreSkippedAndSpacesAfterItBelongToIt) {
  EXPECT_EQ(Fields("  a,  b  ,\tc, \t d\n   \n"), (Values{"a", "b  ", "\tc", "\t d", ""}));
  // Spaces at the very end still make a field: the file had not ended.
  EXPECT_EQ(Fields("a\n   "), (Values{"a", ""}));
}

TEST(FieldSyntax, AQuotedFieldRunsToTheNextQuotationMark) {
  EXPECT_EQ(Fields("\"a, b\"\n  \"x\ny\",\"\""), (Values{"a, b", "x\ny", ""}));
  // Text after the closing mark up to the next separator is dropped.
  EXPECT_EQ(Fields("\"a\"bc d,e\n\"f\"  \ng"), (Values{"a", "e", "f", "g"}));
  // A quotation mark inside an unquoted field is an ordinary byte.
  EXPECT_EQ(Fields("a\"b,c\""), (Values{"a\"b", "c\""}));
}

TEST(FieldSyntax, AQuotedFieldThatIsNeverClosedRunsToTheEndOfTheFile) {
  EXPECT_EQ(Fields("a,\"b,c\r\nd,"), (Values{"a", "b,c\r\nd,"}));
}

TEST(FieldSyntax, EveryOtherByteIsOrdinary) {
  const std::string odd = B({146, "x", 150, 0, 151, 171, 187, "\t", 255, "!034!"});
  EXPECT_EQ(Fields(odd + "," + odd), (Values{odd, odd}));
}

TEST(FieldSyntax, FieldsKnowWhereTheyStandAndHowTheyEnded) {
  std::istringstream in("ab,  c\r\n\"d\ne\"x,\rf");
  FieldReader reader(*in.rdbuf());
  std::vector<Field> fields;
  while (std::optional<Field> field = reader.Next()) fields.push_back(*field);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(fields[0].start, (FieldPosition{1, 1}));
  EXPECT_EQ(fields[0].end, FieldEnd::kComma);
  EXPECT_EQ(fields[1].start, (FieldPosition{1, 4}));
  EXPECT_EQ(fields[1].value_start, (FieldPosition{1, 6}));
  EXPECT_EQ(fields[1].skipped_spaces, 2);
  EXPECT_EQ(fields[1].end, FieldEnd::kLineEnd);
  EXPECT_EQ(fields[2].start, (FieldPosition{2, 1}));
  EXPECT_TRUE(fields[2].quoted);
  EXPECT_TRUE(fields[2].spans_lines);
  EXPECT_EQ(fields[2].dropped_text, (FieldPosition{3, 3}));
  EXPECT_EQ(fields[3].start, (FieldPosition{3, 5}));  // empty, ended by a lone CR
  EXPECT_EQ(fields[4].start, (FieldPosition{4, 1}));
  EXPECT_EQ(fields[4].end, FieldEnd::kEndOfFile);
}

// A source that breaks down after a number of bytes, as a disk may.
class FailingSource : public std::streambuf {
 public:
  FailingSource(std::string bytes, std::size_t good) : bytes_(std::move(bytes)), good_(good) {}

 protected:
  int_type underflow() override {
    if (at_ >= good_) throw std::ios_base::failure("read error");
    if (at_ >= bytes_.size()) return traits_type::eof();
    setg(&bytes_[at_], &bytes_[at_], &bytes_[at_] + 1);
    ++at_;
    return traits_type::to_int_type(bytes_[at_ - 1]);
  }

 private:
  std::string bytes_;
  std::size_t good_;
  std::size_t at_ = 0;
};

TEST(FieldSyntax, ASourceThatFailsEndsTheFileWhereItFailed) {
  FailingSource source("ab,cd,ef", 4);
  FieldReader reader(source);
  std::vector<std::string> values;
  while (std::optional<Field> field = reader.Next()) values.push_back(field->value);
  EXPECT_EQ(values, (Values{"ab", "c"}));
  EXPECT_TRUE(reader.read_failed());
}

TEST(FieldRows, TheEndTestRunsOncePerRowAndMissingFieldsComeAsNothing) {
  std::istringstream in("k1,f1,h1\nk2,f2");
  FieldReader reader(*in.rdbuf());
  std::string seen;
  const int rows = ForEachRow(reader, 3, 255, [&](int row, int index, const Field* field) {
    seen += std::to_string(row) + ":" + std::to_string(index) + "=" +
            (field ? field->value : std::string("-")) + " ";
  });
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(seen, "1:0=k1 1:1=f1 1:2=h1 2:0=k2 2:1=f2 2:2=- ");
}

TEST(FieldRows, ReadingStopsAtTheLastRow) {
  std::istringstream in("a,b,c,d");
  FieldReader reader(*in.rdbuf());
  EXPECT_EQ(ForEachRow(reader, 1, 3, [](int, int, const Field*) {}), 3);
  EXPECT_EQ(reader.Next()->value, "d");
}

// --- the input file that LOAD reads ------------------------------------------

TEST(InputFile, EveryFieldIsFollowedByOneComma) {
  test::TempDir dir;
  dir.Write(kInputFileName, "rama,sita\r\nkrishna\n");
  InputFileText loaded = ReadInputFile(dir.path());
  EXPECT_TRUE(loaded.found);
  EXPECT_EQ(loaded.text, "rama,sita,krishna,");

  dir.Write(kInputFileName, "\"a, b\"\na, b");
  EXPECT_EQ(ReadInputFile(dir.path()).text, "a, b,a,b,");

  dir.Write(kInputFileName, B({"dh", 215, "t", 0, "\"x\",", 146}));
  EXPECT_BYTES(B({"dh", 215, "t", 0, "\"x\",", 146, ","}), ReadInputFile(dir.path()).text);
}

TEST(InputFile, AnEmptyFileLoadsAsTheEmptyText) {
  test::TempDir dir;
  dir.Write(kInputFileName, "");
  const InputFileText loaded = ReadInputFile(dir.path());
  EXPECT_TRUE(loaded.found);
  EXPECT_EQ(loaded.text, "");
}

TEST(InputFile, AMissingFileOrADirectoryGivesTheErrorTextWithItsPath) {
  test::TempDir dir;
  const std::string expected = "There is no such file as " + (dir.path() / "sanskrit.txt").string();
  InputFileText loaded = ReadInputFile(dir.path());
  EXPECT_FALSE(loaded.found);
  EXPECT_EQ(loaded.text, expected);

  std::filesystem::create_directory(dir.path() / "sanskrit.txt");
  loaded = ReadInputFile(dir.path());
  EXPECT_FALSE(loaded.found);
  EXPECT_EQ(loaded.text, expected);
}

#ifndef _WIN32
// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DataDirectoryTest, TheEnvironmentNamesItElseItIsLipikaraInTheHomeDirectory) {
  {
    ScopedEnv dir("LIPIKARA_DIR", "/srv/tables");
    EXPECT_EQ(DataDirectory(), std::filesystem::path("/srv/tables"));
  }
  ScopedEnv dir("LIPIKARA_DIR", nullptr);
  ScopedEnv home("HOME", "/home/user");
  EXPECT_EQ(DataDirectory(), std::filesystem::path("/home/user/lipikara/"));
  EXPECT_EQ((DataDirectory() / kGlyphFileName).string(), "/home/user/lipikara/devitran.cod");
}
#endif

}  // namespace
}  // namespace sfc
