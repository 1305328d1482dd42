#include "document_command.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>
#include <utility>

#include "atomic_file.h"
#include "chain.h"
#include "code_table_files.h"
#include "document.h"
#include "session.h"
#include "sfconv.h"
#include "sfconv_io.h"

extern char** environ;

namespace sfc {

namespace {

using document::Conversion;
using document::DocumentError;
using document::DocumentFormat;
using document::DocumentReport;
using document::FontTarget;

constexpr const char* kDocumentUsage =
    R"(usage: sfconv document IN -o OUT [options]
       sfconv document IN --dry-run [options]

A .docx or .odt document (.doc and .rtf through LibreOffice, when it is installed)
converted run by run: the text in each legacy font is converted, everything else is
written back as it was. The report goes to standard error.

options:
  --map FONT=FORM          (repeatable) what the text in FONT becomes: iast, devanagari
                           (Unicode) or a font name (e.g. --map "Sanskrit 99=Vedic");
                           with no --map every run in one of the six built-in fonts
                           goes to Unicode
  --tables DIR             load the code tables from DIR; --map then takes any
                           Devanagari font name
  --devanagari-font NAME   the font of Unicode Devanagari (default "Noto Serif Devanagari")
  --iast-font NAME         the font of IAST (default the document's body font, or
                           "Noto Serif" when that is a legacy font)
  --strict                 exit with status 4 when a byte had no rule or a character no
                           byte (the document is still written)
  --dry-run                report only: the fonts found, with a sample of each converted
  -o OUT                   the new document, written whole or not at all; IN is never
                           changed

exit status: 0 done, 1 the document could not be read or written, 2 usage error,
             4 with --strict: problems were reported
)";

struct DocumentOptions {
  std::string input;
  std::string output;
  std::vector<std::pair<std::string, std::string>> maps;  // font, form
  std::optional<std::string> tables_dir;
  std::string devanagari_font = std::string(document::kDefaultDevanagariFont);
  std::string iast_font;  // empty: the document's body font
  bool strict = false;
  bool dry_run = false;
};

struct DocumentUsageError {
  std::string message;
};

DocumentOptions ParseDocumentArgs(const std::vector<std::string>& args) {
  DocumentOptions options;
  bool have_input = false;
  bool have_output = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inline_value;
    if (name.starts_with("--") && name.find('=') != std::string::npos &&
        !name.starts_with("--map=")) {
      inline_value = name.substr(name.find('=') + 1);
      name.resize(name.find('='));
    } else if (name.starts_with("--map=")) {
      inline_value = name.substr(6);
      name = "--map";
    }
    auto value = [&]() -> std::string {
      if (inline_value) return *std::exchange(inline_value, std::nullopt);
      if (i + 1 >= args.size()) throw DocumentUsageError{"option " + name + " needs a value"};
      return args[++i];
    };
    if (name == "-o" || name == "--output") {
      options.output = value();
      have_output = true;
    } else if (name == "--map") {
      const std::string map = value();
      const std::size_t eq = map.rfind('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == map.size()) {
        throw DocumentUsageError{"--map takes FONT=FORM, e.g. --map Vedic=devanagari"};
      }
      options.maps.emplace_back(map.substr(0, eq), map.substr(eq + 1));
    } else if (name == "--tables") {
      options.tables_dir = value();
    } else if (name == "--devanagari-font") {
      options.devanagari_font = value();
    } else if (name == "--iast-font") {
      options.iast_font = value();
    } else if (name == "--strict" || name == "--dry-run") {
      if (inline_value) throw DocumentUsageError{"option " + name + " takes no value"};
      (name == "--strict" ? options.strict : options.dry_run) = true;
    } else if (!name.empty() && name[0] != '-' && !have_input) {
      options.input = name;
      have_input = true;
    } else {
      throw DocumentUsageError{"unknown option \"" + name + "\""};
    }
  }
  if (!have_input) throw DocumentUsageError{"document needs the input document"};
  if (!have_output && !options.dry_run) {
    throw DocumentUsageError{"document needs -o OUT (or --dry-run)"};
  }
  if (have_output && options.dry_run) {
    throw DocumentUsageError{"--dry-run writes nothing; it does not go with -o"};
  }
  return options;
}

