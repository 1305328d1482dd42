// The state the main window owns: the font names of the two text boxes, the
// code tables, the dash mode and the font buttons that are selected. Every
// operation here is one user action on the window.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "devitran_table.h"
#include "sanideva_table.h"
#include "translit_letters.h"

namespace sfc {

inline constexpr int kNoGlyph = 256;  // "no such glyph" in a position slot

// SpecialGlyphPositions: where the special glyphs of a glyph table loaded
// from disk lie. Single positions hold a glyph code; lists hold codes in
// slots (index 0 is slot 1). All 0 before the first load.
struct SpecialGlyphPositions {
  int half_r_pos = 0;
  int half_r_upper_pos = 0;
  int half_rr_pos = 0;
  int mr_pos = 0;
  int tt_pos = 0;
  int vocalic_r_sign_pos = 0;
  int nam_pos = 0;
  int kt_pos = 0;
  int la_pos = 0;
  int open_y_pos = 0;
  int apostrophe_pos = 0;
  std::array<int, 20> short_i_sign_positions{};
  std::array<int, 20> vowel_sign_positions{};
  std::array<int, 4> aspirata_positions{};
  std::array<int, 4> r_positions{};

  bool operator==(const SpecialGlyphPositions&) const = default;
};

// DashMode values of the Dash menu.
inline constexpr int kDashAddAspirata = 1;  // "add aspirata (if neccesary)"
inline constexpr int kDashSkip = 2;         // "skip dash (if easier to form devanagari)"
// DashState values.
inline constexpr int kDashArmed = 2;
inline constexpr int kDashWaiting = 13;  // an inserted "_" waits for its dash

struct ConverterState {
  std::string translit_box_font = "Sanskrit-Times";  // font of the transliteration box
  std::string devanagari_box_font = "Vedic";         // font of the Devanagari box
  std::string devanagari_font_name = "Vedic";        // the current Devanagari font name
  int dash_mode = kDashAddAspirata;
  int dash_state = kDashArmed;

  SanidevaTable sanideva;
  ShortIMap short_i;
  DevitranTable devitran;
  SpecialGlyphPositions positions;

  // Which font buttons are selected; none of a kind after a load from disk.
  std::optional<TranslitFont> translit_button = TranslitFont::kSanskritTimes;
  std::optional<DevanagariFont> devanagari_button = DevanagariFont::kVedic;
  bool load_button = false;
};

// The state right after the main window's start-up.
ConverterState MakeStartupState();

// Rebuilds the Key rows for the transliteration box's font and, when the
// Devanagari box carries a built-in font, the glyph table for the pair.
void FillGlyphCodeTable(ConverterState& state);

// A Devanagari font button (Vedic, Dev Natraj ITR, Sanskrit 99).
void PressDevanagariFontButton(ConverterState& state, DevanagariFont font);
// A transliteration font button.
void PressTranslitFontButton(ConverterState& state, TranslitFont font);

// The font lists shown after a load from disk: they set a text box's font by
// name and refill no table. Setting the Devanagari box's font also makes it
// the current Devanagari font name, so a loaded table is read with the rules
// for the font it was loaded for.
void SetTranslitBoxFont(ConverterState& state, std::string font_name);
void SetDevanagariBoxFont(ConverterState& state, std::string font_name);

}  // namespace sfc
