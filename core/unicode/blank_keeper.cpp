#include "blank_keeper.h"

#include <stdexcept>

#include "unicode_text.h"

namespace sfc {

namespace {

constexpr std::string_view kRunBreak = " \n ";

// Breaks the output has passed that are kept a while longer for positions
// that a stage tells late.
constexpr std::uint64_t kBreaksKept = 1024;

// The most changes between blanks and tabs that one break holds.
constexpr std::size_t kRunPartsKept = 256;

// The most bytes of blanks that the output gathers before it passes them on.
constexpr std::size_t kOutputPiece = std::size_t{1} << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::uint64_t BlankKeeper::ColumnCounter::Count(std::string_view bytes) {
  if (!unicode_) return bytes.size();
  std::uint64_t columns = 0;
  // Sequences that lie whole in the bytes are decoded in place; only one
  // that the end of the bytes may cut is gathered byte by byte below.
  std::size_t whole = 0;
  if (sequence_.empty()) {
    while (whole < bytes.size()) {
      const auto byte = static_cast<unsigned char>(bytes[whole]);
      if (byte < 0x80) {
        ++whole;
      } else if (const std::size_t need = utf8::kSequenceLength[byte];
                 need > 1 && whole + need > bytes.size()) {
        break;
      } else {
        utf8::Decode(bytes, whole);
      }
      ++columns;
    }
    bytes.remove_prefix(whole);
  }
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (sequence_.empty()) {
      if (utf8::kSequenceLength[byte] <= 1) {
        ++columns;
      } else {
        sequence_.push_back(c);
      }
      continue;
    }
    sequence_.push_back(c);
    const std::size_t length = utf8::kSequenceLength[static_cast<unsigned char>(sequence_[0])];
    if ((byte & 0xC0) == 0x80 && sequence_.size() < length) continue;
    // Complete, or cut by a byte that continues nothing: count as the
    // streams decode, and keep what may still start a sequence.
    std::size_t at = 0;
    while (at < sequence_.size()) {
      const std::size_t start = at;
      const auto lead = static_cast<unsigned char>(sequence_[start]);
      const std::size_t need = utf8::kSequenceLength[lead];
      if (need > 1 && sequence_.size() - start < need) {
        bool continued = true;
        for (std::size_t i = start + 1; i < sequence_.size(); ++i) {
          continued = continued && (static_cast<unsigned char>(sequence_[i]) & 0xC0) == 0x80;
        }
        if (continued) break;
      }
      utf8::Decode(sequence_, at);
      ++columns;
    }
    sequence_.erase(0, at);
  }
  return columns;
}

std::uint64_t BlankKeeper::ColumnCounter::Flush() {
  std::uint64_t columns = 0;
  for (std::size_t at = 0; at < sequence_.size();) {
    utf8::Decode(sequence_, at);
    ++columns;
  }
  sequence_.clear();
  return columns;
}

BlankKeeper::BlankKeeper(OutputSink sink, Hiatus hiatus) : sink_(std::move(sink)), hiatus_(hiatus) {
  breaks_.emplace_back();  // the start
  between_.emplace_back();
}

void BlankKeeper::AddText(bool unicode) {
  if (unicode_.size() == kMaxTexts) throw std::logic_error("too many stages to keep blanks");
  if (unicode_.empty()) input_columns_ = ColumnCounter(unicode);
  between_.back().counter = ColumnCounter(unicode);
  unicode_.push_back(unicode);
  between_.emplace_back();
}

void BlankKeeper::AddToRun(Break& brk, char byte) {
  if (brk.first_count == 0) {
    brk.first_byte = byte;
    brk.first_count = 1;
  } else if (brk.rest.empty() && brk.first_byte == byte) {
    ++brk.first_count;
  } else if (!brk.rest.empty() && brk.rest.back().first == byte) {
    ++brk.rest.back().second;
  } else {
    brk.rest.emplace_back(byte, 1);
  }
}

void BlankKeeper::WriteRun(const Break& brk, std::string& out) {
  const auto append = [this, &out](std::uint64_t count, char byte) {
    // A long run goes to the sink in pieces of a bounded size.
    while (count > 0) {
      const std::uint64_t room = kOutputPiece > out.size() ? kOutputPiece - out.size() : 0;
      const std::uint64_t now = count < room ? count : room;
      out.append(static_cast<std::size_t>(now), byte);
      count -= now;
      if (count > 0) {
        sink_(out);
        out.clear();
      }
    }
  };
  append(brk.first_count, brk.first_byte);
  for (const auto& [byte, count] : brk.rest) append(count, byte);
}

void BlankKeeper::EndRun(std::string& fed) {
  input_column_ += input_columns_.Flush();
  run_.line = input_line_;
  // The stage reads the break's blank as column 1 of a line and the byte
  // after the run as column 2.
  run_.column_offset[0] = static_cast<std::int64_t>(input_column_) - 1;
  breaks_.push_back(std::move(run_));
  run_ = Break{};
  in_run_ = false;
  ++made_;
  fed.append(kRunBreak);
}

void BlankKeeper::Feed(std::string_view block, const OutputSink& next) {
  // What the first stage is given, for the whole block at once.
  std::string fed;
  fed.reserve(block.size() + block.size() / 4);
  std::size_t start = 0;  // of the bytes not yet passed on
  for (std::size_t i = 0; i < block.size(); ++i) {
    const char c = block[i];
    if (IsBlank(c)) {
      if (i > start) {
        input_column_ += input_columns_.Count(block.substr(start, i - start));
        fed.append(block.substr(start, i - start));
      }
      start = i + 1;
      if (!in_run_) input_column_ += input_columns_.Flush();
      in_run_ = true;
      AddToRun(run_, c);
      ++input_column_;
      // A run of many changes between blanks and tabs goes in as several
      // breaks, which come out one after the other as the same bytes.
      if (run_.rest.size() == kRunPartsKept) EndRun(fed);
      continue;
    }
    if (in_run_) EndRun(fed);
    if (c == '\n') {
      input_column_ += input_columns_.Count(block.substr(start, i - start));
      input_columns_.Flush();
      Break line_end;
      line_end.line_end = true;
      line_end.line = ++input_line_;
      breaks_.push_back(std::move(line_end));
      ++made_;
      input_column_ = 0;
      fed.append(block.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < block.size()) {
    input_column_ += input_columns_.Count(block.substr(start));
    fed.append(block.substr(start));
  }
  if (!fed.empty()) next(fed);
  // The stages tell what they met in a block by the end of it, perhaps
  // after its output: only now are the breaks behind the output done with.
  while (first_ + kBreaksKept < written_breaks_ && breaks_.size() > 1) {
    breaks_.pop_front();
    ++first_;
  }
}

void BlankKeeper::Finish(const OutputSink& next) {
  if (!in_run_) return;
  std::string fed;
  EndRun(fed);
  next(fed);
}

void BlankKeeper::Observe(std::size_t text, std::string_view piece) {
  Between& between = between_[text];
  std::size_t start = 0;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] != '\n') continue;
    between.columns += between.counter.Count(piece.substr(start, i - start));
    between.columns += between.counter.Flush();
    start = i + 1;
    ++between.breaks;
    if (between.breaks < first_ || between.breaks > made_) continue;  // not the input's
    Break& brk = At(between.breaks);
    if (brk.line_end) {
      between.line_start = 0;
    } else {
      between.line_start += static_cast<std::int64_t>(between.columns);
    }
    brk.column_offset[text] = between.line_start;
    between.columns = 0;
  }
  between.columns += between.counter.Count(piece.substr(start));
}

