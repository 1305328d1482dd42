// The converter for JavaScript (the web page, its worker and the node
// tests): a thin layer of embind over the same core, code-table files and
// command-line code as the native build. Bytes cross as Uint8Array, never as
// JavaScript strings, so a legacy font's bytes arrive as they were.
//
//   const m = await createConverterModule();
//   const c = new m.Converter();
//   c.convert(bytes, {command: "convert", from: "iast", to: "Vedic"})
//     -> {output, completed, dropped, droppedTotal, rejected, rejectedTotal, messages, error}
//   new m.Stream(c, options): feed(bytes) -> output made final; finish() -> as convert
//   c.loadTables(sanideva, lipikara, devitran)   (Uint8Array or null each)
//   c.tables(options) -> {dump, fonts, syllables, shortI, glyphs}
//   c.check(bytes, options) -> {report, error}
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chain.h"
#include "code_table_files.h"
#include "conversion.h"
#include "font_iast.h"
#include "session.h"
#include "sfconv.h"
#include "syllable_rows.h"
#include "table_dump.h"
#include "translit_letters.h"
#include "word_check.h"

namespace sfc::web {

using emscripten::val;

namespace {

// Positions listed per result at most (the totals count all of them).
constexpr std::size_t kPositionsListed = 10000;
// How much of the input is looked at to tell Unicode text from font bytes.
constexpr std::size_t kLookedAt = 64 * 1024;

// What went wrong with a call's options, for the page to show; empty when
// nothing did. Built without exception support, the module reports every
// such error by value.
using Error = std::string;

val Bytes(std::string_view bytes) {
  // A copy: the view into the module's memory would not outlive the call.
  return val::global("Uint8Array")
      .new_(emscripten::typed_memory_view(bytes.size(),
                                          reinterpret_cast<const unsigned char*>(bytes.data())));
}

std::string ReadBytes(const val& bytes) {
  if (bytes.isUndefined() || bytes.isNull()) return {};
  if (bytes.isString()) return bytes.as<std::string>();  // UTF-8
  const auto length = bytes["length"].as<std::size_t>();
  std::string copy(length, '\0');
  val(emscripten::typed_memory_view(length, reinterpret_cast<unsigned char*>(copy.data())))
      .call<void>("set", bytes);
  return copy;
}

std::string Text(const val& options, const char* name, std::string fallback = {}) {
  const val value = options[name];
  if (value.isUndefined() || value.isNull()) return fallback;
  return value.as<std::string>();
}

bool Flag(const val& options, const char* name) {
  const val value = options[name];
  return !value.isUndefined() && !value.isNull() && value.as<bool>();
}

// The options of one run: those of sfconv, named as in JavaScript.
struct RunOptions {
  std::string command = "convert";  // "convert", "to-devanagari" or "to-translit"
  std::string from;                 // convert: "iast", "devanagari" or a font name
  std::string to;
  std::optional<std::string> translit_font;  // -t
  std::string devanagari_font = "Vedic";     // -d
  bool loaded = false;                       // --tables: the loaded tables in force
  bool startup = false;                      // --startup: the tables at start-up
  bool shift_m_to_n = false;
  int dash_mode = kDashAddAspirata;
  std::vector<std::pair<int, std::string>> answers;  // --answer CODE=TEXT
};

Error ReadOptions(const val& options, RunOptions& run) {
  if (options.isUndefined() || options.isNull()) return {};
  run.command = Text(options, "command", run.command);
  run.from = Text(options, "from");
  run.to = Text(options, "to");
  if (!options["translitFont"].isUndefined() && !options["translitFont"].isNull()) {
    run.translit_font = Text(options, "translitFont");
  }
  run.devanagari_font = Text(options, "devanagariFont", run.devanagari_font);
  run.loaded = Flag(options, "loaded");
  run.startup = Flag(options, "startup");
  run.shift_m_to_n = Flag(options, "shiftMToN");
  if (!options["dashMode"].isUndefined()) run.dash_mode = options["dashMode"].as<int>();
  if (run.dash_mode != kDashAddAspirata && run.dash_mode != kDashSkip) {
    return "the dash mode is 1 or 2";
  }
  const val answers = options["answers"];
  if (!answers.isUndefined() && !answers.isNull()) {
    const val keys = val::global("Object").call<val>("keys", answers);
    const int count = keys["length"].as<int>();
    for (int i = 0; i < count; ++i) {
      const std::string key = keys[i].as<std::string>();
      int code = -1;
      const auto [end, failure] = std::from_chars(key.data(), key.data() + key.size(), code);
      if (failure != std::errc() || end != key.data() + key.size() || code < 0 || code > 255) {
        return "an answer's glyph code is 0 to 255";
      }
      run.answers.emplace_back(code, ReadBytes(answers[key]));
    }
  }
  if (run.command != "convert" && run.command != "to-devanagari" && run.command != "to-translit" &&
      run.command != "tables") {
    return "unknown command \"" + run.command + "\"";
  }
  return {};
}

val ProblemsToJs(const std::vector<TableProblem>& problems) {
  val list = val::array();
  for (const TableProblem& problem : problems) {
    val item = val::object();
    item.set("severity", problem.severity == Severity::kNote      ? "note"
                         : problem.severity == Severity::kWarning ? "warning"
                                                                  : "error");
    item.set("file", problem.file);
    item.set("line", problem.line);
    item.set("column", problem.column);
    item.set("message", problem.message);
    item.set("text", FormatProblem(problem));
    list.call<void>("push", item);
  }
  return list;
}

}  // namespace

// The converter of one page: the built-in fonts, and the tables loaded from
// code-table files, when there are any.
class Converter {
 public:
  // Loads the three files (each a Uint8Array, or null for a file not
  // picked) over the start-up tables; the problems found, as the desktop
  // program's load reports them.
  val LoadTables(const val& syllables, const val& short_i, const val& glyphs) {
    CodeTableBytes files;
    const auto given = [](const val& bytes) -> std::optional<std::string> {
      if (bytes.isUndefined() || bytes.isNull()) return std::nullopt;
      return ReadBytes(bytes);
    };
    files.syllables = given(syllables);
    files.short_i = given(short_i);
    files.glyphs = given(glyphs);
    Session session;
    const LoadReport report = session.LoadTables(
        [&files](ConverterState& state) { return LoadCodeTables(state, files); });
    loaded_ = std::move(session);
    return ProblemsToJs(report.problems);
  }

