// The command-line tool, in process and as a program: its options, files,
// "-" for the standard streams, and every failure as one message and a status.

#include "sfconv.h"

#include <signal.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <streambuf>
#include <tuple>

#include "atomic_file.h"
#include "run_sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::Contents;
using test::Names;
using test::Outcome;
using test::ReadFileBytes;
using test::RunScript;
using test::Sfconv;
using test::TempDir;
using test::Words;
using Args = std::vector<std::string>;

TEST(Sfconv, OptionsReachTheConversion) {
  for (const auto& [line, input, out] : std::vector<std::array<std::string, 3>>{
           {"to-devanagari", "namaste", "nmSte "},
           {"to-devanagari '--devanagari-font=Dev Natraj ITR'", "ku", B({"N", 236, " "})},
           {"to-devanagari -d 'Sanskrit 99' -d Vedic", "ka", "k "},  // the last counts
           // Row 149 (the sign typed as w) is 158 at start-up, 204 after the Vedic button.
           {"to-devanagari --startup", "w", B({158, " "})},
           {"to-devanagari", "w", B({204, " "})},
           {"to-translit -d Vedic", "[_", "kra "},  // a back-r form at the start or end
           // Vedic glyph 143 asks for its text at every occurrence; codes run from 0 to 255.
           {"to-translit --answer 143=X --answer=143=Y", B({143, 143}), "YY "},
           {"to-translit --answer 255=X --answer 0=Y --answer 143=Z", B({143}), "Z "}}) {
    const Outcome run = Sfconv(Words(line), input);
    EXPECT_EQ(run.status, kExitOk) << line << run.err;
    EXPECT_BYTES(out, run.out);
    EXPECT_EQ(run.err, "");
  }
}

