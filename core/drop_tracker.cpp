#include "drop_tracker.h"

#include <algorithm>
#include <cstring>

namespace sfc {

namespace {

// The line feeds in a text, counted in bytes 255 at a time (which the
// compiler does many at once).
std::uint64_t CountLineEnds(std::string_view text) {
  std::uint64_t count = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = std::min<std::size_t>(text.size() - at, 255);
    const char* const bytes = text.data() + at;
    unsigned char in_run = 0;
    for (std::size_t i = 0; i < n; ++i) {
      in_run = static_cast<unsigned char>(in_run + (bytes[i] == '\n' ? 1 : 0));
    }
    count += in_run;
    at += n;
  }
  return count;
}

}  // namespace

void DropTracker::SettlePending() {
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
}

void DropTracker::Settle(std::uint64_t keep_from) {
  SettlePending();
  const std::uint64_t end = kept_at_ + kept_.size() + block_.size();
  keep_from = std::min(std::max(keep_from, cursor_), end);
  Advance(keep_from);
  // A few bytes before stay for the context of a stop.
  keep_from = std::max(kept_at_, keep_from - std::min<std::uint64_t>(keep_from, RunStop::kContext));
  std::string kept;
  kept.reserve(static_cast<std::size_t>(end - keep_from));
  AppendFrom(kept, kept_, kept_at_, keep_from);
  AppendFrom(kept, block_, kept_at_ + kept_.size(), keep_from);
  kept_ = std::move(kept);
  kept_at_ = keep_from;
  block_ = {};
}

InputPosition DropTracker::Locate(std::uint64_t at) {
  SettlePending();
  Advance(at);
  return {line_, at >= line_start_ ? at - line_start_ + 1 : 1};
}

RunStop DropTracker::Stop(std::uint64_t at) {
  RunStop stop;
  stop.offset = at;
  stop.at = Locate(at);
  stop.before = Slice(at - std::min<std::uint64_t>(at, RunStop::kContext), at);
  stop.after = Slice(at, at + RunStop::kContext);
  return stop;
}

std::string DropTracker::Slice(std::uint64_t from, std::uint64_t to) const {
  std::string bytes;
  const auto take = [&](std::string_view part, std::uint64_t part_at) {
    const std::uint64_t begin = std::max(from, part_at);
    const std::uint64_t end = std::min(to, part_at + part.size());
    if (begin < end) {
      bytes.append(part.substr(static_cast<std::size_t>(begin - part_at),
                               static_cast<std::size_t>(end - begin)));
    }
  };
  take(kept_, kept_at_);
  take(block_, kept_at_ + kept_.size());
  return bytes;
}

void DropTracker::Advance(std::uint64_t to) {
  if (to <= cursor_) return;
  Scan(kept_, kept_at_, to);
  Scan(block_, kept_at_ + kept_.size(), to);
  cursor_ = std::max(cursor_, to);
}

void DropTracker::Scan(std::string_view bytes, std::uint64_t bytes_at, std::uint64_t to) {
  const std::uint64_t from = std::max(cursor_, bytes_at);
  const std::uint64_t end = std::min(to, bytes_at + bytes.size());
  if (from >= end) return;
  const std::string_view scanned =
      bytes.substr(static_cast<std::size_t>(from - bytes_at), static_cast<std::size_t>(end - from));
  const std::uint64_t line_ends = CountLineEnds(scanned);
  if (line_ends == 0) return;
  line_ += line_ends;
  line_start_ = from + scanned.rfind('\n') + 1;
}

void DropTracker::AppendFrom(std::string& to, std::string_view bytes, std::uint64_t bytes_at,
                             std::uint64_t from) {
  if (bytes_at + bytes.size() <= from) return;
  to.append(bytes.substr(from > bytes_at ? static_cast<std::size_t>(from - bytes_at) : 0));
}

}  // namespace sfc
