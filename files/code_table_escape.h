// CodeTableEscape: how the syllable and glyph files carry bytes that the
// field syntax cannot. A field that starts with "!", three decimal digits and
// "!" stands for the byte of that value followed by the rest of the field:
// "!187!d" is the bytes 187 and "d", "!034!" a lone quotation mark. Only an
// escape at the very start of a field is decoded.
#pragma once

#include <string>
#include <string_view>

namespace sfc {

// The field with its leading escape decoded; a field without a well-formed
// escape (exactly three digits, value 0 to 255) stays as it is.
std::string CodeTableEscape(std::string_view field);

// What a field that starts with "!" looks like to a reader of the file.
enum class EscapeForm {
  kNone,             // no escape meant: not "!" first, or nothing escape-like
  kDecoded,          // "!DDD!" with a value 0 to 255: decoded
  kOutOfRange,       // "!DDD!" above 255: read as it stands
  kWrongDigitCount,  // "!" digits "!" with other than three digits: read as it stands
  kNotDigits,        // "!" three characters "!" with a digit among other bytes: as it stands
};
struct EscapeLook {
  EscapeForm form = EscapeForm::kNone;
  std::size_t length = 0;  // bytes of the escape-like start, both marks included
};
EscapeLook LookAtEscape(std::string_view field);

// The first well-formed escape in the field that is not decoded because it
// does not stand at the very start (after a decoded escape, past it);
// std::string_view::npos when there is none.
std::size_t FindUndecodedEscape(std::string_view field);

}  // namespace sfc
