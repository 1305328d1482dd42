// Any glyph bytes, any font pair, or odd tables read with the rules for a
// loaded table: the conversion ends in a defined result, the same every
// time, and the stream gives that result for any cut of the input into
// blocks, whether it passes its output on as it goes or holds it to the end.
// Byte 0 chooses the state, byte 1 the cuts and whether the next 8 bytes
// make the tables odd; the rest is the input.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "fuzz_state.h"

namespace {

constexpr std::array<std::string_view, 12> kPieces = {"",   "a", "t", "r",  "k", "aa",
                                                      "tt", "'", " ", "ka", "o", "\x80"};

std::string_view Piece(std::size_t n) { return kPieces[n % kPieces.size()]; }

// Special glyph positions, a glyph entry and letters from 8 bytes; the
// tables are then read with the rules for a loaded table.
void MakeOdd(sfc::ConverterState& state, std::string_view bytes) {
  auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  sfc::SpecialGlyphPositions& pos = state.positions;
  pos.kt_pos = b(0);
  pos.half_r_pos = b(1);
  pos.r_positions[0] = b(2);
  pos.mr_pos = b(3);
  pos.short_i_sign_positions[0] = b(4);
  pos.la_pos = b(5);
  std::string entry(Piece(b(7)));
  entry += Piece(b(7) / kPieces.size());
  entry += static_cast<char>('0' + b(7) % 10);
  state.devitran[b(6)] = entry;
  state.sanideva.key[1] = Piece(b(3) / 16);
  state.sanideva.key[85] = Piece(b(4) / 16);
  state.sanideva.key[169] = Piece(b(5) / 16);
  sfc::SetDevanagariBoxFont(state, "Odd Tables");
}

std::string Answer(const sfc::InputBoxRequest& request) {
  return std::string(Piece(static_cast<std::size_t>(request.glyph_code)));
}

bool SameBoxes(const std::vector<sfc::AskedInputBox>& a, const std::vector<sfc::AskedInputBox>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].answer != b[i].answer || a[i].request.glyph_code != b[i].request.glyph_code ||
        a[i].request.kind != b[i].request.kind ||
        a[i].request.default_text != b[i].request.default_text ||
        a[i].request.prompt != b[i].request.prompt) {
      return false;
    }
  }
  return true;
}

// The input cut into blocks of sizes drawn from the seed: mostly small, some
// empty, some large.
void CheckStream(const sfc::ConverterState& state, std::string_view input, std::uint32_t seed,
                 sfc::StreamOptions options, const sfc::ConversionResult& whole) {
  sfc::ConverterState run_state = state;
  std::string output;
  sfc::ToTranslitStream stream(
      run_state, Answer, [&output](std::string_view piece) { output += piece; }, options);
  std::size_t at = 0;
  while (at < input.size()) {
    seed = seed * 1103515245U + 12345U;
    const std::uint32_t draw = (seed >> 16) % 64;
    const std::size_t block = draw < 48 ? draw % 8 : draw < 60 ? draw * 3 : 1000;
    const std::size_t take = block < input.size() - at ? block : input.size() - at;
    stream.Feed(input.substr(at, take));
    at += take;
  }
  const sfc::StreamEnd end = stream.Finish();
  if (output != whole.output || end.completed != whole.completed ||
      !SameBoxes(end.input_boxes, whole.input_boxes)) {
    std::abort();
  }
  // A run cut short stopped at the same input byte for any cut.
  if (end.stop.has_value() == end.completed || whole.stop.has_value() == whole.completed ||
      (end.stop && (end.stop->offset != whole.stop->offset || end.stop->at != whole.stop->at ||
                    end.stop->offset >= input.size()))) {
    std::abort();
  }
  if (options.clipboard) {
    std::string clipboard;
    if (end.clipboard_set) {
      clipboard = output;
      for (auto edit = end.clipboard_edits.rbegin(); edit != end.clipboard_edits.rend(); ++edit) {
        clipboard.replace(edit->at, edit->inserted, edit->removed);
      }
    }
    if (clipboard != whole.Clipboard()) std::abort();
  }
  if (run_state.devanagari_font_name != state.devanagari_font_name) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  sfc::ConverterState state = StateFromChoice(data[0]);
  sfc::FillGlyphCodeTable(state);
  std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
  if ((data[1] & 0x80) && input.size() >= 8) {
    MakeOdd(state, input.substr(0, 8));
    input.remove_prefix(8);
  }

  sfc::ConverterState first = state;
  sfc::ConverterState second = state;
  const sfc::ConversionResult whole = sfc::ConvertDevanagariToTranslit(first, input, Answer);
  const sfc::ConversionResult again = sfc::ConvertDevanagariToTranslit(second, input, Answer);
  if (whole.output != again.output || whole.Clipboard() != again.Clipboard() ||
      whole.completed != again.completed || !SameBoxes(whole.input_boxes, again.input_boxes)) {
    std::abort();
  }

  const std::uint32_t seed = data[1] & 0x7fU;
  CheckStream(state, input, seed, {.clipboard = true}, whole);
  CheckStream(state, input, seed + 1, {}, whole);
  CheckStream(state, input, seed + 2, {.clipboard = true, .hold_output = true}, whole);
  return 0;
}
