#include "state.h"

#include <utility>

namespace sfc {

ConverterState MakeStartupState() {
  ConverterState state;
  FillStartupSyllables(state.sanideva, state.short_i);
  FillStartupGlyphs(state.devitran);
  return state;
}

void FillGlyphCodeTable(ConverterState& state) {
  const std::optional<TranslitFont> translit = FindTranslitFont(state.translit_box_font);
  if (!translit) return;
  const TranslitLetters& letters = GetTranslitLetters(*translit);
  RewriteKeys(letters, state.sanideva);
  if (const std::optional<DevanagariFont> devanagari =
          FindDevanagariFont(state.devanagari_box_font)) {
    FillBuiltinGlyphs(*devanagari, letters, state.devitran);
  }
}

// A button counts as selected while its own handling runs, as a clicked
// option button does; so the handlings below never call each other back.
void PressDevanagariFontButton(ConverterState& state, DevanagariFont font) {
  state.devanagari_button = font;
  state.devanagari_box_font = FontName(font);
  state.devanagari_font_name = FontName(font);
  FillGlyphCodeTable(state);
  if (!state.translit_button) PressTranslitFontButton(state, TranslitFont::kSanskritTimes);
  state.load_button = false;
  FillBuiltinSyllables(font, state.sanideva, state.short_i);
}

void PressTranslitFontButton(ConverterState& state, TranslitFont font) {
  state.translit_button = font;
  state.translit_box_font = FontName(font);
  FillGlyphCodeTable(state);
  if (!state.devanagari_button) PressDevanagariFontButton(state, DevanagariFont::kVedic);
  state.load_button = false;
}

void SetTranslitBoxFont(ConverterState& state, std::string font_name) {
  state.translit_box_font = font_name.empty() ? "Sanskrit-Times" : std::move(font_name);
}

void SetDevanagariBoxFont(ConverterState& state, std::string font_name) {
  state.devanagari_box_font = font_name.empty() ? "Vedic" : std::move(font_name);
  state.devanagari_font_name = state.devanagari_box_font;
}

}  // namespace sfc
