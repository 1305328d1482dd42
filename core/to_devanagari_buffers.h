// The buffers of the conversion to Devanagari: the work buffer of letters
// not yet consumed, the held output and the marks of its syllable glyphs.
// Part of to_devanagari.cpp, which alone includes it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "syllable_rows.h"

#if defined(__GNUC__)
#define SFC_ALWAYS_INLINE [[gnu::always_inline]] inline
#define SFC_NO_INLINE [[gnu::noinline]]
#else
#define SFC_ALWAYS_INLINE inline
#define SFC_NO_INLINE
#endif

namespace sfc {
namespace {

constexpr int kNone = -1;  // a letter or byte that does not exist

// The padded input not yet consumed, fed in blocks and consumed from the
// front. Its first letter is the previous letter, its second the current
// one. Spare bytes before the front make the small insertions of the dash
// look-ahead cheap.
class WorkBuffer {
 public:
  WorkBuffer() {
    data_.assign(kSpare, '\0');
    Point(kSpare);
  }

  std::size_t size() const { return static_cast<std::size_t>(end_ - head_); }
  bool empty() const { return head_ == end_; }

  void Append(std::string_view block) {
    std::size_t at = Offset();
    const std::size_t len = size();
    if (at > kSpare && at - kSpare >= len) {  // the consumed front outweighs the rest
      std::memmove(&data_[kSpare], &data_[at], len);
      data_.resize(kSpare + len);
      at = kSpare;
    }
    data_.append(block);
    Point(at);
  }

  // The letter at index i, or kNone past the end.
  int At(std::size_t i) const { return i < size() ? head_[i] : kNone; }
  // The last of the first n letters that exist.
  int LastOfFirst(std::size_t n) const {
    const std::size_t len = size();
    if (len >= n) return head_[n - 1];
    return len == 0 ? kNone : end_[-1];
  }

  // The letters from the front; index i < size() only.
  const unsigned char* Letters() const { return head_; }
  // Removes the first n letters (n <= size()).
  void RemoveFirst(std::size_t n) { head_ += n; }

  // Removes the first letter; false when there is none.
  bool RemoveFront() {
    if (head_ == end_) return false;
    ++head_;
    return true;
  }

  // Inserts a letter before index i (i <= size()).
  void Insert(std::size_t i, char letter) {
    std::size_t at = Offset();
    if (at == 0) {
      data_.insert(0, kSpare, '\0');
      at = kSpare;
    }
    std::memmove(&data_[at - 1], &data_[at], i);
    data_[at - 1 + i] = letter;
    Point(at - 1);
  }

  // Removes the letter at index i (i < size()).
  void Erase(std::size_t i) {
    const std::size_t at = Offset();
    std::memmove(&data_[at + 1], &data_[at], i);
    Point(at + 1);
  }

  // Empty, for a new text; the buffer is kept.
  void Clear() {
    data_.assign(kSpare, '\0');
    if (data_.capacity() > kKeepAfterClear) data_.shrink_to_fit();
    Point(kSpare);
  }

 private:
  static constexpr std::size_t kSpare = 8;
  static constexpr std::size_t kKeepAfterClear = std::size_t{1} << 16;

  std::size_t Offset() const {
    return static_cast<std::size_t>(head_ - reinterpret_cast<const unsigned char*>(data_.data()));
  }
  void Point(std::size_t at) {
    const auto* base = reinterpret_cast<const unsigned char*>(data_.data());
    head_ = base + at;
    end_ = base + data_.size();
  }

  std::string data_;
  const unsigned char* head_ = nullptr;
  const unsigned char* end_ = nullptr;
};

// A table cell kept for appending: a short cell is copied as one block of
// kInline bytes, of which the first `size` count.
struct Cell {
  static constexpr std::size_t kInline = 16;

  Cell() = default;
  explicit Cell(const std::string& text) : size(text.size()) {
    if (size > kInline) {
      whole = text;
    } else {
      std::memcpy(bytes.data(), text.data(), size);
    }
  }

