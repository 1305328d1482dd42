// Checking the three files: every problem with its file, line and column.

#include "code_table_files.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::Repeat;
using test::TempDir;

std::vector<std::string> Checked(const std::filesystem::path& dir) {
  std::vector<std::string> lines;
  for (const TableProblem& problem : CheckCodeTables(dir)) lines.push_back(FormatProblem(problem));
  return lines;
}

using Lines = std::vector<std::string>;

const std::string kKeyRule =
    ": rows keep their places, and a key may only be replaced by one that starts with the same "
    "letter";

void ExpectChecked(const test::TableFiles& files, const Lines& expected) {
  TempDir dir;
  test::WriteTableFiles(dir, files);
  EXPECT_EQ(Checked(dir.path()), expected);
}

// No rule reads the list of vowel signs, so 25 of them are no problem; a
// 21st short-i sign is.
TEST(CheckTables, OnlyAnOverfullListThatAConversionReadsIsReported) {
  ExpectChecked({"!128!,a;,;\n", "y\n", Repeat("e3\n", 25) + Repeat("i3\n", 21)},
                {"devitran.cod:46:1: entry \"i3\" is the 21st short-i sign: only the first 20 "
                 "are recorded, so this one is ignored"});
}

TEST(CheckTables, SyllableFileProblems) {
  ExpectChecked(
      {"!128!,a;,;\r\n"
       "a,!300!,!34!\r\n"
       "xi,Ee,w\r\n"
       "au,\"a*\"zz,*\r\n"
       "b,   ,!1a3!\r\n"
       "bh,.,>,bn\r\n"
       ",",
       "y\n", "ka1\n"},
      {
          "sanideva.cod:2:3: escape \"!300!\" is above 255: the field is read as it stands",
          "sanideva.cod:2:9: escape \"!34!\" needs exactly three digits (as \"!034!\"): the "
          "field is read as it stands",
          "sanideva.cod:3:1: key \"xi\" of row 3 does not start with \"a\"" + kKeyRule,
          "sanideva.cod:4:8: text after the closing quotation mark is dropped",
          "sanideva.cod:5:3: this field holds only spaces, which are skipped: it reads as empty "
          "(write a space as !032!)",
          "sanideva.cod:5:7: escape \"!1a3!\" needs three decimal digits: the field is read as "
          "it stands",
          "sanideva.cod:6:1: row 6 is not on a line of its own: fields are read three at a time "
          "whatever the lines, so a missing or extra field shifts every row after it (their keys "
          "are not checked until this is mended)",
          "sanideva.cod:7:2: the file ends inside row 7 (20 fields, not a multiple of three): "
          "its half glyphs keep their contents",
      });
}

TEST(CheckTables, KeysOfTheSpecialLettersMayStartWithTheLetterOfAnyTransliterationFont) {
  // Rows 1 (ā) and 2 in URW Palladio IT, then a row 3 in no font at all.
  ExpectChecked({B({228, ",a;,;\n", "a,a,x\n", 228, "i,Ee,w\n"}), "y\n", "ka1\n"},
                {"sanideva.cod:3:1: key \"<228>i\" of row 3 does not start with \"a\"" + kKeyRule});
  ExpectChecked({"x,a;,;\n", "y\n", "ka1\n"},
                {"sanideva.cod:1:1: key \"x\" of row 1 does not start with the letter of the "
                 "row (\"<228>\" in URW Palladio IT, \"<128>\" in Sanskrit-Times or \"<161>\" "
                 "in ITRTransTimes)" +
                 kKeyRule});
}

TEST(CheckTables, AFontOfTheUsersOwnGivesItsSpecialLettersInTheRowsThatHoldThemAlone) {
  // The Sanskrit-Times keys of rows 1 to 40 with a ḍ of byte 200; row 38
  // has lost its letter.
  const ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  std::string sanideva;
  for (int row = 1; row <= 40; ++row) {
    std::string key = row == 38 ? "dd" : state.sanideva.key[row];
    for (char& c : key) c = c == '\x81' ? '\xc8' : c;
    sanideva += key + ",x,x\n";
  }
  ExpectChecked({sanideva, "y\n", "ka1\n"},
                {"sanideva.cod:38:1: key \"dd\" of row 38 does not start with the letter of the "
                 "row (\"<242>\" in URW Palladio IT, \"<129>\" in Sanskrit-Times or \"<175>\" "
                 "in ITRTransTimes) or the one this file gives in row 39 (\"<200>\")" +
                 kKeyRule});
}

