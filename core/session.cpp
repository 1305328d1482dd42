#include "session.h"

#include <utility>

namespace sfc {

namespace {

template <typename Stream>
class SessionStream final : public ConversionStream {
 public:
  template <typename... Args>
  explicit SessionStream(Args&&... args) : stream_(std::forward<Args>(args)...) {}
  void Feed(std::string_view block) override { stream_.Feed(block); }
  StreamEnd Finish() override { return stream_.Finish(); }
  void Restart() override { stream_.Restart(); }

 private:
  Stream stream_;
};

}  // namespace

Session::Session() : state_(MakeStartupState()) {}

void Session::ChooseDirection(Direction direction) {
  direction_ = direction;
  if (direction == Direction::kToTranslit) browser_position_ = kBrowserGlyphStartPosition;
}

BrowserView Session::StepBrowser(int step) {
  browser_position_ += step;
  if (browser_position_ <= 0) browser_position_ = 255;
  if (browser_position_ >= 256) browser_position_ = 1;
  const int p = browser_position_;

  BrowserView view;
  view.position = p;
  if (direction_ == Direction::kToDevanagari) {
    view.key = state_.sanideva.key[p];
    view.full = state_.sanideva.full[p];
    view.half = state_.sanideva.half[p];
    const auto blank = [](const std::string& cell) { return cell.empty() || cell == " "; };
    if (blank(view.key) || blank(view.full) || blank(view.half)) {
      view.full.clear();
      view.half.clear();
    }
    return view;
  }

  view.glyph_mode = true;
  const std::string& entry = state_.devitran[p];
  // An empty entry (possible in a loaded table) has no class digit to drop.
  view.entry_text = entry.empty() ? entry : entry.substr(0, entry.size() - 1);
  const auto glyph = [](int code) { return std::string(1, static_cast<char>(code)); };
  if (p <= 3 || p >= 253) {
    view.strip = std::string(20, ' ') + glyph(p) + std::string(24, ' ');
  } else {
    static constexpr int kGaps[] = {3, 3, 4, 4, 3, 3};
    view.strip = glyph(p - 3);
    for (int i = 0; i < 6; ++i) view.strip += std::string(kGaps[i], ' ') + glyph(p - 2 + i);
  }
  return view;
}

std::string Session::RepairPastedTranslit(std::string text) const {
  if (direction_ != Direction::kToDevanagari || state_.translit_box_font != "Sanskrit-Times") {
    return text;
  }
  constexpr char kVocalicR = static_cast<char>(141);  // Sanskrit-Times ṛ
  constexpr char kPalatalS = static_cast<char>(143);  // Sanskrit-Times ś
  for (char& c : text) {
    if (c == 'T') c = kVocalicR;
    if (c == 'Z') c = kPalatalS;
  }
  return text;
}

std::string StartupGreeting() {
  ConverterState state = MakeStartupState();
  // "śrī rāmāya namaḥ" in the start-up transliteration font (Sanskrit-Times).
  const char long_a = static_cast<char>(128);
  const std::string text = std::string{static_cast<char>(143), 'r', static_cast<char>(133)} + " r" +
                           long_a + "m" + long_a + "ya nama" + static_cast<char>(131);
  std::string glyphs = ConvertToDevanagari(state, text, false).output;
  const auto first = glyphs.find_first_not_of(' ');
  const auto last = glyphs.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : glyphs.substr(first, last - first + 1);
}

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
  const std::unique_ptr<ConversionStream> stream =
      BeginConversion(std::move(input_box), std::move(sink), options);
  std::string block;
  while (read(block)) {
    stream->Feed(block);
    block.clear();
  }
  return stream->Finish();
}

std::unique_ptr<ConversionStream> Session::BeginConversion(InputBox input_box, OutputSink sink,
                                                           StreamOptions options) {
  if (direction_ == Direction::kToDevanagari) {
    return std::make_unique<SessionStream<ToDevanagariStream>>(
        state_, shift_m_to_n_, std::move(input_box), std::move(sink), options);
  }
  FillGlyphCodeTable(state_);
  return std::make_unique<SessionStream<ToTranslitStream>>(state_, std::move(input_box),
                                                           std::move(sink), options);
}

}  // namespace sfc
