// Transliteration to Devanagari: one letter or letter cluster per step, left
// to right over the padded text.

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "conversion.h"

#if defined(__GNUC__)
#define SFC_ALWAYS_INLINE [[gnu::always_inline]] inline
#define SFC_NO_INLINE [[gnu::noinline]]
#else
#define SFC_ALWAYS_INLINE inline
#define SFC_NO_INLINE
#endif

namespace sfc {

namespace {

constexpr int kNone = -1;  // a letter or byte that does not exist

// The padded input, consumed from the front. Its first letter is the
// previous letter, its second the current one. A few spare bytes before the
// front make the small insertions of the dash look-ahead cheap.
class WorkBuffer {
 public:
  explicit WorkBuffer(std::string_view padded) {
    data_.reserve(kSpare + padded.size());
    data_.assign(kSpare, '\0');
    data_.append(padded);
    Point(kSpare);
  }

  std::size_t size() const { return static_cast<std::size_t>(end_ - head_); }
  bool empty() const { return head_ == end_; }

  // The letter at index i, or kNone past the end.
  int At(std::size_t i) const { return i < size() ? head_[i] : kNone; }
  // The last of the first n letters that exist.
  int LastOfFirst(std::size_t n) const {
    const std::size_t len = size();
    if (len >= n) return head_[n - 1];
    return len == 0 ? kNone : end_[-1];
  }

  // Removes the first letter; false when there is none.
  bool RemoveFront() {
    if (head_ == end_) return false;
    ++head_;
    return true;
  }

  // Inserts a letter before index i (i <= size()).
  void Insert(std::size_t i, char letter) {
    std::size_t at = Offset();
    if (at == 0) {
      data_.insert(0, kSpare, '\0');
      at = kSpare;
    }
    std::memmove(&data_[at - 1], &data_[at], i);
    data_[at - 1 + i] = letter;
    Point(at - 1);
  }

  // Removes the letter at index i (i < size()).
  void Erase(std::size_t i) {
    const std::size_t at = Offset();
    std::memmove(&data_[at + 1], &data_[at], i);
    Point(at + 1);
  }

 private:
  static constexpr std::size_t kSpare = 8;

  std::size_t Offset() const {
    return static_cast<std::size_t>(head_ - reinterpret_cast<const unsigned char*>(data_.data()));
  }
  void Point(std::size_t at) {
    const auto* base = reinterpret_cast<const unsigned char*>(data_.data());
    head_ = base + at;
    end_ = base + data_.size();
  }