TEST(CheckTables, ShortIMapProblems) {
  ExpectChecked({"!128!,a;,;\n", "y,n,Y\n!121!\n \"y\"\nyes", "ka1\n"},
                {"lipikara.mmy:1:5: value \"Y\" is neither \"y\" nor \"n\"",
                 "lipikara.mmy:2:1: value \"!121!\" is neither \"y\" nor \"n\" (this file "
                 "decodes no escape)",
                 "lipikara.mmy:4:1: value \"yes\" is neither \"y\" nor \"n\""});
}

TEST(CheckTables, GlyphFileProblems) {
  const std::string devitran = "~8\nka\nopen_y\nx0\nhalf_r2\n 8\n\nk!044!1\n" +
                               Repeat("asp15\n", 5) + Repeat("i3\n", 21) +
                               "\"ka\n1\"\n"
                               "\"ra1,ta1\n";
  ExpectChecked(
      {"!128!,a;,;\n", "y\n", devitran},
      {
          "devitran.cod:2:1: entry \"ka\" has no class digit at its end, so it counts as class 0",
          "devitran.cod:3:1: entry \"open_y\" has no class digit at its end, so it counts as "
          "class 0; the special glyph is written \"open_y5\"",
          "devitran.cod:4:1: entry \"x0\" ends in 0, which is no glyph class (1 to 9)",
          "devitran.cod:5:1: \"half_r\" names a special glyph of class 5, but entry \"half_r2\" "
          "has class 2",
          "devitran.cod:6:1: the spaces before this entry are skipped (write a leading space as "
          "!032!)",
          "devitran.cod:7:1: the entry is empty: it has no class digit and counts as class 0",
          "devitran.cod:8:2: escape \"!044!\" is not decoded: only an escape at the very start of "
          "a field is",
          "devitran.cod:13:1: entry \"asp15\" is the 5th aspirata sign: only the first 4 are "
          "recorded, so this one is ignored",
          "devitran.cod:34:1: entry \"i3\" is the 21st short-i sign: only the first 20 are "
          "recorded, so this one is ignored",
          "devitran.cod:35:1: the quoted field runs over a line end, which becomes part of its "
          "value",
          "devitran.cod:37:1: this quotation mark is never closed: the field runs to the end of "
          "the file",
          "devitran.cod:37:2: entry \"ra1,ta1<10>\" has no class digit at its end, so it counts "
          "as class 0",
      });
}

TEST(CheckTables, FieldsBeyondTheLastRowOfATable) {
  ExpectChecked({"!128!,a;,;\n", Repeat("y,", 255) + "n\n", Repeat("ka1\n", 301)},
                {"lipikara.mmy:1:511: the table has 255 rows: the fields from here on are not "
                 "read",
                 "devitran.cod:301:1: the table has 300 rows: the fields from here on are not "
                 "read"});
}

TEST(CheckTables, MissingEmptyAndMisplacedFiles) {
  TempDir dir;
  dir.Write(kSyllableFileName, "");
  std::filesystem::create_directory(dir.path() / kShortIFileName);
  EXPECT_EQ(
      Checked(dir.path()),
      (Lines{"sanideva.cod: the file is empty: the table keeps its contents",
             "lipikara.mmy: " + (dir.path() / kShortIFileName).string() +
                 " is a directory, not a file",
             "devitran.cod: there is no such file as " + (dir.path() / kGlyphFileName).string()}));
  // A file that cannot be read is an error, the rest are warnings.
  std::vector<Severity> severities;
  for (const TableProblem& problem : CheckCodeTables(dir.path())) {
    severities.push_back(problem.severity);
  }
  EXPECT_EQ(severities,
            (std::vector<Severity>{Severity::kWarning, Severity::kError, Severity::kError}));
}

}  // namespace
}  // namespace sfc
