// Any bytes, any font pair, any options: the conversion ends in a defined
// result, and a run that is cut short leaves at least three letters unread.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conversion.h"
#include "fuzz_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the fonts and options.
  const std::uint8_t choice = data[0];
  sfc::ConverterState state = StateFromChoice(choice);
  state.dash_mode = (choice & 0x40) ? sfc::kDashSkip : sfc::kDashAddAspirata;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const sfc::ConversionResult result = sfc::ConvertToDevanagari(state, input, (choice & 0x20) != 0);
  if (result.padded_input.size() != input.size() + 2) std::abort();
  if (state.dash_state != sfc::kDashArmed && state.dash_state != sfc::kDashWaiting) std::abort();
  return 0;
}
