#include "chain.h"

#include <array>
#include <optional>
#include <utility>

#include "blank_keeper.h"
#include "iast_devanagari.h"

namespace sfc {

class ConversionChain::Stage {
 public:
  virtual ~Stage() = default;
  virtual void Feed(std::string_view block) = 0;
  // Ends the input; returns false when a font conversion was cut short.
  virtual bool Finish(ChainEnd& end) = 0;
};

namespace {

// Holds a blank at the end of what passed through until more follows, and
// drops it at the end: the one blank a font conversion adds.
class BlankTrimmer {
 public:
  explicit BlankTrimmer(OutputSink sink) : sink_(std::move(sink)) {}

  void Write(std::string_view piece) {
    if (piece.empty()) return;
    if (held_) {
      sink_(" ");
      held_ = false;
    }
    if (piece.back() == ' ') {
      held_ = true;
      piece.remove_suffix(1);
    }
    if (!piece.empty()) sink_(piece);
  }

 private:
  OutputSink sink_;
  bool held_ = false;
};

using PositionMap = std::function<InputPosition(InputPosition)>;

class FontConversionStage final : public ConversionChain::Stage {
 public:
  // `map`, if any, gives the positions the conversion counts as those to
  // report.
  FontConversionStage(Session session, InputBox input_box, OutputSink sink, bool trim_blank,
                      bool first, DropHandler on_drop, PositionMap map)
      : session_(std::move(session)), first_(first), mapped_(static_cast<bool>(map)) {
    OutputSink out = std::move(sink);
    if (trim_blank) {
      trimmer_ = std::make_unique<BlankTrimmer>(std::move(out));
      out = [this](std::string_view piece) { trimmer_->Write(piece); };
    }
    StreamOptions options;
    // A chain reads a Devanagari font as its conversion writes it.
    options.read_as_written = true;
    if (mapped_) {
      options.on_drop = [this, map = std::move(map), on_drop = std::move(on_drop)](
                            unsigned char byte, InputPosition at) {
        at = map(at);
        std::vector<InputPosition>& kept = first_positions_[byte];
        if (kept.size() < DroppedBytes::kPositionsKept) kept.push_back(at);
        if (on_drop) on_drop(byte, at);
      };
    } else {
      options.on_drop = std::move(on_drop);
    }
    stream_ = session_.BeginConversion(std::move(input_box), std::move(out), std::move(options));
  }
  void Feed(std::string_view block) override { stream_->Feed(block); }
  bool Finish(ChainEnd& end) override {
    StreamEnd stream_end = stream_->Finish();
    for (AskedInputBox& box : stream_end.input_boxes) end.input_boxes.push_back(std::move(box));
    DroppedBytes& dropped = first_ ? end.dropped : end.dropped_between;
    for (std::size_t byte = 0; byte < 256; ++byte) {
      dropped.count[byte] += stream_end.dropped.count[byte];
      const std::vector<InputPosition>& positions =
          mapped_ ? first_positions_[byte] : stream_end.dropped.first_positions[byte];
      for (const InputPosition& at : positions) {
        if (dropped.first_positions[byte].size() < DroppedBytes::kPositionsKept) {
          dropped.first_positions[byte].push_back(at);
        }
      }
    }
    dropped.total += stream_end.dropped.total;
    if (stream_end.stop && !end.stop) {
      end.stop = std::move(stream_end.stop);
      end.stop_in_input = first_;
    }
    return stream_end.completed;
  }

 private:
  Session session_;
  bool first_;
  bool mapped_;
  std::array<std::vector<InputPosition>, 256> first_positions_;  // when mapped
  std::unique_ptr<BlankTrimmer> trimmer_;
  std::unique_ptr<ConversionStream> stream_;
};

template <typename Stream>
class UnicodeStage final : public ConversionChain::Stage {
 public:
  template <typename... Args>
  explicit UnicodeStage(Args&&... args) : stream_(std::forward<Args>(args)...) {}
  void Feed(std::string_view block) override { stream_.Feed(block); }
  bool Finish(ChainEnd&) override {
    stream_.Finish();
    return true;
  }