  std::string data_;
  const unsigned char* head_ = nullptr;
  const unsigned char* end_ = nullptr;
};

// The glyphs written so far. Appends are the hot path: a plain byte buffer
// with its own length keeps them to a few instructions.
class Output {
 public:
  void Reserve(std::size_t n) { data_.resize(n); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  unsigned char back() const { return static_cast<unsigned char>(data_[size_ - 1]); }
  unsigned char operator[](std::size_t i) const { return static_cast<unsigned char>(data_[i]); }
  void pop_back() { --size_; }

  SFC_ALWAYS_INLINE Output& operator+=(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (size_ + n > data_.size()) Grow(n);
    char* to = data_.data() + size_;
    for (std::size_t i = 0; i < n; ++i) to[i] = bytes[i];
    size_ += n;
    return *this;
  }
  SFC_ALWAYS_INLINE Output& operator+=(char byte) {
    if (size_ == data_.size()) Grow(1);
    data_[size_++] = byte;
    return *this;
  }
  void Insert(std::size_t at, std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (size_ + n > data_.size()) Grow(n);
    std::memmove(data_.data() + at + n, data_.data() + at, size_ - at);
    std::memcpy(data_.data() + at, bytes.data(), n);
    size_ += n;
  }
  std::string_view View() const { return {data_.data(), size_}; }
  std::string Take() {
    data_.resize(size_);
    size_ = 0;
    return std::move(data_);
  }

 private:
  SFC_NO_INLINE void Grow(std::size_t n) {
    data_.resize(std::max(data_.size() * 2, size_ + n) + 16);
  }

  std::string data_;
  std::size_t size_ = 0;
};

// What the dispatch decides for a current letter, in the order of the rules.
enum class Rule : unsigned char {
  kDrop,
  kLongA,
  kA,
  kCluster,
  kE,
  kVisarga,
  kI,
  kLongI,
  kAnusvara,
  kO,
  kR,
  kLongVocalicR,
  kVocalicR,
  kU,
  kLongU,
  kY,
  kSpace,
  kVocalicL,
  kLongVocalicL,
  kLineEnd,
  kDigit,
  kApostrophe,
  kAltSpace,
  kDash,
  kSlash,
  kSign,         // bytes 232, 154, 158 and f, q, w, x, z: a sign row, 27 before "a"
  kPunctuation,  // a fixed control byte
  kPlus,
  kUnderscore,
};

struct Dispatch {
  Rule rule = Rule::kDrop;
  unsigned char arg = 0;  // ClusterLetter, sign row or punctuation byte
};

// The run ended through the end handler.
struct RunEnded {};

class ToDevanagari {
 public:
  ToDevanagari(ConverterState& state, bool shift_m_to_n, const InputBox& input_box,
               std::string_view input)
      : state_(state),
        table_(state.sanideva),
        shift_m_to_n_(shift_m_to_n),
        input_box_(input_box),
        font_(FontOf(state.devanagari_box_font)),
        profile_(ProfileForFont(state.devanagari_box_font)),
        work_(Padded(input)) {
    ReadLetters();
    BuildDispatch();
    for (int c : std::initializer_list<int>{'a', 'e', 'i', 'o', 'u', long_a_, long_i_, vocalic_r_,
                                            long_vocalic_r_, long_u_}) {
      if (c != kNone) vowel_letter_[static_cast<std::size_t>(c)] = true;
    }
    output_.Reserve(input.size() + input.size() / 4 + 16);
  }

  ConversionResult Run(std::string_view input) {
    ConversionResult result;
    result.padded_input = Padded(input);
    try {
      for (;;) Step();
    } catch (const RunEnded&) {
    }
    result.completed = work_.size() < 3;
    result.clipboard = Clipboard();
    result.output = output_.Take();
    result.input_boxes = std::move(asked_);
    return result;
  }

 private:
  // The Devanagari fonts with rules of their own.
  enum class Font { kVedic, kDevNatrajItr, kSanskrit99, kOther };
  static Font FontOf(std::string_view name) {
    const std::optional<DevanagariFont> font = FindDevanagariFont(name);
    if (!font) return Font::kOther;
    switch (*font) {
      case DevanagariFont::kVedic:
        return Font::kVedic;
      case DevanagariFont::kDevNatrajItr:
        return Font::kDevNatrajItr;
      case DevanagariFont::kSanskrit99:
        return Font::kSanskrit99;
    }
    return Font::kOther;
  }

  static std::string Padded(std::string_view input) {
    std::string padded;
    padded.reserve(input.size() + 2);
    padded += ' ';
    padded.append(input);
    padded += ' ';
    return padded;
  }

  static int LetterOf(const std::string& key) {
    return key.size() == 1 ? static_cast<unsigned char>(key[0]) : kNone;
  }

  void ReadLetters() {
    const auto& key = table_.key;
    long_a_ = LetterOf(key[1]);
    long_i_ = LetterOf(key[61]);
    long_u_ = LetterOf(key[142]);
    vocalic_r_ = LetterOf(key[110]);
    long_vocalic_r_ = LetterOf(key[109]);
    retroflex_d_ = LetterOf(key[39]);
    visarga_ = LetterOf(key[59]);
    anusvara_ = LetterOf(key[85]);
    velar_n_ = LetterOf(key[93]);
    palatal_n_ = LetterOf(key[138]);
    retroflex_n_ = LetterOf(key[99]);
    palatal_s_ = LetterOf(key[115]);
    retroflex_s_ = LetterOf(key[123]);
    retroflex_t_ = LetterOf(key[135]);
    vocalic_l_ = LetterOf(key[169]);
    long_vocalic_l_ = LetterOf(key[170]);
    independent_l_ = table_.full[78] + table_.half[110];
    dependent_l_ = table_.half[1] + table_.half[110];
    word_start_long_a_ = table_.full[2] + table_.half[1];
    word_start_o_ = table_.full[2] + table_.half[100];
    word_start_ai_ = table_.full[41] + table_.half[41];
    word_start_au_ = table_.full[2] + table_.half[4];
  }

