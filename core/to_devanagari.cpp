#include "conversion.h"

namespace sfc {

ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box) {
  (void)state;
  (void)input;
  (void)shift_m_to_n;
  (void)input_box;
  return {};
}

}  // namespace sfc
