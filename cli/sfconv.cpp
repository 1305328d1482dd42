#include "sfconv.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "chain.h"
#include "check_command.h"
#include "code_table_files.h"
#include "conversion.h"
#ifdef SFC_HAVE_DOCUMENTS
#include "document_command.h"
#endif
#include "guess.h"
#include "session.h"
#include "sfconv_io.h"
#include "state.h"
#include "table_dump.h"

namespace sfc {

void Report(std::ostream& err, std::string_view message) { err << "sfconv: " << message << '\n'; }

int ReportFailure(std::ostream& err) {
  try {
    throw;
  } catch (const IoError& error) {
    Report(err, error.what());
  } catch (const std::bad_alloc&) {
    Report(err, "out of memory");
  } catch (const std::length_error&) {
    Report(err, "out of memory (the text is too long)");
  } catch (const std::exception& error) {
    Report(err, "stopped by an unexpected error: " + std::string(error.what()));
  } catch (...) {
    Report(err, "stopped by an unexpected error");
  }
  return kExitFileError;
}

namespace {

constexpr std::string_view kUsage =
    R"(usage: sfconv to-devanagari [options]   transliteration bytes in, Devanagari glyph bytes out
       sfconv to-translit   [options]   Devanagari glyph bytes in, transliteration bytes out
       sfconv convert --from X --to Y [options]
                                        X and Y: iast, devanagari (Unicode, UTF-8) or a
                                        font name; font to font in one step
       sfconv check [options] [FILE]    transliteration through Devanagari and back: the
                                        words that do not come back unchanged
       sfconv tables        [options]   print the tables in force
       sfconv document IN -o OUT [--map FONT=FORM ...] [--strict] [--dry-run]
                                        a .docx, .odt, .doc or .rtf document converted
                                        run by run, formatting kept (document --help)

options:
  -t, --translit-font NAME     transliteration font (default "Sanskrit-Times"; built-in:
                               "Sanskrit-Times", "ITRTransTimes", "URW Palladio IT")
  -d, --devanagari-font NAME   Devanagari font (default "Vedic"; built-in: "Vedic",
                               "Dev Natraj ITR", "Sanskrit 99")
  --tables DIR                 load sanideva.cod, lipikara.mmy and devitran.cod from DIR,
                               then use -t and -d as font names (any name)
  --startup                    the tables as at start-up, before any font is chosen
                               (not with -t, -d or --tables)
  --shift-m-to-n               (to-devanagari) write m before a consonant as n or anusvara
  --dash-mode 1|2              (to-devanagari) 1 add aspirata (default), 2 skip dash
  --answer CODE=TEXT           (to-translit, repeatable) the text for glyph CODE (0 to 255)
                               whenever the conversion asks for it
  --from X, --to Y             (convert) what the text is and what it becomes: "iast",
                               "devanagari" or a font name (any name with --tables is the
                               Devanagari font of those tables); -t names the
                               transliteration font in between when neither end is one;
                               --from auto guesses the form from the first 64 KB and
                               tells the guess on standard error
  --report                     list every input byte that no rule took (and, with convert,
                               every character that did not convert), with its line and
                               column, on standard error
  --strict                     (to-devanagari, to-translit, convert) exit with status 4 when
                               an input byte had no rule, a character did not convert (or
                               was not UTF-8), a file of --tables has problems, or
                               --from auto was unsure (the output is still written)
  --check DIR                  (tables) check the three code-table files in DIR
  --export DIR                 (tables) write the tables in force as the three files in DIR
  -i FILE, -o FILE             input and output (default standard input and output;
                               "-" names them too, ./- a file of that name); bytes pass
                               unchanged; -o FILE is replaced at the end of the run, and
                               a run that fails leaves it as it was (not with tables
                               --check or --export)
  --help                       print this help
  --version                    print the version

exit status: 0 done, 1 a file could not be read or written (or memory ran out),
             2 usage error, 3 the conversion was cut short (the output so far is written),
             4 with --strict: input was left out or replaced, --tables has problems,
               or --from auto could not tell the form for sure
)";

enum class Command { kToDevanagari, kToTranslit, kConvert, kCheck, kTables };

struct Options {
  Command command = Command::kToDevanagari;
  std::optional<std::string> translit_font;
  std::optional<std::string> devanagari_font;
  std::optional<std::string> tables_dir;
  bool startup = false;
  bool shift_m_to_n = false;
  int dash_mode = kDashAddAspirata;
  std::map<int, std::string> answers;
  std::optional<std::string> check_dir;
  std::optional<std::string> export_dir;
  std::optional<std::string> input_file;
  std::optional<std::string> output_file;
  std::optional<std::string> from;
  std::optional<std::string> to;
  bool report = false;
  bool strict = false;
  bool faulty_tables = false;  // the check finds fault with a file of --tables
  bool help = false;
  bool version = false;
};

struct UsageError {
  std::string message;
};

// Reads "--name value", "--name=value" and "-x value".
class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}

  bool Done() const { return at_ >= args_.size(); }

  // The next option's name; sets value_ when it came as --name=value.
  std::string NextName() {
    std::string arg = args_[at_++];
    inline_value_.reset();
    if (arg.rfind("--", 0) == 0) {
      const std::size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        inline_value_ = arg.substr(eq + 1);
        arg.resize(eq);
      }
    }
    return arg;
  }

  std::string Value(const std::string& name) {
    if (inline_value_) return *std::exchange(inline_value_, std::nullopt);
    if (Done()) throw UsageError{"option " + name + " needs a value"};
    return args_[at_++];
  }

  void NoValue(const std::string& name) const {
    if (inline_value_) throw UsageError{"option " + name + " takes no value"};
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t at_ = 0;
  std::optional<std::string> inline_value_;
};

