// Devanagari glyph bytes to transliteration bytes.
//
// The conversion walks the padded input one glyph at a time. Each glyph's
// entry in the glyph table gives its text and its class; the class decides
// how the text joins the output. A few glyphs of every font have roles of
// their own (the back r, the short-i sign written before its consonant, the
// long-a sign, ...). Their codes are data: one table per built-in font below,
// and for a glyph table loaded from disk the same structure filled from the
// positions the loader recorded. When a stream is made, the classes and roles
// become one action and a set of flags per glyph code; one main loop serves
// all fonts.
//
// The input comes in blocks. A step sees the glyph before, the current one,
// the next one and, after reading two glyphs as one, the one after that; so
// until the input ends the loop stops three bytes before the end of what it
// was given and carries those bytes over to the next block. At the end the
// padding space is added and the loop runs on as over the whole text.
// The output passes on as soon as no rule can reach it (translit_output.h).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion.h"
#include "drop_tracker.h"
#include "to_translit_rules.h"
#include "to_translit_tables.h"
#include "translit_output.h"
#include "whole_text.h"

namespace sfc {

// The conversion: one step per glyph over a window of three (the glyph
// before, the current one and the next), as the whole text would show it.
class ToTranslitStream::Engine {
 public:
  Engine(ConverterState& state, InputBox input_box, OutputSink sink, StreamOptions options)
      : state_(TakeCurrentFont(state)),
        input_box_(std::move(input_box)),
        sink_(std::move(sink)),
        options_(options),
        tables_(std::make_unique<const GlyphTables>(state_)),
        t_(*tables_),
        out_(t_.back_r_marks_, t_.kt_marks_, options.clipboard),
        pass_on_(!options.hold_output && t_.inserts_consonants_),
        drops_(options.on_drop) {}

  // A new run over the tables of an engine whose run has finished: every
  // member of the run starts as in a new engine.
  explicit Engine(Engine&& finished)
      : state_(TakeCurrentFont(finished.state_)),
        input_box_(std::move(finished.input_box_)),
        sink_(std::move(finished.sink_)),
        options_(std::move(finished.options_)),
        tables_(std::move(finished.tables_)),
        t_(*tables_),
        out_(t_.back_r_marks_, t_.kt_marks_, options_.clipboard),
        pass_on_(!options_.hold_output && t_.inserts_consonants_),
        drops_(options_.on_drop) {}

  void Feed(std::string_view block) {
    fed_ += block.size();
    if (stopped_) return;
    drops_.Fed(block);
    FeedBlock(block);
    // The next window's current glyph: its offset in the input.
    drops_.Settle(carry_at_);
  }

  StreamEnd Finish() {
    if (!stopped_) {
      carry_ += ' ';  // the padding after the input
      const Byte* const c = Bytes(carry_);
      Origin(c, carry_at_);
      const Byte* const p = Run<true>(c, c + carry_.size() - 1, c + carry_.size());
      stop_at_ = carry_at_ + static_cast<std::uint64_t>(p - c);
    }
    carry_.clear();
    auto sink = Sink();
    out_.PassOnAll(sink);
    state_.devanagari_font_name = state_.devanagari_box_font;

    StreamEnd end;
    // Fewer than three characters of the padded input left unread.
    end.completed = fed_ + 2 - stop_at_ < 3;
    end.input_boxes = std::move(asked_);
    // The window's current glyph, the one whose step could not go on, is
    // the padded input's byte after the window start: input offset stop_at_.
    if (!end.completed) end.stop = drops_.Stop(stop_at_);
    drops_.Settle(fed_);
    end.dropped = drops_.Take();
    if (options_.clipboard && out_.appended()) {
      end.clipboard_set = true;
      end.clipboard_edits = std::move(out_).TakeEdits();
    }
    return end;
  }

 private:
  using Byte = unsigned char;

