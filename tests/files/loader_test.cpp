// Loading the three code-table files: every table row compared with the
// start-up tables plus the rows the files should change.

#include <fstream>

#include "code_table_files.h"
#include "field_reader.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::DumpRows;
using test::Repeat;
using test::TempDir;

// The start-up state after a load of `files`, which notes nothing.
ConverterState LoadedStartup(const test::TableFiles& files) {
  TempDir dir;
  test::WriteTableFiles(dir, files);
  ConverterState state = MakeStartupState();
  EXPECT_EQ(LoadCodeTables(state, dir.path()).problems, std::vector<TableProblem>{});
  return state;
}

void SetRow(ConverterState& state, int row, std::string key, std::string full, std::string half) {
  state.sanideva.key[row] = std::move(key);
  state.sanideva.full[row] = std::move(full);
  state.sanideva.half[row] = std::move(half);
}

TEST(LoadEscapes, OnlyAWellFormedEscapeAtTheStartOfAFieldIsDecoded) {
  const std::vector<std::string> kept = {"!",      "!34!8",  "!0344!8", "x!034!",
                                         "!256!x", "!1a3!x", "!034x8",  "!-12!"};
  std::string devitran = "!032!8,!044!8, 8, !034!,!187!!d1\n";
  for (const std::string& field : kept) devitran += field + "\n";
  const ConverterState loaded = LoadedStartup({
      "!187!d,!034!,!044!\n"
      "!032!x,!000!,!255!!044!\n"
      "\"!044!\",\"!032!\",!009!\n",  // quoted fields are decoded too
      "!121!,!110!\n",                // no escape in the short-i map
      devitran,
  });
  ConverterState expected = MakeStartupState();
  SetRow(expected, 1, B({187, "d"}), "\"", ",");
  SetRow(expected, 2, " x", B({0}), B({255, "!044!"}));
  SetRow(expected, 3, ",", " ", "\t");
  expected.short_i[1] = "!121!", expected.short_i[2] = "!110!";
  expected.devitran[1] = " 8";  // a space of class 8
  expected.devitran[2] = ",8";
  expected.devitran[3] = "8";              // the space before it is skipped: empty text of class 8
  expected.devitran[4] = "\"";             // so is this one, which puts the escape at the start
  expected.devitran[5] = B({187, "!d1"});  // only the first escape
  for (std::size_t i = 0; i < kept.size(); ++i) expected.devitran[6 + i] = kept[i];
  EXPECT_BYTES(DumpRows(expected), DumpRows(loaded));
}

TEST(LoadFieldSyntax, FieldsRunOverLinesAsTheyComeInEveryFile) {
  const ConverterState loaded = LoadedStartup({
      "a ,  \"x,y\"  , \r\nb\"c,\"d\ne\"tail,\rz,,\t",  // lines play no part in the rows
      "y ,n\r\n\n\"n\"",
      B({"ka1,\"k,a\n1\",\"\"\r\n", 146, 150, "x", 151, 171, 187, "8\n\"x8,\ny8\n"}),
  });
  ConverterState expected = MakeStartupState();
  SetRow(expected, 1, "a ", "x,y", "");
  SetRow(expected, 2, "b\"c", "d\ne", "");  // "": the comma and the lone CR around it
  SetRow(expected, 3, "z", "", "\t");
  expected.short_i[1] = "y ";
  expected.short_i[2] = "n";
  expected.short_i[3] = "";
  expected.short_i[4] = "n";
  expected.devitran[1] = "ka1";
  expected.devitran[2] = "k,a\n1";
  expected.devitran[3] = "";
  expected.devitran[4] = B({146, 150, "x", 151, 171, 187, "8"});  // ordinary bytes
  expected.devitran[5] = "x8,\ny8\n";  // never closed: runs to the end of the file
  EXPECT_BYTES(DumpRows(expected), DumpRows(loaded));
}

