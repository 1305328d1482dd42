#include "files_test_support.h"

#include "table_dump.h"

namespace sfc::test {

void WriteTableFiles(const TempDir& dir, const TableFiles& files) {
  dir.Write(kSyllableFileName, files.sanideva);
  dir.Write(kShortIFileName, files.lipikara);
  dir.Write(kGlyphFileName, files.devitran);
}

std::string DumpRows(const ConverterState& state) {
  std::string dump = DumpTables(state);
  dump.erase(0, dump.find('\n') + 1);   // the font line
  dump.erase(dump.find("position\t"));  // the positions at the end
  return dump;
}

}  // namespace sfc::test