  void FeedBlock(std::string_view block) {
    if (carry_.size() + block.size() <= kSmallBlock) {
      carry_ += block;
      if (carry_.size() > kLookAhead) {
        const Byte* const c = Bytes(carry_);
        Origin(c, carry_at_);
        const Byte* const p = Run<false>(c, c + carry_.size() - kLookAhead, c + carry_.size());
        const auto read = static_cast<std::size_t>(p - c);
        if (stopped_) {
          stop_at_ = carry_at_ + read;
          return;
        }
        carry_.erase(0, read);
        carry_at_ += read;
      }
      MaybePassOn();
      return;
    }
    // The glyphs still in the carry, read with the start of the block...
    const std::size_t carried = carry_.size();
    carry_.append(block.substr(0, kLookAhead));
    const Byte* const c = Bytes(carry_);
    Origin(c, carry_at_);
    const Byte* p = Run<false>(c, c + carried, c + carry_.size());
    if (stopped_) {
      stop_at_ = carry_at_ + static_cast<std::uint64_t>(p - c);
      return;
    }
    // ... then the block itself, in chunks between which the final output
    // is passed on.
    const std::uint64_t block_at = carry_at_ + carried;
    const Byte* const b = Bytes(block);
    Origin(b, block_at);
    const Byte* const block_end = b + block.size();
    p = b + (p - (c + carried));
    const Byte* const last = block_end - kLookAhead;
    while (p < last) {
      const Byte* const chunk_end = last - p > kChunk ? p + kChunk : last;
      p = Run<false>(p, chunk_end, block_end);
      if (stopped_) {
        stop_at_ = block_at + static_cast<std::uint64_t>(p - b);
        return;
      }
      MaybePassOn();
    }
    carry_.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(block_end - p));
    carry_at_ = block_at + static_cast<std::uint64_t>(p - b);
  }

  // The bytes the steps run over start at `origin`, the padded input's
  // offset `at`.
  void Origin(const Byte* origin, std::uint64_t at) {
    origin_ = origin;
    origin_at_ = at;
  }

  // The current glyph of the window at `p` wrote nothing and no rule took it.
  [[gnu::noinline]] void Dropped(const Byte* p) {
    // The window's current glyph is its second byte; the padded input has
    // one byte before the input.
    drops_.Drop(p[1], origin_at_ + static_cast<std::uint64_t>(p - origin_));
  }

  // A step reads the window and at most one glyph beyond it.
  static constexpr std::size_t kLookAhead = 3;
  // Blocks this small are added to the carry and read from there.
  static constexpr std::size_t kSmallBlock = 64;
  // Input read between two looks at what can be passed on.
  static constexpr std::ptrdiff_t kChunk = 1 << 16;
  // The held output at which passing on is first tried.
  static constexpr std::size_t kFirstPassOn = 16;

  static const Byte* Bytes(std::string_view text) {
    return reinterpret_cast<const Byte*>(text.data());
  }

  // Passes pieces on to the caller's sink, if any.
  struct PassOnSink {
    const OutputSink& sink;
    void operator()(std::string_view piece) const {
      if (sink) sink(piece);
    }
  };
  PassOnSink Sink() const { return {sink_}; }

  // Tries to pass on what is final once the held output has doubled since
  // the last try, so that the tries cost time in proportion to the output.
  void MaybePassOn() {
    if (!pass_on_ || out_.Held() < next_pass_on_) return;
    auto sink = Sink();
    out_.PassOn(out_.SafeFlushPoint(), sink);
    next_pass_on_ = std::max(kFirstPassOn, 2 * out_.Held());
  }

  // ---- The main loop ----

  // Runs steps for the windows starting before `stop`; `end` ends the bytes
  // known. Before the end of the input (kAtEnd false) at least three bytes
  // follow every window start, so the steps see what the whole text shows.
  template <bool kAtEnd>
  const Byte* Run(const Byte* p, const Byte* stop, const Byte* end) {
    if constexpr (!kAtEnd) {
      // Reading as written looks at more than the short way's pairs know.
      if (options_.read_as_written || options_.full_steps) return RunFullSteps<false>(p, stop, end);
      return t_.by_previous_ ? RunShortWay<true>(p, stop, end) : RunShortWay<false>(p, stop, end);
    }
    return RunFullSteps<kAtEnd>(p, stop, end);
  }

