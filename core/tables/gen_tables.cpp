// Build step: reads the data source of the built-in tables and writes the C++
// that sfc_core compiles.
//
//   sfc_gen_tables <builtin_tables.txt> <builtin_tables.cpp> <syllable_rows.h>
//
// A malformed data source prints "<file>:<line>: <what is wrong>", writes
// nothing and fails the build.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "table_source.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::cerr << path << ": cannot write\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: sfc_gen_tables <builtin_tables.txt> <tables.cpp> <syllable_rows.h>\n";
    return 2;
  }
  const std::string input = argv[1];
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << input << ": cannot read\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  const sfc::tables::ParsedTableSource parsed = sfc::tables::ParseTableSource(text.str(), input);
  if (!parsed.tables) {
    std::cerr << parsed.error << "\n";
    return 1;
  }
  const std::string name = std::filesystem::path(input).filename().string();
  const bool written =
      WriteFile(argv[2], sfc::tables::GenerateTablesSource(*parsed.tables, name)) &&
      WriteFile(argv[3], sfc::tables::GenerateRowNamesHeader(*parsed.tables, name));
  return written ? 0 : 1;
}
