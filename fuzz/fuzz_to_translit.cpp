// Any glyph bytes, any font pair: the conversion ends in a defined result.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conversion.h"
#include "fuzz_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  sfc::ConverterState state = StateFromChoice(choice);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const sfc::ConversionResult result = sfc::RunDevanagariToTranslitCommand(
      state, input, [](const sfc::InputBoxRequest& request) { return request.default_text; });
  if (result.padded_input.size() != input.size() + 2) std::abort();
  return 0;
}