  template <bool kAtEnd>
  const Byte* RunFullSteps(const Byte* p, const Byte* stop, const Byte* end) {
    while (p < stop) {
      if (!Step<kAtEnd>(p, end)) {
        stopped_ = true;
        break;
      }
      ++p;
    }
    return p;
  }

  // The run's state in the short way: the state bits and the steps for
  // which the stroke flag stays set (one bit each, the next step's lowest).
  struct ShortState {
    std::uint32_t bits = 0;
    std::uint32_t stroke = 0;
  };

  // The main loop before the end of the input. Most steps take the short
  // way: straight-line code driven by a Pair, with the output's end and the
  // run's state in locals. The rest take the full step.
  // kByPrevious: the pairs depend on the glyph before (the font's e and ai
  // signs make o and au after a long-a sign, or a half syllable joins the
  // long-a sign after it).
  template <bool kByPrevious>
  const Byte* RunShortWay(const Byte* p, const Byte* stop, const Byte* end) {
    ShortState st = LoadState(p);
    while (p < stop) {
      const Byte* const chunk_stop = StopWithRoom(p, stop);
      char* w = out_.End();
      // Word-sized, so that the pending bit indexes without a zero extension
      // (measured: as 32 bits, Dev Natraj ITR and Sanskrit 99 take 1.5 M more
      // instructions a megabyte, Vedic 0.8 M fewer).
      std::size_t state = st.bits;
      // Where the steps counted for the stroke flag start.
      const Byte* start = p;
      // The short way removes at most a character of the held text (a final
      // "a" it wrote itself, the long a before o and au); with fewer than two
      // held before the end the full step, which checks, is taken.
      bool full_step = out_.End() - out_.Start() < 2 || StrokeKeepsApart(p, st.stroke);
      // The tables and the window in registers: a char written may alias
      // anything, so nothing is read again through `this`.
      const Pair* const* const next_pairs = t_.next_pairs_.data();
      const std::uint32_t* const previous_half = t_.previous_half_.data();
      std::size_t previous = p[0];
      std::size_t current = p[1];
      while (!full_step && p < chunk_stop) {
        const std::size_t next = p[2];
        std::size_t index = current;
        if constexpr (kByPrevious) index += previous_half[previous];
        const Pair& pair = next_pairs[next][index];
        if (state & pair.slow_state) [[unlikely]] {
          full_step = true;
          break;
        }
        WritePair(pair, w, state);
        ++p;
        previous = current;
        current = next;
      }
      full_step = AfterLoop<kByPrevious>(p, w, state, start, st.stroke, full_step);
      out_.SetEnd(w);
      // A half syllable written, its long-a sign not: their step (FinishJoin)
      // is counted from before the syllable.
      const bool joined = kByPrevious && (state & kJoinedBit);
      const auto steps = static_cast<std::size_t>(p - start) - (joined ? 1 : 0);
      const ShortState run = {static_cast<std::uint32_t>(state),
                              steps < 2 ? st.stroke >> steps : 0};
      if (!full_step && !joined) {
        st = run;
        continue;
      }
      if (!StepShortWayCannot(p, end, run, st)) break;
    }
    StoreState(st);
    return p;
  }

  // A step's pair at `w`, and the run's state after it.
  [[gnu::always_inline]] static void WritePair(const Pair& pair, char*& w, std::size_t& state) {
    std::memcpy(w, pair.text.data(), kInlineText);
    // A pending short i takes the place of the syllable's final "a".
    const std::size_t write_i = state & pair.writes_i;
    char* const i_at = w + pair.i_at[write_i];
    *i_at = 'i';
    w = i_at + write_i;
    state = (state & pair.keep) | pair.set;
  }