 private:
  Stream stream_;
};

}  // namespace

ConversionChain::ConversionChain(OutputSink sink, ChainRejectSink rejects, ChainDropSink drops)
    : sink_(std::move(sink)), rejects_(std::move(rejects)), drops_(std::move(drops)) {}

ConversionChain::~ConversionChain() = default;

// Stages are added from the input to the output; each writes to the one
// added after it, looked up when it writes, or to the chain's sink.
OutputSink ConversionChain::NextSink() {
  const std::size_t next = stages_.size() + 1;
  return [this, next](std::string_view piece) {
    if (next < stages_.size()) {
      if (keeper_) keeper_->Observe(next, piece);
      stages_[next]->Feed(piece);
    } else if (keeper_) {
      keeper_->Write(piece);
    } else {
      sink_(piece);
    }
  };
}

RejectSink ConversionChain::StageRejects() {
  if (!rejects_) return {};
  const bool first = stages_.empty();
  const std::size_t text = stages_.size();
  return [this, first, text](const UnicodeReject& reject) {
    if (!keeper_) {
      rejects_(reject, first);
      return;
    }
    UnicodeReject mapped = reject;
    const InputPosition at = keeper_->Map(text, {reject.line, reject.column});
    mapped.line = at.line;
    mapped.column = at.column;
    rejects_(mapped, first);
  };
}

void ConversionChain::AddText(bool unicode) {
  if (keeper_) keeper_->AddText(unicode);
}

void ConversionChain::KeepBlanks(TextForm output) {
  BlankKeeper::Hiatus hiatus = BlankKeeper::Hiatus::kDrop;
  if (output == TextForm::kIast) hiatus = BlankKeeper::Hiatus::kDiaeresis;
  if (output == TextForm::kTranslitFont) hiatus = BlankKeeper::Hiatus::kBlank;
  keeper_ = std::make_unique<BlankKeeper>([this](std::string_view piece) { sink_(piece); }, hiatus);
}

void ConversionChain::AddFontConversion(Session session, InputBox input_box, bool trim_blank) {
  const bool first = stages_.empty();
  DropHandler on_drop;
  if (drops_) {
    on_drop = [this, first](unsigned char byte, InputPosition at) { drops_(byte, at, first); };
  }
  PositionMap map;
  if (keeper_) {
    map = [this, text = stages_.size()](InputPosition at) { return keeper_->Map(text, at); };
  }
  AddText(false);
  stages_.push_back(std::make_unique<FontConversionStage>(std::move(session), std::move(input_box),
                                                          NextSink(), trim_blank, first,
                                                          std::move(on_drop), std::move(map)));
}

void ConversionChain::AddFontToIast(const FontLetters& letters) {
  AddText(false);
  stages_.push_back(std::make_unique<UnicodeStage<FontToIastStream>>(letters, NextSink()));
}

void ConversionChain::AddIastToFont(const FontLetters& letters) {
  RejectSink rejects = StageRejects();
  AddText(true);
  stages_.push_back(
      std::make_unique<UnicodeStage<IastToFontStream>>(letters, NextSink(), std::move(rejects)));
}

void ConversionChain::AddIastToDevanagari() {
  RejectSink rejects = StageRejects();
  AddText(true);
  stages_.push_back(
      std::make_unique<UnicodeStage<IastToDevanagariStream>>(NextSink(), std::move(rejects)));
}

void ConversionChain::AddDevanagariToIast() {
  RejectSink rejects = StageRejects();
  AddText(true);
  stages_.push_back(
      std::make_unique<UnicodeStage<DevanagariToIastStream>>(NextSink(), std::move(rejects)));
}

void ConversionChain::Feed(std::string_view block) {
  if (stages_.empty()) {
    sink_(block);
    return;
  }
  if (keeper_) {
    keeper_->Feed(block, [this](std::string_view piece) { stages_.front()->Feed(piece); });
    return;
  }
  stages_.front()->Feed(block);
}

ChainEnd ConversionChain::Finish() {
  ChainEnd end;
  if (keeper_ && !stages_.empty()) {
    keeper_->Finish([this](std::string_view piece) { stages_.front()->Feed(piece); });
  }
  // Each stage passes on the rest of its output before the next one ends.
  for (const std::unique_ptr<Stage>& stage : stages_) {
    if (!stage->Finish(end)) end.completed = false;
  }
  return end;
}

namespace {

std::string ShownByte(unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("0x") + kHex[byte >> 4] + kHex[byte & 15];
}

// The first byte beyond ASCII of `text` that `known` does not hold, or 0.
unsigned char ForeignByte(std::string_view text, const std::array<bool, 256>& known) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && !known[byte]) return byte;
  }
  return 0;
}

}  // namespace

