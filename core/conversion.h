// The two conversions. Both take the window's state and the input bytes and
// return what the window shows afterwards; they never touch a window or the
// system clipboard themselves.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state.h"

namespace sfc {

// An input box the conversion asks the user to answer.
struct InputBoxRequest {
  std::string title;
  std::string prompt;
  std::string default_text;
};
// Supplied by the caller; returns the text the user entered (the empty
// string for a cancelled box). Without one, every box takes its default.
using InputBox = std::function<std::string(const InputBoxRequest&)>;

struct AskedInputBox {
  InputBoxRequest request;
  std::string answer;
};

// The message the instruction box shows after every run.
inline constexpr std::string_view kClosingMessage =
    "Use paste function (Ctrl + V) in Word or Notepad or any other text editor to see the final "
    "result";
// The caption of the conversion button after a run that was cut short.
inline constexpr std::string_view kErrorCaption = "ERROR";

struct ConversionResult {
  std::string output;        // the text of the output box
  std::string clipboard;     // the text the clipboard holds at the end
  bool completed = false;    // false: the run was cut short ("ERROR")
  std::string padded_input;  // the input box's text: the input with a space on each side
  std::vector<AskedInputBox> input_boxes;  // in the order they were asked
};

// Transliteration bytes to Devanagari glyph bytes. Reads the tables and the
// Devanagari box's font; reads and writes state.dash_state.
ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box = {});

// Devanagari glyph bytes to transliteration bytes. Run FillGlyphCodeTable
// first, as the conversion command does (RunDevanagariToTranslitCommand).
// Sets the Devanagari box's font from the current Devanagari font name.
ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box = {});

// The conversion command in the Devanagari-to-transliteration direction:
// FillGlyphCodeTable, then ConvertDevanagariToTranslit.
ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box = {});

}  // namespace sfc
