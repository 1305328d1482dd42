// Devanagari glyph bytes to transliteration bytes.
//
// The conversion walks the padded input one glyph at a time. Each glyph's
// entry in the glyph table gives its text and its class; the class decides
// how the text joins the output. A few glyphs of every font have roles of
// their own (the back r, the short-i sign written before its consonant, the
// long-a sign, ...). Their codes are data: one table per built-in font below,
// and for a glyph table loaded from disk the same structure filled from the
// positions the loader recorded. When a stream is made, the classes and roles
// become one action and a set of flags per glyph code; one main loop serves
// all fonts.
//
// The input comes in blocks. A step sees the glyph before, the current one,
// the next one and, after reading two glyphs as one, the one after that; so
// until the input ends the loop stops three bytes before the end of what it
// was given and carries those bytes over to the next block. At the end the
// padding space is added and the loop runs on as over the whole text.
// The output passes on as soon as no rule can reach it (translit_output.h).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"
#include "drop_tracker.h"
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

// What a glyph does in a step, decided once per stream from its class and
// its roles (in the order the rules test them).
enum class Action : std::uint8_t {
  kStop,               // no entry: the run ends at this glyph
  kNothing,            // reads as nothing (the aspirata sign)
  kNoRule,             // no rule takes it: reads as nothing and is counted
  kAppend,             // appends its text, even an empty one
  kPiece,              // appends its text unless it is empty
  kFullSyllable,       // class 1
  kBackR,              // class 2 r glyph
  kBackRWithAnusvara,  // class 2 mr glyph
  kTt,                 // class 2 tt glyph
  kJoinsLongA,         // class 2, read together with a long-a sign after it
  kShortISign,         // class 3
  kLongASign,          // class 3
  kVowelSign,          // class 3, any other
  kLa,                 // class 5
  kBackRForm,          // class 5 back-r form or n glyph; its text is the letter
  kKt,                 // class 5
  kOpenY,              // class 5
  kFullVowel,          // class 6
  kAsk,                // class 7
  kTakenAsIs,          // class 8
  kSmallLetter,        // class 9 where small letters join
};

// What the rules test about a glyph when it stands next to the current one.
enum GlyphFlag : std::uint16_t {
  kEndsShortIPendingFlag = 1 << 0,  // a pending short i is written before it
  kInherentVowelFlag = 1 << 1,
  kBackRInherentVowelFlag = 1 << 2,
  kTtBeforeLongAFlag = 1 << 3,
  kLongASignFlag = 1 << 4,
  kRow169AfterLongAFlag = 1 << 5,
  kRow169AfterLaFlag = 1 << 6,
  kESignFlag = 1 << 7,
  kAiSignFlag = 1 << 8,
  kSignWithAnusvaraFlag = 1 << 9,
  kStrokeSetterFlag = 1 << 10,
  kEndsInAFlag = 1 << 11,         // its text ends in "a"
  kKtAfterTtGlyphFlag = 1 << 12,  // "_": after the tt glyph the two make kt
  kJoinsFullVowelFlag = 1 << 13,  // read together with a full vowel before it
  kStopFlag = 1 << 14,            // no entry
};

// Texts up to this size are kept in the glyph and copied as a whole block.
inline constexpr std::size_t kInlineText = 16;
inline constexpr std::uint8_t kLongText = 0xff;
// Room made at the output's end before every step: four inline texts.
inline constexpr std::size_t kStepRoom = 4 * kInlineText;

// The bits of the run's state that the short way of a step reads and writes:
// a short i waits for its syllable; always set (glyphs without a short way
// test it); something was appended (the clipboard was set); edits were made
// since the last append; the glyph before sends this step the full way.
inline constexpr std::uint8_t kPendingIBit = 1 << 0;
inline constexpr std::uint8_t kAlwaysBit = 1 << 1;
inline constexpr std::uint8_t kAppendedBit = 1 << 2;
inline constexpr std::uint8_t kEditsBit = 1 << 3;
inline constexpr std::uint8_t kNextSlowBit = 1 << 4;
// Not kept in the state but or-ed into it for the test: the stroke flag is set
// for this step.
inline constexpr std::uint8_t kStrokeBit = 1 << 7;

struct Glyph {
  std::array<char, kInlineText> text{};  // a longer text is in long_texts_
  std::uint16_t flags = 0;
  std::uint8_t size = 0;  // kLongText: the text is longer than kInlineText
  Action action = Action::kStop;
};

// How a glyph takes the short way through a step (see ShortWayFor): its
// text is appended, without its final "a" (drops) before a glyph with the
// inherent-vowel flag; a pending short i is written in place of a final "a"
// (writes_pending_i) before a glyph that ends it; the run's state bits are
// kept (keep) and set (set); a final "aa" becomes the long a (double_a). The
// full step is taken instead when the run's state has a bit of slow_state,
// the next glyph a flag of slow_next or the glyph before a flag of
// slow_previous.
struct ShortWay {
  bool fast = false;
  std::uint16_t drops = 0;  // the flag of the next glyph that drops the final "a"
  bool writes_pending_i = false;
  bool pending_i_unless_dropped = false;  // else only before a glyph that ends it
  bool double_a = false;
  std::uint8_t slow_state = 0;
  std::uint8_t keep = 0xff;
  std::uint8_t set = 0;
  std::uint16_t slow_next = 0;
  std::uint16_t slow_previous = 0;
};

// The flags of the next glyph that the short way reads; glyphs alike in
// these (and in what they test of the glyph before them) form one class.
inline constexpr std::uint16_t kNextClassFlags =
    kEndsShortIPendingFlag | kInherentVowelFlag | kBackRInherentVowelFlag | kRow169AfterLaFlag |
    kRow169AfterLongAFlag | kKtAfterTtGlyphFlag | kLongASignFlag | kJoinsFullVowelFlag | kStopFlag;

// The count of "a"s at the output's end that makes the short way replace
// them, and one it never reaches.
inline constexpr std::uint32_t kDoubleA = 2;
inline constexpr std::uint8_t kNoDoubleA = 3;

// A step's short way for one current glyph and one class of next glyphs,
// worked out when the stream is made: the text to copy (a whole block of
// kInlineText) and how far the end moves, and the bits of ShortWay.
struct Pair {
  std::array<char, kInlineText> text{};
  std::uint8_t size = 0;  // of the text as written
  std::uint8_t slow_state = 0xff;
  std::uint8_t keep = 0xff;
  std::uint8_t set = 0;
  std::uint8_t writes_i = 0;           // kPendingIBit: a pending short i is written
  std::uint8_t final_a = 0;            // 1: the text as written ends in "a"
  std::uint8_t double_a = kNoDoubleA;  // kDoubleA: a final "aa" becomes the long a
  // The "a"s at the output's end (up to kDoubleA) after the text, by their
  // count before it.
  std::array<std::uint8_t, 3> final_as{};
  std::uint8_t back = 0;    // characters removed from the end before the text
  std::int8_t advance = 0;  // size less back
  std::array<std::uint8_t, 4> unused{};
};
static_assert(sizeof(Pair) == 32);

// The characters the back-r insertion counts as vowel marks; the kt scan
// uses the same without the apostrophe.
GlyphSet VowelMarks(const KeyLetters& letters, bool with_apostrophe) {
  GlyphSet marks;
  for (const char mark : "aeiou "sv) marks.set(static_cast<unsigned char>(mark));
  for (const std::string* letter : {&letters.long_a, &letters.long_i, &letters.long_u,
                                    &letters.vocalic_r, &letters.long_vocalic_r}) {
    if (letter->size() == 1) marks.set(static_cast<unsigned char>((*letter)[0]));
  }
  if (with_apostrophe) marks.set(static_cast<unsigned char>('\''));
  return marks;
}

