// What both formats do with a segment, text in one legacy font joined across
// the runs of a paragraph, once it is converted: count it and report its
// problems, and share its output out among the pieces it was read from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"

namespace sfc::document {

// A stretch of a text node to replace, and what replaces it.
struct Edit {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string text;
  const FontTarget* target = nullptr;
};

// A stretch of a text node that belongs to a segment.
struct Piece {
  std::size_t node = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Text in one legacy font, joined across the runs of a paragraph.
struct Segment {
  const FontTarget* target = nullptr;
  bool deleted = false;  // in a tracked deletion
  bool symbol = false;   // the first character was written the symbol way
  std::string bytes;
  // 32 bits are plenty (a piece is a text element of a dozen bytes at least)
  // and halve what the segments of a large part hold until they are written.
  std::vector<std::uint32_t> piece_of_byte;
  std::vector<Piece> pieces;

  // Adds a byte read from [begin, end) of text node `node`; it joins the last
  // piece when it follows it in the same node, unless `own_piece`.
  void Add(unsigned char byte, std::size_t node, std::size_t begin, std::size_t end,
           bool own_piece = false) {
    bytes.push_back(static_cast<char>(byte));
    if (pieces.empty() || pieces.back().node != node || pieces.back().end != begin || own_piece) {
      pieces.push_back({node, begin, end});
    } else {
      pieces.back().end = end;
    }
    piece_of_byte.push_back(static_cast<std::uint32_t>(pieces.size() - 1));
  }
};

// Where a segment lies: the part, the paragraph (from 1) and the font.
struct SegmentPlace {
  const std::string& part;
  std::uint64_t paragraph = 0;
  const FontTarget& target;
};

// Counts a converted segment in the report (`runs` it spans, `bytes` read,
// `after` written) and reports each byte no rule took, the characters that
// had no place between the conversions and a conversion that was cut short,
// with a few words around each. False when it was cut short: the segment is
// then left as it is.
bool ReportSegment(DocumentReport& report, const SegmentPlace& place, std::string_view bytes,
                   const SegmentResult& result, const std::string& after, std::uint64_t runs);

// The edits that write the output `after` of a segment, one for each of its
// pieces. When the pieces differ in formatting (not `alike`) and the
// blank-separated words of input and output pair up, each output word goes
// to the piece that held the first byte of its input word; otherwise the
// first piece takes it all.
std::vector<Edit> ShareOut(const Segment& segment, const std::string& after, bool alike);

// A few words around a position of a UTF-8 text, on one line.
std::string Around(std::string_view text, std::size_t at);

}  // namespace sfc::document
