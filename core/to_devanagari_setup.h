// Part of to_devanagari.cpp, which alone includes it, after the engine's
// class: what a stream works out once from the table in force (the letters
// of the transliteration font, the cells, the dispatch of every byte and
// the vowel letters' cells for the fast way).
#pragma once

namespace sfc {

// The kt ending as the byte the short-i map's syllables are read with.
inline int ToDevanagariStream::Engine::KtEndByte(const SanidevaTable& table) {
  const std::string& kt_end = table.full[Row::kKtaEnd];
  return kt_end.size() == 1 && kt_end[0] != ' ' ? static_cast<unsigned char>(kt_end[0]) : kNone;
}

// Output is passed on early only where no later rule can change it (see
// MaybePassOn): a rule that removes the last glyph writes at least one glyph
// in its place, so no later rule removes a glyph written before the last one.
inline bool ToDevanagariStream::Engine::RemovalsReplaceWhatTheyRemove() const {
  for (int row : {Row::kApostrophe, Row::kRephaAnusvara, Row::kOpenYa, Row::kDash, Row::kNra}) {
    if (Full(row).empty()) return false;
  }
  return true;
}

// And the short-i sign holds a syllable glyph, so that inserting it never
// moves the next insertion further back.
inline bool ToDevanagariStream::Engine::ShortISignCountsAsSyllable() const {
  for (const std::string* sign : {&Half(Row::kI), &Full(Row::kISignWide)}) {
    bool syllable = false;
    for (const char c : *sign) syllable |= short_i_syllable_[static_cast<unsigned char>(c)];
    if (!syllable) return false;
  }
  return true;
}

// The special letters of the transliteration font in force, when they are
// one byte, and the cells of every row for each way a cluster is written.
inline void ToDevanagariStream::Engine::ReadLetters() {
  long_a_ = LetterOf(Letter::kLongA);
  long_i_ = LetterOf(Letter::kLongI);
  long_u_ = LetterOf(Letter::kLongU);
  vocalic_r_ = LetterOf(Letter::kVocalicR);
  long_vocalic_r_ = LetterOf(Letter::kLongVocalicR);
  retroflex_d_ = LetterOf(Letter::kRetroflexD);
  visarga_ = LetterOf(Letter::kVisarga);
  anusvara_ = LetterOf(Letter::kAnusvara);
  velar_n_ = LetterOf(Letter::kVelarN);
  palatal_n_ = LetterOf(Letter::kPalatalN);
  retroflex_n_ = LetterOf(Letter::kRetroflexN);
  palatal_s_ = LetterOf(Letter::kPalatalS);
  retroflex_s_ = LetterOf(Letter::kRetroflexS);
  retroflex_t_ = LetterOf(Letter::kRetroflexT);
  vocalic_l_ = LetterOf(Letter::kVocalicL);
  long_vocalic_l_ = LetterOf(Letter::kLongVocalicL);
  independent_l_ = Cell(table_.full[Row::kLa] + table_.half[Row::kVocalicR]);
  dependent_l_ = Cell(table_.half[Row::kLongA] + table_.half[Row::kVocalicR]);
  word_start_long_a_ = Cell(table_.full[Row::kA] + table_.half[Row::kLongA]);
  word_start_o_ = Cell(table_.full[Row::kA] + table_.half[Row::kO]);
  word_start_ai_ = Cell(table_.full[Row::kE] + table_.half[Row::kE]);
  word_start_au_ = Cell(table_.full[Row::kA] + table_.half[Row::kAu]);
  const std::string& aspirata = table_.full[Row::kAspirata1];
  for (std::size_t row = 0; row < kSyllableTableSize; ++row) {
    CellsOf(AfterCluster::kHalf)[row] = Cell(table_.half[row]);
    CellsOf(AfterCluster::kFull)[row] = Cell(table_.full[row]);
    CellsOf(AfterCluster::kFullAndAspirata)[row] = Cell(table_.full[row] + aspirata);
  }
}

// The cells of the vowel letters that write one cell at a word's start and
// another after a consonant (then the repha held back), by letter; and
// whether the cells the fast way writes without looking are short ones.
inline void ToDevanagariStream::Engine::ReadVowelSigns() {
  fast_ = true;
  for (const Cell* cell :
       {&HalfCell(Row::kRa), &FullCell(Row::kA), &FullCell(Row::kVisarga),
        &HalfCell(Row::kAnusvara), &FullCell(Row::kU), &HalfCell(Row::kU), &HalfCell(Row::kO),
        &FullCell(Row::kYa), &HalfCell(Row::kYa), &FullCell(Row::kRa)}) {
    fast_ = fast_ && cell->size <= Cell::kInline;
  }
  short_i_sign_ = Cell(Half(Row::kI));
  wide_i_sign_ = Cell(Full(Row::kISignWide));
  fast_ = fast_ && FullCell(Row::kI).size <= Cell::kInline && short_i_sign_.size <= Cell::kInline &&
          wide_i_sign_.size <= Cell::kInline;
  kt_end_byte_ = KtEndByte(table_);
  for (std::size_t c = 0; c < 256; ++c) {
    const int byte = static_cast<int>(c);
    skipped_before_i_[c] = Equals(byte, Half(Row::kRa)) || Equals(byte, Full(Row::kKtaEnd)) ||
                           Equals(byte, Full(Row::kHalfR));
  }
  half_ra_byte_ = Half(Row::kRa).size() == 1 ? static_cast<unsigned char>(Half(Row::kRa)[0]) : -2;
  for (const char glyph : joins_.r_below) r_below_[static_cast<unsigned char>(glyph)] = true;
  for (const unsigned char letter : {'c', 'j', 'k', 'd'}) doubled_rule_[letter] = true;
  r_forms_.reserve(joins_.r_forms.size());
  for (const GlyphWithR& form : joins_.r_forms) {
    r_forms_.emplace_back(std::string(form.with_r));
    r_form_[static_cast<std::size_t>(form.glyph)] = &r_forms_.back();
  }
  // LetterY writes the full ya before these letters; LetterR after a vowel
  // writes the full ra before a vowel other than u and ū and holds the
  // repha back before any other letter but a space, an underscore and a dash.
  for (const int c : std::initializer_list<int>{'a', 'e', 'i', 'u', 'o', vocalic_r_,
                                                long_vocalic_r_, long_u_, long_a_, long_i_}) {
    if (c != kNone) ya_full_before_[static_cast<std::size_t>(c)] = true;
  }
  for (std::size_t c = 0; c < 256; ++c) {
    const int n = static_cast<int>(c);
    r_plain_before_[c] = !(n == 'u' || n == long_u_ || n == ' ' || n == '_' || IsDash(n));
  }
  auto set = [this](int letter, const Cell& word_start, const Cell& after_consonant) {
    if (letter == kNone || dispatch_[static_cast<std::size_t>(letter)].rule == Rule::kDrop) return;
    vowel_cells_[static_cast<std::size_t>(letter)] = {&word_start, &after_consonant};
  };
  for (std::size_t c = 0; c < 256; ++c) {
    const Rule rule = dispatch_[c].rule;
    const int letter = static_cast<int>(c);
    if (rule == Rule::kLongA) set(letter, word_start_long_a_, HalfCell(Row::kLongA));
    if (rule == Rule::kVocalicL) set(letter, independent_l_, dependent_l_);
    for (const auto& [vowel, row] : {std::pair{Rule::kE, Row::kE},
                                     {Rule::kLongI, Row::kLongI},
                                     {Rule::kLongU, Row::kLongU},
                                     {Rule::kVocalicR, Row::kVocalicR},
                                     {Rule::kLongVocalicR, Row::kLongVocalicR}}) {
      if (rule == vowel) set(letter, FullCell(row), HalfCell(row));
    }
  }
  ReadSignsAfterCluster();
}

// What FastVowelSign reads: the sign each letter writes right after a
// cluster, and the letters that need a closer look there.
inline void ToDevanagariStream::Engine::ReadSignsAfterCluster() {
  for (std::size_t c = 0; c < 256; ++c) {
    const Rule rule = dispatch_[c].rule;
    a_letter_[c] = rule == Rule::kA;
    const Cell* sign = a_letter_[c] ? &no_sign_ : vowel_cells_[c].after_consonant;
    if (rule == Rule::kO || rule == Rule::kU) {  // as FastUO writes them after a consonant
      sign = &HalfCell(rule == Rule::kO ? Row::kO : Row::kU);
    }
    u_joins_[c] = rule == Rule::kU && joins_.u_after != kNone;
    i_letter_[c] = rule == Rule::kI;
    if (sign != nullptr && sign->size <= Cell::kInline) vowel_sign_[c] = sign;
    const bool vowel = c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
    consonant_before_[c] = !word_break_[c] && !dash_[c] && !vowel;
  }
}

// The dispatch table: for every byte the first rule that matches it.
// Filled from the last rule to the first so that earlier rules win.
inline void ToDevanagariStream::Engine::BuildDispatch() {
  const std::vector<DispatchEntry> order = RuleOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (it->letter >= 0 && it->letter < 256) {
      dispatch_[static_cast<std::size_t>(it->letter)] = it->dispatch;
    }
  }
}

