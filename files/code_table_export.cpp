// Writing the tables in force as the three code-table files.

#include <climits>
#include <memory>
#include <system_error>
#include <utility>

#include "atomic_file.h"
#include "code_table_files.h"
#include "field_writer.h"
#include "message_text.h"
#include "source_file.h"

namespace sfc {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The text of one file, built field by field, with the place of every field
// for the cells that cannot be carried exactly.
class FileText {
 public:
  FileText(std::string file_name, std::vector<TableProblem>& problems)
      : file_name_(std::move(file_name)), problems_(&problems) {}

  // `what` and `number` name the cell in a warning: "the key of row " and 3.
  void AddField(std::string_view value, bool with_escape, std::string_view what,
                std::size_t number) {
    if (!at_line_start_) Append(",");
    const WrittenField field = WriteField(value, with_escape);
    if (!field.exact) {
      problems_->push_back({Severity::kWarning, file_name_, line_, column_,
                            std::string(what) + std::to_string(number) + " " + ShownBytes(value) +
                                " cannot be written exactly: its field needs quotation marks "
                                "around it and it holds one itself; written without its "
                                "quotation marks"});
    }
    Append(field.text);
    at_line_start_ = false;
  }

  void EndLine() {
    Append(kLineEnd);
    at_line_start_ = true;
  }

  const std::string& text() const { return text_; }

 private:
  void Append(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      const bool line_end =
          c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
      if (line_end) {
        if (line_ < INT_MAX) ++line_;
        column_ = 1;
      } else if (c != '\r' && column_ < INT_MAX) {
        ++column_;
      }
    }
    text_ += bytes;
  }

  std::string file_name_;
  std::vector<TableProblem>* problems_;
  std::string text_;
  int line_ = 1;
  int column_ = 1;
  bool at_line_start_ = true;
};

}  // namespace

std::vector<TableProblem> ExportCodeTables(const ConverterState& state,
                                           const std::filesystem::path& dir) {
  std::vector<TableProblem> problems;
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (!std::filesystem::is_directory(dir, error)) {
    problems.push_back(
        {Severity::kError, "", 0, 0, "cannot write into " + dir.string() + ": not a directory"});
    return problems;
  }

  FileText syllables(kSyllableFileName, problems);
  for (std::size_t row = 1; row < kSyllableTableSize; ++row) {
    syllables.AddField(state.sanideva.key[row], true, "the key of row ", row);
    syllables.AddField(state.sanideva.full[row], true, "the full glyphs of row ", row);
    syllables.AddField(state.sanideva.half[row], true, "the half glyphs of row ", row);
    syllables.EndLine();
  }

  FileText short_i(kShortIFileName, problems);
  for (std::size_t code = 1; code < kShortIMapSize; ++code) {
    short_i.AddField(state.short_i[code], false, "the value of code ", code);
    short_i.EndLine();
  }

  // Rows past 255 are written up to the last one that holds an entry; the
  // rows after it are empty in every table that has not been loaded from a
  // longer file.
  std::size_t glyph_rows = kBuiltinGlyphRows;
  for (std::size_t row = kGlyphTableSize - 1; row > glyph_rows; --row) {
    if (!state.devitran[row].empty()) {
      glyph_rows = row;
      break;
    }
  }
  FileText glyphs(kGlyphFileName, problems);
  for (std::size_t row = 1; row <= glyph_rows; ++row) {
    glyphs.AddField(state.devitran[row], true, "the entry of row ", row);
    glyphs.EndLine();
  }

  // The three files go to temporary names first and take the places of the
  // old ones only when all three are written out: a full disk or a file
  // that cannot be replaced leaves the directory as it was.
  std::string writing;
  try {
    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const auto& [name, text] :
         {std::pair{kSyllableFileName, &syllables.text()},
          std::pair{kShortIFileName, &short_i.text()}, std::pair{kGlyphFileName, &glyphs.text()}}) {
      writing = name;
      files.push_back(std::make_unique<AtomicFile>(dir / name));
      files.back()->Write(*text);
    }
    for (const std::unique_ptr<AtomicFile>& file : files) {
      writing = file->target().filename().string();
      file->Finish();
    }
    for (const std::unique_ptr<AtomicFile>& file : files) {
      writing = file->target().filename().string();
      file->Commit();
    }
  } catch (const IoError& failure) {
    problems.push_back({Severity::kError, writing, 0, 0, failure.what()});
  }
  return problems;
}

}  // namespace sfc