  // Whatever the three files would say when checked, as tables --check.
  val CheckTables(const val& syllables, const val& short_i, const val& glyphs) {
    const std::filesystem::path dir = "/tmp/check-tables";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    const auto put = [&dir](const char* name, const val& bytes) {
      if (bytes.isUndefined() || bytes.isNull()) return;
      std::ofstream(dir / name, std::ios::binary) << ReadBytes(bytes);
    };
    put(kSyllableFileName, syllables);
    put(kShortIFileName, short_i);
    put(kGlyphFileName, glyphs);
    return ProblemsToJs(CheckCodeTables(dir));
  }

  bool HasLoadedTables() const { return loaded_.has_value(); }
  void ForgetTables() { loaded_.reset(); }

  // The session of a conversion in one direction, as sfconv builds it.
  Error MakeSession(Direction direction, const std::string& translit_font,
                    const std::string& devanagari_font, bool loaded, const RunOptions& run,
                    Session& session) const {
    session = Session();
    if (run.startup) {
      // as the window starts, before any font button
    } else if (loaded) {
      if (!loaded_) return "no code tables are loaded";
      session = *loaded_;
      session.ChooseTranslitFontName(translit_font);
      session.ChooseDevanagariFontName(devanagari_font);
    } else {
      const std::optional<DevanagariFont> devanagari = FindDevanagariFont(devanagari_font);
      const std::optional<TranslitFont> translit = FindTranslitFont(translit_font);
      if (!devanagari) {
        return "unknown Devanagari font \"" + devanagari_font +
               "\" (load code tables for other fonts)";
      }
      if (!translit) return "unknown transliteration font \"" + translit_font + "\"";
      session.PressDevanagariFontButton(*devanagari);
      session.PressTranslitFontButton(*translit);
    }
    session.ChooseDirection(direction);
    session.SetDashMode(run.dash_mode);
    session.SetShiftMToN(run.shift_m_to_n);
    return {};
  }

