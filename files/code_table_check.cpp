// Checking the three code-table files: everything the loader would read
// differently from what their writer probably meant, with file, line and
// column.

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "code_table_escape.h"
#include "code_table_files.h"
#include "field_reader.h"
#include "glyph_positions.h"
#include "glyph_roles.h"
#include "message_text.h"
#include "source_file.h"

namespace sfc {

namespace {

// Every problem goes through here.
class ProblemList {
 public:
  // A place that is read otherwise than its writer probably meant.
  void Report(std::string_view file, FieldPosition at, std::string message) {
    problems_.push_back(
        {Severity::kWarning, std::string(file), at.line, at.column, std::move(message)});
  }
  void ReportFile(std::string_view file, std::string message,
                  Severity severity = Severity::kWarning) {
    problems_.push_back({severity, std::string(file), 0, 0, std::move(message)});
  }
  // The problems file by file, in the order the files were first named, and
  // in each file by line and column.
  std::vector<TableProblem> Take() {
    std::vector<std::string> files;
    for (const TableProblem& problem : problems_) {
      if (std::find(files.begin(), files.end(), problem.file) == files.end()) {
        files.push_back(problem.file);
      }
    }
    const auto rank = [&](const TableProblem& problem) {
      return std::tuple(std::find(files.begin(), files.end(), problem.file) - files.begin(),
                        problem.line, problem.column);
    };
    std::stable_sort(
        problems_.begin(), problems_.end(),
        [&](const TableProblem& a, const TableProblem& b) { return rank(a) < rank(b); });
    return std::move(problems_);
  }

 private:
  std::vector<TableProblem> problems_;
};

// The syntax of one field: quotation marks, and with escape its "!NNN!".
void CheckFieldSyntax(std::string_view file, const Field& field, bool with_escape,
                      ProblemList& problems) {
  if (field.unclosed) {
    problems.Report(file, field.value_start,
                    "this quotation mark is never closed: the field runs to the end of the file");
  } else if (field.spans_lines) {
    problems.Report(file, field.value_start,
                    "the quoted field runs over a line end, which becomes part of its value");
  }
  if (field.dropped_text) {
    problems.Report(file, *field.dropped_text, "text after the closing quotation mark is dropped");
  }
  if (field.cut_at) problems.Report(file, *field.cut_at, CutFieldMessage(kMaxFieldBytes));
  if (!with_escape) return;

  const std::string& value = field.value;
  const FieldPosition at = field.ValueAt();
  const EscapeLook look = LookAtEscape(value);
  const std::string written = ShownBytes(std::string_view(value).substr(0, look.length));
  switch (look.form) {
    case EscapeForm::kNone:
    case EscapeForm::kDecoded:
      break;
    case EscapeForm::kOutOfRange:
      problems.Report(file, at,
                      "escape " + written + " is above 255: the field is read as it stands");
      break;
    case EscapeForm::kWrongDigitCount: {
      std::string message = "escape " + written + " needs exactly three digits";
      const std::string digits = value.substr(1, look.length - 2);
      if (digits.size() < 3) {
        message += " (as \"!" + std::string(3 - digits.size(), '0') + digits + "!\")";
      }
      problems.Report(file, at, message + ": the field is read as it stands");
      break;
    }
    case EscapeForm::kNotDigits:
      problems.Report(
          file, at,
          "escape " + written + " needs three decimal digits: the field is read as it stands");
      break;
  }
  const std::size_t inner = FindUndecodedEscape(value);
  if (inner != std::string::npos) {
    problems.Report(file, field.ValueAt(inner),
                    "escape " + ShownBytes(std::string_view(value).substr(inner, 5)) +
                        " is not decoded: only an escape at the very start of a field is");
  }
}

void ReportMissingOrUnreadable(std::string_view file, const SourceFile& source,
                               ProblemList& problems) {
  problems.ReportFile(file, DescribeFailure(source.path, source.failure, source.reason),
                      Severity::kError);
}

// Reads one file with `check`, reporting a file that cannot be read, an empty
// file and fields beyond the rows of the table.
template <typename Check>
void CheckFile(const std::filesystem::path& dir, std::string_view file, int max_rows,
               ProblemList& problems, Check&& check) {
  SourceFile source = OpenSourceFile(dir / file);
  if (source.failure != OpenFailure::kNone) {
    ReportMissingOrUnreadable(file, source, problems);
    return;
  }
  FieldReader reader(*source.stream.rdbuf());
  const int rows = check(reader);
  if (reader.read_failed()) {
    source.failure = OpenFailure::kReadFailed;
    ReportMissingOrUnreadable(file, source, problems);
  } else if (rows == 0) {
    problems.ReportFile(file, "the file is empty: the table keeps its contents");
  } else if (!reader.AtEnd()) {
    problems.Report(file, reader.position(),
                    "the table has " + std::to_string(max_rows) +
                        " rows: the fields from here on are not read");
  }
}

// --- sanideva.cod -----------------------------------------------------------

// The rule for the keys of the built-in rows: a key keeps the first letter
// of the row it replaces. For a row that starts with a special letter (ā,
// ṛ, ...) that letter is the one of any of the three transliteration fonts,
// or, for a font of the user's own, the one the file itself gives in the row
// that holds the letter alone; that row takes any key that does not start
// with a plain ASCII letter.
class KeyRules {
 public:
  using FileKeys = std::array<std::optional<std::string>, kBuiltinSyllableRows + 1>;