TablesLetters ReadTablesLetters(const ConverterState& state) {
  TablesLetters read;
  std::array<bool, 256> letter_bytes{};
  for (int i = 0; i < kLetterCount; ++i) {
    const auto letter = static_cast<Letter>(i + 1);
    const int row = LetterRow(letter);
    const std::string& key = state.sanideva.key[static_cast<std::size_t>(row)];
    const std::string named = "syllable row " + std::to_string(row) + " (the letter " +
                              std::string(LetterIast(letter)) + ")";
    if (key.empty()) {
      read.problem = "the key of " + named + " is empty";
      return read;
    }
    for (int other = 0; other < i; ++other) {
      if (read.letters.bytes[static_cast<std::size_t>(other)] == key) {
        const auto same = static_cast<Letter>(other + 1);
        read.problem = "the key of " + named + " is that of syllable row " +
                       std::to_string(LetterRow(same)) + " (the letter " +
                       std::string(LetterIast(same)) + ")";
        return read;
      }
    }
    read.letters.bytes[static_cast<std::size_t>(i)] = key;
    for (const char c : key) letter_bytes[static_cast<unsigned char>(c)] = true;
  }
  // Glyph texts in the letters of another transliteration font than the
  // keys: a text byte that is a letter of such a font and no byte of a key
  // (a key may hold a symbol byte of its own, which writes that glyph; a
  // text may hold bytes that are no letter of any font).
  std::array<bool, 256> known = letter_bytes;
  for (const std::string& key : state.sanideva.key) {
    for (const char c : key) known[static_cast<unsigned char>(c)] = true;
  }
  std::array<TranslitFont, 256> font_of{};
  std::array<bool, 256> other_letter{};
  for (const TranslitFont font : kTranslitFonts) {
    for (const std::string_view letter : GetTranslitLetters(font).bytes) {
      for (const char c : letter) {
        const auto byte = static_cast<unsigned char>(c);
        if (known[byte]) continue;
        other_letter[byte] = true;
        font_of[byte] = font;
      }
    }
  }
  for (std::size_t byte = 0; byte < known.size(); ++byte) known[byte] = !other_letter[byte];
  for (std::size_t code = 1; code < state.devitran.size(); ++code) {
    const std::string& entry = state.devitran[code];
    const GlyphClass glyph_class = ClassOf(entry);
    if (glyph_class == GlyphClass::kNone || glyph_class == GlyphClass::kItself) continue;
    if (const unsigned char byte = ForeignByte(GlyphText(entry), known)) {
      read.problem = "the text of glyph " + std::to_string(code) + " has the byte " +
                     ShownByte(byte) + ", a letter of " + std::string(FontName(font_of[byte])) +
                     " that no key of the syllable table has";
      return read;
    }
  }
  return read;
}

TablesLetters MatchTranslitFontToTables(Session& session) {
  TablesLetters read = ReadTablesLetters(session.state());
  if (!read.problem.empty()) return read;
  for (const TranslitFont font : kTranslitFonts) {
    if (FontLetters(GetTranslitLetters(font)).bytes == read.letters.bytes) {
      session.ChooseTranslitFontName(std::string(FontName(font)));
      return read;
    }
  }
  session.ChooseTranslitFontName("letters of the tables");
  return read;
}

