#include "atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <utility>

namespace sfc {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// A temporary file's bytes start on their way to the disk each time this
// many more are written, so that the fsync() at the end waits only for the
// last of them.
constexpr std::uint64_t kWritebackStep = 1024 * 1024;

// Temporary files are named ".NAME.PID.SUFFIX.tmp": NAME the target's
// file name (cut to kNameKept bytes), PID the writer's process, SUFFIX
// kSuffixLength letters and digits. The writer holds a lock on its file.
constexpr std::size_t kNameKept = 200;
constexpr std::size_t kSuffixLength = 8;

// The temporary files that a signal handler removes: a few fixed slots of
// plain bytes, so that the handler reads no memory that may be changing.
enum SlotState : int { kSlotFree, kSlotTaken, kSlotArmed };
constexpr int kSignalSlots = 8;
constexpr std::size_t kSlotPathSize = 4096;
struct SignalSlot {
  std::atomic<int> state{kSlotFree};
  char path[kSlotPathSize] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);
SignalSlot g_signal_slots[kSignalSlots];

// A slot that holds path, or -1 when there is none free (the file is then
// only removed by its AtomicFile).
int ArmSignalSlot(const std::string& path) {
  if (path.size() >= kSlotPathSize) return -1;
  for (int i = 0; i < kSignalSlots; ++i) {
    int expected = kSlotFree;
    if (g_signal_slots[i].state.compare_exchange_strong(expected, kSlotTaken)) {
      std::memcpy(g_signal_slots[i].path, path.c_str(), path.size() + 1);
      g_signal_slots[i].state.store(kSlotArmed);
      return i;
    }
  }
  return -1;
}

void ReleaseSignalSlot(int& slot) noexcept {
  if (slot >= 0) g_signal_slots[slot].state.store(kSlotFree);
  slot = -1;
}

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// The path with its symbolic links followed to the file they name, which
// need not exist yet.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink(path, error);
    if (error) return path;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

// The open file descriptor that a name such as /dev/stdout or /dev/fd/3
// stands for, or -1.
int DescriptorNamed(const std::string& name) {
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (name.size() > prefix.size() && name.size() <= prefix.size() + 6 &&
        name.compare(0, prefix.size(), prefix) == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      return std::stoi(name.substr(prefix.size()));
    }
  }
  return -1;
}

// A name for a temporary file that no one else is likely to choose.
std::string UniqueSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x = static_cast<std::uint64_t>(::getpid()) * 0x9e3779b97f4a7c15u;
  x ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  x += counter.fetch_add(1) * 0xbf58476d1ce4e5b9u;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
  x ^= x >> 31;
  constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (std::size_t i = 0; i < kSuffixLength; ++i, x /= kDigits.size()) {
    suffix += kDigits[x % kDigits.size()];
  }
  return suffix;
}

std::string TemporaryName(const std::string& name, std::string_view suffix) {
  return "." + name + "." + std::to_string(::getpid()) + "." + std::string(suffix) + ".tmp";
}

// The writer's process of a temporary file of `name`, or -1 when the file
// name is not one.
long WriterOf(std::string_view file, const std::string& name) {
  const std::string prefix = "." + name + ".";
  constexpr std::string_view kEnd = ".tmp";
  if (file.size() < prefix.size() + kEnd.size() || !file.starts_with(prefix) ||
      !file.ends_with(kEnd)) {
    return -1;
  }
  const std::string_view middle =
      file.substr(prefix.size(), file.size() - prefix.size() - kEnd.size());
  const std::size_t dot = middle.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 9 ||
      middle.size() - dot - 1 != kSuffixLength) {
    return -1;
  }
  long pid = 0;
  for (const char c : middle.substr(0, dot)) {
    if (c < '0' || c > '9') return -1;
    pid = pid * 10 + (c - '0');
  }
  for (const char c : middle.substr(dot + 1)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return -1;
  }
  return pid;
}

// Whether the writer of a temporary file is gone: its process is gone and
// no one holds the file's lock (a process of the same number may have come
// since; a lock outlives no process, whatever ended it).
bool WriterIsGone(int dir_fd, const char* file, long pid) {
  if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) return false;
  const int fd = ::openat(dir_fd, file, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES;  // a file without read permission: the process decides
  const bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
  ::close(fd);
  return unlocked;
}