TEST(LoadBounds, EachFileStopsAtTheLastRowOfItsTable) {
  ConverterState loaded = LoadedStartup({
      Repeat("k,f,h\n", 256) + "never,read,here\n",
      Repeat("n,", 300),
      Repeat("x8\n", 300) + "beyond8\n",
  });
  ConverterState expected = MakeStartupState();
  for (int row = 1; row <= 255; ++row) {
    SetRow(expected, row, "k", "f", "h");
    expected.short_i[row] = "n";
  }
  for (int row = 1; row <= 300; ++row) expected.devitran[row] = "x8";
  EXPECT_BYTES(DumpRows(expected), DumpRows(loaded));
  EXPECT_EQ(loaded.sanideva.key[0], "");
  EXPECT_EQ(loaded.devitran[0], "");
  // Rows a file does not reach keep what they held.
  loaded = LoadedStartup({
      "k,f,h\nk2",                          // the file ends inside row 2
      "n,n", Repeat("x8,", 199) + "last8",  // 200 fields
  });
  expected = MakeStartupState();
  SetRow(expected, 1, "k", "f", "h");
  expected.sanideva.key[2] = "k2";
  expected.short_i[1] = expected.short_i[2] = "n";
  for (int row = 1; row < 200; ++row) expected.devitran[row] = "x8";
  expected.devitran[200] = "last8";
  EXPECT_BYTES(DumpRows(expected), DumpRows(loaded));
}

TEST(LoadBounds, ACellThatCannotBeReadStillGoesThroughTheEscape) {
  TempDir dir;
  ConverterState state = MakeStartupState();
  // "!033!" makes the cell start with an "!" that a later escape step reads.
  test::WriteTableFiles(dir, {"k,!033!065!x,!033!066!", "", ""});
  LoadCodeTables(state, dir.path());
  EXPECT_EQ(state.sanideva.full[1], "!065!x");
  test::WriteTableFiles(dir, {"k2,f2", "", ""});
  LoadCodeTables(state, dir.path());
  EXPECT_EQ(state.sanideva.key[1], "k2");
  EXPECT_EQ(state.sanideva.full[1], "f2");
  EXPECT_EQ(state.sanideva.half[1], "B");
}

// Every position at `code`.
SpecialGlyphPositions AllAt(int code) {
  SpecialGlyphPositions p;
  p.half_r_pos = p.half_r_upper_pos = p.half_rr_pos = p.mr_pos = p.tt_pos = code;
  p.vocalic_r_sign_pos = p.nam_pos = p.kt_pos = p.la_pos = p.open_y_pos = p.apostrophe_pos = code;
  p.short_i_sign_positions.fill(code);
  p.vowel_sign_positions.fill(code);
  p.aspirata_positions.fill(code);
  p.r_positions.fill(code);
  return p;
}

SpecialGlyphPositions ResetPositions() {
  SpecialGlyphPositions p = AllAt(256);
  p.nam_pos = p.kt_pos = p.la_pos = p.open_y_pos = p.apostrophe_pos = 0;
  return p;
}

// A glyph file with the given entries at the given rows and "x8" elsewhere.
std::string GlyphFile(const std::vector<std::pair<int, std::string>>& entries, int rows) {
  std::vector<std::string> fields(static_cast<std::size_t>(rows), "x8");
  for (const auto& [row, entry] : entries) fields[static_cast<std::size_t>(row - 1)] = entry;
  std::string text;
  for (const std::string& field : fields) text += field + "\n";
  return text;
}

TEST(LoadPositions, ALoadResetsThePositionsAndClearsEveryButtonButUrwPalladioIt) {
  TempDir dir;
  test::WriteTableFiles(dir, {"", "", "ka1\n"});
  for (TranslitFont translit : kTranslitFonts) {
    for (DevanagariFont devanagari : kDevanagariFonts) {
      SCOPED_TRACE(std::string(FontName(translit)) + " / " + std::string(FontName(devanagari)));
      ConverterState state = test::StateFor(translit, devanagari);
      state.positions = AllAt(7);  // as an earlier load left them
      LoadCodeTables(state, dir.path());
      EXPECT_EQ(state.positions, ResetPositions());
      EXPECT_EQ(state.translit_button,
                translit == TranslitFont::kUrwPalladioIt ? std::optional(translit) : std::nullopt);
      EXPECT_EQ(state.devanagari_button, std::nullopt);
      EXPECT_TRUE(state.load_button);
      EXPECT_EQ(state.translit_box_font, FontName(translit));  // the font lists are the window's
    }
  }
  // With no Devanagari button left, a transliteration button presses Vedic.
  // Sanskrit 99 too: its glyph table must not stay under loaded syllables.
  ConverterState state = test::StateFor(TranslitFont::kItrTransTimes, DevanagariFont::kSanskrit99);
  LoadCodeTables(state, dir.path());
  PressTranslitFontButton(state, TranslitFont::kItrTransTimes);
  EXPECT_EQ(state.devanagari_button, DevanagariFont::kVedic);
  EXPECT_EQ(state.devanagari_box_font, "Vedic");
}

