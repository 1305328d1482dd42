// Helpers of the code-table file tests: a temporary data directory.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "code_table_files.h"
#include "state.h"

namespace sfc {

// How a failing test shows a problem.
inline void PrintTo(const TableProblem& problem, std::ostream* out) {
  *out << FormatProblem(problem);
}

}  // namespace sfc

namespace sfc::test {

// A directory of its own under the system's temporary directory, removed
// with everything in it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes a file of the directory, byte for byte.
  void Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The three files at once.
struct TableFiles {
  std::string sanideva;
  std::string lipikara;
  std::string devitran;
};
void WriteTableFiles(const TempDir& dir, const TableFiles& files);

// The tables listing without its font line and positions: what a load is
// expected to reproduce.
std::string DumpRows(const ConverterState& state);

}  // namespace sfc::test
