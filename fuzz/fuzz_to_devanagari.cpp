// Any bytes, any font pair, any options: the conversion ends in a defined
// result, the same input gives the same output, and the input cut into
// blocks (with output passed on as soon as it is final) gives what the whole
// text at once gives, and the letter table, the fast way and the short way
// write what the full way writes.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "conversion.h"
#include "fuzz_state.h"
#include "syllable_rows.h"

namespace {

struct Streamed {
  std::string output;
  sfc::StreamEnd end;
  int dash_state = 0;
};

// The second byte sets the block length (0: the whole text at once).
Streamed Run(sfc::ConverterState state, std::string_view input, bool shift_m_to_n,
             std::size_t block, bool hold, bool full_steps = false) {
  Streamed run;
  sfc::StreamOptions options;
  options.hold_output = hold;
  options.full_steps = full_steps;
  options.letter_table_after = 0;
  options.pass_on_threshold = 1;
  sfc::ToDevanagariStream stream(
      state, shift_m_to_n, [](const sfc::InputBoxRequest& r) { return r.prompt.substr(0, 3); },
      [&run](std::string_view piece) { run.output.append(piece); }, options);
  if (block == 0) block = input.size() + 1;
  for (std::size_t at = 0; at < input.size(); at += block) stream.Feed(input.substr(at, block));
  run.end = stream.Finish();
  run.dash_state = state.dash_state;
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first byte chooses the fonts and options.
  const std::uint8_t choice = data[0];
  sfc::ConverterState state = StateFromChoice(choice);
  state.dash_mode = (choice & 0x40) ? sfc::kDashSkip : sfc::kDashAddAspirata;
  const bool shift_m_to_n = (choice & 0x20) != 0;
  // The second byte: the block length, and tables as a load from disk may
  // leave them (a font name of their own, removals that write nothing, no
  // syllable glyph for the short-i sign).
  const std::size_t block = data[1] % 17;
  if (data[1] & 0x80) sfc::SetDevanagariBoxFont(state, "My Font");
  if (data[1] & 0x40) {
    state.sanideva.full[sfc::Row::kApostrophe].clear();
    state.sanideva.full[sfc::Row::kDash].clear();
    state.sanideva.full[sfc::Row::kOpenYa].clear();
  }
  if (data[1] & 0x20) state.short_i.fill("n");
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

  const Streamed whole = Run(state, input, shift_m_to_n, 0, true);
  const Streamed again = Run(state, input, shift_m_to_n, 0, true);
  const Streamed cut = Run(state, input, shift_m_to_n, block, false);
  const Streamed full = Run(state, input, shift_m_to_n, block, false, true);
  for (const Streamed* other : {&again, &cut, &full}) {
    if (other->output != whole.output || other->end.completed != whole.end.completed ||
        other->end.input_boxes.size() != whole.end.input_boxes.size() ||
        other->dash_state != whole.dash_state) {
      std::abort();
    }
    // A run cut short stopped at the same input byte for any cut.
    const auto& stop = other->end.stop;
    if (stop.has_value() != whole.end.stop.has_value() ||
        (stop && (stop->offset != whole.end.stop->offset || stop->at != whole.end.stop->at))) {
      std::abort();
    }
    for (std::size_t i = 0; i < whole.end.input_boxes.size(); ++i) {
      if (other->end.input_boxes[i].request.at != whole.end.input_boxes[i].request.at) {
        std::abort();
      }
    }
  }
  if (whole.end.stop.has_value() == whole.end.completed ||
      (whole.end.stop && whole.end.stop->offset >= input.size())) {
    std::abort();
  }
  if (whole.dash_state != sfc::kDashArmed && whole.dash_state != sfc::kDashWaiting) std::abort();
  sfc::ConverterState copy = state;
  const sfc::ConversionResult result = sfc::ConvertToDevanagari(copy, input, shift_m_to_n);
  if (result.output != whole.output) std::abort();
  return 0;
}
