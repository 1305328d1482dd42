// Any three code-table files: the load, the check and the export agree.
//
// - The same files load into the same tables, and row 0 stays empty.
// - The same files given as bytes in memory (as the web page gives them)
//   load into the same tables with the same problems, but for the words of
//   the note about a missing file.
// - A file in which the check finds no problem loads as exactly the fields
//   the field reader reads from it (escapes decoded where the file decodes
//   them), row by row, and the load notes nothing about it.
// - The export writes the tables, the files written load back into the same
//   rows, and a second export writes the same three files byte for byte.
//   Tables loaded from files always export without a problem; cells set to
//   any bytes may be reported as written inexactly, and then what was
//   written is written exactly the next time, and each warning names the
//   line and column where its field starts.
// - Both conversions with the loaded tables, under a font name of the
//   user's own, end in a defined result.
//
// The input: one byte of options (bit 0 the transliteration font, bit 1
// "shift m to n", bit 2 cells set from the text), then sanideva.cod,
// lipikara.mmy, devitran.cod and a text, separated by "|". A file the input
// does not reach is missing.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "code_table_escape.h"
#include "code_table_files.h"
#include "conversion.h"
#include "field_reader.h"
#include "state.h"

namespace {

namespace fs = std::filesystem;

// A directory of this process's own, removed when the process ends.
struct TempDir {
  TempDir() : path(fs::temp_directory_path() / ("sfc-fuzz-tables-" + std::to_string(::getpid()))) {
    fs::create_directories(path / "in");
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

const fs::path& Dir() {
  static const TempDir dir;
  return dir.path;
}

void Require(bool holds) {
  if (!holds) std::abort();
}

// Files are removed and written anew rather than truncated: some file
// systems write a truncated file through to the disk when it is closed.
void WriteOrRemove(const fs::path& path, const std::optional<std::string_view>& bytes) {
  std::error_code ec;
  fs::remove(path, ec);
  if (!bytes) return;
  std::ofstream file(path, std::ios::binary);
  file.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

const sfc::ConverterState& Startup() {
  static const sfc::ConverterState state = sfc::MakeStartupState();
  return state;
}

sfc::ConverterState Load(const fs::path& dir, std::vector<sfc::TableProblem>* notes = nullptr) {
  sfc::ConverterState state = Startup();
  sfc::LoadReport report = sfc::LoadCodeTables(state, dir);
  if (notes) *notes = std::move(report.problems);
  return state;
}

bool SameRows(const sfc::ConverterState& a, const sfc::ConverterState& b) {
  return a.sanideva.key == b.sanideva.key && a.sanideva.full == b.sanideva.full &&
         a.sanideva.half == b.sanideva.half && a.short_i == b.short_i && a.devitran == b.devitran;
}

bool Names(const std::vector<sfc::TableProblem>& problems, std::string_view file) {
  for (const sfc::TableProblem& problem : problems) {
    if (problem.file == file) return true;
  }
  return false;
}

// The values of every field of a file, as the field reader reads them.
std::vector<std::string> Fields(std::string_view bytes) {
  std::stringbuf source{std::string(bytes)};
  sfc::FieldReader reader(source);
  std::vector<std::string> values;
  while (std::optional<sfc::Field> field = reader.Next()) values.push_back(field->value);
  return values;
}

// For each file the check finds nothing in, the load stored its fields: a
// whole number of rows, within the table, and the rows past them as they
// were at start-up.
void RequireCleanFilesLoadAsRead(const std::vector<std::optional<std::string_view>>& files,
                                 const sfc::ConverterState& loaded,
                                 const std::vector<sfc::TableProblem>& notes) {
  const std::vector<sfc::TableProblem> problems = sfc::CheckCodeTables(Dir() / "in");
  const auto clean = [&](std::size_t index, std::string_view name) {
    if (Names(problems, name)) return false;
    Require(files[index].has_value() && !Names(notes, name));
    return true;
  };
  sfc::ConverterState expected = Startup();
  if (clean(0, sfc::kSyllableFileName)) {
    const std::vector<std::string> fields = Fields(*files[0]);
    Require(!fields.empty() && fields.size() % 3 == 0 &&
            fields.size() / 3 <= sfc::kSyllableFileRows);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      sfc::SanidevaTable& t = expected.sanideva;
      std::string& cell = (i % 3 == 0 ? t.key : i % 3 == 1 ? t.full : t.half)[i / 3 + 1];
      cell = sfc::CodeTableEscape(fields[i]);
    }
    Require(loaded.sanideva.key == expected.sanideva.key &&
            loaded.sanideva.full == expected.sanideva.full &&
            loaded.sanideva.half == expected.sanideva.half);
  }
  if (clean(1, sfc::kShortIFileName)) {
    const std::vector<std::string> fields = Fields(*files[1]);
    Require(!fields.empty() && fields.size() <= sfc::kShortIFileRows);
    for (std::size_t i = 0; i < fields.size(); ++i) expected.short_i[i + 1] = fields[i];
    Require(loaded.short_i == expected.short_i);
  }
  if (clean(2, sfc::kGlyphFileName)) {
    const std::vector<std::string> fields = Fields(*files[2]);
    Require(!fields.empty() && fields.size() <= sfc::kGlyphFileRows);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      expected.devitran[i + 1] = sfc::CodeTableEscape(fields[i]);
    }
    Require(loaded.devitran == expected.devitran);
  }
}

// Exports the tables into `dir` and returns the problems reported.
std::vector<sfc::TableProblem> Export(const sfc::ConverterState& state, const fs::path& dir) {
  for (const char* name : {sfc::kSyllableFileName, sfc::kShortIFileName, sfc::kGlyphFileName}) {
    WriteOrRemove(dir / name, std::nullopt);
  }
  std::vector<sfc::TableProblem> problems = sfc::ExportCodeTables(state, dir);
  Require(!sfc::HasError(problems));
  return problems;
}

std::array<std::string, 3> Written(const fs::path& dir) {
  return {ReadBytes(dir / sfc::kSyllableFileName), ReadBytes(dir / sfc::kShortIFileName),
          ReadBytes(dir / sfc::kGlyphFileName)};
}

// Every warning of an export names the place where a field of its file
// starts.
void RequireWarningsAtFields(const std::vector<sfc::TableProblem>& warnings,
                             const std::array<std::string, 3>& written) {
  for (const sfc::TableProblem& warning : warnings) {
    const std::size_t file = warning.file == sfc::kSyllableFileName ? 0
                             : warning.file == sfc::kShortIFileName ? 1
                                                                    : 2;
    std::stringbuf source{written[file]};
    sfc::FieldReader reader(source);
    bool found = false;
    while (std::optional<sfc::Field> field = reader.Next()) {
      found = found || field->start == sfc::FieldPosition{warning.line, warning.column};
    }
    Require(found);
  }
}

// The export of the tables, loaded back and exported again: the same rows,
// the same three files. When the export reports cells it cannot write
// exactly, what it wrote instead is written exactly the next time.
void RequireExportLoadsBack(const sfc::ConverterState& state, bool loaded_from_files) {
  const fs::path first = Dir() / "out1";
  const fs::path second = Dir() / "out2";
  sfc::ConverterState exported = state;
  const std::vector<sfc::TableProblem> warnings = Export(exported, first);
  if (!warnings.empty()) {
    // Only a value with a quotation mark after its first byte and a
    // separator among those bytes cannot be written, and no field reads as
    // one.
    Require(!loaded_from_files);
    RequireWarningsAtFields(warnings, Written(first));
    exported = Load(first);
    Require(Export(exported, first).empty());
  }
  const std::array<std::string, 3> written = Written(first);
  const sfc::ConverterState reloaded = Load(first);
  Require(SameRows(reloaded, exported));
  Require(Export(reloaded, second).empty() && Written(second) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  std::vector<std::optional<std::string_view>> parts;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t bar = i < 3 ? rest.find('|') : std::string_view::npos;
    parts.emplace_back(rest.substr(0, bar));
    if (bar == std::string_view::npos) break;
    rest.remove_prefix(bar + 1);
  }
  parts.resize(4);
  const fs::path in = Dir() / "in";
  WriteOrRemove(in / sfc::kSyllableFileName, parts[0]);
  WriteOrRemove(in / sfc::kShortIFileName, parts[1]);
  WriteOrRemove(in / sfc::kGlyphFileName, parts[2]);

  std::vector<sfc::TableProblem> notes;
  sfc::ConverterState state = Load(in, &notes);
  const sfc::ConverterState again = Load(in);
  Require(SameRows(again, state) && again.positions == state.positions);
  sfc::ConverterState from_bytes = Startup();
  const auto given = [](const std::optional<std::string_view>& part) {
    return part ? std::optional<std::string>(*part) : std::nullopt;
  };
  const sfc::LoadReport bytes_report = sfc::LoadCodeTables(
      from_bytes, sfc::CodeTableBytes{given(parts[0]), given(parts[1]), given(parts[2])});
  Require(SameRows(from_bytes, state) && from_bytes.positions == state.positions &&
          from_bytes.load_button == state.load_button);
  Require(bytes_report.problems.size() == notes.size());
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const sfc::TableProblem& a = notes[i];
    const sfc::TableProblem& b = bytes_report.problems[i];
    Require(a.severity == b.severity && a.file == b.file && a.line == b.line &&
            a.column == b.column && (a.severity == sfc::Severity::kNote || a.message == b.message));
  }
  Require(state.sanideva.key[0].empty() && state.sanideva.full[0].empty() &&
          state.sanideva.half[0].empty() && state.short_i[0].empty() && state.devitran[0].empty());
  RequireCleanFilesLoadAsRead(parts, state, notes);

