// The window state a fuzz input chooses with its first byte: the start-up
// tables (high bit set) or one of the nine built-in font pairs.
#pragma once

#include <cstdint>

#include "state.h"

inline sfc::ConverterState StateFromChoice(std::uint8_t choice) {
  sfc::ConverterState state = sfc::MakeStartupState();
  if ((choice & 0x80) == 0) {
    sfc::PressDevanagariFontButton(state, sfc::kDevanagariFonts[choice % 3]);
    sfc::PressTranslitFontButton(state, sfc::kTranslitFonts[(choice / 3) % 3]);
  }
  return state;
}
