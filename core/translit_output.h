// The output text of the Devanagari-to-transliteration conversion.
//
// The rules append pieces, read, remove or replace a few characters at the
// end, and insert a letter in front of the last consonant group (the back-r
// insertion and the kt scan). The text holds only the part that a rule may
// still reach: everything before a safe point is passed on and forgotten.
//
// What a rule can reach:
// - Removals take characters from the end: an "a" (before the short i, a
//   small letter, or as half of "aa"), a "t" of a final "tt", or the last
//   character a step itself wrote just before (o and au). So the text can
//   shrink at most through its last character and the "a" and "t" before it.
// - An insertion goes to the start of the consonant group that holds the
//   last consonant at or before one of the last two characters, and reads
//   the character before that start. Appending, removing at the end and
//   inserting the letters r and k (consonants) never moves that start back
//   beyond the start of the group found from the shortest end the removals
//   can leave.
// SafeFlushPoint computes that bound. A long group of consonants, or a long
// stretch of vowel marks before the last group, is held as a whole: memory
// then grows with it, time does not.
//
// Insertions far from the end go through a hole kept at the last insertion
// point, so that a run of them costs the distance moved, not the length of
// what follows. The last kNearEnd characters always lie together at the
// physical end of the buffer, so the common reads and removals at the end are
// plain pointer reads.
//
// Every access checks that it stays in the part held; a rule that reaches
// into the part already passed on is a bug and throws std::logic_error. Only
// the conversion in to_translit.cpp (and its tests) use this header.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"

namespace sfc::translit_output {

// A set of byte values, tested with one load.
class ByteSet {
 public:
  void set(std::size_t byte) { bits_[byte] = true; }
  void reset(std::size_t byte) { bits_[byte] = false; }
  bool operator[](std::size_t byte) const { return bits_[byte]; }

 private:
  std::array<bool, 256> bits_{};
};

inline std::size_t ByteOf(char c) { return static_cast<unsigned char>(c); }

// The letter scans differ in their vowel marks: the back-r insertion counts
// the apostrophe as one, the kt scan does not.
enum Scan : std::size_t { kBackRScan, kKtScan };

class OutputText {
 public:
  // Room that a caller may write into at End() after Reserve.
  static constexpr std::size_t kNearEnd = 16;

  OutputText(const ByteSet& back_r_marks, const ByteSet& kt_marks, bool record_edits)
      : marks_{back_r_marks, kt_marks}, record_edits_(record_edits) {
    Grow(kInitialCapacity);
  }

  // ---- Size ----

  // The length of the whole output so far, the part passed on included.
  std::uint64_t size() const { return base_ + Held(); }
  // How much of the output was passed on.
  std::uint64_t passed_on() const { return base_; }
  std::size_t Held() const { return static_cast<std::size_t>(end_ - buf_) - hole_; }

  // ---- Appending ----

  // Makes room for `count` bytes at End().
  void Reserve(std::size_t count) {
    if (static_cast<std::size_t>(limit_ - end_) < count) Grow(count);
  }
  // The physical end: after Reserve(n), up to n bytes may be written there
  // and then taken in with Advance or SetEnd.
  char* End() { return end_; }
  void SetEnd(char* end) { end_ = end; }
  void Advance(std::size_t count) { end_ += count; }
  // Where the buffer's room ends, and its start: at least kNearEnd bytes
  // before End() lie together when End() - Start() >= kNearEnd.
  char* Limit() { return limit_; }
  const char* Start() const { return buf_; }
  // An append: the clipboard is set to the text.
  void MarkAppended() {
    appended_ = true;
    if (!edits_.empty()) edits_.clear();
  }
  void SetAppended() { appended_ = true; }
  bool HasEdits() const { return !edits_.empty(); }
  void ClearEdits() { edits_.clear(); }

  void Append(std::string_view piece) {
    Reserve(piece.size());
    if (!piece.empty()) std::memcpy(end_, piece.data(), piece.size());
    end_ += piece.size();
    MarkAppended();
  }

  // ---- The end of the text ----

  // Whether the text ends with the one or two characters of `tail`.
  bool EndsWith(std::string_view tail) const {
    if (tail.size() > Held()) {
      if (tail.size() > size()) return false;
      ReachedPassedOn();
    }
    return std::memcmp(end_ - tail.size(), tail.data(), tail.size()) == 0;
  }
  bool EndsWith(char c) const {
    if (Held() == 0) {
      if (base_ == 0) return false;
      ReachedPassedOn();
    }
    return end_[-1] == c;
  }