Command ParseCommand(const std::string& name) {
  if (name == "to-devanagari") return Command::kToDevanagari;
  if (name == "to-translit") return Command::kToTranslit;
  if (name == "tables") return Command::kTables;
  if (name == "convert") return Command::kConvert;
  if (name == "check") return Command::kCheck;
  throw UsageError{"unknown subcommand \"" + name + "\""};
}

// "--answer CODE=TEXT".
void ParseAnswer(const std::string& value, Options& options) {
  const std::size_t eq = value.find('=');
  const std::string code = value.substr(0, eq);
  if (eq == std::string::npos || code.empty() || code.size() > 3 ||
      code.find_first_not_of("0123456789") != std::string::npos || std::stoi(code) > 255) {
    throw UsageError{"--answer takes CODE=TEXT with CODE from 0 to 255"};
  }
  options.answers[std::stoi(code)] = value.substr(eq + 1);
}

// Reads one option and its value into `options`.
void ParseOption(const std::string& name, const std::string& subcommand, ArgReader& reader,
                 Options& options) {
  auto only_for = [&](Command allowed, std::optional<Command> also = std::nullopt) {
    if (options.command != allowed && options.command != also) {
      throw UsageError{"option " + name + " does not go with " + subcommand};
    }
  };
  if (name == "--help" || name == "-h") {
    reader.NoValue(name);
    options.help = true;
  } else if (name == "-t" || name == "--translit-font") {
    options.translit_font = reader.Value(name);
  } else if (name == "-d" || name == "--devanagari-font") {
    options.devanagari_font = reader.Value(name);
  } else if (name == "--tables") {
    options.tables_dir = reader.Value(name);
  } else if (name == "--startup") {
    reader.NoValue(name);
    options.startup = true;
  } else if (name == "--from") {
    only_for(Command::kConvert);
    options.from = reader.Value(name);
  } else if (name == "--to") {
    only_for(Command::kConvert);
    options.to = reader.Value(name);
  } else if (name == "--report" || name == "--strict") {
    if (options.command != Command::kToDevanagari && options.command != Command::kToTranslit) {
      only_for(Command::kConvert);
    }
    reader.NoValue(name);
    (name == "--report" ? options.report : options.strict) = true;
  } else if (name == "--shift-m-to-n") {
    only_for(Command::kToDevanagari, Command::kConvert);
    reader.NoValue(name);
    options.shift_m_to_n = true;
  } else if (name == "--dash-mode") {
    only_for(Command::kToDevanagari, Command::kConvert);
    const std::string value = reader.Value(name);
    if (value != "1" && value != "2") throw UsageError{"--dash-mode takes 1 or 2"};
    options.dash_mode = value == "1" ? kDashAddAspirata : kDashSkip;
  } else if (name == "--answer") {
    only_for(Command::kToTranslit, Command::kConvert);
    ParseAnswer(reader.Value(name), options);
  } else if (name == "--check") {
    only_for(Command::kTables);
    options.check_dir = reader.Value(name);
  } else if (name == "--export") {
    only_for(Command::kTables);
    options.export_dir = reader.Value(name);
  } else if (name == "-i") {
    if (options.command == Command::kTables) throw UsageError{"option -i does not go with tables"};
    options.input_file = reader.Value(name);
  } else if (name == "-o") {
    options.output_file = reader.Value(name);
  } else if (options.command == Command::kCheck &&
             (name == "-" || (!name.empty() && name[0] != '-')) && !options.input_file) {
    options.input_file = name;  // check FILE, "-" for standard input
  } else {
    throw UsageError{"unknown option \"" + name + "\""};
  }
  // --check reports on standard output and --export writes the three files
  // of its directory: an output file would be left unwritten.
  if (options.output_file && (options.check_dir || options.export_dir)) {
    throw UsageError{"option -o does not go with tables --check or --export"};
  }
}

