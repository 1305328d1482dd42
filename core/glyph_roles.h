// The glyphs a glyph table names for what they do: the name an entry is
// written with, its class, and the role it plays. The loader records where
// they lie (SpecialGlyphPositions), the check knows their names, and the
// conversion of a loaded table reads the positions.
#pragma once

#include <array>
#include <string_view>

#include "devitran_table.h"

namespace sfc {

enum class GlyphRole {
  kNone,
  // Class 2.
  kMr,
  kTt,
  kR,  // added to RPositions
  // Class 3.
  kShortISign,      // "i", added to ShortISignPositions
  kLongASign,       // the ā letter: records nothing
  kVocalicRSign,    // the ṛ letter
  kOtherVowelSign,  // added to VowelSignPositions
  // Class 5.
  kAspirata,  // "asp1" to "asp4", added to AspirataPositions
  kNam,
  kLa,
  kKt,
  kOpenY,
  kApostrophe,
  kHalfR,
  kHalfRUpper,
  kHalfRr,
};

struct NamedGlyphRole {
  std::string_view name;
  GlyphClass glyph_class;
  GlyphRole role;
  bool only_a_role;  // the name is no transliteration text of its own
};

inline constexpr std::array<NamedGlyphRole, 16> kNamedGlyphRoles = {{
    {"mr", GlyphClass::kHalfSyllable, GlyphRole::kMr, false},
    {"tt", GlyphClass::kHalfSyllable, GlyphRole::kTt, false},
    {"r", GlyphClass::kHalfSyllable, GlyphRole::kR, false},
    {"i", GlyphClass::kVowelSign, GlyphRole::kShortISign, false},
    {"asp1", GlyphClass::kNamed, GlyphRole::kAspirata, true},
    {"asp2", GlyphClass::kNamed, GlyphRole::kAspirata, true},
    {"asp3", GlyphClass::kNamed, GlyphRole::kAspirata, true},
    {"asp4", GlyphClass::kNamed, GlyphRole::kAspirata, true},
    {"nam", GlyphClass::kNamed, GlyphRole::kNam, true},
    {"la", GlyphClass::kNamed, GlyphRole::kLa, false},
    {"kt", GlyphClass::kNamed, GlyphRole::kKt, false},
    {"open_y", GlyphClass::kNamed, GlyphRole::kOpenY, true},
    {"apostrophe", GlyphClass::kNamed, GlyphRole::kApostrophe, true},
    {"half_r", GlyphClass::kNamed, GlyphRole::kHalfR, true},
    {"half_R", GlyphClass::kNamed, GlyphRole::kHalfRUpper, true},
    {"half_rr", GlyphClass::kNamed, GlyphRole::kHalfRr, true},
}};

// The role of an entry's name under its class, or kNone.
constexpr GlyphRole NamedRole(GlyphClass glyph_class, std::string_view name) {
  for (const NamedGlyphRole& named : kNamedGlyphRoles) {
    if (named.glyph_class == glyph_class && named.name == name) {
      return named.role;
    }
  }
  return GlyphRole::kNone;
}

// A name that stands for nothing but a class-5 glyph's role.
constexpr bool IsRoleOnlyName(std::string_view name) {
  for (const NamedGlyphRole& named : kNamedGlyphRoles) {
    if (named.only_a_role && named.name == name) return true;
  }
  return false;
}

}  // namespace sfc
