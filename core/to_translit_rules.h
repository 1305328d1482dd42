// The roles that glyph codes play in the conversion to transliteration:
// one table per built-in font, and the same filled from the positions a
// loaded glyph table recorded. Part of to_translit.cpp, which alone
// includes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "conversion.h"
#include "translit_output.h"

namespace sfc {
namespace {

using namespace std::string_view_literals;

// The roles a glyph code can have in a font, and the lists the rules test the
// next glyph against.
enum Role : std::size_t {
  kRGlyph,              // class 2: r written after its syllable
  kTtGlyph,             // class 2: tt
  kMrGlyph,             // class 2: r followed by the anusvara, after its syllable
  kShortISign,          // class 3: short i, written before its consonant
  kLongASign,           // class 3
  kRow169AfterLongA,    // after the long-a sign: the two make the row-169 letter
  kLaGlyph,             // class 5: la
  kRow169AfterLa,       // after the la glyph: the two make the row-169 letter
  kAspirataSign,        // class 5
  kDashGlyph,           // class 5
  kSlashGlyph,          // class 5
  kBackRForm,           // class 5: half_r, half_R, half_rr
  kNGlyph,              // class 5: n written like a back r
  kKeepsShortIPending,  // next glyphs after which a pending short i still waits
  kNamGlyph,            // class 5
  kKtGlyph,             // class 5
  kApostropheGlyph,     // class 5
  kOpenYGlyph,          // class 5
  kInherentVowel,       // next glyphs before which a syllable drops its "a"
  kBackRInherentVowel,  // the same list as the back-r forms and n glyphs use it
  kTtBeforeLongA,       // next glyphs before which the tt glyph reads as itself
  kESign,               // class 3: e signs that follow a long-a sign for o
  kAiSign,              // class 3: ai signs that follow a long-a sign for au
  kSignWithAnusvara,    // e and ai signs that carry the anusvara
  kJoinsLongA,          // class 2: half syllables read together with a long-a sign
  kStrokeSetter,        // glyphs after which the long-a sign sets the stroke flag
  kRoleCount,
};

// A short list of glyph codes, usable in constant tables.
struct CodeList {
  std::array<std::uint8_t, 40> codes{};
  std::size_t size = 0;

