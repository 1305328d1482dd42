// The main window's one entry point: a session owns the window's state and
// has one method per user action. The window maps its controls onto these
// methods and shows what they return; it never changes the state itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "conversion.h"
#include "state.h"

namespace sfc {

enum class Direction { kToDevanagari, kToTranslit };

class Session {
 public:
  // The state right after the window's start-up.
  Session();

  const ConverterState& state() const { return state_; }
  Direction direction() const { return direction_; }
  bool shift_m_to_n() const { return shift_m_to_n_; }

  // The direction buttons.
  void ChooseDirection(Direction direction) { direction_ = direction; }
  // The "Shift M  to N" check box and the Dash menu.
  void SetShiftMToN(bool on) { shift_m_to_n_ = on; }
  void SetDashMode(int mode) { state_.dash_mode = mode; }

  // The font buttons.
  void PressDevanagariFontButton(DevanagariFont font);
  void PressTranslitFontButton(TranslitFont font);
  // The two font lists shown after a load from disk.
  void ChooseTranslitFontName(std::string font_name);
  void ChooseDevanagariFontName(std::string font_name);

  // "Load code table  from disk": the loader (the code-table files) reads
  // into the tables and returns what it has to report.
  template <typename Loader>
  auto LoadTables(Loader&& loader) {
    return std::forward<Loader>(loader)(state_);
  }

  // The conversion command over the input box's text, in the chosen
  // direction. Both directions are called the same way.
  ConversionResult Convert(std::string_view input, const InputBox& input_box = {});

  // The same conversion over input read in blocks: `read` fills its argument
  // with the next block and returns false at the end of the input; the output
  // goes to `sink` as it becomes final.
  StreamEnd ConvertStream(const std::function<bool(std::string&)>& read, OutputSink sink,
                          InputBox input_box = {}, StreamOptions options = {});

 private:
  ConverterState state_;
  Direction direction_ = Direction::kToDevanagari;
  bool shift_m_to_n_ = false;
};

}  // namespace sfc
