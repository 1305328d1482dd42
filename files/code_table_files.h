// Code-table files: the three text files with which users describe any other
// Devanagari font (sanideva.cod, lipikara.mmy, devitran.cod), and the input
// file that LOAD reads (sanskrit.txt), all in the program's data directory.
#pragma once

#include <cstddef>
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

// How much a problem found in loading, checking or exporting the files
// matters.
enum class Severity {
  kNote,     // a load went on without a file or its end: the table kept the
             // rows the file did not reach
  kWarning,  // a file is read otherwise than its writer probably meant, or a
             // cell is written as near as it can be
  kError,    // the work could not be done: a file could not be read or written
};

// One problem, found by the load, the check or the export.
struct TableProblem {
  Severity severity = Severity::kWarning;
  std::string file;  // file name, e.g. "devitran.cod"; empty for the directory
  int line = 0;      // 1-based; 0 for the file as a whole
  int column = 0;    // 1-based; 0 for the file or line as a whole
  std::string message;

  bool operator==(const TableProblem&) const = default;
};
// The one form in which problems are shown: "file:line:column: message";
// "file:line: message" without a column, "file: message" for the file as a
// whole and the message alone for the directory.
std::string FormatProblem(const TableProblem& problem);
// Whether any of the problems is an error.
bool HasError(const std::vector<TableProblem>& problems);

struct LoadReport {
  // A note per file that could not be opened (its table kept its contents)
  // or could not be read to its end (the rows read before stay), and a
  // warning per field longer than kMaxFieldBytes (cut there).
  std::vector<TableProblem> problems;
};

// "Load code table  from disk" over a directory: resets the special glyph
// positions, unselects the font buttons it replaces and reads the three
// files into the tables. Never fails: a file that cannot be read is noted.
// Each file is read only up to the rows of its table, a field only up to
// kMaxFieldBytes, so that a file of any size loads in little memory.
LoadReport LoadCodeTables(ConverterState& state, const std::filesystem::path& dir);

// The three files as bytes held in memory (picked in a web page, say); a
// file not given is nullopt.
struct CodeTableBytes {
  std::optional<std::string> syllables;  // sanideva.cod
  std::optional<std::string> short_i;    // lipikara.mmy
  std::optional<std::string> glyphs;     // devitran.cod
};
// The same load over bytes: a file not given is noted, and its table keeps
// its contents.
LoadReport LoadCodeTables(ConverterState& state, const CodeTableBytes& files);

// Reads the three files as the loader does and reports every problem found,
// file by file (sanideva.cod, lipikara.mmy, devitran.cod) in file order: a
// file that cannot be read is an error, everything else a warning.
std::vector<TableProblem> CheckCodeTables(const std::filesystem::path& dir);

// One line per file in which the check found problems, in the order of
// the problems, for every program that loads tables from `dir`:
// "sanideva.cod: 177 problems; `sfconv tables --check DIR` lists them" (DIR
// as given, quoted for a shell when it needs to be). Empty when none.
std::vector<std::string> SummarizeCheck(const std::vector<TableProblem>& problems,
                                        const std::filesystem::path& dir);

// Writes the tables in force as the three files, so that loading them back
// gives the same tables byte for byte: sanideva.cod and lipikara.mmy rows 1
// to 255, devitran.cod rows 1 to 255 or to its last non-empty row. Creates
// the directory when needed. A cell that no field can carry exactly is
// written as near as it can be and reported as a warning (file, line and
// column of the field); a failure to write is an error. The three files
// are written to temporary names and put in place together only when all
// three are complete: a failure leaves the directory as it was.
std::vector<TableProblem> ExportCodeTables(const ConverterState& state,
                                           const std::filesystem::path& dir);

// LOAD: the input file read field by field, every field followed by one
// comma. When the file is missing, found is false and the text is "There is
// no such file as " and the file's path; when it cannot be read, the text
// names the path and the cause. The text goes into a text box, so it is
// held to max_bytes (256 MB): a file whose text would be longer is not
// loaded (found is false and the text says so), and no more of it is held
// than that.
inline constexpr std::string_view kNoInputFileText = "There is no such file as ";
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{256} << 20;  // 256 MB
struct InputFileText {
  bool found = false;
  std::string text;
};
InputFileText ReadInputFile(const std::filesystem::path& dir,
                            std::size_t max_bytes = kMaxInputFileBytes);

}  // namespace sfc
