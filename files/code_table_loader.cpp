// "Load code table  from disk": the three code-table files into the tables.

#include <array>
#include <optional>
#include <sstream>
#include <string>

#include "code_table_escape.h"
#include "code_table_files.h"
#include "field_reader.h"
#include "glyph_positions.h"
#include "message_text.h"
#include "source_file.h"

namespace sfc {

namespace {

// Warns of a field cut at the longest value the reader keeps.
class CutFields {
 public:
  CutFields(std::string_view file_name, LoadReport& report)
      : file_name_(file_name), report_(&report) {}

  void Note(const Field* field) const {
    if (!field || !field->cut_at) return;
    report_->problems.push_back({Severity::kWarning, std::string(file_name_), field->cut_at->line,
                                 field->cut_at->column, CutFieldMessage(kMaxFieldBytes)});
  }

 private:
  std::string_view file_name_;
  LoadReport* report_;
};

// Reads one file with `read`, or notes why it could not be read; the table
// of a file that cannot be opened keeps its contents. The file is closed as
// soon as the rows of its table are read.
template <typename Read>
void LoadFile(const std::filesystem::path& dir, std::string_view file_name,
              std::string_view table_name, LoadReport& report, Read&& read) {
  const std::filesystem::path path = dir / file_name;
  SourceFile file = OpenSourceFile(path);
  if (file.failure == OpenFailure::kNone) {
    FieldReader reader(*file.stream.rdbuf());
    read(reader, CutFields(file_name, report));
    file.stream.close();
    if (!reader.read_failed()) return;
    file.failure = OpenFailure::kReadFailed;
  }
  std::string note = DescribeFailure(path, file.failure, file.reason);
  note += file.failure == OpenFailure::kReadFailed ? "; the rows read before stay in " : "; ";
  note += table_name;
  if (file.failure != OpenFailure::kReadFailed) note += " keeps its contents";
  report.problems.push_back({Severity::kNote, std::string(file_name), 0, 0, std::move(note)});
}

void ReadSyllableFile(FieldReader& reader, const CutFields& cuts, SanidevaTable& table) {
  ForEachRow(reader, 3, kSyllableFileRows, [&](int row, int index, const Field* field) {
    cuts.Note(field);
    const auto r = static_cast<std::size_t>(row);
    std::string& cell = index == 0 ? table.key[r] : index == 1 ? table.full[r] : table.half[r];
    if (field) cell = field->value;  // a field that cannot be read leaves the cell
    cell = CodeTableEscape(cell);
  });
}

void ReadShortIFile(FieldReader& reader, const CutFields& cuts, ShortIMap& short_i) {
  ForEachRow(reader, 1, kShortIFileRows, [&](int row, int, const Field* field) {
    cuts.Note(field);
    if (field) short_i[static_cast<std::size_t>(row)] = field->value;
  });
}

void ReadGlyphFile(FieldReader& reader, const CutFields& cuts, const SanidevaTable& syllables,
                   DevitranTable& table, SpecialGlyphPositions& positions) {
  // The keys of ā and ṛ as they stand after the syllable file was read.
  const std::array<std::string, 1> long_a = {syllables.key[LetterRow(Letter::kLongA)]};
  const std::array<std::string, 1> vocalic_r = {syllables.key[LetterRow(Letter::kVocalicR)]};
  PositionRecorder recorder(positions);
  ForEachRow(reader, 1, kGlyphFileRows, [&](int row, int, const Field* field) {
    cuts.Note(field);
    std::string& cell = table[static_cast<std::size_t>(row)];
    if (field) cell = field->value;
    cell = CodeTableEscape(cell);
    recorder.Record(ClassifyGlyphEntry(cell, long_a, vocalic_r), row);
  });
}

// The load itself: `load_file(file_name, table_name, read)` gives `read` a
// field reader over one file, or notes why it could not.
template <typename LoadFileFn>
void LoadInto(ConverterState& state, LoadFileFn&& load_file) {
  ResetForLoad(state.positions);
  if (state.translit_button == TranslitFont::kSanskritTimes ||
      state.translit_button == TranslitFont::kItrTransTimes) {
    state.translit_button.reset();
  }
  // All three Devanagari font buttons are cleared: the loaded tables are in
  // force, and a later transliteration font button must put the built-in
  // Vedic tables back rather than mix loaded syllables with a font's glyph
  // table.
  state.devanagari_button.reset();
  state.load_button = true;

  load_file(kSyllableFileName, "the syllable code table",
            [&](FieldReader& reader, const CutFields& cuts) {
              ReadSyllableFile(reader, cuts, state.sanideva);
            });
  load_file(kShortIFileName, "the short-i map", [&](FieldReader& reader, const CutFields& cuts) {
    ReadShortIFile(reader, cuts, state.short_i);
  });
  load_file(kGlyphFileName, "the glyph code table",
            [&](FieldReader& reader, const CutFields& cuts) {
              ReadGlyphFile(reader, cuts, state.sanideva, state.devitran, state.positions);
            });
}

}  // namespace

LoadReport LoadCodeTables(ConverterState& state, const std::filesystem::path& dir) {
  LoadReport report;
  LoadInto(state, [&](std::string_view file_name, std::string_view table_name, auto&& read) {
    LoadFile(dir, file_name, table_name, report, read);
  });
  return report;
}

LoadReport LoadCodeTables(ConverterState& state, const CodeTableBytes& files) {
  LoadReport report;
  LoadInto(state, [&](std::string_view file_name, std::string_view table_name, auto&& read) {
    const std::optional<std::string>* bytes = file_name == kSyllableFileName ? &files.syllables
                                              : file_name == kShortIFileName ? &files.short_i
                                                                             : &files.glyphs;
    if (!bytes->has_value()) {
      report.problems.push_back({Severity::kNote, std::string(file_name), 0, 0,
                                 "no " + std::string(file_name) + " was given; " +
                                     std::string(table_name) + " keeps its contents"});
      return;
    }
    std::stringbuf source(**bytes, std::ios::in | std::ios::binary);
    FieldReader reader(source);
    read(reader, CutFields(file_name, report));
  });
  return report;
}

}  // namespace sfc
