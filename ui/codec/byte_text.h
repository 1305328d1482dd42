// Where the bytes of the core meet the text of the windows. The core works on
// single bytes; the boxes, labels and the clipboard hold Qt text. Each function
// here maps one byte to one character and back.
//
// Transliteration text is Windows-1252. The five bytes that code page leaves
// undefined (129, 141, 143, 144, 157) become U+0081, U+008D, U+008F, U+0090 and
// U+009D, as Windows maps them, so every one of the 256 bytes comes back from
// its character.
//
// Devanagari text is shown in a symbol font byte for byte: byte b (0x20 to
// 0xFF) as U+F000 + b, which a font with a symbol character map draws with
// its glyph for b.
//
// Through a box. Of the 256 characters a QPlainTextEdit gives back 254 as they
// were put in (byte 0 included); two come back changed:
//   - byte 13 (carriage return). A box breaks its line at a lone CR, at a CR LF
//     pair and at an LF alike, and gives back each break as one LF. The box
//     keeps no record of which it was given, so a lone CR comes back as LF and
//     CR LF as LF. LineEndOf() and SetLineEnd() below give back text whose
//     line ends were all CR LF; a lone CR cannot survive a box.
//   - byte 160 (no-break space, U+00A0). QPlainTextEdit::toPlainText() (and
//     the box's own Copy, which writes the clipboard the same way) turns it
//     into a space. BoxText() below reads a box with it kept.
// In the symbol-font form byte 160 is U+F0A0 and survives either way; byte 13
// is a CR there as well (bytes below 32 stay control characters, so line ends
// stay line ends) and is changed as above. The clipboard (setText, text) and a
// QLineEdit keep all 256 characters.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QFont;
class QTextDocument;

namespace sfc::ui {

// A character of text that no byte can hold, left out of the bytes.
struct LeftOutCharacter {
  qsizetype position;  // 1-based, counted in characters (code points) of the text
  char32_t character;  // a lone surrogate is left out as itself
};

struct DecodedBytes {
  std::string bytes;
  std::vector<LeftOutCharacter> left_out;
};

// Transliteration boxes and the clipboard: Windows-1252 as described above.
QString TranslitBytesToText(std::string_view bytes);
DecodedBytes TranslitTextToBytes(const QString& text);

// Devanagari (symbol-font) boxes and labels, shown byte for byte. With
// symbol_map true (the font has a symbol character map) bytes 0x20 to 0xFF show
// as U+F000 + b and bytes below 0x20 stay the control characters themselves.
// With symbol_map false, exactly TranslitBytesToText.
QString GlyphBytesToText(std::string_view bytes, bool symbol_map);
// U+F000 to U+F0FF is its low byte (word processors carry symbol-font text as
// U+F020 to U+F0FF); every other character as in TranslitTextToBytes.
DecodedBytes GlyphTextToBytes(const QString& text);

// The plain text of a box's document with every no-break space kept (where
// QTextDocument::toPlainText() turns it into a space). Line breaks, including
// the line separators Shift+Enter inserts, come back as LF.
QString BoxText(const QTextDocument& document);

// How bytes end their lines, for reading them back from a box.
enum class LineEnd { kLf, kCrLf };
// kCrLf when the bytes hold a CR LF pair and no LF without a CR before it;
// otherwise kLf.
LineEnd LineEndOf(std::string_view bytes);
// Bytes read from a box, with each LF written as `line_end` (a CR already
// before an LF is kept, not doubled).
void SetLineEnd(std::string& bytes, LineEnd line_end);

// Whether the font actually used for `font` (after the toolkit's substitution)
// has a symbol character map: a character map for platform 3, encoding 0, or,
// for a font whose table cannot be read, glyphs for most of U+F020 to U+F0FF.
bool HasSymbolCharMap(const QFont& font);

// Whether a font of this family is installed or registered with the
// application, rather than substituted by another.
bool IsFontInstalled(const QString& family);

// The system fonts that show the Unicode reading of a text whose legacy font
// is missing: Noto Serif Devanagari (else Noto Sans Devanagari) for
// Devanagari, Noto Serif for IAST. Where none is installed, the family is
// still named and Qt's font fallback finds another.
QString UnicodeDevanagariFamily();
QString UnicodeIastFamily();

// One line naming the left-out characters with their positions, for a message
// shown to the user, e.g. "2 characters could not be kept and were left out:
// U+0915 'क' at 3, U+2014 '—' at 9". Lists the first 10 and then "and N more";
// control characters and lone surrogates are named by code only. Empty for an
// empty list.
QString DescribeLeftOut(const std::vector<LeftOutCharacter>& left_out);

}  // namespace sfc::ui
