// Transliteration to Devanagari: one letter or letter cluster per step, left
// to right over the padded text.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion.h"
#include "drop_tracker.h"
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

  // Makes room for n more bytes at the end, closing the gap.
  SFC_NO_INLINE void Grow(std::size_t n) {
    const std::size_t before_gap = gap_ - begin_;
    const std::size_t after = end_ - after_gap_;
    const std::size_t len = before_gap + after;
    const std::size_t size = kRoom + std::max(2 * len, len + n) + kRoom;
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

// What the dispatch decides for a current letter.
enum class Rule : unsigned char {
  kDrop,
  kCluster,
  kA,
  // vowel letters other than "a"
  kLongA,
  kE,
  kI,
  kLongI,
  kO,
  kU,
  kLongU,
  kVocalicR,
  kLongVocalicR,
  kVocalicL,
  kLongVocalicL,
  // letters that join their neighbours
  kR,
  kY,
  // signs, spaces and punctuation
  kVisarga,
  kAnusvara,
  kSpace,
  kLineEnd,
  kDigit,
  kApostrophe,
  kAltSpace,
  kDash,
  kSlash,
  kSign,         // a sign row, 27 before "a"
  kPunctuation,  // a fixed control byte
  kPlus,
  kUnderscore,
};

// How the short way writes a cluster before the letter after it.
enum class AfterCluster : unsigned char {
  kHalf,
  kFull,             // before a vowel letter or r
  kFullAndAspirata,  // before a space
  kFullWay,          // the cluster takes the full way of a step
};

struct Dispatch {
  Rule rule = Rule::kDrop;
  unsigned char arg = 0;  // ClusterLetter, sign row or punctuation byte
};

struct DispatchEntry {
  int letter;  // kNone: the font has no such letter
  Dispatch dispatch;
};

// Letters that write a sign row, 27 after it before an "a".
constexpr std::array<std::pair<int, int>, 8> kSignRows = {{{232, Row::kSign232},
                                                           {154, Row::kSign154},
                                                           {158, Row::kSign158},
                                                           {'f', Row::kSignF},
                                                           {'q', Row::kSignQ},
                                                           {'w', Row::kSignW},
                                                           {'x', Row::kSignX},
                                                           {'z', Row::kSignZ}}};

// The bytes 0 to 31, for the punctuation written as one of them.
constexpr std::string_view kControlBytes(
    "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
    "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f",
    32);

// Punctuation written as a fixed control byte.
constexpr std::array<std::pair<int, int>, 19> kPunctuation = {{{'~', 1},
                                                               {'{', 2},
                                                               {96, 3},
                                                               {',', 4},
                                                               {'.', 5},
                                                               {';', 6},
                                                               {':', 15},
                                                               {'<', 17},
                                                               {'>', 18},
                                                               {'!', 19},
                                                               {'#', 20},
                                                               {'$', 21},
                                                               {'%', 22},
                                                               {'&', 23},
                                                               {'*', 24},
                                                               {'(', 25},
                                                               {')', 26},
                                                               {'?', 28},
                                                               {'=', 29}}};

// How a Devanagari font joins an r or a u to the glyph written before it.
struct GlyphWithR {
  int glyph;
  std::string_view with_r;  // the glyph and the r, written together
};
struct FontJoins {
  std::string_view r_below;  // glyphs that take the r as the half-r sign
  int n_before_r;            // the n glyph that an r turns into the nra row, or kNone
  std::span<const GlyphWithR> r_forms;
  int u_after;                // the glyph that a u joins to, or kNone
  std::string_view u_joined;  // that glyph's u sign
};
constexpr std::array<GlyphWithR, 4> kSanskrit99RForms = {
    {{'f', "\xe1r"}, {'q', "Wr"}, {'y', "Yr"}, {'W', ":r"}}};
constexpr FontJoins kVedicJoins{"./bfgmpqvW", 'n', {}, 'k', "\xda"};
constexpr FontJoins kDevNatrajItrJoins{"\x87\xa4\xa7\xa2T\xaa\x9cs\xc4\xae", 140, {}, kNone, {}};
constexpr FontJoins kSanskrit99Joins{{}, kNone, kSanskrit99RForms, kNone, {}};
constexpr FontJoins kOtherFontJoins{{}, kNone, {}, kNone, {}};

const FontJoins& JoinsOf(std::string_view font_name) {
  const std::optional<DevanagariFont> font = FindDevanagariFont(font_name);
  if (!font) return kOtherFontJoins;
  switch (*font) {
    case DevanagariFont::kVedic:
      return kVedicJoins;
    case DevanagariFont::kDevNatrajItr:
      return kDevNatrajItrJoins;
    case DevanagariFont::kSanskrit99:
      return kSanskrit99Joins;
  }
  return kOtherFontJoins;
}

}  // namespace

class ToDevanagariStream::Engine {
 public:
  Engine(ConverterState& state, bool shift_m_to_n, InputBox input_box, OutputSink sink,
         StreamOptions options)
      : state_(state),
        table_(state.sanideva),
        shift_m_to_n_(shift_m_to_n),
        input_box_(std::move(input_box)),
        sink_(std::move(sink)),
        options_(options),
        joins_(JoinsOf(state.devanagari_box_font)),
        profile_(ProfileForFont(state.devanagari_box_font)),
        marks_(short_i_syllable_, KtEndByte(state.sanideva)),
        drops_(options_.on_drop) {
    ReadLetters();
    BuildDispatch();
    for (int c : std::initializer_list<int>{'a', 'e', 'i', 'o', 'u', long_a_, long_i_, vocalic_r_,
                                            long_vocalic_r_, long_u_}) {
      if (c != kNone) vowel_letter_[static_cast<std::size_t>(c)] = true;
    }
    for (std::size_t byte = 0; byte < 256; ++byte)
      short_i_syllable_[byte] = state.short_i[byte] == "y";
    for (std::size_t c = 0; c < 256; ++c) after_cluster_[c] = AfterClusterOf(static_cast<int>(c));
    aspirata_first_ =
        FirstBytesOf({Row::kAspirata1, Row::kAspirata2, Row::kAspirata3, Row::kAspirata4});
    opens_ya_first_ =
        FirstBytesOf({Row::kVelarNa, Row::kCha, Row::kRetroflexDa, Row::kDa, Row::kRa,
                      Row::kRetroflexDha, Row::kJha, Row::kRetroflexTa, Row::kRetroflexTha});
    std::size_t longest_key = 0;
    for (const std::string& key : table_.key) longest_key = std::max(longest_key, key.size());
    look_ahead_ = longest_key + 8;
    passes_on_ =
        !options_.hold_output && RemovalsReplaceWhatTheyRemove() && ShortISignCountsAsSyllable();
    next_pass_ = options_.pass_on_threshold;
    work_.Append(" ");
    appended_ = 1;
  }