  KeyRules() {
    std::array<SanidevaTable, 3> tables;
    for (std::size_t f = 0; f < kTranslitFonts.size(); ++f) {
      RewriteKeys(GetTranslitLetters(kTranslitFonts[f]), tables[f]);
    }
    for (std::size_t row = 1; row <= kBuiltinSyllableRows; ++row) {
      for (std::size_t f = 0; f < tables.size(); ++f) keys_[row][f] = tables[f].key[row];
    }
    for (std::size_t row = 1; row <= kBuiltinSyllableRows; ++row) {
      if (keys_[row][0].empty() || SameFirstByte(row)) continue;
      for (const int letter_row : kLetterRows) {  // the rows of a special letter alone
        const auto alone = static_cast<std::size_t>(letter_row);
        bool starts = true;
        for (std::size_t f = 0; f < tables.size(); ++f) {
          starts = starts && keys_[row][f].starts_with(keys_[alone][f]);
        }
        if (starts) {
          letter_row_[row] = alone;
          break;
        }
      }
    }
  }

  // The problem with a key of row 1 to 189, if it has one.
  std::optional<std::string> Check(std::size_t row, const std::string& key,
                                   const FileKeys& file_keys) const {
    const std::array<std::string, 3>& builtin = keys_[row];
    if (builtin[0].empty()) return std::nullopt;
    bool fits = false;
    for (const std::string& builtin_key : builtin) {
      fits = fits || (!key.empty() && key[0] == builtin_key[0]);
    }
    const std::size_t alone = letter_row_[row];
    std::string own_letter;
    if (!fits && alone == row) {
      fits = !key.empty() && !IsAsciiLetter(key[0]);
    } else if (!fits && alone != 0 && file_keys[alone] && !file_keys[alone]->empty()) {
      own_letter = file_keys[alone]->substr(0, 1);
      fits = !key.empty() && key[0] == own_letter[0];
    }
    if (fits) return std::nullopt;
    std::string message =
        "key " + ShownBytes(key) + " of row " + std::to_string(row) + " does not start with ";
    if (SameFirstByte(row)) {
      message += ShownBytes(builtin[0].substr(0, 1));
    } else {
      message += "the letter of the row (";
      for (std::size_t f = 0; f < builtin.size(); ++f) {
        if (f > 0) message += f + 1 == builtin.size() ? " or " : ", ";
        message +=
            ShownBytes(builtin[f].substr(0, 1)) + " in " + std::string(FontName(kTranslitFonts[f]));
      }
      message += ")";
      if (!own_letter.empty()) {
        message += " or the one this file gives in row " + std::to_string(alone) + " (" +
                   ShownBytes(own_letter) + ")";
      }
    }
    return message +
           ": rows keep their places, and a key may only be replaced by one that starts with "
           "the same letter";
  }

 private:
  static bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  bool SameFirstByte(std::size_t row) const {
    const std::array<std::string, 3>& keys = keys_[row];
    return keys[0][0] == keys[1][0] && keys[0][0] == keys[2][0];
  }