// A form of --map: what the font's text becomes.
ChainPlan PlanFor(const std::string& font, const std::string& form, bool tables) {
  ChainPlan plan;
  if (FindTranslitFont(font)) {
    plan.from = TextForm::kTranslitFont;
    plan.pivot = *FindTranslitFont(font);
  } else if (FindDevanagariFont(font) || tables) {
    plan.from = TextForm::kDevanagariFont;
  } else {
    throw DocumentUsageError{"--map: \"" + font +
                             "\" is no known legacy font (use --tables DIR for other "
                             "Devanagari fonts)"};
  }
  plan.from_font = font;
  std::string lower = form;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "iast") {
    plan.to = TextForm::kIast;
  } else if (lower == "devanagari") {
    plan.to = TextForm::kDevanagariUnicode;
  } else if (FindTranslitFont(form)) {
    plan.to = TextForm::kTranslitFont;
    plan.pivot = *FindTranslitFont(form);
  } else if (FindDevanagariFont(form) || tables) {
    plan.to = TextForm::kDevanagariFont;
  } else {
    throw DocumentUsageError{"--map: \"" + form + "\" is neither iast, devanagari nor a font name"};
  }
  plan.to_font = form;
  plan.keep_blanks = true;
  return plan;
}

std::vector<FontTarget> PlanTargets(const DocumentOptions& options) {
  std::vector<std::pair<std::string, std::string>> maps = options.maps;
  if (maps.empty()) {
    for (const DevanagariFont font :
         {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
      maps.emplace_back(std::string(FontName(font)), "devanagari");
    }
    for (const TranslitFont font : {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes,
                                    TranslitFont::kUrwPalladioIt}) {
      maps.emplace_back(std::string(FontName(font)), "iast");
    }
  }
  std::vector<FontTarget> targets;
  for (const auto& [font, form] : maps) {
    FontTarget target;
    target.source_font = font;
    target.plan = PlanFor(font, form, options.tables_dir.has_value());
    target.unicode =
        target.plan.to == TextForm::kIast || target.plan.to == TextForm::kDevanagariUnicode;
    if (target.plan.to == TextForm::kDevanagariUnicode) {
      target.output_font = options.devanagari_font;
    } else if (target.plan.to == TextForm::kIast) {
      target.output_font = options.iast_font;
    } else {
      target.output_font = form;
    }
    targets.push_back(std::move(target));
  }
  return targets;
}

// Sessions for the font conversions, made once per kind and copied.
class Sessions {
 public:
  Sessions(const DocumentOptions& options, std::ostream& err) : options_(options), err_(err) {}

  Session Make(Direction direction, const std::string& devanagari, TranslitFont translit) {
    const auto key = std::make_tuple(direction, devanagari, translit);
    const auto it = made_.find(key);
    if (it != made_.end()) return it->second;
    Session session;
    if (const std::optional<DevanagariFont> builtin = FindDevanagariFont(devanagari)) {
      session.PressDevanagariFontButton(*builtin);
      session.PressTranslitFontButton(translit);
    } else {
      session = Loaded();
      session.ChooseTranslitFontName(std::string(FontName(translit)));
      session.ChooseDevanagariFontName(devanagari);
    }
    session.ChooseDirection(direction);
    return made_.emplace(key, std::move(session)).first->second;
  }

 private:
  const Session& Loaded() {
    if (!loaded_) {
      const std::filesystem::path dir(*options_.tables_dir);
      std::error_code ec;
      if (!std::filesystem::is_directory(dir, ec)) {
        throw DocumentError("--tables: \"" + *options_.tables_dir + "\" is not a directory");
      }
      Session session;
      const LoadReport report =
          session.LoadTables([&dir](ConverterState& state) { return LoadCodeTables(state, dir); });
      for (const TableProblem& note : report.problems) Report(err_, FormatProblem(note));
      loaded_ = std::move(session);
    }
    return *loaded_;
  }

  const DocumentOptions& options_;
  std::ostream& err_;
  std::optional<Session> loaded_;
  std::map<std::tuple<Direction, std::string, TranslitFont>, Session> made_;
};

std::string ReadWhole(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw DocumentError("cannot read " + document::Quoted(path) +
                        (std::filesystem::exists(path, ec) ? " (not a regular file)"
                                                           : " (No such file or directory)"));
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > (std::uintmax_t{1} << 30)) {
    throw DocumentError(document::Quoted(path) + " is larger than 1 GiB; it is refused");
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size))) {
    throw DocumentError("cannot read " + document::Quoted(path));
  }
  return bytes;
}

