// Writing the tables in force as the three files: loading them back into a
// fresh start-up state gives the same tables byte for byte.

#include "code_table_files.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::DumpRows;
using test::TempDir;
using Problems = std::vector<TableProblem>;

// What `sfconv --tables DIR -t ... -d ...` sets up.
ConverterState LoadedAs(const std::filesystem::path& dir, std::string translit_font,
                        std::string devanagari_font) {
  ConverterState state = MakeStartupState();
  EXPECT_EQ(LoadCodeTables(state, dir).problems, Problems{});
  SetTranslitBoxFont(state, std::move(translit_font));
  SetDevanagariBoxFont(state, std::move(devanagari_font));
  return state;
}

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::vector<std::string> lines = test::ReadLines(path);
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

TEST(ExportTables, EveryBuiltInFontPairIsCleanAndComesBackByteForByte) {
  for (TranslitFont translit : kTranslitFonts) {
    for (DevanagariFont devanagari : kDevanagariFonts) {
      SCOPED_TRACE(std::string(FontName(translit)) + " / " + std::string(FontName(devanagari)));
      const ConverterState state = test::StateFor(translit, devanagari);
      TempDir dir;
      ASSERT_EQ(ExportCodeTables(state, dir.path()), Problems{});
      EXPECT_EQ(CheckCodeTables(dir.path()), Problems{});
      const ConverterState loaded =
          LoadedAs(dir.path(), std::string(FontName(translit)), std::string(FontName(devanagari)));
      EXPECT_BYTES(DumpRows(state), DumpRows(loaded));
    }
  }
}

// Cells that the field syntax cannot write as they are.
ConverterState AwkwardCells() {
  ConverterState state = MakeStartupState();
  state.sanideva.key[1] = " a";       // a leading space
  state.sanideva.full[1] = "\"q";     // a leading quotation mark
  state.sanideva.half[1] = ",";       // a comma
  state.sanideva.key[2] = "a,b";      // a comma inside
  state.sanideva.full[2] = "a\"b";    // a quotation mark inside
  state.sanideva.half[2] = "!065!x";  // would read as an escape
  state.sanideva.key[200] = B({146, "x", 150});
  state.sanideva.full[200] = B({150, 151, 171, 187, 146});
  state.sanideva.half[200] = B({171, 0, "\t"});
  state.sanideva.key[255] = B({187});
  state.short_i[1] = " y";
  state.short_i[2] = "y,n";
  state.short_i[3] = "!121!";
  state.devitran[1] = " 8";
  state.devitran[2] = "\"8";
  state.devitran[3] = "a\r\nb\rc\n1";  // line ends inside
  state.devitran[4] = "\n8";
  state.devitran[5] = "!300!8";  // out of range: reads as it stands
  state.devitran[6] = "!8";
  state.devitran[7] = "\",a8";  // a quotation mark first, a comma inside
  state.devitran[8] = "";
  return state;
}

TEST(ExportTables, AwkwardCellsAreEscapedOrQuotedAndComeBack) {
  const ConverterState state = AwkwardCells();
  TempDir dir;
  ASSERT_EQ(ExportCodeTables(state, dir.path()), Problems{});
  EXPECT_BYTES(DumpRows(state), DumpRows(LoadedAs(dir.path(), "Sanskrit-Times", "Vedic")));

  const std::vector<std::string> syllables = FileLines(dir.path() / kSyllableFileName);
  ASSERT_EQ(syllables.size(), 255u);
  EXPECT_EQ(syllables[0], "!032!a,!034!q,!044!");
  EXPECT_EQ(syllables[1], "\"a,b\",a\"b,!033!065!x");
  EXPECT_BYTES(B({"!146!x", 150, ",!150!", 151, 171, 187, 146, ",!171!", 0, "\t"}), syllables[199]);
  EXPECT_EQ(syllables[254], "!187!,,");
  const std::vector<std::string> short_i = FileLines(dir.path() / kShortIFileName);
  ASSERT_EQ(short_i.size(), 255u);
  EXPECT_EQ(std::vector(short_i.begin(), short_i.begin() + 4),
            (std::vector<std::string>{"\" y\"", "\"y,n\"", "!121!", "y"}));
  const std::string glyphs = test::ReadFileBytes(dir.path() / kGlyphFileName);
  const std::string glyphs_start =
      "!032!8\r\n!034!8\r\n\"a\r\nb\rc\n1\"\r\n!010!8\r\n!300!8\r\n!8\r\n\"!034!,a8\"\r\n\r\n";
  EXPECT_EQ(glyphs.substr(0, glyphs_start.size()), glyphs_start);
}

TEST(ExportTables, AQuotationMarkInsideACellThatMustBeQuotedCannotBeCarried) {
  ConverterState state = MakeStartupState();
  state.sanideva.half[3] = "a\"b,c";
  state.devitran[9] = "x\"\n8";
  state.short_i[4] = "\"y";
  TempDir dir;
  const std::string why =
      " cannot be written exactly: its field needs quotation marks around it and it holds one "
      "itself; written without its quotation marks";
  const Problems expected = {
      {Severity::kWarning, "sanideva.cod", 3, 7, "the half glyphs of row 3 \"a<34>b,c\"" + why},
      {Severity::kWarning, "lipikara.mmy", 4, 1, "the value of code 4 \"<34>y\"" + why},
      {Severity::kWarning, "devitran.cod", 9, 1, "the entry of row 9 \"x<34><10>8\"" + why},
  };
  ASSERT_EQ(ExportCodeTables(state, dir.path()), expected);
  const ConverterState loaded = LoadedAs(dir.path(), "Sanskrit-Times", "Vedic");
  EXPECT_EQ(loaded.sanideva.half[3], "ab,c");
  EXPECT_EQ(loaded.devitran[9], "x\n8");
  EXPECT_EQ(loaded.short_i[4], "y");
  // Nothing after them moved.
  EXPECT_EQ(loaded.sanideva.key[4], state.sanideva.key[4]);
  EXPECT_EQ(loaded.devitran[10], state.devitran[10]);
}

TEST(ExportTables, GlyphRowsPast255AreWrittenUpToTheLastThatHoldsAnEntry) {
  ConverterState state = MakeStartupState();
  TempDir plain;
  ASSERT_EQ(ExportCodeTables(state, plain.path()), Problems{});
  EXPECT_EQ(FileLines(plain.path() / kGlyphFileName).size(), 255u);

  state.devitran[280] = "ka1";
  TempDir longer;
  ASSERT_EQ(ExportCodeTables(state, longer.path()), Problems{});
  EXPECT_EQ(FileLines(longer.path() / kGlyphFileName).size(), 280u);
  EXPECT_BYTES(DumpRows(state), DumpRows(LoadedAs(longer.path(), "Sanskrit-Times", "Vedic")));
}

TEST(ExportTables, ItCreatesTheDirectoryAndSaysWhenItCannotWrite) {
  TempDir dir;
  const ConverterState state = MakeStartupState();
  EXPECT_EQ(ExportCodeTables(state, dir.path() / "new" / "font"), Problems{});
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "new" / "font" / kGlyphFileName));

  dir.Write("plain", "x");
  EXPECT_EQ(
      ExportCodeTables(state, dir.path() / "plain"),
      (Problems{{Severity::kError, "", 0, 0,
                 "cannot write into " + (dir.path() / "plain").string() + ": not a directory"}}));
}

}  // namespace
}  // namespace sfc
