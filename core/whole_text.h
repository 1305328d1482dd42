// The whole-text faces of both conversions: the input fed to a stream in
// blocks, as `sfconv` feeds it, and the stream's end kept in the result.
// Only to_devanagari.cpp and to_translit.cpp include it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "conversion.h"

namespace sfc {

// The size of the blocks, as `sfconv` feeds its input.
inline constexpr std::size_t kWholeTextBlock = std::size_t{1} << 16;

// Feeds `stream` the input block by block: the stream's work buffer stays
// small and in the cache.
template <class Stream>
void FeedWholeText(Stream& stream, std::string_view input) {
  for (std::size_t at = 0; at < input.size(); at += kWholeTextBlock) {
    stream.Feed(input.substr(at, std::min(kWholeTextBlock, input.size() - at)));
  }
}

// Keeps what the stream's end tells in `result`, whose output the stream wrote.
inline void KeepEnd(StreamEnd&& end, ConversionResult& result) {
  result.completed = end.completed;
  result.input_boxes = std::move(end.input_boxes);
  result.dropped = std::move(end.dropped);
  result.stop = std::move(end.stop);
  result.clipboard_set = end.clipboard_set;
  result.clipboard_edits = std::move(end.clipboard_edits);
}

}  // namespace sfc
