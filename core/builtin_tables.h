// Raw data of the built-in code tables (builtin_tables.cpp). Only the table
// modules read these arrays; everything else goes through SanidevaTable and
// DevitranTable.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace sfc::builtin {

inline constexpr std::size_t kSyllableRows = 190;  // rows 0 to 189; row 0 unused
inline constexpr std::size_t kGlyphRows = 256;     // codes 0 to 255; code 0 unused

using SyllableColumn = std::array<std::string_view, kSyllableRows>;
using GlyphColumn = std::array<std::string_view, kGlyphRows>;

struct GlyphRow {
  int code;
  std::string_view entry;  // literal bytes, no letter placeholders
};

// Key column with letter placeholders (see ExpandLetters).
extern const std::array<std::string_view, kSyllableRows> kKeyTemplate;
// Full and Half columns, indexed by DevanagariFont.
extern const std::array<SyllableColumn, 3> kFull;
extern const std::array<SyllableColumn, 3> kHalf;
// Glyph tables with letter placeholders, indexed by DevanagariFont.
extern const std::array<GlyphColumn, 3> kGlyphTemplate;
// Rows in which the glyph table at start-up differs from the Vedic one
// written in Sanskrit-Times letters.
extern const std::array<GlyphRow, 23> kStartupGlyphRows;

// Glyph bytes before which a short-i sign may not stand ("n" in ShortIMap).
extern const std::array<unsigned char, 39> kStartupNoShortI;
extern const std::array<unsigned char, 38> kVedicNoShortI;
extern const std::array<unsigned char, 48> kDevNatrajNoShortI;
extern const std::array<unsigned char, 32> kSanskrit99NoShortI;

}  // namespace sfc::builtin
