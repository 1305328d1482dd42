// A file that takes the place of its target whole or not at all.

#include "atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "test_support.h"

namespace sfc {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadFileBytes;
using Strings = std::vector<std::string>;

// The message of the IoError that `run` throws.
template <typename Run>
std::string ErrorOf(Run run) {
  try {
    run();
  } catch (const IoError& error) {
    return error.what();
  }
  return "no error";
}

TEST(AtomicFileTest, TheTargetChangesOnlyAtCommitAndWithoutOneNothingIsLeft) {
  test::TempDir dir;
  dir.Write("out.txt", "old");
  const std::string large(200 * 1024, 'k');
  {
    AtomicFile file(dir.path() / "out.txt");
    for (const std::string& piece : {std::string("ab"), large, std::string(), std::string("cd")}) {
      file.Write(piece);
    }
    file.Finish();
    EXPECT_THROW(file.Write("more"), IoError);
    EXPECT_EQ(ReadFileBytes(dir.path() / "out.txt"), "old");
    EXPECT_EQ(ReadFileBytes(file.temporary()), "ab" + large + "cd");
    file.Commit();
    EXPECT_THROW(file.Commit(), IoError);
  }
  EXPECT_EQ(ReadFileBytes(dir.path() / "out.txt"), "ab" + large + "cd");
  // Never committed, finished or not: the temporary file is removed.
  for (const char* name : {"out.txt", "new.txt"}) {
    for (const bool finish : {false, true}) {
      AtomicFile file(dir.path() / name);
      file.Write("new");
      if (finish) file.Finish();
    }
  }
  // Nor is it left when a signal handler removes it, and then there is nothing to commit.
  AtomicFile removed(dir.path() / "new.txt");
  removed.Write("new");
  RemoveUncommittedTemporaryFiles();
  EXPECT_THROW(removed.Commit(), IoError);
  EXPECT_EQ(Names(dir.path()), Strings{"out.txt"});
  EXPECT_EQ(ReadFileBytes(dir.path() / "out.txt"), "ab" + large + "cd");
}

TEST(AtomicFileTest, KeepsThePermissionBitsAndTheLinkToTheReplacedFile) {
  test::TempDir dir;
  fs::create_directory(dir.path() / "sub");
  dir.Write("sub/real.txt", "old");
  const fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                          fs::perms::others_exec;
  fs::permissions(dir.path() / "sub/real.txt", perms);
  fs::create_symlink("sub/real.txt", dir.path() / "link");
  AtomicFile file(dir.path() / "link");
  EXPECT_EQ(file.destination(), dir.path() / "sub/real.txt");
  EXPECT_EQ(file.temporary().parent_path(), dir.path() / "sub");
  file.Write("new");
  file.Commit();
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "sub/real.txt"), "new");
  EXPECT_EQ(fs::status(dir.path() / "sub/real.txt").permissions(), perms);
  EXPECT_EQ(Names(dir.path() / "sub"), Strings{"real.txt"});
}

