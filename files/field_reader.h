// The field reader of the code-table files and the input file: a file is a
// sequence of fields separated by commas or line ends.
//
// - A line ends with a line feed, a carriage return and line feed, or a lone
//   carriage return. Lines matter only as separators.
// - Spaces (byte 32, not tabs) before a field are skipped.
// - A field that starts with a double quotation mark runs to the next one,
//   over commas and line ends; the two marks are not part of the value. One
//   that is never closed runs to the end of the file. Text after the closing
//   mark up to the next separator is dropped.
// - An unquoted field runs to the next comma or line end; spaces after it
//   belong to it. Every other byte is an ordinary byte.
// - Two separators in a row give an empty field.
// - A value is held to at most a given number of bytes (kMaxFieldBytes for
//   the code tables, longer than any cell can be); the bytes past it are
//   read over to the field's end but not kept, and cut_at tells where the
//   first of them stands. The reader never holds more than that and a small
//   buffer, whatever the size of the file.
#pragma once

#include <cstddef>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

namespace sfc {

// A place in a file: 1-based line and byte column.
// The longest value the reader keeps of a field of a code-table file: more
// than any cell of a table needs.
inline constexpr std::size_t kMaxFieldBytes = 4096;

struct FieldPosition {
  int line = 1;
  int column = 1;

  bool operator==(const FieldPosition&) const = default;
};

// What ended a field.
enum class FieldEnd { kComma, kLineEnd, kEndOfFile };

struct Field {
  std::string value;
  FieldPosition start;        // where the field begins, before skipped spaces
  FieldPosition value_start;  // its first byte after them (a quoted field's mark)
  int skipped_spaces = 0;
  bool quoted = false;
  bool unclosed = false;                      // quoted and never closed: ran to the end of the file
  bool spans_lines = false;                   // quoted and running over a line end
  std::optional<FieldPosition> dropped_text;  // non-blank text after the closing mark
  std::optional<FieldPosition> cut_at;        // the first byte past the kept value
  FieldEnd end = FieldEnd::kEndOfFile;

  // Where byte `offset` of the value stands in the file (past the opening
  // mark of a quoted field); where the value starts when a line end comes
  // before that byte.
  FieldPosition ValueAt(std::size_t offset = 0) const;
};

// Reads fields one after the other from a byte source. A source that fails
// while it is read counts as ended there; read_failed() tells.
class FieldReader {
 public:
  explicit FieldReader(std::streambuf& source, std::size_t max_field_bytes = kMaxFieldBytes)
      : source_(&source), max_field_bytes_(max_field_bytes) {}

  // The longest value kept from the next field on.
  void set_max_field_bytes(std::size_t bytes) { max_field_bytes_ = bytes; }

  // The end-of-file test: true when no byte is left.
  bool AtEnd();
  // The next field, or nothing when the file has ended.
  std::optional<Field> Next();

  // Where the next field would begin.
  FieldPosition position() const { return at_; }
  bool read_failed() const { return read_failed_; }

 private:
  // Makes sure the buffer holds a byte unless the source has ended; false
  // at its end. Takes only what the source holds in its own buffer, so a
  // source that fails loses no byte it gave before.
  bool Fill();
  int Peek();
  void Advance();
  // Takes a line end (the byte at hand is a carriage return or a line feed)
  // and appends its bytes to the field's value when it is given.
  void TakeLineEnd(Field* into);
  // Takes the bytes up to the first one of `stops` (a table of 256 flags),
  // appending them to the value of `keep` when it is given.
  void TakeRun(const bool* stops, Field* keep);
  // Appends bytes to the value, keeping at most max_field_bytes_; `at` is
  // where the first of them stands.
  void Keep(Field& field, const char* bytes, std::size_t size, FieldPosition at);
  void EndField(Field& field);

  std::streambuf* source_;
  std::size_t max_field_bytes_;
  std::vector<char> buffer_;
  std::size_t next_ = 0;  // the byte at hand in buffer_
  FieldPosition at_;
  bool read_failed_ = false;
};

// Runs the loader's row loop over a file: while the file has not ended and
// fewer than max_rows rows were read, the next row takes fields_per_row
// fields. The end test runs once per row, before its fields. on_field(row,
// index_in_row, field) gets nullptr for a field that cannot be read because
// the file ended inside the row. Returns the number of rows read.
template <typename OnField>
int ForEachRow(FieldReader& reader, int fields_per_row, int max_rows, OnField&& on_field) {
  int row = 0;
  while (row < max_rows && !reader.AtEnd()) {
    ++row;
    for (int index = 0; index < fields_per_row; ++index) {
      std::optional<Field> field = reader.Next();
      on_field(row, index, field ? &*field : nullptr);
    }
  }
  return row;
}

}  // namespace sfc