  // The dispatch table: for every byte the first rule that matches it.
  // Filled from the last rule to the first so that earlier rules win.
  void BuildDispatch() {
    struct Entry {
      int letter;
      Dispatch dispatch;
    };
    using CL = ClusterLetter;
    auto cluster = [](CL letter) {
      return Dispatch{Rule::kCluster, static_cast<unsigned char>(letter)};
    };
    auto simple = [](Rule rule) { return Dispatch{rule, 0}; };
    std::vector<Entry> order = {
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
    for (int digit = '0'; digit <= '9'; ++digit) order.push_back({digit, simple(Rule::kDigit)});
    order.push_back({'\'', simple(Rule::kApostrophe)});
    order.push_back({160, simple(Rule::kAltSpace)});
    order.push_back({'-', simple(Rule::kDash)});
    order.push_back({150, simple(Rule::kDash)});  // the long dash reads as "-"
    order.push_back({'/', simple(Rule::kSlash)});
    const std::array<std::pair<int, int>, 8> signs = {{{232, 185},
                                                       {154, 186},
                                                       {158, 187},
                                                       {'f', 147},
                                                       {'q', 148},
                                                       {'w', 149},
                                                       {'x', 150},
                                                       {'z', 151}}};
    for (const auto& [letter, row] : signs) {
      order.push_back({letter, {Rule::kSign, static_cast<unsigned char>(row)}});
    }
    const std::array<std::pair<int, int>, 19> punctuation = {{{'~', 1},
                                                              {'{', 2},
                                                              {96, 3},
                                                              {',', 4},
                                                              {'.', 5},
                                                              {';', 6},
                                                              {':', 15},
                                                              {'<', 17},
                                                              {'>', 18},
                                                              {'!', 19},
                                                              {'#', 20},
                                                              {'$', 21},
                                                              {'%', 22},
                                                              {'&', 23},
                                                              {'*', 24},
                                                              {'(', 25},
                                                              {')', 26},
                                                              {'?', 28},
                                                              {'=', 29}}};
    for (const auto& [letter, byte] : punctuation) {
      order.push_back({letter, {Rule::kPunctuation, static_cast<unsigned char>(byte)}});
    }
    order.push_back({'+', simple(Rule::kPlus)});
    order.push_back({'_', simple(Rule::kUnderscore)});
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (it->letter >= 0 && it->letter < 256) {
        dispatch_[static_cast<std::size_t>(it->letter)] = it->dispatch;
      }
    }
  }

  // ---- letters of the work buffer ----
  int Previous() const { return work_.At(0); }
  int Current() const { return work_.At(1); }
  int Next() const { return work_.LastOfFirst(3); }
  int AfterNext() const { return work_.LastOfFirst(4); }

  bool IsVowelLetter(int c) const {
    return c != kNone && vowel_letter_[static_cast<std::size_t>(c)];
  }
  static bool IsDash(int c) { return c == '-' || c == 150; }
  bool BeginsWord() const {
    const int p = Previous();
    return p == 10 || p == 13 || p == 32;
  }

  // ---- the output ----
  int LastByte() const { return output_.empty() ? kNone : output_.back(); }
  // A single byte equals a glyph string only when that string is one byte.
  static bool Equals(int byte, const std::string& glyph) {
    return byte != kNone && glyph.size() == 1 && static_cast<unsigned char>(glyph[0]) == byte;
  }
  static bool EqualsFirstByte(int byte, const std::string& glyph) {
    return byte != kNone && !glyph.empty() && static_cast<unsigned char>(glyph[0]) == byte;
  }
  void RemoveLastByte() {
    if (output_.empty()) throw RunEnded{};
    output_.pop_back();
    SyncClipboard();
  }
  // The clipboard equals the output except for the bytes 27 written for a
  // separate "a" since the clipboard was last set to the whole output.
  void SyncClipboard() { off_clipboard_.clear(); }
  std::string Clipboard() const {
    const std::string_view output = output_.View();
    if (off_clipboard_.empty()) return std::string(output);
    std::string clipboard;
    clipboard.reserve(output.size());
    std::size_t from = 0;
    for (std::size_t at : off_clipboard_) {
      clipboard.append(output.substr(from, at - from));
      from = at + 1;
    }
    clipboard.append(output.substr(from));
    return clipboard;
  }