TEST(Sfconv, UsageErrorsExitWithTwoAndNothingOnStandardOutput) {
  TempDir dir;
  const std::string d = dir.path().string();
  const std::string out = (dir.path() / "out.txt").string();
  for (const Args& args : std::vector<Args>{
           {},
           {"convert"},
           {"to-devanagari", "-t", "Times New Roman"},
           {"to-devanagari", "-d", "My Font"},
           {"to-devanagari", "--answer", "40=x"},
           {"to-translit", "--shift-m-to-n"},
           {"to-translit", "--dash-mode", "1"},
           {"to-devanagari", "--dash-mode", "3"},
           {"tables", "-i", "x"},
           {"tables", "--strict"},
           {"tables", "--report"},
           {"to-devanagari", "--strict=1"},
           {"to-devanagari", "--startup", "-d", "Vedic"},
           {"to-devanagari", "--startup", "--tables", "."},
           {"to-devanagari", "-t"},
           {"to-translit", "--answer", "256=x"},
           {"to-translit", "--answer", "x"},
           {"to-devanagari", "--frobnicate"},
           {"to-devanagari", "--startup=yes"},
           {"to-devanagari", "--from", "iast"},
           {"convert", "--from", "iast"},
           {"convert", "--from", "iast", "--to", "auto"},
           {"convert", "--from", "iast", "--to", "Vedic", "-d", "Vedic"},
           {"convert", "--from", "iast", "--to", "Klingon"},
           {"tables", "--check", d, "-o", out},
           {"tables", "-o", out, "--check", d},
           {"tables", "--export", d, "-o", out},
           {"tables", "-o", out, "--export", d},
           {"tables", "--export", d, "-o", "-"},
       }) {
    const Outcome run = Sfconv(args, "ka");
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "") << testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
    if (args.size() == 5 && args[0] == "tables") {
      EXPECT_TRUE(
          run.err.starts_with("sfconv: option -o does not go with tables --check or --export\n"))
          << run.err;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_NE(Sfconv({"convert", "--from", "iast", "--to", "Klingon"}).err.find("\"Klingon\""),
            std::string::npos);
  const Outcome help = Sfconv({"to-translit", "--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST(SfconvFiles, AFailedRunExitsWithOneAndLeavesTheOutputFileAsItWas) {
  TempDir dir;
  const std::string out = (dir.path() / "out.txt").string();
  const std::string sub = (dir.path() / "sub").string();
  dir.Write("out.txt", "old");
  std::filesystem::create_directory(sub);
  EXPECT_EQ(Sfconv({"to-devanagari", "-o", out, "--frobnicate"}, "ka").status, kExitUsage);
  for (const std::string& line : {"to-devanagari -i " + sub + "/absent -o " + out,
                                  "to-devanagari --tables " + sub + "/absent",
                                  "to-devanagari -o " + sub + "/absent/out.txt"}) {
    const Outcome run = Sfconv(Words(line), "ka");
    EXPECT_EQ(run.status, kExitFileError) << line;
    EXPECT_EQ(run.out, "");
  }
  // A directory opens but cannot be read: the temporary file is there by then.
  const Outcome unreadable = Sfconv({"to-devanagari", "-i", sub, "-o", out});
  EXPECT_EQ(unreadable.status, kExitFileError);
  EXPECT_EQ(unreadable.err, "sfconv: cannot read \"" + sub + "\"" + SystemReason(EISDIR) + "\n");
  EXPECT_EQ(ReadFileBytes(out), "old");
  EXPECT_EQ(Names(dir.path()), (Args{"out.txt", "sub"}));
}

// Bytes pass unchanged; the output file may be the input file; a file named
// "-" is written by another name for it.
TEST(SfconvFiles, InputAndOutputFiles) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  const std::string input = B({"ka\r\nga", 0, 255, "\n"});
  const std::string verse = (dir.path() / "verse.txt").string();
  const std::string out = (dir.path() / "out.txt").string();
  for (const std::string& to : {out, (dir.path() / "-").string(), verse,
                                (dir.path() / "sub" / ".." / "verse.txt").string()}) {
    dir.Write("verse.txt", input);
    const Outcome run = Sfconv({"to-devanagari", "-i", verse, "-o", to});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, "");
    EXPECT_BYTES(Sfconv({"to-devanagari"}, input).out, ReadFileBytes(to));
  }
  EXPECT_EQ(Names(dir.path()), (Args{"-", "out.txt", "sub", "verse.txt"}));
}

// ---- the program ----

TEST(SfconvProgram, ExitStatuses) {
  TempDir dir;
  dir.Write("in.txt", "ka");
  // A syllable table whose "_" writes nothing: the dash after it finds no
  // byte to remove, and the run stops with the output so far.
  dir.Write("sanideva.cod", test::Repeat("x,x,x\n", 188) + "plus,,\n");
  dir.Write("cut.txt", "_-kakaka");
  for (const auto& [script, status, out] : std::vector<std::tuple<std::string, int, std::string>>{
           {"$SFCONV to-devanagari -i in.txt > out.txt", kExitOk, "k "},
           {"$SFCONV to-devanagari -i in.txt -o /dev/stdout 2>/dev/null > out.txt", kExitOk, "k "},
           {"$SFCONV to-devanagari -d Nowhere </dev/null 2>/dev/null > out.txt", kExitUsage, ""},
           {"$SFCONV to-devanagari --tables . -d Mine -i cut.txt 2>/dev/null > out.txt",
            kExitCutShort, ""}}) {
    EXPECT_EQ(RunScript("cd '" + dir.path().string() + "' && " + script), status) << script;
    EXPECT_BYTES(out, ReadFileBytes(dir.path() / "out.txt"));
  }
}

TEST(SfconvProgram, AWriteErrorOrRunningOutOfMemoryIsOneMessageAndStatusOne) {
  TempDir dir;
  dir.Write("in.txt", "ka");
  dir.Write("big.txt", std::string(8 << 20, 'k'));
  std::filesystem::create_directory(dir.path() / "out");
  dir.Write("out/out.txt", "old");
  const std::string cannot = "sfconv: cannot write ";
  std::vector<std::pair<std::string, std::string>> cases = {
      // the script, the start of its error
      {"$SFCONV to-devanagari -i in.txt -o /dev/full", cannot},
      {"$SFCONV to-devanagari -i in.txt > /dev/full", cannot},
      // A file size limit stands in for a full disk.
      {"ulimit -f 1; $SFCONV to-devanagari -i big.txt -o out/out.txt", cannot},
      // A pipe whose reader has gone.
      {"mkfifo fifo; exec 3<>fifo 4>fifo 3<&-; $SFCONV to-devanagari -i in.txt >&4",
       cannot + "standard output" + SystemReason(EPIPE) + "\n"}};
  for (const char* help : {"--help", "tables --help", "to-devanagari --help"}) {
    cases.push_back({"$SFCONV " + std::string(help) + " > /dev/full",
                     cannot + "standard output" + SystemReason(ENOSPC) + "\n"});
  }
#ifndef SFC_TEST_UNDER_ASAN  // which needs more address space than the limit leaves
  cases.push_back({"ulimit -v 16000; $SFCONV to-devanagari -i big.txt -o out/out.txt",
                   "sfconv: out of memory\n"});
#endif
  for (const auto& [script, start] : cases) {
    EXPECT_EQ(RunScript("cd '" + dir.path().string() + "' && (" + script + ") 2> err.txt"),
              kExitFileError)
        << script;
    const std::string err = ReadFileBytes(dir.path() / "err.txt");
    EXPECT_TRUE(err.starts_with(start)) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / "out.txt"), "old");
  EXPECT_EQ(Names(dir.path() / "out"), Args{"out.txt"});
}

