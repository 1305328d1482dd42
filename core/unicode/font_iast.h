// Transliteration-font bytes <-> Unicode IAST (UTF-8).
//
// A font's text is one byte a character: ASCII as itself, the font's special
// letters at bytes of its own, "/" and "//" for the danda and double danda.
// The font is given as a FontLetters: the byte strings of its 18 letters in
// the order of Letter (from GetTranslitLetters, or from a table on disk).
//
// Bytes -> IAST:
//   - the letters as precomposed IAST: ā ī ū ṛ ṝ ṃ ḥ ṅ ñ ṭ ḍ ṇ ś ṣ ḷ ḹ;
//   - the hidden-dash mark (a dash the Devanagari does not write) as "_";
//   - the row-171 sign (the syllable ñaṃ written as one sign) as "ñaṃ";
//   - "/" as "|", "//" as "||"; other ASCII as itself;
//   - any other byte as its Windows-1252 character (the five bytes
//     Windows-1252 leaves free as U+0081, U+008D, U+008F, U+0090, U+009D).
//   Where letters overlap, the longest wins ("/-/" before "/").
//
// IAST -> bytes: the text is read as in iast_normalize.h (composed, variants,
// small letters), then
//   - the IAST letters as the font's letters; "_" as the hidden-dash mark;
//     "ñaṃ" as its three letters (never the row-171 sign);
//   - "|" as "/", "||" as "//", and "।" "॥" likewise;
//   - ASCII as itself; a Windows-1252 character as its byte when that byte is
//     none of the font's letter bytes;
//   - every other character is reported (code point, line, column) and left
//     out.
// So bytes -> IAST -> bytes gives the bytes back, except for a "|" byte (read
// back as "/"), capitals (read back small), the row-171 sign (read back as
// its letters), a free byte 0xF1 (Windows-1252 "ñ", read back as the font's
// ñ) and, where the hidden-dash mark is not "_", a "_" byte.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "translit_letters.h"
#include "unicode_text.h"

namespace sfc {

// The bytes of a font's special letters, in the order of Letter.
struct FontLetters {
  std::array<std::string, kLetterCount> bytes;

  FontLetters() = default;
  explicit FontLetters(const TranslitLetters& letters);
  const std::string& operator[](Letter letter) const {
    return bytes[static_cast<std::size_t>(letter) - 1];
  }
};

// What a letter of the font reads as in IAST (UTF-8).
std::string_view LetterIast(Letter letter);

// Font bytes to IAST over input given in blocks; any cut of the input gives
// the same output (a letter of several bytes may be cut).
class FontToIastStream {
 public:
  FontToIastStream(const FontLetters& letters, UnicodeSink sink);
  ~FontToIastStream();
  FontToIastStream(const FontToIastStream&) = delete;
  FontToIastStream& operator=(const FontToIastStream&) = delete;

  void Feed(std::string_view block);
  // Ends the input; passes on the rest of the output. Call once.
  void Finish();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// IAST to font bytes over input given in blocks; the characters the font
// cannot hold go to `rejects` (may be empty) as they are met.
class IastToFontStream {
 public:
  IastToFontStream(const FontLetters& letters, UnicodeSink sink, RejectSink rejects = {});
  ~IastToFontStream();
  IastToFontStream(const IastToFontStream&) = delete;
  IastToFontStream& operator=(const IastToFontStream&) = delete;

  void Feed(std::string_view block);
  void Finish();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// Whole-text faces.
std::string FontToIast(std::string_view bytes, const FontLetters& letters);
UnicodeResult IastToFont(std::string_view iast, const FontLetters& letters);

}  // namespace sfc
