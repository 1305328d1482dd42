#include "sfconv.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "code_table_files.h"
#include "conversion.h"
#include "session.h"
#include "sfconv_io.h"
#include "state.h"
#include "table_dump.h"

namespace sfc {

void Report(std::ostream& err, std::string_view message) { err << "sfconv: " << message << '\n'; }

namespace {

constexpr std::string_view kUsage =
    R"(usage: sfconv to-devanagari [options]   transliteration bytes in, Devanagari glyph bytes out
       sfconv to-translit   [options]   Devanagari glyph bytes in, transliteration bytes out
       sfconv tables        [options]   print the tables in force

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
  --check DIR                  (tables) check the three code-table files in DIR
  --export DIR                 (tables) write the tables in force as the three files in DIR
  -i FILE, -o FILE             input and output (default standard input and output);
                               bytes pass unchanged; -o FILE is replaced at the end of
                               the run, and a run that fails leaves it as it was
  --help                       print this help

exit status: 0 done, 1 a file could not be read or written (or memory ran out),
             2 usage error, 3 the conversion was cut short (the output so far is written)
)";

enum class Command { kToDevanagari, kToTranslit, kTables };

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
  bool help = false;
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
  auto only_for = [&](Command allowed) {
    if (options.command != allowed) {
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
  } else if (name == "--shift-m-to-n") {
    only_for(Command::kToDevanagari);
    reader.NoValue(name);
    options.shift_m_to_n = true;
  } else if (name == "--dash-mode") {
    only_for(Command::kToDevanagari);
    const std::string value = reader.Value(name);
    if (value != "1" && value != "2") throw UsageError{"--dash-mode takes 1 or 2"};
    options.dash_mode = value == "1" ? kDashAddAspirata : kDashSkip;
  } else if (name == "--answer") {
    only_for(Command::kToTranslit);
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
  } else {
    throw UsageError{"unknown option \"" + name + "\""};
  }
}

// The options that only make sense together.
void CheckOptions(const Options& options) {
  if (options.startup && (options.translit_font || options.devanagari_font || options.tables_dir)) {
    throw UsageError{"--startup does not go with -t, -d or --tables"};
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

std::unique_ptr<InputSource> OpenInput(const Options& options, std::istream& in) {
  if (!options.input_file) return std::make_unique<InputSource>(in);
  return std::make_unique<InputSource>(std::filesystem::path(*options.input_file));
}

std::unique_ptr<OutputTarget> OpenOutput(const Options& options, std::ostream& out) {
  if (!options.output_file) return std::make_unique<OutputTarget>(out);
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

void ReportInputBoxes(const std::vector<AskedInputBox>& boxes, std::ostream& err) {
  for (const AskedInputBox& box : boxes) {
    if (box.request.kind != InputRequestKind::kCheckLater) continue;
    Report(err, "input box \"" + OneLine(box.request.title) + "\": " + OneLine(box.request.prompt) +
                    " -> " + QuoteBytes(box.answer));
  }
}

// Converts the input block by block; the output is written as it becomes
// final.
int Convert(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  Session session = BuildSession(options, err);
  const std::unique_ptr<InputSource> source = OpenInput(options, in);
  const std::unique_ptr<OutputTarget> output = OpenOutput(options, out);
  const InputBox answer = [&](const InputBoxRequest& request) {
    if (request.kind != InputRequestKind::kGlyphReading) return request.default_text;
    const auto it = options.answers.find(request.glyph_code);
    if (it != options.answers.end()) return it->second;
    Report(err, "glyph " + std::to_string(request.glyph_code) + " has no --answer; it is kept as " +
                    QuoteBytes(request.default_text));
    return request.default_text;
  };
  const StreamEnd end = session.ConvertStream(
      [&source](std::string& block) {
        block = source->NextBlock();
        return !block.empty();
      },
      [&output](std::string_view piece) { output->Write(piece); }, answer);
  ReportInputBoxes(end.input_boxes, err);
  output->Commit();
  if (!end.completed) {
    Report(err,
           "the conversion was cut short (the button would read \"ERROR\"); the output so far "
           "was written");
    return kExitCutShort;
  }
  return kExitOk;
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

}  // namespace

int RunSfconv(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
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
    if (options.command == Command::kTables) return Tables(options, out, err);
    return Convert(options, in, out, err);
  } catch (const FileError& error) {
    Report(err, error.message);
    return kExitFileError;
  } catch (const IoError& error) {
    Report(err, error.what());
    return kExitFileError;
  } catch (const std::bad_alloc&) {
    Report(err, "out of memory");
    return kExitFileError;
  } catch (const std::length_error&) {
    Report(err, "out of memory (the text is too long)");
    return kExitFileError;
  } catch (const std::exception& error) {
    Report(err, "stopped by an unexpected error: " + std::string(error.what()));
    return kExitFileError;
  } catch (...) {
    Report(err, "stopped by an unexpected error");
    return kExitFileError;
  }
}

}  // namespace sfc