// What a full vowel followed by a sign of this text reads as; empty when the
// two stay apart.
std::string_view JoinedVowel(std::string_view sign_text, const KeyLetters& letters) {
  if (!letters.long_a.empty() && sign_text == letters.long_a) return letters.long_a;
  if (sign_text == "o") return "o";
  if (sign_text == "e") return "ai";
  if (sign_text == "au") return "au";
  return {};
}

// Everything a stream reads from the state's tables, worked out as the stream
// is made: the glyphs' actions, flags and texts, and the pairs of the short
// way.
class GlyphTables {
 public:
  explicit GlyphTables(const ConverterState& state)
      : letters_(ReadKeyLetters(state.sanideva)),
        back_r_marks_(VowelMarks(letters_, true)),
        kt_marks_(VowelMarks(letters_, false)) {
    const std::optional<DevanagariFont> font = FindDevanagariFont(state.devanagari_box_font);
    const FontRules rules =
        font ? FromBuiltin(BuiltinRulesFor(*font)) : LoadedRules(state, letters_);
    kta_before_underscore_ = rules.flags.kta_before_underscore;
    class8_writes_pending_i_ = rules.flags.class8_writes_pending_i;
    for (std::size_t code = 0; code < kByteValues; ++code) {
      ReadGlyph(code, state.devitran[code], rules);
      flags_[code] = glyphs_[code].flags;
    }
    MakePairs();
    ReadWrittenVowels(state.sanideva);
    // An insertion is known not to move the start of a consonant group back
    // only when the letters inserted are consonants to both scans.
    inserts_consonants_ = !back_r_marks_[ByteOf('r')] && !back_r_marks_[ByteOf('k')];
  }

 private:
  friend class sfc::ToTranslitStream::Engine;

  // The independent vowels that the syllable table writes as a full vowel
  // and a glyph after it that the plain reading takes otherwise (Dev Natraj
  // ITR writes ī as i and a hook that reads as the back r).
  void ReadWrittenVowels(const SanidevaTable& table) {
    for (const int row : {Row::kLongA, Row::kAi, Row::kAu, Row::kE, Row::kI, Row::kLongI, Row::kO,
                          Row::kU, Row::kLongU, Row::kVocalicR, Row::kLongVocalicR}) {
      const std::string& full = table.full[static_cast<std::size_t>(row)];
      if (full.size() != 2) continue;
      const auto vowel = static_cast<unsigned char>(full[0]);
      const auto after = static_cast<unsigned char>(full[1]);
      if (glyphs_[vowel].action != Action::kFullVowel || !joined_vowels_[after].empty()) continue;
      written_vowels_.push_back({vowel, after, " " + table.key[static_cast<std::size_t>(row)]});
    }
  }

  // A glyph's flags, action and text, from its entry and the font's rules.
  void ReadGlyph(std::size_t code, std::string_view entry, const FontRules& rules) {
    Glyph& glyph = glyphs_[code];
    glyph.flags = FlagsFor(code, entry, rules);
    std::string_view written = GlyphText(entry);  // what the glyph's text slot holds
    glyph.action = ActionFor(code, entry, rules, written);
    if (glyph.action == Action::kLa) written = "la";
    if (glyph.action == Action::kNothing || glyph.action == Action::kNoRule ||
        glyph.action == Action::kShortISign) {
      written = {};
    }
    glyph.size =
        written.size() <= kInlineText ? static_cast<std::uint8_t>(written.size()) : kLongText;
    if (written.size() <= kInlineText) {
      std::copy(written.begin(), written.end(), glyph.text.begin());
    } else {
      long_texts_[code] = written;
    }
  }

  // What the rules test about a glyph; notes the full vowel it makes after a
  // full vowel.
  std::uint16_t FlagsFor(std::size_t code, std::string_view entry, const FontRules& rules) {
    const int c = static_cast<int>(code);
    const std::string_view text = GlyphText(entry);
    std::uint16_t flags = 0;
    auto flag = [&](Role role, GlyphFlag bit) {
      if (rules.Is(role, c)) flags |= bit;
    };
    flag(kInherentVowel, kInherentVowelFlag);
    flag(kBackRInherentVowel, kBackRInherentVowelFlag);
    if (!rules.Is(kKeepsShortIPending, c)) flags |= kEndsShortIPendingFlag;
    flag(kTtBeforeLongA, kTtBeforeLongAFlag);
    flag(kLongASign, kLongASignFlag);
    flag(kRow169AfterLongA, kRow169AfterLongAFlag);
    flag(kRow169AfterLa, kRow169AfterLaFlag);
    flag(kESign, kESignFlag);
    flag(kAiSign, kAiSignFlag);
    flag(kSignWithAnusvara, kSignWithAnusvaraFlag);
    flag(kStrokeSetter, kStrokeSetterFlag);
    if (text.ends_with('a')) flags |= kEndsInAFlag;
    if (code == '_' && kta_before_underscore_ && !rules.Is(kTtBeforeLongA, c)) {
      flags |= kKtAfterTtGlyphFlag;
    }
    if (entry.empty()) return flags | kStopFlag;
    joined_vowels_[code] = JoinedVowel(text, letters_);
    if (!joined_vowels_[code].empty()) {
      joined_vowels_[code].insert(0, 1, ' ');
      flags |= kJoinsFullVowelFlag;
    }
    return flags;
  }

  // A glyph's action, from its class and its roles. A text other than the
  // entry's is written into `written`.
  Action ActionFor(std::size_t code, std::string_view entry, const FontRules& rules,
                   std::string_view& written) {
    const int c = static_cast<int>(code);
    if (entry.empty()) return Action::kStop;
    if (code == 27) {  // a separately written a
      written = "a";
      return Action::kAppend;
    }
    switch (ClassOf(entry)) {
      case GlyphClass::kFullSyllable:
        return Action::kFullSyllable;
      case GlyphClass::kHalfSyllable:
        return rules.Is(kRGlyph, c)       ? Action::kBackR
               : rules.Is(kMrGlyph, c)    ? Action::kBackRWithAnusvara
               : rules.Is(kTtGlyph, c)    ? Action::kTt
               : rules.Is(kJoinsLongA, c) ? Action::kJoinsLongA
                                          : Action::kAppend;
      case GlyphClass::kVowelSign:
        return rules.Is(kShortISign, c)  ? Action::kShortISign
               : rules.Is(kLongASign, c) ? Action::kLongASign
                                         : Action::kVowelSign;
      case GlyphClass::kItself:
        written = ItselfText(code);
        return Action::kAppend;
      case GlyphClass::kNamed:
        return SpecialAction(c, rules, written);
      case GlyphClass::kIndependentVowel:
        full_vowels_[code] = " ";
        full_vowels_[code] += GlyphText(entry);
        written = full_vowels_[code];
        return Action::kFullVowel;
      case GlyphClass::kAskUser:
        if (code != '\t' && code != '\n' && code != '\r') return Action::kAsk;
        written = ItselfText(code);
        return Action::kAppend;
      case GlyphClass::kTextAsIs:
        return Action::kTakenAsIs;
      case GlyphClass::kSmallLetter:
        return rules.flags.small_letters_join ? Action::kSmallLetter : Action::kNoRule;
      default:  // an entry without a class
        return Action::kNoRule;
    }
  }

