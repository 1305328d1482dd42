// Transliteration to Devanagari: one letter or letter cluster per step, left
// to right over the padded text.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion.h"
#include "drop_tracker.h"
#include "syllable_rows.h"
#include "to_devanagari_buffers.h"
#include "to_devanagari_dispatch.h"
#include "to_devanagari_keys.h"
#include "to_devanagari_moves.h"
#include "whole_text.h"

namespace sfc {

class ToDevanagariStream::Engine {
 public:
  Engine(ConverterState& state, bool shift_m_to_n, InputBox input_box, OutputSink sink,
         StreamOptions options)
      : state_(state),
        table_(state.sanideva),
        shift_m_to_n_(shift_m_to_n),
        input_box_(std::move(input_box)),
        sink_(std::move(sink)),
        options_(options),
        joins_(JoinsOf(state.devanagari_box_font)),
        profile_(ProfileForFont(state.devanagari_box_font)),
        marks_(short_i_syllable_, KtEndByte(state.sanideva)),
        drops_(options_.on_drop) {
    ReadLetters();
    BuildDispatch();
    for (int c : std::initializer_list<int>{'a', 'e', 'i', 'o', 'u', long_a_, long_i_, vocalic_r_,
                                            long_vocalic_r_, long_u_}) {
      if (c != kNone) vowel_letter_[static_cast<std::size_t>(c)] = true;
    }
    for (std::size_t byte = 0; byte < 256; ++byte)
      short_i_syllable_[byte] = state.short_i[byte] == "y";
    for (std::size_t c = 0; c < 256; ++c) after_cluster_[c] = AfterClusterOf(static_cast<int>(c));
    aspirata_first_ =
        FirstBytesOf({Row::kAspirata1, Row::kAspirata2, Row::kAspirata3, Row::kAspirata4});
    opens_ya_first_ =
        FirstBytesOf({Row::kVelarNa, Row::kCha, Row::kRetroflexDa, Row::kDa, Row::kRa,
                      Row::kRetroflexDha, Row::kJha, Row::kRetroflexTa, Row::kRetroflexTha});
    dash_['-'] = dash_[150] = true;
    word_break_['\n'] = word_break_['\r'] = word_break_[' '] = true;
    ReadVowelSigns();
    ReadLetterTable();
    std::size_t longest_key = 0;
    for (const std::string& key : table_.key) longest_key = std::max(longest_key, key.size());
    look_ahead_ = longest_key + 8;
    passes_on_ =
        !options_.hold_output && RemovalsReplaceWhatTheyRemove() && ShortISignCountsAsSyllable();
    next_pass_ = options_.pass_on_threshold;
    work_.Append(" ");
    appended_ = 1;
  }

  void Feed(std::string_view block) {
    if (ended_) {
      left_after_end_ += block.size();
      return;
    }
    drops_.Fed(block);
    work_.Append(block);
    appended_ += block.size();
    for (;;) {
      const StepsEnd end = RunSteps();
      if (end == StepsEnd::kLookAheadUsed) break;
      if (end == StepsEnd::kFullWay && Step()) continue;
      ended_ = true;
      break;
    }
    SettleDrops();
    MaybePassOn();
  }

  // Ready for a new text after Finish: the members of the run as a new
  // engine has them; the tables worked out for the stream are kept.
  void Restart() {
    work_.Clear();
    ForgetDashes();
    work_.Append(" ");
    appended_ = 1;
    ended_ = false;
    run_ends_ = false;
    left_after_end_ = 0;
    output_.Clear();
    marks_.Clear();
    next_pass_ = options_.pass_on_threshold;
    off_clipboard_.clear();
    doubled_ = 0;
    pending_repha_ = nullptr;
    word_start_ = false;
    asked_.clear();
    drops_ = DropTracker(options_.on_drop);
    inserted_ = 0;
    erased_ = 0;
    letter_events_.clear();
    inserted_passed_ = 0;
    erased_passed_ = 0;
  }