  const std::string& Full(int row) const { return table_.full[static_cast<std::size_t>(row)]; }
  const std::string& Half(int row) const { return table_.half[static_cast<std::size_t>(row)]; }

  void TakeRepha() {
    output_ += pending_repha_;
    pending_repha_.clear();
  }

  // ---- one step ----
  void Step() {
    if (work_.empty()) throw RunEnded{};
    DashLookAhead();
    const int current = Current();
    const Dispatch d = current == kNone ? Dispatch{} : dispatch_[static_cast<std::size_t>(current)];
    switch (d.rule) {
      case Rule::kCluster:
        if (!Cluster(static_cast<ClusterLetter>(d.arg))) return;
        break;
      case Rule::kA:
        if (!LetterA()) return;
        break;
      case Rule::kLongA:
        Vowel(word_start_long_a_, Half(1));
        break;
      case Rule::kE:
        Vowel(Full(41), Half(41));
        break;
      case Rule::kI:
        if (BeginsWord()) {
          output_ += Full(60);
        } else {
          ShortI();
        }
        break;
      case Rule::kLongI:
        Vowel(Full(61), Half(61));
        break;
      case Rule::kO:
        LetterO();
        break;
      case Rule::kU:
        LetterU();
        break;
      case Rule::kLongU:
        Vowel(Full(142), Half(142));
        break;
      case Rule::kVocalicR:
        Vowel(Full(110), Half(110));
        break;
      case Rule::kLongVocalicR:
        Vowel(Full(109), Half(109));
        break;
      case Rule::kVocalicL:
        Vowel(independent_l_, dependent_l_);
        break;
      case Rule::kLongVocalicL:
        output_ += Full(171);
        break;
      case Rule::kY:
        LetterY();
        break;
      case Rule::kR:
        LetterR();
        break;
      case Rule::kVisarga:
        output_ += Full(59);
        break;
      case Rule::kAnusvara:
        if (Equals(LastByte(), Half(106))) {
          RemoveLastByte();
          output_ += Full(173);
        } else {
          output_ += Half(85);
        }
        break;
      case Rule::kSpace:
        TakeRepha();
        output_ += ' ';
        break;
      case Rule::kLineEnd:
      case Rule::kDigit:
        output_ += static_cast<char>(current);
        break;
      case Rule::kApostrophe:
        if (LastByte() == ' ') RemoveLastByte();
        output_ += Full(152);
        break;
      case Rule::kAltSpace:
        output_ += '\x1f';
        break;
      case Rule::kDash:
        if (Previous() == '_') {
          RemoveLastByte();
          state_.dash_state = kDashArmed;
        }
        output_ += Full(183);
        break;
      case Rule::kSlash:
        output_ += Full(184);
        break;
      case Rule::kSign:
        output_ += Full(d.arg);
        if (Next() == 'a') output_ += '\x1b';
        break;
      case Rule::kPunctuation:
        output_ += static_cast<char>(d.arg);
        break;
      case Rule::kPlus:
        output_ += Full(188);
        break;
      case Rule::kUnderscore:
        output_ += Full(189);
        break;
      case Rule::kDrop:
        break;
    }
    Emit();
  }

  void Emit() {
    if (!work_.RemoveFront()) throw RunEnded{};
  }

  void RemoveExtraLetter() {
    if (!work_.RemoveFront()) throw RunEnded{};
  }

  // An underscore goes before a dash that follows a consonant, so that the
  // consonant keeps its full form; or the dash is dropped.
  void DashLookAhead() {
    if (state_.dash_state != kDashArmed || !IsDash(AfterNext())) return;
    const int next = Next();
    if (IsVowelLetter(next) || (next != kNone && next == anusvara_)) return;
    if (work_.size() < 4) return;  // the dash is not the fourth letter
    if (state_.dash_mode == kDashAddAspirata) {
      work_.Insert(3, '_');
      state_.dash_state = kDashWaiting;
    } else {
      work_.Erase(3);
    }
  }