  // Removes the last characters (all of them when the text is shorter).
  void RemoveLast(std::size_t count) {
    if (count > Held()) {
      if (base_ > 0) ReachedPassedOn();
      count = Held();
    }
    if (hole_ > 0 && static_cast<std::size_t>(end_ - AfterHole()) <= count + kNearEnd) {
      CloseHole();
    }
    if (record_edits_) {
      edits_.push_back({size() - count, 0, std::string(end_ - count, count)});
    }
    end_ -= count;
    for (RunCache& cache : caches_) cache.Truncate(size());
  }

  // Replaces the last characters without counting as an append.
  void ReplaceLast(std::size_t count, std::string_view bytes) {
    RemoveLast(count);
    if (record_edits_) edits_.push_back({size(), bytes.size(), {}});
    Reserve(bytes.size());
    if (!bytes.empty()) std::memcpy(end_, bytes.data(), bytes.size());
    end_ += bytes.size();
  }

  // ---- Insertion before the last consonant group ----

  // Puts a letter in front of the last consonant group, found with the
  // vowel marks of the scan, counting from `skip` characters before the end.
  void InsertBeforeLastConsonants(char letter, std::size_t skip, Scan scan) {
    const std::uint64_t at = InsertionPoint(skip, scan);
    InsertAt(at, letter);
    for (std::size_t s = 0; s < caches_.size(); ++s) {
      caches_[s].Inserted(at, marks_[s][ByteOf(letter)]);
    }
    if (record_edits_) {
      if (!edits_.empty() && edits_.back().at <= at &&
          at <= edits_.back().at + edits_.back().inserted) {
        ++edits_.back().inserted;  // next to the letters inserted just before
      } else {
        edits_.push_back({at, 1, {}});
      }
    }
  }

  // ---- Passing on ----

  // The point before which no rule can reach any more (see the top of the
  // file); at least passed_on(). Its searches fill the same cache as the
  // insertions, so that a long group is not searched again and again.
  std::uint64_t SafeFlushPoint() {
    const std::uint64_t n = size();
    if (n < 4) return base_;
    // The shortest end: the last character may go, and every "a" and "t"
    // before it.
    const std::uint64_t worn = BackWhile(n - 2, base_, [](char c) { return IsWornAway(c); });
    if (worn == kNone || worn < base_ + 1) return base_;
    const std::uint64_t shortest = worn + 1;
    std::uint64_t point = shortest;
    for (std::size_t scan = 0; scan < marks_.size(); ++scan) {
      // The start of the group of the last consonant at or before the
      // second-to-last character of that end, and the character before it.
      const std::uint64_t start = GroupStart(shortest - 2, static_cast<Scan>(scan));
      if (start == kNone || start <= base_ + 1) return base_;
      point = std::min(point, start - 1);
    }
    return point;
  }

  // Passes the text before `point` on to the sink.
  template <typename Sink>
  void PassOn(std::uint64_t point, Sink& sink) {
    if (point <= base_) return;
    const auto count = static_cast<std::size_t>(point - base_);
    char* const buf = buf_;
    if (hole_ == 0 || count <= gap_) {
      sink(std::string_view(buf, count));
    } else {
      sink(std::string_view(buf, gap_));
      sink(std::string_view(AfterHole(), count - gap_));
    }
    // The rest moves to the front; a hole in it stays.
    if (hole_ > 0 && count < gap_) {
      std::memmove(buf, buf + count, static_cast<std::size_t>(end_ - buf) - count);
      gap_ -= count;
      end_ -= count;
    } else {
      const char* const from = hole_ > 0 ? AfterHole() + (count - gap_) : buf + count;
      const auto rest = static_cast<std::size_t>(end_ - from);
      std::memmove(buf, from, rest);
      end_ = buf + rest;
      hole_ = 0;
    }
    base_ = point;
    for (RunCache& cache : caches_) cache.Forget(base_);
    // A buffer that grew for a long stretch shrinks again.
    const auto capacity = static_cast<std::size_t>(limit_ - buf);
    if (capacity > kShrinkAbove && Held() + hole_ < capacity / 8) Resize(capacity / 4);
  }
  template <typename Sink>
  void PassOnAll(Sink& sink) {
    PassOn(size(), sink);
  }

  // ---- The clipboard ----

  // Whether anything was appended: the clipboard was set.
  bool appended() const { return appended_; }
  // The edits since the last append, in absolute offsets; undone from the
  // last to the first they give the clipboard's text (with record_edits).
  const std::vector<ClipboardEdit>& edits() const { return edits_; }
  std::vector<ClipboardEdit> TakeEdits() && { return std::move(edits_); }

 private:
  static constexpr std::size_t kInitialCapacity = 1 << 12;
  static constexpr std::size_t kShrinkAbove = 1 << 20;
  static constexpr std::size_t kMinHole = 64;
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};
  // Zero bytes before the buffer: the two characters before End() can
  // always be read, and are never letters when the text is shorter.
  static constexpr std::size_t kGuard = 2;

