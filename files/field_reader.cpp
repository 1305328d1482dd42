#include "field_reader.h"

#include <climits>
#include <ios>

namespace sfc {

namespace {

using Traits = std::char_traits<char>;

void Step(int& counter) {
  if (counter < INT_MAX) ++counter;  // positions saturate in absurdly long files
}

void StepBy(int& counter, std::size_t by) {
  counter =
      by >= static_cast<std::size_t>(INT_MAX - counter) ? INT_MAX : counter + static_cast<int>(by);
}

bool IsSeparator(int c) { return c == ',' || c == '\r' || c == '\n'; }

}  // namespace

FieldPosition Field::ValueAt(std::size_t offset) const {
  FieldPosition at = value_start;
  if (quoted) Step(at.column);
  if (value.find_first_of("\r\n") >= offset) StepBy(at.column, offset);
  return at;
}

int FieldReader::Peek() {
  if (read_failed_) return Traits::eof();
  try {
    const Traits::int_type c = source_->sgetc();
    return Traits::eq_int_type(c, Traits::eof())
               ? Traits::eof()
               : static_cast<unsigned char>(Traits::to_char_type(c));
  } catch (const std::ios_base::failure&) {
    read_failed_ = true;
    return Traits::eof();
  }
}

void FieldReader::Advance() {
  if (read_failed_) return;
  try {
    source_->sbumpc();
  } catch (const std::ios_base::failure&) {
    read_failed_ = true;
    return;
  }
  Step(at_.column);
}

void FieldReader::TakeLineEnd(std::string* into) {
  const int first = Peek();
  Advance();
  if (into) *into += static_cast<char>(first);
  if (first == '\r' && Peek() == '\n') {
    Advance();
    if (into) *into += '\n';
  }
  Step(at_.line);
  at_.column = 1;
}

bool FieldReader::AtEnd() { return Peek() == Traits::eof(); }

void FieldReader::EndField(Field& field) {
  const int c = Peek();
  if (c == ',') {
    Advance();
    field.end = FieldEnd::kComma;
  } else if (c == '\r' || c == '\n') {
    TakeLineEnd(nullptr);
    field.end = FieldEnd::kLineEnd;
  } else {
    field.end = FieldEnd::kEndOfFile;
  }
}

std::optional<Field> FieldReader::Next() {
  if (AtEnd()) return std::nullopt;
  Field field;
  field.start = at_;
  while (Peek() == ' ') {
    Advance();
    ++field.skipped_spaces;
  }
  field.value_start = at_;

  if (Peek() != '"') {
    for (int c = Peek(); c != Traits::eof() && !IsSeparator(c); c = Peek()) {
      field.value += static_cast<char>(c);
      Advance();
    }
    EndField(field);
    return field;
  }

  field.quoted = true;
  Advance();
  for (;;) {
    const int c = Peek();
    if (c == Traits::eof()) {
      field.unclosed = true;
      return field;
    }
    if (c == '"') {
      Advance();
      break;
    }
    if (c == '\r' || c == '\n') {
      field.spans_lines = true;
      TakeLineEnd(&field.value);
    } else {
      field.value += static_cast<char>(c);
      Advance();
    }
  }
  for (int c = Peek(); c != Traits::eof() && !IsSeparator(c); c = Peek()) {
    if (c != ' ' && !field.dropped_text) field.dropped_text = at_;
    Advance();
  }
  EndField(field);
  return field;
}

}  // namespace sfc