  // A vowel letter other than "a", "i" after a consonant, "o", "u" and ḹ.
  void Vowel(const std::string& word_start, const std::string& after_consonant) {
    if (BeginsWord()) {
      output_ += word_start;
    } else {
      output_ += after_consonant;
      TakeRepha();
    }
  }

  void LetterO() {
    if (!BeginsWord()) {
      output_ += Half(100);
      TakeRepha();
    } else if (Next() != kNone && Next() == anusvara_) {
      output_ += Full(174);
      RemoveExtraLetter();
    } else {
      output_ += word_start_o_;
    }
  }

  void LetterU() {
    if (BeginsWord()) {
      output_ += Full(141);
      return;
    }
    if (font_ == Font::kVedic && LastByte() == 'k') {
      output_ += '\xda';  // 218: u joined to k
    } else {
      output_ += Half(141);
    }
    TakeRepha();
  }

  // Returns false when the step ended on its own (no emit).
  bool LetterA() {
    const int previous = Previous();
    if (BeginsWord() || IsDash(previous)) {
      word_start_ = true;
    } else if (previous == 'a' || previous == 'e' || previous == 'i' || previous == 'o' ||
               previous == 'u') {
      if (shift_m_to_n_) {
        // A separately written "a": a mark in the text, not on the clipboard.
        off_clipboard_.push_back(output_.size());
        output_ += '\x1b';
        if (!work_.RemoveFront()) throw RunEnded{};
        return false;
      }
    } else {
      word_start_ = false;
    }
    const int next = Next();
    if (next == 'i') {
      if (word_start_) {
        output_ += word_start_ai_;
      } else {
        output_ += Half(3);
        TakeRepha();
      }
      RemoveExtraLetter();
    } else if (next == 'u') {
      if (word_start_) {
        output_ += word_start_au_;
      } else {
        output_ += Half(4);
        TakeRepha();
      }
      RemoveExtraLetter();
    } else {
      output_ += word_start_ ? Full(2) : pending_repha_;
      pending_repha_.clear();
    }
    return true;
  }

  // The short-i sign is written before the cluster it follows in speech:
  // walk back over the glyphs written to the start of that cluster.
  void ShortI() {
    const std::size_t len = output_.size();
    auto byte_at = [&](std::size_t p) {  // p counted from the end
      return output_[len - 1 - p];
    };
    const std::string& kt_end = Full(177);
    const int kt_end_byte =
        (kt_end.size() == 1 && kt_end[0] != ' ') ? static_cast<unsigned char>(kt_end[0]) : kNone;
    std::size_t p = 0;
    int count = 0;
    bool bracket = false;
    bool counts_as_syllable = false;  // the byte before a kt ending
    for (; p < len; ++p) {
      const unsigned char byte = byte_at(p);
      const bool syllable = counts_as_syllable || state_.short_i[byte] == "y";
      counts_as_syllable = (byte == kt_end_byte);
      if (!syllable) {
        if (byte == '[') bracket = true;
        continue;
      }
      count += 5;
      if (count >= 6) break;
    }
    const std::size_t stop = p;
    std::size_t k = stop;  // stop - 1, plus 1 unless that byte is an r or kt ending
    if (stop >= 1 && stop - 1 < len) {
      const int byte = byte_at(stop - 1);
      if (Equals(byte, Half(106)) || Equals(byte, kt_end) || Equals(byte, Full(176))) k = stop - 1;
    }
    const std::string* sign = &Half(60);
    if (k > 1 && !(bracket && k == 2)) sign = &Full(168);
    output_.Insert(len - k, *sign);
    output_ += pending_repha_;
    pending_repha_.clear();
    SyncClipboard();
  }

