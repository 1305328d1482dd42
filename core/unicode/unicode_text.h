// What the Unicode conversions share: UTF-8 decoding and encoding, the
// position of a character in the text, the report of characters a conversion
// cannot place, and the cutting of a stream into pieces that convert alone.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sfc {

// Receives the output in order, in pieces; the pieces joined are the output.
using UnicodeSink = std::function<void(std::string_view)>;

// A character the conversion has no place for. Lines and columns count from 1;
// columns count characters (code points; a byte that is not UTF-8 counts as
// one character and is reported as U+FFFD).
struct UnicodeReject {
  char32_t code_point = 0;
  std::uint64_t line = 0;
  std::uint64_t column = 0;

  bool operator==(const UnicodeReject&) const = default;
};
using RejectSink = std::function<void(const UnicodeReject&)>;

// The result of a whole-text conversion.
struct UnicodeResult {
  std::string text;
  std::vector<UnicodeReject> rejects;
};

// "U+0310 at line 201, column 11".
std::string DescribeReject(const UnicodeReject& reject);

inline constexpr char32_t kReplacementChar = 0xFFFD;

namespace utf8 {

// The length of a UTF-8 sequence by its first byte; 0 for a byte that cannot
// start one.
inline constexpr std::array<unsigned char, 256> kSequenceLength = [] {
  std::array<unsigned char, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    unsigned char length = 0;
    if (byte < 0x80) {
      length = 1;
    } else if (byte >= 0xC2 && byte <= 0xDF) {
      length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      length = 3;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      length = 4;
    }
    table[static_cast<std::size_t>(byte)] = length;
  }
  return table;
}();

// Decodes the character at `at` and moves `at` past it. A malformed sequence
// gives U+FFFD and moves one byte on.
inline char32_t Decode(std::string_view text, std::size_t& at) {
  const auto first = static_cast<unsigned char>(text[at]);
  if (first < 0x80) {
    ++at;
    return first;
  }
  const std::size_t length = kSequenceLength[first];
  if (length == 0 || at + length > text.size()) {
    ++at;
    return kReplacementChar;
  }
  char32_t cp = first & (0x7Fu >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) {
      ++at;
      return kReplacementChar;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  // Overlong forms, surrogates and values past U+10FFFF.
  if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
      (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
    ++at;
    return kReplacementChar;
  }
  at += length;
  return cp;
}

inline void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace utf8

// Output written through a pointer: Room makes space for at least `n` more
// bytes (grown, never filled in, so writing costs no clearing), Commit ends
// what was written, View gives it.
class OutputBuffer {
 public:
  char* Room(std::size_t n) {
    if (bytes_.size() < size_ + n) bytes_.resize(std::max(size_ + n, 2 * bytes_.size()));
    return bytes_.data() + size_;
  }
  void Commit(const char* end) { size_ = static_cast<std::size_t>(end - bytes_.data()); }
  std::string_view View() const { return {bytes_.data(), size_}; }
  bool empty() const { return size_ == 0; }
  void Clear() { size_ = 0; }

 private:
  std::string bytes_;
  std::size_t size_ = 0;
};

// Where the conversion stands in the input: the line, and the column of the
// last character read.
struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 0;
};

// Cuts the input of a stream after the bytes of a set (a line feed and a
// space as a rule), where each conversion starts afresh, and hands on the
// pieces in order; what follows the last such byte waits for the next block.
// Any cut of the input into blocks thus reaches the conversion as the same
// text at the same places.
class PieceCutter {
 public:
  explicit PieceCutter(std::string_view cut_after = " \n");

  // Calls convert(piece) for every piece the block completes.
  template <class Convert>
  void Feed(std::string_view block, Convert&& convert) {
    std::size_t end = block.size();
    while (end > 0 && !cut_after_[static_cast<unsigned char>(block[end - 1])]) --end;
    if (end == 0) {
      carry_.append(block);
      return;
    }
    if (carry_.empty()) {
      convert(block.substr(0, end));
    } else {
      carry_.append(block.substr(0, end));
      convert(std::string_view(carry_));
      carry_.clear();
    }
    carry_.append(block.substr(end));
  }

  template <class Convert>
  void Finish(Convert&& convert) {
    if (!carry_.empty()) convert(std::string_view(carry_));
    carry_.clear();
  }

 private:
  std::array<bool, 256> cut_after_{};
  std::string carry_;
};

// Leaves out a byte-order mark (EF BB BF) at the start of UTF-8 input: it
// tells how the text is encoded and is no character of it, so a reader
// neither converts, reports nor counts it. Fed the input's blocks in order,
// cut anywhere; hands on the rest.
class ByteOrderMarkSkip {
 public:
  template <class Pass>
  void Feed(std::string_view block, Pass&& pass) {
    if (done_) {
      pass(block);
      return;
    }
    const std::size_t take = std::min(block.size(), kMark.size() - head_.size());
    head_.append(block.substr(0, take));
    block.remove_prefix(take);
    if (head_.size() < kMark.size() && kMark.starts_with(head_)) return;
    done_ = true;
    if (head_ != kMark) pass(std::string_view(head_));
    if (!block.empty()) pass(block);
  }

  template <class Pass>
  void Finish(Pass&& pass) {
    if (!done_ && !head_.empty()) pass(std::string_view(head_));
    done_ = true;
  }

 private:
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  std::string head_;
  bool done_ = false;
};

// UTF-8 input as the readers of Unicode text take it: without a byte-order
// mark, in pieces cut after a line feed or a space.
class Utf8Pieces {
 public:
  template <class Convert>
  void Feed(std::string_view block, Convert&& convert) {
    bom_.Feed(block, [&](std::string_view text) { cutter_.Feed(text, convert); });
  }
  template <class Convert>
  void Finish(Convert&& convert) {
    bom_.Finish([&](std::string_view text) { cutter_.Feed(text, convert); });
    cutter_.Finish(convert);
  }

 private:
  ByteOrderMarkSkip bom_;
  PieceCutter cutter_;
};

}  // namespace sfc
