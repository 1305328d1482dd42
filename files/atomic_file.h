// Writing a file so that it is replaced whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sfc {

// A file that could not be read or written. what() is one line that names
// the file and gives the system's reason, e.g.
// cannot write "verse.s99" (No space left on device).
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's words for an errno value, in parentheses after a space, or
// nothing for 0.
std::string SystemReason(int error_number);

// A file written in pieces that takes the place of its target only when
// Commit() is called.
//
// The bytes go to a new temporary file in the target's directory, which
// Commit() renames over the target in one step; until then the target, if
// there is one, is as it was, and may even be read while the new file is
// written. A temporary file that is not committed is removed by the
// destructor. The new file keeps the permission bits (and, where allowed,
// the owner and group) of the file it replaces.
//
// A symbolic link is followed: the file it names is replaced, not the link.
// A target that is not a regular file (a device such as /dev/null, or a
// FIFO) cannot be replaced; it is opened and written directly, and Commit()
// only flushes the last bytes to it. A name of an open file descriptor
// (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) writes directly to
// a copy of that descriptor, wherever it points.
//
// Every failure throws IoError.
class AtomicFile {
 public:
  explicit AtomicFile(const std::filesystem::path& target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends bytes; may be called any number of times before Commit().
  void Write(std::string_view bytes);
  // Writes what is still held back and makes it durable, but leaves the
  // target as it is: what can fail for want of space fails here. Files
  // that must change together are all finished before any is committed.
  // After Finish() the object writes nothing more.
  void Finish();
  // Finishes the file when that is not done yet and puts it in place of the
  // target. After Commit() the object writes nothing more.
  void Commit();

  // The path as given, for messages.
  const std::filesystem::path& target() const { return target_; }
  // The file that will be replaced (the target with its links followed).
  const std::filesystem::path& destination() const { return destination_; }
  // The temporary file, or empty when the target is written directly or
  // the file has been committed.
  const std::filesystem::path& temporary() const { return temporary_; }

 private:
  void Flush();
  void WriteOut(std::string_view bytes);
  // Starts the disk writes of a temporary file's bytes, a megabyte at a time.
  void StartWriteback();
  [[noreturn]] void Fail(const std::string& what, int error_number);
  void Discard() noexcept;

  std::filesystem::path target_;
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  int signal_slot_ = -1;
  bool finished_ = false;
  std::string buffer_;
  std::uint64_t written_ = 0;       // bytes written to the file
  std::uint64_t written_back_ = 0;  // of which on their way to the disk
};

// Removes the temporary files of every AtomicFile not yet committed or
// destroyed. It only calls unlink(), so a handler of SIGINT or SIGTERM may
// call it before the program ends.
void RemoveUncommittedTemporaryFiles() noexcept;

}  // namespace sfc
