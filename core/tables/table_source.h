// The data source of the built-in tables (builtin_tables.txt): its parser and
// the C++ that the build generates from it. The format is described at the top
// of builtin_tables.txt. Only the generator (gen_tables.cpp) and the tests use
// this; the program itself reads the generated arrays (core/builtin_tables.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sfc::tables {

inline constexpr int kSyllableRowCount = 189;  // rows 1 to 189
inline constexpr int kGlyphCodeCount = 255;    // codes 1 to 255
inline constexpr int kFontCount = 3;           // Vedic, Dev Natraj ITR, Sanskrit 99

// One syllable row. Texts hold the special letters as placeholder bytes 1 to
// 18 (translit_letters.h, enum Letter).
struct SyllableRowData {
  int row = 0;
  std::string name;  // as written in the data source, e.g. "kta_end"
  std::string key;
  std::string key_written;  // the key as the data source writes it, quotes included
  std::array<std::string, kFontCount> full;
  std::array<std::string, kFontCount> half;
};

// A start-up glyph entry: literal bytes, the class digit last.
struct StartupGlyphData {
  int code = 0;
  std::string entry;
};

struct StartupSyllableData {
  int row = 0;
  std::string full;
  std::string half;
};

struct TableSource {
  std::vector<SyllableRowData> syllables;  // rows 1 to 189, in order
  // glyphs[font][code - 1]: the entry of glyph code 1 to 255, text then class
  // digit, with letter placeholders.
  std::array<std::vector<std::string>, kFontCount> glyphs;
  std::vector<StartupGlyphData> startup_glyphs;
  std::vector<StartupSyllableData> startup_syllables;
  std::vector<unsigned char> startup_no_short_i;
  std::array<std::vector<unsigned char>, kFontCount> no_short_i;
};

struct ParsedTableSource {
  std::optional<TableSource> tables;
  std::string error;  // "<file>:<line>: <what is wrong>" when tables is empty
};

// Parses the whole data source. `file_name` only names the file in messages.
ParsedTableSource ParseTableSource(std::string_view text, std::string_view file_name);

// The constant name of a row name: "kta_end" -> "kKtaEnd".
std::string RowConstantName(std::string_view row_name);

// The generated C++: the arrays that core/builtin_tables.h declares, and the
// header of row names (syllable_rows.h).
std::string GenerateTablesSource(const TableSource& tables, std::string_view source_name);
std::string GenerateRowNamesHeader(const TableSource& tables, std::string_view source_name);

}  // namespace sfc::tables
