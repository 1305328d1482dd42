// The dispatch of the conversion to Devanagari (which rule a letter goes
// to) and what each built-in font joins to the glyph before an r or a u.
// Part of to_devanagari.cpp, which alone includes it.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "sanideva_table.h"
#include "syllable_rows.h"
#include "to_devanagari_buffers.h"

namespace sfc {
namespace {

// What the dispatch decides for a current letter.
enum class Rule : unsigned char {
  kDrop,
  kCluster,
  kA,
  // vowel letters other than "a"
  kLongA,
  kE,
  kI,
  kLongI,
  kO,
  kU,
  kLongU,
  kVocalicR,
  kLongVocalicR,
  kVocalicL,
  kLongVocalicL,
  // letters that join their neighbours
  kR,
  kY,
  // signs, spaces and punctuation
  kVisarga,
  kAnusvara,
  kSpace,
  kLineEnd,
  kDigit,
  kApostrophe,
  kAltSpace,
  kDash,
  kSlash,
  kSign,         // a sign row, 27 before "a"
  kPunctuation,  // a fixed control byte
  kPlus,
  kUnderscore,
};

// How the short way writes a cluster before the letter after it.
enum class AfterCluster : unsigned char {
  kHalf,
  kFull,             // before a vowel letter or r
  kFullAndAspirata,  // before a space
  kFullWay,          // the cluster takes the full way of a step
};

struct Dispatch {
  Rule rule = Rule::kDrop;
  unsigned char arg = 0;  // ClusterLetter, sign row or punctuation byte
};

struct DispatchEntry {
  int letter;  // kNone: the font has no such letter
  Dispatch dispatch;
};

// Letters that write a sign row, 27 after it before an "a".
constexpr std::array<std::pair<int, int>, 8> kSignRows = {{{232, Row::kSign232},
                                                           {154, Row::kSign154},
                                                           {158, Row::kSign158},
                                                           {'f', Row::kSignF},
                                                           {'q', Row::kSignQ},
                                                           {'w', Row::kSignW},
                                                           {'x', Row::kSignX},
                                                           {'z', Row::kSignZ}}};

// The bytes 0 to 31, for the punctuation written as one of them.
constexpr std::string_view kControlBytes(
    "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
    "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f",
    32);

// Punctuation written as a fixed control byte.
constexpr std::array<std::pair<int, int>, 19> kPunctuation = {{{'~', 1},
                                                               {'{', 2},
                                                               {96, 3},
                                                               {',', 4},
                                                               {'.', 5},
                                                               {';', 6},
                                                               {':', 15},
                                                               {'<', 17},
                                                               {'>', 18},
                                                               {'!', 19},
                                                               {'#', 20},
                                                               {'$', 21},
                                                               {'%', 22},
                                                               {'&', 23},
                                                               {'*', 24},
                                                               {'(', 25},
                                                               {')', 26},
                                                               {'?', 28},
                                                               {'=', 29}}};

// How a Devanagari font joins an r or a u to the glyph written before it.
struct GlyphWithR {
  int glyph;
  std::string_view with_r;  // the glyph and the r, written together
};
struct FontJoins {
  std::string_view r_below;  // glyphs that take the r as the half-r sign
  int n_before_r;            // the n glyph that an r turns into the nra row, or kNone
  std::span<const GlyphWithR> r_forms;
  int u_after;                // the glyph that a u joins to, or kNone
  std::string_view u_joined;  // that glyph's u sign
};
constexpr std::array<GlyphWithR, 4> kSanskrit99RForms = {
    {{'f', "\xe1r"}, {'q', "Wr"}, {'y', "Yr"}, {'W', ":r"}}};
constexpr FontJoins kVedicJoins{"./bfgmpqvW", 'n', {}, 'k', "\xda"};
constexpr FontJoins kDevNatrajItrJoins{"\x87\xa4\xa7\xa2T\xaa\x9cs\xc4\xae", 140, {}, kNone, {}};
constexpr FontJoins kSanskrit99Joins{{}, kNone, kSanskrit99RForms, kNone, {}};
constexpr FontJoins kOtherFontJoins{{}, kNone, {}, kNone, {}};

const FontJoins& JoinsOf(std::string_view font_name) {
  const std::optional<DevanagariFont> font = FindDevanagariFont(font_name);
  if (!font) return kOtherFontJoins;
  switch (*font) {
    case DevanagariFont::kVedic:
      return kVedicJoins;
    case DevanagariFont::kDevNatrajItr:
      return kDevNatrajItrJoins;
    case DevanagariFont::kSanskrit99:
      return kSanskrit99Joins;
  }
  return kOtherFontJoins;
}

}  // namespace
}  // namespace sfc
