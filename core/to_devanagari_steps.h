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