// ---- .doc and .rtf through the office suite on the PATH ----

std::optional<std::string> FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::stringstream dirs(path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (dir.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(dir) / program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return std::nullopt;
}

// Runs a program with its output thrown away; its exit status.
int Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A temporary directory removed with everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sfconv-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw DocumentError("cannot make a temporary directory" + SystemReason(errno));
    }
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The office suite's conversion of `file` into `directory` as `format`
// ("docx", "doc", "rtf"), with a profile of its own; the new file.
std::filesystem::path OfficeConvert(const std::string& office, const std::filesystem::path& file,
                                    const std::string& filter,
                                    const std::filesystem::path& directory,
                                    const std::filesystem::path& profile) {
  std::filesystem::create_directories(directory);
  const int status = Run({office, "--headless", "-env:UserInstallation=file://" + profile.string(),
                          "--convert-to", filter, "--outdir", directory.string(), file.string()});
  const std::string extension = filter.substr(0, filter.find(':'));
  const std::filesystem::path made = directory / (file.stem().string() + "." + extension);
  std::error_code ec;
  if (status != 0 || !std::filesystem::is_regular_file(made, ec)) {
    throw DocumentError("the office suite could not convert " +
                        document::Quoted(file.filename().string()) + " to ." + extension);
  }
  return made;
}

// ---- the report ----

std::string Describe(const FontTarget& target) {
  switch (target.plan.to) {
    case TextForm::kIast:
      return "IAST (Unicode) in " + (target.output_font.empty() ? std::string("the body font")
                                                                : "\"" + target.output_font + "\"");
    case TextForm::kDevanagariUnicode:
      return "Unicode Devanagari in \"" + target.output_font + "\"";
    default:
      return "the font \"" + target.output_font + "\"";
  }
}

void ReportDocument(std::ostream& err, const std::string& name, const DocumentReport& report,
                    const std::vector<FontTarget>& targets, bool dry_run) {
  if (report.converted.empty()) {
    Report(err, document::Quoted(name) + ": no text in a font to convert was found");
  }
  for (const auto& [font, count] : report.converted) {
    std::string target = "?";
    for (const FontTarget& t : targets) {
      if (t.source_font == font) target = Describe(t);
    }
    Report(err, "\"" + font + "\" -> " + target + ": " + std::to_string(count.runs) + " run(s), " +
                    std::to_string(count.characters) + " character(s) read, " +
                    std::to_string(count.converted) + " written");
    if (dry_run || !count.sample_before.empty()) {
      Report(err, "  sample: \"" + count.sample_before + "\" -> \"" + count.sample_after + "\"");
    }
  }
  for (const auto& [font, characters] : report.left_as_they_are) {
    Report(err, "\"" + font + "\" left as it is (" + std::to_string(characters) +
                    " character(s); not a font to convert)");
  }
  for (const document::DocumentProblem& problem : report.problems) {
    Report(err, problem.part + ", paragraph " + std::to_string(problem.paragraph) + ", \"" +
                    problem.font + "\": " + problem.what + ": \"" + problem.context + "\"");
  }
  if (report.problem_count > report.problems.size()) {
    Report(err, "... and " + std::to_string(report.problem_count - report.problems.size()) +
                    " more problem(s)");
  }
}

