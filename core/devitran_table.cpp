#include "devitran_table.h"

#include "builtin_tables.h"

namespace sfc {

GlyphClass ClassOf(std::string_view entry) {
  if (entry.empty()) return GlyphClass::kNone;
  const char last = entry.back();
  return (last >= '0' && last <= '9') ? static_cast<GlyphClass>(last - '0') : GlyphClass::kNone;
}

std::string_view GlyphText(std::string_view entry) {
  return entry.empty() ? entry : entry.substr(0, entry.size() - 1);
}

void FillStartupGlyphs(DevitranTable& table) {
  FillBuiltinGlyphs(DevanagariFont::kVedic, GetTranslitLetters(TranslitFont::kSanskritTimes),
                    table);
  for (const builtin::GlyphRow& row : builtin::kStartupGlyphRows) {
    table[row.code] = row.entry;
  }
}

void FillBuiltinGlyphs(DevanagariFont font, const TranslitLetters& letters, DevitranTable& table) {
  const auto& column = builtin::kGlyphTemplate[static_cast<std::size_t>(font)];
  for (int code = 1; code <= kBuiltinGlyphRows; ++code) {
    table[code] = ExpandLetters(column[code], letters);
  }
}

}  // namespace sfc