ChainPlan PlanChain(const Options& options, const std::optional<FormName>& guessed = {});

// The options that only make sense together.
void CheckOptions(const Options& options) {
  if (options.startup && (options.translit_font || options.devanagari_font || options.tables_dir)) {
    throw UsageError{"--startup does not go with -t, -d or --tables"};
  }
  if (options.command == Command::kConvert) {
    if (!options.from || !options.to) throw UsageError{"convert needs --from and --to"};
    if (options.startup) throw UsageError{"--startup does not go with convert"};
    if (options.devanagari_font) {
      throw UsageError{"convert takes the Devanagari font from --from or --to, not -d"};
    }
    PlanChain(options);  // names that are neither a form nor a font
  }
  if (options.tables_dir) return;
  if (options.translit_font && !FindTranslitFont(*options.translit_font)) {
    throw UsageError{"unknown transliteration font \"" + *options.translit_font +
                     "\" (use --tables DIR for other fonts)"};
  }
  if (options.devanagari_font && !FindDevanagariFont(*options.devanagari_font)) {
    throw UsageError{"unknown Devanagari font \"" + *options.devanagari_font +
                     "\" (use --tables DIR for other fonts)"};
  }
}

Options ParseArgs(const std::vector<std::string>& args) {
  Options options;
  if (args.empty()) throw UsageError{"missing subcommand"};
  if (args[0] == "--help" || args[0] == "-h") {
    options.help = true;
    return options;
  }
  if (args[0] == "--version") {
    options.version = true;
    return options;
  }
  options.command = ParseCommand(args[0]);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  ArgReader reader(rest);
  while (!reader.Done()) ParseOption(reader.NextName(), args[0], reader, options);
  if (!options.help) CheckOptions(options);
  return options;
}

struct FileError {
  std::string message;
};

