// The command-line tool, in process and as a program.

#include "sfconv.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "atomic_file.h"
#include "run_sfconv.h"
#include "test_support.h"

extern char** environ;

namespace sfc {
namespace {

using test::B;
using test::TempDir;

using test::Outcome;
using test::Sfconv;

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

// The names in a directory, in order.
std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SfconvToDevanagari, ConvertsStandardInput) {
  const Outcome run = Sfconv({"to-devanagari"}, "namaste");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("nmSte ", run.out);
  EXPECT_EQ(run.err, "");
}

TEST(SfconvToDevanagari, FontsAndOptions) {
  EXPECT_BYTES(B({"N", 236, " "}), Sfconv({"to-devanagari", "-d", "Dev Natraj ITR"}, "ku").out);
  EXPECT_BYTES(B({"N", 236, " "}),
               Sfconv({"to-devanagari", "--devanagari-font=Dev Natraj ITR"}, "ku").out);
  EXPECT_BYTES("Nt( ", Sfconv({"to-devanagari", "--shift-m-to-n"}, "mt").out);
  EXPECT_BYTES(B({"t", 255, "vm( "}),
               Sfconv({"to-devanagari", "--dash-mode", "2"}, "tat-tvam").out);
  // ā in URW Palladio IT is 228.
  EXPECT_BYTES("a;k ", Sfconv({"to-devanagari", "-t", "URW Palladio IT"}, B({228, "ka"})).out);
  // The last of a repeated option counts.
  EXPECT_BYTES("k ", Sfconv({"to-devanagari", "-d", "Sanskrit 99", "-d", "Vedic"}, "ka").out);
}

TEST(SfconvToDevanagari, StartupStateUsesTheStartupTables) {
  // Row 149 (the sign typed as w) is 158 at start-up and 204 after the Vedic button.
  EXPECT_BYTES(B({158, " "}), Sfconv({"to-devanagari", "--startup"}, "w").out);
  EXPECT_BYTES(B({204, " "}), Sfconv({"to-devanagari"}, "w").out);
}

TEST(SfconvToTranslit, ConvertsBack) {
  const Outcome there = Sfconv({"to-devanagari", "-d", "Sanskrit 99"}, "namaste");
  const Outcome back = Sfconv({"to-translit", "-d", "Sanskrit 99"}, there.out);
  EXPECT_EQ(back.status, kExitOk);
  EXPECT_NE(back.out.find("namaste"), std::string::npos) << test::Show(back.out);
}

TEST(SfconvToTranslit, AnswersForGlyphsThatAsk) {
  // Vedic glyph 143 asks for its text at every occurrence.
  Outcome run = Sfconv({"to-translit", "--answer", "143=X", "--answer=143=Y"}, B({143, 143}));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("YY ", run.out);
  // The codes run from 0 to 255.
  run = Sfconv({"to-translit", "--answer", "255=X", "--answer", "0=Y", "--answer", "143=Z"},
               B({143}));
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_BYTES("Z ", run.out);
  run = Sfconv({"to-translit"}, B({143}));
  EXPECT_BYTES(B({143, " "}), run.out);
  EXPECT_NE(run.err.find("glyph 143"), std::string::npos) << run.err;
}

TEST(SfconvTables, DumpsEveryRowInOrder) {
  const Outcome run = Sfconv({"tables", "-t", "ITRTransTimes", "-d", "Sanskrit 99"});
  EXPECT_EQ(run.status, kExitOk);
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "font\t\"ITRTransTimes\"\t\"Sanskrit 99\"\t\"Sanskrit 99\"");
  std::getline(lines, line);
  EXPECT_EQ(line, "sanideva\t1\t\"\\xa1\"\t\"Aa\"\t\"a\"");
  int counts[5] = {};
  const char* kinds[5] = {"sanideva\t", "shorti\t", "devitran\t", "position\t", "font\t"};
  lines.clear();
  lines.str(run.out);
  while (std::getline(lines, line)) {
    for (int k = 0; k < 5; ++k) counts[k] += line.rfind(kinds[k], 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(counts[0], 255);
  EXPECT_EQ(counts[1], 255);
  EXPECT_EQ(counts[2], 300);
  EXPECT_EQ(counts[3], 15);
  EXPECT_NE(run.out.find("sanideva\t153\t\"\"\t\"\"\t\"\"\n"), std::string::npos);
  EXPECT_NE(run.out.find("position\tRPositions\t0\t0\t0\t0\n"), std::string::npos);
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(SfconvUsage, ErrorsExitWithTwoAndNothingOnStandardOutput) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"convert"},
      {"to-devanagari", "-t", "Times New Roman"},
      {"to-devanagari", "-d", "My Font"},
      {"to-devanagari", "--answer", "40=x"},
      {"to-translit", "--shift-m-to-n"},
      {"to-translit", "--dash-mode", "1"},
      {"to-devanagari", "--dash-mode", "3"},
      {"tables", "-i", "x"},
      {"to-devanagari", "--startup", "-d", "Vedic"},
      {"to-devanagari", "--startup", "--tables", "."},
      {"to-devanagari", "-t"},
      {"to-translit", "--answer", "256=x"},
      {"to-translit", "--answer", "x"},
      {"to-devanagari", "--frobnicate"},
      {"to-devanagari", "--startup=yes"},
  };
  for (const auto& args : bad) {
    const Outcome run = Sfconv(args, "ka");
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "") << testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
  }
  const Outcome help = Sfconv({"to-translit", "--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST(SfconvFiles, MissingInputOrTablesDirectoryExitsWithOne) {
  TempDir dir;
  Outcome run = Sfconv({"to-devanagari", "-i", (dir.path() / "absent.txt").string()});
  EXPECT_EQ(run.status, kExitFileError);
  EXPECT_EQ(run.out, "");
  run = Sfconv({"to-devanagari", "--tables", (dir.path() / "absent").string()}, "ka");
  EXPECT_EQ(run.status, kExitFileError);
  EXPECT_EQ(run.out, "");
  run = Sfconv({"to-devanagari", "-o", (dir.path() / "no" / "such" / "dir").string()}, "ka");
  EXPECT_EQ(run.status, kExitFileError);
}

TEST(SfconvFiles, InputAndOutputFilesPassBytesUnchanged) {
  TempDir dir;
  const std::string input = B({"ka\r\nga", 0, 255, "\n"});
  WriteFile(dir.path() / "in.txt", input);
  const Outcome run = Sfconv({"to-devanagari", "-i", (dir.path() / "in.txt").string(), "-o",
                              (dir.path() / "out.txt").string()});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "");
  EXPECT_BYTES(Sfconv({"to-devanagari"}, input).out, test::ReadFileBytes(dir.path() / "out.txt"));
}

