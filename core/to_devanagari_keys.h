// The keys of a letter group (the clusters that start with one letter) as a
// tree, for the conversion to Devanagari. Part of to_devanagari.cpp, which
// alone includes it, before the engine's class; the engine builds the trees
// (BuildTree, in to_devanagari_letters.h).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace sfc {
namespace {

// The root stands for the group's first letter, every node for that letter
// and the bytes on the way to it. A node's row is the first row of the range
// whose key it is (0 when no key of the range is that string). Rows whose
// glyphs are a single space (combinations the font does not have) are left
// out.
struct KeyNode {
  int row = 0;
  std::vector<std::pair<unsigned char, int>> children;  // byte, node index
};
struct KeyTree {
  bool built = false;
  int base = 0;
  std::vector<KeyNode> nodes;
  // For every node and letter, the node the letter leads to when its key
  // is in the range, else -1: one look-up per letter on the hot path.
  std::vector<int> moves;

  int Child(std::size_t node, unsigned char letter) const { return moves[node * 256 + letter]; }

  void FillMoves() {
    moves.assign(nodes.size() * 256, -1);
    for (std::size_t node = 0; node < nodes.size(); ++node) {
      for (const auto& [byte, index] : nodes[node].children) {
        if (nodes[static_cast<std::size_t>(index)].row != 0) moves[node * 256 + byte] = index;
      }
    }
  }
};

}  // namespace
}  // namespace sfc