  std::array<std::array<std::string, 3>, kBuiltinSyllableRows + 1> keys_;
  std::array<std::size_t, kBuiltinSyllableRows + 1> letter_row_{};
};

// A row's key in each of the three transliteration fonts.
std::vector<std::string> BuiltinKeysOfRow(std::size_t row) {
  std::vector<std::string> keys;
  for (TranslitFont font : kTranslitFonts) {
    SanidevaTable table;
    RewriteKeys(GetTranslitLetters(font), table);
    keys.push_back(table.key[row]);
  }
  return keys;
}

struct SyllableKeys {
  std::optional<std::string> long_a;     // Key row 1 as the file leaves it
  std::optional<std::string> vocalic_r;  // Key row 110
};

// Watches whether a file is written one row to a line. In such a file a row
// that is not alone on its line is worth a report: fields are read three at
// a time whatever the lines, so it shifts every row after it.
class RowLayout {
 public:
  void Add(int index, const Field& field) {
    if (index == 0) {
      row_ok_ = field.start.column == 1;
      row_line_ = field.start.line;
      row_start_ = field.start;
    } else {
      row_ok_ = row_ok_ && field.start.line == row_line_;
    }
    row_ok_ = row_ok_ && !field.spans_lines;
    if (index == 2) row_ok_ = row_ok_ && field.end != FieldEnd::kComma;
  }
  // At the end of a complete row; true once, for the first row that breaks
  // a file written one row to a line.
  bool EndRowBreaksLayout(int row) {
    if (row == 1) one_per_line_ = row_ok_;
    if (!one_per_line_ || row_ok_ || reported_) return false;
    reported_ = true;
    return true;
  }
  FieldPosition row_start() const { return row_start_; }

