// Counts the input bytes that no rule took and finds their lines and
// columns. The conversions tell it where such a byte lies in the input; it
// counts the lines of the input as it goes, keeping only the few bytes that
// later drops may still need.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"

namespace sfc {

class DropTracker {
 public:
  explicit DropTracker(DropHandler on_drop) : on_drop_(std::move(on_drop)) {}

  // The next block of the input; it must stay valid until Settle.
  void Fed(std::string_view block) { block_ = block; }

  // The byte at `at` (an offset into the input, from 0, after every drop told
  // before) wrote nothing, and no rule took it.
  void Drop(unsigned char byte, std::uint64_t at) { pending_.push_back({at, byte}); }

  // Gives the drops told so far their lines and columns. Drops to come lie
  // at `keep_from` or after.
  void Settle(std::uint64_t keep_from) {
    for (const Pending& drop : pending_) {
      Advance(drop.at);
      const InputPosition position{line_, drop.at - line_start_ + 1};
      ++dropped_.count[drop.byte];
      ++dropped_.total;
      std::vector<InputPosition>& first = dropped_.first_positions[drop.byte];
      if (first.size() < DroppedBytes::kPositionsKept) first.push_back(position);
      if (on_drop_) on_drop_(drop.byte, position);
    }
    pending_.clear();
    const std::uint64_t end = kept_at_ + kept_.size() + block_.size();
    keep_from = std::min(std::max(keep_from, cursor_), end);
    Advance(keep_from);
    std::string kept;
    kept.reserve(static_cast<std::size_t>(end - keep_from));
    AppendFrom(kept, kept_, kept_at_, keep_from);
    AppendFrom(kept, block_, kept_at_ + kept_.size(), keep_from);
    kept_ = std::move(kept);
    kept_at_ = keep_from;
    block_ = {};
  }

  DroppedBytes Take() { return std::move(dropped_); }

 private:
  struct Pending {
    std::uint64_t at;
    unsigned char byte;
  };

  // Counts the line ends before `to`.
  void Advance(std::uint64_t to) {
    Scan(kept_, kept_at_, to);
    Scan(block_, kept_at_ + kept_.size(), to);
    cursor_ = std::max(cursor_, to);
  }
  void Scan(std::string_view bytes, std::uint64_t bytes_at, std::uint64_t to) {
    std::uint64_t from = std::max(cursor_, bytes_at);
    const std::uint64_t end = std::min(to, bytes_at + bytes.size());
    while (from < end) {
      const char* const start = bytes.data() + (from - bytes_at);
      const void* lf = std::memchr(start, '\n', static_cast<std::size_t>(end - from));
      if (lf == nullptr) break;
      const std::uint64_t at = from + static_cast<std::uint64_t>(static_cast<const char*>(lf) - start);
      ++line_;
      line_start_ = at + 1;
      from = at + 1;
    }
  }
  static void AppendFrom(std::string& to, std::string_view bytes, std::uint64_t bytes_at,
                         std::uint64_t from) {
    if (bytes_at + bytes.size() <= from) return;
    to.append(bytes.substr(from > bytes_at ? static_cast<std::size_t>(from - bytes_at) : 0));
  }

  DropHandler on_drop_;
  DroppedBytes dropped_;
  std::vector<Pending> pending_;
  std::string kept_;  // the input from kept_at_ up to the block
  std::uint64_t kept_at_ = 0;
  std::string_view block_;
  std::uint64_t cursor_ = 0;      // the line ends before it are counted
  std::uint64_t line_ = 1;        // the line at the cursor
  std::uint64_t line_start_ = 0;  // where that line starts
};

}  // namespace sfc