  // The glyph code as a one-character text.
  static std::string_view ItselfText(std::size_t code) { return {&kEveryByte[code], 1}; }

  ShortWay ShortWayFor(const Glyph& glyph) const {
    ShortWay way;
    const bool has_rules = SetShortWayRules(glyph, way);
    way.fast = has_rules && glyph.size != kLongText;
    // Every glyph but these appends, even an empty text.
    const bool appends = glyph.action != Action::kNothing && glyph.action != Action::kNoRule &&
                         glyph.action != Action::kShortISign &&
                         (glyph.action != Action::kPiece || glyph.size > 0);
    if (appends) {
      way.keep &= static_cast<std::uint8_t>(~kEditsBit);
      way.set |= kAppendedBit;
    }
    return way;
  }

  // The short way's rules for the glyph's action; false for an action that
  // always takes the full step.
  bool SetShortWayRules(const Glyph& glyph, ShortWay& way) const {
    switch (glyph.action) {
      case Action::kNoRule:  // counted in the full step
        return false;
      case Action::kNothing:
      case Action::kAppend:
      case Action::kPiece:
        return true;
      case Action::kFullSyllable:
      case Action::kLa:
      case Action::kBackRForm:
        SetSyllableWay(glyph, way);
        return true;
      case Action::kShortISign:
      case Action::kVowelSign:
      case Action::kLongASign:
      case Action::kFullVowel:
        SetVowelWay(glyph.action, way);
        return true;
      case Action::kTt:
        way.slow_next = kKtAfterTtGlyphFlag;
        return true;
      case Action::kJoinsLongA:
        way.slow_next = kLongASignFlag;
        return true;
      case Action::kTakenAsIs:
        if (class8_writes_pending_i_) way.slow_state |= kPendingIBit;
        return true;
      default:
        return false;
    }
  }

  // Syllables drop their final "a" before a glyph that brings its own vowel
  // and write a pending short i in its place.
  static void SetSyllableWay(const Glyph& glyph, ShortWay& way) {
    if (glyph.action == Action::kBackRForm) {  // its text is the letter and "a"
      way.drops = kBackRInherentVowelFlag;
      way.writes_pending_i = true;
      way.pending_i_unless_dropped = true;
      return;
    }
    if (glyph.action == Action::kLa || (glyph.flags & kEndsInAFlag)) {
      way.drops = kInherentVowelFlag;
      way.writes_pending_i = true;
    }
    if (glyph.action == Action::kLa) way.slow_next = kRow169AfterLaFlag;
  }

  // Vowel signs and full vowels: a final "aa" becomes the long a.
  static void SetVowelWay(Action action, ShortWay& way) {
    switch (action) {
      case Action::kShortISign:
        way.set = kPendingIBit;
        break;
      case Action::kVowelSign:
        way.keep &= static_cast<std::uint8_t>(~kPendingIBit);
        way.double_a = true;
        // After a long-a sign the e and ai signs make o and au: the pairs
        // after a long-a sign do (AddPairsAfterLongA).
        break;
      case Action::kLongASign:
        way.double_a = true;
        way.slow_next = kRow169AfterLongAFlag;
        way.slow_previous = kStrokeSetterFlag;
        break;
      default:  // a full vowel: its text is a space and the vowel
        way.double_a = true;
        way.slow_next = kJoinsFullVowelFlag | kStopFlag;
        break;
    }
  }

  // The classes of next glyphs, and the short way of every pair of a
  // current glyph and a class.
  void MakePairs() {
    std::array<ShortWay, kByteValues> ways;
    for (std::size_t code = 0; code < kByteValues; ++code) {
      ways[code] = ShortWayFor(glyphs_[code]);
      slow_previous_[code] = ways[code].slow_previous;
    }
    const std::vector<std::size_t> members = ClassifyNextGlyphs(ways);
    FillPairs(ways, members);
    for (std::size_t code = 0; code < kByteValues; ++code) {
      if (IsEOrAiSign(code)) makes_o_au_ = true;
      if (glyphs_[code].action == Action::kJoinsLongA || (flags_[code] & kStrokeSetterFlag)) {
        sets_stroke_ = true;
      }
    }
    // The pairs after a long-a sign differ where an e or ai sign makes o or
    // au; fonts without such signs need none.
    if (makes_o_au_) AddPairsAfterLongA(members.size());
  }

  bool IsEOrAiSign(std::size_t code) const {
    return glyphs_[code].action == Action::kVowelSign &&
           (flags_[code] & (kESignFlag | kAiSignFlag));
  }

  // Sorts the glyphs into classes of next glyphs, alike in their flags and in
  // what they test before them; returns one glyph of each class.
  std::vector<std::size_t> ClassifyNextGlyphs(const std::array<ShortWay, kByteValues>& ways) {
    std::vector<std::uint32_t> classes;  // the class's flags, and what it tests before it
    std::vector<std::size_t> members;
    for (std::size_t code = 0; code < kByteValues; ++code) {
      const std::uint32_t key = (flags_[code] & kNextClassFlags) |
                                (static_cast<std::uint32_t>(ways[code].slow_previous) << 16);
      const auto found = std::find(classes.begin(), classes.end(), key);
      next_offset_[code] = static_cast<std::uint32_t>(found - classes.begin()) * kByteValues;
      if (found == classes.end()) {
        classes.push_back(key);
        members.push_back(code);
      }
    }
    return members;
  }

  // Every glyph's pair with its final "a" kept and dropped, then the pairs
  // for each class of next glyphs; glyphs without a short way stay slow.
  void FillPairs(const std::array<ShortWay, kByteValues>& ways,
                 const std::vector<std::size_t>& members) {
    std::array<std::array<Pair, 2>, kByteValues> drops;
    for (std::size_t code = 0; code < kByteValues; ++code) {
      if (!ways[code].fast) continue;
      for (const bool drop : {false, true}) drops[code][drop] = BasePair(code, ways[code], drop);
    }
    Pair slow;
    slow.slow_state = kAlwaysBit;
    pairs_.assign(members.size() * kByteValues, slow);
    for (std::size_t k = 0; k < members.size(); ++k) {
      const std::size_t next = members[k];
      for (std::size_t code = 0; code < kByteValues; ++code) {
        if (ways[code].fast) {
          MakePair(code, ways[code], drops[code], next, ways[next], pairs_[k * kByteValues + code]);
        }
      }
    }
  }

  // The second half of the table: the pairs after a long-a sign, where an e
  // or ai sign makes o or au.
  void AddPairsAfterLongA(std::size_t class_count) {
    const std::size_t half = pairs_.size();
    pairs_.resize(2 * half);
    std::copy(pairs_.begin(), pairs_.begin() + static_cast<std::ptrdiff_t>(half),
              pairs_.begin() + static_cast<std::ptrdiff_t>(half));
    for (std::size_t code = 0; code < kByteValues; ++code) {
      if (flags_[code] & kLongASignFlag) previous_half_[code] = static_cast<std::uint32_t>(half);
    }
    for (std::size_t k = 0; k < class_count; ++k) {
      for (std::size_t code = 0; code < kByteValues; ++code) {
        if (IsEOrAiSign(code)) MakeOAu(code, pairs_[half + k * kByteValues + code]);
      }
    }
  }