  StreamEnd Finish() {
    if (ended_) {
      ++left_after_end_;  // the closing space
    } else {
      work_.Append(" ");
      ++appended_;
      while (Step()) {
      }
    }
    StreamEnd end;
    end.completed = work_.size() + left_after_end_ < 3;
    // The current letter is the one whose step could not go on.
    if (!end.completed) end.stop = drops_.Stop(InputOffsetOf(StreamFront() + 1));
    drops_.Settle(appended_);
    output_.PassOn(output_.size(), sink_);
    end.input_boxes = std::move(asked_);
    end.dropped = drops_.Take();
    if (options_.clipboard) {
      end.clipboard_set = true;
      for (const HeldOutput::Offset at : off_clipboard_) end.clipboard_edits.push_back({at, 1, {}});
    }
    return end;
  }

 private:
  // A special letter of the table in force, when it is one byte.
  int LetterOf(Letter letter) const {
    const std::string& key = table_.key[static_cast<std::size_t>(LetterRow(letter))];
    return key.size() == 1 ? static_cast<unsigned char>(key[0]) : kNone;
  }

  // ---- what a stream works out once (to_devanagari_setup.h) ----
  void ReadLetters();
  void ReadVowelSigns();
  void ReadSignsAfterCluster();
  void BuildDispatch();
  std::vector<DispatchEntry> RuleOrder() const;
  static void AddSignsAndPunctuation(std::vector<DispatchEntry>& order);
  std::array<bool, 256> FirstBytesOf(std::initializer_list<int> rows) const;
  AfterCluster AfterClusterOf(int n) const;

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
  // False (and the run ends) when the output is empty.
  [[nodiscard]] bool RemoveLastByte() {
    if (output_.empty()) return RunEnds();
    output_.pop_back();
    marks_.Popped(output_);
    SyncClipboard();
    return true;
  }
  // The rule that the run goes on until a step fails: a step that fails
  // records it here and returns at once, and Step and ShortStep end the
  // run. (The work buffer can only run out in Finish, where the look-ahead
  // is no longer kept; the output only before a dash that follows "_".)
  bool RunEnds() {
    run_ends_ = true;
    return false;
  }
  // The clipboard equals the output except for the bytes 27 written for a
  // separate "a" since the clipboard was last set to the whole output.
  void SyncClipboard() { off_clipboard_.clear(); }

  const std::string& Full(int row) const { return table_.full[static_cast<std::size_t>(row)]; }
  const std::string& Half(int row) const { return table_.half[static_cast<std::size_t>(row)]; }
  std::array<Cell, kSyllableTableSize>& CellsOf(AfterCluster after) {
    return cells_[static_cast<std::size_t>(after)];
  }
  const Cell& CellOf(AfterCluster after, int row) const {
    return cells_[static_cast<std::size_t>(after)][static_cast<std::size_t>(row)];
  }
  const Cell& FullCell(int row) const { return CellOf(AfterCluster::kFull, row); }
  const Cell& HalfCell(int row) const { return CellOf(AfterCluster::kHalf, row); }

  SFC_ALWAYS_INLINE void TakeRepha() {
    if (pending_repha_ == nullptr) return;
    output_ += *pending_repha_;
    pending_repha_ = nullptr;
  }

  // ---- one step ----
  // False when the step failed: the run ends.
  bool Step();

  // The short way of a step, while the buffer holds the look-ahead: the same
  // output as Step, without its checks on the buffer's end, and the common
  // clusters without the full cluster rule. False when the step needs the
  // full way (the dash look-ahead may act, a letter to drop, a cluster the
  // short way leaves alone); nothing has changed then.
  bool ShortStep();

  // How a run of steps ends.
  enum class StepsEnd { kLookAheadUsed, kFullWay, kRunEnds };
  StepsEnd RunSteps();
  const unsigned char* FastSteps(const unsigned char* p, const unsigned char* stop,
                                 const char* out_begin, char*& out);
  std::size_t FastCluster(const unsigned char* p, Dispatch d, FastRun& run);
  std::size_t FastLetter(const unsigned char* p, Dispatch d, FastRun& run);
  bool FastVowelSign(const unsigned char* p, bool armed, FastRun& run);
  std::size_t FastA(const unsigned char* p, bool begins_word, FastRun& run);
  std::size_t FastAiAu(unsigned char next, bool starts, FastRun& run);
  bool FastUO(Rule rule, bool begins_word, FastRun& run);
  bool FastY(const unsigned char* p, bool begins_word, FastRun& run);
  std::size_t FastR(const unsigned char* p, FastRun& run);
  bool FastRJoins(unsigned char next, FastRun& run);
  bool FastVowel(unsigned char letter, bool begins_word, FastRun& run);
  bool ShortIIn(const char* begin, char*& out);

