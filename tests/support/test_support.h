// Helpers shared by the test binaries.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "sanideva_table.h"
#include "state.h"
#include "translit_letters.h"

namespace sfc::test {

// Bytes as text for failure messages: printable ASCII as itself, every other
// byte as <NNN> (decimal).
std::string Show(std::string_view bytes);

// Compares two byte strings and, on a mismatch, prints both in Show() form
// with the offset of the first difference.
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

std::filesystem::path TestDataDir();
std::string ReadFileBytes(const std::filesystem::path& path);
// The lines of a file, without their line feeds.
std::vector<std::string> ReadLines(const std::filesystem::path& path);

// The window state after start-up, the Devanagari font button and then the
// transliteration font button.
ConverterState StateFor(TranslitFont translit, DevanagariFont devanagari);

// The corpus file of the Gita in a transliteration font.
std::filesystem::path GitaFile(TranslitFont font);

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

}  // namespace sfc::test