  // An e or ai sign after a long-a sign: the long a's last character goes,
  // o or au (with the anusvara for the signs that carry it) is appended.
  void MakeOAu(std::size_t code, Pair& pair) const {
    std::string piece = (flags_[code] & kESignFlag) ? "o" : "au";
    if (flags_[code] & kSignWithAnusvaraFlag) piece += letters_.anusvara;
    if (piece.size() > kInlineText || (pair.slow_state & kAlwaysBit)) {
      pair.slow_state |= kAlwaysBit;
      return;
    }
    pair.text = {};
    std::copy(piece.begin(), piece.end(), pair.text.begin());
    pair.size = static_cast<std::uint8_t>(piece.size());
    pair.back = 1;
    pair.advance = static_cast<std::int8_t>(pair.size - 1);
    // With the stroke flag set the two stay apart: the full step.
    pair.slow_state |= kStrokeBit;
    SetFinalAs(pair);
  }

  static void SetFinalAs(Pair& pair) {
    const std::string_view text(pair.text.data(), pair.size);
    const std::size_t not_a = text.find_last_not_of('a');
    for (std::size_t before = 0; before <= kDoubleA; ++before) {
      const std::size_t count =
          not_a == std::string_view::npos ? before + text.size() : text.size() - 1 - not_a;
      pair.final_as[before] = static_cast<std::uint8_t>(std::min<std::size_t>(count, kDoubleA));
    }
  }

  // A glyph's pair before any next glyph: the text, without its final "a"
  // when `drop`.
  Pair BasePair(std::size_t code, const ShortWay& way, bool drop) const {
    const Glyph& glyph = glyphs_[code];
    Pair pair;
    pair.slow_state = static_cast<std::uint8_t>(way.slow_state | kNextSlowBit);
    if (!way.fast || (drop && glyph.size == 0)) {
      pair.slow_state |= kAlwaysBit;
      return pair;
    }
    pair.text = glyph.text;
    pair.size = static_cast<std::uint8_t>(glyph.size - (drop ? 1 : 0));
    pair.advance = static_cast<std::int8_t>(pair.size);
    pair.final_a = pair.size > 0 && pair.text[pair.size - 1U] == 'a' ? 1 : 0;
    pair.keep = static_cast<std::uint8_t>(way.keep & ~kNextSlowBit);
    pair.set = way.set;
    pair.double_a = way.double_a ? kDoubleA : kNoDoubleA;
    SetFinalAs(pair);
    return pair;
  }

  // The pair of a glyph and a class of next glyphs (`next` is one of them),
  // written over a slow one.
  void MakePair(std::size_t code, const ShortWay& way, const std::array<Pair, 2>& drops,
                std::size_t next, const ShortWay& next_way, Pair& pair) const {
    const std::uint16_t next_flags = flags_[next];
    if (next_flags & way.slow_next) return;
    const bool drop = (next_flags & way.drops) != 0;
    std::memcpy(&pair, &drops[drop], sizeof(Pair));
    if (way.writes_pending_i &&
        (way.pending_i_unless_dropped ? !drop : (next_flags & kEndsShortIPendingFlag))) {
      pair.writes_i = kPendingIBit;
      // Nothing written: the character before decides, which the full step
      // reads.
      if (pair.size == 0) pair.slow_state |= kPendingIBit;
      // A pending short i is written, or there is none: it is gone after.
      pair.keep &= static_cast<std::uint8_t>(~kPendingIBit);
    }
    if (glyphs_[code].flags & next_way.slow_previous) pair.set |= kNextSlowBit;
  }

  // Class 5: the roles in the order the rules test them. Pieces are written
  // into `written`.
  Action SpecialAction(int c, const FontRules& rules, std::string_view& written) {
    if (rules.Is(kLaGlyph, c)) return Action::kLa;
    if (rules.Is(kAspirataSign, c)) return Action::kNothing;
    if (rules.Is(kDashGlyph, c)) {
      written = "-";
      return Action::kPiece;
    }
    if (rules.Is(kSlashGlyph, c)) {
      written = "/";
      return Action::kPiece;
    }
    if (rules.Is(kBackRForm, c) || rules.Is(kNGlyph, c)) {
      written = rules.Is(kBackRForm, c) ? "ra" : "na";
      return Action::kBackRForm;
    }
    if (rules.Is(kNamGlyph, c)) {
      written = letters_.row171_sign;
      return Action::kPiece;
    }
    if (rules.Is(kKtGlyph, c)) return Action::kKt;
    if (rules.Is(kApostropheGlyph, c)) {
      written = " '";
      return Action::kPiece;
    }
    if (rules.Is(kOpenYGlyph, c)) return Action::kOpenY;
    return Action::kNoRule;  // no role in this font
  }

  KeyLetters letters_;
  GlyphSet back_r_marks_;
  GlyphSet kt_marks_;
  bool inserts_consonants_ = true;

  // The glyph table, read once.
  std::array<Glyph, kByteValues> glyphs_;
  std::array<std::uint16_t, kByteValues> flags_{};  // the glyphs' flags, together
  std::array<std::uint16_t, kByteValues> slow_previous_{};
  std::array<std::uint32_t, kByteValues> next_offset_{};  // the next glyph's class in pairs_
  std::vector<Pair> pairs_;  // by class of the next glyph, then current glyph
  // With makes_o_au_, a second half after a long-a sign, where previous_half_
  // of the glyph before points.
  bool makes_o_au_ = false;
  bool sets_stroke_ = false;  // some glyph sets the stroke flag
  std::array<std::uint32_t, kByteValues> previous_half_{};
  std::array<std::string, kByteValues> long_texts_;
  std::array<std::string, kByteValues> full_vowels_;    // class 6: " " and the text
  std::array<std::string, kByteValues> joined_vowels_;  // as the sign after a full vowel
  struct WrittenVowel {
    unsigned char vowel;
    unsigned char after;
    std::string text;  // " " and the row's key
  };
  std::vector<WrittenVowel> written_vowels_;  // read with StreamOptions::read_as_written
  bool kta_before_underscore_ = false;
  bool class8_writes_pending_i_ = false;
};

// The Devanagari box takes the current Devanagari font name, as a run
// starts.
ConverterState& TakeCurrentFont(ConverterState& state) {
  state.devanagari_box_font = state.devanagari_font_name;
  return state;
}

}  // namespace

// The conversion: one step per glyph over a window of three (the glyph
// before, the current one and the next), as the whole text would show it.
class ToTranslitStream::Engine {
 public:
  Engine(ConverterState& state, InputBox input_box, OutputSink sink, StreamOptions options)
      : state_(TakeCurrentFont(state)),
        input_box_(std::move(input_box)),
        sink_(std::move(sink)),
        options_(options),
        tables_(std::make_unique<const GlyphTables>(state_)),
        t_(*tables_),
        out_(t_.back_r_marks_, t_.kt_marks_, options.clipboard),
        pass_on_(!options.hold_output && t_.inserts_consonants_),
        drops_(options.on_drop) {}

  // A new run over the tables of an engine whose run has finished: every
  // member of the run starts as in a new engine.
  explicit Engine(Engine&& finished)
      : state_(TakeCurrentFont(finished.state_)),
        input_box_(std::move(finished.input_box_)),
        sink_(std::move(finished.sink_)),
        options_(std::move(finished.options_)),
        tables_(std::move(finished.tables_)),
        t_(*tables_),
        out_(t_.back_r_marks_, t_.kt_marks_, options_.clipboard),
        pass_on_(!options_.hold_output && t_.inserts_consonants_),
        drops_(options_.on_drop) {}

