// Part of to_devanagari.cpp, which alone includes it, after the engine's
// class: the letter table, the fast way's steps worked out as moves of one
// letter each.
//
// The fast way's step for a letter depends on the letters beside it, so the
// length of a step (a cluster of one, two or three letters, a vowel after
// it) follows the text, and the processor guesses it wrong about every
// other syllable. The letter table takes one letter per move, whatever the
// letter: a state says which step is still open (its letters read, its
// output not yet written) and what the steps read of the text before it;
// one load by state and letter gives what to write and the next state. A
// step is closed, and written, when the letter after it is read.
//
// The moves are not a second copy of the rules: each is made, the first time
// a text needs it, by running the fast way's own steps (FastCluster,
// FastLetter) on the letters the state stands for. A move that the fast way
// refuses, or whose outcome would depend on more than the state knows, is
// an escape: the open step is left to the fast way, and the table starts
// again after it.
#pragma once

namespace sfc {

// What the fast way reads of the letter before a step: the word break, the
// dashes, the vowels FastA, FastR and FastY look for.
inline int ToDevanagariStream::Engine::PreviousKind(unsigned char c) const {
  const bool aeiou = c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
  const bool before_r = c == 13 || c == 10 || c == '\'' || c == ' ';
  return word_break_[c] | dash_[c] << 1 | aeiou << 2 | (c == 150 || c == 160) << 3 | before_r << 4 |
         vowel_letter_[c] << 5 | consonant_before_[c] << 6;
}

// What the fast way reads of the last byte written: the short-i sign's
// marks, and the glyphs the anusvara, u, y, r and the apostrophe look at.
inline int ToDevanagariStream::Engine::LastKind(unsigned char b) const {
  return short_i_syllable_[b] | (b == half_ra_byte_) << 1 | (b == joins_.u_after) << 2 |
         aspirata_first_[b] << 3 | (b == kt_end_byte_) << 4 | (b == '[') << 5 |
         skipped_before_i_[b] << 6 | (b == ' ') << 7 | r_below_[b] << 8 |
         (b == joins_.n_before_r) << 9 | Equals(b, Full(Row::kDash)) << 10 |
         (r_form_[b] != nullptr ? 256 + b : 0) << 11;  // a form of its own: a kind of its own
}

// The letters the table reads (each its own column) and, for the letters
// before a step and the last byte written, one byte for each kind.
inline void ToDevanagariStream::Engine::ReadLetterTable() {
  letter_table_ = fast_ && options_.letter_table && !options_.full_steps;
  std::size_t columns = 1;                      // column 0: the letters the fast way never takes
  std::map<int, unsigned char> previous, last;  // kind, its index
  for (std::size_t c = 0; c < 256; ++c) {
    const auto byte = static_cast<unsigned char>(c);
    switch (dispatch_[c].rule) {
      case Rule::kDrop:
      case Rule::kAltSpace:
      case Rule::kDash:
      case Rule::kSign:
      case Rule::kPunctuation:
      case Rule::kPlus:
      case Rule::kUnderscore:
      case Rule::kLongVocalicL:
        letter_column_[c] = 0;
        break;
      default:
        letter_column_[c] = static_cast<std::uint16_t>(columns++ * sizeof(LetterMove));
    }
    const auto [p, new_previous] =
        previous.try_emplace(PreviousKind(byte), static_cast<unsigned char>(previous.size()));
    if (new_previous) previous_byte_.push_back(byte);
    previous_index_[c] = p->second;
    const auto [l, new_last] =
        last.try_emplace(LastKind(byte), static_cast<unsigned char>(last.size()));
    if (new_last) last_byte_.push_back(byte);
    last_index_[c] = l->second;
  }
  columns_ = columns;
  entry_rows_.assign(previous.size() * (last.size() + 1) * 4, kUnknownRow);
  moves_.assign(2 * columns_, LetterMove{});  // the rows of the escape and the unknown move
  letter_states_.assign(2, LetterState{});
  texts_.assign(1, {});
}

// The row of a state, made when new.
inline std::uint32_t ToDevanagariStream::Engine::RowOf(const LetterState& state) {
  std::string key = state.letters;
  key += static_cast<char>(state.open);
  key += static_cast<char>(state.last < 0 ? 0 : 1);
  key += static_cast<char>(state.last);
  key += static_cast<char>(state.word_start | state.repha << 1);
  const auto [it, added] =
      state_rows_.try_emplace(key, static_cast<std::uint32_t>(moves_.size() * sizeof(LetterMove)));
  if (!added) return it->second;
  if (letter_states_.size() >= kMostLetterStates) {
    state_rows_.erase(it);
    return kEscapeRow;
  }
  letter_states_.push_back(state);
  moves_.resize(moves_.size() + columns_, LetterMove{kUnknownRow, 0, 0, kStop});
  MoveAt(it->second, 0) = LetterMove{};  // column 0 escapes
  return it->second;
}

// The state where the table starts: no step open.
inline std::uint32_t ToDevanagariStream::Engine::EntryRow(unsigned char previous, int last,
                                                          bool word_start, bool repha) {
  const std::size_t lasts = last_byte_.size() + 1;
  const std::size_t at =
      ((previous_index_[previous] * lasts + (last < 0 ? 0 : last_index_[last] + 1)) * 2 +
       word_start) *
          2 +
      repha;
  if (entry_rows_[at] != kUnknownRow) return entry_rows_[at];
  LetterState state;
  state.letters.assign(1, static_cast<char>(PreviousLike(previous)));
  state.last = last < 0 ? -1 : LastLike(static_cast<unsigned char>(last));
  state.word_start = word_start;
  state.repha = repha;
  return entry_rows_[at] = RowOf(state);
}

// The fast way's steps on the letters of a state and the letter after
// them: the open step, then (when `then_letter`) the letter's own step. Any
// letter read beyond them is `filler`.
inline LetterTrial ToDevanagariStream::Engine::TryLetters(const LetterState& state,
                                                          unsigned char letter, bool then_letter,
                                                          unsigned char filler) {
  std::vector<unsigned char>& letters = trial_letters_;
  letters.assign(state.letters.size() + 16, filler);
  std::memcpy(letters.data(), state.letters.data(), state.letters.size());
  letters[state.letters.size()] = letter;
  std::array<char, 8 * Cell::kInline> written{};
  char* const begin = written.data();
  if (state.last >= 0) written[0] = static_cast<char>(state.last);
  char* const from = begin + (state.last >= 0 ? 1 : 0);
  FastRun run{from, begin, state.repha ? &HalfCell(Row::kRa) : nullptr, state.word_start};
  // ShortIIn clears the clipboard's edits: the trial keeps them, and tells.
  std::swap(off_clipboard_, trial_clipboard_);
  off_clipboard_.assign(1, 0);
  const unsigned char* p = letters.data();
  const std::size_t open = state.letters.size() - 1;
  bool ok = true;
  std::size_t taken = 0;
  if (open > 0) {  // "ai" and "au" take the letter too
    const Dispatch d = dispatch_[p[1]];
    taken = d.rule == Rule::kCluster ? FastCluster(p, d, run) : FastLetter(p, d, run);
    ok = taken == open || (taken == open + 1 && !then_letter);
    p += open;
  }
  if (ok && then_letter) ok = FastLetter(p, dispatch_[letter], run) == 1;
  LetterTrial trial;
  trial.took_letter = open > 0 && taken == open + 1;
  trial.ok = ok && run.out - from <= static_cast<std::ptrdiff_t>(Cell::kInline);
  trial.short_i = off_clipboard_.empty();
  std::swap(off_clipboard_, trial_clipboard_);
  if (!trial.ok) return trial;
  trial.written.assign(from, run.out);
  trial.word_start = run.word_start;
  trial.repha = run.repha != nullptr;
  return trial;
}

// The same trial with the letters after it told apart: nullopt when they
// would change its outcome, or the fast way refuses it.
inline std::optional<LetterTrial> ToDevanagariStream::Engine::TryLettersAlone(
    const LetterState& state, unsigned char letter, bool then_letter) {
  const LetterTrial first = TryLetters(state, letter, then_letter, 'k');
  if (!first.ok) return std::nullopt;
  for (const unsigned char filler : {' ', 'i', 'u', '-'}) {
    const LetterTrial other = TryLetters(state, letter, then_letter, filler);
    if (!other.ok || other.written != first.written || other.word_start != first.word_start ||
        other.repha != first.repha || other.short_i != first.short_i ||
        other.took_letter != first.took_letter) {
      return std::nullopt;
    }
  }
  return first;
}

// The move from the state at `row` on a letter of `column`, made by trying
// the fast way's steps.
SFC_NO_INLINE void ToDevanagariStream::Engine::MakeMove(std::uint32_t row, std::size_t column,
                                                        unsigned char letter) {
  const LetterState state = letter_states_[row / RowSize()];
  if (state.open == LetterState::kOpenCluster) {
    const auto first = static_cast<unsigned char>(state.letters[1]);
    const KeyTree& tree = TreeFor(static_cast<ClusterLetter>(dispatch_[first].arg), first);
    const int child = tree.Child(static_cast<std::size_t>(state.node), letter);
    if (child >= 0) {  // the cluster goes on
      LetterState next = state;
      next.letters += static_cast<char>(letter);
      next.node = child;
      const std::uint32_t next_row = RowOf(next);  // which may move the rows
      MoveAt(row, column) = LetterMove{next_row, 0, 0, 0};
      return;
    }
  }
  const LetterMove move = MoveOn(state, letter);  // which may move the rows
  MoveAt(row, column) = move;
}

// The open step closes on `letter`, which then takes its own step or opens
// the next one; an escape where the fast way would refuse either.
inline LetterMove ToDevanagariStream::Engine::MoveOn(const LetterState& state,
                                                     unsigned char letter) {
  const Dispatch d = dispatch_[letter];
  const auto before = static_cast<unsigned char>(state.letters.back());
  std::optional<LetterTrial> trial = TryLettersAlone(state, letter, false);
  if (!trial) return LetterMove{};
  LetterState next;
  LetterMove move;
  std::optional<LetterTrial> both;
  if (trial->took_letter) {  // the open step took the letter too
    next.letters.assign(1, static_cast<char>(PreviousLike(letter)));
    next.last = LastAfter(*trial, state.last);
    move.flags = 0;
  } else if (d.rule != Rule::kCluster && (both = TryLettersAlone(state, letter, true))) {
    trial = both;  // the letter's own step follows at once
    next.letters.assign(1, static_cast<char>(PreviousLike(letter)));
    next.last = LastAfter(*trial, state.last);
    move.flags = 0;
  } else if (d.rule == Rule::kI && !word_break_[before]) {
    // The short-i sign goes in front of output that the state does not
    // keep: the move writes what closes the open step, then the sign goes
    // in as the fast way puts it (ShortIIn), on the output itself, and the
    // repha held back after it. The state then is the one that starts the
    // table with the last byte written (or, failing that, one that knows
    // no last byte).
    next.letters.assign(1, static_cast<char>(PreviousLike(letter)));
    move.flags =
        kShortIAfter | (trial->repha ? kRephaAfter : 0) | (trial->word_start ? kWordStartAfter : 0);
    trial->repha = false;
  } else {  // the letter opens the next step
    const bool cluster = d.rule == Rule::kCluster;
    next.letters.assign(1, static_cast<char>(cluster ? 0 : PreviousLike(before)));
    next.letters += static_cast<char>(letter);
    next.open = cluster ? LetterState::kOpenCluster : LetterState::kOpenLetter;
    next.last = LastAfter(*trial, state.last);
    move.flags = 0;
  }
  next.word_start = trial->word_start;
  next.repha = trial->repha;
  move.row = RowOf(next);
  if (move.row == kEscapeRow) return LetterMove{};
  if (trial->short_i) move.flags |= kShortISign;
  move.size = static_cast<std::uint8_t>(trial->written.size());
  move.text = TextOf(trial->written);
  return move;
}

// The last byte written after a trial, as the state keeps it.
inline int ToDevanagariStream::Engine::LastAfter(const LetterTrial& trial, int last) const {
  return trial.written.empty() ? last : LastLike(static_cast<unsigned char>(trial.written.back()));
}

// The index of a text the moves write, kept once.
inline std::uint16_t ToDevanagariStream::Engine::TextOf(const std::string& text) {
  const auto [it, added] = text_index_.try_emplace(text, static_cast<std::uint16_t>(texts_.size()));
  if (added) {
    std::array<char, Cell::kInline> block{};
    std::memcpy(block.data(), text.data(), text.size());
    texts_.push_back(block);
  }
  return it->second;
}

// Where the table stops reading letters, for the steps from `first` while a
// step starts before `stop`: the last step that may start reads its letter
// at `stop`. While the dash look-ahead is armed, no step whose next letter
// but one is a dash goes the fast way; a step may close at its own letter,
// so the table then reads no letter whose next but one is a dash.
inline const unsigned char* ToDevanagariStream::Engine::TableEnd(const unsigned char* first,
                                                                 const unsigned char* stop) {
  const unsigned char* end = stop + 1;
  if (state_.dash_state != kDashArmed) return end;
  // The first dash from the letter after `first` up to two after `end`, found
  // once: what was scanned is kept by stream position until the letters
  // move (InsertLetter, EraseLetter) or the run starts again.
  const std::uint64_t front = StreamFront();
  const std::uint64_t from = front + 1;
  const std::uint64_t to = front + static_cast<std::uint64_t>(end + 2 - first);
  if (next_dash_ < from) {  // the dash found is behind: look again
    next_dash_ = kNoDash;
    dash_scanned_to_ = from;
  }
  if (next_dash_ == kNoDash && dash_scanned_to_ < to) {  // up to the buffer's end
    const std::uint64_t scan = std::max(from, dash_scanned_to_);
    const unsigned char* const begin = first + (scan - front);
    const std::uint64_t scan_to = front + work_.size();
    const auto length = static_cast<std::size_t>(scan_to - scan);
    next_dash_ = kNoDash;
    for (const int dash : {int{'-'}, 150}) {
      if (const void* found = std::memchr(begin, dash, length)) {
        const auto at =
            static_cast<std::uint64_t>(static_cast<const unsigned char*>(found) - first);
        next_dash_ = std::min(next_dash_, front + at);
      }
    }
    dash_scanned_to_ = scan_to;
  }
  if (next_dash_ >= to) return end;
  const std::uint64_t at = next_dash_ - front;
  return at < 3 ? first : first + (at - 2);
}

// The steps from `p` (the letter before the first), reading letters before
// `end` (TableEnd), one letter a move. Returns where the first step it did
// not take starts, as FastSteps does: there the fast way takes one step.
// Each move costs a few instructions: one test sends the moves that are not
// plain (an escape, a move to make, a short i's step after it) out of the
// way, and where the open step starts is worked out once, at the end, from
// the number of letters the last state holds open.
SFC_ALWAYS_INLINE const unsigned char* ToDevanagariStream::Engine::TableSteps(
    const unsigned char* p, const unsigned char* end, const char* out_begin, char*& out) {
  if (end <= p + 1) return p;
  std::uint32_t row = EntryRow(p[0], out > out_begin ? static_cast<unsigned char>(out[-1]) : -1,
                               word_start_, pending_repha_ != nullptr);
  if (row == kEscapeRow) return p;
  const char* moves = reinterpret_cast<const char*>(moves_.data());
  const std::array<char, Cell::kInline>* texts = texts_.data();
  const unsigned char* q = p + 1;
  char* o = out;
  unsigned flags = 0;
  while (q < end) {
    const std::size_t column = letter_column_[*q];
    const char* const column_moves = moves + column;  // whatever the row, which comes later
    LetterMove move;
    std::memcpy(&move, column_moves + row, sizeof move);
    if ((move.flags & (kStop | kShortIAfter)) != 0) [[unlikely]] {
      if (move.row == kEscapeRow) break;
      if (move.row == kUnknownRow) {
        MakeMove(row, column, *q);
        moves = reinterpret_cast<const char*>(moves_.data());
        texts = texts_.data();
        continue;
      }
      // The short i's step follows on the output.
      std::memcpy(o, texts[move.text].data(), Cell::kInline);
      o += move.size;
      if (!ShortIIn(out_begin, o)) {  // the fast way takes the open step
        o -= move.size;
        break;
      }
      if ((move.flags & kRephaAfter) != 0) PutCell(o, HalfCell(Row::kRa));
      // The state that knows the last byte written.
      const std::uint32_t known = EntryRow(*q, static_cast<unsigned char>(o[-1]),
                                           (move.flags & kWordStartAfter) != 0, false);
      row = known != kEscapeRow ? known : move.row;
      moves = reinterpret_cast<const char*>(moves_.data());  // a new state moves the rows
      flags |= move.flags;
      ++q;
      continue;
    }
    std::memcpy(o, texts[move.text].data(), Cell::kInline);
    o += move.size;
    flags |= move.flags;
    row = move.row;
    ++q;
  }
  const LetterState& state = letter_states_[row / RowSize()];
  out = o;
  word_start_ = state.word_start;
  pending_repha_ = state.repha ? &HalfCell(Row::kRa) : nullptr;
  if ((flags & kShortISign) != 0) SyncClipboard();
  // The state's letters: the letter before the open step, then the step's.
  return q - state.letters.size();
}

}  // namespace sfc