TEST(SfconvFiles, AFailedRunLeavesTheOutputFileAsItWas) {
  TempDir dir;
  const std::string out = (dir.path() / "out.txt").string();
  const std::string sub = (dir.path() / "sub").string();
  WriteFile(out, "old");
  std::filesystem::create_directory(sub);
  EXPECT_EQ(Sfconv({"to-devanagari", "-o", out, "--frobnicate"}, "ka").status, kExitUsage);
  EXPECT_EQ(Sfconv({"to-devanagari", "-i", (dir.path() / "absent").string(), "-o", out}).status,
            kExitFileError);
  // A directory opens but cannot be read: the temporary file is there by then.
  const Outcome unreadable = Sfconv({"to-devanagari", "-i", sub, "-o", out});
  EXPECT_EQ(unreadable.status, kExitFileError);
  EXPECT_EQ(unreadable.err, "sfconv: cannot read \"" + sub + "\"" + SystemReason(EISDIR) + "\n");
  EXPECT_EQ(test::ReadFileBytes(out), "old");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"out.txt", "sub"}));
}

TEST(SfconvFiles, TheOutputFileMayBeTheInputFile) {
  TempDir dir;
  const std::filesystem::path verse = dir.path() / "verse.txt";
  std::filesystem::create_directory(dir.path() / "sub");
  WriteFile(verse, "namaste");
  EXPECT_EQ(Sfconv({"to-devanagari", "-i", verse.string(), "-o", verse.string()}).status, kExitOk);
  EXPECT_BYTES("nmSte ", test::ReadFileBytes(verse));
  WriteFile(verse, "namaste");
  const std::filesystem::path same = dir.path() / "sub" / ".." / "verse.txt";
  EXPECT_EQ(Sfconv({"to-devanagari", "-i", verse.string(), "-o", same.string()}).status, kExitOk);
  EXPECT_BYTES("nmSte ", test::ReadFileBytes(verse));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"sub", "verse.txt"}));
}