  constexpr CodeList() = default;
  constexpr CodeList(std::initializer_list<int> list) {
    for (const int code : list) codes.at(size++) = static_cast<std::uint8_t>(code);
  }
};

struct RoleCodes {
  Role role;
  CodeList codes;
};

// How a font's branch differs beyond its glyph codes.
struct BranchFlags {
  bool kta_before_underscore = false;   // tt glyph then "_" reads "kta"
  bool small_letters_join = false;      // class 9 joins its neighbour (else: nothing)
  bool class8_writes_pending_i = true;  // a pending short i follows a class-8 text
};

struct BuiltinFontRules {
  std::array<CodeList, kRoleCount> codes{};
  BranchFlags flags;
};

constexpr BuiltinFontRules MakeFontRules(std::initializer_list<RoleCodes> roles,
                                         BranchFlags flags) {
  BuiltinFontRules rules;
  for (const RoleCodes& role : roles) rules.codes.at(role.role) = role.codes;
  rules.flags = flags;
  return rules;
}

constexpr BuiltinFontRules kVedicRules = MakeFontRules(
    {
        {kRGlyph, {82, 156, 179, 220}},
        {kTtGlyph, {230, 255}},
        {kMrGlyph, {124}},
        {kShortISign, {105, 174, 178, 190, 225, 226}},
        {kLongASign, {59}},
        {kRow169AfterLongA, {'O'}},
        {kLaGlyph, {108}},
        {kRow169AfterLa, {'O'}},
        {kAspirataSign, {40, 170, 173, 177}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {41}},
        {kBackRForm, {91, 94, 137}},
        {kKeepsShortIPending, {91, 94, 137}},
        {kNamGlyph, {92}},
        {kKtGlyph, {95}},
        {kApostropheGlyph, {140}},
        {kOpenYGlyph, {228}},
        {kInherentVowel,
         {40,  42,  59,  73,  79,  85,  91,  94,  228, 101, 111, 117, 119, 131, 134, 137, 142,
          145, 147, 159, 161, 170, 173, 177, 185, 188, 191, 199, 200, 203, 217, 218, 242, 248}},
        {kBackRInherentVowel,
         {40,  42,  59,  73,  79,  85,  91,  94,  95,  101, 111, 117, 119, 131, 134, 137, 142,
          145, 147, 159, 161, 170, 173, 177, 185, 188, 191, 199, 200, 203, 217, 218, 242, 248}},
        {kTtBeforeLongA, {59}},
    },
    {.kta_before_underscore = true, .small_letters_join = false, .class8_writes_pending_i = true});

constexpr BuiltinFontRules kDevNatrajRules = MakeFontRules(
    {
        {kRGlyph, {124}},
        {kMrGlyph, {250}},
        {kShortISign, {117, 118, 253}},
        {kLongASign, {231}},
        {kRow169AfterLongA, {'w', 'x'}},
        {kLaGlyph, {194}},
        {kRow169AfterLa, {'w', 'x'}},
        {kAspirataSign, {189, 226}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {64}},
        {kBackRForm, {192, 126, 221}},
        {kNGlyph, {146, 215}},
        {kKeepsShortIPending, {126, 39, 192, 215}},
        {kNamGlyph, {229}},
        {kApostropheGlyph, {68}},
        {kOpenYGlyph, {176}},
        {kInherentVowel, {119, 120, 121, 122, 123, 126, 176, 189, 192, 146,
                          215, 226, 231, 235, 236, 237, 238, 239, 245, 248}},
        {kBackRInherentVowel,
         {119, 120, 121, 122, 123, 126, 176, 189, 192, 226, 231, 235, 236, 237, 238, 239, 245,
          248}},
        {kTtBeforeLongA, {231}},
        {kESign, {122, 245}},
        {kAiSign, {123, 248}},
        {kSignWithAnusvara, {245, 248}},
        {kJoinsLongA, {128, 145, 166, 175, 177, 179, 190, 205, 206, 207, 220, 199}},
        {kStrokeSetter, {39, 166, 175, 177, 179, 190, 205, 206, 207, 220, 199}},
    },
    {.kta_before_underscore = false, .small_letters_join = true, .class8_writes_pending_i = true});

constexpr BuiltinFontRules kSanskrit99Rules = MakeFontRules(
    {
        {kRGlyph, {82, 155}},
        {kTtGlyph, {197}},
        {kMrGlyph, {161}},
        {kShortISign, {105}},
        {kLongASign, {97}},
        {kRow169AfterLongA, {168, 169, 171}},
        {kLaGlyph, {108}},
        {kRow169AfterLa, {171}},
        {kAspirataSign, {33, 156, 137}},
        {kDashGlyph, {31}},
        {kSlashGlyph, {44}},
        {kBackRForm, {43}},
        {kKeepsShortIPending, {43}},
        {kNamGlyph, {126}},
        {kKtGlyph, {95}},
        {kApostropheGlyph, {61}},
        {kOpenYGlyph, {40}},
        // The short-i sign 105 is left out: it is written before its consonant
        // and never takes the syllable's "a".
        {kInherentVowel, {33,  43,  38,  40,  73,  97,  101, 137, 117, 156, 130,
                          133, 170, 171, 131, 175, 168, 169, 176, 69,  85}},
        {kBackRInherentVowel, {33,  43,  38,  40,  73,  97,  101, 137, 117, 156, 130,
                               133, 170, 171, 131, 175, 168, 169, 176, 69,  85}},
        {kTtBeforeLongA, {97}},
        {kESign, {101}},
        {kAiSign, {69}},
    },
    {.kta_before_underscore = false, .small_letters_join = false, .class8_writes_pending_i = true});

const BuiltinFontRules& BuiltinRulesFor(DevanagariFont font) {
  switch (font) {
    case DevanagariFont::kVedic:
      return kVedicRules;
    case DevanagariFont::kDevNatrajItr:
      return kDevNatrajRules;
    case DevanagariFont::kSanskrit99:
      break;
  }
  return kSanskrit99Rules;
}

inline constexpr std::size_t kByteValues = 256;
using GlyphSet = translit_output::ByteSet;

// Every byte value in order, for one-character texts of a glyph code.
constexpr std::array<char, kByteValues> kEveryByte = [] {
  std::array<char, kByteValues> bytes{};
  for (std::size_t code = 0; code < kByteValues; ++code) bytes[code] = static_cast<char>(code);
  return bytes;
}();

// The rules in force for one run: a set of glyph codes per role.
struct FontRules {
  std::array<GlyphSet, kRoleCount> sets;
  BranchFlags flags;

