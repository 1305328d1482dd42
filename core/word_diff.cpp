#include "word_diff.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sfc {

namespace {

constexpr std::uint64_t kHashStart = 14695981039346656037ULL;  // FNV-1a
constexpr std::uint64_t kHashFactor = 1099511628211ULL;

bool IsBlank(unsigned char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// Bytes of a line before the pending words are dropped from the front only
// once they are this many and half the buffer, so that dropping costs
// linear time.
constexpr std::size_t kTrimAt = 1 << 16;
// A buffer grown beyond this for a long line is given back at the line's end.
constexpr std::size_t kKeepCapacity = std::size_t{1} << 20;

}  // namespace

double WordTally::SharePercent() const {
  if (words_before == 0) return 100.0;
  return 100.0 * static_cast<double>(matched) / static_cast<double>(words_before);
}

// ---- one side ----

void WordAligner::Side::Add(std::string_view bytes) {
  // Drop the bytes no pending or partial word needs any more.
  std::uint64_t keep = size_;
  if (pending() > 0) keep = at(0).start;
  if (in_word_) keep = std::min(keep, word_.start);
  const auto unused = static_cast<std::size_t>(keep - text_at_);
  if (unused >= kTrimAt && unused * 2 >= text_.size()) {
    text_.erase(0, unused);
    text_at_ = keep;
  }
  text_.append(bytes);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsBlank(byte)) {
      if (in_word_) {
        word_.size = size_ - word_.start;
        words_.push_back(word_);
        in_word_ = false;
      }
    } else {
      if (!in_word_) {
        in_word_ = true;
        word_ = {size_, 0, kHashStart};
      }
      word_.hash = (word_.hash ^ byte) * kHashFactor;
    }
    ++size_;
  }
}

void WordAligner::Side::EndLine() {
  if (!in_word_) return;
  word_.size = size_ - word_.start;
  words_.push_back(word_);
  in_word_ = false;
}

void WordAligner::Side::Reset() {
  text_.clear();
  words_.clear();
  if (text_.capacity() > kKeepCapacity) text_.shrink_to_fit();
  if (words_.capacity() * sizeof(Word) > kKeepCapacity) words_.shrink_to_fit();
  text_at_ = 0;
  size_ = 0;
  head_ = 0;
  in_word_ = false;
}

std::string_view WordAligner::Side::Span(std::size_t i, std::size_t j) const {
  const Word& first = at(i);
  const Word& last = at(j - 1);
  return std::string_view(text_).substr(
      static_cast<std::size_t>(first.start - text_at_),
      static_cast<std::size_t>(last.start + last.size - first.start));
}

bool WordAligner::Side::Same(std::size_t i, const Side& other, std::size_t j) const {
  const Word& a = at(i);
  const Word& b = other.at(j);
  return a.hash == b.hash && a.size == b.size &&
         std::memcmp(text_.data() + (a.start - text_at_),
                     other.text_.data() + (b.start - other.text_at_),
                     static_cast<std::size_t>(a.size)) == 0;
}

