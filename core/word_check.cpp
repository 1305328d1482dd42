#include "word_check.h"

#include <stdexcept>
#include <utility>

namespace sfc {

WordCheck::WordCheck(Session& to_devanagari, Session& to_translit, InputBox input_box,
                     DifferenceSink sink)
    : sink_(std::move(sink)), aligner_([this](const WordDifference& difference) {
        if (sink_) sink_(summary_.lines + 1, difference);
      }) {
  if (to_devanagari.direction() != Direction::kToDevanagari ||
      to_translit.direction() != Direction::kToTranslit) {
    throw std::invalid_argument("WordCheck: sessions in the wrong direction");
  }
  // Each conversion's output goes on as soon as it is final: the Devanagari
  // into the conversion back, and that into the alignment.
  to_translit_ = to_translit.BeginConversion(
      input_box, [this](std::string_view piece) { aligner_.AddAfter(piece); });
  to_devanagari_ = to_devanagari.BeginConversion(
      std::move(input_box), [this](std::string_view piece) { to_translit_->Feed(piece); });
}

WordCheck::~WordCheck() = default;

void WordCheck::Feed(std::string_view block) {
  if (block.empty()) return;
  if (cr_pending_) {
    cr_pending_ = false;
    if (block.front() != '\n') FeedLine("\r");
  }
  while (!block.empty()) {
    const std::size_t end = block.find('\n');
    if (end == std::string_view::npos) {
      // A CR at the end of the block may be the one before an LF.
      if (block.back() == '\r') {
        block.remove_suffix(1);
        cr_pending_ = true;
        line_open_ = true;
      }
      FeedLine(block);
      return;
    }
    std::string_view line = block.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    FeedLine(line);
    EndLine();
    block.remove_prefix(end + 1);
  }
}

WordCheckSummary WordCheck::Finish() {
  cr_pending_ = false;  // a CR that ends the input ends its last line
  if (line_open_) EndLine();
  return summary_;
}

void WordCheck::FeedLine(std::string_view bytes) {
  if (bytes.empty()) return;
  line_open_ = true;
  aligner_.AddBefore(bytes);
  to_devanagari_->Feed(bytes);
}

void WordCheck::EndLine() {
  const bool forth = to_devanagari_->Finish().completed;
  const bool back = to_translit_->Finish().completed;
  aligner_.EndLine();
  ++summary_.lines;
  if (!forth || !back) ++summary_.lines_cut_short;
  summary_.words = aligner_.tally();
  to_devanagari_->Restart();
  to_translit_->Restart();
  line_open_ = false;
}

}  // namespace sfc