  std::array<char, kInline> bytes{};
  std::size_t size = 0;
  std::string whole;  // the cell, when longer than kInline
};

// The fast way's run of steps: where it writes, where its writing began (it
// reads no byte before that), the repha held back and the word-start flag.
struct FastRun {
  char* out;
  const char* out_begin;
  const Cell* repha;
  bool word_start;

  // The byte before, when this run wrote it; -1 before the first.
  int Last() const { return out > out_begin ? static_cast<unsigned char>(out[-1]) : -1; }
};

// The glyphs written and not yet passed on. Offsets are counted from the
// start of the whole output; the bytes before `passed()` have gone to the
// sink and no rule may touch them again. Appends are the hot path: a plain
// byte buffer with its own ends keeps them to a few instructions. The held
// text keeps a gap at its last insertion point, so that insertions that
// move through a long held text cost the distance moved, not its length.
class HeldOutput {
 public:
  using Offset = std::uint64_t;

  Offset size() const { return passed_ + held(); }
  bool empty() const { return size() == 0; }
  Offset passed() const { return passed_; }
  std::size_t held() const { return (gap_ - begin_) + (end_ - after_gap_); }

  unsigned char back() const {
    return static_cast<unsigned char>(end_ > after_gap_ ? data_[end_ - 1] : data_[gap_ - 1]);
  }
  // The byte at an offset of the whole output.
  unsigned char operator[](Offset at) const {
    Reachable(at);
    const std::size_t rel = static_cast<std::size_t>(at - passed_);
    const std::size_t before_gap = gap_ - begin_;
    return static_cast<unsigned char>(rel < before_gap ? data_[begin_ + rel]
                                                       : data_[after_gap_ + rel - before_gap]);
  }
  // The held bytes from an offset up to an open gap or the end.
  std::span<const unsigned char> RunFrom(Offset at) const {
    Reachable(at);
    const std::size_t rel = static_cast<std::size_t>(at - passed_);
    const std::size_t before_gap = gap_ - begin_;
    const std::size_t from = rel < before_gap ? begin_ + rel : after_gap_ + rel - before_gap;
    const std::size_t to = rel < before_gap && gap_ != after_gap_ ? gap_ : end_;
    return {reinterpret_cast<const unsigned char*>(data_.data()) + from, to - from};
  }
  void pop_back() {
    Reachable(size() - 1);
    if (end_ > after_gap_) {
      --end_;
    } else {
      --gap_;
    }
  }

  SFC_ALWAYS_INLINE HeldOutput& operator+=(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (end_ + n > data_.size()) Grow(n);
    char* to = data_.data() + end_;
    for (std::size_t i = 0; i < n; ++i) to[i] = bytes[i];
    end_ += n;
    return *this;
  }
  SFC_ALWAYS_INLINE HeldOutput& operator+=(const Cell& cell) {
    if (cell.size > Cell::kInline) return *this += std::string_view(cell.whole);
    if (end_ + Cell::kInline > data_.size()) Grow(Cell::kInline);
    std::memcpy(data_.data() + end_, cell.bytes.data(), Cell::kInline);
    end_ += cell.size;
    return *this;
  }
  SFC_ALWAYS_INLINE HeldOutput& operator+=(char byte) {
    if (end_ == data_.size()) Grow(1);
    data_[end_++] = byte;
    return *this;
  }

  // Writing in place at the end: room for n more bytes, and where they go.
  // SetEnd then takes the new end (no more than n bytes further).
  char* EndWithRoom(std::size_t n) {
    if (end_ + n > data_.size()) Grow(n);
    return data_.data() + end_;
  }
  void SetEnd(const char* end) { end_ = static_cast<std::size_t>(end - data_.data()); }

