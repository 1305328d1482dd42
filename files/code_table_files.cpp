#include "code_table_files.h"

namespace sfc {

std::filesystem::path DataDirectory() { return {}; }
LoadReport LoadCodeTables(ConverterState&, const std::filesystem::path&) { return {}; }
std::string FormatProblem(const TableProblem& problem) { return problem.message; }
std::vector<TableProblem> CheckCodeTables(const std::filesystem::path&) { return {}; }
std::optional<std::string> ExportCodeTables(const ConverterState&, const std::filesystem::path&) {
  return std::string("not yet");
}

}  // namespace sfc