TEST(LoadPositions, SpecialEntriesRecordTheirRows) {
  std::vector<std::pair<int, std::string>> entries = {
      {91, "half_r5"},    {94, "half_R5"},      {137, "half_rr5"}, {124, "mr2"},
      {230, "tt2"},       {92, "nam5"},         {95, "kt5"},       {108, "la5"},
      {228, "open_y5"},   {140, "apostrophe5"}, {40, "asp15"},     {170, "asp25"},
      {173, "asp35"},     {177, "asp45"},       {178, "asp15"},    {82, "r2"},
      {156, "r2"},        {179, "r2"},          {220, "r2"},       {221, "r2"},
      {1, "half_r2"},     {2, "nam3"},          {3, "open_y"},     {4, "mr5"},
      {5, "bracket5"},    {6, B({128, "3"})},  // the ā letter of Key row 1: nothing
      {7, B({141, "3"})}, {8, B({141, "3"})},  // the ṛ letter of Key row 110: the later one
      {9, "au3"},
  };
  for (int i = 0; i < 21; ++i) entries.push_back({10 + i, "i3"});
  for (int i = 0; i < 20; ++i) entries.push_back({40 + i + 1, "e3"});
  const ConverterState loaded = LoadedStartup({"", "", GlyphFile(entries, 255)});

  SpecialGlyphPositions expected = ResetPositions();
  expected.half_r_pos = 91;
  expected.half_r_upper_pos = 94;
  expected.half_rr_pos = 137;
  expected.mr_pos = 124;
  expected.tt_pos = 230;
  expected.nam_pos = 92;
  expected.kt_pos = 95;
  expected.la_pos = 108;
  expected.open_y_pos = 228;
  expected.apostrophe_pos = 140;
  expected.aspirata_positions = {40, 170, 173, 177};
  expected.r_positions = {82, 156, 179, 220};
  expected.vocalic_r_sign_pos = 8;
  for (int i = 0; i < 20; ++i) expected.short_i_sign_positions[i] = 10 + i;  // not the 21st
  expected.vowel_sign_positions[0] = 2;  // "nam3" is a vowel sign by its class
  expected.vowel_sign_positions[1] = 9;
  for (int i = 2; i < 20; ++i) expected.vowel_sign_positions[i] = 41 + i - 2;
  EXPECT_EQ(loaded.positions, expected);
}

TEST(LoadPositions, TheLongAAndVocalicRSignsAreNamedByKeyRowsAsTheSyllableFileLeftThem) {
  std::string sanideva = "A,a,a\n" + Repeat(",,\n", 108) + "R,r,r\n";  // rows 1 and 110
  const std::string devitran = GlyphFile({{1, "A3"}, {2, "R3"}, {3, B({128, "3"})}}, 3);
  const ConverterState loaded = LoadedStartup({sanideva, "", devitran});
  SpecialGlyphPositions expected = ResetPositions();
  expected.vocalic_r_sign_pos = 2;
  expected.vowel_sign_positions[0] = 3;  // the Sanskrit-Times ā is an ordinary sign now
  EXPECT_EQ(loaded.positions, expected);
}