  // The session whose tables the tables calls show: to Devanagari, with the
  // options' fonts.
  Error TablesSession(const val& options, Session& session) const {
    RunOptions run;
    if (Error error = ReadOptions(options, run); !error.empty()) return error;
    return MakeSession(Direction::kToDevanagari, run.translit_font.value_or("Sanskrit-Times"),
                       run.devanagari_font, run.loaded, run, session);
  }

  // What an end of a convert chain is.
  Error ClassifyEnd(const std::string& name, const char* which, TextForm& form,
                    std::string& font) const {
    font = name;
    if (name == "iast") {
      form = TextForm::kIast;
    } else if (name == "devanagari") {
      form = TextForm::kDevanagariUnicode;
    } else if (FindTranslitFont(name)) {
      form = TextForm::kTranslitFont;
    } else if (FindDevanagariFont(name) || (loaded_ && !name.empty())) {
      form = TextForm::kDevanagariFont;
    } else {
      return std::string(which) + ": \"" + name +
             "\" is neither iast, devanagari nor a font name (load code tables for other "
             "Devanagari fonts)";
    }
    return {};
  }

  Error PlanChain(const RunOptions& run, ChainPlan& plan) const {
    if (Error error = ClassifyEnd(run.from, "from", plan.from, plan.from_font); !error.empty()) {
      return error;
    }
    if (Error error = ClassifyEnd(run.to, "to", plan.to, plan.to_font); !error.empty()) {
      return error;
    }
    if (plan.to == TextForm::kTranslitFont) {
      plan.pivot = *FindTranslitFont(plan.to_font);
    } else if (plan.from == TextForm::kTranslitFont) {
      plan.pivot = *FindTranslitFont(plan.from_font);
    } else if (run.translit_font) {
      const std::optional<TranslitFont> pivot = FindTranslitFont(*run.translit_font);
      if (!pivot) return "the transliteration font between the ends is a built-in one";
      plan.pivot = *pivot;
    }
    plan.keep_blanks = true;
    return {};
  }

  // The tables in force for a pair of fonts, as rows.
  val Tables(const val& options) const {
    val result = val::object();
    Session session;
    if (Error error = TablesSession(options, session); !error.empty()) {
      result.set("error", error);
      return result;
    }
    const ConverterState& state = session.state();
    result.set("dump", Bytes(DumpTables(state)));
    val syllables = val::array();
    for (int row = 1; row < kSyllableTableSize; ++row) {
      const auto r = static_cast<std::size_t>(row);
      val item = val::object();
      item.set("row", row);
      item.set("name",
               r < kSyllableRowNames.size() ? std::string(kSyllableRowNames[r]) : std::string());
      item.set("key", Bytes(state.sanideva.key[r]));
      item.set("full", Bytes(state.sanideva.full[r]));
      item.set("half", Bytes(state.sanideva.half[r]));
      syllables.call<void>("push", item);
    }
    val short_i = val::array();
    for (int code = 1; code < kShortIMapSize; ++code) {
      short_i.call<void>("push", state.short_i[static_cast<std::size_t>(code)]);
    }
    val glyphs = val::array();
    for (int code = 1; code < kGlyphTableSize; ++code) {
      glyphs.call<void>("push", Bytes(state.devitran[static_cast<std::size_t>(code)]));
    }
    result.set("syllables", syllables);
    result.set("shortI", short_i);
    result.set("glyphs", glyphs);
    return result;
  }

  // The tables in force as the three code-table files, as tables --export
  // writes them: {files: {"sanideva.cod": bytes, ...}, problems}.
  val ExportTables(const val& options) const {
    val result = val::object();
    Session session;
    if (Error error = TablesSession(options, session); !error.empty()) {
      result.set("error", error);
      return result;
    }
    const std::filesystem::path dir = "/tmp/export-tables";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    const std::vector<TableProblem> problems = ExportCodeTables(session.state(), dir);
    val files = val::object();
    for (const char* name : {kSyllableFileName, kShortIFileName, kGlyphFileName}) {
      std::ifstream in(dir / name, std::ios::binary);
      if (!in) continue;
      std::ostringstream bytes;
      bytes << in.rdbuf();
      files.set(name, Bytes(bytes.str()));
    }
    result.set("files", files);
    result.set("problems", ProblemsToJs(problems));
    if (HasError(problems)) result.set("error", "the tables could not be written");
    return result;
  }