// The window's session after the user actions the options stand for.
Session BuildSession(const Options& options, std::ostream& err) {
  Session session;
  session.ChooseDirection(options.command == Command::kToTranslit ? Direction::kToTranslit
                                                                  : Direction::kToDevanagari);
  session.SetDashMode(options.dash_mode);
  session.SetShiftMToN(options.shift_m_to_n);
  if (options.startup) return session;
  const std::string translit = options.translit_font.value_or("Sanskrit-Times");
  const std::string devanagari = options.devanagari_font.value_or("Vedic");
  if (options.tables_dir) {
    const std::filesystem::path dir(*options.tables_dir);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
      throw FileError{"--tables: \"" + *options.tables_dir + "\" is not a directory"};
    }
    const LoadReport report =
        session.LoadTables([&dir](ConverterState& state) { return LoadCodeTables(state, dir); });
    for (const TableProblem& note : report.problems) Report(err, FormatProblem(note));
    session.ChooseTranslitFontName(translit);
    session.ChooseDevanagariFontName(devanagari);
    return session;
  }
  session.PressDevanagariFontButton(*FindDevanagariFont(devanagari));
  session.PressTranslitFontButton(*FindTranslitFont(translit));
  return session;
}

// "-" as a file name is standard input or output (a file of that name is
// "./-").
constexpr std::string_view kStandardStream = "-";

std::unique_ptr<InputSource> OpenInput(const Options& options, std::istream& in) {
  if (!options.input_file || *options.input_file == kStandardStream) {
    return std::make_unique<InputSource>(in);
  }
  return std::make_unique<InputSource>(std::filesystem::path(*options.input_file));
}

std::unique_ptr<OutputTarget> OpenOutput(const Options& options, std::ostream& out) {
  if (!options.output_file || *options.output_file == kStandardStream) {
    return std::make_unique<OutputTarget>(out);
  }
  return std::make_unique<OutputTarget>(std::filesystem::path(*options.output_file));
}

