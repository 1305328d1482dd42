// A chain of conversions with the transliteration bytes as the pivot: a
// Devanagari font to the pivot and the pivot to a Devanagari font go through
// the font conversions (a Session each), the pivot to and from Unicode IAST
// through the font's letters, and IAST to and from Unicode Devanagari through
// the usual transliteration. Each stage passes its output on to the next as
// it becomes final, so a chain streams like one conversion.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "font_iast.h"
#include "session.h"
#include "unicode_text.h"

namespace sfc {

class BlankKeeper;

// How the end of a chain holds its text.
enum class TextForm {
  kIast,               // Unicode IAST, UTF-8
  kDevanagariUnicode,  // Unicode Devanagari, UTF-8
  kTranslitFont,       // the bytes of a transliteration font
  kDevanagariFont,     // the glyph bytes of a Devanagari font
};

struct ChainEnd {
  bool completed = true;  // false: a font conversion was cut short
  std::vector<AskedInputBox> input_boxes;
  // The bytes no rule of a font conversion took: in the chain's input (the
  // first stage), and in the text between stages (the later ones; their
  // lines are the input's, their columns those of that text).
  DroppedBytes dropped;
  DroppedBytes dropped_between;
  // Where the first font conversion that was cut short stopped: in the
  // chain's input, or (stop_in_input false) in the text between stages.
  std::optional<RunStop> stop;
  bool stop_in_input = false;
};

class ConversionChain {
 public:
  // Characters a stage that reads Unicode has no place for. `in_input`:
  // the stage is the first, so line and column are those of the chain's
  // input; else they are those of the text the stage before wrote (the
  // lines are the same, the columns count that text's characters).
  using ChainRejectSink = std::function<void(const UnicodeReject&, bool in_input)>;
  // Bytes a font conversion took no rule for, as they are met; `in_input`
  // as for rejects.
  using ChainDropSink = std::function<void(unsigned char byte, InputPosition at, bool in_input)>;

  // The chain writes its output to `sink`.
  explicit ConversionChain(OutputSink sink, ChainRejectSink rejects = {}, ChainDropSink drops = {});
  ~ConversionChain();
  ConversionChain(const ConversionChain&) = delete;
  ConversionChain& operator=(const ConversionChain&) = delete;

  // Every run of blanks and tabs of the input comes out as it went in, and
  // no blank that a stage writes of its own (blank_keeper.h); `output` is
  // the form the chain ends in. Called before the stages are added.
  void KeepBlanks(TextForm output);

  // The stages, from the input to the output. A font conversion runs over
  // its own session (the fonts, tables and options of the conversion);
  // trim_blank removes the one blank a font conversion adds at the end of
  // its output, for chains of more than one stage.
  void AddFontConversion(Session session, InputBox input_box, bool trim_blank);
  void AddFontToIast(const FontLetters& letters);
  void AddIastToFont(const FontLetters& letters);
  void AddIastToDevanagari();
  void AddDevanagariToIast();

  void Feed(std::string_view block);
  ChainEnd Finish();

  class Stage;

 private:
  // The sink of the stage being added: the next stage, or the chain's sink.
  OutputSink NextSink();
  RejectSink StageRejects();
  // Tells the blank keeper, if any, what the stage being added reads.
  void AddText(bool unicode);

  OutputSink sink_;
  ChainRejectSink rejects_;
  ChainDropSink drops_;
  std::unique_ptr<BlankKeeper> keeper_;
  std::vector<std::unique_ptr<Stage>> stages_;
};

// Builds the chain from one form to another with `pivot` as the
// transliteration font between them (the transliteration font at either end,
// when there is one). `from_font` and `to_font` name the
// fonts of font ends; `make_session` gives a session for a font conversion
// between the pivot and a Devanagari font (direction already chosen). A pair
// that one conversion serves is that conversion alone, with its bytes; a
// longer chain trims the blank each font conversion adds at its end. With
// `keep_blanks` the blanks are the input's in either case.
struct ChainPlan {
  TextForm from = TextForm::kIast;
  std::string from_font;
  TextForm to = TextForm::kIast;
  std::string to_font;
  TranslitFont pivot = TranslitFont::kSanskritTimes;
  // The chain writes each run of blanks and tabs of the input as it was and
  // no blank of a table's own.
  bool keep_blanks = false;
};
using SessionMaker = std::function<Session(Direction direction, const std::string& devanagari_font,
                                           TranslitFont translit_font)>;
// The text between a font conversion and the rest of the chain is in the
// letters of that conversion's tables (TablesLetters): those of the pivot
// for a built-in font, those the files hold for loaded tables. Where they
// differ from the letters of the next or previous end, the text goes through
// IAST; a pair that one conversion serves stays one only when they agree.
// Returns an empty text, or why the letters of a conversion's tables cannot
// be told (the chain is then built as if they were the pivot's and must not
// be run where wrong letters matter).
std::string BuildChain(ConversionChain& chain, const ChainPlan& plan,
                       const SessionMaker& make_session, const InputBox& input_box);

// The special letters of a session's tables: the keys of the rows of the
// letters alone (kLetterRows). `problem` says why they cannot be told: a
// letter with no key, two letters with one key, or a glyph text with a byte
// that is a letter of a transliteration font and that no key has (tables
// whose syllables and glyphs are in the letters of different fonts).
struct TablesLetters {
  FontLetters letters;
  std::string problem;  // empty: the letters are known
};
TablesLetters ReadTablesLetters(const ConverterState& state);

// Reads the letters of the session's tables and gives the session's
// transliteration font the name of the font of those letters (a conversion
// to transliteration writes the keys anew in the letters of that font), or,
// for letters of no transliteration font, a name that is none.
TablesLetters MatchTranslitFontToTables(Session& session);

}  // namespace sfc