  void Feed(std::string_view block) {
    fed_ += block.size();
    if (stopped_) return;
    drops_.Fed(block);
    FeedBlock(block);
    // The next window's current glyph: its offset in the input.
    drops_.Settle(carry_at_);
  }

  StreamEnd Finish() {
    if (!stopped_) {
      carry_ += ' ';  // the padding after the input
      const Byte* const c = Bytes(carry_);
      Origin(c, carry_at_);
      const Byte* const p = Run<true>(c, c + carry_.size() - 1, c + carry_.size());
      stop_at_ = carry_at_ + static_cast<std::uint64_t>(p - c);
    }
    carry_.clear();
    auto sink = Sink();
    out_.PassOnAll(sink);
    state_.devanagari_font_name = state_.devanagari_box_font;

    StreamEnd end;
    // Fewer than three characters of the padded input left unread.
    end.completed = fed_ + 2 - stop_at_ < 3;
    end.input_boxes = std::move(asked_);
    // The window's current glyph, the one whose step could not go on, is
    // the padded input's byte after the window start: input offset stop_at_.
    if (!end.completed) end.stop = drops_.Stop(stop_at_);
    drops_.Settle(fed_);
    end.dropped = drops_.Take();
    if (options_.clipboard && out_.appended()) {
      end.clipboard_set = true;
      end.clipboard_edits = std::move(out_).TakeEdits();
    }
    return end;
  }

 private:
  using Byte = unsigned char;

