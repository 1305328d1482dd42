// Part of to_translit.cpp, which alone includes it, after the engine's
// class: one step the full way, by the action of the current glyph (text
// and taken-as-is glyphs, syllables, vowel signs and full vowels, the r
// forms and the consonants written apart), and the half syllable's long-a
// sign after the short way.
#pragma once

namespace sfc {

// One step, the full way: the rules of the current glyph's action group.
template <bool kAtEnd>
inline bool ToTranslitStream::Engine::Step(const Byte*& p, const Byte* end) {
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
inline void ToTranslitStream::Engine::CountStrokeStep() {
  if (stroke_flag_ && ++stroke_steps_ > 2) {
    stroke_steps_ = 0;
    stroke_flag_ = false;
  }
}

// Glyphs whose text is appended as it is, or nearly so.
template <bool kAtEnd>
inline bool ToTranslitStream::Engine::TextStep(const Glyph& glyph, std::size_t code, const Byte* p,
                                               const Byte* end) {
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
inline void ToTranslitStream::Engine::TakenAsIs(const Glyph& glyph, std::size_t code) {
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
inline bool ToTranslitStream::Engine::SmallLetter(const Glyph& glyph, std::size_t code,
                                                  const Byte* p, const Byte* end) {
  if (out_.EndsWith('a')) out_.RemoveLast(1);
  if (!(glyph.flags & kEndsInAFlag)) {
    AppendText(glyph, code);
    return true;
  }
  const int next = Next<kAtEnd>(p, end);
  if (next < 0) return false;
  AppendText(glyph, code, Text(glyph, code).size() - ((Flags(next) & kInherentVowelFlag) ? 1 : 0));
  if (before_.i_deferred) WritePendingI(next);
  return true;
}

// Syllables: their final "a" goes before a glyph that brings its own vowel,
// and a pending short i follows them.
template <bool kAtEnd>
inline bool ToTranslitStream::Engine::SyllableStep(const Glyph& glyph, std::size_t code,
                                                   const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::Tt(const Glyph& glyph, std::size_t code, const Byte*& p,
                                         const Byte* end) {
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
inline bool ToTranslitStream::Engine::JoinsLongA(const Glyph& glyph, std::size_t code,
                                                 const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::La(const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::VowelStep(const Glyph& glyph, std::size_t code,
                                                const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::LongASign(const Glyph& glyph, std::size_t code,
                                                const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::FullVowel(std::size_t code, const Byte*& p, const Byte* end) {
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
inline bool ToTranslitStream::Engine::ConsonantFormStep(const Glyph& glyph, const Byte* p,
                                                        const Byte* end) {
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
inline bool ToTranslitStream::Engine::BackRForm(const Glyph& glyph, const Byte* p,
                                                const Byte* end) {
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
inline bool ToTranslitStream::Engine::AppendInherentA(const Byte* p, const Byte* end) {
  const int next = Next<kAtEnd>(p, end);
  if (next < 0) return false;
  if (!(Flags(next) & kInherentVowelFlag)) out_.Append("a");
  return true;
}

inline std::string_view ToTranslitStream::Engine::Text(const Glyph& glyph, std::size_t code) const {
  return glyph.size != kLongText ? std::string_view(glyph.text.data(), glyph.size)
                                 : std::string_view(t_.long_texts_[code]);
}

// A syllable written by a rule; one that ends in "a" loses it before a
// glyph that brings its own vowel, and a pending short i follows it.
template <bool kAtEnd>
inline bool ToTranslitStream::Engine::FullSyllable(std::string_view text, const Byte* p,
                                                   const Byte* end) {
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

inline void ToTranslitStream::Engine::VowelSign(const Glyph& glyph, std::size_t code,
                                                int previous) {
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
inline void ToTranslitStream::Engine::AskUser(int code, const Byte* p) {
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

// The long-a sign at `p` after the half syllable that joins it, written
// the step before, the short way: its pair (JoinedLongAPair) written at
// `w`. In the full way the two are one step, which sets the stroke flag:
// `stroke` becomes the flag's steps after the sign, counted from `start`.
// False (nothing changed) where the pair cannot be taken or the flag keeps
// an e or ai sign apart in the next steps, which the short way does not
// look at.
inline bool ToTranslitStream::Engine::TakeJoinedSign(const Byte*& p, char*& w, std::size_t& state,
                                                     const Byte*& start,
                                                     std::uint32_t& stroke) const {
  const Pair& pair = t_.next_pairs_[p[2]][p[1] + t_.previous_half_[p[0]]];
  if (state & pair.slow_state & ~std::size_t{kJoinedBit}) return false;
  const auto before = static_cast<std::size_t>(p - 1 - start);
  const std::uint32_t at_syllable = before < 2 ? stroke >> before : 0;
  // As CountStrokeStep, then the flag set without a new count.
  const std::uint32_t after = at_syllable != 0 ? at_syllable >> 1 : 3;
  if (StrokeKeepsApart(p + 1, after)) return false;
  stroke = after;
  WritePair(pair, w, state);
  ++p;
  start = p;
  return true;
}

// The long-a sign at `p` after the half syllable that the short way wrote
// the step before: the rest of their step (JoinsLongA), from the state
// before it (`before`).
inline void ToTranslitStream::Engine::FinishJoin(const Byte* p, const ShortState& before) {
  StoreState(before);
  CountStrokeStep();
  stroke_flag_ = true;
  out_.Reserve(kStepRoom);
  const int after = p[2];
  if (!(Flags(after) & kInherentVowelFlag)) out_.Append("a");
  WritePendingI(after);
}

}  // namespace sfc