  void Feed(std::string_view block) {
    if (ended_) {
      left_after_end_ += block.size();
      return;
    }
    drops_.Fed(block);
    work_.Append(block);
    appended_ += block.size();
    // The held output is looked at every few steps; a step writes a few bytes.
    for (std::size_t steps = 1; work_.size() >= look_ahead_; ++steps) {
      if (ShortStep() ? run_ends_ : !Step()) {
        ended_ = true;
        break;
      }
      if (steps % kStepsPerLook == 0 && output_.held() >= next_pass_) MaybePassOn();
    }
    SettleDrops();
    MaybePassOn();
  }

  // Ready for a new text after Finish: the members of the run as a new
  // engine has them; the tables worked out for the stream are kept.
  void Restart() {
    work_.Clear();
    work_.Append(" ");
    appended_ = 1;
    ended_ = false;
    run_ends_ = false;
    left_after_end_ = 0;
    output_.Clear();
    marks_.Clear();
    next_pass_ = options_.pass_on_threshold;
    off_clipboard_.clear();
    doubled_ = 0;
    pending_repha_ = nullptr;
    word_start_ = false;
    asked_.clear();
    drops_ = DropTracker(options_.on_drop);
    inserted_ = 0;
    erased_ = 0;
    letter_events_.clear();
    inserted_passed_ = 0;
    erased_passed_ = 0;
  }

  StreamEnd Finish() {
    if (ended_) {
      ++left_after_end_;  // the closing space
    } else {
      work_.Append(" ");
      ++appended_;
      while (Step()) {
      }
    }
    StreamEnd end;
    end.completed = work_.size() + left_after_end_ < 3;
    // The current letter is the one whose step could not go on.
    if (!end.completed) end.stop = drops_.Stop(InputOffsetOf(StreamFront() + 1));
    drops_.Settle(appended_);
    output_.PassOn(output_.size(), sink_);
    end.input_boxes = std::move(asked_);
    end.dropped = drops_.Take();
    if (options_.clipboard) {
      end.clipboard_set = true;
      for (const HeldOutput::Offset at : off_clipboard_) end.clipboard_edits.push_back({at, 1, {}});
    }
    return end;
  }

 private:
  // A special letter of the table in force, when it is one byte.
  int LetterOf(Letter letter) const {
    const std::string& key = table_.key[static_cast<std::size_t>(LetterRow(letter))];
    return key.size() == 1 ? static_cast<unsigned char>(key[0]) : kNone;
  }

  void ReadLetters() {
    long_a_ = LetterOf(Letter::kLongA);
    long_i_ = LetterOf(Letter::kLongI);
    long_u_ = LetterOf(Letter::kLongU);
    vocalic_r_ = LetterOf(Letter::kVocalicR);
    long_vocalic_r_ = LetterOf(Letter::kLongVocalicR);
    retroflex_d_ = LetterOf(Letter::kRetroflexD);
    visarga_ = LetterOf(Letter::kVisarga);
    anusvara_ = LetterOf(Letter::kAnusvara);
    velar_n_ = LetterOf(Letter::kVelarN);
    palatal_n_ = LetterOf(Letter::kPalatalN);
    retroflex_n_ = LetterOf(Letter::kRetroflexN);
    palatal_s_ = LetterOf(Letter::kPalatalS);
    retroflex_s_ = LetterOf(Letter::kRetroflexS);
    retroflex_t_ = LetterOf(Letter::kRetroflexT);
    vocalic_l_ = LetterOf(Letter::kVocalicL);
    long_vocalic_l_ = LetterOf(Letter::kLongVocalicL);
    independent_l_ = Cell(table_.full[Row::kLa] + table_.half[Row::kVocalicR]);
    dependent_l_ = Cell(table_.half[Row::kLongA] + table_.half[Row::kVocalicR]);
    word_start_long_a_ = Cell(table_.full[Row::kA] + table_.half[Row::kLongA]);
    word_start_o_ = Cell(table_.full[Row::kA] + table_.half[Row::kO]);
    word_start_ai_ = Cell(table_.full[Row::kE] + table_.half[Row::kE]);
    word_start_au_ = Cell(table_.full[Row::kA] + table_.half[Row::kAu]);
    const std::string& aspirata = table_.full[Row::kAspirata1];
    for (std::size_t row = 0; row < kSyllableTableSize; ++row) {
      CellsOf(AfterCluster::kHalf)[row] = Cell(table_.half[row]);
      CellsOf(AfterCluster::kFull)[row] = Cell(table_.full[row]);
      CellsOf(AfterCluster::kFullAndAspirata)[row] = Cell(table_.full[row] + aspirata);
    }
  }

