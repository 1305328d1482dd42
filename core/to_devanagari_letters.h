// Part of to_devanagari.cpp, which alone includes it, after the engine's
// class: the rules of the letters that join their neighbours (a, o, u,
// y, r), the short-i sign and the consonant clusters.
#pragma once

namespace sfc {

// A vowel letter other than "a", "i" after a consonant, "o", "u" and ḹ.
inline void ToDevanagariStream::Engine::Vowel(const Cell& word_start, const Cell& after_consonant) {
  if (BeginsWord()) {
    output_ += word_start;
  } else {
    output_ += after_consonant;
    TakeRepha();
  }
}

inline void ToDevanagariStream::Engine::LetterO() {
  if (!BeginsWord()) {
    output_ += HalfCell(Row::kO);
    TakeRepha();
  } else if (Next() != kNone && Next() == anusvara_) {
    output_ += FullCell(Row::kOm);
    RemoveExtraLetter();
  } else {
    output_ += word_start_o_;
  }
}

inline void ToDevanagariStream::Engine::LetterU() {
  if (BeginsWord()) {
    output_ += FullCell(Row::kU);
    return;
  }
  if (joins_.u_after != kNone && LastByte() == joins_.u_after) {
    output_ += joins_.u_joined;
  } else {
    output_ += HalfCell(Row::kU);
  }
  TakeRepha();
}

// Returns false when the step ended on its own (no emit).
inline bool ToDevanagariStream::Engine::LetterA(int previous, int next) {
  if (previous == 10 || previous == 13 || previous == 32 || IsDash(previous)) {
    word_start_ = true;
  } else if (previous == 'a' || previous == 'e' || previous == 'i' || previous == 'o' ||
             previous == 'u') {
    if (shift_m_to_n_) {
      // A separately written "a": a mark in the text, not on the clipboard.
      if (options_.clipboard) off_clipboard_.push_back(output_.size());
      output_ += '\x1b';
      if (!work_.RemoveFront()) RunEnds();
      return false;
    }
  } else {
    word_start_ = false;
  }
  if (next == 'i') {
    if (word_start_) {
      output_ += word_start_ai_;
    } else {
      output_ += HalfCell(Row::kAi);
      TakeRepha();
    }
    RemoveExtraLetter();
  } else if (next == 'u') {
    if (word_start_) {
      output_ += word_start_au_;
    } else {
      output_ += HalfCell(Row::kAu);
      TakeRepha();
    }
    RemoveExtraLetter();
  } else {
    if (word_start_) {
      output_ += FullCell(Row::kA);
      pending_repha_ = nullptr;  // a word's first "a" drops a repha held back
    }
    TakeRepha();
  }
  return true;
}

// The short-i sign is written before the cluster it follows in speech:
// after the second syllable glyph from the end.
inline void ToDevanagariStream::Engine::ShortI() {
  const HeldOutput::Offset len = output_.size();
  const std::optional<HeldOutput::Offset> second = marks_.Find(output_, 2);
  const HeldOutput::Offset stop = second ? len - 1 - *second : len;  // counted from the end
  HeldOutput::Offset k = stop;  // stop - 1 when the byte after it is an r or kt ending
  if (stop >= 1) {
    const int byte = output_[len - stop];
    if (Equals(byte, Half(Row::kRa)) || Equals(byte, Full(Row::kKtaEnd)) ||
        Equals(byte, Full(Row::kHalfR)))
      k = stop - 1;
  }
  const std::string* sign = &Half(Row::kI);
  if (k > 1 && !(k == 2 && BracketAfter(len - stop))) sign = &Full(Row::kISignWide);
  output_.Insert(len - k, *sign);
  marks_.Inserted(output_, len - k, sign->size());
  TakeRepha();
  SyncClipboard();
}

// Whether a "[" that is no syllable glyph lies from an offset to the end.
inline bool ToDevanagariStream::Engine::BracketAfter(HeldOutput::Offset from) const {
  for (HeldOutput::Offset at = from; at < output_.size(); ++at) {
    if (output_[at] == '[' && !marks_.IsSyllable(output_, at)) return true;
  }
  return false;
}

inline void ToDevanagariStream::Engine::LetterY() {
  const int previous = Previous();
  const bool after_letter =
      !(previous == 10 || previous == 13 || previous == 32 || previous == 150 || previous == 160);
  const int g = LastByte();
  const bool after_aspirata = after_letter && g != kNone && aspirata_first_[g];
  if (!after_aspirata) {
    const int next = Next();
    if (next == 'a' || next == 'e' || next == 'i' || next == 'u' ||
        (next != kNone && (next == vocalic_r_ || next == long_vocalic_r_ || next == long_u_))) {
      output_ += FullCell(Row::kYa);  // the vowel's own chunk writes the pending repha
    } else if (next != kNone && (next == long_a_ || next == long_i_ || next == 'o')) {
      output_ += FullCell(Row::kYa);
    } else if (next == ' ') {
      output_ += FullCell(Row::kYa);
      TakeRepha();
      output_ += FullCell(Row::kAspirata1);
    } else {
      output_ += HalfCell(Row::kYa);
    }
    return;
  }
  const int before = output_.size() >= 2 ? output_[output_.size() - 2] : kNone;
  if (before != kNone && opens_ya_first_[before]) {
    if (!RemoveLastByte()) return;
    output_ += FullCell(Row::kOpenYa);
  } else {
    output_ += FullCell(Row::kYa);
  }
  TakeRepha();
}

inline void ToDevanagariStream::Engine::LetterR() {
  int previous = Previous();
  if (previous == 13 || previous == 10) previous = 'a';
  const int next = Next();
  if (previous == '\'' || previous == ' ' || IsVowelLetter(previous)) {
    if (next == 'u') {
      output_ += FullCell(Row::kRu);
      RemoveExtraLetter();
    } else if (next != kNone && next == long_u_) {
      output_ += FullCell(Row::kRLongU);
      RemoveExtraLetter();
    } else if (IsVowelLetter(next)) {
      output_ += FullCell(Row::kRa);
    } else if (next == ' ' || next == '_') {
      output_ += FullCell(Row::kRa);
      output_ += FullCell(Row::kAspirata1);
    } else if (IsDash(next)) {
      output_ += FullCell(Row::kRa);
    } else {
      pending_repha_ = &HalfCell(Row::kRa);
    }
    return;
  }
  if (previous == '_') {
    output_ += FullCell(Row::kRa);
    return;
  }
  // r after a consonant joins its cluster.
  const int g = LastByte();
  bool done = false;
  auto removes_n = [&](int n_glyph) {
    if (g != n_glyph || Full(Row::kNra) == " ") return false;
    if (!RemoveLastByte()) return true;  // the run ends
    output_ += FullCell(Row::kNra);
    return true;
  };
  if (g != kNone && joins_.r_below.find(static_cast<char>(g)) != std::string_view::npos) {
    output_ += FullCell(Row::kHalfR);
    done = true;
  } else if (const std::string_view* form = RForm(g)) {
    output_ += *form;
    done = true;
  } else if (joins_.n_before_r != kNone) {
    done = removes_n(joins_.n_before_r);
    if (run_ends_) return;
  }
  if (!done) output_ += Equals(g, Full(Row::kDash)) ? Full(Row::kRa) : Full(Row::kHalfRUpper);
  if (!IsVowelLetter(next)) output_ += FullCell(Row::kAspirata1);
}

// The bytes an r after the glyph g is written as, when the font has a form
// of its own for the pair.
inline const std::string_view* ToDevanagariStream::Engine::RForm(int g) const {
  for (const GlyphWithR& form : joins_.r_forms) {
    if (form.glyph == g) return &form.with_r;
  }
  return nullptr;
}

inline const KeyTree& ToDevanagariStream::Engine::TreeFor(ClusterLetter letter,
                                                          unsigned char first_letter) {
  KeyTree& tree = trees_[static_cast<std::size_t>(letter)];
  if (tree.built) return tree;
  return BuildTree(tree, letter, first_letter);
}

const KeyTree& ToDevanagariStream::Engine::BuildTree(KeyTree& tree, ClusterLetter letter,
                                                     unsigned char first_letter) {
  const LetterGroupRange range = GroupRange(letter, profile_);
  tree.built = true;
  tree.base = range.base;
  tree.nodes.emplace_back();
  for (int row = range.first; row <= range.last; ++row) {
    const std::string& key = table_.key[static_cast<std::size_t>(row)];
    if (key.size() < 2 || static_cast<unsigned char>(key[0]) != first_letter || Full(row) == " ") {
      continue;
    }
    std::size_t node = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
      const auto byte = static_cast<unsigned char>(key[i]);
      int child = -1;
      for (const auto& [b, index] : tree.nodes[node].children) {
        if (b == byte) child = index;
      }
      if (child < 0) {
        child = static_cast<int>(tree.nodes.size());
        tree.nodes[node].children.emplace_back(byte, child);
        tree.nodes.emplace_back();
      }
      node = static_cast<std::size_t>(child);
    }
    if (tree.nodes[node].row == 0) tree.nodes[node].row = row;
  }
  tree.FillMoves();
  return tree;
}