  void LetterY() {
    const int previous = Previous();
    const bool after_letter =
        !(previous == 10 || previous == 13 || previous == 32 || previous == 150 || previous == 160);
    const int g = LastByte();
    bool after_aspirata = false;
    if (after_letter) {
      for (int row = 178; row <= 181; ++row) after_aspirata |= EqualsFirstByte(g, Full(row));
    }
    if (!after_aspirata) {
      const int next = Next();
      if (next == 'a' || next == 'e' || next == 'i' || next == 'u' ||
          (next != kNone && (next == vocalic_r_ || next == long_vocalic_r_ || next == long_u_))) {
        output_ += Full(146);  // the vowel's own chunk writes the pending repha
      } else if (next != kNone && (next == long_a_ || next == long_i_ || next == 'o')) {
        output_ += Full(146);
      } else if (next == ' ') {
        output_ += Full(146);
        TakeRepha();
        output_ += Full(178);
      } else {
        output_ += Half(146);
      }
      return;
    }
    const int before = output_.size() >= 2 ? output_[output_.size() - 2] : kNone;
    bool opens = false;
    for (int row : {93, 14, 39, 15, 106, 40, 65, 135, 136})
      opens |= EqualsFirstByte(before, Full(row));
    if (opens) {
      RemoveLastByte();
      output_ += Full(182);
    } else {
      output_ += Full(146);
    }
    TakeRepha();
  }

  void LetterR() {
    int previous = Previous();
    if (previous == 13 || previous == 10) previous = 'a';
    const int next = Next();
    if (previous == '\'' || previous == ' ' || IsVowelLetter(previous)) {
      if (next == 'u') {
        output_ += Full(107);
        RemoveExtraLetter();
      } else if (next != kNone && next == long_u_) {
        output_ += Full(108);
        RemoveExtraLetter();
      } else if (IsVowelLetter(next)) {
        output_ += Full(106);
      } else if (next == ' ' || next == '_') {
        output_ += Full(106);
        output_ += Full(178);
      } else if (IsDash(next)) {
        output_ += Full(106);
      } else {
        pending_repha_ = Half(106);
      }
      return;
    }
    if (previous == '_') {
      output_ += Full(106);
      return;
    }
    // r after a consonant joins its cluster.
    const int g = LastByte();
    bool done = false;
    auto removes_n = [&](int n_glyph) {
      if (g != n_glyph || Full(88) == " ") return false;
      RemoveLastByte();
      output_ += Full(88);
      return true;
    };
    if (font_ == Font::kVedic) {
      if (g == '.' || g == '/' || g == 'b' || g == 'f' || g == 'g' || g == 'm' || g == 'p' ||
          g == 'q' || g == 'v' || g == 'W') {
        output_ += Full(176);
        done = true;
      } else {
        done = removes_n('n');
      }
    } else if (font_ == Font::kDevNatrajItr) {
      if (g == 135 || g == 164 || g == 167 || g == 162 || g == 'T' || g == 170 || g == 156 ||
          g == 's' || g == 196 || g == 174) {
        output_ += Full(176);
        done = true;
      } else {
        done = removes_n(140);
      }
    } else if (font_ == Font::kSanskrit99) {
      done = true;
      if (g == 'f') {
        output_ += "\xe1r";
      } else if (g == 'q') {
        output_ += "Wr";
      } else if (g == 'y') {
        output_ += "Yr";
      } else if (g == 'W') {
        output_ += ":r";
      } else {
        done = false;
      }
    }
    if (!done) output_ += Equals(g, Full(183)) ? Full(106) : Full(175);
    if (!IsVowelLetter(next)) output_ += Full(178);
  }

  // The keys of a letter group as a tree: the root stands for the group's
  // first letter, every node for that letter and the bytes on the way to it.
  // A node's row is the first row of the range whose key it is (0 when no
  // key of the range is that string). Rows whose glyphs are a single space
  // (combinations the font does not have) are left out.
  struct KeyNode {
    int row = 0;
    std::vector<std::pair<unsigned char, int>> children;  // byte, node index
  };
  struct KeyTree {
    bool built = false;
    int base = 0;
    std::vector<KeyNode> nodes;
  };