// The whole output of a run that writes it at once.
void WriteOutput(const Options& options, std::ostream& out, std::string_view bytes) {
  const std::unique_ptr<OutputTarget> output = OpenOutput(options, out);
  output->Write(bytes);
  output->Commit();
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

// "note: line 1, column 1: 'ddb' (also 'ddd', 'ddg') is ambiguous; check it".
void ReportInputBoxes(const std::vector<AskedInputBox>& boxes, std::ostream& err) {
  for (const AskedInputBox& box : boxes) {
    if (box.request.kind != InputRequestKind::kCheckLater) continue;
    std::string also;
    for (const std::string_view letters : {"ddd", "ddb", "ddg"}) {
      if (letters == box.request.found) continue;
      also += (also.empty() ? "" : ", ") + ("'" + std::string(letters) + "'");
    }
    Report(err, "note: line " + std::to_string(box.request.at.line) + ", column " +
                    std::to_string(box.request.at.column) + ": '" + OneLine(box.request.found) +
                    "' (also " + also + ") is ambiguous; check it");
  }
}

// The answers of --answer. A glyph asked about without one keeps its
// default text; it is told once, at the end, with how often it was asked.
class GlyphAnswers {
 public:
  explicit GlyphAnswers(const Options& options) : options_(options) {}

  InputBox Box() {
    return [this](const InputBoxRequest& request) {
      if (request.kind != InputRequestKind::kGlyphReading) return request.default_text;
      const auto it = options_.answers.find(request.glyph_code);
      if (it != options_.answers.end()) return it->second;
      auto& [asked, kept] = unanswered_[request.glyph_code];
      if (asked++ == 0) kept = request.default_text;
      return request.default_text;
    };
  }

  void Tell(std::ostream& err) const {
    for (const auto& [code, unanswered] : unanswered_) {
      const auto& [asked, kept] = unanswered;
      Report(err, "glyph " + std::to_string(code) + " has no --answer (asked " +
                      (asked == 1 ? std::string("once") : std::to_string(asked) + " times") +
                      "); it is kept as " + QuoteBytes(kept));
    }
  }

 private:
  const Options& options_;
  std::map<int, std::pair<std::uint64_t, std::string>> unanswered_;  // times asked, text kept
};

// "line 3, column 14: TAB had no rule and was left out".
void ReportDrop(std::ostream& err, unsigned char byte, const InputPosition& at,
                std::string_view where = {}) {
  Report(err, "line " + std::to_string(at.line) + ", column " + std::to_string(at.column) +
                  std::string(where) + ": " + ByteName(byte) + " had no rule and was left out");
}

// One line for all the bytes no rule took.
void ReportDropped(std::ostream& err, const DroppedBytes& dropped, std::string_view where = {}) {
  if (!dropped.empty()) Report(err, DescribeDropped(dropped, where));
}

// Tells once when the input of a font conversion looks like Unicode text.
// Looks at the first 64 KB.
class UnicodeInputCheck {
 public:
  UnicodeInputCheck(std::ostream& err, std::string hint) : err_(err), hint_(std::move(hint)) {}

  void Look(std::string_view block) {
    if (done_) return;
    head_.append(block.substr(0, kLookedAt - std::min(kLookedAt, head_.size())));
    if (head_.size() >= kLookedAt) End();
  }
  void End() {
    if (done_) return;
    done_ = true;
    if (!LooksLikeUtf8Text(head_)) return;
    const bool utf16 = head_.starts_with("\xFF\xFE") || head_.starts_with("\xFE\xFF");
    Report(err_, std::string("input looks like ") + (utf16 ? "UTF-16" : "UTF-8") +
                     " Unicode; for " + hint_);
  }

 private:
  static constexpr std::size_t kLookedAt = 64 * 1024;
  std::ostream& err_;
  std::string hint_;
  std::string head_;
  bool done_ = false;
};

std::string UnicodeHint(bool devanagari) {
  return devanagari ? "Unicode Devanagari use 'sfconv convert --from devanagari'"
                    : "IAST use 'sfconv convert --from iast'";
}

// Converts the input block by block; the output is written as it becomes
// final.
int Convert(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  Session session = BuildSession(options, err);
  const std::unique_ptr<InputSource> source = OpenInput(options, in);
  const std::unique_ptr<OutputTarget> output = OpenOutput(options, out);
  GlyphAnswers answers(options);
  UnicodeInputCheck unicode(err, UnicodeHint(options.command == Command::kToTranslit));
  StreamOptions stream_options;
  if (options.report) {
    stream_options.on_drop = [&err](unsigned char byte, InputPosition at) {
      ReportDrop(err, byte, at);
    };
  }
  const StreamEnd end = session.ConvertStream(
      [&source, &unicode](std::string& block) {
        block = source->NextBlock();
        unicode.Look(block);
        return !block.empty();
      },
      [&output](std::string_view piece) { output->Write(piece); }, answers.Box(),
      std::move(stream_options));
  unicode.End();
  ReportInputBoxes(end.input_boxes, err);
  output->Commit();
  answers.Tell(err);
  ReportDropped(err, end.dropped);
  if (!end.completed) {
    Report(err, DescribeStop(end) + " (the output so far was written)");
    return kExitCutShort;
  }
  return options.strict && (!end.dropped.empty() || options.faulty_tables) ? kExitDropped : kExitOk;
}

// ---- convert: a chain through the transliteration pivot ----

// What an end of the chain named by --from or --to is.
std::pair<TextForm, std::string> ClassifyEnd(const std::string& name, const Options& options,
                                             const char* option) {
  if (name == "iast") return {TextForm::kIast, name};
  if (name == "devanagari") return {TextForm::kDevanagariUnicode, name};
  if (FindTranslitFont(name)) return {TextForm::kTranslitFont, name};
  if (FindDevanagariFont(name) || options.tables_dir) return {TextForm::kDevanagariFont, name};
  throw UsageError{std::string(option) + ": \"" + name +
                   "\" is neither iast, devanagari nor a font name (use --tables DIR for other "
                   "Devanagari fonts)"};
}

// --from auto: the form is guessed from the input.
constexpr std::string_view kAutoForm = "auto";

ChainPlan PlanChain(const Options& options, const std::optional<FormName>& guessed) {
  ChainPlan plan;
  plan.keep_blanks = true;
  if (guessed) {
    plan.from = guessed->form;
    plan.from_font = guessed->font;
  } else if (*options.from != kAutoForm) {
    std::tie(plan.from, plan.from_font) = ClassifyEnd(*options.from, options, "--from");
  }
  std::tie(plan.to, plan.to_font) = ClassifyEnd(*options.to, options, "--to");
  if (plan.to == TextForm::kTranslitFont) {
    plan.pivot = *FindTranslitFont(plan.to_font);
  } else if (plan.from == TextForm::kTranslitFont) {
    plan.pivot = *FindTranslitFont(plan.from_font);
  } else if (options.translit_font) {
    const std::optional<TranslitFont> pivot = FindTranslitFont(*options.translit_font);
    if (!pivot) {
      throw UsageError{
          "-t: the transliteration font between the ends must be one of "
          "\"Sanskrit-Times\", \"ITRTransTimes\", \"URW Palladio IT\""};
    }
    plan.pivot = *pivot;
  }
  return plan;
}

std::string DescribeCharacter(char32_t code_point) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(code_point));
  std::string text = code;
  if (code_point == kReplacementChar) return text + " (or a byte that is not UTF-8)";
  if (code_point >= 0x20 && code_point != 0x7F && (code_point < 0x80 || code_point >= 0xA0)) {
    text += " '";
    utf8::Append(text, code_point);
    text += "'";
  }
  return text;
}

