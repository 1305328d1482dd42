// Which words of a transliteration text do not come back unchanged through
// a Devanagari font and back: every line is converted to Devanagari and
// back on its own, and its words are aligned with the line it came from
// (word_diff.h says how words are matched and what a difference is).
//
// Fed in blocks of any size; any cut gives the same differences and
// summary. Memory holds the current line at most (and less for a long line
// of ordinary text), whatever the size of the input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "conversion.h"
#include "session.h"
#include "word_diff.h"

namespace sfc {

struct WordCheckSummary {
  std::uint64_t lines = 0;
  WordTally words;
  // Lines whose conversion was cut short in either direction (the words
  // of the rest of the line count as lost).
  std::uint64_t lines_cut_short = 0;
};

class WordCheck {
 public:
  // A difference on line `line` (from 1; lines end at LF, and a CR before
  // the LF is not part of the line). Its texts are transliteration bytes and
  // stay valid during the call only.
  using DifferenceSink = std::function<void(std::uint64_t line, const WordDifference&)>;

  // to_devanagari and to_translit: sessions in those directions with the
  // fonts to check; they must outlive the check. input_box answers what the
  // conversions ask. Throws std::invalid_argument for a session in the other
  // direction.
  WordCheck(Session& to_devanagari, Session& to_translit, InputBox input_box, DifferenceSink sink);
  ~WordCheck();
  WordCheck(const WordCheck&) = delete;
  WordCheck& operator=(const WordCheck&) = delete;

  void Feed(std::string_view block);
  // Ends the input (a last line without LF is checked); call once.
  WordCheckSummary Finish();

 private:
  void FeedLine(std::string_view bytes);
  void EndLine();

  DifferenceSink sink_;
  WordAligner aligner_;
  std::unique_ptr<ConversionStream> to_translit_;
  std::unique_ptr<ConversionStream> to_devanagari_;
  WordCheckSummary summary_;
  bool line_open_ = false;   // bytes of the current line were fed
  bool cr_pending_ = false;  // a CR ended the last block: held until the next byte
};

}  // namespace sfc
