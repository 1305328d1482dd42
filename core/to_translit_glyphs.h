// The glyphs as the conversion to transliteration reads them (actions,
// flags, texts) and the pieces of its short way (the state bits, ShortWay,
// Pair). Part of to_translit.cpp, through to_translit_tables.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sfc {
namespace {

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
// since the last append; the glyph before sends this step the full way; the
// output's end is whole (clear only between a long-a sign written without its
// last character and the e or ai sign after it, which makes o or au there); a
// half syllable was written whose long-a sign is the next step (joined); the
// next step is not such a sign (plain: clear only while joined is set).
inline constexpr std::uint8_t kPendingIBit = 1 << 0;
inline constexpr std::uint8_t kAlwaysBit = 1 << 1;
inline constexpr std::uint8_t kAppendedBit = 1 << 2;
inline constexpr std::uint8_t kEditsBit = 1 << 3;
inline constexpr std::uint8_t kNextSlowBit = 1 << 4;
inline constexpr std::uint8_t kWholeBit = 1 << 5;
inline constexpr std::uint8_t kJoinedBit = 1 << 6;
inline constexpr std::uint8_t kPlainBit = 1 << 7;

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
// kept (keep) and set (set); a final "aa" becomes the long a (double_a: the
// full step is taken where the text can leave one, see BasePair). The full
// step is taken instead when the run's state has a bit of slow_state, the
// next glyph a flag of slow_next or the glyph before a flag of slow_previous.
// A half syllable that joins the long-a sign after it (joins_long_a) writes
// its text and leaves the sign's step to the pairs after it
// (AddPairsAfterHalfSyllable).
struct ShortWay {
  bool fast = false;
  bool joins_long_a = false;
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

// A step's short way for one current glyph and one class of next glyphs,
// worked out when the stream is made: the text to copy (a whole block of
// kInlineText) and how far the end moves, and the bits of ShortWay.
struct Pair {
  std::array<char, kInlineText> text{};
  // The state bits in 32 bits: the loop ands, ors and tests them from memory.
  std::uint32_t slow_state = 0xff;
  std::uint32_t keep = 0xff;
  std::uint32_t set = 0;
  std::uint8_t size = 0;      // of the text as written
  std::uint8_t writes_i = 0;  // kPendingIBit: a pending short i is written
  // Where an "i" goes, from the end before, by whether a pending short i is
  // written: past the text (not taken in), or on its final "a" or after it.
  std::array<std::int8_t, 2> i_at{};
};
static_assert(sizeof(Pair) == 32);
// The pending short i's bit, and-ed with writes_i, indexes i_at.
static_assert(kPendingIBit == 1);

}  // namespace
}  // namespace sfc