TEST(SfconvFiles, AReplacedFileKeepsItsPermissionsAndItsLinks) {
  namespace fs = std::filesystem;
  TempDir dir;
  WriteFile(dir.path() / "out.txt", "old");
  fs::permissions(dir.path() / "out.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("out.txt", dir.path() / "link");
  EXPECT_EQ(Sfconv({"to-devanagari", "-o", (dir.path() / "link").string()}, "ka").status, kExitOk);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_BYTES("k ", test::ReadFileBytes(dir.path() / "out.txt"));
  EXPECT_EQ(fs::status(dir.path() / "out.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"link", "out.txt"}));
}

TEST(SfconvTables, ExportThenLoadGivesTheSameTables) {
  TempDir dir;
  const Outcome exported = Sfconv(
      {"tables", "-t", "URW Palladio IT", "-d", "Dev Natraj ITR", "--export", dir.path().string()});
  ASSERT_EQ(exported.status, kExitOk) << exported.err;
  const Outcome builtin = Sfconv({"tables", "-t", "URW Palladio IT", "-d", "Dev Natraj ITR"});
  const Outcome loaded = Sfconv(
      {"tables", "--tables", dir.path().string(), "-t", "URW Palladio IT", "-d", "Dev Natraj ITR"});
  ASSERT_EQ(loaded.status, kExitOk) << loaded.err;
  auto rows = [](const std::string& dump) {
    std::string kept;
    std::istringstream lines(dump);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("sanideva", 0) == 0 || line.rfind("shorti", 0) == 0 ||
          line.rfind("devitran", 0) == 0) {
        kept += line + '\n';
      }
    }
    return kept;
  };
  EXPECT_EQ(rows(loaded.out), rows(builtin.out));
  const Outcome check = Sfconv({"tables", "--check", dir.path().string()});
  EXPECT_EQ(check.status, kExitOk) << check.out;
}

// The real program: exit statuses and byte-exact output through pipes.
int RunProgram(const std::string& args, const std::filesystem::path& out) {
  const std::string command =
      std::string(SFC_SFCONV_PATH) + " " + args + " > " + out.string() + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SfconvProgram, ExitStatuses) {
  TempDir dir;
  WriteFile(dir.path() / "in.txt", "ka");
  const std::string in = " -i " + dir.path().string() + "/in.txt";
  EXPECT_EQ(RunProgram("to-devanagari" + in, dir.path() / "out.txt"), kExitOk);
  EXPECT_BYTES("k ", test::ReadFileBytes(dir.path() / "out.txt"));
  EXPECT_EQ(RunProgram("to-devanagari -d Nowhere" + in, dir.path() / "out.txt"), kExitUsage);
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "");

  // A syllable table whose "_" writes nothing: the dash after it finds no
  // byte to remove, and the run stops with the output so far.
  std::string rows;
  for (int row = 1; row < 189; ++row) rows += "x,x,x\n";
  rows += "plus,,\n";
  WriteFile(dir.path() / "sanideva.cod", rows);
  WriteFile(dir.path() / "in.txt", "_-kakaka");
  EXPECT_EQ(RunProgram("to-devanagari --tables " + dir.path().string() + " -d Mine" + in,
                       dir.path() / "out.txt"),
            kExitCutShort);
}