  // ---- the letter table (to_devanagari_table.h) ----
  static constexpr std::size_t kMostLetterStates = 1 << 12;  // rows of some 500 bytes
  int PreviousKind(unsigned char c) const;
  int LastKind(unsigned char b) const;
  unsigned char PreviousLike(unsigned char c) const { return previous_byte_[previous_index_[c]]; }
  unsigned char LastLike(unsigned char b) const { return last_byte_[last_index_[b]]; }
  void ReadLetterTable();
  std::uint32_t RowOf(const LetterState& state);
  std::uint32_t EntryRow(unsigned char previous, int last, bool word_start, bool repha);
  LetterTrial TryLetters(const LetterState& state, unsigned char letter, bool then_letter,
                         unsigned char filler);
  std::optional<LetterTrial> TryLettersAlone(const LetterState& state, unsigned char letter,
                                             bool then_letter);
  void MakeMove(std::uint32_t row, std::size_t column, unsigned char letter);
  LetterMove& MoveAt(std::uint32_t row, std::size_t column) {
    return moves_[(row + column) / sizeof(LetterMove)];
  }
  LetterMove MoveOn(const LetterState& state, unsigned char letter);
  int LastAfter(const LetterTrial& trial, int last) const;
  std::uint16_t TextOf(const std::string& text);
  const unsigned char* TableEnd(const unsigned char* first, const unsigned char* stop);
  const unsigned char* TableSteps(const unsigned char* p, const unsigned char* end,
                                  const char* out_begin, char*& out);

  // A cluster the short way: the letters it takes, or 0 for the full way
  // (a doubled consonant; a dash, an underscore or a hard space after it; an
  // m that may be written as n). Nothing has changed when it returns 0.
  std::size_t ShortCluster(ClusterLetter letter, const unsigned char* letters);

  // A vowel letter other than "a".
  void VowelLetter(Rule rule);

  void SignOrPunctuation(Dispatch d, int current);

  // What a letter writes whatever its neighbours.
  std::string_view FixedPiece(Dispatch d) const;

  [[nodiscard]] bool Emit() { return work_.RemoveFront() || RunEnds(); }

  // ---- where the letters of the work buffer came from ----
  // The letters that ever stood in the work buffer, in order, make a stream:
  // the padded input with the underscores the dash look-ahead inserted and
  // without the dashes it erased. Both happen rarely and never behind the
  // current letter; each is kept as an event until the current letter has
  // passed it, then only counted.

  // The stream position of the buffer's first letter.
  std::uint64_t StreamFront() const { return appended_ + inserted_ - erased_ - work_.size(); }

  // The input offset of the letter at a stream position (for an inserted
  // letter, of the input letter after it). Positions asked must not go back.
  std::uint64_t InputOffsetOf(std::uint64_t position) {
    std::erase_if(letter_events_, [&](const LetterEvent& event) {
      const bool passed = event.inserted ? event.at < position : event.at <= position;
      if (passed) ++(event.inserted ? inserted_passed_ : erased_passed_);
      return passed;
    });
    std::uint64_t offset = position - inserted_passed_ + erased_passed_;
    return offset == 0 ? 0 : offset - 1;  // the padding before the input
  }

  // A letter inserted before, or erased at, index 3 of the work buffer.
  void InsertLetter(char letter) {
    const std::uint64_t at = StreamFront() + 3;
    InputOffsetOf(StreamFront() + 1);  // counts the events passed
    for (LetterEvent& event : letter_events_) {
      if (event.at >= at) ++event.at;
    }
    letter_events_.push_back({at, true});
    ++inserted_;
    work_.Insert(3, letter);
    ForgetDashes();
  }
  void EraseLetter() {
    const std::uint64_t at = StreamFront() + 3;
    InputOffsetOf(StreamFront() + 1);
    for (LetterEvent& event : letter_events_) {
      if (event.at > at) --event.at;
    }
    letter_events_.push_back({at, false});
    ++erased_;
    work_.Erase(3);
    ForgetDashes();
  }

