// Counts the input bytes that no rule took and finds their lines and
// columns. The conversions tell it where such a byte lies in the input; it
// counts the lines of the input as it goes, keeping only the few bytes that
// later drops may still need.
#pragma once

#include <cstdint>
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
  // at `keep_from` or after; a few bytes before it are kept for Stop.
  void Settle(std::uint64_t keep_from);

  // The line and column of the input byte at `at`, which lies at or after
  // every drop told so far (those are settled first). Drops and places
  // asked later lie at `at` or after.
  InputPosition Locate(std::uint64_t at);

  // Where the run stopped: the byte at `at` (located as by Locate), with up
  // to RunStop::kContext bytes of the input before and after it that are
  // still at hand.
  RunStop Stop(std::uint64_t at);

  DroppedBytes Take() { return std::move(dropped_); }

 private:
  struct Pending {
    std::uint64_t at;
    unsigned char byte;
  };

  // Counts the line ends before `to`.
  void Advance(std::uint64_t to);
  void Scan(std::string_view bytes, std::uint64_t bytes_at, std::uint64_t to);
  // The input bytes in [from, to) that are still at hand.
  std::string Slice(std::uint64_t from, std::uint64_t to) const;
  void SettlePending();
  static void AppendFrom(std::string& to, std::string_view bytes, std::uint64_t bytes_at,
                         std::uint64_t from);

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