  // After the short way's loop, outside it so that the loop keeps its
  // registers: the long-a sign after a half syllable that joins it, and the
  // last character of a long-a sign written without it. Whether the full
  // step is still needed.
  template <bool kByPrevious>
  [[gnu::always_inline]] bool AfterLoop(const Byte*& p, char*& w, std::size_t& state,
                                        const Byte*& start, std::uint32_t& stroke,
                                        bool full_step) const {
    if constexpr (kByPrevious) {
      if (full_step && (state & kJoinedBit) && TakeJoinedSign(p, w, state, start, stroke)) {
        full_step = false;
      }
      if (!(state & kWholeBit)) {
        // The last step wrote a long-a sign without its last character.
        const Glyph& long_a = t_.glyphs_[p[0]];
        *w++ = long_a.text[long_a.size - 1U];
        state |= kWholeBit;
      }
    }
    return full_step;
  }

  // The long-a sign after a half syllable that joins it, the short way
  // (to_translit_steps.h).
  [[gnu::always_inline]] bool TakeJoinedSign(const Byte*& p, char*& w, std::size_t& state,
                                             const Byte*& start, std::uint32_t& stroke) const;

  // Whether the stroke flag, set for the next steps (`stroke`), keeps an e
  // or ai sign apart from the long-a sign before it in one of them. The
  // short way does not look at the flag: such a step is taken the full way.
  bool StrokeKeepsApart(const Byte* p, std::uint32_t stroke) const {
    return ((stroke & 1) && t_.MakesOAu(p[0], p[1])) || ((stroke & 2) && t_.MakesOAu(p[1], p[2]));
  }

  // The end of the steps that the room at the end of the output surely
  // holds, made at least one step.
  const Byte* StopWithRoom(const Byte* p, const Byte* stop) {
    auto fit = static_cast<std::size_t>(out_.Limit() - out_.End()) / kStepRoom;
    if (fit == 0) {
      out_.Reserve(kStepRoom * 256);
      fit = static_cast<std::size_t>(out_.Limit() - out_.End()) / kStepRoom;
    }
    return stop - p > static_cast<std::ptrdiff_t>(fit) ? p + fit : stop;
  }

  // The step at `p` that the short way could not take, from its state `run`;
  // `st` becomes the state after it. False when the run ends there (`st` is
  // left as it was). Inline in each short way, as when written there.
  [[gnu::always_inline]] bool StepShortWayCannot(const Byte*& p, const Byte* end,
                                                 const ShortState& run, ShortState& st) {
    if (run.bits & kJoinedBit) {
      FinishJoin(p, run);
      ++p;
      st = LoadState(p);
      return true;
    }
    if (t_.glyphs_[p[1]].action == Action::kBackR) {
      // The back-r glyph changes neither the end of the output nor the
      // state: only the insertion.
      if (!(run.bits & kEditsBit)) out_.ClearEdits();
      out_.InsertBeforeLastConsonants('r', 0, translit_output::kBackRScan);
      ++p;
      st = {run.bits & ~std::uint32_t{kNextSlowBit}, run.stroke >> 1};
      if (out_.HasEdits()) st.bits |= kEditsBit;
      if (t_.flags_[p[0]] & t_.slow_previous_[p[1]]) st.bits |= kNextSlowBit;
      return true;
    }
    // The full step.
    StoreState(run);
    // The step moves a copy: the window of the short way's loop stays in a
    // register.
    const Byte* at = p;
    const bool stepped = Step<false>(at, end);
    p = at;
    if (!stepped) {
      stopped_ = true;
      return false;
    }
    ++p;
    st = LoadState(p);
    return true;
  }

  // The rest of the step of a half syllable and its long-a sign, the full
  // way (to_translit_steps.h).
  void FinishJoin(const Byte* p, const ShortState& before);

  // `p` is the window of the next step.
  ShortState LoadState(const Byte* p) const {
    ShortState st;
    st.bits = kAlwaysBit | kWholeBit | kPlainBit;
    if (t_.flags_[p[0]] & t_.slow_previous_[p[1]]) st.bits |= kNextSlowBit;
    if (short_i_pending_) st.bits |= kPendingIBit;
    if (out_.appended()) st.bits |= kAppendedBit;
    if (out_.HasEdits()) st.bits |= kEditsBit;
    // The flag is cleared at the start of the step that counts it past 2.
    if (stroke_flag_) st.stroke = (1U << (2 - stroke_steps_)) - 1;
    return st;
  }
  void StoreState(const ShortState& st) {
    short_i_pending_ = (st.bits & kPendingIBit) != 0;
    if (st.bits & kAppendedBit) out_.SetAppended();
    if (!(st.bits & kEditsBit)) out_.ClearEdits();
    stroke_flag_ = st.stroke != 0;
    stroke_steps_ = st.stroke == 1 ? 1 : 0;
  }