  bool Is(Role role, int code) const {
    return code >= 0 && code < static_cast<int>(kByteValues) &&
           sets[role][static_cast<std::size_t>(code)];
  }
  // Codes outside 1 to 255 (0 and 256 mean "none") are never glyphs of a text.
  void Add(Role role, int code) {
    if (code >= 1 && code < static_cast<int>(kByteValues)) {
      sets[role].set(static_cast<std::size_t>(code));
    }
  }
};

FontRules FromBuiltin(const BuiltinFontRules& builtin) {
  FontRules rules;
  for (std::size_t role = 0; role < kRoleCount; ++role) {
    const CodeList& list = builtin.codes[role];
    for (std::size_t i = 0; i < list.size; ++i) {
      rules.Add(static_cast<Role>(role), list.codes[i]);
    }
  }
  rules.flags = builtin.flags;
  return rules;
}

// The letters the rules write, read once from the rows of the letters alone
// (kLetterRows).
struct KeyLetters {
  std::string long_a;
  std::string long_i;
  std::string long_u;
  std::string vocalic_r;
  std::string long_vocalic_r;
  std::string anusvara;
  std::string vocalic_l;
  std::string row171_sign;  // the sign of the row named nam
};

KeyLetters ReadKeyLetters(const SanidevaTable& table) {
  auto key = [&table](Letter letter) {
    return table.key[static_cast<std::size_t>(LetterRow(letter))];
  };
  return {key(Letter::kLongA),    key(Letter::kLongI),        key(Letter::kLongU),
          key(Letter::kVocalicR), key(Letter::kLongVocalicR), key(Letter::kAnusvara),
          key(Letter::kVocalicL), key(Letter::kRow171Sign)};
}

// The rules for a glyph table loaded from disk, from the recorded positions.
FontRules LoadedRules(const ConverterState& state, const KeyLetters& letters) {
  const SpecialGlyphPositions& pos = state.positions;
  FontRules rules;
  for (const int code : pos.r_positions) rules.Add(kRGlyph, code);
  rules.Add(kTtGlyph, pos.tt_pos);
  rules.Add(kMrGlyph, pos.mr_pos);
  for (const int code : pos.short_i_sign_positions) rules.Add(kShortISign, code);
  // Every vowel sign but a short i takes the preceding syllable's "a"; the
  // long-a sign is any vowel sign that reads as the long-a letter.
  for (int code = 1; code < static_cast<int>(kByteValues); ++code) {
    const std::string& entry = state.devitran[static_cast<std::size_t>(code)];
    if (ClassOf(entry) != GlyphClass::kVowelSign) continue;
    const std::string_view text = GlyphText(entry);
    if (text != "i") rules.Add(kInherentVowel, code);
    if (!letters.long_a.empty() && text == letters.long_a) rules.Add(kLongASign, code);
  }
  rules.Add(kRow169AfterLongA, pos.vocalic_r_sign_pos);
  rules.Add(kLaGlyph, pos.la_pos);
  if (const std::string& sign = state.sanideva.half[Row::kVocalicR]; sign.size() == 1) {
    rules.Add(kRow169AfterLa, static_cast<unsigned char>(sign[0]));
  }
  for (const int code : pos.aspirata_positions) {
    rules.Add(kAspirataSign, code);
    rules.Add(kInherentVowel, code);
  }
  rules.Add(kDashGlyph, 31);
  rules.Add(kSlashGlyph, 41);
  for (const int code : {pos.half_r_pos, pos.half_r_upper_pos, pos.half_rr_pos}) {
    rules.Add(kBackRForm, code);
    rules.Add(kKeepsShortIPending, code);
    rules.Add(kInherentVowel, code);
  }
  rules.Add(kNamGlyph, pos.nam_pos);
  rules.Add(kKtGlyph, pos.kt_pos);
  rules.Add(kApostropheGlyph, pos.apostrophe_pos);
  rules.Add(kOpenYGlyph, pos.open_y_pos);
  rules.Add(kInherentVowel, pos.open_y_pos);
  rules.sets[kBackRInherentVowel] = rules.sets[kInherentVowel];
  rules.Add(kTtBeforeLongA, ';');
  rules.flags = {
      .kta_before_underscore = true, .small_letters_join = true, .class8_writes_pending_i = false};
  return rules;
}

using translit_output::ByteOf;
using translit_output::OutputText;

constexpr std::string_view kAskPrompt = "Enter new character for this code!";

}  // namespace
}  // namespace sfc
