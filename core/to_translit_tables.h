// What the conversion to transliteration works out from the tables when a
// stream is made: each glyph's action, flags and text, and the pairs of the
// short way. Part of to_translit.cpp, which alone includes it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "to_translit_glyphs.h"
#include "to_translit_rules.h"

namespace sfc {
namespace {

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
  // next_pairs_ points into pairs_.
  GlyphTables(const GlyphTables&) = delete;
  GlyphTables& operator=(const GlyphTables&) = delete;

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
        if (JoinsShortWay(glyph)) {
          way.joins_long_a = true;
        } else {
          way.slow_next = kLongASignFlag;
        }
        return true;
      case Action::kTakenAsIs:
        if (class8_writes_pending_i_) way.slow_state |= kPendingIBit;
        return true;
      default:
        return false;
    }
  }

  // A half syllable whose step with the long-a sign after it the short way
  // takes in two: its text fits a pair, and as a glyph before it selects no
  // other pairs (those after a long-a sign).
  static bool JoinsShortWay(const Glyph& glyph) {
    return glyph.size != kLongText && !(glyph.flags & kLongASignFlag);
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
    }
    // The pairs after a long-a sign differ where an e or ai sign makes o or
    // au; fonts without such signs need none.
    if (makes_o_au_) AddPairsAfterLongA(members.size());
    const bool joins =
        std::any_of(ways.begin(), ways.end(), [](const ShortWay& way) { return way.joins_long_a; });
    if (joins) AddPairsAfterHalfSyllable(ways, members);
    by_previous_ = makes_o_au_ || joins;
    for (std::size_t code = 0; code < kByteValues; ++code) {
      next_pairs_[code] = pairs_.data() + next_offset_[code];
    }
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
      // An e or ai sign after a long-a sign makes o or au with it.
      const std::uint32_t key = (flags_[code] & kNextClassFlags) |
                                (static_cast<std::uint32_t>(ways[code].slow_previous) << 16) |
                                (IsEOrAiSign(code) ? 1U << 31 : 0U);
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

  // One more part of the table, after a half syllable that joins a long-a
  // sign: there the sign writes the syllable's "a" (JoinedLongAPair), every
  // other glyph as after any glyph.
  void AddPairsAfterHalfSyllable(const std::array<ShortWay, kByteValues>& ways,
                                 const std::vector<std::size_t>& members) {
    const std::size_t part = members.size() * kByteValues;
    const std::size_t start = pairs_.size();
    pairs_.resize(start + part);
    std::copy_n(pairs_.begin(), part, pairs_.begin() + static_cast<std::ptrdiff_t>(start));
    for (std::size_t code = 0; code < kByteValues; ++code) {
      if (ways[code].joins_long_a) previous_half_[code] = static_cast<std::uint32_t>(start);
    }
    for (std::size_t k = 0; k < members.size(); ++k) {
      for (std::size_t code = 0; code < kByteValues; ++code) {
        if (flags_[code] & kLongASignFlag) {
          pairs_[start + k * kByteValues + code] = JoinedLongAPair(code, members[k]);
        }
      }
    }
  }

  // The long-a sign `sign` after the half syllable that joins it, before
  // `next`: the syllable's "a", which goes before a glyph that brings its own
  // vowel, with a pending short i in its place before a glyph that ends it;
  // none of the sign's own rules. The pair needs kJoinedBit, which the
  // syllable's pair set: the run's loop counts the two as one step (the
  // stroke flag). Without it (the syllable read in the step before), the
  // full step.
  Pair JoinedLongAPair(std::size_t sign, std::size_t next) const {
    const std::uint16_t next_flags = flags_[next];
    const bool drop = (next_flags & kInherentVowelFlag) != 0;
    Pair pair;
    pair.text[0] = 'a';
    pair.size = drop ? 0 : 1;
    pair.i_at = {static_cast<std::int8_t>(pair.size), 0};
    pair.slow_state = kJoinedBit | kPlainBit | kNextSlowBit;
    pair.keep = static_cast<std::uint8_t>(~(kEditsBit | kJoinedBit | kNextSlowBit));
    pair.set = kAppendedBit | kPlainBit;
    if (next_flags & kEndsShortIPendingFlag) {
      pair.writes_i = kPendingIBit;
      // Nothing written: the character before decides (the full step).
      if (drop) pair.slow_state |= kPendingIBit;
      pair.keep &= static_cast<std::uint8_t>(~kPendingIBit);
    }
    if (flags_[sign] & slow_previous_[next]) pair.set |= kNextSlowBit;
    return pair;
  }

  // An e or ai sign after a long-a sign: the long a's last character goes,
  // o or au (with the anusvara for the signs that carry it) is appended. The
  // long-a sign's pair before it left out that character (kWholeBit clear,
  // see MakePair); after any other step, the full step.
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
    pair.i_at.fill(static_cast<std::int8_t>(pair.size));
    pair.slow_state |= kWholeBit;
    pair.set |= kWholeBit;
  }

  // Whether the glyph `code` after `previous` is an e or ai sign after a
  // long-a sign, which the pairs make o or au (with the stroke flag set the
  // two stay apart: the engine takes the full step then).
  bool MakesOAu(std::size_t previous, std::size_t code) const {
    return makes_o_au_ && (flags_[previous] & kLongASignFlag) && IsEOrAiSign(code);
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
    const bool final_a = pair.size > 0 && pair.text[pair.size - 1U] == 'a';
    pair.i_at = {static_cast<std::int8_t>(pair.size),
                 static_cast<std::int8_t>(pair.size - (final_a ? 1 : 0))};
    pair.keep = static_cast<std::uint8_t>(way.keep & ~kNextSlowBit);
    pair.set = way.set;
    // The short way does not look at the output before the text: where the
    // rule that makes a final "aa" the long a may apply (the text ends in
    // "aa" or is all "a"s, empty included), the full step.
    const std::string_view text(pair.text.data(), pair.size);
    if (way.double_a && (text.ends_with("aa") || text.find_last_not_of('a') == text.npos)) {
      pair.slow_state |= kAlwaysBit;
    }
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
    if (way.joins_long_a && (next_flags & kLongASignFlag)) {
      // The sign's step follows (JoinedLongAPair); its own rules do not.
      pair.keep &= static_cast<std::uint8_t>(~kPlainBit);
      pair.set |= kJoinedBit;
      return;
    }
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
    // A long-a sign before an e or ai sign leaves its last character out of
    // the output's end: the o or au after it is written in its place. The
    // character stays written just past the end.
    if ((flags_[code] & kLongASignFlag) && IsEOrAiSign(next) && !(pair.slow_state & kAlwaysBit) &&
        pair.size > 0 && pair.writes_i == 0) {
      pair.i_at.fill(static_cast<std::int8_t>(pair.size - 1));
      pair.keep &= static_cast<std::uint8_t>(~kWholeBit);
    }
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
  std::array<const Pair*, kByteValues> next_pairs_{};     // where that class's pairs start
  std::vector<Pair> pairs_;  // by class of the next glyph, then current glyph
  // With makes_o_au_, a second half after a long-a sign, where previous_half_
  // of the glyph before points.
  bool makes_o_au_ = false;
  // The pairs depend on the glyph before: after a long-a sign, or after a
  // half syllable that joins one (a third part, also by previous_half_).
  bool by_previous_ = false;
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
}  // namespace sfc
