#include "chain.h"

#include <array>
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

void BuildChain(ConversionChain& chain, const ChainPlan& plan, const SessionMaker& make_session,
                const InputBox& input_box) {
  if (plan.keep_blanks) chain.KeepBlanks(plan.to);
  const FontLetters pivot(GetTranslitLetters(plan.pivot));
  // The pivot is the transliteration font at either end, so these two are
  // one font conversion each.
  const bool devanagari_to_translit =
      plan.from == TextForm::kDevanagariFont && plan.to == TextForm::kTranslitFont;
  const bool translit_to_devanagari =
      plan.from == TextForm::kTranslitFont && plan.to == TextForm::kDevanagariFont;
  // A pair that one conversion serves.
  if (devanagari_to_translit) {
    chain.AddFontConversion(make_session(Direction::kToTranslit, plan.from_font, plan.pivot),
                            input_box, false);
    return;
  }
  if (translit_to_devanagari) {
    chain.AddFontConversion(make_session(Direction::kToDevanagari, plan.to_font, plan.pivot),
                            input_box, false);
    return;
  }
  if (plan.from == TextForm::kIast && plan.to == TextForm::kDevanagariUnicode) {
    chain.AddIastToDevanagari();
    return;
  }
  if (plan.from == TextForm::kDevanagariUnicode && plan.to == TextForm::kIast) {
    chain.AddDevanagariToIast();
    return;
  }
  if (plan.from == plan.to && plan.from_font == plan.to_font &&
      plan.from != TextForm::kDevanagariFont) {
    return;  // nothing to convert
  }

  // To the pivot.
  bool at_pivot_iast = false;  // the text is IAST rather than pivot bytes
  switch (plan.from) {
    case TextForm::kIast:
      at_pivot_iast = true;
      break;
    case TextForm::kDevanagariUnicode:
      chain.AddDevanagariToIast();
      at_pivot_iast = true;
      break;
    case TextForm::kTranslitFont:
      if (plan.to == TextForm::kTranslitFont || plan.to == TextForm::kIast ||
          plan.to == TextForm::kDevanagariUnicode) {
        chain.AddFontToIast(FontLetters(GetTranslitLetters(*FindTranslitFont(plan.from_font))));
        at_pivot_iast = true;
      }
      break;
    case TextForm::kDevanagariFont:
      chain.AddFontConversion(make_session(Direction::kToTranslit, plan.from_font, plan.pivot),
                              input_box, true);
      break;
  }

  // From the pivot.
  switch (plan.to) {
    case TextForm::kIast:
      if (!at_pivot_iast) chain.AddFontToIast(pivot);
      break;
    case TextForm::kDevanagariUnicode:
      if (!at_pivot_iast) chain.AddFontToIast(pivot);
      chain.AddIastToDevanagari();
      break;
    case TextForm::kTranslitFont:
      if (!at_pivot_iast) chain.AddFontToIast(pivot);
      chain.AddIastToFont(FontLetters(GetTranslitLetters(*FindTranslitFont(plan.to_font))));
      break;
    case TextForm::kDevanagariFont:
      if (at_pivot_iast) chain.AddIastToFont(pivot);
      chain.AddFontConversion(make_session(Direction::kToDevanagari, plan.to_font, plan.pivot),
                              input_box, true);
      break;
  }
}

}  // namespace sfc
