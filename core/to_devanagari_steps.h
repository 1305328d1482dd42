// Part of to_devanagari.cpp, which alone includes it, after the engine's
// class: one step, the full way and the short way, and the vowel letters, signs and
// punctuation it dispatches to.
#pragma once

namespace sfc {

// False when the step failed: the run ends.
inline bool ToDevanagariStream::Engine::Step() {
  if (work_.empty()) return false;
  DashLookAhead();
  const int current = Current();
  const Dispatch d = current == kNone ? Dispatch{} : dispatch_[static_cast<std::size_t>(current)];
  switch (d.rule) {
    case Rule::kDrop:
      if (current != kNone) Dropped(static_cast<unsigned char>(current));
      break;
    case Rule::kCluster:
      if (!Cluster(static_cast<ClusterLetter>(d.arg))) return !run_ends_;
      break;
    case Rule::kA:
      if (!LetterA(Previous(), Next())) return !run_ends_;
      break;
    case Rule::kR:
      LetterR();
      break;
    case Rule::kY:
      LetterY();
      break;
    default:
      if (d.rule < Rule::kR) {
        VowelLetter(d.rule);
      } else {
        SignOrPunctuation(d, current);
      }
  }
  return !run_ends_ && Emit();
}

// The short way of a step, while the buffer holds the look-ahead: the same
// output as Step, without its checks on the buffer's end, and the common
// clusters without the full cluster rule. False when the step needs the
// full way (the dash look-ahead may act, a letter to drop, a cluster the
// short way leaves alone); nothing has changed then.
inline bool ToDevanagariStream::Engine::ShortStep() {
  const unsigned char* letters = work_.Letters();  // previous, current, next, ...
  if (IsDash(letters[3]) && state_.dash_state == kDashArmed) return false;
  const Dispatch d = dispatch_[letters[1]];
  std::size_t taken = 1;
  switch (d.rule) {
    case Rule::kCluster:
      taken = ShortCluster(static_cast<ClusterLetter>(d.arg), letters);
      if (taken == 0) return false;
      break;
    case Rule::kA:
      if (!LetterA(letters[0], letters[2])) return true;
      break;
    case Rule::kSpace:
      TakeRepha();
      output_ += ' ';
      break;
    case Rule::kR:
      LetterR();
      break;
    case Rule::kY:
      LetterY();
      break;
    case Rule::kLongA:  // the commonest vowel letter after "a", inline
      Vowel(word_start_long_a_, HalfCell(Row::kLongA));
      break;
    default:  // the vowel letters other than "a" lie between kA and kR
      if (d.rule <= Rule::kA) return false;
      if (d.rule < Rule::kR) {
        VowelLetter(d.rule);
      } else {
        SignOrPunctuation(d, letters[1]);
      }
  }
  if (run_ends_) return true;  // the caller ends the run
  work_.RemoveFirst(taken);
  return true;
}

namespace {

// The fast way's writes: a short cell whole, then its end; the repha held
// back, if any.
SFC_ALWAYS_INLINE void PutCell(char*& out, const Cell& cell) {
  std::memcpy(out, cell.bytes.data(), Cell::kInline);
  out += cell.size;
}
SFC_ALWAYS_INLINE void PutRepha(char*& out, const Cell*& repha) {
  if (repha != nullptr) [[unlikely]] {
    PutCell(out, *repha);
    repha = nullptr;
  }
}

}  // namespace

// Steps while the buffer holds the look-ahead, each the fast way when it
// can, else the short way, else the full way. Between runs of fast steps the
// held output is looked at. Stops when the look-ahead is used up, before a
// step that needs the full way, or when the run ends.
inline ToDevanagariStream::Engine::StepsEnd ToDevanagariStream::Engine::RunSteps() {
  constexpr std::size_t kMostSteps = 256;               // between looks at the held output
  constexpr std::size_t kStepRoom = 2 * Cell::kInline;  // a fast step writes two cells at most
  for (std::size_t other_steps = 1;; ++other_steps) {
    const std::size_t size = work_.size();
    if (size < look_ahead_) return StepsEnd::kLookAheadUsed;
    if (options_.full_steps) return StepsEnd::kFullWay;
    const unsigned char* const first = work_.Letters();
    // A step may start while the buffer holds the look-ahead.
    const std::size_t steps = fast_ ? std::min(size - look_ahead_ + 1, kMostSteps) : 0;
    const unsigned char* const stop = first + steps;
    char* out = output_.EndWithRoom(steps * kStepRoom + 2 * Cell::kInline);
    const char* const out_begin = out;
    const unsigned char* p = first;
    if (letter_table_ && steps > 0 && appended_ > options_.letter_table_after) {
      // The table, and the fast way for each step it leaves.
      const unsigned char* const end = TableEnd(first, stop);
      for (const unsigned char* fast = nullptr; p != fast;) {
        p = TableSteps(p, end, out_begin, out);
        if (p >= stop) break;
        fast = p;
        p = FastSteps(p, p + 1, out_begin, out);
      }
    } else {
      p = FastSteps(first, stop, out_begin, out);
    }
    work_.RemoveFirst(static_cast<std::size_t>(p - first));
    output_.SetEnd(out);
    if (steps > 0 && p == first + steps) {  // a full run: look at the held output
      if (output_.held() >= next_pass_) MaybePassOn();
      continue;
    }
    if (!ShortStep()) return StepsEnd::kFullWay;
    if (run_ends_) return StepsEnd::kRunEnds;
    if (other_steps % kStepsPerLook == 0 && output_.held() >= next_pass_) MaybePassOn();
  }
}

// The fast way: the commonest steps (a cluster the short way, "a", a space, a
// line end or digit, the danda, the visarga, the apostrophe, the short i, the
// anusvara, u, o, y, r after a vowel, a vowel sign that joins nothing) from `p` to `stop`, the
// output written at `out` (it reads nothing before `out_begin`), with room for two short cells a
// step. Returns where it stopped: at `stop` or before a step it does not take. This is the hot
// loop: its parts are inline, so that the buffer's front, the output's end, the repha held back and
// the word-start flag stay in registers.
SFC_ALWAYS_INLINE const unsigned char* ToDevanagariStream::Engine::FastSteps(
    const unsigned char* p, const unsigned char* stop, const char* out_begin, char*& out) {
  FastRun run{out, out_begin, pending_repha_, word_start_};
  // The dash look-ahead may act at a step whose fourth letter is a dash: the
  // step goes the short way, which leaves it to the full way. No fast step
  // changes the dash state.
  const bool armed = state_.dash_state == kDashArmed;
  for (; p < stop; ++p) {
    if (dash_[p[3]] && armed) [[unlikely]]
      break;
    const Dispatch d = dispatch_[p[1]];
    if (d.rule == Rule::kCluster) {
      const std::size_t taken = FastCluster(p, d, run);
      if (taken == 0) break;
      p += taken - 1;
      // The commonest syllable, a cluster and its vowel, in one step.
      if (p + 1 < stop && FastVowelSign(p + 1, armed, run)) ++p;
    } else {
      const std::size_t taken = FastLetter(p, d, run);
      if (taken == 0) break;
      p += taken - 1;
    }
  }
  out = run.out;
  pending_repha_ = run.repha;
  word_start_ = run.word_start;
  return p;
}

// A cluster the fast way: the letters it takes, or 0 (ShortCluster).
SFC_ALWAYS_INLINE std::size_t ToDevanagariStream::Engine::FastCluster(const unsigned char* p,
                                                                      Dispatch d, FastRun& run) {
  const unsigned char current = p[1];
  const KeyTree& tree = TreeFor(static_cast<ClusterLetter>(d.arg), current);
  const int* const moves = tree.moves.data();
  int matched = tree.base;
  std::size_t taken = 1;
  for (int node = 0;;) {
    const int child = moves[static_cast<std::size_t>(node) * 256 + p[taken + 1]];
    if (child < 0) break;
    node = child;
    matched = tree.nodes[static_cast<std::size_t>(node)].row;
    ++taken;
  }
  const AfterCluster after = after_cluster_[p[taken + 1]];
  if (after == AfterCluster::kFullWay) return 0;  // which has no cell to read
  // Bitwise, so that the cluster's length picks no branch here. Of the
  // doubled consonants, cc, jj, kk and dd have rules of their own.
  const bool doubled = (taken == 2) & (p[2] == current) & doubled_rule_[current];
  const Cell& cell = CellOf(after, matched);
  if (doubled | (cell.size > Cell::kInline)) return 0;
  PutCell(run.out, cell);
  return taken;
}

// The vowel letter right after a cluster, as FastA, FastUO, FastVowel and
// the short i would take it, without FastLetter's switch: "a" (not "ai" nor
// "au") writes nothing and ends the word's start, the vowels with one sign
// after a consonant write it, the short-i sign goes in front of the cluster;
// the repha held back follows. False, with nothing changed, for any other
// letter and where those would not take it.
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::FastVowelSign(const unsigned char* p, bool armed,
                                                                 FastRun& run) {
  const unsigned char letter = p[1];
  const Cell* const sign = vowel_sign_[letter];
  if (!consonant_before_[p[0]] || (dash_[p[3]] && armed)) return false;
  if (sign == nullptr) {
    if (!i_letter_[letter] || !ShortIIn(run.out_begin, run.out)) return false;
  } else {
    // One branch for the rare refusals: the tests below are bitwise, so that
    // the letter's kind picks no way of its own.
    const bool a = a_letter_[letter];
    const int last = run.Last();
    if ((a & ((p[2] == 'i') | (p[2] == 'u'))) |
        (u_joins_[letter] & ((last < 0) | (last == joins_.u_after)))) {
      return false;
    }
    run.word_start = run.word_start & !a;
    PutCell(run.out, *sign);
  }
  PutRepha(run.out, run.repha);
  return true;
}

// Any other letter the fast way: the letters it takes, 0 when it does not.
SFC_ALWAYS_INLINE std::size_t ToDevanagariStream::Engine::FastLetter(const unsigned char* p,
                                                                     Dispatch d, FastRun& run) {
  const unsigned char previous = p[0];
  const bool begins_word = word_break_[previous];
  switch (d.rule) {
    case Rule::kA:
      return FastA(p, begins_word, run);
    case Rule::kSpace:
      PutRepha(run.out, run.repha);
      *run.out++ = ' ';
      return 1;
    case Rule::kLineEnd:
    case Rule::kDigit:
      *run.out++ = static_cast<char>(p[1]);
      return 1;
    case Rule::kVisarga:
      PutCell(run.out, FullCell(Row::kVisarga));
      return 1;
    case Rule::kApostrophe: {  // not after a space, which it takes the place of
      const Cell& apostrophe = FullCell(Row::kApostrophe);
      if (run.Last() < 0 || run.Last() == ' ' || apostrophe.size > Cell::kInline) return 0;
      PutCell(run.out, apostrophe);
      return 1;
    }
    case Rule::kSlash: {  // the danda, which the Gita has at every half verse
      const Cell& slash = FullCell(Row::kSlash);
      if (slash.size > Cell::kInline) return 0;
      PutCell(run.out, slash);
      return 1;
    }
    case Rule::kI:
      if (begins_word) {
        PutCell(run.out, FullCell(Row::kI));
        return 1;
      }
      if (!ShortIIn(run.out_begin, run.out)) return 0;
      PutRepha(run.out, run.repha);
      return 1;
    case Rule::kAnusvara:  // not after a half ra, which it joins
      if (run.Last() < 0 || run.Last() == half_ra_byte_) return 0;
      PutCell(run.out, HalfCell(Row::kAnusvara));
      return 1;
    case Rule::kU:
    case Rule::kO:
      return FastUO(d.rule, begins_word, run);
    case Rule::kY:
      return FastY(p, begins_word, run);
    case Rule::kR:
      return FastR(p, run);
    default:
      return FastVowel(p[1], begins_word, run);
  }
}

// LetterA without a separately written "a": the letters it takes (two for
// "ai" and "au"), 0 when it does not.
SFC_ALWAYS_INLINE std::size_t ToDevanagariStream::Engine::FastA(const unsigned char* p,
                                                                bool begins_word, FastRun& run) {
  const unsigned char previous = p[0];
  const unsigned char next = p[2];
  bool starts = run.word_start;
  if (begins_word || IsDash(previous)) {
    starts = true;
  } else if (previous == 'a' || previous == 'e' || previous == 'i' || previous == 'o' ||
             previous == 'u') {
    if (shift_m_to_n_) return 0;
  } else {
    starts = false;
  }
  if (next == 'i' || next == 'u') return FastAiAu(next, starts, run);
  run.word_start = starts;
  if (starts) {
    PutCell(run.out, FullCell(Row::kA));
    run.repha = nullptr;  // a word's first "a" drops a repha held back
  }
  PutRepha(run.out, run.repha);
  return 1;
}

// "ai" and "au": at a word's start their own cells, else the sign and then
// the repha held back.
SFC_ALWAYS_INLINE std::size_t ToDevanagariStream::Engine::FastAiAu(unsigned char next, bool starts,
                                                                   FastRun& run) {
  const Cell& cell = starts ? (next == 'i' ? word_start_ai_ : word_start_au_)
                            : HalfCell(next == 'i' ? Row::kAi : Row::kAu);
  if (cell.size > Cell::kInline) return 0;
  run.word_start = starts;
  PutCell(run.out, cell);
  if (!starts) PutRepha(run.out, run.repha);
  return 2;
}

// LetterU, not after the glyph a u joins; LetterO after a consonant.
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::FastUO(Rule rule, bool begins_word,
                                                          FastRun& run) {
  if (rule == Rule::kO) {
    if (begins_word) return false;
    PutCell(run.out, HalfCell(Row::kO));
  } else if (begins_word) {
    PutCell(run.out, FullCell(Row::kU));
    return true;
  } else {
    if (joins_.u_after != kNone && (run.Last() < 0 || run.Last() == joins_.u_after)) return false;
    PutCell(run.out, HalfCell(Row::kU));
  }
  PutRepha(run.out, run.repha);
  return true;
}

// LetterY, not after an aspirata nor before a space.
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::FastY(const unsigned char* p, bool begins_word,
                                                         FastRun& run) {
  const unsigned char previous = p[0];
  const bool after_letter = !(begins_word || previous == 150 || previous == 160);
  if (after_letter && (run.Last() < 0 || aspirata_first_[static_cast<std::size_t>(run.Last())])) {
    return false;
  }
  const unsigned char next = p[2];
  if (next == ' ') return false;
  PutCell(run.out, ya_full_before_[next] ? FullCell(Row::kYa) : HalfCell(Row::kYa));
  return true;
}

// LetterR: the letters it takes (two for "ru" and "rū"), 0 when it does not.
// After a vowel, a space or an apostrophe: not before an underscore or a
// dash; after a consonant, unless its glyph is the n that the r turns into
// the nra row.
SFC_ALWAYS_INLINE std::size_t ToDevanagariStream::Engine::FastR(const unsigned char* p,
                                                                FastRun& run) {
  const unsigned char previous = p[0];
  const bool after_vowel = previous == 13 || previous == 10 || previous == '\'' ||
                           previous == ' ' || vowel_letter_[previous];
  const unsigned char next = p[2];
  if (!after_vowel) return previous != '_' && FastRJoins(next, run);
  if (!r_plain_before_[next]) {
    const Cell* ru = next == 'u' ? &FullCell(Row::kRu) : nullptr;
    if (next == long_u_) ru = &FullCell(Row::kRLongU);
    if (ru != nullptr && ru->size <= Cell::kInline) {
      PutCell(run.out, *ru);
      return 2;
    }
    if (next != ' ' || FullCell(Row::kRa).size + FullCell(Row::kAspirata1).size > Cell::kInline) {
      return 0;
    }
    PutCell(run.out, FullCell(Row::kRa));
    PutCell(run.out, FullCell(Row::kAspirata1));
  } else if (vowel_letter_[next]) {
    PutCell(run.out, FullCell(Row::kRa));
  } else {
    run.repha = &HalfCell(Row::kRa);
  }
  return 1;
}

// An r that joins the cluster before it: the half-r sign below the glyphs
// that take it, the font's own form of a glyph with r, else the upper half
// r (the ra after a dash); the aspirata sign after it before a consonant.
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::FastRJoins(unsigned char next, FastRun& run) {
  const int g = run.Last();
  if (g < 0 || (g == joins_.n_before_r && Full(Row::kNra) != " ")) return false;
  const auto glyph = static_cast<std::size_t>(g);
  const Cell* r = r_form_[glyph];
  if (r_below_[glyph]) {
    r = &FullCell(Row::kHalfR);
  } else if (r == nullptr) {
    r = Equals(g, Full(Row::kDash)) ? &FullCell(Row::kRa) : &FullCell(Row::kHalfRUpper);
  }
  const bool aspirata = !vowel_letter_[next];
  if (r->size > Cell::kInline || (aspirata && FullCell(Row::kAspirata1).size > Cell::kInline)) {
    return false;
  }
  PutCell(run.out, *r);
  if (aspirata) PutCell(run.out, FullCell(Row::kAspirata1));
  return true;
}

// A vowel letter that writes one cell at a word's start and another after a
// consonant (Vowel).
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::FastVowel(unsigned char letter, bool begins_word,
                                                             FastRun& run) {
  const VowelCells& vowel = vowel_cells_[letter];
  if (vowel.word_start == nullptr) return false;
  const Cell& cell = begins_word ? *vowel.word_start : *vowel.after_consonant;
  if (cell.size > Cell::kInline) return false;
  PutCell(run.out, cell);
  if (!begins_word) PutRepha(run.out, run.repha);
  return true;
}

// ShortI within the output the fast way wrote, from `begin` to `out`: false
// (and nothing changed) when the second syllable glyph from the end lies
// before it. The marks of syllable glyphs need no change: they were never
// brought up to output this late.
SFC_ALWAYS_INLINE bool ToDevanagariStream::Engine::ShortIIn(const char* begin, char*& out) {
  const char* second = nullptr;
  int left = 2;
  bool kt_after = false;  // the byte after this one is the kt ending
  for (const char* q = out; q > begin;) {
    const auto byte = static_cast<unsigned char>(*--q);
    if ((short_i_syllable_[byte] || kt_after) && --left == 0) {
      second = q;
      break;
    }
    kt_after = byte == kt_end_byte_;
  }
  if (second == nullptr) return false;
  const auto stop = static_cast<std::size_t>(out - 1 - second);  // counted from the end
  std::size_t k = stop;  // stop - 1 when the byte after it is an r or kt ending
  if (stop >= 1 && skipped_before_i_[static_cast<unsigned char>(second[1])]) k = stop - 1;
  bool bracket_after = false;  // a "[" that is no syllable glyph lies after `second`
  if (k == 2) {
    for (const char* q = second + 1; q < out; ++q) {
      const bool kt_next = q + 1 < out && static_cast<unsigned char>(q[1]) == kt_end_byte_;
      bracket_after = bracket_after || (*q == '[' && !short_i_syllable_['['] && !kt_next);
    }
  }
  const Cell& sign = k > 1 && !(k == 2 && bracket_after) ? wide_i_sign_ : short_i_sign_;
  char* const at = out - k;
  std::memmove(at + sign.size, at, k);
  std::memcpy(at, sign.bytes.data(), sign.size);
  out += sign.size;
  SyncClipboard();
  return true;
}

// A cluster the short way: the letters it takes, or 0 for the full way
// (a doubled consonant; a dash, an underscore or a hard space after it; an
// m that may be written as n). Nothing has changed when it returns 0.
inline std::size_t ToDevanagariStream::Engine::ShortCluster(ClusterLetter letter,
                                                            const unsigned char* letters) {
  const unsigned char first_letter = letters[1];
  const KeyTree& tree = TreeFor(letter, first_letter);
  int matched = tree.base;
  std::size_t taken = 1;
  std::size_t node = 0;
  for (;;) {
    const int child = tree.Child(node, letters[taken + 1]);
    if (child < 0) break;
    node = static_cast<std::size_t>(child);
    matched = tree.nodes[node].row;
    ++taken;
  }
  if (taken == 2 && letters[2] == first_letter) return 0;
  const AfterCluster after = after_cluster_[letters[taken + 1]];
  if (after == AfterCluster::kFullWay) return 0;
  output_ += CellOf(after, matched);
  return taken;
}

// A vowel letter other than "a".
inline void ToDevanagariStream::Engine::VowelLetter(Rule rule) {
  switch (rule) {
    case Rule::kLongA:
      return Vowel(word_start_long_a_, HalfCell(Row::kLongA));
    case Rule::kE:
      return Vowel(FullCell(Row::kE), HalfCell(Row::kE));
    case Rule::kI:
      if (BeginsWord()) {
        output_ += FullCell(Row::kI);
      } else {
        ShortI();
      }
      return;
    case Rule::kLongI:
      return Vowel(FullCell(Row::kLongI), HalfCell(Row::kLongI));
    case Rule::kO:
      return LetterO();
    case Rule::kU:
      return LetterU();
    case Rule::kLongU:
      return Vowel(FullCell(Row::kLongU), HalfCell(Row::kLongU));
    case Rule::kVocalicR:
      return Vowel(FullCell(Row::kVocalicR), HalfCell(Row::kVocalicR));
    case Rule::kLongVocalicR:
      return Vowel(FullCell(Row::kLongVocalicR), HalfCell(Row::kLongVocalicR));
    case Rule::kVocalicL:
      return Vowel(independent_l_, dependent_l_);
    case Rule::kLongVocalicL:
      output_ += FullCell(Row::kNam);
      return;
    default:
      return;
  }
}

inline void ToDevanagariStream::Engine::SignOrPunctuation(Dispatch d, int current) {
  switch (d.rule) {
    case Rule::kVisarga:
      output_ += FullCell(Row::kVisarga);
      return;
    case Rule::kAnusvara:
      if (Equals(LastByte(), Half(Row::kRa))) {
        if (!RemoveLastByte()) return;
        output_ += FullCell(Row::kRephaAnusvara);
      } else {
        output_ += HalfCell(Row::kAnusvara);
      }
      return;
    case Rule::kSpace:
      TakeRepha();
      output_ += ' ';
      return;
    case Rule::kLineEnd:
    case Rule::kDigit:
      output_ += static_cast<char>(current);
      return;
    case Rule::kApostrophe:
      if (LastByte() == ' ' && !RemoveLastByte()) return;
      output_ += FullCell(Row::kApostrophe);
      return;
    case Rule::kDash:
      if (Previous() == '_') {
        if (!RemoveLastByte()) return;
        state_.dash_state = kDashArmed;
      }
      output_ += FullCell(Row::kDash);
      return;
    case Rule::kSign:
      output_ += FullCell(d.arg);
      if (Next() == 'a') output_ += '\x1b';
      return;
    default:
      output_ += FixedPiece(d);
  }
}

// What a letter writes whatever its neighbours.
inline std::string_view ToDevanagariStream::Engine::FixedPiece(Dispatch d) const {
  switch (d.rule) {
    case Rule::kAltSpace:
      return "\x1f";
    case Rule::kSlash:
      return Full(Row::kSlash);
    case Rule::kPunctuation:
      return kControlBytes.substr(d.arg, 1);
    case Rule::kPlus:
      return Full(Row::kPlusSign);
    case Rule::kUnderscore:
      return Full(Row::kUnderscore);
    default:
      return {};
  }
}

}  // namespace sfc