  void FeedBlock(std::string_view block) {
    if (carry_.size() + block.size() <= kSmallBlock) {
      carry_ += block;
      if (carry_.size() > kLookAhead) {
        const Byte* const c = Bytes(carry_);
        Origin(c, carry_at_);
        const Byte* const p = Run<false>(c, c + carry_.size() - kLookAhead, c + carry_.size());
        const auto read = static_cast<std::size_t>(p - c);
        if (stopped_) {
          stop_at_ = carry_at_ + read;
          return;
        }
        carry_.erase(0, read);
        carry_at_ += read;
      }
      MaybePassOn();
      return;
    }
    // The glyphs still in the carry, read with the start of the block...
    const std::size_t carried = carry_.size();
    carry_.append(block.substr(0, kLookAhead));
    const Byte* const c = Bytes(carry_);
    Origin(c, carry_at_);
    const Byte* p = Run<false>(c, c + carried, c + carry_.size());
    if (stopped_) {
      stop_at_ = carry_at_ + static_cast<std::uint64_t>(p - c);
      return;
    }
    // ... then the block itself, in chunks between which the final output
    // is passed on.
    const std::uint64_t block_at = carry_at_ + carried;
    const Byte* const b = Bytes(block);
    Origin(b, block_at);
    const Byte* const block_end = b + block.size();
    p = b + (p - (c + carried));
    const Byte* const last = block_end - kLookAhead;
    while (p < last) {
      const Byte* const chunk_end = last - p > kChunk ? p + kChunk : last;
      p = Run<false>(p, chunk_end, block_end);
      if (stopped_) {
        stop_at_ = block_at + static_cast<std::uint64_t>(p - b);
        return;
      }
      MaybePassOn();
    }
    carry_.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(block_end - p));
    carry_at_ = block_at + static_cast<std::uint64_t>(p - b);
  }

  // The bytes the steps run over start at `origin`, the padded input's
  // offset `at`.
  void Origin(const Byte* origin, std::uint64_t at) {
    origin_ = origin;
    origin_at_ = at;
  }

  // The current glyph of the window at `p` wrote nothing and no rule took it.
  [[gnu::noinline]] void Dropped(const Byte* p) {
    // The window's current glyph is its second byte; the padded input has
    // one byte before the input.
    drops_.Drop(p[1], origin_at_ + static_cast<std::uint64_t>(p - origin_));
  }

  // A step reads the window and at most one glyph beyond it.
  static constexpr std::size_t kLookAhead = 3;
  // Blocks this small are added to the carry and read from there.
  static constexpr std::size_t kSmallBlock = 64;
  // Input read between two looks at what can be passed on.
  static constexpr std::ptrdiff_t kChunk = 1 << 16;
  // The held output at which passing on is first tried.
  static constexpr std::size_t kFirstPassOn = 16;

  static const Byte* Bytes(std::string_view text) {
    return reinterpret_cast<const Byte*>(text.data());
  }

  // Passes pieces on to the caller's sink, if any.
  struct PassOnSink {
    const OutputSink& sink;
    void operator()(std::string_view piece) const {
      if (sink) sink(piece);
    }
  };
  PassOnSink Sink() const { return {sink_}; }

  // Tries to pass on what is final once the held output has doubled since
  // the last try, so that the tries cost time in proportion to the output.
  void MaybePassOn() {
    if (!pass_on_ || out_.Held() < next_pass_on_) return;
    auto sink = Sink();
    out_.PassOn(out_.SafeFlushPoint(), sink);
    next_pass_on_ = std::max(kFirstPassOn, 2 * out_.Held());
  }

  // ---- The main loop ----

  // Runs steps for the windows starting before `stop`; `end` ends the bytes
  // known. Before the end of the input (kAtEnd false) at least three bytes
  // follow every window start, so the steps see what the whole text shows.
  template <bool kAtEnd>
  const Byte* Run(const Byte* p, const Byte* stop, const Byte* end) {
    if constexpr (!kAtEnd) {
      // Reading as written looks at more than the short way's pairs know.
      if (options_.read_as_written) return RunFullSteps<false>(p, stop, end);
      if (!t_.makes_o_au_) return RunShortWay<false, false>(p, stop, end);
      return t_.sets_stroke_ ? RunShortWay<true, true>(p, stop, end)
                             : RunShortWay<true, false>(p, stop, end);
    }
    return RunFullSteps<kAtEnd>(p, stop, end);
  }

  template <bool kAtEnd>
  const Byte* RunFullSteps(const Byte* p, const Byte* stop, const Byte* end) {
    while (p < stop) {
      if (!Step<kAtEnd>(p, end)) {
        stopped_ = true;
        break;
      }
      ++p;
    }
    return p;
  }

  // The run's state in the short way: the state bits, the "a"s at the
  // output's end (up to kDoubleA) and the steps for which the stroke flag
  // stays set (one bit each, the next step's lowest).
  struct ShortState {
    std::uint32_t bits = 0;
    std::uint32_t final_as = 0;
    std::uint32_t stroke = 0;
  };

  // The main loop before the end of the input. Most steps take the short
  // way: straight-line code driven by a Pair, with the output's end and the
  // run's state in locals. The rest take the full step.
  // kOAu: the font's e and ai signs make o and au after a long-a sign;
  // kStroke: its glyphs set the stroke flag.
  template <bool kOAu, bool kStroke>
  const Byte* RunShortWay(const Byte* p, const Byte* stop, const Byte* end) {
    ShortState st = LoadState(p);
    while (p < stop) {
      const Byte* const chunk_stop = StopWithRoom(p, stop);
      char* w = out_.End();
      std::uint32_t state = st.bits;
      std::uint32_t final_as = st.final_as;
      std::uint32_t stroke = st.stroke;
      // The short way removes at most a character of the held text (a final
      // "a" it wrote itself, the long a before o and au); with fewer than two
      // held before the end the full step, which checks, is taken.
      bool full_step = out_.End() - out_.Start() < 2;
      // The tables and the window in registers: a char written may alias
      // anything, so nothing is read again through `this`.
      const Pair* const pairs = t_.pairs_.data();
      const std::uint32_t* const next_offset = t_.next_offset_.data();
      const std::uint32_t* const previous_half = t_.previous_half_.data();
      std::size_t previous = p[0];
      std::size_t current = p[1];
      while (!full_step && p < chunk_stop) {
        const std::size_t next = p[2];
        std::size_t index = next_offset[next] + current;
        std::uint32_t test = state;
        if constexpr (kOAu) index += previous_half[previous];
        if constexpr (kStroke) test |= stroke << 7;  // kStrokeBit
        const Pair& pair = pairs[index];
        if (test & pair.slow_state) [[unlikely]] {
          full_step = true;
          break;
        }
        std::memcpy(kOAu ? w - pair.back : w, pair.text.data(), kInlineText);
        // A pending short i takes the place of the syllable's final "a".
        const std::uint32_t write_i = state & pair.writes_i;
        char* const i_at = w + (pair.advance - (write_i & pair.final_a));
        *i_at = 'i';
        w = i_at + write_i;
        final_as = pair.final_as[final_as] & (write_i - 1);
        state = (state & pair.keep) | pair.set;
        if constexpr (kStroke) stroke >>= 1;
        ++p;
        previous = current;
        current = next;
        if (final_as == pair.double_a) [[unlikely]] {
          st = ReplaceDoubleAAt(w, {state, final_as, stroke}, p);
          w = out_.End();
          break;
        }
      }
      out_.SetEnd(w);
      if (!full_step) {
        if (p == chunk_stop) st = {state, final_as, stroke};
        continue;
      }
      if (!StepShortWayCannot(p, end, {state, final_as, stroke}, st)) break;
    }
    StoreState(st);
    return p;
  }

  // The end of the steps that the room at the end of the output surely
  // holds, made at least one step.
  const Byte* StopWithRoom(const Byte* p, const Byte* stop) {
    auto fit = static_cast<std::size_t>(out_.Limit() - out_.End()) / kStepRoom;
    if (fit == 0) {
      out_.Reserve(kStepRoom * 256);
      fit = static_cast<std::size_t>(out_.Limit() - out_.End()) / kStepRoom;
    }
    return stop - p > static_cast<std::ptrdiff_t>(fit) ? p + fit : stop;
  }

  // A final "aa" that the short way wrote (its end at `w`, its state `run`)
  // becomes the long a; returns the state for the window `p`. Kept out of
  // the short way's loop, which it would otherwise crowd.
  [[gnu::noinline]] ShortState ReplaceDoubleAAt(char* w, const ShortState& run, const Byte* p) {
    out_.SetEnd(w);
    StoreState(run);
    ReplaceDoubleA();
    return LoadState(p);
  }

  // The step at `p` that the short way could not take, from its state `run`;
  // `st` becomes the state after it. False when the run ends there (`st` is
  // left as it was). Inline in each short way, as when written there.
  [[gnu::always_inline]] bool StepShortWayCannot(const Byte*& p, const Byte* end,
                                                 const ShortState& run, ShortState& st) {
    if (t_.glyphs_[p[1]].action == Action::kBackR) {
      // The back-r glyph changes neither the end of the output nor the
      // state: only the insertion.
      if (!(run.bits & kEditsBit)) out_.ClearEdits();
      out_.InsertBeforeLastConsonants('r', 0, translit_output::kBackRScan);
      ++p;
      st = {run.bits & ~std::uint32_t{kNextSlowBit}, run.final_as, run.stroke >> 1};
      if (out_.HasEdits()) st.bits |= kEditsBit;
      if (t_.flags_[p[0]] & t_.slow_previous_[p[1]]) st.bits |= kNextSlowBit;
      return true;
    }
    // The full step.
    StoreState(run);
    if (!Step<false>(p, end)) {
      stopped_ = true;
      return false;
    }
    ++p;
    st = LoadState(p);
    return true;
  }

  // `p` is the window of the next step.
  ShortState LoadState(const Byte* p) const {
    ShortState st;
    st.bits = kAlwaysBit;
    if (t_.flags_[p[0]] & t_.slow_previous_[p[1]]) st.bits |= kNextSlowBit;
    if (short_i_pending_) st.bits |= kPendingIBit;
    if (out_.appended()) st.bits |= kAppendedBit;
    if (out_.HasEdits()) st.bits |= kEditsBit;
    st.final_as = out_.EndsWith('a') ? (out_.EndsWith("aa") ? 2 : 1) : 0;
    // The flag is cleared at the start of the step that counts it past 2.
    if (stroke_flag_) st.stroke = (1U << (2 - stroke_steps_)) - 1;
    return st;
  }
  void StoreState(const ShortState& st) {
    short_i_pending_ = (st.bits & kPendingIBit) != 0;
    if (st.bits & kAppendedBit) out_.SetAppended();
    if (!(st.bits & kEditsBit)) out_.ClearEdits();
    stroke_flag_ = st.stroke != 0;
    stroke_steps_ = st.stroke == 1 ? 1 : 0;
  }

  // The next glyph, -1 when the input has none.
  template <bool kAtEnd>
  static int Next(const Byte* p, const Byte* end) {
    if constexpr (kAtEnd) {
      if (p + 2 >= end) return -1;
    }
    return p[2];
  }
  std::uint16_t Flags(int code) const { return t_.flags_[static_cast<std::size_t>(code)]; }

  void AppendText(const Glyph& glyph, std::size_t code, std::size_t size) {
    if (glyph.size != kLongText) {
      std::memcpy(out_.End(), glyph.text.data(), kInlineText);
      out_.Advance(size);
      out_.MarkAppended();
    } else {
      out_.Append(std::string_view(t_.long_texts_[code]).substr(0, size));
    }
  }
  void AppendText(const Glyph& glyph, std::size_t code) {
    AppendText(glyph, code, Text(glyph, code).size());
  }
  // A piece that changes nothing when empty.
  void AppendPiece(std::string_view piece) {
    if (!piece.empty()) out_.Append(piece);
  }
  void ReplaceDoubleA() {
    if (out_.EndsWith("aa")) out_.ReplaceLast(2, t_.letters_.long_a);
  }
  // A pending short i is written after the syllable, in place of its "a".
  void WritePendingI(int next) {
    // Read as written, a short i before a syllable and the small letter that
    // joins it follows the small letter.
    if (options_.read_as_written &&
        t_.glyphs_[static_cast<std::size_t>(next)].action == Action::kSmallLetter) {
      now_.i_deferred = short_i_pending_;
      return;
    }
    if (short_i_pending_ && (Flags(next) & kEndsShortIPendingFlag)) {
      if (out_.EndsWith('a')) out_.RemoveLast(1);
      out_.Append("i");
      short_i_pending_ = false;
    }
  }

  // One step, the full way: the rules of the current glyph's action group.
  template <bool kAtEnd>
  bool Step(const Byte*& p, const Byte* end) {
    CountStrokeStep();
    if (options_.read_as_written) {
      before_ = now_;
      now_ = {};
    }
    out_.Reserve(kStepRoom);
    const std::size_t code = p[1];
    const Glyph& glyph = t_.glyphs_[code];
    switch (glyph.action) {
      case Action::kStop:
        return false;
      case Action::kNothing:
        return true;
      case Action::kNoRule:
        Dropped(p);
        return true;
      case Action::kAppend:
      case Action::kPiece:
      case Action::kAsk:
      case Action::kTakenAsIs:
      case Action::kSmallLetter:
        return TextStep<kAtEnd>(glyph, code, p, end);
      case Action::kFullSyllable:
      case Action::kTt:
      case Action::kJoinsLongA:
      case Action::kLa:
        return SyllableStep<kAtEnd>(glyph, code, p, end);
      case Action::kShortISign:
      case Action::kLongASign:
      case Action::kVowelSign:
      case Action::kFullVowel:
        return VowelStep<kAtEnd>(glyph, code, p, end);
      case Action::kBackR:
      case Action::kBackRWithAnusvara:
      case Action::kBackRForm:
      case Action::kKt:
      case Action::kOpenY:
        return ConsonantFormStep<kAtEnd>(glyph, p, end);
    }
    return true;
  }

  // The stroke flag stays set for two steps after the one that set it.
  void CountStrokeStep() {
    if (stroke_flag_ && ++stroke_steps_ > 2) {
      stroke_steps_ = 0;
      stroke_flag_ = false;
    }
  }

  // Glyphs whose text is appended as it is, or nearly so.
  template <bool kAtEnd>
  bool TextStep(const Glyph& glyph, std::size_t code, const Byte* p, const Byte* end) {
    switch (glyph.action) {
      case Action::kPiece:
        if (glyph.size != 0) AppendText(glyph, code);
        return true;
      case Action::kAsk:
        AskUser(static_cast<int>(code), p);
        return true;
      case Action::kTakenAsIs:
        TakenAsIs(glyph, code);
        return true;
      case Action::kSmallLetter:
        return SmallLetter<kAtEnd>(glyph, code, p, end);
      default:
        AppendText(glyph, code);
        return true;
    }
  }

  // Class 8: a pending short i follows the text where the font says so.
  void TakenAsIs(const Glyph& glyph, std::size_t code) {
    if (t_.class8_writes_pending_i_ && short_i_pending_) {
      std::string piece(Text(glyph, code));
      piece += 'i';
      out_.Append(piece);
      short_i_pending_ = false;
      return;
    }
    AppendText(glyph, code);
  }

  // Class 9 where small letters join: the "a" before goes, and the text's
  // own final "a" goes before a glyph that brings its own vowel.
  template <bool kAtEnd>
  bool SmallLetter(const Glyph& glyph, std::size_t code, const Byte* p, const Byte* end) {
    if (out_.EndsWith('a')) out_.RemoveLast(1);
    if (!(glyph.flags & kEndsInAFlag)) {
      AppendText(glyph, code);
      return true;
    }
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    AppendText(glyph, code,
               Text(glyph, code).size() - ((Flags(next) & kInherentVowelFlag) ? 1 : 0));
    if (before_.i_deferred) WritePendingI(next);
    return true;
  }

  // Syllables: their final "a" goes before a glyph that brings its own vowel,
  // and a pending short i follows them.
  template <bool kAtEnd>
  bool SyllableStep(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end) {
    switch (glyph.action) {
      case Action::kTt:
        return Tt<kAtEnd>(glyph, code, p, end);
      case Action::kJoinsLongA:
        return JoinsLongA<kAtEnd>(glyph, code, p, end);
      case Action::kLa:
        return La<kAtEnd>(p, end);
      default:
        break;
    }
    if (!(glyph.flags & kEndsInAFlag)) {
      AppendText(glyph, code);
      return true;
    }
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    const bool keeps_a = !(Flags(next) & kInherentVowelFlag);
    AppendText(glyph, code, Text(glyph, code).size() - (keeps_a ? 0 : 1));
    now_.syllable_a = keeps_a;
    WritePendingI(next);
    return true;
  }

  // The tt glyph: before the long-a sign it reads as itself; before "_" the
  // two make kt.
  template <bool kAtEnd>
  bool Tt(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    if (!(Flags(next) & kTtBeforeLongAFlag) && t_.kta_before_underscore_ && next == '_') {
      ++p;
      return FullSyllable<kAtEnd>("kta", p, end);
    }
    AppendText(glyph, code);
    return true;
  }

  // A half syllable before a long-a sign: the syllable with its "a", read as
  // a full syllable before the glyph after the sign.
  template <bool kAtEnd>
  bool JoinsLongA(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    if (!(Flags(next) & kLongASignFlag)) {
      AppendText(glyph, code);
      return true;
    }
    ++p;
    stroke_flag_ = true;
    const int after = Next<kAtEnd>(p, end);
    if (after < 0) return false;
    AppendText(glyph, code);
    if (!(Flags(after) & kInherentVowelFlag)) out_.Append("a");
    WritePendingI(after);
    return true;
  }

  // The la glyph, or with the glyph after it the row-169 letter.
  template <bool kAtEnd>
  bool La(const Byte*& p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    if (Flags(next) & kRow169AfterLaFlag) {
      ++p;
      AppendPiece(t_.letters_.vocalic_l);
      return true;
    }
    return FullSyllable<kAtEnd>("la", p, end);
  }

  // Vowel signs and full vowels.
  template <bool kAtEnd>
  bool VowelStep(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end) {
    switch (glyph.action) {
      case Action::kShortISign:
        short_i_pending_ = true;
        now_.syllable_a = before_.syllable_a;  // the sign stands between
        return true;
      case Action::kLongASign:
        return LongASign<kAtEnd>(glyph, code, p, end);
      case Action::kFullVowel:
        return FullVowel<kAtEnd>(code, p, end);
      default:
        VowelSign(glyph, code, p[0]);
        return true;
    }
  }

  // The long-a sign, or with the glyph after it the row-169 letter.
  template <bool kAtEnd>
  bool LongASign(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    if (Flags(p[0]) & kStrokeSetterFlag) stroke_flag_ = true;
    if (Flags(next) & kRow169AfterLongAFlag) {
      ++p;
      out_.Append(t_.letters_.vocalic_l);
    } else {
      AppendText(glyph, code);
    }
    now_.long_a_sign = true;
    ReplaceDoubleA();
    return true;
  }

  // A full vowel and the sign after it make one vowel: the sign is read with
  // the vowel and consumed.
  template <bool kAtEnd>
  bool FullVowel(std::size_t code, const Byte*& p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0 || t_.glyphs_[static_cast<std::size_t>(next)].action == Action::kStop) {
      return false;
    }
    if (options_.read_as_written) {
      for (const auto& written : t_.written_vowels_) {
        if (written.vowel == code && written.after == next) {
          ++p;
          out_.Append(written.text);
          ReplaceDoubleA();
          return true;
        }
      }
    }
    const std::string& joined = t_.joined_vowels_[static_cast<std::size_t>(next)];
    if (!joined.empty()) {
      ++p;
      out_.Append(joined);
    } else {
      out_.Append(t_.full_vowels_[code]);
    }
    ReplaceDoubleA();
    return true;
  }

  // The r forms and the other consonants written apart from their syllable.
  template <bool kAtEnd>
  bool ConsonantFormStep(const Glyph& glyph, const Byte* p, const Byte* end) {
    switch (glyph.action) {
      case Action::kBackR:
        out_.InsertBeforeLastConsonants('r', 0, translit_output::kBackRScan);
        return true;
      case Action::kBackRWithAnusvara:
        out_.InsertBeforeLastConsonants('r', 1, translit_output::kBackRScan);
        out_.Append(t_.letters_.anusvara);
        return true;
      case Action::kBackRForm:
        return BackRForm<kAtEnd>(glyph, p, end);
      case Action::kKt:
        out_.InsertBeforeLastConsonants('k', 0, translit_output::kKtScan);
        if (out_.EndsWith("tt")) out_.RemoveLast(1);
        return AppendInherentA<kAtEnd>(p, end);
      default:  // the open y
        out_.Append("y");
        return AppendInherentA<kAtEnd>(p, end);
    }
  }

  // A back-r form or n glyph: its letter, then "a" or a pending short i
  // unless the next glyph brings its own vowel.
  template <bool kAtEnd>
  bool BackRForm(const Glyph& glyph, const Byte* p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    // Read as written, a short-i sign between a syllable and the n that
    // joins it belongs after the n: the syllable loses its "a" as before
    // the n alone.
    if (options_.read_as_written && short_i_pending_ && before_.syllable_a &&
        (glyph.flags & kInherentVowelFlag) && out_.EndsWith('a')) {
      out_.RemoveLast(1);
    }
    std::array<char, 2> piece = {glyph.text[0], 0};
    std::size_t size = 1;
    if (!(Flags(next) & kBackRInherentVowelFlag)) {
      piece[size++] = short_i_pending_ ? 'i' : 'a';
      short_i_pending_ = false;
    }
    out_.Append(std::string_view(piece.data(), size));
    return true;
  }

  // The syllable's "a", unless the next glyph brings its own vowel.
  template <bool kAtEnd>
  bool AppendInherentA(const Byte* p, const Byte* end) {
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    if (!(Flags(next) & kInherentVowelFlag)) out_.Append("a");
    return true;
  }

  std::string_view Text(const Glyph& glyph, std::size_t code) const {
    return glyph.size != kLongText ? std::string_view(glyph.text.data(), glyph.size)
                                   : std::string_view(t_.long_texts_[code]);
  }

  // A syllable written by a rule; one that ends in "a" loses it before a
  // glyph that brings its own vowel, and a pending short i follows it.
  template <bool kAtEnd>
  bool FullSyllable(std::string_view text, const Byte* p, const Byte* end) {
    if (!text.ends_with('a')) {
      out_.Append(text);
      return true;
    }
    const int next = Next<kAtEnd>(p, end);
    if (next < 0) return false;
    out_.Append((Flags(next) & kInherentVowelFlag) ? text.substr(0, text.size() - 1) : text);
    WritePendingI(next);
    return true;
  }

  void VowelSign(const Glyph& glyph, std::size_t code, int previous) {
    short_i_pending_ = false;
    const bool e_sign = (glyph.flags & kESignFlag) != 0;
    // The stroke flag keeps a sign after the stroke that completes a
    // consonant apart; read as written, a long-a sign of its own after that
    // stroke makes o and au with it.
    if ((e_sign || (glyph.flags & kAiSignFlag)) && (Flags(previous) & kLongASignFlag) &&
        (!stroke_flag_ || before_.long_a_sign)) {
      // o and au are written as the long-a sign and the e or ai sign.
      out_.RemoveLast(1);
      std::string piece = e_sign ? "o" : "au";
      if (glyph.flags & kSignWithAnusvaraFlag) piece += t_.letters_.anusvara;
      out_.Append(piece);
    } else {
      AppendText(glyph, code);
    }
    ReplaceDoubleA();
  }

  // The glyph of the window at `p`.
  void AskUser(int code, const Byte* p) {
    const char glyph = static_cast<char>(code);
    InputBoxRequest request{InputRequestKind::kGlyphReading, code, "", std::string(kAskPrompt),
                            std::string(1, glyph)};
    // The padded input has one byte before the input; the window's current
    // glyph is its second byte.
    request.offset = origin_at_ + static_cast<std::uint64_t>(p - origin_);
    std::string answer = input_box_ ? input_box_(request) : request.default_text;
    out_.Append(answer);
    asked_.push_back({std::move(request), std::move(answer)});
  }

  ConverterState& state_;
  InputBox input_box_;
  OutputSink sink_;
  StreamOptions options_;
  // Built for this stream, in an allocation of their own (measured a little
  // faster than inside the engine).
  std::unique_ptr<const GlyphTables> tables_;
  const GlyphTables& t_;

  // The input: the padded input from carry_at_ on, as far as it was fed.
  std::string carry_ = " ";
  std::uint64_t carry_at_ = 0;
  std::uint64_t fed_ = 0;
  bool stopped_ = false;
  std::uint64_t stop_at_ = 0;  // where the window stood when the run ended

  bool short_i_pending_ = false;
  bool stroke_flag_ = false;
  // With StreamOptions::read_as_written: what this step and the one before
  // it wrote, as the rules that look back across a sign need it.
  struct StepTrace {
    bool syllable_a = false;   // a syllable that kept its "a"
    bool long_a_sign = false;  // the long-a sign of its own
    bool i_deferred = false;   // a pending short i left for the small letter next
  };
  StepTrace now_;
  StepTrace before_;
  int stroke_steps_ = 0;

  OutputText out_;
  bool pass_on_ = true;
  DropTracker drops_;
  const Byte* origin_ = nullptr;  // where the bytes the steps run over start
  std::uint64_t origin_at_ = 0;   // their offset in the padded input
  std::size_t next_pass_on_ = kFirstPassOn;
  std::vector<AskedInputBox> asked_;
};

