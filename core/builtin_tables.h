// Raw data of the built-in code tables. The data source is
// core/tables/builtin_tables.txt; the build generates the definitions
// (builtin_tables.cpp in the build directory) from it. Only the table modules
// read these arrays; everything else goes through SanidevaTable and
// DevitranTable. Rows of the syllable table by name: syllable_rows.h
// (generated as well).
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

struct StartupSyllableRow {
  int row;
  std::string_view full;
  std::string_view half;
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
extern const std::span<const GlyphRow> kStartupGlyphRows;
// Cells in which the syllable table at start-up differs from the Vedic one.
extern const std::span<const StartupSyllableRow> kStartupSyllableRows;

// Glyph bytes before which a short-i sign may not stand ("n" in ShortIMap).
extern const std::span<const unsigned char> kStartupNoShortI;
extern const std::span<const unsigned char> kVedicNoShortI;
extern const std::span<const unsigned char> kDevNatrajNoShortI;
extern const std::span<const unsigned char> kSanskrit99NoShortI;

}  // namespace sfc::builtin