void WordAligner::Side::Drop(std::size_t n) {
  head_ += n;
  if (head_ >= 4096 && head_ * 2 >= words_.size()) {
    words_.erase(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}

// ---- the alignment ----

WordAligner::WordAligner(DifferenceSink sink) : sink_(std::move(sink)) {}

void WordAligner::AddBefore(std::string_view bytes) {
  before_.Add(bytes);
  Align(false);
}

void WordAligner::AddAfter(std::string_view bytes) {
  after_.Add(bytes);
  Align(false);
}

void WordAligner::EndLine() {
  before_.EndLine();
  after_.EndLine();
  Align(true);
  before_.Reset();
  after_.Reset();
}

void WordAligner::Align(bool line_ended) {
  for (;;) {
    const std::size_t pending_before = before_.pending();
    const std::size_t pending_after = after_.pending();
    if (!line_ended && (pending_before < kWindow || pending_after < kWindow)) return;
    if (pending_before == 0 && pending_after == 0) return;
    const std::size_t n = std::min(pending_before, kWindow);
    const std::size_t m = std::min(pending_after, kWindow);
    // A side whose window ends before the line does keeps only the matches
    // of the window's first half: the rest may pair better with words to come.
    const std::size_t limit_n = (!line_ended || n < pending_before) ? n / 2 : n;
    const std::size_t limit_m = (!line_ended || m < pending_after) ? m / 2 : m;
    const bool whole = limit_n == n && limit_m == m;
    std::size_t kept = 0;
    if (Match(n, m)) {
      while (kept < pairs_.size() && pairs_[kept].first < limit_n &&
             pairs_[kept].second < limit_m) {
        ++kept;
      }
    }
    if (kept == 0 && !whole) {
      Differ(limit_n, limit_m);  // nothing to hold on to: the halves differ
      continue;
    }
    std::size_t done_n = 0;
    std::size_t done_m = 0;
    for (std::size_t i = 0; i < kept; ++i) {
      const auto [x, y] = pairs_[i];
      Differ(x - done_n, y - done_m);
      before_.Drop(1);
      after_.Drop(1);
      ++tally_.words_before;
      ++tally_.words_after;
      ++tally_.matched;
      done_n = x + 1;
      done_m = y + 1;
    }
    if (whole) Differ(n - done_n, m - done_m);
  }
}

bool WordAligner::Match(std::size_t n_words, std::size_t m_words) {
  // The greedy search for the fewest words lost and added (an O(ND)
  // difference algorithm): v_ holds, per diagonal k = x - y, the furthest x
  // reached with d edits; trace_ keeps each d's row to walk the path back.
  pairs_.clear();
  trace_.clear();
  const auto n = static_cast<std::int32_t>(n_words);
  const auto m = static_cast<std::int32_t>(m_words);
  const std::int32_t max_d = std::min<std::int32_t>(static_cast<std::int32_t>(kMaxEdits), n + m);
  const std::int32_t off = max_d + 1;
  v_.assign(static_cast<std::size_t>(2 * max_d + 3), 0);
  const auto V = [this, off](std::int32_t k) -> std::int32_t& {
    return v_[static_cast<std::size_t>(off + k)];
  };
  std::int32_t found = -1;
  for (std::int32_t d = 0; d <= max_d && found < 0; ++d) {
    for (std::int32_t k = -d; k <= d; k += 2) {
      std::int32_t x = (k == -d || (k != d && V(k - 1) < V(k + 1))) ? V(k + 1) : V(k - 1) + 1;
      std::int32_t y = x - k;
      while (x < n && y < m &&
             before_.Same(static_cast<std::size_t>(x), after_, static_cast<std::size_t>(y))) {
        ++x;
        ++y;
      }
      V(k) = x;
      if (x >= n && y >= m) {
        found = d;
        break;
      }
    }
    trace_.insert(trace_.end(), v_.begin() + off - d, v_.begin() + off + d + 1);
  }
  if (found < 0) return false;

  std::int32_t x = n;
  std::int32_t y = m;
  for (std::int32_t d = found; d > 0; --d) {
    const std::int32_t k = x - y;
    // The row of d - 1 edits, for diagonals -(d - 1) to d - 1.
    const std::int32_t* const row = trace_.data() + static_cast<std::ptrdiff_t>(d - 1) * (d - 1);
    const auto P = [row, d](std::int32_t diagonal) { return row[diagonal + d - 1]; };
    const bool down = k == -d || (k != d && P(k - 1) < P(k + 1));
    const std::int32_t from_k = down ? k + 1 : k - 1;
    const std::int32_t from_x = P(from_k);
    const std::int32_t snake_x = down ? from_x : from_x + 1;
    while (x > snake_x) {
      --x;
      --y;
      pairs_.emplace_back(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
    }
    x = from_x;
    y = from_x - from_k;
  }
  while (x > 0 && y > 0) {
    --x;
    --y;
    pairs_.emplace_back(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
  }
  std::reverse(pairs_.begin(), pairs_.end());
  return true;
}

void WordAligner::Differ(std::size_t n, std::size_t m) {
  if (n == 0 && m == 0) return;
  WordDifference difference;
  if (before_.pending() > 0) {
    difference.column = before_.at(0).start + 1;
  } else {
    difference.column = before_.line_size() + 1;
  }
  if (n > 0) difference.before = before_.Span(0, n);
  if (m > 0) difference.after = after_.Span(0, m);
  difference.words_before = n;
  difference.words_after = m;
  ++tally_.differences;
  tally_.words_before += n;
  tally_.words_after += m;
  if (sink_) sink_(difference);
  before_.Drop(n);
  after_.Drop(m);
}

}  // namespace sfc
