// How a word processor stores the bytes of an 8-bit font as characters, and
// back: a symbol font's byte b as U+F000 + b, any other font's byte as its
// Windows-1252 character.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sfc::document {

// The byte a character stands for in a legacy font, and whether it was
// written the symbol way (U+F0xx). No byte: the character is not a legacy
// font's (e.g. a Devanagari letter already in Unicode).
struct FontByte {
  unsigned char byte = 0;
  bool symbol = false;
};
std::optional<FontByte> CharToFontByte(char32_t code_point);

// The character for a byte: U+F000 + b when `symbol`, else the Windows-1252
// character (the five bytes it leaves undefined as the C1 controls, as
// Windows maps them). Bytes below 0x20 other than tab, line feed and carriage
// return cannot stand in a document's text; they are written the symbol
// way.
char32_t FontByteToChar(unsigned char byte, bool symbol);

// The bytes as UTF-8 text of characters for them.
std::string FontBytesToText(std::string_view bytes, bool symbol);

}  // namespace sfc::document