TEST(AtomicFileTest, ADeviceOrDescriptorIsWrittenDirectlyAndFailuresNameTheFile) {
  test::TempDir dir;
  dir.Write("log.txt", "old ");
  const int descriptor = ::open((dir.path() / "log.txt").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(descriptor, 0);
  for (const std::string& name :
       {std::string("/dev/null"), "/dev/fd/" + std::to_string(descriptor)}) {
    AtomicFile file(name);
    EXPECT_TRUE(file.temporary().empty());
    file.Write("new");
    file.Commit();
  }
  ::close(descriptor);
  EXPECT_EQ(ReadFileBytes(dir.path() / "log.txt"), "old new");
  EXPECT_EQ(Names(dir.path()), Strings{"log.txt"});
  const std::string full = "cannot write \"/dev/full\"" + SystemReason(ENOSPC);
  for (const bool commit : {false, true}) {
    EXPECT_EQ(ErrorOf([commit] {
                AtomicFile file("/dev/full");
                file.Write("bytes");
                commit ? file.Commit() : file.Finish();
              }),
              full);
  }
  const fs::path missing = dir.path() / "no" / "out.txt";
  EXPECT_EQ(ErrorOf([&missing] { AtomicFile file(missing); }),
            "cannot write \"" + missing.string() + "\": cannot create a temporary file in \"" +
                missing.parent_path().string() + "\"" + SystemReason(ENOENT));
  EXPECT_NE(ErrorOf([&dir] { AtomicFile file(dir.path()); }), "no error");
}

void KillAndWait(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  pid = -1;
}

// A writer in a child process that writes part of its file and waits; with
// `hand_on`, a grandchild keeps the open file (and its lock) after it.
struct ChildWriter {
  ChildWriter(const fs::path& target, bool hand_on) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      AtomicFile file(target);
      file.Write(std::string(300 * 1024, 'k'));  // more than is held back: on disk
      pid_t grandchild = 0;
      if (hand_on && (grandchild = ::fork()) == 0) {
        for (;;) ::pause();
      }
      [[maybe_unused]] const ssize_t told = ::write(ready[1], &grandchild, sizeof grandchild);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    if (pid < 0 || ::read(ready[0], &holder, sizeof holder) != sizeof holder) holder = -1;
    ::close(ready[0]);
  }
  ChildWriter(const ChildWriter&) = delete;
  ChildWriter& operator=(const ChildWriter&) = delete;
  ~ChildWriter() {
    KillAndWait(pid);
    KillAndWait(holder);
  }
  pid_t pid = -1;
  pid_t holder = -1;
};

// The next writer removes what a killed writer left, never the file of a
// writer at work.
TEST(AtomicFileTest, TheNextWriterRemovesWhatAKilledWriterLeft) {
  struct Case {
    const char* name;
    bool killed;   // the writer is killed before the next one starts
    bool hand_on;  // its open file lives on in another process
    bool removed;  // the next writer removes the temporary file
  };
  for (const Case& c : {
           Case{"killed", true, false, true},
           Case{"still writing", false, false, false},
           Case{"killed, its file still open elsewhere", true, true, false},
       }) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    dir.Write("out.txt", "old");
    ChildWriter writer(dir.path() / "out.txt", c.hand_on);
    ASSERT_GT(writer.pid, 0);
    ASSERT_EQ(Names(dir.path()).size(), 2u);
    const std::string left = Names(dir.path())[0];
    EXPECT_TRUE(left.starts_with(".out.txt." + std::to_string(writer.pid) + ".")) << left;
    ASSERT_TRUE(!c.hand_on || writer.holder > 0);
    if (c.killed) KillAndWait(writer.pid);
    {
      AtomicFile next(dir.path() / "out.txt");
      next.Write("new");
      next.Commit();
    }
    EXPECT_EQ(ReadFileBytes(dir.path() / "out.txt"), "new");
    EXPECT_EQ(Names(dir.path()), (c.removed ? Strings{"out.txt"} : Strings{left, "out.txt"}));
  }
}

// Only temporary files of the same target, named as this program names them.
TEST(AtomicFileTest, OtherFilesAreNotRemoved) {
  test::TempDir dir;
  ChildWriter writer(dir.path() / "out.txt.bak", false);
  ASSERT_GT(writer.pid, 0);
  const std::string dead = std::to_string(writer.pid);
  KillAndWait(writer.pid);
  for (const std::string& name : {
           ".out.txt." + dead + ".tmp",                // no suffix
           ".out.txt." + dead + ".abcdefg.tmp",        // a suffix too short
           ".out.txt." + dead + ".abcdefghi.tmp",      // a suffix too long
           ".out.txt.x" + dead + ".abcdefgh.tmp",      // no process number
           ".out.txt." + dead + ".ABCDEFGH.tmp",       // not our letters
           "out.txt." + dead + ".abcdefgh.tmp",        // not hidden
           ".out.txt." + dead + ".abcdefgh.tmp.keep",  // another ending
       }) {
    dir.Write(name, "x");
  }
  const Strings before = Names(dir.path());
  AtomicFile next(dir.path() / "out.txt");
  next.Commit();
  Strings after = Names(dir.path());
  std::erase(after, "out.txt");
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace sfc