  // What the text knows from earlier scans of one kind: the characters
  // [x, y) are consonants and x starts their group, and [y, v) are vowel
  // marks. Kept valid through appends, removals and insertions, so that a
  // run of insertions does not scan the same characters again.
  struct RunCache {
    std::uint64_t x = 0, y = 0, v = 0;
    bool valid = false;

    void Truncate(std::uint64_t size) {
      if (!valid) return;
      y = std::min(y, size);
      v = std::min(v, size);
      valid = x < y;
    }
    void Inserted(std::uint64_t at, bool vowel_mark) {
      if (!valid) return;
      if (vowel_mark) {
        valid = false;
      } else if (at < x) {
        ++x, ++y, ++v;
      } else if (at <= y) {
        ++y, ++v;
      } else if (at < v) {
        v = at;
      }
    }
    void Forget(std::uint64_t passed_on) { valid = valid && x >= passed_on; }
  };

  [[noreturn]] static void ReachedPassedOn() {
    throw std::logic_error(
        "Devanagari to transliteration: a rule reached output that was already passed on");
  }

  static bool IsWornAway(char c) { return c == 'a' || c == 't'; }

  char* AfterHole() const { return buf_ + gap_ + hole_; }

  // The start of the group of the last consonant at or before the character
  // `skip` places before the end; 0 when there is none.
  std::uint64_t InsertionPoint(std::size_t skip, Scan scan) {
    const std::uint64_t n = size();
    if (n <= skip) return 0;
    const std::uint64_t last = n - 1 - skip;
    std::uint64_t consonant;
    std::uint64_t start;
    if (NearEnd(skip, marks_[scan], consonant, start)) {
      UpdateCache(caches_[scan], start, consonant, last);
      return start;
    }
    start = GroupStart(last, scan);
    if (start == kNone) ReachedPassedOn();
    return start;
  }

  // The start of the group of the last consonant at or before `last` (0
  // when there is none), found back through the held text with the help of
  // the cache; kNone when the search would pass the start of the held text.
  std::uint64_t GroupStart(std::uint64_t last, Scan scan) {
    const ByteSet& marks = marks_[scan];
    RunCache& cache = caches_[scan];
    auto is_mark = [&marks](char c) { return marks[ByteOf(c)]; };
    auto is_consonant = [&marks](char c) { return !marks[ByteOf(c)]; };
    // Back over vowel marks to the last consonant.
    std::uint64_t consonant;
    if (cache.valid && last >= cache.y) {
      consonant = last < cache.v ? kNone : BackWhile(last, cache.v, is_mark);
      if (consonant == kNone) consonant = cache.y - 1;  // the marks run on to y
    } else {
      consonant = BackWhile(last, base_, is_mark);
      if (consonant == kNone) return base_ == 0 ? 0 : kNone;
    }
    // Back over consonants to the start of their group.
    std::uint64_t start;
    if (cache.valid && consonant >= cache.x && consonant < cache.y) {
      start = cache.x;
    } else if (cache.valid && consonant >= cache.y) {
      const std::uint64_t mark = BackWhile(consonant, cache.y, is_consonant);
      start = mark == kNone ? cache.x : mark + 1;
    } else {
      const std::uint64_t mark = BackWhile(consonant, base_, is_consonant);
      if (mark == kNone && base_ > 0) return kNone;
      start = mark == kNone ? 0 : mark + 1;
    }
    UpdateCache(cache, start, consonant, last);
    return start;
  }

  // Back from `from` to `stop` (both held, stop <= from + 1) while `pass`
  // holds: the position of the first character where it does not, kNone when
  // it holds down to stop.
  template <typename Pass>
  std::uint64_t BackWhile(std::uint64_t from, std::uint64_t stop, Pass pass) const {
    if (from + 1 <= stop) return kNone;
    if (stop < base_) ReachedPassedOn();
    const auto high = static_cast<std::size_t>(from - base_);
    const auto low = static_cast<std::size_t>(stop - base_);
    // The part after the hole, then the part before it.
    std::size_t i = high + 1;
    if (hole_ > 0 && i > gap_) {
      const char* const after = buf_ + hole_;
      const std::size_t floor = std::max(low, gap_);
      while (i > floor && pass(after[i - 1])) --i;
      if (i > floor) return base_ + i - 1;
    }
    while (i > low && pass(buf_[i - 1])) --i;
    return i > low ? base_ + i - 1 : kNone;
  }