  // check: the words of a transliteration text that do not come back from
  // Devanagari unchanged (check takes the fonts only, no conversion
  // options). `report` is the text sfconv check writes; `differences` the
  // same one by one, the words in IAST; `summary` the counts.
  val Check(const val& bytes, const val& options) const {
    val result = val::object();
    RunOptions run;
    if (Error error = ReadOptions(options, run); !error.empty()) {
      result.set("error", error);
      return result;
    }
    const std::string translit = run.translit_font.value_or("Sanskrit-Times");
    // The sessions first: they refuse the names sfconv would refuse.
    RunOptions plain = run;
    plain.shift_m_to_n = false;
    plain.dash_mode = kDashAddAspirata;
    Session to_devanagari;
    Session to_translit;
    Error error = MakeSession(Direction::kToDevanagari, translit, run.devanagari_font, run.loaded,
                              plain, to_devanagari);
    if (error.empty()) {
      error = MakeSession(Direction::kToTranslit, translit, run.devanagari_font, run.loaded, plain,
                          to_translit);
    }
    if (!error.empty()) {
      result.set("error", error);
      return result;
    }
    std::vector<std::string> args = {"check", "-t", translit, "-d", run.devanagari_font};
    if (run.loaded) {
      if (!loaded_) {
        result.set("error", "no code tables are loaded");
        return result;
      }
      const std::filesystem::path dir = "/tmp/loaded-tables";
      for (const TableProblem& problem : ExportCodeTables(loaded_->state(), dir)) {
        if (problem.severity == Severity::kError) {
          result.set("error", FormatProblem(problem));
          return result;
        }
      }
      args.push_back("--tables");
      args.push_back(dir.string());
    }
    const std::string text = ReadBytes(bytes);
    std::istringstream in(text);
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunSfconv(args, in, out, err);
    result.set("report", Bytes(out.str()));
    result.set("messages", err.str());
    if (status != kExitOk) {
      result.set("error", err.str());
      return result;
    }

    const FontLetters letters(
        GetTranslitLetters(FindTranslitFont(to_devanagari.state().translit_box_font)
                               .value_or(TranslitFont::kSanskritTimes)));
    val differences = val::array();
    std::uint64_t listed = 0;
    WordCheck check(to_devanagari, to_translit, InputBox{},
                    [&](std::uint64_t line, const WordDifference& difference) {
                      if (++listed > kPositionsListed) return;
                      val item = val::object();
                      item.set("line", static_cast<double>(line));
                      item.set("column", static_cast<double>(difference.column));
                      item.set("before", FontToIast(difference.before, letters));
                      item.set("after", FontToIast(difference.after, letters));
                      differences.call<void>("push", item);
                    });
    check.Feed(text);
    const WordCheckSummary summary = check.Finish();
    val counts = val::object();
    counts.set("lines", static_cast<double>(summary.lines));
    counts.set("words", static_cast<double>(summary.words.words_before));
    counts.set("matched", static_cast<double>(summary.words.matched));
    counts.set("differences", static_cast<double>(summary.words.differences));
    counts.set("sharePercent", summary.words.SharePercent());
    counts.set("linesCutShort", static_cast<double>(summary.lines_cut_short));
    result.set("differences", differences);
    result.set("summary", counts);
    return result;
  }

  val Convert(const val& bytes, const val& options) const;

 private:
  std::optional<Session> loaded_;
};

// One conversion fed block by block; the page's worker feeds large texts
// this way and shows how far it got.
class Stream {
 public:
  Stream(const Converter& converter, const val& options) {
    RunOptions run;
    error_ = ReadOptions(options, run);
    if (error_.empty()) error_ = Start(converter, run);
  }

  // The output that became final with this block.
  val Feed(const val& bytes) {
    if (!error_.empty() || finished_) return Bytes({});
    const std::string block = ReadBytes(bytes);
    if (head_.size() < kLookedAt) head_.append(block, 0, kLookedAt - head_.size());
    if (chain_) {
      chain_->Feed(block);
    } else if (stream_) {
      stream_->Feed(block);
    }
    return TakeOutput();
  }