int Convert(const DocumentOptions& options, std::ostream& err) {
  const std::vector<FontTarget> targets = PlanTargets(options);
  Sessions sessions(options, err);
  Conversion conversion;
  conversion.targets = targets;
  const SessionMaker make_session = [&sessions](Direction direction, const std::string& devanagari,
                                                TranslitFont translit) {
    return sessions.Make(direction, devanagari, translit);
  };
  conversion.convert = document::ChainConvert(make_session);
  conversion.convert_all = document::ChainConvertAll(make_session);

  const std::filesystem::path input(options.input);
  std::string lower = input.extension().string();
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::optional<DocumentFormat> format = document::FormatOfName(options.input);
  const bool office = lower == ".doc" || lower == ".rtf";
  if (!format && !office) {
    throw DocumentError(document::Quoted(options.input) +
                        ": the format is not known by its name (.docx, .odt, .doc or .rtf)");
  }
  if (!options.output.empty()) {
    std::error_code ec;
    if (std::filesystem::equivalent(options.input, options.output, ec)) {
      throw DocumentUsageError{"-o names the input document; it is never changed"};
    }
  }

  std::string bytes = ReadWhole(options.input);
  std::optional<TemporaryDirectory> work;
  std::optional<std::string> office_program;
  if (office) {
    office_program = FindOnPath("soffice");
    if (!office_program) {
      throw DocumentError(document::Quoted(options.input) +
                          ": .doc and .rtf documents are converted through LibreOffice; install "
                          "it (Debian: apt-get install libreoffice-writer-nogui) or save the "
                          "document as .docx");
    }
    work.emplace();
    const std::filesystem::path copy = work->path() / ("in" + lower);
    std::filesystem::copy_file(input, copy);
    const std::filesystem::path docx = OfficeConvert(
        *office_program, copy, "docx", work->path() / "docx", work->path() / "profile");
    bytes = ReadWhole(docx.string());
    format = DocumentFormat::kDocx;
  }

  document::ConvertedDocument converted =
      document::ConvertDocument(std::move(bytes), options.input, *format, conversion);
  ReportDocument(err, options.input, converted.report, targets, options.dry_run);
  if (!options.dry_run) {
    if (office) {
      const std::filesystem::path docx = work->path() / "in.docx";
      {
        std::ofstream out(docx, std::ios::binary);
        out.write(converted.bytes.data(), static_cast<std::streamsize>(converted.bytes.size()));
        if (!out) throw DocumentError("cannot write a temporary file");
      }
      const std::string filter = lower == ".doc" ? "doc:MS Word 97" : "rtf:Rich Text Format";
      const std::filesystem::path back = OfficeConvert(
          *office_program, docx, filter, work->path() / "back", work->path() / "profile");
      converted.bytes = ReadWhole(back.string());
    }
    AtomicFile output(options.output);
    output.Write(converted.bytes);
    output.Commit();
  }
  if (converted.report.problem_count > 0) {
    Report(err, std::to_string(converted.report.problem_count) + " problem(s)" +
                    (options.strict ? "" : "; with --strict the exit status is 4"));
  }
  return options.strict && converted.report.problem_count > 0 ? kExitDropped : kExitOk;
}

}  // namespace

int RunDocumentCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  DocumentOptions options;
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    try {
      OutputTarget help(out);
      help.Write(kDocumentUsage);
      help.Commit();
      return kExitOk;
    } catch (...) {
      return ReportFailure(err);
    }
  }
  try {
    options = ParseDocumentArgs(args);
    PlanTargets(options);
  } catch (const DocumentUsageError& error) {
    Report(err, error.message);
    err << kDocumentUsage;
    return kExitUsage;
  }
  try {
    return Convert(options, err);
  } catch (const DocumentUsageError& error) {
    Report(err, error.message);
    return kExitUsage;
  } catch (const DocumentError& error) {
    Report(err, error.what());
    return kExitFileError;
  } catch (...) {
    return ReportFailure(err);
  }
}

}  // namespace sfc