// The rules in the order they are tried: the letters of the current
// transliteration font first, then signs and punctuation.
inline std::vector<DispatchEntry> ToDevanagariStream::Engine::RuleOrder() const {
  using CL = ClusterLetter;
  auto cluster = [](CL letter) {
    return Dispatch{Rule::kCluster, static_cast<unsigned char>(letter)};
  };
  auto simple = [](Rule rule) { return Dispatch{rule, 0}; };
  std::vector<DispatchEntry> order = {
      {long_a_, simple(Rule::kLongA)},
      {'a', simple(Rule::kA)},
      {'b', cluster(CL::kB)},
      {'c', cluster(CL::kC)},
      {'d', cluster(CL::kD)},
      {retroflex_d_, cluster(CL::kRetroflexD)},
      {'e', simple(Rule::kE)},
      {'g', cluster(CL::kG)},
      {'h', cluster(CL::kH)},
      {visarga_, simple(Rule::kVisarga)},
      {'i', simple(Rule::kI)},
      {long_i_, simple(Rule::kLongI)},
      {'j', cluster(CL::kJ)},
      {'k', cluster(CL::kK)},
      {'l', cluster(CL::kL)},
      {'m', cluster(CL::kM)},
      {anusvara_, simple(Rule::kAnusvara)},
      {'n', cluster(CL::kN)},
      {velar_n_, cluster(CL::kVelarN)},
      {retroflex_n_, cluster(CL::kRetroflexN)},
      {'o', simple(Rule::kO)},
      {'p', cluster(CL::kP)},
      {'r', simple(Rule::kR)},
      {long_vocalic_r_, simple(Rule::kLongVocalicR)},
      {vocalic_r_, simple(Rule::kVocalicR)},
      {'s', cluster(CL::kS)},
      {palatal_s_, cluster(CL::kPalatalS)},
      {retroflex_s_, cluster(CL::kRetroflexS)},
      {'t', cluster(CL::kT)},
      {retroflex_t_, cluster(CL::kRetroflexT)},
      {palatal_n_, cluster(CL::kPalatalN)},
      {'u', simple(Rule::kU)},
      {long_u_, simple(Rule::kLongU)},
      {'v', cluster(CL::kV)},
      {'y', simple(Rule::kY)},
      {' ', simple(Rule::kSpace)},
      {vocalic_l_, simple(Rule::kVocalicL)},
      {long_vocalic_l_, simple(Rule::kLongVocalicL)},
      {10, simple(Rule::kLineEnd)},
      {13, simple(Rule::kLineEnd)},
  };
  AddSignsAndPunctuation(order);
  return order;
}

