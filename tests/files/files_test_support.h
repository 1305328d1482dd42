// Helpers of the code-table file tests: the three files in a temporary directory.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "code_table_files.h"
#include "state.h"
#include "test_support.h"

namespace sfc {

// How a failing test shows a problem.
inline void PrintTo(const TableProblem& problem, std::ostream* out) {
  *out << FormatProblem(problem);
}

}  // namespace sfc

namespace sfc::test {

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
