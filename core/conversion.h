// The two conversions. Both take the window's state and the input bytes and
// return what the window shows afterwards; they never touch a window or the
// system clipboard themselves.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state.h"

namespace sfc {

// Why a conversion asks the user something.
enum class InputRequestKind {
  kCheckLater,    // transliteration to Devanagari: "ddd", "ddb" or "ddg" found
  kGlyphReading,  // Devanagari to transliteration: how a class-7 glyph reads
};

// A place in the input: line and column, both from 1; columns count bytes
// and lines end at LF.
struct InputPosition {
  std::uint64_t line = 0;
  std::uint64_t column = 0;
  friend bool operator==(const InputPosition&, const InputPosition&) = default;
};

// An input box the conversion asks the user to answer.
struct InputBoxRequest {
  InputRequestKind kind = InputRequestKind::kCheckLater;
  int glyph_code = -1;  // kGlyphReading: the glyph code (0 to 255) asked about
  std::string title;
  std::string prompt;
  std::string default_text;
  std::uint64_t offset = 0;  // kGlyphReading: where the glyph stands in the input, from 0
  // kCheckLater: the letters found ("ddd", "ddb" or "ddg") and where the
  // first of them stands in the input.
  std::string found{};
  InputPosition at{};
};
// Supplied by the caller; returns the text the user entered (the empty
// string for a cancelled box). Without one, every box takes its default.
using InputBox = std::function<std::string(const InputBoxRequest&)>;

struct AskedInputBox {
  InputBoxRequest request;
  std::string answer;
};

// The message the instruction box shows after every run.
inline constexpr std::string_view kClosingMessage =
    "Use paste function (Ctrl + V) in Word or Notepad or any other text editor to see the final "
    "result";
// The caption of the conversion button after a run that was cut short.
inline constexpr std::string_view kErrorCaption = "ERROR";

// Where a run that was cut short stopped: the input byte whose step could
// not go on, and the input around it as far as it was still at hand.
struct RunStop {
  static constexpr std::size_t kContext = 12;  // bytes shown on each side
  std::uint64_t offset = 0;                    // of the byte in the input, from 0
  InputPosition at{};
  std::string before;  // up to kContext bytes before it
  std::string after;   // the byte and up to kContext - 1 after it
};

// The input bytes that no rule took: they wrote nothing and no rule read
// them as part of a letter, a cluster or a sign. The output is what the
// rules make of the rest; these are only told, never silent.
struct DroppedBytes {
  static constexpr std::size_t kPositionsKept = 5;
  std::array<std::uint64_t, 256> count{};  // per byte value
  // Per byte value, where it stood, the first kPositionsKept times.
  std::array<std::vector<InputPosition>, 256> first_positions;
  std::uint64_t total = 0;