 private:
  bool one_per_line_ = false;
  bool reported_ = false;
  bool row_ok_ = false;
  int row_line_ = 0;
  FieldPosition row_start_;
};

SyllableKeys CheckSyllableFile(const std::filesystem::path& dir, ProblemList& problems) {
  static constexpr std::string_view kFile = kSyllableFileName;
  SyllableKeys keys;
  CheckFile(dir, kFile, kSyllableFileRows, problems, [&](FieldReader& reader) {
    RowLayout layout;
    bool row_cut = false;
    KeyRules::FileKeys file_keys;
    std::array<FieldPosition, kBuiltinSyllableRows + 1> key_at;
    std::size_t shifted_after = file_keys.size();  // the row where the layout broke
    const int rows =
        ForEachRow(reader, 3, kSyllableFileRows, [&](int row, int index, const Field* field) {
          const auto r = static_cast<std::size_t>(row);
          if (!field) {
            if (!row_cut) {
              row_cut = true;
              problems.Report(kFile, reader.position(),
                              "the file ends inside row " + std::to_string(row) + " (" +
                                  std::to_string((row - 1) * 3 + index) +
                                  " fields, not a multiple of three): " +
                                  (index == 1 ? "its full glyphs and half glyphs keep their "
                                                "contents"
                                              : "its half glyphs keep their contents"));
            }
            return;
          }
          CheckFieldSyntax(kFile, *field, true, problems);
          if (!field->quoted && field->skipped_spaces > 0 && field->value.empty()) {
            problems.Report(kFile, field->start,
                            "this field holds only spaces, which are skipped: it reads as "
                            "empty (write a space as !032!)");
          }
          layout.Add(index, *field);
          if (index == 2 && layout.EndRowBreaksLayout(row)) {
            problems.Report(kFile, layout.row_start(),
                            "row " + std::to_string(row) +
                                " is not on a line of its own: fields are read three at a time "
                                "whatever the lines, so a missing or extra field shifts every "
                                "row after it (their keys are not checked until this is "
                                "mended)");
            shifted_after = r;
          }
          if (index != 0) return;
          std::string key = CodeTableEscape(field->value);
          if (row == 1) keys.long_a = key;
          if (row == 110) keys.vocalic_r = key;
          if (r < file_keys.size()) {
            file_keys[r] = std::move(key);
            key_at[r] = field->ValueAt();
          }
        });
    const KeyRules rules;
    for (std::size_t row = 1; row < file_keys.size() && row <= shifted_after; ++row) {
      if (!file_keys[row]) continue;
      if (std::optional<std::string> problem = rules.Check(row, *file_keys[row], file_keys)) {
        problems.Report(kFile, key_at[row], std::move(*problem));
      }
    }
    return rows;
  });
  return keys;
}

// --- lipikara.mmy -----------------------------------------------------------

void CheckShortIFile(const std::filesystem::path& dir, ProblemList& problems) {
  static constexpr std::string_view kFile = kShortIFileName;
  CheckFile(dir, kFile, kShortIFileRows, problems, [&](FieldReader& reader) {
    return ForEachRow(reader, 1, kShortIFileRows, [&](int, int, const Field* field) {
      if (!field) return;
      CheckFieldSyntax(kFile, *field, false, problems);
      if (field->value == "y" || field->value == "n") return;
      const FieldPosition at = field->ValueAt();
      std::string message = "value " + ShownBytes(field->value) + " is neither \"y\" nor \"n\"";
      if (LookAtEscape(field->value).form == EscapeForm::kDecoded) {
        message += " (this file decodes no escape)";
      }
      problems.Report(kFile, at, message);
    });
  });
}

// --- devitran.cod -----------------------------------------------------------

std::string_view ListName(PositionList list) {
  switch (list) {
    case PositionList::kShortISign:
      return "short-i sign";
    case PositionList::kVowelSign:
      return "vowel sign";
    case PositionList::kAspirata:
      return "aspirata sign";
    case PositionList::kR:
      return "r";
  }
  return "";
}

void CheckGlyphEntry(const Field& field, const std::string& entry, ProblemList& problems) {
  static constexpr std::string_view kFile = kGlyphFileName;
  const FieldPosition at = field.ValueAt();
  if (entry.empty()) {
    problems.Report(kFile, at, "the entry is empty: it has no class digit and counts as class 0");
    return;
  }
  const char last = entry.back();
  if (last < '0' || last > '9') {
    std::string message =
        "entry " + ShownBytes(entry) + " has no class digit at its end, so it counts as class 0";
    if (IsRoleOnlyName(entry))
      message += "; the special glyph is written " + ShownBytes(entry + "5");
    problems.Report(kFile, at, message);
    return;
  }
  if (last == '0') {
    problems.Report(kFile, at,
                    "entry " + ShownBytes(entry) + " ends in 0, which is no glyph class (1 to 9)");
    return;
  }
  const std::string_view name = GlyphText(entry);
  if (IsRoleOnlyName(name) && last != '5') {
    problems.Report(kFile, at,
                    ShownBytes(name) + " names a special glyph of class 5, but entry " +
                        ShownBytes(entry) + " has class " + std::string(1, last));
  }
}

void CheckGlyphFile(const std::filesystem::path& dir, const SyllableKeys& keys,
                    ProblemList& problems) {
  static constexpr std::string_view kFile = kGlyphFileName;
  const std::vector<std::string> long_a =
      keys.long_a ? std::vector<std::string>{*keys.long_a} : BuiltinKeysOfRow(1);
  const std::vector<std::string> vocalic_r =
      keys.vocalic_r ? std::vector<std::string>{*keys.vocalic_r} : BuiltinKeysOfRow(110);
  CheckFile(dir, kFile, kGlyphFileRows, problems, [&](FieldReader& reader) {
    SpecialGlyphPositions scratch;
    PositionRecorder recorder(scratch);
    std::array<int, 4> counts{};
    return ForEachRow(reader, 1, kGlyphFileRows, [&](int row, int, const Field* field) {
      if (!field) return;
      CheckFieldSyntax(kFile, *field, true, problems);
      if (!field->quoted && field->skipped_spaces > 0) {
        problems.Report(kFile, field->start,
                        "the spaces before this entry are skipped (write a leading space as "
                        "!032!)");
      }
      const std::string entry = CodeTableEscape(field->value);
      CheckGlyphEntry(*field, entry, problems);
      const SpecialGlyph glyph = ClassifyGlyphEntry(entry, long_a, vocalic_r);
      PositionList list;
      if (!ListOf(glyph, list)) {
        recorder.Record(glyph, row);
        return;
      }
      const int count = ++counts[static_cast<std::size_t>(list)];
      // The vowel signs are recorded but no rule reads their list: which
      // vowel signs take the syllable's "a" comes from the glyph classes.
      // A sign past the end of any other list is read differently.
      if (recorder.Record(glyph, row) == PositionRecorder::Outcome::kListFull &&
          list != PositionList::kVowelSign) {
        problems.Report(kFile, field->ValueAt(),
                        "entry " + ShownBytes(entry) + " is the " + Ordinal(count) + " " +
                            std::string(ListName(list)) + ": only the first " +
                            std::to_string(ListCapacity(list)) +
                            " are recorded, so this one is ignored");
      }
    });
  });
}

}  // namespace

std::vector<TableProblem> CheckCodeTables(const std::filesystem::path& dir) {
  ProblemList problems;
  const SyllableKeys keys = CheckSyllableFile(dir, problems);
  CheckShortIFile(dir, problems);
  CheckGlyphFile(dir, keys, problems);
  return problems.Take();
}

}  // namespace sfc
