#include "conversion.h"

namespace sfc {

ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box) {
  (void)state;
  (void)input;
  (void)input_box;
  return {};
}

ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box) {
  FillGlyphCodeTable(state);
  return ConvertDevanagariToTranslit(state, input, input_box);
}

}  // namespace sfc