  void Insert(Offset at, std::string_view bytes) {
    Reachable(at);
    if (InsertNearEnd(static_cast<std::size_t>(at - passed_), bytes)) return;
    MoveGap(static_cast<std::size_t>(at - passed_));
    if (after_gap_ == end_) {  // nothing after the gap: an append
      *this += bytes;
      return;
    }
    if (after_gap_ - gap_ < bytes.size()) Widen(bytes.size());
    std::memcpy(data_.data() + gap_, bytes.data(), bytes.size());
    gap_ += bytes.size();
    if (end_ - after_gap_ <= kRoom) MoveGap(held());  // a short tail: close the gap
  }

  // Inserts without a gap when none is open and few bytes follow: the
  // common case of a short-i sign. False when the gap is needed.
  bool InsertNearEnd(std::size_t rel, std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (gap_ != after_gap_ || end_ - (begin_ + rel) > kNearEnd || end_ + n > data_.size()) {
      return false;
    }
    char* const to = data_.data() + begin_ + rel;
    for (std::size_t i = end_ - (begin_ + rel); i-- > 0;) to[n + i] = to[i];
    for (std::size_t i = 0; i < n; ++i) to[i] = bytes[i];
    end_ += n;
    return true;
  }

  // Passes the bytes before offset `to` to the sink.
  void PassOn(Offset to, const OutputSink& sink) {
    const std::size_t n = static_cast<std::size_t>(to - passed_);
    if (n == 0) return;
    MoveGap(held());
    if (sink) sink(std::string_view(data_.data() + begin_, n));
    begin_ += n;
    passed_ = to;
  }

  // Empty, for the output of a new text; the buffer is kept unless a long
  // text made it large.
  void Clear() {
    if (data_.size() > kKeepAfterClear) data_ = std::string(kRoom, '\0');
    std::memset(data_.data(), 0, kRoom);  // as a new buffer, whatever is read before the text
    begin_ = gap_ = after_gap_ = end_ = kRoom;
    passed_ = 0;
  }

 private:
  static constexpr std::size_t kRoom = 64;
  static constexpr std::size_t kNearEnd = 16;  // bytes after an insertion moved one by one
  static constexpr std::size_t kKeepAfterClear = std::size_t{1} << 16;

  // A rule that reaches into output already passed on is a fault of the
  // pass-on rule, never of the input.
  void Reachable(Offset at) const {
    if (at < passed_) throw std::logic_error("the conversion reached into output passed on");
  }

  // Moves the gap to `rel` bytes after the start of the held text.
  void MoveGap(std::size_t rel) {
    const std::size_t before_gap = gap_ - begin_;
    if (rel < before_gap) {
      const std::size_t n = before_gap - rel;
      std::memmove(data_.data() + after_gap_ - n, data_.data() + gap_ - n, n);
      gap_ -= n;
      after_gap_ -= n;
    } else if (rel > before_gap) {
      const std::size_t n = rel - before_gap;
      std::memmove(data_.data() + gap_, data_.data() + after_gap_, n);
      gap_ += n;
      after_gap_ += n;
    }
    if (gap_ == after_gap_ || after_gap_ == end_) {  // no text after the gap: close it
      end_ = gap_ + (end_ - after_gap_);
      after_gap_ = gap_;
    }
  }

  // Makes the gap at least n bytes wide: moves a short text after it
  // towards the end, or lays the whole text out afresh.
  void Widen(std::size_t n) {
    const std::size_t after = end_ - after_gap_;
    const std::size_t more = n - (after_gap_ - gap_);
    if (after <= kRoom && end_ + more <= data_.size()) {
      std::memmove(data_.data() + after_gap_ + more, data_.data() + after_gap_, after);
      after_gap_ += more;
      end_ += more;
      return;
    }
    Rebuild(n);
  }