// "--from auto: the input reads as "Vedic" (score 97; next "Sanskrit 99", score 41)".
void ReportGuess(const FormGuess& guess, std::ostream& err) {
  auto named = [](const FormScore& form) { return "\"" + DescribeForm(form.form) + "\""; };
  const FormScore& best = guess.best();
  std::string line = std::string("--from auto: the input ") +
                     (guess.sure() ? "reads as " : "may be in ") + named(best) + " (score " +
                     std::to_string(best.score);
  if (guess.rival != 0) {
    const FormScore& rival = guess.ranked[guess.rival];
    line += "; next " + named(rival) + ", score " + std::to_string(rival.score);
  }
  line += ")";
  if (!guess.sure()) {
    line += ", but " + std::string(DescribeDoubt(guess.doubt)) +
            "; converted from it all the same (name the form with --from)";
  }
  Report(err, line);
}

int ConvertChainCommand(const Options& options, std::istream& in, std::ostream& out,
                        std::ostream& err) {
  // Tables from disk are read once; each font conversion gets its own copy.
  std::optional<Session> loaded;
  const SessionMaker make_session = [&](Direction direction, const std::string& devanagari,
                                        TranslitFont translit) {
    Options stage = options;
    stage.command =
        direction == Direction::kToTranslit ? Command::kToTranslit : Command::kToDevanagari;
    stage.translit_font = std::string(FontName(translit));
    stage.devanagari_font = devanagari;
    if (!options.tables_dir || FindDevanagariFont(devanagari)) {
      stage.tables_dir.reset();
      return BuildSession(stage, err);
    }
    if (!loaded) loaded = BuildSession(stage, err);
    Session session = *loaded;
    session.ChooseDirection(direction);
    session.ChooseTranslitFontName(*stage.translit_font);
    session.ChooseDevanagariFontName(devanagari);
    return session;
  };

  const std::unique_ptr<InputSource> source = OpenInput(options, in);
  // --from auto: the first 64 KB (or more, up to the end of a block) are
  // read and guessed at, then converted before the rest of the input.
  std::string head;
  std::optional<FormName> guessed;
  bool unsure = false;
  if (*options.from == kAutoForm) {
    while (head.size() < kGuessSampleSize) {
      const std::string_view block = source->NextBlock();
      if (block.empty()) break;
      head.append(block);
    }
    GuessOptions guess_options;
    if (options.tables_dir) {
      guess_options.loaded_font = "tables of " + *options.tables_dir;
      make_session(Direction::kToTranslit, guess_options.loaded_font, TranslitFont::kSanskritTimes);
      guess_options.loaded_tables = &*loaded;
    }
    const FormGuess guess =
        GuessForm(std::string_view(head).substr(0, kGuessSampleSize), guess_options);
    ReportGuess(guess, err);
    guessed = guess.best().form;
    unsure = !guess.sure();
  }
  const ChainPlan plan = PlanChain(options, guessed);
  const std::unique_ptr<OutputTarget> output = OpenOutput(options, out);
  std::uint64_t rejected = 0;
  ConversionChain::ChainDropSink drops;
  if (options.report) {
    drops = [&err](unsigned char byte, InputPosition at, bool in_input) {
      ReportDrop(err, byte, at, in_input ? "" : " of the text between");
    };
  }
  ConversionChain chain(
      [&output](std::string_view piece) { output->Write(piece); },
      [&](const UnicodeReject& reject, bool in_input) {
        ++rejected;
        if (!options.report) return;
        Report(err, "line " + std::to_string(reject.line) + ", column " +
                        std::to_string(reject.column) + (in_input ? "" : " of the text between") +
                        ": " + DescribeCharacter(reject.code_point) + " did not convert");
      },
      std::move(drops));
  GlyphAnswers answers(options);
  // Loaded tables whose letters cannot be told would give wrong letters in
  // silence: nothing is converted.
  if (const std::string problem = BuildChain(chain, plan, make_session, answers.Box());
      !problem.empty()) {
    throw FileError{"--tables: " + problem +
                    "; nothing was converted (the files must write the special letters ā ī ū ṛ "
                    "... alike, as a transliteration font does)"};
  }
  // A font at the start: its bytes should not be Unicode text (a guess
  // would have said so).
  std::optional<UnicodeInputCheck> unicode;
  if (!guessed &&
      (plan.from == TextForm::kTranslitFont || plan.from == TextForm::kDevanagariFont)) {
    unicode.emplace(err, UnicodeHint(plan.from == TextForm::kDevanagariFont));
  }
  if (!head.empty()) chain.Feed(head);
  for (std::string_view block = source->NextBlock(); !block.empty(); block = source->NextBlock()) {
    if (unicode) unicode->Look(block);
    chain.Feed(block);
  }
  if (unicode) unicode->End();
  const ChainEnd end = chain.Finish();
  ReportInputBoxes(end.input_boxes, err);
  output->Commit();
  answers.Tell(err);
  if (rejected > 0 && !options.report) {
    Report(err, std::to_string(rejected) +
                    " character(s) did not convert; --report lists them with line and column");
  }
  ReportDropped(err, end.dropped);
  ReportDropped(err, end.dropped_between, " of the text between");
  if (!end.completed) {
    Report(err, (end.stop ? DescribeStop(*end.stop, end.stop_in_input ? "" : " of the text between")
                          : std::string("a conversion was cut short")) +
                    " (the output so far was written)");
    return kExitCutShort;
  }
  const bool dropped = !end.dropped.empty() || !end.dropped_between.empty();
  // Every character left out or replaced counts, in any stage.
  return options.strict && (dropped || unsure || rejected > 0 || options.faulty_tables)
             ? kExitDropped
             : kExitOk;
}