  // The end of the run: the rest of the output and what is to be told.
  val Finish() {
    val result = val::object();
    if (!error_.empty() || finished_) {
      result.set("output", Bytes({}));
      result.set("completed", false);
      result.set("error", error_.empty() ? std::string("the conversion has ended") : error_);
      return result;
    }
    finished_ = true;
    val messages = val::array();
    const auto tell = [&messages](const std::string& text) { messages.call<void>("push", text); };
    if (font_input_ && LooksLikeUtf8Text(head_)) {
      tell(
          "the input looks like Unicode text, not the bytes of a font; pick \"IAST\" or "
          "\"Devanagari (Unicode)\" as its form");
    }
    bool completed = true;
    std::vector<AskedInputBox> boxes;
    if (chain_) {
      const ChainEnd end = chain_->Finish();
      completed = end.completed;
      boxes = end.input_boxes;
      if (!end.dropped.empty()) tell(DescribeDropped(end.dropped));
      if (!end.dropped_between.empty())
        tell(DescribeDropped(end.dropped_between, " of the text between"));
    } else if (stream_) {
      const StreamEnd end = stream_->Finish();
      completed = end.completed;
      boxes = end.input_boxes;
      if (!end.dropped.empty()) tell(DescribeDropped(end.dropped));
    }
    for (const AskedInputBox& box : boxes) {
      if (box.request.kind != InputRequestKind::kCheckLater) continue;
      tell("input box \"" + box.request.title + "\": " + box.request.prompt + " -> " +
           QuoteBytes(box.answer));
    }
    for (const auto& [code, kept] : unanswered_) {
      tell("glyph " + std::to_string(code) + " has no answer; it is kept as " + QuoteBytes(kept));
    }
    if (rejected_total_ > 0) {
      tell(std::to_string(rejected_total_) + " character(s) did not convert");
    }
    if (!completed) tell("a conversion was cut short; the output so far is shown");
    result.set("output", TakeOutput());
    result.set("completed", completed);
    result.set("dropped", dropped_);
    result.set("droppedTotal", static_cast<double>(dropped_total_));
    result.set("rejected", rejected_);
    result.set("rejectedTotal", static_cast<double>(rejected_total_));
    result.set("messages", messages);
    return result;
  }

  const std::string& error() const { return error_; }

 private:
  Error Start(const Converter& converter, const RunOptions& run) {
    if (run.command == "tables") return "tables is no conversion";
    answers_ = run.answers;
    const OutputSink sink = [this](std::string_view piece) { output_.append(piece); };
    const InputBox box = [this](const InputBoxRequest& request) {
      if (request.kind != InputRequestKind::kGlyphReading) return request.default_text;
      for (const auto& [code, text] : answers_) {
        if (code == request.glyph_code) return text;
      }
      bool told = false;
      for (const auto& entry : unanswered_) told = told || entry.first == request.glyph_code;
      if (!told) unanswered_.emplace_back(request.glyph_code, request.default_text);
      return request.default_text;
    };
    if (run.command == "convert") {
      ChainPlan plan;
      if (Error error = converter.PlanChain(run, plan); !error.empty()) return error;
      font_input_ = plan.from == TextForm::kTranslitFont || plan.from == TextForm::kDevanagariFont;
      chain_ = std::make_unique<ConversionChain>(
          sink,
          [this](const UnicodeReject& reject, bool in_input) {
            if (++rejected_total_ > kPositionsListed) return;
            val item = val::object();
            item.set("codePoint", static_cast<double>(reject.code_point));
            item.set("line", static_cast<double>(reject.line));
            item.set("column", static_cast<double>(reject.column));
            item.set("between", !in_input);
            rejected_.call<void>("push", item);
          },
          [this](unsigned char byte, InputPosition at, bool in_input) {
            Drop(byte, at, !in_input);
          });
      // The plan named only fonts there are, so no session here fails;
      // should one, the run ends with its error.
      Error chain_error;
      const SessionMaker maker = [&converter, &chain_error, run](Direction direction,
                                                                 const std::string& devanagari,
                                                                 TranslitFont translit) {
        const bool loaded = !FindDevanagariFont(devanagari);
        Session session;
        Error error = converter.MakeSession(direction, std::string(FontName(translit)), devanagari,
                                            loaded, run, session);
        if (chain_error.empty()) chain_error = std::move(error);
        return session;
      };
      // Loaded tables whose letters cannot be told would give wrong letters
      // in silence: nothing is converted, as sfconv refuses them.
      const std::string problem = BuildChain(*chain_, plan, maker, box);
      if (!chain_error.empty()) return chain_error;
      if (!problem.empty()) {
        return problem +
               "; nothing was converted (the files must write the special letters ā ī ū ṛ ... "
               "alike, as a transliteration font does)";
      }
      return {};
    }
    const Direction direction =
        run.command == "to-translit" ? Direction::kToTranslit : Direction::kToDevanagari;
    font_input_ = true;
    session_ = std::make_unique<Session>();
    if (Error error = converter.MakeSession(direction, run.translit_font.value_or("Sanskrit-Times"),
                                            run.devanagari_font, run.loaded, run, *session_);
        !error.empty()) {
      return error;
    }
    StreamOptions stream_options;
    stream_options.on_drop = [this](unsigned char byte, InputPosition at) {
      Drop(byte, at, false);
    };
    stream_ = session_->BeginConversion(box, sink, std::move(stream_options));
    return {};
  }

