#include "field_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <ios>

namespace sfc {

namespace {

using Traits = std::char_traits<char>;

// How much of the source the reader takes at a time, at most.
constexpr std::size_t kBufferBytes = 64 * 1024;

void Step(int& counter) {
  if (counter < INT_MAX) ++counter;  // positions saturate in absurdly long files
}

void StepBy(int& counter, std::size_t by) {
  counter =
      by >= static_cast<std::size_t>(INT_MAX - counter) ? INT_MAX : counter + static_cast<int>(by);
}

bool IsSeparator(int c) { return c == ',' || c == '\r' || c == '\n'; }

using StopTable = std::array<bool, 256>;

// The bytes that end a run of value bytes: of an unquoted field, of a quoted
// one, and of the spaces before a field.
constexpr StopTable kUnquotedStops = [] {
  StopTable stops{};
  stops[','] = stops['\r'] = stops['\n'] = true;
  return stops;
}();
constexpr StopTable kQuotedStops = [] {
  StopTable stops{};
  stops['"'] = stops['\r'] = stops['\n'] = true;
  return stops;
}();
constexpr StopTable kSpaceStops = [] {
  StopTable stops{};
  stops.fill(true);
  stops[' '] = false;
  return stops;
}();

}  // namespace

FieldPosition Field::ValueAt(std::size_t offset) const {
  FieldPosition at = value_start;
  if (quoted) Step(at.column);
  if (value.find_first_of("\r\n") >= offset) StepBy(at.column, offset);
  return at;
}

bool FieldReader::Fill() {
  if (next_ < buffer_.size()) return true;
  buffer_.clear();
  next_ = 0;
  if (read_failed_) return false;
  try {
    if (Traits::eq_int_type(source_->sgetc(), Traits::eof())) return false;
    // What the source holds already: copying it cannot fail half-way.
    const std::streamsize held = source_->in_avail();
    const std::size_t take =
        held > 0 ? std::min(static_cast<std::size_t>(held), kBufferBytes) : std::size_t{1};
    buffer_.resize(take);
    const std::streamsize got = source_->sgetn(buffer_.data(), static_cast<std::streamsize>(take));
    buffer_.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  } catch (const std::ios_base::failure&) {
    read_failed_ = true;
    buffer_.clear();
  }
  return !buffer_.empty();
}

int FieldReader::Peek() {
  return Fill() ? static_cast<unsigned char>(buffer_[next_]) : Traits::eof();
}

void FieldReader::Advance() {
  if (!Fill()) return;
  ++next_;
  Step(at_.column);
}

void FieldReader::Keep(Field& field, const char* bytes, std::size_t size, FieldPosition at) {
  const std::size_t room =
      field.value.size() < max_field_bytes_ ? max_field_bytes_ - field.value.size() : 0;
  field.value.append(bytes, std::min(size, room));
  if (size > room && !field.cut_at) {
    StepBy(at.column, room);
    field.cut_at = at;
  }
}

void FieldReader::TakeRun(const bool* stops, Field* keep) {
  while (Fill()) {
    const char* const begin = buffer_.data() + next_;
    const char* const end = buffer_.data() + buffer_.size();
    const char* stop = begin;
    while (stop != end && !stops[static_cast<unsigned char>(*stop)]) ++stop;
    const auto size = static_cast<std::size_t>(stop - begin);
    if (keep) Keep(*keep, begin, size, at_);
    next_ += size;
    StepBy(at_.column, size);
    if (stop != end) return;
  }
}

void FieldReader::TakeLineEnd(Field* into) {
  const FieldPosition at = at_;
  const char first = static_cast<char>(Peek());
  Advance();
  if (into) Keep(*into, &first, 1, at);
  if (first == '\r' && Peek() == '\n') {
    const FieldPosition second = at_;
    Advance();
    if (into) Keep(*into, "\n", 1, second);
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
  TakeRun(kSpaceStops.data(), nullptr);
  field.skipped_spaces = at_.column > field.start.column ? at_.column - field.start.column : 0;
  field.value_start = at_;

  if (Peek() != '"') {
    TakeRun(kUnquotedStops.data(), &field);
    EndField(field);
    return field;
  }

  field.quoted = true;
  Advance();
  for (;;) {
    TakeRun(kQuotedStops.data(), &field);
    const int c = Peek();
    if (c == Traits::eof()) {
      field.unclosed = true;
      return field;
    }
    if (c == '"') {
      Advance();
      break;
    }
    field.spans_lines = true;
    TakeLineEnd(&field);
  }
  TakeRun(kSpaceStops.data(), nullptr);
  if (const int c = Peek(); c != Traits::eof() && !IsSeparator(c)) {
    field.dropped_text = at_;
    TakeRun(kUnquotedStops.data(), nullptr);
  }
  EndField(field);
  return field;
}

}  // namespace sfc