  // Drops to come lie at the current letter or after it.
  SFC_NO_INLINE void SettleDrops() { drops_.Settle(InputOffsetOf(StreamFront() + 1)); }

  // The current letter wrote nothing and no rule took it.
  SFC_NO_INLINE void Dropped(unsigned char letter) {
    drops_.Drop(letter, InputOffsetOf(StreamFront() + 1));
  }

  // A rule that reads two letters takes the second. When the buffer has
  // none, the run ends (the step's emit finds it empty too).
  void RemoveExtraLetter() {
    if (!work_.RemoveFront()) RunEnds();
  }

  // An underscore goes before a dash that follows a consonant, so that the
  // consonant keeps its full form; or the dash is dropped.
  void DashLookAhead() {
    if (state_.dash_state != kDashArmed || !IsDash(AfterNext())) return;
    const int next = Next();
    if (IsVowelLetter(next) || (next != kNone && next == anusvara_)) return;
    if (work_.size() < 4) return;  // the dash is not the fourth letter
    if (state_.dash_mode == kDashAddAspirata) {
      InsertLetter('_');
      state_.dash_state = kDashWaiting;
    } else {
      EraseLetter();
    }
  }

  // A vowel letter other than "a", "i" after a consonant, "o", "u" and ḹ.
  SFC_ALWAYS_INLINE void Vowel(const Cell& word_start, const Cell& after_consonant);

  void LetterO();

  void LetterU();

  // Returns false when the step ended on its own (no emit).
  SFC_ALWAYS_INLINE bool LetterA(int previous, int next);

  // The short-i sign is written before the cluster it follows in speech:
  // after the second syllable glyph from the end.
  void ShortI();

  // Whether a "[" that is no syllable glyph lies from an offset to the end.
  bool BracketAfter(HeldOutput::Offset from) const;

  void LetterY();

  void LetterR();

  // The bytes an r after the glyph g is written as, when the font has a form
  // of its own for the pair.
  const std::string_view* RForm(int g) const;

  SFC_ALWAYS_INLINE const KeyTree& TreeFor(ClusterLetter letter, unsigned char first_letter);

  SFC_NO_INLINE const KeyTree& BuildTree(KeyTree& tree, ClusterLetter letter,
                                         unsigned char first_letter);

  // Returns false when the step ended on its own (a doubled consonant).
  bool Cluster(ClusterLetter letter);

  // cch, jjh, jjñ, kkh, kkr, kkṣ, kkṛ: the first consonant is written half
  // and the second starts a new cluster with the letters after it. The
  // letters are those of the run's transliteration font, so that the same
  // text gives the same glyphs in every font.
  bool DoubledConsonant(int n);

  // `next` follows the "dd" at the front of the work buffer.
  SFC_NO_INLINE void AskAboutDdd(int next);

  // ---- passing on what is final ----

  // The kt ending as the byte the short-i map's syllables are read with.
  static int KtEndByte(const SanidevaTable& table);
  // A rule that removes the last glyph writes at least one glyph in its
  // place, so no later rule removes a glyph written before the last one.
  bool RemovalsReplaceWhatTheyRemove() const;
  // The short-i sign holds a syllable glyph, so that inserting it never moves
  // the next insertion further back.
  bool ShortISignCountsAsSyllable() const;

  // Output before the fourth syllable glyph from the end, and not among the
  // last few glyphs, is final: the short-i sign goes after the second
  // syllable glyph from the end, a removal takes only the last glyph, and
  // each rule that removes or inserts moves those marks back by at most one.
  // When the output holds no such glyphs for long, the check waits until the
  // held output has doubled, so that looking costs linear time.
  void MaybePassOn() {
    if (!passes_on_ || output_.held() < next_pass_) return;
    const std::optional<HeldOutput::Offset> mark = marks_.Find(output_, kMarksKept);
    const HeldOutput::Offset len = output_.size();
    if (mark && len > kTailKept) {
      const HeldOutput::Offset to = std::min(*mark, len - kTailKept);
      if (to > output_.passed()) {
        output_.PassOn(to, sink_);
        marks_.Forget(to);
      }
    }
    next_pass_ = std::max(options_.pass_on_threshold, 2 * output_.held());
  }

