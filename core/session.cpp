#include "session.h"

#include <utility>

namespace sfc {

namespace {

template <typename Stream>
StreamEnd Pump(Stream& stream, const std::function<bool(std::string&)>& read) {
  std::string block;
  while (read(block)) {
    stream.Feed(block);
    block.clear();
  }
  return stream.Finish();
}

}  // namespace

Session::Session() : state_(MakeStartupState()) {}

void Session::PressDevanagariFontButton(DevanagariFont font) {
  sfc::PressDevanagariFontButton(state_, font);
}

void Session::PressTranslitFontButton(TranslitFont font) {
  sfc::PressTranslitFontButton(state_, font);
}

void Session::ChooseTranslitFontName(std::string font_name) {
  SetTranslitBoxFont(state_, std::move(font_name));
}

void Session::ChooseDevanagariFontName(std::string font_name) {
  SetDevanagariBoxFont(state_, std::move(font_name));
}

ConversionResult Session::Convert(std::string_view input, const InputBox& input_box) {
  if (direction_ == Direction::kToDevanagari) {
    return ConvertToDevanagari(state_, input, shift_m_to_n_, input_box);
  }
  return RunDevanagariToTranslitCommand(state_, input, input_box);
}

StreamEnd Session::ConvertStream(const std::function<bool(std::string&)>& read, OutputSink sink,
                                 InputBox input_box, StreamOptions options) {
  if (direction_ == Direction::kToDevanagari) {
    ToDevanagariStream stream(state_, shift_m_to_n_, std::move(input_box), std::move(sink),
                              options);
    return Pump(stream, read);
  }
  FillGlyphCodeTable(state_);
  ToTranslitStream stream(state_, std::move(input_box), std::move(sink), options);
  return Pump(stream, read);
}

}  // namespace sfc
