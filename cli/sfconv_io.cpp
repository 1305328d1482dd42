#include "sfconv_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <istream>
#include <ostream>

namespace sfc {

namespace {

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

}  // namespace

InputSource::InputSource(std::istream& in) : stream_(&in) {}

InputSource::InputSource(const std::filesystem::path& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw IoError("cannot open " + Quoted(path) + " for reading" + SystemReason(errno));
  struct stat status {};
  if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
    size_hint_ = static_cast<std::size_t>(status.st_size);
  }
}

InputSource::~InputSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::string_view InputSource::NextBlock() {
  block_.resize(kBlockSize);
  std::size_t size = 0;
  if (stream_ != nullptr) {
    errno = 0;
    stream_->read(block_.data(), static_cast<std::streamsize>(kBlockSize));
    if (stream_->bad()) throw IoError("cannot read standard input" + SystemReason(errno));
    size = static_cast<std::size_t>(stream_->gcount());
  } else {
    ssize_t got = 0;
    do {
      got = ::read(fd_, block_.data(), kBlockSize);
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw IoError("cannot read " + Quoted(path_) + SystemReason(errno));
    size = static_cast<std::size_t>(got);
  }
  return std::string_view(block_.data(), size);
}

std::string InputSource::ReadAll() {
  std::string text;
  text.reserve(size_hint_ + 1);
  for (std::string_view block = NextBlock(); !block.empty(); block = NextBlock()) {
    text.append(block);
  }
  return text;
}

OutputTarget::OutputTarget(std::ostream& out) : stream_(&out) {}

OutputTarget::OutputTarget(const std::filesystem::path& path)
    : file_(std::make_unique<AtomicFile>(path)) {}

void OutputTarget::Write(std::string_view bytes) {
  if (file_) {
    file_->Write(bytes);
    return;
  }
  errno = 0;
  stream_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!*stream_) throw IoError("cannot write standard output" + SystemReason(errno));
}

void OutputTarget::Commit() {
  if (file_) {
    file_->Commit();
    return;
  }
  errno = 0;
  stream_->flush();
  if (!*stream_) throw IoError("cannot write standard output" + SystemReason(errno));
}

}  // namespace sfc