// Removes the temporary files for `name` in `directory` that a writer
// killed before it could remove them left behind: only regular files of
// this user whose writer is gone.
void RemoveStaleTemporaryFiles(const std::filesystem::path& directory, const std::string& name) {
  DIR* const dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  const int dir_fd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const long pid = WriterOf(entry->d_name, name);
    if (pid < 0) continue;
    struct stat status {};
    if (::fstatat(dir_fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
      continue;
    }
    if (WriterIsGone(dir_fd, entry->d_name, pid)) ::unlinkat(dir_fd, entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

std::string SystemReason(int error_number) {
  if (error_number == 0) return {};
  return " (" + std::generic_category().message(error_number) + ")";
}

AtomicFile::AtomicFile(const std::filesystem::path& target) : target_(target) {
  buffer_.reserve(kBufferSize);
  if (const int descriptor = DescriptorNamed(target.string()); descriptor >= 0) {
    // Opening the name anew would start at the beginning of the file the
    // descriptor may be appending to; a copy of the descriptor writes on.
    destination_ = target;
    fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) Fail("cannot write", errno);
    return;
  }
  struct stat status {};
  const bool exists = ::stat(target.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) Fail("cannot write", errno);
  if (exists && S_ISDIR(status.st_mode)) Fail("cannot write", EISDIR);
  if (exists && !S_ISREG(status.st_mode)) {
    // A device or a FIFO: there is nothing to replace.
    destination_ = target;
    fd_ = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) Fail("cannot open", errno);
    return;
  }
  destination_ = FollowLinks(target);
  if (!destination_.has_filename()) Fail("cannot write", EISDIR);
  if (exists && ::access(destination_.c_str(), W_OK) != 0) Fail("cannot write", errno);

  const std::filesystem::path directory =
      destination_.has_parent_path() ? destination_.parent_path() : std::filesystem::path(".");
  const std::string name = destination_.filename().string().substr(0, kNameKept);
  RemoveStaleTemporaryFiles(directory, name);
  // A signal that ends the program between the creation of the file and
  // its slot would leave the file behind: they wait until both are done.
  sigset_t ending;
  sigset_t before;
  sigemptyset(&ending);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal_number);
  const bool blocked = ::pthread_sigmask(SIG_BLOCK, &ending, &before) == 0;
  int error_number = EEXIST;
  for (int attempt = 0; attempt < 100 && fd_ < 0 && error_number == EEXIST; ++attempt) {
    const std::filesystem::path candidate = directory / TemporaryName(name, UniqueSuffix());
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    error_number = errno;
    if (fd_ >= 0) {
      temporary_ = candidate;
      signal_slot_ = ArmSignalSlot(candidate.string());
      // Held until the file is closed or the process ends, however it ends.
      [[maybe_unused]] const int locked = ::flock(fd_, LOCK_EX | LOCK_NB);
    }
  }
  if (blocked) ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (fd_ < 0) {
    throw IoError("cannot write " + Quoted(target_) + ": cannot create a temporary file in " +
                  Quoted(directory) + SystemReason(error_number));
  }
  if (exists) {
    // Owner and group where the system allows it, then the permission bits.
    if (::fchown(fd_, status.st_uid, status.st_gid) != 0) {
      [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), status.st_gid);
    }
    if (::fchmod(fd_, status.st_mode & 0777) != 0) Fail("cannot set the permissions of", errno);
  }
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) throw IoError("cannot write " + Quoted(target_) + ": it is already closed");
  if (buffer_.size() + bytes.size() <= kBufferSize) {
    buffer_.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() >= kBufferSize) {
    WriteOut(bytes);
  } else {
    buffer_.assign(bytes);
  }
}

void AtomicFile::Finish() {
  if (fd_ < 0) throw IoError("cannot write " + Quoted(target_) + ": it is already closed");
  Flush();
  if (!temporary_.empty() && ::fsync(fd_) != 0) Fail("cannot write", errno);
  if (::close(std::exchange(fd_, -1)) != 0) Fail("cannot write", errno);
  finished_ = true;
}

void AtomicFile::Commit() {
  if (!finished_) Finish();
  finished_ = false;
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), destination_.c_str()) != 0) Fail("cannot replace", errno);
  temporary_.clear();
  ReleaseSignalSlot(signal_slot_);
}

void AtomicFile::Flush() {
  WriteOut(buffer_);
  buffer_.clear();
}

void AtomicFile::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) Fail("cannot write", errno);
    if (written == 0) Fail("cannot write", ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(written));
    written_ += static_cast<std::uint64_t>(written);
  }
  StartWriteback();
}

void AtomicFile::StartWriteback() {
  if (temporary_.empty() || written_ - written_back_ < kWritebackStep) return;
#if defined(SYNC_FILE_RANGE_WRITE) && !defined(__EMSCRIPTEN__)  // the call is Linux's own
  // Only a hint: a failure shows again at the fsync().
  ::sync_file_range(fd_, static_cast<off_t>(written_back_),
                    static_cast<off_t>(written_ - written_back_), SYNC_FILE_RANGE_WRITE);
#endif
  written_back_ = written_;
}

void AtomicFile::Fail(const std::string& what, int error_number) {
  Discard();
  throw IoError(what + " " + Quoted(target_) + SystemReason(error_number));
}

void AtomicFile::Discard() noexcept {
  finished_ = false;
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  ReleaseSignalSlot(signal_slot_);
  buffer_.clear();
}

void RemoveUncommittedTemporaryFiles() noexcept {
  for (SignalSlot& slot : g_signal_slots) {
    if (slot.state.load() == kSlotArmed) ::unlink(slot.path);
  }
}

}  // namespace sfc