  RequireExportLoadsBack(state, true);
  // With option bit 2, cells of the tables take the pieces of the text
  // between "|" as they are, in turn a half-glyph cell and a short-i value
  // from row 1 and a glyph entry from row 300 back (where the export stops
  // after the last entry that is not empty).
  if (options & 4) {
    sfc::ConverterState cells = state;
    std::string_view pieces = parts[3].value_or("");
    for (std::size_t i = 0; !pieces.empty() && i / 3 + 1 < sfc::kShortIMapSize; ++i) {
      const std::size_t bar = std::min(pieces.find('|'), pieces.size());
      const std::size_t row = i / 3 + 1;
      (i % 3 == 0   ? cells.sanideva.half[row]
       : i % 3 == 1 ? cells.short_i[row]
                    : cells.devitran[sfc::kGlyphTableSize - row]) = pieces.substr(0, bar);
      pieces.remove_prefix(std::min(bar + 1, pieces.size()));
    }
    RequireExportLoadsBack(cells, false);
  }

  sfc::SetTranslitBoxFont(state, options % 2 ? "Sanskrit-Times" : "ITRTransTimes");
  sfc::SetDevanagariBoxFont(state, "Loaded");
  const std::string_view text = parts[3].value_or("");
  const sfc::ConversionResult there = sfc::ConvertToDevanagari(state, text, (options & 2) != 0);
  const sfc::ConversionResult back = sfc::RunDevanagariToTranslitCommand(state, there.output);
  Require(back.completed || back.stop.has_value());
  return 0;
}
