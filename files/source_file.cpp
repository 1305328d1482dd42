#include "source_file.h"

#include <cerrno>
#include <system_error>

namespace sfc {

SourceFile OpenSourceFile(const std::filesystem::path& path) {
  SourceFile file;
  file.path = path;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    file.failure = OpenFailure::kMissing;
    return file;
  }
  if (status.type() == std::filesystem::file_type::directory) {
    file.failure = OpenFailure::kDirectory;
    return file;
  }
  if (status.type() != std::filesystem::file_type::regular && !error) {
    file.failure = OpenFailure::kNotOpened;  // a device or a pipe: it may never end
    file.reason = "not a regular file";
    return file;
  }
  errno = 0;
  file.stream.open(path, std::ios::in | std::ios::binary);
  if (!file.stream.is_open()) {
    file.failure = OpenFailure::kNotOpened;
    const int code = errno != 0 ? errno : (error ? error.value() : 0);
    if (code != 0) file.reason = std::generic_category().message(code);
  }
  return file;
}

std::string DescribeFailure(const std::filesystem::path& path, OpenFailure failure,
                            const std::string& reason) {
  const std::string name = path.string();
  switch (failure) {
    case OpenFailure::kNone:
      return name;
    case OpenFailure::kMissing:
      return "there is no such file as " + name;
    case OpenFailure::kDirectory:
      return name + " is a directory, not a file";
    case OpenFailure::kNotOpened:
      return name + " cannot be opened" + (reason.empty() ? "" : " (" + reason + ")");
    case OpenFailure::kReadFailed:
      return name + " could not be read to its end";
  }
  return name;
}

}  // namespace sfc
