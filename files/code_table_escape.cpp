#include "code_table_escape.h"

namespace sfc {

namespace {

constexpr std::size_t kEscapeLength = 5;  // "!" three digits "!"
constexpr std::size_t kMaxDigitsLooked = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a well-formed escape at `at`, or -1.
int EscapeValueAt(std::string_view field, std::size_t at) {
  if (field.size() - at < kEscapeLength || field[at] != '!' || field[at + 4] != '!') return -1;
  int value = 0;
  for (std::size_t i = at + 1; i < at + 4; ++i) {
    if (!IsDigit(field[i])) return -1;
    value = value * 10 + (field[i] - '0');
  }
  return value;
}

}  // namespace

std::string CodeTableEscape(std::string_view field) {
  const int value = field.empty() ? -1 : EscapeValueAt(field, 0);
  if (value < 0 || value > 255) return std::string(field);
  std::string decoded(1, static_cast<char>(value));
  decoded += field.substr(kEscapeLength);
  return decoded;
}

EscapeLook LookAtEscape(std::string_view field) {
  if (field.empty() || field[0] != '!') return {};
  const int value = EscapeValueAt(field, 0);
  if (value >= 0) {
    return {value <= 255 ? EscapeForm::kDecoded : EscapeForm::kOutOfRange, kEscapeLength};
  }
  // "!" digits "!" with a digit count other than three.
  std::size_t digits = 0;
  while (1 + digits < field.size() && digits < kMaxDigitsLooked && IsDigit(field[1 + digits])) {
    ++digits;
  }
  if (digits > 0 && digits != 3 && 1 + digits < field.size() && field[1 + digits] == '!') {
    return {EscapeForm::kWrongDigitCount, digits + 2};
  }
  // "!" three bytes "!" with a digit among bytes that are not all digits.
  if (field.size() >= kEscapeLength && field[4] == '!') {
    const std::string_view inner = field.substr(1, 3);
    bool any_digit = false;
    for (char c : inner) any_digit = any_digit || IsDigit(c);
    if (any_digit) return {EscapeForm::kNotDigits, kEscapeLength};
  }
  return {};
}

std::size_t FindUndecodedEscape(std::string_view field) {
  std::size_t from = 1;
  if (LookAtEscape(field).form == EscapeForm::kDecoded) from = kEscapeLength;
  for (std::size_t at = field.find('!', from); at != std::string_view::npos;
       at = field.find('!', at + 1)) {
    const int value = EscapeValueAt(field, at);
    if (value >= 0 && value <= 255) return at;
  }
  return std::string_view::npos;
}

}  // namespace sfc