  // The last consonant and the start of its group when both lie among the
  // last kWindow characters (and the character before the group too).
  bool NearEnd(std::size_t skip, const ByteSet& marks, std::uint64_t& consonant,
               std::uint64_t& start) const {
    static constexpr unsigned kWindow = 8;
    if (static_cast<std::size_t>(end_ - buf_) < kWindow) return false;
    unsigned mark_bits = 0;  // bit j: the character j places before the end is a mark
    for (unsigned j = 0; j < kWindow; ++j) {
      mark_bits |= static_cast<unsigned>(marks[ByteOf(end_[-1 - static_cast<int>(j)])]) << j;
    }
    const unsigned consonants = ~mark_bits & (0xffU << skip) & 0xffU;
    if (consonants == 0) return false;
    const int c = std::countr_zero(consonants);
    const unsigned before = mark_bits & (0xffU << c);
    if (before == 0) return false;
    const std::uint64_t n = size();
    consonant = n - 1 - static_cast<unsigned>(c);
    start = n - static_cast<unsigned>(std::countr_zero(before));
    return true;
  }

  // What the search for the group found, kept for the next search.
  static void UpdateCache(RunCache& cache, std::uint64_t start, std::uint64_t consonant,
                          std::uint64_t last) {
    if (cache.valid && start == cache.x && consonant + 1 <= cache.y) {
      if (consonant + 1 == cache.y) cache.v = std::max(cache.v, last + 1);
    } else {
      cache = {start, consonant + 1, last + 1, true};
    }
  }

  void InsertAt(std::uint64_t at, char letter) {
    if (at < base_) ReachedPassedOn();
    const auto i = static_cast<std::size_t>(at - base_);
    const std::size_t after = Held() - i;
    Reserve(kNearEnd + 1);
    if (after <= kNearEnd) {
      // The characters after the point move in one block of kNearEnd.
      char* const p = end_ - after;
      std::array<char, kNearEnd> moved;
      std::memcpy(moved.data(), p, kNearEnd);
      std::memcpy(p + 1, moved.data(), kNearEnd);
      *p = letter;
      ++end_;
      return;
    }
    char* const buf = buf_;
    if (hole_ == 0) {
      // A hole of an eighth of what follows: refilling it costs a move of
      // what follows once per that many insertions, and it takes little
      // fresh memory.
      const std::size_t hole = std::max(kMinHole, after / 8);
      Reserve(hole);
      char* const b = buf_;
      std::memmove(b + i + hole, b + i, after);
      gap_ = i;
      hole_ = hole;
      end_ += hole;
      b[gap_++] = letter;
      --hole_;
      return;
    }
    if (i < gap_) {
      std::memmove(buf + i + hole_, buf + i, gap_ - i);
    } else if (i > gap_) {
      std::memmove(buf + gap_, AfterHole(), i - gap_);
    }
    gap_ = i;
    buf[gap_++] = letter;
    --hole_;
  }

  void CloseHole() {
    const char* const from = AfterHole();
    const auto rest = static_cast<std::size_t>(end_ - from);
    std::memmove(buf_ + gap_, from, rest);
    end_ -= hole_;
    hole_ = 0;
  }

  void Grow(std::size_t count) {
    const auto used = static_cast<std::size_t>(end_ - buf_);
    const auto capacity = static_cast<std::size_t>(limit_ - buf_);
    Resize(std::max({capacity * 2, used + count + kNearEnd, kInitialCapacity}));
  }

  // A new size for the buffer, by realloc: large buffers grow without their
  // contents being copied.
  void Resize(std::size_t capacity) {
    const auto used = static_cast<std::size_t>(end_ - buf_);
    const bool fresh = storage_ == nullptr;
    char* const storage = static_cast<char*>(std::realloc(storage_.get(), kGuard + capacity));
    if (storage == nullptr) throw std::bad_alloc();
    (void)storage_.release();
    storage_.reset(storage);
    if (fresh) std::memset(storage, 0, kGuard);
    buf_ = storage + kGuard;
    end_ = buf_ + used;
    limit_ = buf_ + capacity;
  }

  // The held text: buf_[0, gap_), a hole of hole_ bytes, then the rest up
  // to end_; without a hole simply buf_[0, end_).
  struct Free {
    void operator()(char* storage) const { std::free(storage); }
  };
  std::unique_ptr<char, Free> storage_;
  char* buf_ = nullptr;  // kGuard bytes after the start of storage_
  char* end_ = nullptr;
  char* limit_ = nullptr;
  std::size_t gap_ = 0;
  std::size_t hole_ = 0;
  std::uint64_t base_ = 0;  // the output passed on before buf_[0]

  std::array<ByteSet, 2> marks_;
  std::array<RunCache, 2> caches_;
  bool record_edits_;
  bool appended_ = false;
  std::vector<ClipboardEdit> edits_;
};

}  // namespace sfc::translit_output
