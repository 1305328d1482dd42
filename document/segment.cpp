#include "segment.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "font_text.h"
#include "unicode_text.h"
#include "xml_part.h"

namespace sfc::document {

namespace {

// Blank-separated tokens of a text: [begin, end) pairs, blanks and words
// alternating.
std::vector<std::pair<std::size_t, std::size_t>> Tokens(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> tokens;
  std::size_t at = 0;
  while (at < text.size()) {
    const bool blank = text[at] == ' ';
    const std::size_t begin = at;
    while (at < text.size() && (text[at] == ' ') == blank) ++at;
    tokens.emplace_back(begin, at);
  }
  return tokens;
}

}  // namespace

std::string Around(std::string_view text, std::size_t at) {
  std::size_t begin = at > 40 ? at - 40 : 0;
  std::size_t end = std::min(text.size(), at + 40);
  while (begin > 0 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80) --begin;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  std::string around(text.substr(begin, end - begin));
  for (char& c : around) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return around;
}

bool ReportSegment(DocumentReport& report, const SegmentPlace& place, std::string_view bytes,
                   const SegmentResult& result, const std::string& after, std::uint64_t runs) {
  const std::string& font = place.target.source_font;
  FontCount& count = report.converted[font];
  ++count.segments;
  count.runs += runs;
  count.characters += bytes.size();
  count.converted += CountCharacters(after);
  if (count.sample_before.size() < 24 && bytes.size() > count.sample_before.size()) {
    count.sample_before = CutText(FontBytesToText(bytes, false), 160);
    count.sample_after = CutText(after, 240);
  }
  if (result.dropped.empty() && result.rejected == 0 && result.completed) return true;
  // The input as shown in the document.
  const std::string shown = FontBytesToText(bytes, false);
  for (const SegmentResult::Drop& drop : result.dropped) {
    char what[96];
    std::snprintf(what, sizeof what, "byte %u (0x%02X) had no rule and was left out",
                  static_cast<unsigned>(drop.byte), static_cast<unsigned>(drop.byte));
    std::size_t at = 0;
    for (std::size_t k = 0; k < drop.offset && at < shown.size(); ++k) utf8::Decode(shown, at);
    AddProblem(report, {place.part, place.paragraph, font, what, Around(shown, at)});
  }
  if (result.rejected > 0) {
    AddProblem(report, {place.part, place.paragraph, font,
                        std::to_string(result.rejected) +
                            " character(s) between the conversions had no place",
                        Around(shown, 0)});
  }
  if (result.completed) return true;
  AddProblem(report,
             {place.part, place.paragraph, font,
              "the conversion was cut short; the stretch is left as it is", Around(shown, 0)});
  return false;
}

std::vector<Edit> ShareOut(const Segment& segment, const std::string& after, bool alike) {
  std::vector<Edit> edits;
  edits.reserve(segment.pieces.size());
  for (const Piece& piece : segment.pieces) {
    edits.push_back({piece.begin, piece.end, {}, segment.target});
  }
  const std::string_view bytes = segment.bytes;
  if (!alike) {
    // Blanks are tokens too, so the words pair up only when the blanks do.
    const auto in = Tokens(bytes);
    const auto outs = Tokens(after);
    if (in.size() == outs.size() && !in.empty() &&
        (bytes[in[0].first] == ' ') == (after[outs[0].first] == ' ')) {
      for (std::size_t k = 0; k < in.size(); ++k) {
        edits[segment.piece_of_byte[in[k].first]].text +=
            std::string_view(after).substr(outs[k].first, outs[k].second - outs[k].first);
      }
      return edits;
    }
  }
  if (!edits.empty()) edits[0].text = after;
  return edits;
}

}  // namespace sfc::document
