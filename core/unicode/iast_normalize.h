// Reading IAST text as its letters: decomposed letters are composed, the
// common variants become the IAST letter and capitals become small letters.
//
//   - a base letter with combining marks (U+0304 macron, U+0323 dot below,
//     U+0307 dot above, U+0303 tilde, U+0301 acute, U+0325 ring below,
//     U+0308 diaeresis, U+0331 macron below, in any order) becomes the
//     precomposed letter: "s" U+0301 -> "ś", "r" U+0323 U+0304 -> "ṝ";
//   - ISO 15919: "r̥" -> "ṛ", "r̥̄" -> "ṝ", "l̥" -> "ḷ", "l̥̄" -> "ḹ"; "ṁ" -> "ṃ";
//   - A to Z and the capitals of the IAST letters -> small letters ("Ā" -> "ā");
//     other capitals (Windows-1252 "É") stay.
//
// A mark that composes with nothing is handed on as a character of its own
// right after its letter ("m" U+0310 stays "m", U+0310), for the conversion to
// place or report.
#pragma once

#include <cstddef>
#include <string_view>

#include "unicode_text.h"

namespace sfc {

namespace iast {

// The combining marks that compose IAST letters, as bits.
enum Mark : unsigned {
  kMacron = 1,
  kDotBelow = 2,
  kDotAbove = 4,
  kTilde = 8,
  kAcute = 16,
  kRingBelow = 32,
  kDiaeresis = 64,
  kMacronBelow = 128,
};

// The bit of a combining mark (U+0300 to U+036F); 0 for a mark that
// composes no IAST letter.
unsigned MarkBit(char32_t cp);

inline bool IsCombiningMark(char32_t cp) { return cp >= 0x300 && cp <= 0x36F; }

// A precomposed letter the reading knows as its small base letter and marks
// ("Ā" -> 'a', kMacron) and as the small letter they compose ("ā"); false for
// any other character.
bool Decompose(char32_t cp, char& base, unsigned& marks, char32_t& small);

// The small IAST letter of a base letter with marks, or 0 when there is none.
char32_t Compose(char base, unsigned marks);

}  // namespace iast

// Reads `text` (whole characters; a piece of a PieceCutter) and calls
// emit(cp, line, column) for every character as read above; `position`
// carries the line and column from piece to piece.
template <class Emit>
void ReadIast(std::string_view text, TextPosition& position, Emit&& emit) {
  std::size_t at = 0;
  const std::size_t size = text.size();
  while (at < size) {
    char32_t cp = utf8::Decode(text, at);
    ++position.column;
    const std::uint64_t line = position.line;
    const std::uint64_t column = position.column;
    if (cp < 0x80) {
      if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
      if (cp == '\n') {
        ++position.line;
        position.column = 0;
      }
      // The common case: no mark follows.
      if (at >= size || (static_cast<unsigned char>(text[at]) != 0xCC &&
                         static_cast<unsigned char>(text[at]) != 0xCD)) {
        emit(cp, line, column);
        continue;
      }
    }
    char base = 0;
    unsigned marks = 0;
    char32_t small = cp;
    const bool composable =
        cp < 0x80 ? (cp >= 'a' && cp <= 'z' ? (base = static_cast<char>(cp), true) : false)
                  : iast::Decompose(cp, base, marks, small);
    cp = small;
    // The marks that follow.
    constexpr int kMaxMarks = 8;
    char32_t mark_cps[kMaxMarks];
    std::uint64_t mark_columns[kMaxMarks];
    int mark_count = 0;
    unsigned all_marks = marks;
    while (at < size && mark_count < kMaxMarks) {
      std::size_t next = at;
      const char32_t mark = utf8::Decode(text, next);
      if (!iast::IsCombiningMark(mark)) break;
      at = next;
      ++position.column;
      mark_cps[mark_count] = mark;
      mark_columns[mark_count] = position.column;
      ++mark_count;
      const unsigned bit = iast::MarkBit(mark);
      all_marks |= bit == 0 ? 0x100u : bit;
    }
    if (mark_count == 0) {
      emit(cp, line, column);
      continue;
    }
    if (composable && (all_marks & 0x100u) == 0) {
      if (const char32_t whole = iast::Compose(base, all_marks); whole != 0) {
        emit(whole, line, column);
        continue;
      }
    }
    // Compose the marks that fit, one by one; hand on the rest.
    int left[kMaxMarks];
    int left_count = 0;
    for (int k = 0; k < mark_count; ++k) {
      const unsigned bit = iast::MarkBit(mark_cps[k]);
      const char32_t composed =
          composable && bit != 0 && (marks & bit) == 0 ? iast::Compose(base, marks | bit) : 0;
      if (composed != 0) {
        marks |= bit;
        cp = composed;
      } else {
        left[left_count++] = k;
      }
    }
    emit(cp, line, column);
    for (int k = 0; k < left_count; ++k) {
      emit(mark_cps[left[k]], position.line, mark_columns[left[k]]);
    }
  }
}

}  // namespace sfc