// Returns false when the step ended on its own (a doubled consonant).
inline bool ToDevanagariStream::Engine::Cluster(ClusterLetter letter) {
  const auto first_letter = static_cast<unsigned char>(Current());
  const KeyTree& tree = TreeFor(letter, first_letter);
  int matched = tree.base;
  // Only the doubled consonants look at the key, and only at two letters.
  doubled_ = 0;
  int key_length = 1;
  // The key grows by one letter while the longer key is in the range.
  std::size_t node = 0;
  for (;;) {
    const int next = Next();
    if (next == kNone) break;
    int found = -1;
    for (const auto& [byte, index] : tree.nodes[node].children) {
      if (byte == next) found = index;
    }
    if (found < 0 || tree.nodes[static_cast<std::size_t>(found)].row == 0) break;
    node = static_cast<std::size_t>(found);
    doubled_ = (++key_length == 2 && next == first_letter) ? next : 0;
    matched = tree.nodes[node].row;
    if (!work_.RemoveFront()) return RunEnds();
  }
  const int n = Next();
  if (DoubledConsonant(n)) return false;
  if (doubled_ == 'd' && (n == 'b' || n == 'd' || n == 'g')) {
    AskAboutDdd(n);
  }

  if (n == ' ') {
    output_ += FullCell(matched);
    output_ += FullCell(Row::kAspirata1);
  } else if (IsDash(n) || n == '_' || n == 160) {
    const int follows = work_.At(3);
    if (IsVowelLetter(follows)) {
      output_ += FullCell(matched);
    } else if (state_.dash_state == kDashWaiting) {
      output_ += FullCell(matched);
      output_ += FullCell(Row::kAspirata1);
    } else {
      output_ += HalfCell(matched);
    }
  } else if (IsVowelLetter(n) || n == 'r') {
    output_ += FullCell(matched);
  } else {
    const Cell* half = &HalfCell(matched);
    if (shift_m_to_n_ && Half(matched) == Half(Row::kMa)) {
      if (n == 'd' || n == 't') {
        half = &HalfCell(Row::kNa);
      } else if (n != kNone && (n == retroflex_d_ || n == retroflex_t_)) {
        half = &HalfCell(Row::kRetroflexNa);
      } else if (n == 'h' || n == 's' || n == 'y' || (n != kNone && n == palatal_s_)) {
        half = &HalfCell(Row::kAnusvara);
      }
    }
    output_ += *half;
  }
  return true;
}