void BlankKeeper::Write(std::string_view piece) {
  std::string out;
  out.reserve(piece.size());
  std::size_t i = 0;
  while (i < piece.size()) {
    const char c = piece[i];
    if (IsBlank(c)) {
      blank_left_ = true;
      ++i;
      continue;
    }
    if (c == '\n') {
      ++i;
      ++written_breaks_;
      const Break* brk = Find(written_breaks_);
      if (brk == nullptr || brk->line_end) {
        out.push_back('\n');
      } else {
        WriteRun(*brk, out);
      }
      last_letter_ = 0;
      blank_left_ = false;
      continue;
    }
    if (blank_left_ && last_letter_ == 'a' && (c == 'i' || c == 'u')) {
      if (hiatus_ == Hiatus::kDiaeresis) {
        out.append(c == 'i' ? "\xC3\xAF" : "\xC3\xBC");  // ï, ü
        last_letter_ = c;
        blank_left_ = false;
        ++i;
        continue;
      }
      if (hiatus_ == Hiatus::kBlank) out.push_back(' ');
    }
    // The text up to the next blank or line end, at once.
    std::size_t end = i + 1;
    while (end < piece.size() && !IsBlank(piece[end]) && piece[end] != '\n') ++end;
    out.append(piece.substr(i, end - i));
    last_letter_ = piece[end - 1];
    blank_left_ = false;
    i = end;
  }
  if (!out.empty()) sink_(out);
}

const BlankKeeper::Break* BlankKeeper::Find(std::uint64_t index) const {
  if (index < first_ || index - first_ >= breaks_.size()) return nullptr;
  return &breaks_[static_cast<std::size_t>(index - first_)];
}

InputPosition BlankKeeper::Map(std::size_t text, InputPosition at) const {
  if (at.line == 0) return at;
  const Break* brk = Find(at.line - 1);
  if (brk == nullptr || text >= kMaxTexts) return at;
  const std::int64_t column = static_cast<std::int64_t>(at.column) + brk->column_offset[text];
  return {brk->line, static_cast<std::uint64_t>(column < 1 ? 1 : column)};
}

}  // namespace sfc