  void Drop(unsigned char byte, InputPosition at, bool between) {
    if (++dropped_total_ > kPositionsListed) return;
    val item = val::object();
    item.set("byte", byte);
    item.set("line", static_cast<double>(at.line));
    item.set("column", static_cast<double>(at.column));
    item.set("between", between);
    dropped_.call<void>("push", item);
  }

  val TakeOutput() {
    val bytes = Bytes(output_);
    output_.clear();
    return bytes;
  }

  std::string error_;
  bool finished_ = false;
  bool font_input_ = false;
  std::string head_;
  std::string output_;
  std::vector<std::pair<int, std::string>> answers_;
  std::vector<std::pair<int, std::string>> unanswered_;
  std::unique_ptr<Session> session_;  // before stream_, which uses it
  std::unique_ptr<ConversionStream> stream_;
  std::unique_ptr<ConversionChain> chain_;
  val dropped_ = val::array();
  val rejected_ = val::array();
  std::uint64_t dropped_total_ = 0;
  std::uint64_t rejected_total_ = 0;
};

val Converter::Convert(const val& bytes, const val& options) const {
  Stream stream(*this, options);
  if (!stream.error().empty()) {
    val result = val::object();
    result.set("output", Bytes({}));
    result.set("completed", false);
    result.set("error", stream.error());
    return result;
  }
  const val head = stream.Feed(bytes);
  val result = stream.Finish();
  const val rest = result["output"];
  val output = val::global("Uint8Array").new_(head["length"].as<int>() + rest["length"].as<int>());
  output.call<void>("set", head, 0);
  output.call<void>("set", rest, head["length"]);
  result.set("output", output);
  return result;
}

// The fonts by name, for the page's choosers.
val Fonts() {
  val result = val::object();
  val translit = val::array();
  for (TranslitFont font :
       {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes, TranslitFont::kUrwPalladioIt}) {
    translit.call<void>("push", std::string(FontName(font)));
  }
  val devanagari = val::array();
  for (DevanagariFont font :
       {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
    devanagari.call<void>("push", std::string(FontName(font)));
  }
  result.set("translit", translit);
  result.set("devanagari", devanagari);
  return result;
}

EMSCRIPTEN_BINDINGS(sanskrit_font_converter) {
  emscripten::function("fonts", &Fonts);
  emscripten::class_<Converter>("Converter")
      .constructor<>()
      .function("loadTables", &Converter::LoadTables)
      .function("checkTables", &Converter::CheckTables)
      .function("hasLoadedTables", &Converter::HasLoadedTables)
      .function("forgetTables", &Converter::ForgetTables)
      .function("tables", &Converter::Tables)
      .function("exportTables", &Converter::ExportTables)
      .function("check", &Converter::Check)
      .function("convert", &Converter::Convert);
  emscripten::class_<Stream>("Stream")
      .constructor<const Converter&, const val&>()
      .function("feed", &Stream::Feed)
      .function("finish", &Stream::Finish);
}

}  // namespace sfc::web