ToTranslitStream::ToTranslitStream(ConverterState& state, InputBox input_box, OutputSink sink,
                                   StreamOptions options)
    : engine_(std::make_unique<Engine>(state, std::move(input_box), std::move(sink), options)) {}

ToTranslitStream::~ToTranslitStream() = default;

void ToTranslitStream::Feed(std::string_view block) { engine_->Feed(block); }

StreamEnd ToTranslitStream::Finish() { return engine_->Finish(); }

void ToTranslitStream::Restart() { engine_ = std::make_unique<Engine>(std::move(*engine_)); }

namespace {

// The output with the edits undone from the last to the first.
std::string UndoEdits(std::string_view output, const std::vector<ClipboardEdit>& edits) {
  if (edits.empty()) return std::string(output);
  std::uint64_t from = output.size();
  for (const ClipboardEdit& edit : edits) from = std::min(from, edit.at);
  const auto start = static_cast<std::size_t>(from);
  std::string tail(output.substr(start));
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
    tail.replace(static_cast<std::size_t>(edit->at - from),
                 static_cast<std::size_t>(edit->inserted), edit->removed);
  }
  std::string clipboard;
  clipboard.reserve(start + tail.size());
  clipboard += output.substr(0, start);
  clipboard += tail;
  return clipboard;
}

}  // namespace

ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box) {
  ConversionResult result;
  result.padded_input.reserve(input.size() + 2);
  result.padded_input += ' ';
  result.padded_input += input;
  result.padded_input += ' ';

  std::string& output = result.output;
  output.reserve(input.size() + input.size() / 2 + 2);
  ToTranslitStream stream(state, input_box, [&output](std::string_view piece) { output += piece; },
                          {.clipboard = true});
  stream.Feed(input);
  StreamEnd end = stream.Finish();
  result.completed = end.completed;
  result.input_boxes = std::move(end.input_boxes);
  result.dropped = std::move(end.dropped);
  result.stop = std::move(end.stop);
  if (end.clipboard_set) result.clipboard = UndoEdits(output, end.clipboard_edits);
  return result;
}

ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box) {
  FillGlyphCodeTable(state);
  return ConvertDevanagariToTranslit(state, input, input_box);
}

}  // namespace sfc
