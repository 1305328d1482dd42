// Opening the program's text files for reading, and the words for a file
// that cannot be read.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace sfc {

enum class OpenFailure {
  kNone,
  kMissing,     // there is no such file
  kDirectory,   // a directory stands where the file should be
  kNotOpened,   // it exists but cannot be opened
  kReadFailed,  // it was opened but could not be read to its end
};

struct SourceFile {
  std::filesystem::path path;
  std::ifstream stream;  // open for binary reading when failure is kNone
  OpenFailure failure = OpenFailure::kNone;
  std::string reason;  // the system's words for kNotOpened, when it has any
};

SourceFile OpenSourceFile(const std::filesystem::path& path);

// The one description of a file that cannot be read, naming its path, e.g.
// "there is no such file as ~/lipikara/devitran.cod" with the path written out.
std::string DescribeFailure(const std::filesystem::path& path, OpenFailure failure,
                            const std::string& reason = {});

}  // namespace sfc
