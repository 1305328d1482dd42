// The glyph code table: how every glyph code of the Devanagari font reads in
// transliteration, and how it behaves (its class).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "sanideva_table.h"
#include "translit_letters.h"

namespace sfc {

inline constexpr int kGlyphTableSize = 301;  // rows 0 to 300; row 0 unused
inline constexpr int kBuiltinGlyphRows = 255;

// DevitranTable: row n (1 to 255) is the entry of glyph code n: its text
// followed by one class digit.
using DevitranTable = std::array<std::string, kGlyphTableSize>;

// GlyphClass: how a glyph's text joins the output, the numeric value of the
// entry's last character; a non-digit (or an empty entry) counts as kNone.
enum class GlyphClass {
  kNone = 0,
  kFullSyllable = 1,
  kHalfSyllable = 2,
  kVowelSign = 3,
  kItself = 4,  // the glyph byte itself, which keeps its position
  kNamed = 5,   // a glyph with a role of its own, known by its name
  kIndependentVowel = 6,
  kAskUser = 7,
  kTextAsIs = 8,
  kSmallLetter = 9,  // joins a neighbouring glyph
};
GlyphClass ClassOf(std::string_view entry);
// The entry without its class character.
std::string_view GlyphText(std::string_view entry);

// The table as it stands before the first fill: Vedic in Sanskrit-Times
// letters with a few placeholder rows.
void FillStartupGlyphs(DevitranTable& table);
// Rows 1 to 255 of a built-in font, in the letters of a transliteration font.
void FillBuiltinGlyphs(DevanagariFont font, const TranslitLetters& letters, DevitranTable& table);

}  // namespace sfc
