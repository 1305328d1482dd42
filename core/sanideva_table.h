// The syllable code table: which glyphs of the Devanagari font stand for each
// letter or letter cluster of the transliteration.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "syllable_rows.h"
#include "translit_letters.h"

namespace sfc {

inline constexpr int kSyllableTableSize = 256;  // rows 0 to 255; row 0 unused
inline constexpr int kBuiltinSyllableRows = 189;
inline constexpr int kShortIMapSize = 256;

enum class DevanagariFont { kVedic, kDevNatrajItr, kSanskrit99 };
inline constexpr std::array<DevanagariFont, 3> kDevanagariFonts = {
    DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99};

std::string_view FontName(DevanagariFont font);
// Exact, case-sensitive match of a font face name.
std::optional<DevanagariFont> FindDevanagariFont(std::string_view font_name);

// SanidevaTable: Key, Full and Half per row. Row positions are fixed: the
// conversion reads many rows by number.
struct SanidevaTable {
  std::array<std::string, kSyllableTableSize> key;
  std::array<std::string, kSyllableTableSize> full;
  std::array<std::string, kSyllableTableSize> half;
};

// The rows whose key is a special letter alone, in the order of Letter:
// the conversions, the loader and the check read the letters of the table in
// force from these rows.
inline constexpr std::array<int, kLetterCount> kLetterRows = {
    Row::kLongA,       Row::kLongI,        Row::kLongU,     Row::kVocalicR,    Row::kLongVocalicR,
    Row::kAnusvara,    Row::kVisarga,      Row::kVelarNa,   Row::kPalatalNa,   Row::kRetroflexTa,
    Row::kRetroflexDa, Row::kRetroflexNa,  Row::kPalatalSa, Row::kRetroflexSa, Row::kHiddenDash,
    Row::kVocalicL,    Row::kLongVocalicL, Row::kNam};
inline constexpr int LetterRow(Letter letter) {
  return kLetterRows[static_cast<std::size_t>(letter) - 1];
}

// ShortIMap: per glyph byte "y" when a short-i sign may stand before it, "n"
// for half forms and joining signs.
using ShortIMap = std::array<std::string, kShortIMapSize>;

// The range profile for the cluster search, chosen from the Devanagari font.
enum class RangeProfile { kV, kS, kO };
RangeProfile ProfileForFont(std::string_view devanagari_font_name);

// The consonants that start a cluster search.
enum class ClusterLetter {
  kB,
  kC,
  kD,
  kRetroflexD,
  kG,
  kH,
  kJ,
  kK,
  kL,
  kM,
  kN,
  kVelarN,
  kRetroflexN,
  kP,
  kS,
  kPalatalS,
  kRetroflexS,
  kT,
  kRetroflexT,
  kPalatalN,
  kV,
};

// LetterGroupRange: the rows searched for a cluster that starts with a letter.
struct LetterGroupRange {
  int first;
  int last;
  int base;
};
LetterGroupRange GroupRange(ClusterLetter letter, RangeProfile profile);

// The start-up fill: Sanskrit-Times keys, the start-up glyphs (Vedic with
// three differences) and the start-up short-i map.
void FillStartupSyllables(SanidevaTable& table, ShortIMap& short_i);
// What a Devanagari font button writes: Full and Half rows 1 to 189 and the
// short-i map 1 to 255. Keys are not touched.
void FillBuiltinSyllables(DevanagariFont font, SanidevaTable& table, ShortIMap& short_i);
// Rewrites Key rows 1 to 189 in the letters of a transliteration font.
void RewriteKeys(const TranslitLetters& letters, SanidevaTable& table);

}  // namespace sfc
