// The main window's one entry point: a session owns the window's state and
// has one method per user action. The window maps its controls onto these
// methods and shows what they return; it never changes the state itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"
#include "state.h"

namespace sfc {

enum class Direction { kToDevanagari, kToTranslit };
// The window's two text boxes.
enum class TextBox { kTranslit, kDevanagari };

// What the code-table browser shows after a step. In the direction
// transliteration to Devanagari it shows a syllable row (key, full and half
// glyphs); in the other direction a glyph code with its entry's text and a
// strip of the font's glyphs around it.
struct BrowserView {
  int position = 0;  // the row or glyph code, 1 to 255
  bool glyph_mode = false;
  // Syllable rows: the key, and the glyphs, which are empty when the row
  // has none for the font (an empty cell or a single space).
  std::string key;
  std::string full;
  std::string half;
  // Glyph codes: the entry without its class digit, and the strip.
  std::string entry_text;
  std::string strip;
};

// The browser's first row before any step, and its row after the
// direction Devanagari to transliteration is chosen.
inline constexpr int kBrowserStartPosition = 2;
inline constexpr int kBrowserGlyphStartPosition = 32;

// A conversion in progress, fed block by block (the window feeds it from its
// event loop so that a long text never freezes it).
class ConversionStream {
 public:
  virtual ~ConversionStream() = default;
  virtual void Feed(std::string_view block) = 0;
  // Ends the input and passes on the rest of the output. Call once per text.
  virtual StreamEnd Finish() = 0;
  // After Finish: a new text through the same conversion, as a new stream
  // would take it, without working out the tables again.
  virtual void Restart() = 0;
};

class Session {
 public:
  // The state right after the window's start-up.
  Session();

  const ConverterState& state() const { return state_; }
  Direction direction() const { return direction_; }
  bool shift_m_to_n() const { return shift_m_to_n_; }

  // The direction buttons. Devanagari to transliteration also sets the
  // browser back to just before the first printable glyph.
  void ChooseDirection(Direction direction);
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

  // The code-table browser: "<<" (-1), ">>" and the timer (+1). Wraps from
  // 255 to 1 and back.
  BrowserView StepBrowser(int step);
  int browser_position() const { return browser_position_; }

  // Text pasted into the transliteration box: a paste from a word processor
  // turns the Sanskrit-Times letters ṛ and ś into "T" and "Z"; while that
  // font is on the box and the direction is transliteration to Devanagari,
  // the box's whole text gets them back. Otherwise the text is returned as
  // it is.
  std::string RepairPastedTranslit(std::string text) const;

  // Unicode for the two text boxes, with the fonts and tables in force: the
  // transliteration box's bytes as IAST, the Devanagari box's glyphs as
  // Unicode Devanagari (through the transliteration they read as). Neither
  // changes the session: they work on a copy.
  std::string ToUnicode(std::string_view bytes, TextBox box) const;
  // Unicode text (IAST, or Devanagari when it holds Devanagari letters) as
  // the bytes of a box; the characters with no place are in `rejects`.
  struct FromUnicodeResult {
    std::string bytes;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> rejected_at;  // line, column
    std::vector<char32_t> rejected;
  };
  FromUnicodeResult FromUnicode(std::string_view utf8, TextBox box) const;

  // What glyphs of the Devanagari box's font read as in Unicode, with the
  // fonts and tables in force: Devanagari and IAST (UTF-8), without blanks at
  // either end. A glyph the conversion would ask about reads as its entry's
  // text. Both are empty when the glyphs read as nothing.
  struct UnicodeReading {
    std::string devanagari;
    std::string iast;
    bool empty() const { return devanagari.empty() && iast.empty(); }
    // "ध dha": the Devanagari, then the IAST (either alone when they are the
    // same or one is empty).
    std::string Text() const;
  };
  UnicodeReading ReadGlyphs(std::string_view glyphs) const;

  // The conversion command over the input box's text, in the chosen
  // direction. Both directions are called the same way.
  ConversionResult Convert(std::string_view input, const InputBox& input_box = {});

  // The same conversion over input read in blocks: `read` fills its argument
  // with the next block and returns false at the end of the input; the output
  // goes to `sink` as it becomes final.
  StreamEnd ConvertStream(const std::function<bool(std::string&)>& read, OutputSink sink,
                          InputBox input_box = {}, StreamOptions options = {});

  // The same conversion, fed by the caller. The session must outlive the
  // stream, and nothing else may change the session while it runs.
  std::unique_ptr<ConversionStream> BeginConversion(InputBox input_box, OutputSink sink,
                                                    StreamOptions options = {});

 private:
  ConverterState state_;
  Direction direction_ = Direction::kToDevanagari;
  bool shift_m_to_n_ = false;
  int browser_position_ = kBrowserStartPosition;
};

// The greeting the Devanagari box holds at start-up, in the start-up font:
// "śrī rāmāya namaḥ" made by the converter itself.
std::string StartupGreeting();

}  // namespace sfc
