#include "chain.h"

#include <utility>

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

class FontConversionStage final : public ConversionChain::Stage {
 public:
  FontConversionStage(Session session, InputBox input_box, OutputSink sink, bool trim_blank,
                      bool first, DropHandler on_drop)
      : session_(std::move(session)), first_(first) {
    OutputSink out = std::move(sink);
    if (trim_blank) {
      trimmer_ = std::make_unique<BlankTrimmer>(std::move(out));
      out = [this](std::string_view piece) { trimmer_->Write(piece); };
    }
    StreamOptions options;
    options.on_drop = std::move(on_drop);
    stream_ = session_.BeginConversion(std::move(input_box), std::move(out), std::move(options));
  }
  void Feed(std::string_view block) override { stream_->Feed(block); }
  bool Finish(ChainEnd& end) override {
    StreamEnd stream_end = stream_->Finish();
    for (AskedInputBox& box : stream_end.input_boxes) end.input_boxes.push_back(std::move(box));
    DroppedBytes& dropped = first_ ? end.dropped : end.dropped_between;
    for (std::size_t byte = 0; byte < 256; ++byte) {
      dropped.count[byte] += stream_end.dropped.count[byte];
      for (const InputPosition& at : stream_end.dropped.first_positions[byte]) {
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
      stages_[next]->Feed(piece);
    } else {
      sink_(piece);
    }
  };
}

RejectSink ConversionChain::StageRejects() {
  if (!rejects_) return {};
  const bool first = stages_.empty();
  return [this, first](const UnicodeReject& reject) { rejects_(reject, first); };
}

void ConversionChain::AddFontConversion(Session session, InputBox input_box, bool trim_blank) {
  const bool first = stages_.empty();
  DropHandler on_drop;
  if (drops_) {
    on_drop = [this, first](unsigned char byte, InputPosition at) { drops_(byte, at, first); };
  }
  stages_.push_back(std::make_unique<FontConversionStage>(
      std::move(session), std::move(input_box), NextSink(), trim_blank, first, std::move(on_drop)));
}

void ConversionChain::AddFontToIast(const FontLetters& letters) {
  stages_.push_back(std::make_unique<UnicodeStage<FontToIastStream>>(letters, NextSink()));
}

void ConversionChain::AddIastToFont(const FontLetters& letters) {
  RejectSink rejects = StageRejects();
  stages_.push_back(
      std::make_unique<UnicodeStage<IastToFontStream>>(letters, NextSink(), std::move(rejects)));
}

void ConversionChain::AddIastToDevanagari() {
  RejectSink rejects = StageRejects();
  stages_.push_back(
      std::make_unique<UnicodeStage<IastToDevanagariStream>>(NextSink(), std::move(rejects)));
}

void ConversionChain::AddDevanagariToIast() {
  RejectSink rejects = StageRejects();
  stages_.push_back(
      std::make_unique<UnicodeStage<DevanagariToIastStream>>(NextSink(), std::move(rejects)));
}

void ConversionChain::Feed(std::string_view block) {
  if (stages_.empty()) {
    sink_(block);
    return;
  }
  stages_.front()->Feed(block);
}

ChainEnd ConversionChain::Finish() {
  ChainEnd end;
  // Each stage passes on the rest of its output before the next one ends.
  for (const std::unique_ptr<Stage>& stage : stages_) {
    if (!stage->Finish(end)) end.completed = false;
  }
  return end;
}

void BuildChain(ConversionChain& chain, const ChainPlan& plan, const SessionMaker& make_session,
                const InputBox& input_box) {
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