// The rules after the letters: digits, signs and punctuation.
inline void ToDevanagariStream::Engine::AddSignsAndPunctuation(std::vector<DispatchEntry>& order) {
  auto simple = [](Rule rule) { return Dispatch{rule, 0}; };
  for (int digit = '0'; digit <= '9'; ++digit) order.push_back({digit, simple(Rule::kDigit)});
  order.push_back({'\'', simple(Rule::kApostrophe)});
  order.push_back({160, simple(Rule::kAltSpace)});
  order.push_back({'-', simple(Rule::kDash)});
  order.push_back({150, simple(Rule::kDash)});  // the long dash reads as "-"
  order.push_back({'/', simple(Rule::kSlash)});
  for (const auto& [letter, row] : kSignRows) {
    order.push_back({letter, {Rule::kSign, static_cast<unsigned char>(row)}});
  }
  for (const auto& [letter, byte] : kPunctuation) {
    order.push_back({letter, {Rule::kPunctuation, static_cast<unsigned char>(byte)}});
  }
  order.push_back({'+', simple(Rule::kPlus)});
  order.push_back({'_', simple(Rule::kUnderscore)});
}

// The first bytes of the glyphs of some rows.
inline std::array<bool, 256> ToDevanagariStream::Engine::FirstBytesOf(
    std::initializer_list<int> rows) const {
  std::array<bool, 256> first{};
  for (const int row : rows) {
    if (!Full(row).empty()) first[static_cast<unsigned char>(Full(row)[0])] = true;
  }
  return first;
}

// How a cluster is written in the short way before a letter.
inline AfterCluster ToDevanagariStream::Engine::AfterClusterOf(int n) const {
  if (n == ' ') return AfterCluster::kFullAndAspirata;
  if (IsDash(n) || n == '_' || n == 160) return AfterCluster::kFullWay;
  if (IsVowelLetter(n) || n == 'r') return AfterCluster::kFull;
  return shift_m_to_n_ ? AfterCluster::kFullWay : AfterCluster::kHalf;
}

}  // namespace sfc
