#include "font_text.h"

#include <array>

#include "unicode_text.h"

namespace sfc::document {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the undefined five are the C1 controls.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::optional<FontByte> CharToFontByte(char32_t code_point) {
  if (code_point >= 0xF000 && code_point <= 0xF0FF) {
    return FontByte{static_cast<unsigned char>(code_point & 0xFF), true};
  }
  if (code_point < 0x20 && code_point != '\t' && code_point != '\n' && code_point != '\r') {
    return std::nullopt;  // a control character is no text of a font
  }
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return FontByte{static_cast<unsigned char>(code_point), false};
  }
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == code_point) return FontByte{static_cast<unsigned char>(0x80 + i), false};
  }
  return std::nullopt;
}

char32_t FontByteToChar(unsigned char byte, bool symbol) {
  const bool control = byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
  if (symbol || control) return 0xF000 + byte;
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80u];
  return byte;
}

std::string FontBytesToText(std::string_view bytes, bool symbol) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes)
    utf8::Append(text, FontByteToChar(static_cast<unsigned char>(c), symbol));
  return text;
}

}  // namespace sfc::document
