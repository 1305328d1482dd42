#include "files_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "table_dump.h"

namespace sfc::test {

TempDir::TempDir() {
  std::random_device random;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = test ? std::string(test->name()) : "files";
  for (;;) {
    path_ = std::filesystem::temp_directory_path() /
            ("sfc-" + name + "-" + std::to_string(random()) + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << (path_ / name);
}

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