  // Lays the held text out afresh with room in front, a gap of at least
  // `gap` bytes and room at the end.
  SFC_NO_INLINE void Rebuild(std::size_t gap) {
    const std::size_t before_gap = gap_ - begin_;
    const std::size_t after = end_ - after_gap_;
    const std::size_t len = before_gap + after;
    const std::size_t new_gap = std::max({gap, len / 2, kRoom});
    std::string data(kRoom + len + new_gap + len / 2 + kRoom, '\0');
    std::memcpy(data.data() + kRoom, data_.data() + begin_, before_gap);
    std::memcpy(data.data() + kRoom + before_gap + new_gap, data_.data() + after_gap_, after);
    data_ = std::move(data);
    begin_ = kRoom;
    gap_ = begin_ + before_gap;
    after_gap_ = gap_ + new_gap;
    end_ = after_gap_ + after;
  }

  // Makes room for n more bytes at the end, closing the gap; with n more to
  // spare, so that asking for the same room again and again costs little.
  SFC_NO_INLINE void Grow(std::size_t n) {
    const std::size_t before_gap = gap_ - begin_;
    const std::size_t after = end_ - after_gap_;
    const std::size_t len = before_gap + after;
    const std::size_t size = kRoom + std::max(2 * len, len + 2 * n) + kRoom;
    if (size <= data_.size() && begin_ >= kRoom) {  // move down within the buffer
      std::memmove(data_.data() + kRoom, data_.data() + begin_, before_gap);
      std::memmove(data_.data() + kRoom + before_gap, data_.data() + after_gap_, after);
    } else {
      std::string data(size, '\0');
      std::memcpy(data.data() + kRoom, data_.data() + begin_, before_gap);
      std::memcpy(data.data() + kRoom + before_gap, data_.data() + after_gap_, after);
      data_ = std::move(data);
    }
    begin_ = kRoom;
    gap_ = after_gap_ = end_ = kRoom + len;
  }

  std::string data_ = std::string(kRoom, '\0');
  std::size_t begin_ = kRoom;      // the held text's first byte
  std::size_t gap_ = kRoom;        // the gap: from gap_ to after_gap_
  std::size_t after_gap_ = kRoom;  // the text after the gap runs to end_
  std::size_t end_ = kRoom;
  Offset passed_ = 0;
};

// Where the short-i sign may go: the output bytes that count as a syllable
// for it (a byte the short-i map marks "y", or the byte before the kt
// ending). Found lazily: offsets before `scanned_` are known; the last byte
// is never among them, since the byte after it decides too.
class SyllableMarks {
 public:
  using Offset = HeldOutput::Offset;

  SyllableMarks(const std::array<bool, 256>& syllable, int kt_end) : syllable_(syllable) {
    kt_end_ = kt_end;
  }

  bool IsSyllable(const HeldOutput& out, Offset at) const {
    if (syllable_[out[at]]) return true;
    return at + 1 < out.size() && out[at + 1] == kt_end_;
  }

  // Brings the marks up to the byte before the last.
  void Scan(const HeldOutput& out) {
    const Offset last = out.size() == 0 ? 0 : out.size() - 1;
    while (scanned_ < last) {
      const std::span<const unsigned char> run = out.RunFrom(scanned_);
      const auto n = static_cast<std::size_t>(std::min<Offset>(run.size(), last - scanned_ + 1));
      if (n < 2) {  // the byte after this one lies past a gap
        if (IsSyllable(out, scanned_)) marks_.push_back(scanned_);
        ++scanned_;
        continue;
      }
      ScanRun(run.first(n));
    }
  }

  // The marks of all bytes of a run but its last, which is looked at with
  // the byte after it.
  void ScanRun(std::span<const unsigned char> bytes) {
    const std::size_t n = bytes.size() - 1;
    std::size_t count = marks_.size();
    marks_.resize(count + n);
    Offset* to = marks_.data();
    for (std::size_t i = 0; i < n; ++i) {
      to[count] = scanned_ + i;
      count += static_cast<std::size_t>(static_cast<int>(syllable_[bytes[i]]) |
                                        static_cast<int>(bytes[i + 1] == kt_end_));
    }
    marks_.resize(count);
    scanned_ += n;
  }