// Runs a shell script in which $SFCONV is the program; its exit status.
int RunScript(const std::string& script) {
  const std::string command = "SFCONV='" + std::string(SFC_SFCONV_PATH) + "'; " + script;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the program with the given standard input and output, standard error
// to a file, and the default actions for the signals it changes; -1 when it
// cannot be started.
pid_t Start(const std::vector<std::string>& args, int in, int out,
            const std::filesystem::path& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> words = {SFC_SFCONV_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, SFC_SFCONV_PATH, &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

int Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

TEST(SfconvProgram, AWriteErrorIsOneMessageAndStatusOne) {
  TempDir dir;
  const std::string path = dir.path().string();
  WriteFile(dir.path() / "in.txt", "ka");
  WriteFile(dir.path() / "big.txt", std::string(100000, 'k'));
  std::filesystem::create_directory(dir.path() / "out");
  WriteFile(dir.path() / "out" / "out.txt", "old");
  const std::vector<std::string> scripts = {
      "$SFCONV to-devanagari -i " + path + "/in.txt -o /dev/full",
      "$SFCONV to-devanagari -i " + path + "/in.txt > /dev/full",
      // A file size limit stands in for a full disk.
      "ulimit -f 1; $SFCONV to-devanagari -i " + path + "/big.txt -o " + path + "/out/out.txt",
  };
  for (const std::string& script : scripts) {
    EXPECT_EQ(RunScript(script + " 2> " + path + "/err.txt"), kExitFileError) << script;
    const std::string err = test::ReadFileBytes(dir.path() / "err.txt");
    EXPECT_EQ(err.rfind("sfconv: cannot write ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out" / "out.txt"), "old");
  EXPECT_EQ(Names(dir.path() / "out"), std::vector<std::string>{"out.txt"});
}

TEST(SfconvProgram, AClosedPipeOnStandardOutputIsAWriteError) {
  TempDir dir;
  WriteFile(dir.path() / "in.txt", "namaste");
  int output[2];
  ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
  ::close(output[0]);
  const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t pid = Start({"to-devanagari", "-i", (dir.path() / "in.txt").string()}, null,
                          output[1], dir.path() / "err.txt");
  ::close(output[1]);
  ::close(null);
  ASSERT_GT(pid, 0);
  const int status = Wait(pid);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), kExitFileError);
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "err.txt"),
            "sfconv: cannot write standard output" + SystemReason(EPIPE) + "\n");
}

TEST(SfconvProgram, ATerminatedRunLeavesNoTemporaryFile) {
  TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  std::filesystem::create_directory(out);
  WriteFile(out / "out.txt", "old");
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Start({"to-devanagari", "-o", (out / "out.txt").string()}, input[0], null,
                          dir.path() / "err.txt");
  ::close(input[0]);
  ::close(null);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(::write(input[1], "ka", 2), 2);
  // The temporary file appears while the program waits for the rest of its input.
  for (int wait = 0; wait < 1000 && Names(out).size() < 2; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(Names(out).size(), 2u);
  ::kill(pid, SIGTERM);
  const int status = Wait(pid);
  ::close(input[1]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(test::ReadFileBytes(out / "out.txt"), "old");
  EXPECT_EQ(Names(out), std::vector<std::string>{"out.txt"});
}

// SIGKILL leaves the temporary file; the next run to the same file removes it.
TEST(SfconvProgram, TheNextRunRemovesWhatAKilledRunLeft) {
  TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  std::filesystem::create_directory(out);
  WriteFile(out / "out.txt", "old");
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Start({"to-devanagari", "-o", (out / "out.txt").string()}, input[0], null,
                          dir.path() / "err.txt");
  ::close(input[0]);
  ::close(null);
  ASSERT_GT(pid, 0);
  const std::string text(1 << 20, 'k');
  EXPECT_EQ(::write(input[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  for (int wait = 0; wait < 1000 && Names(out).size() < 2; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(Names(out).size(), 2u);
  ::kill(pid, SIGKILL);
  const int status = Wait(pid);
  ::close(input[1]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  EXPECT_EQ(Names(out).size(), 2u) << "the killed run could not clean up";

  WriteFile(dir.path() / "in.txt", "ka");
  const Outcome next = Sfconv(
      {"to-devanagari", "-i", (dir.path() / "in.txt").string(), "-o", (out / "out.txt").string()});
  EXPECT_EQ(next.status, kExitOk) << next.err;
  EXPECT_EQ(Names(out), std::vector<std::string>{"out.txt"});
  EXPECT_BYTES("k ", test::ReadFileBytes(out / "out.txt"));
}

TEST(SfconvProgram, RunningOutOfMemoryIsReported) {
#ifdef SFC_TEST_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  TempDir dir;
  const std::string path = dir.path().string();
  WriteFile(dir.path() / "big.txt", std::string(8 << 20, 'k'));
  std::filesystem::create_directory(dir.path() / "out");
  WriteFile(dir.path() / "out" / "out.txt", "old");
  EXPECT_EQ(RunScript("ulimit -v 16000; $SFCONV to-devanagari -i " + path + "/big.txt -o " + path +
                      "/out/out.txt 2> " + path + "/err.txt"),
            kExitFileError);
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "err.txt"), "sfconv: out of memory\n");
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out" / "out.txt"), "old");
  EXPECT_EQ(Names(dir.path() / "out"), std::vector<std::string>{"out.txt"});
}

}  // namespace
}  // namespace sfc
