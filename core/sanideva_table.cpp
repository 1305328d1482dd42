#include "sanideva_table.h"

#include <span>

#include "builtin_tables.h"

namespace sfc {

namespace {

constexpr std::array<std::string_view, 3> kDevanagariFontNames = {"Vedic", "Dev Natraj ITR",
                                                                  "Sanskrit 99"};

struct GroupRow {
  std::array<int, 3> first;  // by profile V, S, O
  std::array<int, 3> last;
  int base;
};

// Indexed by ClusterLetter.
constexpr std::array<GroupRow, 21> kGroups = {{
    {{5, 5, 5}, {6, 10, 10}, 5},              // b
    {{11, 12, 11}, {14, 14, 14}, 12},         // c
    {{15, 15, 15}, {29, 36, 36}, 15},         // d
    {{37, 39, 37}, {40, 40, 40}, 39},         // ḍ
    {{42, 42, 42}, {45, 47, 47}, 42},         // g
    {{48, 48, 48}, {58, 58, 58}, 48},         // h
    {{62, 62, 62}, {65, 66, 66}, 62},         // j
    {{67, 67, 67}, {73, 77, 77}, 67},         // k
    {{78, 78, 78}, {78, 81, 81}, 78},         // l
    {{82, 82, 82}, {83, 84, 84}, 82},         // m
    {{86, 86, 86}, {87, 88, 88}, 86},         // n
    {{89, 93, 89}, {98, 98, 98}, 93},         // ṅ
    {{99, 99, 99}, {99, 99, 99}, 99},         // ṇ
    {{101, 101, 101}, {104, 105, 105}, 101},  // p
    {{111, 111, 111}, {113, 114, 114}, 111},  // s
    {{115, 115, 115}, {119, 121, 121}, 115},  // ś
    {{122, 123, 122}, {125, 125, 125}, 123},  // ṣ
    {{126, 126, 126}, {131, 131, 131}, 126},  // t
    {{132, 135, 132}, {137, 137, 137}, 135},  // ṭ
    {{138, 138, 138}, {140, 140, 140}, 138},  // ñ
    {{143, 143, 143}, {143, 145, 145}, 143},  // v
}};

void FillShortI(std::span<const unsigned char> no_short_i, ShortIMap& short_i) {
  for (int code = 1; code < kShortIMapSize; ++code) short_i[code] = "y";
  for (unsigned char code : no_short_i) short_i[code] = "n";
}

}  // namespace

std::string_view FontName(DevanagariFont font) {
  return kDevanagariFontNames[static_cast<std::size_t>(font)];
}

std::optional<DevanagariFont> FindDevanagariFont(std::string_view font_name) {
  for (DevanagariFont font : kDevanagariFonts) {
    if (FontName(font) == font_name) return font;
  }
  return std::nullopt;
}

RangeProfile ProfileForFont(std::string_view devanagari_font_name) {
  if (devanagari_font_name == "Vedic" || devanagari_font_name == "Dev Natraj ITR") {
    return RangeProfile::kV;
  }
  if (devanagari_font_name == "Sanskrit 99") return RangeProfile::kS;
  return RangeProfile::kO;
}

LetterGroupRange GroupRange(ClusterLetter letter, RangeProfile profile) {
  const GroupRow& row = kGroups[static_cast<std::size_t>(letter)];
  const auto p = static_cast<std::size_t>(profile);
  return {row.first[p], row.last[p], row.base};
}

void FillStartupSyllables(SanidevaTable& table, ShortIMap& short_i) {
  RewriteKeys(GetTranslitLetters(TranslitFont::kSanskritTimes), table);
  FillBuiltinSyllables(DevanagariFont::kVedic, table, short_i);
  for (const builtin::StartupSyllableRow& row : builtin::kStartupSyllableRows) {
    table.full[row.row] = row.full;
    table.half[row.row] = row.half;
  }
  FillShortI(builtin::kStartupNoShortI, short_i);
}

void FillBuiltinSyllables(DevanagariFont font, SanidevaTable& table, ShortIMap& short_i) {
  const auto f = static_cast<std::size_t>(font);
  for (int row = 1; row <= kBuiltinSyllableRows; ++row) {
    table.full[row] = builtin::kFull[f][row];
    table.half[row] = builtin::kHalf[f][row];
  }
  switch (font) {
    case DevanagariFont::kVedic:
      FillShortI(builtin::kVedicNoShortI, short_i);
      break;
    case DevanagariFont::kDevNatrajItr:
      FillShortI(builtin::kDevNatrajNoShortI, short_i);
      break;
    case DevanagariFont::kSanskrit99:
      FillShortI(builtin::kSanskrit99NoShortI, short_i);
      break;
  }
}

void RewriteKeys(const TranslitLetters& letters, SanidevaTable& table) {
  for (int row = 1; row <= kBuiltinSyllableRows; ++row) {
    table.key[row] = ExpandLetters(builtin::kKeyTemplate[row], letters);
  }
}

}  // namespace sfc