namespace {

// Where the text stands between two stages: IAST, Unicode Devanagari, or
// bytes in the letters of a transliteration font or of a session's tables.
struct TextAt {
  enum Kind { kIast, kDevanagari, kBytes } kind = kIast;
  FontLetters letters;  // kBytes
};

bool SameLetters(const FontLetters& a, const FontLetters& b) { return a.bytes == b.bytes; }

// Adds the stages that bring the text from `at` to `to`.
void Bridge(ConversionChain& chain, const TextAt& at, const TextAt& to) {
  switch (at.kind) {
    case TextAt::kIast:
      if (to.kind == TextAt::kDevanagari) chain.AddIastToDevanagari();
      if (to.kind == TextAt::kBytes) chain.AddIastToFont(to.letters);
      return;
    case TextAt::kDevanagari:
      if (to.kind == TextAt::kDevanagari) return;
      chain.AddDevanagariToIast();
      if (to.kind == TextAt::kBytes) chain.AddIastToFont(to.letters);
      return;
    case TextAt::kBytes:
      if (to.kind == TextAt::kBytes && SameLetters(at.letters, to.letters)) return;
      chain.AddFontToIast(at.letters);
      if (to.kind == TextAt::kDevanagari) chain.AddIastToDevanagari();
      if (to.kind == TextAt::kBytes) chain.AddIastToFont(to.letters);
      return;
  }
}

TextAt FontText(const FontLetters& letters) { return {TextAt::kBytes, letters}; }

}  // namespace

std::string BuildChain(ConversionChain& chain, const ChainPlan& plan,
                       const SessionMaker& make_session, const InputBox& input_box) {
  if (plan.keep_blanks) chain.KeepBlanks(plan.to);
  if (plan.from == plan.to && plan.from_font == plan.to_font &&
      plan.from != TextForm::kDevanagariFont) {
    return {};  // nothing to convert
  }
  const FontLetters pivot(GetTranslitLetters(plan.pivot));
  std::string problem;
  // The letters a font conversion's session writes or reads.
  const auto letters_of = [&](Session& session, const std::string& font) {
    TablesLetters read = MatchTranslitFontToTables(session);
    if (read.problem.empty()) return read.letters;
    if (problem.empty()) {
      problem = "the letters of the tables of \"" + font + "\" cannot be told: " + read.problem;
    }
    return pivot;
  };
  const auto end_text = [](TextForm form, const std::string& font) {
    if (form == TextForm::kIast) return TextAt{};
    if (form == TextForm::kDevanagariUnicode) return TextAt{TextAt::kDevanagari, {}};
    return FontText(FontLetters(GetTranslitLetters(*FindTranslitFont(font))));
  };

  std::optional<Session> from_session;
  std::optional<Session> to_session;
  TextAt after_input;    // the text once the input is read
  TextAt before_output;  // the text the output is made from
  if (plan.from == TextForm::kDevanagariFont) {
    from_session = make_session(Direction::kToTranslit, plan.from_font, plan.pivot);
    after_input = FontText(letters_of(*from_session, plan.from_font));
  } else {
    after_input = end_text(plan.from, plan.from_font);
  }
  if (plan.to == TextForm::kDevanagariFont) {
    to_session = make_session(Direction::kToDevanagari, plan.to_font, plan.pivot);
    before_output = FontText(letters_of(*to_session, plan.to_font));
  } else {
    before_output = end_text(plan.to, plan.to_font);
  }
  // A pair that one conversion serves: a transliteration font and a
  // Devanagari font whose tables are in its letters.
  const bool one_conversion = (plan.from == TextForm::kTranslitFont && to_session &&
                               SameLetters(after_input.letters, before_output.letters)) ||
                              (plan.to == TextForm::kTranslitFont && from_session &&
                               SameLetters(after_input.letters, before_output.letters));
  if (from_session) chain.AddFontConversion(std::move(*from_session), input_box, !one_conversion);
  Bridge(chain, after_input, before_output);
  if (to_session) chain.AddFontConversion(std::move(*to_session), input_box, !one_conversion);
  return problem;
}

}  // namespace sfc
