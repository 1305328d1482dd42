// A file that takes the place of its target whole or not at all.

#include "atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace sfc {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicFileTest, TheTargetChangesOnlyAtCommit) {
  test::TempDir dir;
  dir.Write("out.txt", "old");
  const std::string large(200 * 1024, 'k');
  {
    AtomicFile file(dir.path() / "out.txt");
    file.Write("ab");
    file.Write(large);
    file.Write("");
    file.Write("cd");
    EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "old");
    EXPECT_EQ(Names(dir.path()).size(), 2u);
    file.Commit();
  }
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "ab" + large + "cd");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFileTest, WithoutCommitNothingIsLeft) {
  test::TempDir dir;
  dir.Write("out.txt", "old");
  {
    AtomicFile file(dir.path() / "out.txt");
    file.Write("new");
  }
  {
    AtomicFile file(dir.path() / "new.txt");
    file.Write("new");
  }
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "old");
}

TEST(AtomicFileTest, AFinishedFileWaitsForItsCommit) {
  test::TempDir dir;
  dir.Write("out.txt", "old");
  {
    AtomicFile file(dir.path() / "out.txt");
    file.Write("new");
    file.Finish();
    EXPECT_THROW(file.Write("more"), IoError);
    EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "old");
    EXPECT_EQ(test::ReadFileBytes(file.temporary()), "new");
  }
  // Never committed: the finished temporary file is removed too.
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "old");

  AtomicFile file(dir.path() / "out.txt");
  file.Write("new");
  file.Finish();
  file.Commit();
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "new");
  EXPECT_THROW(file.Commit(), IoError);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFileTest, AFullDeviceFailsAtFinish) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  AtomicFile file("/dev/full");
  file.Write("bytes");
  EXPECT_THROW(file.Finish(), IoError);
}

TEST(AtomicFileTest, KeepsThePermissionBits) {
  test::TempDir dir;
  dir.Write("out.txt", "old");
  fs::permissions(dir.path() / "out.txt", fs::perms::owner_read | fs::perms::owner_write |
                                              fs::perms::group_read | fs::perms::others_exec);
  AtomicFile file(dir.path() / "out.txt");
  file.Write("new");
  file.Commit();
  EXPECT_EQ(fs::status(dir.path() / "out.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_exec);
}

TEST(AtomicFileTest, ALinkKeepsPointingAtTheReplacedFile) {
  test::TempDir dir;
  fs::create_directory(dir.path() / "sub");
  dir.Write("sub/real.txt", "old");
  fs::create_symlink("sub/real.txt", dir.path() / "link");
  AtomicFile file(dir.path() / "link");
  EXPECT_EQ(file.destination(), dir.path() / "sub/real.txt");
  EXPECT_EQ(file.temporary().parent_path(), dir.path() / "sub");
  file.Write("new");
  file.Commit();
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "sub/real.txt"), "new");
  EXPECT_EQ(Names(dir.path() / "sub"), std::vector<std::string>{"real.txt"});
}

TEST(AtomicFileTest, ADeviceIsWrittenDirectlyAndAFullOneFails) {
  AtomicFile null_device("/dev/null");
  EXPECT_TRUE(null_device.temporary().empty());
  null_device.Write("bytes");
  null_device.Commit();

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  try {
    AtomicFile full("/dev/full");
    full.Write("bytes");
    full.Commit();
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), "cannot write \"/dev/full\"" + SystemReason(ENOSPC));
  }
}

TEST(AtomicFileTest, ADescriptorNameWritesOnWhereTheDescriptorIs) {
  test::TempDir dir;
  dir.Write("log.txt", "old ");
  const int descriptor = ::open((dir.path() / "log.txt").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(descriptor, 0);
  {
    AtomicFile file("/dev/fd/" + std::to_string(descriptor));
    EXPECT_TRUE(file.temporary().empty());
    file.Write("new");
    file.Commit();
  }
  ::close(descriptor);
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "log.txt"), "old new");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"log.txt"});
}

TEST(AtomicFileTest, FailuresNameTheFile) {
  test::TempDir dir;
  const fs::path missing = dir.path() / "no" / "out.txt";
  try {
    AtomicFile file(missing);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()),
              "cannot write \"" + missing.string() + "\": cannot create a temporary file in \"" +
                  missing.parent_path().string() + "\"" + SystemReason(ENOENT));
  }
  EXPECT_THROW(AtomicFile file(dir.path()), IoError);
}

TEST(AtomicFileTest, ASignalHandlerCanRemoveTheTemporaryFile) {
  test::TempDir dir;
  AtomicFile file(dir.path() / "out.txt");
  file.Write("new");
  EXPECT_EQ(Names(dir.path()).size(), 1u);
  RemoveUncommittedTemporaryFiles();
  EXPECT_TRUE(Names(dir.path()).empty());
  EXPECT_THROW(file.Commit(), IoError);
  EXPECT_TRUE(Names(dir.path()).empty());
}

}  // namespace
}  // namespace sfc
