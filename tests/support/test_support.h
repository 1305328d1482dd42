// Helpers shared by the test binaries.
#pragma once

// Defined in a build under AddressSanitizer (memory figures differ there).
#if defined(__SANITIZE_ADDRESS__)
#define SFC_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SFC_TEST_UNDER_ASAN 1
#endif
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "code_table_files.h"
#include "sanideva_table.h"
#include "state.h"
#include "translit_letters.h"

namespace sfc {

// How a failing test shows a problem.
inline void PrintTo(const TableProblem& problem, std::ostream* out) {
  *out << FormatProblem(problem);
}

}  // namespace sfc

namespace sfc::test {

// Bytes in full as messages to users show them (ShownBytes).
std::string Show(std::string_view bytes);

// On a mismatch, both in Show() form around the first difference.
::testing::AssertionResult BytesEqual(std::string_view expected, std::string_view actual);
#define EXPECT_BYTES(expected, actual) EXPECT_TRUE(::sfc::test::BytesEqual((expected), (actual)))

// Builds a byte string from pieces: text pieces as they are, numbers as bytes.
// B("k", 255, "_") is the three bytes "k", 255, "_".
struct Piece {
  Piece(const char* text) : bytes(text) {}                // NOLINT: implicit on purpose
  Piece(std::string_view text) : bytes(text) {}           // NOLINT
  Piece(int byte) : bytes(1, static_cast<char>(byte)) {}  // NOLINT
  std::string bytes;
};
std::string B(std::initializer_list<Piece> pieces);

// A temporary directory, removed with everything in it at the end of its scope.
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

std::filesystem::path TestDataDir();
std::string ReadFileBytes(const std::filesystem::path& path);
// The lines of a file, without their line feeds.
std::vector<std::string> ReadLines(const std::filesystem::path& path);
// The first `count` lines of a file of the test data, each with its line feed.
std::string DataLines(std::string_view file, std::size_t count);
// The sorted names in a directory; what each entry holds (a link as
// "-> path", a directory as "(not a file)").
std::vector<std::string> Names(const std::filesystem::path& dir);
std::map<std::string, std::string> Contents(const std::filesystem::path& dir);
std::string Repeat(std::string_view piece, int times);

// The window state after start-up, the Devanagari font button and then the
// transliteration font button.
ConverterState StateFor(TranslitFont translit, DevanagariFont devanagari);

// The corpus file of the Gita in a transliteration font.
std::filesystem::path GitaFile(TranslitFont font);

// The three code-table files at once.
struct TableFiles {
  std::string sanideva;
  std::string lipikara;
  std::string devitran;
};
void WriteTableFiles(const TempDir& dir, const TableFiles& files);

// The tables listing without its font line and positions.
std::string DumpRows(const ConverterState& state);

}  // namespace sfc::test