// ---- check: transliteration through Devanagari and back ----

int CheckCommand(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  Options forth = options;
  forth.command = Command::kToDevanagari;
  Options back = options;
  back.command = Command::kToTranslit;
  Session to_devanagari = BuildSession(forth, err);
  Session to_translit = BuildSession(back, err);
  const std::unique_ptr<InputSource> input = OpenInput(options, in);
  const std::unique_ptr<OutputTarget> output = OpenOutput(options, out);
  GlyphAnswers answers(options);
  const int status = RunWordCheck(to_devanagari, to_translit, answers.Box(), *input, *output, err);
  answers.Tell(err);
  return status;
}

int Tables(const Options& options, std::ostream& out, std::ostream& err) {
  if (options.check_dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*options.check_dir, ec)) {
      throw FileError{"--check: \"" + *options.check_dir + "\" is not a directory"};
    }
    const std::vector<TableProblem> problems = CheckCodeTables(*options.check_dir);
    std::string text;
    for (const TableProblem& problem : problems) text += FormatProblem(problem) + '\n';
    WriteOutput(options, out, text);
    if (problems.empty()) {
      Report(err, "no problems found");
      return kExitOk;
    }
    Report(err, std::to_string(problems.size()) + " problem(s) found");
    return kExitFileError;
  }
  const Session session = BuildSession(options, err);
  const ConverterState& state = session.state();
  if (options.export_dir) {
    const std::vector<TableProblem> problems = ExportCodeTables(state, *options.export_dir);
    for (const TableProblem& problem : problems) {
      if (problem.severity == Severity::kError) throw FileError{FormatProblem(problem)};
    }
    for (const TableProblem& cell : problems) Report(err, FormatProblem(cell));
    return kExitOk;
  }
  WriteOutput(options, out, DumpTables(state));
  return kExitOk;
}