  // The next glyph, -1 when the input has none.
  template <bool kAtEnd>
  static int Next(const Byte* p, const Byte* end) {
    if constexpr (kAtEnd) {
      if (p + 2 >= end) return -1;
    }
    return p[2];
  }
  std::uint16_t Flags(int code) const { return t_.flags_[static_cast<std::size_t>(code)]; }

  void AppendText(const Glyph& glyph, std::size_t code, std::size_t size) {
    if (glyph.size != kLongText) {
      std::memcpy(out_.End(), glyph.text.data(), kInlineText);
      out_.Advance(size);
      out_.MarkAppended();
    } else {
      out_.Append(std::string_view(t_.long_texts_[code]).substr(0, size));
    }
  }
  void AppendText(const Glyph& glyph, std::size_t code) {
    AppendText(glyph, code, Text(glyph, code).size());
  }
  // A piece that changes nothing when empty.
  void AppendPiece(std::string_view piece) {
    if (!piece.empty()) out_.Append(piece);
  }
  void ReplaceDoubleA() {
    if (out_.EndsWith("aa")) out_.ReplaceLast(2, t_.letters_.long_a);
  }
  // A pending short i is written after the syllable, in place of its "a".
  void WritePendingI(int next) {
    // Read as written, a short i before a syllable and the small letter that
    // joins it follows the small letter.
    if (options_.read_as_written &&
        t_.glyphs_[static_cast<std::size_t>(next)].action == Action::kSmallLetter) {
      now_.i_deferred = short_i_pending_;
      return;
    }
    if (short_i_pending_ && (Flags(next) & kEndsShortIPendingFlag)) {
      if (out_.EndsWith('a')) out_.RemoveLast(1);
      out_.Append("i");
      short_i_pending_ = false;
    }
  }

  // One step, the full way: the rules of the current glyph's action group.
  template <bool kAtEnd>
  bool Step(const Byte*& p, const Byte* end);

  // The stroke flag stays set for two steps after the one that set it.
  void CountStrokeStep();

  // Glyphs whose text is appended as it is, or nearly so.
  template <bool kAtEnd>
  bool TextStep(const Glyph& glyph, std::size_t code, const Byte* p, const Byte* end);

  // Class 8: a pending short i follows the text where the font says so.
  void TakenAsIs(const Glyph& glyph, std::size_t code);

  // Class 9 where small letters join: the "a" before goes, and the text's
  // own final "a" goes before a glyph that brings its own vowel.
  template <bool kAtEnd>
  bool SmallLetter(const Glyph& glyph, std::size_t code, const Byte* p, const Byte* end);

  // Syllables: their final "a" goes before a glyph that brings its own vowel,
  // and a pending short i follows them.
  template <bool kAtEnd>
  bool SyllableStep(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end);

  // The tt glyph: before the long-a sign it reads as itself; before "_" the
  // two make kt.
  template <bool kAtEnd>
  bool Tt(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end);

  // A half syllable before a long-a sign: the syllable with its "a", read as
  // a full syllable before the glyph after the sign.
  template <bool kAtEnd>
  bool JoinsLongA(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end);

  // The la glyph, or with the glyph after it the row-169 letter.
  template <bool kAtEnd>
  bool La(const Byte*& p, const Byte* end);

  // Vowel signs and full vowels.
  template <bool kAtEnd>
  bool VowelStep(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end);

  // The long-a sign, or with the glyph after it the row-169 letter.
  template <bool kAtEnd>
  bool LongASign(const Glyph& glyph, std::size_t code, const Byte*& p, const Byte* end);

