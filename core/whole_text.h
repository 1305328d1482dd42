// The whole-text faces of both conversions: the input fed to a stream in
// blocks, each block copied into the padded input just before it is fed.
// Copied then, a block is still in the cache when the stream reads it; a
// copy of the whole input before or after the run would read it from memory
// once more. Only to_devanagari.cpp and to_translit.cpp include it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace sfc {

// The size of the blocks, as `sfconv` feeds its input.
inline constexpr std::size_t kWholeTextBlock = std::size_t{1} << 16;

// Makes `padded` a space, the input and a space, feeding `stream` the input
// from `padded` block by block.
template <class Stream>
void FeedWholeText(Stream& stream, std::string_view input, std::string& padded) {
  padded.clear();
  padded.reserve(input.size() + 2);  // no block fed moves afterwards
  padded += ' ';
  for (std::size_t at = 0; at < input.size(); at += kWholeTextBlock) {
    const std::size_t size = std::min(kWholeTextBlock, input.size() - at);
    padded.append(input.substr(at, size));
    stream.Feed(std::string_view(padded).substr(1 + at, size));
  }
  padded += ' ';
}

}  // namespace sfc