// Whether the run reads the tables of --tables: convert only for a
// Devanagari font that is not built in.
bool LoadsTables(const Options& options) {
  if (!options.tables_dir || options.check_dir) return false;
  if (options.command != Command::kConvert) return true;
  const ChainPlan plan = PlanChain(options);
  return (plan.from == TextForm::kDevanagariFont && !FindDevanagariFont(plan.from_font)) ||
         (plan.to == TextForm::kDevanagariFont && !FindDevanagariFont(plan.to_font));
}

// The load takes whatever the files hold; each file that the check finds
// fault with is told in one line. Whether there was one.
bool TellTableProblems(const Options& options, std::ostream& err) {
  std::error_code ec;
  if (!LoadsTables(options) || !std::filesystem::is_directory(*options.tables_dir, ec)) {
    return false;
  }
  const std::vector<std::string> lines =
      SummarizeCheck(CheckCodeTables(*options.tables_dir), *options.tables_dir);
  for (const std::string& line : lines) Report(err, line);
  return !lines.empty();
}

}  // namespace

int RunSfconv(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
  if (!args.empty() && args[0] == "document") {
#ifdef SFC_HAVE_DOCUMENTS
    return RunDocumentCommand({args.begin() + 1, args.end()}, out, err);
#else
    Report(err, "this build converts no documents (it was made without libzip and pugixml)");
    return kExitUsage;
#endif
  }
  Options options;
  try {
    options = ParseArgs(args);
  } catch (const UsageError& error) {
    Report(err, error.message);
    err << kUsage;
    return kExitUsage;
  }
  try {
    if (options.help) {
      OutputTarget help(out);
      help.Write(kUsage);
      help.Commit();
      return kExitOk;
    }
    if (options.version) {
      OutputTarget version(out);
      version.Write(std::string("sfconv ") + SFC_VERSION + "\n");
      version.Commit();
      return kExitOk;
    }
    options.faulty_tables = TellTableProblems(options, err);
    if (options.command == Command::kTables) return Tables(options, out, err);
    if (options.command == Command::kConvert) return ConvertChainCommand(options, in, out, err);
    if (options.command == Command::kCheck) return CheckCommand(options, in, out, err);
    return Convert(options, in, out, err);
  } catch (const FileError& error) {
    Report(err, error.message);
    return kExitFileError;
  } catch (...) {
    return ReportFailure(err);
  }
}

}  // namespace sfc