  // A full vowel and the sign after it make one vowel: the sign is read with
  // the vowel and consumed.
  template <bool kAtEnd>
  bool FullVowel(std::size_t code, const Byte*& p, const Byte* end);

  // The r forms and the other consonants written apart from their syllable.
  template <bool kAtEnd>
  bool ConsonantFormStep(const Glyph& glyph, const Byte* p, const Byte* end);

  // A back-r form or n glyph: its letter, then "a" or a pending short i
  // unless the next glyph brings its own vowel.
  template <bool kAtEnd>
  bool BackRForm(const Glyph& glyph, const Byte* p, const Byte* end);

  // The syllable's "a", unless the next glyph brings its own vowel.
  template <bool kAtEnd>
  bool AppendInherentA(const Byte* p, const Byte* end);

  std::string_view Text(const Glyph& glyph, std::size_t code) const;

  // A syllable written by a rule; one that ends in "a" loses it before a
  // glyph that brings its own vowel, and a pending short i follows it.
  template <bool kAtEnd>
  bool FullSyllable(std::string_view text, const Byte* p, const Byte* end);

  void VowelSign(const Glyph& glyph, std::size_t code, int previous);

  // The glyph of the window at `p`.
  void AskUser(int code, const Byte* p);

  ConverterState& state_;
  InputBox input_box_;
  OutputSink sink_;
  StreamOptions options_;
  // Built for this stream, in an allocation of their own (measured a little
  // faster than inside the engine).
  std::unique_ptr<const GlyphTables> tables_;
  const GlyphTables& t_;

  // The input: the padded input from carry_at_ on, as far as it was fed.
  std::string carry_ = " ";
  std::uint64_t carry_at_ = 0;
  std::uint64_t fed_ = 0;
  bool stopped_ = false;
  std::uint64_t stop_at_ = 0;  // where the window stood when the run ended

  bool short_i_pending_ = false;
  bool stroke_flag_ = false;
  // With StreamOptions::read_as_written: what this step and the one before
  // it wrote, as the rules that look back across a sign need it.
  struct StepTrace {
    bool syllable_a = false;   // a syllable that kept its "a"
    bool long_a_sign = false;  // the long-a sign of its own
    bool i_deferred = false;   // a pending short i left for the small letter next
  };
  StepTrace now_;
  StepTrace before_;
  int stroke_steps_ = 0;

  OutputText out_;
  bool pass_on_ = true;
  DropTracker drops_;
  const Byte* origin_ = nullptr;  // where the bytes the steps run over start
  std::uint64_t origin_at_ = 0;   // their offset in the padded input
  std::size_t next_pass_on_ = kFirstPassOn;
  std::vector<AskedInputBox> asked_;
};

}  // namespace sfc

// The engine's full step, defined outside its class.
#include "to_translit_steps.h"

namespace sfc {

ToTranslitStream::ToTranslitStream(ConverterState& state, InputBox input_box, OutputSink sink,
                                   StreamOptions options)
    : engine_(std::make_unique<Engine>(state, std::move(input_box), std::move(sink), options)) {}

ToTranslitStream::~ToTranslitStream() = default;

void ToTranslitStream::Feed(std::string_view block) { engine_->Feed(block); }

StreamEnd ToTranslitStream::Finish() { return engine_->Finish(); }

void ToTranslitStream::Restart() { engine_ = std::make_unique<Engine>(std::move(*engine_)); }

ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box) {
  ConversionResult result;
  ConvertDevanagariToTranslitInto(state, input, result, input_box);
  return result;
}

void ConvertDevanagariToTranslitInto(ConverterState& state, std::string_view input,
                                     ConversionResult& result, const InputBox& input_box) {
  std::string& output = result.output;
  output.clear();
  output.reserve(input.size() + input.size() / 2 + 2);
  ToTranslitStream stream(state, input_box, [&output](std::string_view piece) { output += piece; },
                          {.clipboard = true});
  FeedWholeText(stream, input);
  KeepEnd(stream.Finish(), result);
}

ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box) {
  FillGlyphCodeTable(state);
  return ConvertDevanagariToTranslit(state, input, input_box);
}

}  // namespace sfc
