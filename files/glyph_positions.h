// Where the special glyphs of a glyph table read from devitran.cod lie: the
// names and classes that the loader records in SpecialGlyphPositions.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "glyph_roles.h"
#include "state.h"

namespace sfc {

// What a devitran.cod entry records.
using SpecialGlyph = GlyphRole;

// Classifies an entry by its class (last character) and name (the rest). A
// class-3 name equal to any of long_a_keys is the ā sign, else equal to any
// of vocalic_r_keys the ṛ sign (the loader passes Key rows 1 and 110).
SpecialGlyph ClassifyGlyphEntry(std::string_view entry, std::span<const std::string> long_a_keys,
                                std::span<const std::string> vocalic_r_keys);

// The values every load starts from: 256 ("none") for the codes and list
// slots, 0 for the single name positions.
void ResetForLoad(SpecialGlyphPositions& positions);

// The lists and how many entries they take.
enum class PositionList { kShortISign, kVowelSign, kAspirata, kR };
int ListCapacity(PositionList list);

// Records the glyphs of one devitran.cod read: lists fill from slot 1 in file
// order; a later single name replaces an earlier one.
class PositionRecorder {
 public:
  explicit PositionRecorder(SpecialGlyphPositions& positions) : positions_(&positions) {}

  enum class Outcome { kNothing, kRecorded, kListFull };
  Outcome Record(SpecialGlyph glyph, int code);

 private:
  Outcome AddTo(PositionList list, int code);

  SpecialGlyphPositions* positions_;
  int short_i_count_ = 0;
  int vowel_count_ = 0;
  int aspirata_count_ = 0;
  int r_count_ = 0;
};

// The list a glyph is added to; false for a glyph that is not a list entry.
bool ListOf(SpecialGlyph glyph, PositionList& list);

}  // namespace sfc