  // The dispatch table: for every byte the first rule that matches it.
  // Filled from the last rule to the first so that earlier rules win.
  void BuildDispatch() {
    const std::vector<DispatchEntry> order = RuleOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (it->letter >= 0 && it->letter < 256) {
        dispatch_[static_cast<std::size_t>(it->letter)] = it->dispatch;
      }
    }
  }

  // The rules in the order they are tried: the letters of the current
  // transliteration font first, then signs and punctuation.
  std::vector<DispatchEntry> RuleOrder() const {
    using CL = ClusterLetter;
    auto cluster = [](CL letter) {
      return Dispatch{Rule::kCluster, static_cast<unsigned char>(letter)};
    };
    auto simple = [](Rule rule) { return Dispatch{rule, 0}; };
    std::vector<DispatchEntry> order = {
        {long_a_, simple(Rule::kLongA)},
        {'a', simple(Rule::kA)},
        {'b', cluster(CL::kB)},
        {'c', cluster(CL::kC)},
        {'d', cluster(CL::kD)},
        {retroflex_d_, cluster(CL::kRetroflexD)},
        {'e', simple(Rule::kE)},
        {'g', cluster(CL::kG)},
        {'h', cluster(CL::kH)},
        {visarga_, simple(Rule::kVisarga)},
        {'i', simple(Rule::kI)},
        {long_i_, simple(Rule::kLongI)},
        {'j', cluster(CL::kJ)},
        {'k', cluster(CL::kK)},
        {'l', cluster(CL::kL)},
        {'m', cluster(CL::kM)},
        {anusvara_, simple(Rule::kAnusvara)},
        {'n', cluster(CL::kN)},
        {velar_n_, cluster(CL::kVelarN)},
        {retroflex_n_, cluster(CL::kRetroflexN)},
        {'o', simple(Rule::kO)},
        {'p', cluster(CL::kP)},
        {'r', simple(Rule::kR)},
        {long_vocalic_r_, simple(Rule::kLongVocalicR)},
        {vocalic_r_, simple(Rule::kVocalicR)},
        {'s', cluster(CL::kS)},
        {palatal_s_, cluster(CL::kPalatalS)},
        {retroflex_s_, cluster(CL::kRetroflexS)},
        {'t', cluster(CL::kT)},
        {retroflex_t_, cluster(CL::kRetroflexT)},
        {palatal_n_, cluster(CL::kPalatalN)},
        {'u', simple(Rule::kU)},
        {long_u_, simple(Rule::kLongU)},
        {'v', cluster(CL::kV)},
        {'y', simple(Rule::kY)},
        {' ', simple(Rule::kSpace)},
        {vocalic_l_, simple(Rule::kVocalicL)},
        {long_vocalic_l_, simple(Rule::kLongVocalicL)},
        {10, simple(Rule::kLineEnd)},
        {13, simple(Rule::kLineEnd)},
    };
    for (int digit = '0'; digit <= '9'; ++digit) order.push_back({digit, simple(Rule::kDigit)});
    order.push_back({'\'', simple(Rule::kApostrophe)});
    order.push_back({160, simple(Rule::kAltSpace)});
    order.push_back({'-', simple(Rule::kDash)});
    order.push_back({150, simple(Rule::kDash)});  // the long dash reads as "-"
    order.push_back({'/', simple(Rule::kSlash)});
    for (const auto& [letter, row] : kSignRows) {
      order.push_back({letter, {Rule::kSign, static_cast<unsigned char>(row)}});
    }
    for (const auto& [letter, byte] : kPunctuation) {
      order.push_back({letter, {Rule::kPunctuation, static_cast<unsigned char>(byte)}});
    }
    order.push_back({'+', simple(Rule::kPlus)});
    order.push_back({'_', simple(Rule::kUnderscore)});
    return order;
  }

  // The first bytes of the glyphs of some rows.
  std::array<bool, 256> FirstBytesOf(std::initializer_list<int> rows) const {
    std::array<bool, 256> first{};
    for (const int row : rows) {
      if (!Full(row).empty()) first[static_cast<unsigned char>(Full(row)[0])] = true;
    }
    return first;
  }

  // How a cluster is written in the short way before a letter.
  AfterCluster AfterClusterOf(int n) const {
    if (n == ' ') return AfterCluster::kFullAndAspirata;
    if (IsDash(n) || n == '_' || n == 160) return AfterCluster::kFullWay;
    if (IsVowelLetter(n) || n == 'r') return AfterCluster::kFull;
    return shift_m_to_n_ ? AfterCluster::kFullWay : AfterCluster::kHalf;
  }

  // ---- letters of the work buffer ----
  int Previous() const { return work_.At(0); }
  int Current() const { return work_.At(1); }
  int Next() const { return work_.LastOfFirst(3); }
  int AfterNext() const { return work_.LastOfFirst(4); }

  bool IsVowelLetter(int c) const {
    return c != kNone && vowel_letter_[static_cast<std::size_t>(c)];
  }
  static bool IsDash(int c) { return c == '-' || c == 150; }
  bool BeginsWord() const {
    const int p = Previous();
    return p == 10 || p == 13 || p == 32;
  }

  // ---- the output ----
  int LastByte() const { return output_.empty() ? kNone : output_.back(); }
  // A single byte equals a glyph string only when that string is one byte.
  static bool Equals(int byte, const std::string& glyph) {
    return byte != kNone && glyph.size() == 1 && static_cast<unsigned char>(glyph[0]) == byte;
  }
  // False (and the run ends) when the output is empty.
  [[nodiscard]] bool RemoveLastByte() {
    if (output_.empty()) return RunEnds();
    output_.pop_back();
    marks_.Popped(output_);
    SyncClipboard();
    return true;
  }
  // The rule that the run goes on until a step fails: a step that fails
  // records it here and returns at once, and Step and ShortStep end the
  // run. (The work buffer can only run out in Finish, where the look-ahead
  // is no longer kept; the output only before a dash that follows "_".)
  bool RunEnds() {
    run_ends_ = true;
    return false;
  }
  // The clipboard equals the output except for the bytes 27 written for a
  // separate "a" since the clipboard was last set to the whole output.
  void SyncClipboard() { off_clipboard_.clear(); }

  const std::string& Full(int row) const { return table_.full[static_cast<std::size_t>(row)]; }
  const std::string& Half(int row) const { return table_.half[static_cast<std::size_t>(row)]; }
  std::array<Cell, kSyllableTableSize>& CellsOf(AfterCluster after) {
    return cells_[static_cast<std::size_t>(after)];
  }
  const Cell& CellOf(AfterCluster after, int row) const {
    return cells_[static_cast<std::size_t>(after)][static_cast<std::size_t>(row)];
  }
  const Cell& FullCell(int row) const { return CellOf(AfterCluster::kFull, row); }
  const Cell& HalfCell(int row) const { return CellOf(AfterCluster::kHalf, row); }

  SFC_ALWAYS_INLINE void TakeRepha() {
    if (pending_repha_ == nullptr) return;
    output_ += *pending_repha_;
    pending_repha_ = nullptr;
  }

  // ---- one step ----
  // False when the step failed: the run ends.
  bool Step() {
    if (work_.empty()) return false;
    DashLookAhead();
    const int current = Current();
    const Dispatch d = current == kNone ? Dispatch{} : dispatch_[static_cast<std::size_t>(current)];
    switch (d.rule) {
      case Rule::kDrop:
        if (current != kNone) Dropped(static_cast<unsigned char>(current));
        break;
      case Rule::kCluster:
        if (!Cluster(static_cast<ClusterLetter>(d.arg))) return !run_ends_;
        break;
      case Rule::kA:
        if (!LetterA(Previous(), Next())) return !run_ends_;
        break;
      case Rule::kR:
        LetterR();
        break;
      case Rule::kY:
        LetterY();
        break;
      default:
        if (d.rule < Rule::kR) {
          VowelLetter(d.rule);
        } else {
          SignOrPunctuation(d, current);
        }
    }
    return !run_ends_ && Emit();
  }

  // The short way of a step, while the buffer holds the look-ahead: the same
  // output as Step, without its checks on the buffer's end, and the common
  // clusters without the full cluster rule. False when the step needs the
  // full way (the dash look-ahead may act, a letter to drop, a cluster the
  // short way leaves alone); nothing has changed then.
  bool ShortStep() {
    const unsigned char* letters = work_.Letters();  // previous, current, next, ...
    if (IsDash(letters[3]) && state_.dash_state == kDashArmed) return false;
    const Dispatch d = dispatch_[letters[1]];
    std::size_t taken = 1;
    switch (d.rule) {
      case Rule::kCluster:
        taken = ShortCluster(static_cast<ClusterLetter>(d.arg), letters);
        if (taken == 0) return false;
        break;
      case Rule::kA:
        if (!LetterA(letters[0], letters[2])) return true;
        break;
      case Rule::kSpace:
        TakeRepha();
        output_ += ' ';
        break;
      case Rule::kR:
        LetterR();
        break;
      case Rule::kY:
        LetterY();
        break;
      case Rule::kLongA:  // the commonest vowel letter after "a", inline
        Vowel(word_start_long_a_, HalfCell(Row::kLongA));
        break;
      default:  // the vowel letters other than "a" lie between kA and kR
        if (d.rule <= Rule::kA) return false;
        if (d.rule < Rule::kR) {
          VowelLetter(d.rule);
        } else {
          SignOrPunctuation(d, letters[1]);
        }
    }
    if (run_ends_) return true;  // the caller ends the run
    work_.RemoveFirst(taken);
    return true;
  }

  // A cluster the short way: the letters it takes, or 0 for the full way
  // (a doubled consonant; a dash, an underscore or a hard space after it; an
  // m that may be written as n). Nothing has changed when it returns 0.
  std::size_t ShortCluster(ClusterLetter letter, const unsigned char* letters) {
    const unsigned char first_letter = letters[1];
    const KeyTree& tree = TreeFor(letter, first_letter);
    int matched = tree.base;
    std::size_t taken = 1;
    std::size_t node = 0;
    for (;;) {
      const int child = tree.Child(node, letters[taken + 1]);
      if (child < 0) break;
      node = static_cast<std::size_t>(child);
      matched = tree.nodes[node].row;
      ++taken;
    }
    if (taken == 2 && letters[2] == first_letter) return 0;
    const AfterCluster after = after_cluster_[letters[taken + 1]];
    if (after == AfterCluster::kFullWay) return 0;
    output_ += CellOf(after, matched);
    return taken;
  }

  // A vowel letter other than "a".
  void VowelLetter(Rule rule) {
    switch (rule) {
      case Rule::kLongA:
        return Vowel(word_start_long_a_, HalfCell(Row::kLongA));
      case Rule::kE:
        return Vowel(FullCell(Row::kE), HalfCell(Row::kE));
      case Rule::kI:
        if (BeginsWord()) {
          output_ += FullCell(Row::kI);
        } else {
          ShortI();
        }
        return;
      case Rule::kLongI:
        return Vowel(FullCell(Row::kLongI), HalfCell(Row::kLongI));
      case Rule::kO:
        return LetterO();
      case Rule::kU:
        return LetterU();
      case Rule::kLongU:
        return Vowel(FullCell(Row::kLongU), HalfCell(Row::kLongU));
      case Rule::kVocalicR:
        return Vowel(FullCell(Row::kVocalicR), HalfCell(Row::kVocalicR));
      case Rule::kLongVocalicR:
        return Vowel(FullCell(Row::kLongVocalicR), HalfCell(Row::kLongVocalicR));
      case Rule::kVocalicL:
        return Vowel(independent_l_, dependent_l_);
      case Rule::kLongVocalicL:
        output_ += FullCell(Row::kNam);
        return;
      default:
        return;
    }
  }

  void SignOrPunctuation(Dispatch d, int current) {
    switch (d.rule) {
      case Rule::kVisarga:
        output_ += FullCell(Row::kVisarga);
        return;
      case Rule::kAnusvara:
        if (Equals(LastByte(), Half(Row::kRa))) {
          if (!RemoveLastByte()) return;
          output_ += FullCell(Row::kRephaAnusvara);
        } else {
          output_ += HalfCell(Row::kAnusvara);
        }
        return;
      case Rule::kSpace:
        TakeRepha();
        output_ += ' ';
        return;
      case Rule::kLineEnd:
      case Rule::kDigit:
        output_ += static_cast<char>(current);
        return;
      case Rule::kApostrophe:
        if (LastByte() == ' ' && !RemoveLastByte()) return;
        output_ += FullCell(Row::kApostrophe);
        return;
      case Rule::kDash:
        if (Previous() == '_') {
          if (!RemoveLastByte()) return;
          state_.dash_state = kDashArmed;
        }
        output_ += FullCell(Row::kDash);
        return;
      case Rule::kSign:
        output_ += FullCell(d.arg);
        if (Next() == 'a') output_ += '\x1b';
        return;
      default:
        output_ += FixedPiece(d);
    }
  }

  // What a letter writes whatever its neighbours.
  std::string_view FixedPiece(Dispatch d) const {
    switch (d.rule) {
      case Rule::kAltSpace:
        return "\x1f";
      case Rule::kSlash:
        return Full(Row::kSlash);
      case Rule::kPunctuation:
        return kControlBytes.substr(d.arg, 1);
      case Rule::kPlus:
        return Full(Row::kPlusSign);
      case Rule::kUnderscore:
        return Full(Row::kUnderscore);
      default:
        return {};
    }
  }

  [[nodiscard]] bool Emit() { return work_.RemoveFront() || RunEnds(); }

  // ---- where the letters of the work buffer came from ----
  // The letters that ever stood in the work buffer, in order, make a stream:
  // the padded input with the underscores the dash look-ahead inserted and
  // without the dashes it erased. Both happen rarely and never behind the
  // current letter; each is kept as an event until the current letter has
  // passed it, then only counted.

  // The stream position of the buffer's first letter.
  std::uint64_t StreamFront() const { return appended_ + inserted_ - erased_ - work_.size(); }

  // The input offset of the letter at a stream position (for an inserted
  // letter, of the input letter after it). Positions asked must not go back.
  std::uint64_t InputOffsetOf(std::uint64_t position) {
    std::erase_if(letter_events_, [&](const LetterEvent& event) {
      const bool passed = event.inserted ? event.at < position : event.at <= position;
      if (passed) ++(event.inserted ? inserted_passed_ : erased_passed_);
      return passed;
    });
    std::uint64_t offset = position - inserted_passed_ + erased_passed_;
    return offset == 0 ? 0 : offset - 1;  // the padding before the input
  }

  // A letter inserted before, or erased at, index 3 of the work buffer.
  void InsertLetter(char letter) {
    const std::uint64_t at = StreamFront() + 3;
    InputOffsetOf(StreamFront() + 1);  // counts the events passed
    for (LetterEvent& event : letter_events_) {
      if (event.at >= at) ++event.at;
    }
    letter_events_.push_back({at, true});
    ++inserted_;
    work_.Insert(3, letter);
  }
  void EraseLetter() {
    const std::uint64_t at = StreamFront() + 3;
    InputOffsetOf(StreamFront() + 1);
    for (LetterEvent& event : letter_events_) {
      if (event.at > at) --event.at;
    }
    letter_events_.push_back({at, false});
    ++erased_;
    work_.Erase(3);
  }

  // Drops to come lie at the current letter or after it.
  SFC_NO_INLINE void SettleDrops() { drops_.Settle(InputOffsetOf(StreamFront() + 1)); }

  // The current letter wrote nothing and no rule took it.
  SFC_NO_INLINE void Dropped(unsigned char letter) {
    drops_.Drop(letter, InputOffsetOf(StreamFront() + 1));
  }

  // A rule that reads two letters takes the second. When the buffer has
  // none, the run ends (the step's emit finds it empty too).
  void RemoveExtraLetter() {
    if (!work_.RemoveFront()) RunEnds();
  }

  // An underscore goes before a dash that follows a consonant, so that the
  // consonant keeps its full form; or the dash is dropped.
  void DashLookAhead() {
    if (state_.dash_state != kDashArmed || !IsDash(AfterNext())) return;
    const int next = Next();
    if (IsVowelLetter(next) || (next != kNone && next == anusvara_)) return;
    if (work_.size() < 4) return;  // the dash is not the fourth letter
    if (state_.dash_mode == kDashAddAspirata) {
      InsertLetter('_');
      state_.dash_state = kDashWaiting;
    } else {
      EraseLetter();
    }
  }

  // A vowel letter other than "a", "i" after a consonant, "o", "u" and ḹ.
  SFC_ALWAYS_INLINE void Vowel(const Cell& word_start, const Cell& after_consonant) {
    if (BeginsWord()) {
      output_ += word_start;
    } else {
      output_ += after_consonant;
      TakeRepha();
    }
  }

  void LetterO() {
    if (!BeginsWord()) {
      output_ += HalfCell(Row::kO);
      TakeRepha();
    } else if (Next() != kNone && Next() == anusvara_) {
      output_ += FullCell(Row::kOm);
      RemoveExtraLetter();
    } else {
      output_ += word_start_o_;
    }
  }

  void LetterU() {
    if (BeginsWord()) {
      output_ += FullCell(Row::kU);
      return;
    }
    if (joins_.u_after != kNone && LastByte() == joins_.u_after) {
      output_ += joins_.u_joined;
    } else {
      output_ += HalfCell(Row::kU);
    }
    TakeRepha();
  }

  // Returns false when the step ended on its own (no emit).
  SFC_ALWAYS_INLINE bool LetterA(int previous, int next) {
    if (previous == 10 || previous == 13 || previous == 32 || IsDash(previous)) {
      word_start_ = true;
    } else if (previous == 'a' || previous == 'e' || previous == 'i' || previous == 'o' ||
               previous == 'u') {
      if (shift_m_to_n_) {
        // A separately written "a": a mark in the text, not on the clipboard.
        if (options_.clipboard) off_clipboard_.push_back(output_.size());
        output_ += '\x1b';
        if (!work_.RemoveFront()) RunEnds();
        return false;
      }
    } else {
      word_start_ = false;
    }
    if (next == 'i') {
      if (word_start_) {
        output_ += word_start_ai_;
      } else {
        output_ += HalfCell(Row::kAi);
        TakeRepha();
      }
      RemoveExtraLetter();
    } else if (next == 'u') {
      if (word_start_) {
        output_ += word_start_au_;
      } else {
        output_ += HalfCell(Row::kAu);
        TakeRepha();
      }
      RemoveExtraLetter();
    } else {
      if (word_start_) {
        output_ += FullCell(Row::kA);
        pending_repha_ = nullptr;  // a word's first "a" drops a repha held back
      }
      TakeRepha();
    }
    return true;
  }

  // The short-i sign is written before the cluster it follows in speech:
  // after the second syllable glyph from the end.
  void ShortI() {
    const HeldOutput::Offset len = output_.size();
    const std::optional<HeldOutput::Offset> second = marks_.Find(output_, 2);
    const HeldOutput::Offset stop = second ? len - 1 - *second : len;  // counted from the end
    HeldOutput::Offset k = stop;  // stop - 1 when the byte after it is an r or kt ending
    if (stop >= 1) {
      const int byte = output_[len - stop];
      if (Equals(byte, Half(Row::kRa)) || Equals(byte, Full(Row::kKtaEnd)) ||
          Equals(byte, Full(Row::kHalfR)))
        k = stop - 1;
    }
    const std::string* sign = &Half(Row::kI);
    if (k > 1 && !(k == 2 && BracketAfter(len - stop))) sign = &Full(Row::kISignWide);
    output_.Insert(len - k, *sign);
    marks_.Inserted(output_, len - k, sign->size());
    TakeRepha();
    SyncClipboard();
  }

  // Whether a "[" that is no syllable glyph lies from an offset to the end.
  bool BracketAfter(HeldOutput::Offset from) const {
    for (HeldOutput::Offset at = from; at < output_.size(); ++at) {
      if (output_[at] == '[' && !marks_.IsSyllable(output_, at)) return true;
    }
    return false;
  }

  void LetterY() {
    const int previous = Previous();
    const bool after_letter =
        !(previous == 10 || previous == 13 || previous == 32 || previous == 150 || previous == 160);
    const int g = LastByte();
    const bool after_aspirata = after_letter && g != kNone && aspirata_first_[g];
    if (!after_aspirata) {
      const int next = Next();
      if (next == 'a' || next == 'e' || next == 'i' || next == 'u' ||
          (next != kNone && (next == vocalic_r_ || next == long_vocalic_r_ || next == long_u_))) {
        output_ += FullCell(Row::kYa);  // the vowel's own chunk writes the pending repha
      } else if (next != kNone && (next == long_a_ || next == long_i_ || next == 'o')) {
        output_ += FullCell(Row::kYa);
      } else if (next == ' ') {
        output_ += FullCell(Row::kYa);
        TakeRepha();
        output_ += FullCell(Row::kAspirata1);
      } else {
        output_ += HalfCell(Row::kYa);
      }
      return;
    }
    const int before = output_.size() >= 2 ? output_[output_.size() - 2] : kNone;
    if (before != kNone && opens_ya_first_[before]) {
      if (!RemoveLastByte()) return;
      output_ += FullCell(Row::kOpenYa);
    } else {
      output_ += FullCell(Row::kYa);
    }
    TakeRepha();
  }

  void LetterR() {
    int previous = Previous();
    if (previous == 13 || previous == 10) previous = 'a';
    const int next = Next();
    if (previous == '\'' || previous == ' ' || IsVowelLetter(previous)) {
      if (next == 'u') {
        output_ += FullCell(Row::kRu);
        RemoveExtraLetter();
      } else if (next != kNone && next == long_u_) {
        output_ += FullCell(Row::kRLongU);
        RemoveExtraLetter();
      } else if (IsVowelLetter(next)) {
        output_ += FullCell(Row::kRa);
      } else if (next == ' ' || next == '_') {
        output_ += FullCell(Row::kRa);
        output_ += FullCell(Row::kAspirata1);
      } else if (IsDash(next)) {
        output_ += FullCell(Row::kRa);
      } else {
        pending_repha_ = &HalfCell(Row::kRa);
      }
      return;
    }
    if (previous == '_') {
      output_ += FullCell(Row::kRa);
      return;
    }
    // r after a consonant joins its cluster.
    const int g = LastByte();
    bool done = false;
    auto removes_n = [&](int n_glyph) {
      if (g != n_glyph || Full(Row::kNra) == " ") return false;
      if (!RemoveLastByte()) return true;  // the run ends
      output_ += FullCell(Row::kNra);
      return true;
    };
    if (g != kNone && joins_.r_below.find(static_cast<char>(g)) != std::string_view::npos) {
      output_ += FullCell(Row::kHalfR);
      done = true;
    } else if (const std::string_view* form = RForm(g)) {
      output_ += *form;
      done = true;
    } else if (joins_.n_before_r != kNone) {
      done = removes_n(joins_.n_before_r);
      if (run_ends_) return;
    }
    if (!done) output_ += Equals(g, Full(Row::kDash)) ? Full(Row::kRa) : Full(Row::kHalfRUpper);
    if (!IsVowelLetter(next)) output_ += FullCell(Row::kAspirata1);
  }

  // The bytes an r after the glyph g is written as, when the font has a form
  // of its own for the pair.
  const std::string_view* RForm(int g) const {
    for (const GlyphWithR& form : joins_.r_forms) {
      if (form.glyph == g) return &form.with_r;
    }
    return nullptr;
  }

  // The keys of a letter group as a tree: the root stands for the group's
  // first letter, every node for that letter and the bytes on the way to it.
  // A node's row is the first row of the range whose key it is (0 when no
  // key of the range is that string). Rows whose glyphs are a single space
  // (combinations the font does not have) are left out.
  struct KeyNode {
    int row = 0;
    std::vector<std::pair<unsigned char, int>> children;  // byte, node index
  };
  struct KeyTree {
    bool built = false;
    int base = 0;
    std::vector<KeyNode> nodes;
    // For every node and letter, the node the letter leads to when its key
    // is in the range, else -1: one look-up per letter on the hot path.
    std::vector<int> moves;

    int Child(std::size_t node, unsigned char letter) const { return moves[node * 256 + letter]; }

    void FillMoves() {
      moves.assign(nodes.size() * 256, -1);
      for (std::size_t node = 0; node < nodes.size(); ++node) {
        for (const auto& [byte, index] : nodes[node].children) {
          if (nodes[static_cast<std::size_t>(index)].row != 0) moves[node * 256 + byte] = index;
        }
      }
    }
  };

  SFC_ALWAYS_INLINE const KeyTree& TreeFor(ClusterLetter letter, unsigned char first_letter) {
    KeyTree& tree = trees_[static_cast<std::size_t>(letter)];
    if (tree.built) return tree;
    return BuildTree(tree, letter, first_letter);
  }

  SFC_NO_INLINE const KeyTree& BuildTree(KeyTree& tree, ClusterLetter letter,
                                         unsigned char first_letter) {
    const LetterGroupRange range = GroupRange(letter, profile_);
    tree.built = true;
    tree.base = range.base;
    tree.nodes.emplace_back();
    for (int row = range.first; row <= range.last; ++row) {
      const std::string& key = table_.key[static_cast<std::size_t>(row)];
      if (key.size() < 2 || static_cast<unsigned char>(key[0]) != first_letter ||
          Full(row) == " ") {
        continue;
      }
      std::size_t node = 0;
      for (std::size_t i = 1; i < key.size(); ++i) {
        const auto byte = static_cast<unsigned char>(key[i]);
        int child = -1;
        for (const auto& [b, index] : tree.nodes[node].children) {
          if (b == byte) child = index;
        }
        if (child < 0) {
          child = static_cast<int>(tree.nodes.size());
          tree.nodes[node].children.emplace_back(byte, child);
          tree.nodes.emplace_back();
        }
        node = static_cast<std::size_t>(child);
      }
      if (tree.nodes[node].row == 0) tree.nodes[node].row = row;
    }
    tree.FillMoves();
    return tree;
  }

  // Returns false when the step ended on its own (a doubled consonant).
  bool Cluster(ClusterLetter letter) {
    const auto first_letter = static_cast<unsigned char>(Current());
    const KeyTree& tree = TreeFor(letter, first_letter);
    int matched = tree.base;
    // Only the doubled consonants look at the key, and only at two letters.
    doubled_ = 0;
    int key_length = 1;
    // The key grows by one letter while the longer key is in the range.
    std::size_t node = 0;
    for (;;) {
      const int next = Next();
      if (next == kNone) break;
      int found = -1;
      for (const auto& [byte, index] : tree.nodes[node].children) {
        if (byte == next) found = index;
      }
      if (found < 0 || tree.nodes[static_cast<std::size_t>(found)].row == 0) break;
      node = static_cast<std::size_t>(found);
      doubled_ = (++key_length == 2 && next == first_letter) ? next : 0;
      matched = tree.nodes[node].row;
      if (!work_.RemoveFront()) return RunEnds();
    }
    const int n = Next();
    if (DoubledConsonant(n)) return false;
    if (doubled_ == 'd' && (n == 'b' || n == 'd' || n == 'g')) {
      AskAboutDdd(n);
    }

    if (n == ' ') {
      output_ += FullCell(matched);
      output_ += FullCell(Row::kAspirata1);
    } else if (IsDash(n) || n == '_' || n == 160) {
      const int follows = work_.At(3);
      if (IsVowelLetter(follows)) {
        output_ += FullCell(matched);
      } else if (state_.dash_state == kDashWaiting) {
        output_ += FullCell(matched);
        output_ += FullCell(Row::kAspirata1);
      } else {
        output_ += HalfCell(matched);
      }
    } else if (IsVowelLetter(n) || n == 'r') {
      output_ += FullCell(matched);
    } else {
      const Cell* half = &HalfCell(matched);
      if (shift_m_to_n_ && Half(matched) == Half(Row::kMa)) {
        if (n == 'd' || n == 't') {
          half = &HalfCell(Row::kNa);
        } else if (n != kNone && (n == retroflex_d_ || n == retroflex_t_)) {
          half = &HalfCell(Row::kRetroflexNa);
        } else if (n == 'h' || n == 's' || n == 'y' || (n != kNone && n == palatal_s_)) {
          half = &HalfCell(Row::kAnusvara);
        }
      }
      output_ += *half;
    }
    return true;
  }

  // cch, jjh, jjñ, kkh, kkr, kkṣ, kkṛ: the first consonant is written half
  // and the second starts a new cluster with the letters after it. The
  // letters are those of the run's transliteration font, so that the same
  // text gives the same glyphs in every font.
  bool DoubledConsonant(int n) {
    if (doubled_ == 0) return false;
    int row = 0;
    const bool letter = n != kNone;
    if (doubled_ == 'c' && n == 'h') {
      row = Row::kCa;
    } else if (doubled_ == 'j' && (n == 'h' || (letter && n == palatal_n_))) {
      row = Row::kJa;
    } else if (doubled_ == 'k' &&
               (n == 'h' || n == 'r' || (letter && (n == retroflex_s_ || n == vocalic_r_)))) {
      row = Row::kKa;
    }
    if (row == 0) return false;
    output_ += HalfCell(row);
    SyncClipboard();
    return true;
  }

  // `next` follows the "dd" at the front of the work buffer.
  SFC_NO_INLINE void AskAboutDdd(int next) {
    InputBoxRequest request{InputRequestKind::kCheckLater, -1, "CHECK LATER",
                            "Program has found\rthe combination of this letters:\r'ddd' or "
                            "'ddb' or 'ddg'",
                            "Please check this manual!"};
    request.found = std::string("dd") + static_cast<char>(next);
    request.at = drops_.Locate(InputOffsetOf(StreamFront()));
    std::string answer = input_box_ ? input_box_(request) : request.default_text;
    asked_.push_back({std::move(request), std::move(answer)});
  }

  // ---- passing on what is final ----

  // The kt ending as the byte the short-i map's syllables are read with.
  static int KtEndByte(const SanidevaTable& table) {
    const std::string& kt_end = table.full[Row::kKtaEnd];
    return kt_end.size() == 1 && kt_end[0] != ' ' ? static_cast<unsigned char>(kt_end[0]) : kNone;
  }

  // A rule that removes the last glyph writes at least one glyph in its
  // place, so no later rule removes a glyph written before the last one.
  bool RemovalsReplaceWhatTheyRemove() const {
    for (int row : {Row::kApostrophe, Row::kRephaAnusvara, Row::kOpenYa, Row::kDash, Row::kNra}) {
      if (Full(row).empty()) return false;
    }
    return true;
  }

  // The short-i sign holds a syllable glyph, so that inserting it never moves
  // the next insertion further back.
  bool ShortISignCountsAsSyllable() const {
    for (const std::string* sign : {&Half(Row::kI), &Full(Row::kISignWide)}) {
      bool syllable = false;
      for (const char c : *sign) syllable |= short_i_syllable_[static_cast<unsigned char>(c)];
      if (!syllable) return false;
    }
    return true;
  }

  // Output before the fourth syllable glyph from the end, and not among the
  // last few glyphs, is final: the short-i sign goes after the second
  // syllable glyph from the end, a removal takes only the last glyph, and
  // each rule that removes or inserts moves those marks back by at most one.
  // When the output holds no such glyphs for long, the check waits until the
  // held output has doubled, so that looking costs linear time.
  void MaybePassOn() {
    if (!passes_on_ || output_.held() < next_pass_) return;
    const std::optional<HeldOutput::Offset> mark = marks_.Find(output_, kMarksKept);
    const HeldOutput::Offset len = output_.size();
    if (mark && len > kTailKept) {
      const HeldOutput::Offset to = std::min(*mark, len - kTailKept);
      if (to > output_.passed()) {
        output_.PassOn(to, sink_);
        marks_.Forget(to);
      }
    }
    next_pass_ = std::max(options_.pass_on_threshold, 2 * output_.held());
  }

  static constexpr std::size_t kMarksKept = 6;
  static constexpr std::size_t kStepsPerLook = 16;  // steps between looks at the held output
  static constexpr HeldOutput::Offset kTailKept = 16;

  ConverterState& state_;
  const SanidevaTable& table_;
  const bool shift_m_to_n_;
  const InputBox input_box_;
  const OutputSink sink_;
  const StreamOptions options_;
  const FontJoins& joins_;
  const RangeProfile profile_;

  std::array<bool, 256> short_i_syllable_{};  // the short-i map's "y" glyphs
  WorkBuffer work_;
  std::size_t look_ahead_ = 0;  // letters a step may read, with room to spare
  bool ended_ = false;
  bool run_ends_ = false;             // a step failed: the run ends (RunEnds)
  std::uint64_t left_after_end_ = 0;  // input letters given after the run ended
  HeldOutput output_;
  SyllableMarks marks_;
  bool passes_on_ = false;
  std::size_t next_pass_ = 0;
  std::array<Dispatch, 256> dispatch_{};
  std::array<bool, 256> vowel_letter_{};  // a ā e i ī o ṛ ṝ u ū
  std::array<AfterCluster, 256> after_cluster_{};
  std::array<bool, 256> aspirata_first_{};  // first bytes of the aspirata glyphs
  std::array<bool, 256> opens_ya_first_{};  // first bytes of the glyphs a y opens
  std::array<KeyTree, 21> trees_{};
  std::vector<HeldOutput::Offset> off_clipboard_;
  int doubled_ = 0;                      // the letter of a cluster key of two equal letters, else 0
  const Cell* pending_repha_ = nullptr;  // the repha held back, if any
  bool word_start_ = false;
  std::vector<AskedInputBox> asked_;
  DropTracker drops_;
  std::uint64_t appended_ = 0;  // letters appended to the work buffer: the padded input
  std::uint64_t inserted_ = 0;  // letters the dash look-ahead inserted
  std::uint64_t erased_ = 0;    // and erased
  struct LetterEvent {
    std::uint64_t at;  // the stream position
    bool inserted;     // else erased: the letters from `at` on follow it
  };
  std::vector<LetterEvent> letter_events_;
  std::uint64_t inserted_passed_ = 0;  // events the current letter has passed
  std::uint64_t erased_passed_ = 0;

  int long_a_ = kNone, long_i_ = kNone, long_u_ = kNone, vocalic_r_ = kNone,
      long_vocalic_r_ = kNone, retroflex_d_ = kNone, visarga_ = kNone, anusvara_ = kNone,
      velar_n_ = kNone, palatal_n_ = kNone, retroflex_n_ = kNone, palatal_s_ = kNone,
      retroflex_s_ = kNone, retroflex_t_ = kNone, vocalic_l_ = kNone, long_vocalic_l_ = kNone;
  // The table's cells, for appending, by how a cluster is written before the
  // letter after it: half, full, and full with the aspirata sign.
  std::array<std::array<Cell, kSyllableTableSize>, 3> cells_;
  Cell independent_l_;
  Cell dependent_l_;
  Cell word_start_long_a_;
  Cell word_start_o_;
  Cell word_start_ai_;
  Cell word_start_au_;
};

