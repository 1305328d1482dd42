// Code-table files: the three text files with which users describe any other
// Devanagari font (sanideva.cod, lipikara.mmy, devitran.cod).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "state.h"

namespace sfc {

inline constexpr const char* kSyllableFileName = "sanideva.cod";
inline constexpr const char* kShortIFileName = "lipikara.mmy";
inline constexpr const char* kGlyphFileName = "devitran.cod";

// The program's data directory: $LIPIKARA_DIR when set, else c:\lipikara\ on
// Windows and ~/lipikara/ elsewhere.
std::filesystem::path DataDirectory();

struct LoadReport {
  // One line per file that could not be opened (its table kept its contents).
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
};
// "file:line:column: message"
std::string FormatProblem(const TableProblem& problem);

// Reads the three files as the loader does and reports every problem found.
std::vector<TableProblem> CheckCodeTables(const std::filesystem::path& dir);

// Writes the tables in force as the three files, so that loading them back
// gives the same tables byte for byte. Returns an error message on failure.
std::optional<std::string> ExportCodeTables(const ConverterState& state,
                                            const std::filesystem::path& dir);

}  // namespace sfc