// Terminated while it waits for the rest of its input, once its temporary
// file is there (or it has ended, which fails the test).
TEST(SfconvProgram, ATerminatedRunLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string d = dir.path().string();
  std::filesystem::create_directory(dir.path() / "out");
  dir.Write("out/out.txt", "old");
  const int status = RunScript(
      "cd " + d + " && mkfifo in && { $SFCONV to-devanagari -o out/out.txt < in & } && " +
      "exec 3> in && printf ka >&3 && " +
      "while kill -0 $! 2> /dev/null && [ $(ls -A out | wc -l) -lt 2 ]; do sleep 0.01; done; " +
      "kill -TERM $! && wait $!");
  EXPECT_EQ(status, 128 + SIGTERM);
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / "out.txt"), "old");
  EXPECT_EQ(Names(dir.path() / "out"), Args{"out.txt"});
}

TEST(SfconvDash, NamesStandardInputAndOutput) {
  const std::string convert = "convert --from Sanskrit-Times --to Vedic";
  for (const auto& [line, plain] : std::vector<std::pair<std::string, std::string>>{
           {"to-devanagari -i -", "to-devanagari"},
           {"to-devanagari -o -", "to-devanagari"},
           {"to-devanagari -i - -o -", "to-devanagari"},
           {convert + " -i - -o -", convert},
           {"check -", "check"},
           {"tables -o -", "tables"}}) {
    const Outcome run = Sfconv(Words(line), "namaste");
    EXPECT_EQ(run.status, kExitOk) << line << run.err;
    EXPECT_BYTES(Sfconv(Words(plain), "namaste").out, run.out);
  }
  EXPECT_NE(Sfconv({"check", "-"}, "namaste").out.find("1 of 1 words"), std::string::npos);
}

// A directory in the place of the last file, or a full disk while it is written.
TEST(SfconvTables, AFailedExportChangesNothingInTheDirectory) {
  for (const bool full : {false, true}) {
    TempDir dir;
    const std::filesystem::path glyphs = dir.path() / "devitran.cod";
    dir.Write("sanideva.cod", "old syllables");
    dir.Write("lipikara.mmy", "old map");
    if (full) {
      std::filesystem::create_symlink("/dev/full", glyphs);
    } else {
      std::filesystem::create_directory(glyphs);
    }
    const auto before = Contents(dir.path());
    const Outcome run = Sfconv({"tables", "-d", "Sanskrit 99", "--export", dir.path().string()});
    EXPECT_EQ(run.status, kExitFileError);
    EXPECT_EQ(run.err, "sfconv: devitran.cod: cannot write \"" + glyphs.string() + "\"" +
                           SystemReason(full ? ENOSPC : EISDIR) + "\n");
    EXPECT_EQ(Contents(dir.path()), before);
  }
}

// A standard input that calls `fail` after its first bytes, as when memory
// runs out in the middle of a run.
class FailingInput : public std::streambuf {
 public:
  FailingInput(std::string first, std::function<void()> fail)
      : first_(std::move(first)), fail_(std::move(fail)) {
    setg(first_.data(), first_.data(), first_.data() + first_.size());
  }

 protected:
  int_type underflow() override {
    fail_();
    return traits_type::eof();
  }

 private:
  std::string first_;
  std::function<void()> fail_;
};

TEST(SfconvFailures, AFailureMidRunIsOneMessageAndLeavesTheOutputFile) {
  TempDir dir;
  const std::string out = (dir.path() / "out.txt").string();
  dir.Write("out.txt", "old");
  for (const auto& [fail, message] : std::vector<std::pair<std::function<void()>, std::string>>{
           {[] { throw std::bad_alloc(); }, "sfconv: out of memory\n"},
           {[] { throw std::logic_error("in the middle of the run"); },
            "sfconv: stopped by an unexpected error: in the middle of the run\n"},
       }) {
    for (const std::string line : {"to-devanagari", "convert --from iast --to Vedic", "check -"}) {
      const Args args = Words(line + " -o " + out);
      FailingInput source(std::string(100000, 'k'), fail);
      std::istream in(&source);
      in.exceptions(std::ios::badbit);  // the failure itself reaches the tool
      const Outcome run = Sfconv(args, in);
      EXPECT_EQ(run.status, kExitFileError) << line;
      EXPECT_EQ(run.err, message) << line;
      EXPECT_EQ(Contents(dir.path()), (std::map<std::string, std::string>{{"out.txt", "old"}}));
    }
  }
}

}  // namespace
}  // namespace sfc