  // The n-th syllable byte from the end (1: the last), or nullopt. It mostly
  // lies among the last few bytes, so this looks back over at most kLookBack
  // bytes; only beyond them does it bring the marks up to date, which keeps
  // the time linear when the output holds few syllable bytes.
  std::optional<Offset> Find(const HeldOutput& out, std::size_t n) {
    const Offset size = out.size();
    const Offset floor = std::max(out.passed(), size > kLookBack ? size - kLookBack : 0);
    const std::span<const unsigned char> last = out.RunFrom(floor);
    if (last.size() == size - floor) {  // no gap among the last bytes
      std::size_t left = n;
      bool kt_after = false;  // the byte after this one is the kt ending
      for (std::size_t i = last.size(); i-- > 0;) {
        const unsigned char byte = last[i];
        if ((syllable_[byte] || kt_after) && --left == 0) return floor + i;
        kt_after = byte == kt_end_;
      }
      if (floor == out.passed()) return std::nullopt;
    }
    Scan(out);
    return FromEnd(out, n);
  }

  // The n-th syllable byte from the end (1: the last), or nullopt. Scan first.
  std::optional<Offset> FromEnd(const HeldOutput& out, std::size_t n) const {
    if (out.size() > 0 && syllable_[out.back()]) {
      if (n == 1) return out.size() - 1;
      --n;
    }
    if (marks_.size() - first_ < n) return std::nullopt;
    return marks_[marks_.size() - n];
  }

  // The last byte is gone: the byte before it lost the byte after it.
  void Popped(const HeldOutput& out) {
    const Offset last = out.size() == 0 ? 0 : out.size() - 1;
    while (marks_.size() > first_ && marks_.back() >= last) marks_.pop_back();
    scanned_ = std::min(scanned_, last);
  }

  // n bytes went in at offset `at`: the marks after it move; the byte before
  // it and the new bytes are looked at again.
  void Inserted(const HeldOutput& out, Offset at, std::size_t n) {
    const Offset redo = at == 0 ? 0 : at - 1;
    if (scanned_ <= redo) return;
    std::array<Offset, 8> moved{};
    std::size_t count = 0;
    while (marks_.size() > first_ && marks_.back() >= redo) {
      const Offset mark = marks_.back();
      marks_.pop_back();
      if (mark < at) continue;
      if (count == moved.size()) {  // many marks after the insertion: scan again
        scanned_ = redo;
        while (marks_.size() > first_ && marks_.back() >= redo) marks_.pop_back();
        return;
      }
      moved[count++] = mark + n;
    }
    if (scanned_ <= at) {
      scanned_ = redo;
      return;
    }
    scanned_ += n;
    for (Offset o = redo; o < at + n; ++o) {
      if (IsSyllable(out, o)) marks_.push_back(o);
    }
    while (count > 0) marks_.push_back(moved[--count]);
  }

  // Forgets the marks before an offset (that output was passed on).
  void Forget(Offset before) {
    scanned_ = std::max(scanned_, before);
    first_ = static_cast<std::size_t>(
        std::lower_bound(marks_.begin() + static_cast<std::ptrdiff_t>(first_), marks_.end(),
                         before) -
        marks_.begin());
    if (first_ > 1024 && first_ * 2 > marks_.size()) {
      marks_.erase(marks_.begin(), marks_.begin() + static_cast<std::ptrdiff_t>(first_));
      first_ = 0;
    }
  }

  // No marks: for the output of a new text.
  void Clear() {
    marks_.clear();
    first_ = 0;
    scanned_ = 0;
  }

 private:
  static constexpr Offset kLookBack = 64;

  const std::array<bool, 256>& syllable_;
  int kt_end_ = kNone;
  std::vector<Offset> marks_;
  std::size_t first_ = 0;
  Offset scanned_ = 0;
};

}  // namespace
}  // namespace sfc