// cch, jjh, jjñ, kkh, kkr, kkṣ, kkṛ: the first consonant is written half
// and the second starts a new cluster with the letters after it. The
// letters are those of the run's transliteration font, so that the same
// text gives the same glyphs in every font.
inline bool ToDevanagariStream::Engine::DoubledConsonant(int n) {
  if (doubled_ == 0) return false;
  int row = 0;
  const bool letter = n != kNone;
  if (doubled_ == 'c' && n == 'h') {
    row = Row::kCa;
  } else if (doubled_ == 'j' && (n == 'h' || (letter && n == palatal_n_))) {
    row = Row::kJa;
  } else if (doubled_ == 'k' &&
             (n == 'h' || n == 'r' || (letter && (n == retroflex_s_ || n == vocalic_r_)))) {
    row = Row::kKa;
  }
  if (row == 0) return false;
  output_ += HalfCell(row);
  SyncClipboard();
  return true;
}

// `next` follows the "dd" at the front of the work buffer.
void ToDevanagariStream::Engine::AskAboutDdd(int next) {
  InputBoxRequest request{InputRequestKind::kCheckLater, -1, "CHECK LATER",
                          "Program has found\rthe combination of this letters:\r'ddd' or "
                          "'ddb' or 'ddg'",
                          "Please check this manual!"};
  request.found = std::string("dd") + static_cast<char>(next);
  request.at = drops_.Locate(InputOffsetOf(StreamFront()));
  std::string answer = input_box_ ? input_box_(request) : request.default_text;
  asked_.push_back({std::move(request), std::move(answer)});
}

}  // namespace sfc
