// The types of the letter table of the conversion to Devanagari (its
// states, moves and the trials they are made from). Part of
// to_devanagari.cpp, which alone includes it, before the engine's class.
#pragma once

#include <cstdint>
#include <string>

namespace sfc {
namespace {

constexpr std::uint32_t kEscapeRow = 0;       // the fast way takes the open step
constexpr std::uint32_t kUnknownRow = 1;      // the move is still to be made
constexpr std::uint8_t kShortISign = 4;       // a short-i sign was written
constexpr std::uint8_t kShortIAfter = 8;      // the short i's step follows on the output
constexpr std::uint8_t kRephaAfter = 16;      // and the repha held back after it
constexpr std::uint8_t kWordStartAfter = 32;  // the word-start flag after the move
constexpr std::uint8_t kStop = 64;            // an escape, or a move still to be made

// A state: the letter before the open step and the open step's letters
// (for a cluster, a 0 in place of the letter before, which it never
// reads), and what the steps read of the output and the run.
struct LetterState {
  enum Open : unsigned char { kNothingOpen, kOpenCluster, kOpenLetter };
  std::string letters;
  Open open = kNothingOpen;
  int node = 0;   // a cluster's node in its key tree
  int last = -1;  // the last byte written (one of its kind), -1 for none
  bool word_start = false;
  bool repha = false;
};
// What to write for a letter and the state after it. A row is where a
// state's moves start, in bytes from the first move, and a letter's column
// its offset in bytes within a row: the next move is one load away.
struct LetterMove {
  std::uint32_t row = kEscapeRow;  // the next state's row
  std::uint16_t text = 0;          // the index of the text written
  std::uint8_t size = 0;           // the text's bytes that count
  std::uint8_t flags = kStop;      // kShortISign, ...
};
// What the fast way wrote on the letters of a state (TryLetters).
struct LetterTrial {
  bool ok = false;
  bool took_letter = false;  // the open step took the letter after it too
  std::string written;
  bool word_start = false;
  bool repha = false;
  bool short_i = false;
};

}  // namespace
}  // namespace sfc