  bool empty() const { return total == 0; }
};

// Told of every byte that no rule took, in the order of the input.
using DropHandler = std::function<void(unsigned char byte, InputPosition at)>;

// A byte as the messages name it: TAB, CR, LF, NUL, ESC and the other
// control bytes by name, printable ASCII in quotes ('Q'), others as 0xNN.
std::string ByteName(unsigned char byte);

// One line for all the bytes no rule took, the most frequent first:
// "12 bytes had no rule and were left out: 9 × TAB (first at 3:14), ...";
// `where` follows the count (" between the conversions"). Empty when none.
std::string DescribeDropped(const DroppedBytes& dropped, std::string_view where = {});

// Whether bytes given to a font conversion are rather Unicode text: a
// UTF-8 or UTF-16 byte-order mark at the start, or characters outside ASCII
// in valid UTF-8 and no sequence that is not (a sequence cut off at the end
// of the bytes looked at counts as valid). Looks at the first 64 KB only.
bool LooksLikeUtf8Text(std::string_view bytes);

// One change made to the output since the clipboard was last set to it:
// `inserted` bytes at offset `at` replaced `removed`. Undoing them from the
// last to the first gives the clipboard's text.
struct ClipboardEdit {
  std::uint64_t at = 0;
  std::uint64_t inserted = 0;
  std::string removed;
};

struct ConversionResult {
  std::string output;                      // the text of the output box
  bool completed = false;                  // false: the run was cut short ("ERROR")
  std::vector<AskedInputBox> input_boxes;  // in the order they were asked
  DroppedBytes dropped;                    // the input bytes no rule took
  std::optional<RunStop> stop;             // where a run that was cut short stopped
  // Whether the run set the clipboard, and the edits to undo on the output to
  // get its text. Kept as edits, so that a conversion whose clipboard no one
  // reads copies no text the size of the output.
  bool clipboard_set = false;
  std::vector<ClipboardEdit> clipboard_edits;
  // The text the clipboard holds at the end (empty when it was never set).
  std::string Clipboard() const;
};

// ---- The streaming face (the command-line tool) ----

// Receives the output in order, in pieces, as it becomes final; the pieces
// joined are the output text.
using OutputSink = std::function<void(std::string_view)>;

struct StreamOptions {
  // Record what the clipboard's text would be (the whole-text face needs it).
  bool clipboard = false;
  // Hold the whole output until the end instead of passing on what is final
  // (the reference that tests compare the streamed output with).
  bool hold_output = false;
  // How much output is gathered before what is final of it is passed on
  // (tests make it small to pass on after every block).
  std::size_t pass_on_threshold = std::size_t{1} << 16;
  // Told of every input byte no rule took (StreamEnd::dropped counts them
  // in any case). Called while the stream is fed, in the order of the input.
  DropHandler on_drop = {};
  // (Devanagari to transliteration) Read the glyph orders that the
  // Devanagari conversion writes and the plain reading takes otherwise: a
  // short-i sign between a syllable and the n or small letter that joins it,
  // the o and au signs after a consonant written with the long-a stroke, and
  // an independent vowel written as two glyphs. Off for to-translit, whose
  // output stays as it always was; on wherever text is converted to Unicode or
  // to another font.
  bool read_as_written = false;
  // Every step the full way, none the short or the fast way: the same output
  // by design, which tests compare.
  bool full_steps = false;
  // (Transliteration to Devanagari) The fast way's steps taken from a table
  // of moves, one letter each, made as the text needs them: the same output
  // by design, which tests compare with the fast way alone. Making the moves
  // costs a few milliseconds a stream, so the table starts once this much
  // input has been fed (tests make it 0).
  bool letter_table = true;
  std::size_t letter_table_after = std::size_t{1} << 18;
};

struct StreamEnd {
  bool completed = false;                  // false: the run was cut short ("ERROR")
  std::vector<AskedInputBox> input_boxes;  // in the order they were asked
  // With StreamOptions::clipboard: whether the clipboard was set at all, and
  // the edits to undo on the output to get its text.
  bool clipboard_set = false;
  std::vector<ClipboardEdit> clipboard_edits;
  DroppedBytes dropped;         // the input bytes no rule took
  std::optional<RunStop> stop;  // where a run that was cut short stopped
};

// Why a run was cut short, in one line, for the status bar and for sfconv:
// "stopped at line 2, column 5 (byte 17), at "\xE9..." after "...ab"; the
// rest of the input was not converted". Bytes outside printable ASCII are
// written \xNN. Empty for a run that completed.
std::string DescribeStop(const StreamEnd& end);
// The same for a stop of its own; `where` follows the position (" of the
// text between").
std::string DescribeStop(const RunStop& stop, std::string_view where = {});

// Transliteration to Devanagari over input given in blocks. Any cut of the
// input into blocks gives the same output, input boxes and end as the whole
// text at once. The state is read when the stream is made and its dash
// state written as the conversion goes; it must outlive the stream.
class ToDevanagariStream {
 public:
  ToDevanagariStream(ConverterState& state, bool shift_m_to_n, InputBox input_box, OutputSink sink,
                     StreamOptions options = {});
  ~ToDevanagariStream();
  ToDevanagariStream(const ToDevanagariStream&) = delete;
  ToDevanagariStream& operator=(const ToDevanagariStream&) = delete;

  void Feed(std::string_view block);
  // Ends the input; passes on the rest of the output. Call once per text.
  StreamEnd Finish();
  // After Finish: starts a new text, as a new stream over the same state
  // would (the dash state goes on as the state has it), but without working
  // out the tables again. For many short texts, such as the lines of a file.
  void Restart();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// Devanagari to transliteration over input given in blocks, like
// ToDevanagariStream. Run FillGlyphCodeTable first, as the conversion command
// does. Sets the Devanagari box's font from the current Devanagari font name
// when made, and the current Devanagari font name from the box's font at
// Finish.
class ToTranslitStream {
 public:
  ToTranslitStream(ConverterState& state, InputBox input_box, OutputSink sink,
                   StreamOptions options = {});
  ~ToTranslitStream();
  ToTranslitStream(const ToTranslitStream&) = delete;
  ToTranslitStream& operator=(const ToTranslitStream&) = delete;

  void Feed(std::string_view block);
  StreamEnd Finish();
  // After Finish: starts a new text, as ToDevanagariStream::Restart.
  void Restart();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// ---- The whole-text face (the window) ----

// The clipboard's text at the end of a run that wrote `output`: the output
// with the run's clipboard edits undone (empty when it was never set).
std::string ClipboardText(std::string_view output, const StreamEnd& end);

// Transliteration bytes to Devanagari glyph bytes. Reads the tables and the
// Devanagari box's font; reads and writes state.dash_state.
ConversionResult ConvertToDevanagari(ConverterState& state, std::string_view input,
                                     bool shift_m_to_n, const InputBox& input_box = {});

// The same into `result`, whose strings keep their memory: text after text
// converted into one result touches no fresh memory once it is large enough.
void ConvertToDevanagariInto(ConverterState& state, std::string_view input, bool shift_m_to_n,
                             ConversionResult& result, const InputBox& input_box = {});

// Devanagari glyph bytes to transliteration bytes. Run FillGlyphCodeTable
// first, as the conversion command does (RunDevanagariToTranslitCommand).
// Sets the Devanagari box's font from the current Devanagari font name.
ConversionResult ConvertDevanagariToTranslit(ConverterState& state, std::string_view input,
                                             const InputBox& input_box = {});

// The same into `result`, as ConvertToDevanagariInto.
void ConvertDevanagariToTranslitInto(ConverterState& state, std::string_view input,
                                     ConversionResult& result, const InputBox& input_box = {});

// The conversion command in the Devanagari-to-transliteration direction:
// FillGlyphCodeTable, then ConvertDevanagariToTranslit.
ConversionResult RunDevanagariToTranslitCommand(ConverterState& state, std::string_view input,
                                                const InputBox& input_box = {});

}  // namespace sfc