ToDevanagariStream::ToDevanagariStream(ConverterState& state, bool shift_m_to_n, InputBox input_box,
                                       OutputSink sink, StreamOptions options)
    : engine_(std::make_unique<Engine>(state, shift_m_to_n, std::move(input_box), std::move(sink),
                                       options)) {}

ToDevanagariStream::~ToDevanagariStream() = default;

void ToDevanagariStream::Feed(std::string_view block) { engine_->Feed(block); }

StreamEnd ToDevanagariStream::Finish() { return engine_->Finish(); }

void ToDevanagariStream::Restart() { engine_->Restart(); }

ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box) {
  ConversionResult result;
  result.output.reserve(input.size() + input.size() / 4 + 16);
  StreamOptions options;
  options.clipboard = true;
  ToDevanagariStream stream(
      state, shift_m_to_n, input_box,
      [&result](std::string_view piece) { result.output.append(piece); }, options);
  stream.Feed(input);
  StreamEnd end = stream.Finish();
  result.completed = end.completed;
  result.input_boxes = std::move(end.input_boxes);
  result.clipboard = ClipboardText(result.output, end);
  result.dropped = std::move(end.dropped);
  result.stop = std::move(end.stop);
  result.padded_input.reserve(input.size() + 2);
  result.padded_input += ' ';
  result.padded_input += input;
  result.padded_input += ' ';
  return result;
}

}  // namespace sfc
