// Where sfconv reads its input and writes its output, block by block.
// Failures throw IoError with one line that names the file and the reason.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "atomic_file.h"

namespace sfc {

// Standard input (the caller's stream) or a file.
class InputSource {
 public:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  explicit InputSource(std::istream& in);
  // Opens the file now.
  explicit InputSource(const std::filesystem::path& path);
  ~InputSource();
  InputSource(const InputSource&) = delete;
  InputSource& operator=(const InputSource&) = delete;

  // The next block of at most kBlockSize bytes; empty at the end of the
  // input. It stays valid until the next call.
  std::string_view NextBlock();
  // The rest of the input, its blocks one after another.
  std::string ReadAll();

 private:
  std::istream* stream_ = nullptr;
  std::filesystem::path path_;
  int fd_ = -1;
  std::size_t size_hint_ = 0;
  std::string block_;
};

// Standard output (the caller's stream) or a file that takes the place of the
// old one only at Commit(); see AtomicFile. A target that is never committed
// leaves the file as it was.
class OutputTarget {
 public:
  explicit OutputTarget(std::ostream& out);
  // Opens the file (its temporary file) now.
  explicit OutputTarget(const std::filesystem::path& path);

  // May be called any number of times before Commit().
  void Write(std::string_view bytes);
  // Flushes standard output, or puts the file in place.
  void Commit();

 private:
  std::ostream* stream_ = nullptr;
  std::unique_ptr<AtomicFile> file_;
};

}  // namespace sfc