TEST(LoadMissingFiles, AFileThatCannotBeOpenedIsNotedAndLeavesItsTable) {
  TempDir dir;
  dir.Write(kGlyphFileName, "ka1");
  std::filesystem::create_directory(dir.path() / kShortIFileName);
  ConverterState state = MakeStartupState();
  const LoadReport report = LoadCodeTables(state, dir.path());
  ConverterState expected = MakeStartupState();
  expected.devitran[1] = "ka1";
  EXPECT_BYTES(DumpRows(expected), DumpRows(state));
  const std::vector<TableProblem> notes = {
      {Severity::kNote, kSyllableFileName, 0, 0,
       "there is no such file as " + (dir.path() / "sanideva.cod").string() +
           "; the syllable code table keeps its contents"},
      {Severity::kNote, kShortIFileName, 0, 0,
       (dir.path() / "lipikara.mmy").string() +
           " is a directory, not a file; the short-i map keeps its contents"},
  };
  EXPECT_EQ(report.problems, notes);
  // A device, an unreadable file, and one that opens but cannot be read (a
  // process's memory); root reads files whatever their permissions.
  TempDir device, unreadable, memory;
  std::filesystem::create_symlink("/dev/zero", device.path() / kGlyphFileName);
  unreadable.Write(kGlyphFileName, "ka1");
  std::filesystem::permissions(unreadable.path() / kGlyphFileName, std::filesystem::perms::none);
  std::filesystem::create_symlink("/proc/self/mem", memory.path() / kGlyphFileName);
  const bool root = std::ifstream(unreadable.path() / kGlyphFileName).is_open();
  const std::string keeps = "; the glyph code table keeps its contents";
  for (const auto& [at, note] : std::vector<std::pair<const TempDir*, std::string>>{
           {&device, " cannot be opened (not a regular file)" + keeps},
           {&unreadable, " cannot be opened (Permission denied)" + keeps},
           {&memory,
            " could not be read to its end; the rows read before stay in the glyph code "
            "table"},
       }) {
    if (root && at == &unreadable) continue;
    ConverterState again = MakeStartupState();
    const LoadReport told = LoadCodeTables(again, at->path());
    ASSERT_EQ(told.problems.size(), 3u);
    EXPECT_EQ(FormatProblem(told.problems[2]),
              "devitran.cod: " + (at->path() / kGlyphFileName).string() + note);
    EXPECT_EQ(again.devitran[1], MakeStartupState().devitran[1]);
  }
}

TEST(LoadFromBytes, TheFilesAsBytesLoadAsFromADirectoryWithTheirWarnings) {
  const std::string long_field = "k,f," + Repeat("x", static_cast<int>(kMaxFieldBytes) + 10) + "\n";
  const std::vector<test::TableFiles> cases = {
      {"!187!d,!034!,!044!\nka,\"k\",\"K\"\n", "y\r\nn\r\n", "r2\nx8\nasp1\n"},
      {long_field, "", Repeat("a8,", 400)},
  };
  for (const test::TableFiles& files : cases) {
    TempDir dir;
    test::WriteTableFiles(dir, files);
    ConverterState from_dir = MakeStartupState();
    const LoadReport dir_report = LoadCodeTables(from_dir, dir.path());
    ConverterState from_bytes = MakeStartupState();
    const LoadReport bytes_report =
        LoadCodeTables(from_bytes, CodeTableBytes{files.sanideva, files.lipikara, files.devitran});
    EXPECT_BYTES(DumpRows(from_dir), DumpRows(from_bytes));
    EXPECT_EQ(from_dir.positions, from_bytes.positions);
    EXPECT_EQ(dir_report.problems, bytes_report.problems);
  }
  // A file not given is noted and its table keeps its rows.
  ConverterState state = MakeStartupState();
  const ConverterState startup = state;
  const LoadReport report =
      LoadCodeTables(state, CodeTableBytes{"K,F,H\n", std::nullopt, std::nullopt});
  EXPECT_EQ(report.problems,
            (std::vector<TableProblem>{
                {Severity::kNote, "lipikara.mmy", 0, 0,
                 "no lipikara.mmy was given; the short-i map keeps its contents"},
                {Severity::kNote, "devitran.cod", 0, 0,
                 "no devitran.cod was given; the glyph code table keeps its contents"}}));
  EXPECT_EQ(state.sanideva.key[1], "K");
  EXPECT_EQ(state.short_i, startup.short_i);
  EXPECT_EQ(state.devitran, startup.devitran);
  EXPECT_TRUE(state.load_button);
}

}  // namespace
}  // namespace sfc