  const KeyTree& TreeFor(ClusterLetter letter, unsigned char first_letter) {
    KeyTree& tree = trees_[static_cast<std::size_t>(letter)];
    if (tree.built) return tree;
    const LetterGroupRange range = GroupRange(letter, profile_);
    tree.built = true;
    tree.base = range.base;
    tree.nodes.emplace_back();
    for (int row = range.first; row <= range.last; ++row) {
      const std::string& key = table_.key[static_cast<std::size_t>(row)];
      if (key.size() < 2 || static_cast<unsigned char>(key[0]) != first_letter ||
          Full(row) == " ") {
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
    return tree;
  }

  // Returns false when the step ended on its own (a doubled consonant).
  bool Cluster(ClusterLetter letter) {
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
      if (!work_.RemoveFront()) throw RunEnded{};
    }
    const int n = Next();
    if (DoubledConsonant(n)) return false;
    if (doubled_ == 'd' && (n == 'b' || n == 'd' || n == 'g')) {
      AskAboutDdd();
    }

    if (n == ' ') {
      output_ += Full(matched);
      output_ += Full(178);
    } else if (IsDash(n) || n == '_' || n == 160) {
      const int follows = work_.At(3);
      if (IsVowelLetter(follows)) {
        output_ += Full(matched);
      } else if (state_.dash_state == kDashWaiting) {
        output_ += Full(matched);
        output_ += Full(178);
      } else {
        output_ += Half(matched);
      }
    } else if (IsVowelLetter(n) || n == 'r') {
      output_ += Full(matched);
    } else {
      const std::string* half = &Half(matched);
      if (shift_m_to_n_ && *half == Half(82)) {
        if (n == 'd' || n == 't') {
          half = &Half(86);
        } else if (n != kNone && (n == retroflex_d_ || n == retroflex_t_)) {
          half = &Half(99);
        } else if (n == 'h' || n == 's' || n == 'y' || (n != kNone && n == palatal_s_)) {
          half = &Half(85);
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
  bool DoubledConsonant(int n) {
    if (doubled_ == 0) return false;
    int row = 0;
    const bool letter = n != kNone;
    if (doubled_ == 'c' && n == 'h') {
      row = 12;
    } else if (doubled_ == 'j' && (n == 'h' || (letter && n == palatal_n_))) {
      row = 62;
    } else if (doubled_ == 'k' &&
               (n == 'h' || n == 'r' || (letter && (n == retroflex_s_ || n == vocalic_r_)))) {
      row = 67;
    }
    if (row == 0) return false;
    output_ += Half(row);
    SyncClipboard();
    return true;
  }

  void AskAboutDdd() {
    InputBoxRequest request{InputRequestKind::kCheckLater, -1, "CHECK LATER",
                            "Program has found\rthe combination of this letters:\r'ddd' or "
                            "'ddb' or 'ddg'",
                            "Please check this manual!"};
    std::string answer = input_box_ ? input_box_(request) : request.default_text;
    asked_.push_back({std::move(request), std::move(answer)});
  }

  ConverterState& state_;
  const SanidevaTable& table_;
  const bool shift_m_to_n_;
  const InputBox& input_box_;
  const Font font_;
  const RangeProfile profile_;

  WorkBuffer work_;
  std::array<Dispatch, 256> dispatch_{};
  std::array<bool, 256> vowel_letter_{};  // a ā e i ī o ṛ ṝ u ū
  std::array<KeyTree, 21> trees_{};
  Output output_;
  std::vector<std::size_t> off_clipboard_;
  int doubled_ = 0;  // the letter of a cluster key of two equal letters, else 0
  std::string pending_repha_;
  bool word_start_ = false;
  std::vector<AskedInputBox> asked_;

  int long_a_ = kNone, long_i_ = kNone, long_u_ = kNone, vocalic_r_ = kNone,
      long_vocalic_r_ = kNone, retroflex_d_ = kNone, visarga_ = kNone, anusvara_ = kNone,
      velar_n_ = kNone, palatal_n_ = kNone, retroflex_n_ = kNone, palatal_s_ = kNone,
      retroflex_s_ = kNone, retroflex_t_ = kNone, vocalic_l_ = kNone, long_vocalic_l_ = kNone;
  std::string independent_l_;
  std::string dependent_l_;
  std::string word_start_long_a_;
  std::string word_start_o_;
  std::string word_start_ai_;
  std::string word_start_au_;
};

}  // namespace

ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box) {
  ToDevanagari run(state, shift_m_to_n, input_box, input);
  return run.Run(input);
}

}  // namespace sfc