  static constexpr std::size_t kMarksKept = 6;
  static constexpr std::size_t kStepsPerLook = 16;  // steps between looks at the held output
  static constexpr HeldOutput::Offset kTailKept = 16;

  ConverterState& state_;
  const SanidevaTable& table_;
  const bool shift_m_to_n_;
  const InputBox input_box_;
  const OutputSink sink_;
  const StreamOptions options_;
  const FontJoins& joins_;
  const RangeProfile profile_;

  std::array<bool, 256> short_i_syllable_{};  // the short-i map's "y" glyphs
  WorkBuffer work_;
  std::size_t look_ahead_ = 0;  // letters a step may read, with room to spare
  bool ended_ = false;
  bool run_ends_ = false;             // a step failed: the run ends (RunEnds)
  std::uint64_t left_after_end_ = 0;  // input letters given after the run ended
  HeldOutput output_;
  SyllableMarks marks_;
  bool passes_on_ = false;
  std::size_t next_pass_ = 0;
  std::array<Dispatch, 256> dispatch_{};
  std::array<bool, 256> vowel_letter_{};  // a ā e i ī o ṛ ṝ u ū
  std::array<AfterCluster, 256> after_cluster_{};
  std::array<bool, 256> aspirata_first_{};  // first bytes of the aspirata glyphs
  std::array<bool, 256> opens_ya_first_{};  // first bytes of the glyphs a y opens
  std::array<KeyTree, 21> trees_{};
  // The vowel letters the fast way writes: their cells at a word's start and
  // after a consonant (both null for the other letters).
  struct VowelCells {
    const Cell* word_start = nullptr;
    const Cell* after_consonant = nullptr;
  };
  std::array<VowelCells, 256> vowel_cells_{};
  // After a consonant: the sign each vowel letter writes the fast way (an
  // empty cell for "a"; u and o too), null for the others; which letters are
  // "a"; the u when the font joins it to one glyph; the short i, whose sign
  // goes in front; which letters before a vowel make it a sign (not a word
  // break, dash or vowel).
  std::array<const Cell*, 256> vowel_sign_{};
  std::array<bool, 256> a_letter_{};
  std::array<bool, 256> u_joins_{};
  std::array<bool, 256> i_letter_{};
  std::array<bool, 256> consonant_before_{};
  Cell no_sign_;
  bool fast_ = false;        // the repha, "a" and visarga cells are short
  int half_ra_byte_ = -2;    // the half ra when it is one byte
  int kt_end_byte_ = kNone;  // the kt ending, as the syllable marks read it
  Cell short_i_sign_;        // the short-i sign, and its wide form
  Cell wide_i_sign_;
  std::array<bool, 256> skipped_before_i_{};  // an r or kt ending the short-i sign goes before
  std::array<bool, 256> ya_full_before_{};    // letters before which a y is written full
  std::array<bool, 256> r_plain_before_{};    // letters before which an r after a vowel is plain
  std::array<bool, 256> doubled_rule_{};      // c, j, k, d: twice, a rule of their own
  std::array<bool, 256> r_below_{};           // glyphs that take an r as the half-r sign
  std::array<const Cell*, 256> r_form_{};     // a glyph's own form with r, if any
  std::vector<Cell> r_forms_;
  std::array<bool, 256> dash_{};        // the two dashes
  std::array<bool, 256> word_break_{};  // a line end or a space: a word starts after it
  std::vector<HeldOutput::Offset> off_clipboard_;
  int doubled_ = 0;                      // the letter of a cluster key of two equal letters, else 0
  const Cell* pending_repha_ = nullptr;  // the repha held back, if any
  bool word_start_ = false;
  std::vector<AskedInputBox> asked_;
  DropTracker drops_;
  std::uint64_t appended_ = 0;  // letters appended to the work buffer: the padded input
  std::uint64_t inserted_ = 0;  // letters the dash look-ahead inserted
  std::uint64_t erased_ = 0;    // and erased
  struct LetterEvent {
    std::uint64_t at;  // the stream position
    bool inserted;     // else erased: the letters from `at` on follow it
  };
  std::vector<LetterEvent> letter_events_;
  std::uint64_t inserted_passed_ = 0;  // events the current letter has passed
  std::uint64_t erased_passed_ = 0;

