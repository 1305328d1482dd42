// Code-table files: the three text files with which users describe any other
// Devanagari font (sanideva.cod, lipikara.mmy, devitran.cod), and the input
// file that LOAD reads (sanskrit.txt), all in the program's data directory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state.h"

namespace sfc {

inline constexpr const char* kSyllableFileName = "sanideva.cod";
inline constexpr const char* kShortIFileName = "lipikara.mmy";
inline constexpr const char* kGlyphFileName = "devitran.cod";
inline constexpr const char* kInputFileName = "sanskrit.txt";

// The rows each code-table file can fill, from row 1; a file with more
// fields stops there.
inline constexpr int kSyllableFileRows = kSyllableTableSize - 1;  // 255
inline constexpr int kShortIFileRows = kShortIMapSize - 1;        // 255
inline constexpr int kGlyphFileRows = kGlyphTableSize - 1;        // 300

// The program's data directory: $LIPIKARA_DIR when set, else c:\lipikara\ on
// Windows and ~/lipikara/ elsewhere.
std::filesystem::path DataDirectory();

struct LoadReport {
  // One line per file that could not be opened (its table kept its contents)
  // or could not be read to its end (the rows read before stay).
  std::vector<std::string> notes;
};

// "Load code table  from disk" over a directory: resets the special glyph
// positions, unselects the font buttons it replaces and reads the three
// files into the tables. Never fails: a file that cannot be read is noted.
LoadReport LoadCodeTables(ConverterState& state, const std::filesystem::path& dir);

struct TableProblem {
  std::string file;  // file name, e.g. "devitran.cod"
  int line = 0;      // 1-based; 0 for the file as a whole
  int column = 0;    // 1-based; 0 for the file or line as a whole
  std::string message;

  bool operator==(const TableProblem&) const = default;
};
// "file:line:column: message"; "file:line: message" without a column and
// "file: message" for the file as a whole.
std::string FormatProblem(const TableProblem& problem);

// Reads the three files as the loader does and reports every problem found,
// file by file (sanideva.cod, lipikara.mmy, devitran.cod) in file order.
std::vector<TableProblem> CheckCodeTables(const std::filesystem::path& dir);

// Writes the tables in force as the three files, so that loading them back
// gives the same tables byte for byte: sanideva.cod and lipikara.mmy rows 1
// to 255, devitran.cod rows 1 to 255 or to its last non-empty row. Creates
// the directory when needed. Returns an error message on failure. A cell
// that no field can carry exactly is written as near as it can be and, when
// `inexact` is given, listed there (file, line and column of the field).
std::optional<std::string> ExportCodeTables(const ConverterState& state,
                                            const std::filesystem::path& dir,
                                            std::vector<TableProblem>* inexact = nullptr);

// LOAD: the input file read field by field, every field followed by one
// comma. When the file is missing or cannot be read, found is false and the
// text is "There is no such file as " and the file's path.
inline constexpr std::string_view kNoInputFileText = "There is no such file as ";
struct InputFileText {
  bool found = false;
  std::string text;
};
InputFileText ReadInputFile(const std::filesystem::path& dir);

}  // namespace sfc
