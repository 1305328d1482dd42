#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "message_text.h"
#include "table_dump.h"

namespace sfc::test {

std::string Show(std::string_view bytes) { return ShownBytes(bytes, bytes.size()); }

::testing::AssertionResult BytesEqual(std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  // Long texts are shown around the first difference only.
  const std::size_t from = at > 40 ? at - 40 : 0;
  auto window = [&](std::string_view text) {
    return (from > 0 ? "..." : "") + Show(text.substr(std::min(from, text.size()), 120));
  };
  return ::testing::AssertionFailure()
         << "bytes differ at offset " << at << "\n  expected: " << window(expected)
         << "\n    actual: " << window(actual);
}

std::string B(std::initializer_list<Piece> pieces) {
  std::string out;
  for (const Piece& piece : pieces) out += piece.bytes;
  return out;
}

TempDir::TempDir() {
  std::random_device random;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test ? std::string(test->name()) : "test";
  // A parameterized test's name holds a "/".
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
  }
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

std::filesystem::path TestDataDir() { return SFC_TEST_DATA_DIR; }

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::istringstream text(ReadFileBytes(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::string DataLines(std::string_view file, std::size_t count) {
  const std::vector<std::string> lines = ReadLines(TestDataDir() / file);
  std::string text;
  for (std::size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i] + "\n";
  return text;
}

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> Contents(const std::filesystem::path& dir) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    contents[entry.path().filename().string()] = entry.is_symlink() ? "-> " + entry.path().string()
                                                 : entry.is_regular_file()
                                                     ? ReadFileBytes(entry.path())
                                                     : "(not a file)";
  }
  return contents;
}

std::string Repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

ConverterState StateFor(TranslitFont translit, DevanagariFont devanagari) {
  ConverterState state = MakeStartupState();
  PressDevanagariFontButton(state, devanagari);
  PressTranslitFontButton(state, translit);
  return state;
}

std::filesystem::path GitaFile(TranslitFont font) {
  switch (font) {
    case TranslitFont::kUrwPalladioIt:
      return TestDataDir() / "gita.urw-palladio-it.txt";
    case TranslitFont::kSanskritTimes:
      return TestDataDir() / "gita.sanskrit-times.txt";
    case TranslitFont::kItrTransTimes:
      return TestDataDir() / "gita.itrtranstimes.txt";
  }
  return {};
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