  int long_a_ = kNone, long_i_ = kNone, long_u_ = kNone, vocalic_r_ = kNone,
      long_vocalic_r_ = kNone, retroflex_d_ = kNone, visarga_ = kNone, anusvara_ = kNone,
      velar_n_ = kNone, palatal_n_ = kNone, retroflex_n_ = kNone, palatal_s_ = kNone,
      retroflex_s_ = kNone, retroflex_t_ = kNone, vocalic_l_ = kNone, long_vocalic_l_ = kNone;
  // The table's cells, for appending, by how a cluster is written before the
  // letter after it: half, full, and full with the aspirata sign.
  std::array<std::array<Cell, kSyllableTableSize>, 3> cells_;
  Cell independent_l_;
  Cell dependent_l_;
  Cell word_start_long_a_;
  Cell word_start_o_;
  Cell word_start_ai_;
  Cell word_start_au_;

  bool letter_table_ = false;
  std::array<std::uint16_t, 256> letter_column_{};  // in bytes within a row
  std::size_t columns_ = 1;
  std::array<unsigned char, 256> previous_index_{};  // the kind of a letter before a step
  std::vector<unsigned char> previous_byte_;         // a letter of each kind
  std::array<unsigned char, 256> last_index_{};      // the kind of a last byte written
  std::vector<unsigned char> last_byte_;             // a byte of each kind
  std::vector<std::uint32_t> entry_rows_;            // by those kinds and the run's flags
  std::vector<LetterMove> moves_;                    // by row and column
  std::vector<LetterState> letter_states_;           // by row / RowSize()
  std::size_t RowSize() const { return columns_ * sizeof(LetterMove); }
  std::map<std::string, std::uint32_t> state_rows_;
  std::vector<std::array<char, Cell::kInline>> texts_;
  std::map<std::string, std::uint16_t> text_index_;
  // What a trial reads and the clipboard's edits while it runs, kept so
  // that the thousands of trials of a stream allocate nothing.
  std::vector<unsigned char> trial_letters_;
  std::vector<HeldOutput::Offset> trial_clipboard_;
  // The first dash at or after the last scan's start, by stream position,
  // and where the scanning has reached.
  static constexpr std::uint64_t kNoDash = ~std::uint64_t{0};
  std::uint64_t next_dash_ = kNoDash;
  std::uint64_t dash_scanned_to_ = 0;
  void ForgetDashes() {
    next_dash_ = kNoDash;
    dash_scanned_to_ = 0;
  }
};

}  // namespace sfc

// The engine's rules, defined outside its class.
#include "to_devanagari_letters.h"
#include "to_devanagari_setup.h"
#include "to_devanagari_steps.h"
#include "to_devanagari_table.h"

namespace sfc {

ToDevanagariStream::ToDevanagariStream(ConverterState& state, bool shift_m_to_n, InputBox input_box,
                                       OutputSink sink, StreamOptions options)
    : engine_(std::make_unique<Engine>(state, shift_m_to_n, std::move(input_box), std::move(sink),
                                       options)) {}

ToDevanagariStream::~ToDevanagariStream() = default;

void ToDevanagariStream::Feed(std::string_view block) { engine_->Feed(block); }

StreamEnd ToDevanagariStream::Finish() { return engine_->Finish(); }

void ToDevanagariStream::Restart() { engine_->Restart(); }

ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box) {
  ConversionResult result;
  ConvertToDevanagariInto(state, input, shift_m_to_n, result, input_box);
  return result;
}

void ConvertToDevanagariInto(ConverterState& state, std::string_view input, bool shift_m_to_n,
                             ConversionResult& result, const InputBox& input_box) {
  result.output.clear();
  result.output.reserve(input.size() + input.size() / 4 + 16);
  StreamOptions options;
  options.clipboard = true;
  ToDevanagariStream stream(
      state, shift_m_to_n, input_box,
      [&result](std::string_view piece) { result.output.append(piece); }, options);
  FeedWholeText(stream, input);
  KeepEnd(stream.Finish(), result);
}

}  // namespace sfc
