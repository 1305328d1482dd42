// convert with a Devanagari font from code-table files: the files hold the
// special letters of the transliteration font they were written with, and
// the chain reads and writes those letters whatever the other end is.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "chain.h"
#include "run_sfconv.h"
#include "sanideva_table.h"
#include "session.h"
#include "sfconv.h"
#include "test_support.h"
#include "translit_letters.h"

namespace sfc {
namespace {

using test::Outcome;
using test::Sfconv;

const std::array<const char*, 3> kTranslitFontNames = {"Sanskrit-Times", "ITRTransTimes",
                                                       "URW Palladio IT"};
// Every end but a Devanagari font of the same tables.
const std::array<const char*, 6> kEnds = {"Sanskrit-Times", "ITRTransTimes", "URW Palladio IT",
                                          "iast",           "devanagari",    "Sanskrit 99"};

std::string GitaStart() {
  const std::vector<std::string> lines =
      test::ReadLines(test::TestDataDir() / "gita.sanskrit-times.txt");
  std::string text;
  for (std::size_t i = 0; i < 160 && i < lines.size(); ++i) text += lines[i] + "\n";
  return text;
}

std::string Output(const std::vector<std::string>& args, const std::string& input) {
  const Outcome outcome = Sfconv(args, input);
  EXPECT_EQ(outcome.status, 0) << testing::PrintToString(args) << ": " << outcome.err;
  return outcome.out;
}

// The Vedic tables written out with each transliteration font.
class LoadedVedic : public testing::Test {
 protected:
  std::string Tables(const char* translit) const {
    return (dir_.path() / FontFolder(translit)).string();
  }
  static std::string FontFolder(const std::string& translit) {
    std::string folder;
    for (const char c : translit) folder += c == ' ' ? '_' : c;
    return folder;
  }
  void SetUp() override {
    for (const char* translit : kTranslitFontNames) {
      ASSERT_EQ(
          Sfconv({"tables", "-d", "Vedic", "-t", translit, "--export", Tables(translit)}).status,
          0);
    }
  }
  test::TempDir dir_;
};

TEST_F(LoadedVedic, ConvertsFromTheLoadedFontAsFromTheBuiltInOneToEveryEnd) {
  const std::string vedic =
      Output({"convert", "--from", "Sanskrit-Times", "--to", "Vedic"}, GitaStart());
  for (const char* to : kEnds) {
    const std::string builtin = Output({"convert", "--from", "Vedic", "--to", to}, vedic);
    for (const char* translit : kTranslitFontNames) {
      EXPECT_EQ(Output({"convert", "--tables", Tables(translit), "--from", "My Vedic", "--to", to},
                       vedic),
                builtin)
          << "tables in " << translit << " -> " << to;
    }
  }
}

TEST_F(LoadedVedic, ConvertsToTheLoadedFontFromEveryEndAsThroughItsOwnLetters) {
  // A font of another name reads its clusters by other rules than the
  // built-in Vedic: the reference is the loaded font's own conversion from
  // the transliteration font of its files.
  const std::string vedic =
      Output({"convert", "--from", "Sanskrit-Times", "--to", "Vedic"}, GitaStart());
  for (const char* from : kEnds) {
    const std::string input = Output({"convert", "--from", "Vedic", "--to", from}, vedic);
    std::string first;
    for (const char* translit : kTranslitFontNames) {
      const std::string tables = Tables(translit);
      const std::string direct =
          Output({"convert", "--tables", tables, "--from", from, "--to", "My Vedic"}, input);
      const std::string in_its_letters =
          Output({"convert", "--from", from, "--to", translit}, input);
      EXPECT_EQ(direct,
                Output({"convert", "--tables", tables, "--from", translit, "--to", "My Vedic"},
                       in_its_letters))
          << from << " -> tables in " << translit;
      if (first.empty()) first = direct;
      EXPECT_EQ(direct, first) << from << " -> tables in " << translit;
    }
  }
}

TEST_F(LoadedVedic, DamagedTablesStopTheRunAndSaySo) {
  // The syllables in one font's letters and the glyphs in another's; and a
  // letter with no key.
  const test::TempDir damaged;
  const std::filesystem::path mixed = damaged.path() / "mixed";
  const std::filesystem::path no_key = damaged.path() / "no_key";
  std::filesystem::create_directories(mixed);
  std::filesystem::create_directories(no_key);
  const std::filesystem::path times = Tables("Sanskrit-Times");
  const std::filesystem::path itrans = Tables("ITRTransTimes");
  for (const char* file : {"sanideva.cod", "lipikara.mmy"}) {
    std::filesystem::copy_file(itrans / file, mixed / file);
  }
  std::filesystem::copy_file(times / "devitran.cod", mixed / "devitran.cod");
  std::string syllables = test::ReadFileBytes(times / "sanideva.cod");
  ASSERT_EQ(syllables.substr(0, 2), "\x80,");  // the key of the first row, ā
  syllables.erase(0, 1);
  {
    std::filesystem::copy_file(times / "lipikara.mmy", no_key / "lipikara.mmy");
    std::filesystem::copy_file(times / "devitran.cod", no_key / "devitran.cod");
    std::ofstream(no_key / "sanideva.cod", std::ios::binary) << syllables;
  }
  const std::string vedic =
      Output({"convert", "--from", "Sanskrit-Times", "--to", "Vedic"}, "karma\n");
  const std::string output = (damaged.path() / "out.txt").string();
  for (const std::filesystem::path& tables : {mixed, no_key}) {
    const Outcome outcome = Sfconv({"convert", "--tables", tables.string(), "--from", "My Vedic",
                                    "--to", "iast", "-o", output},
                                   vedic);
    EXPECT_EQ(outcome.status, kExitFileError) << tables;
    EXPECT_NE(outcome.err.find("cannot be told"), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(output)) << tables;
  }
}

TEST(TablesLetters, TheBuiltInTablesHoldTheLettersOfTheirTransliterationFont) {
  for (const TranslitFont translit : kTranslitFonts) {
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      Session session;
      session.PressDevanagariFontButton(devanagari);
      session.PressTranslitFontButton(translit);
      const TablesLetters read = ReadTablesLetters(session.state());
      EXPECT_EQ(read.problem, "") << FontName(devanagari) << ", " << FontName(translit);
      EXPECT_EQ(read.letters.bytes, FontLetters(GetTranslitLetters(translit)).bytes)
          << FontName(devanagari) << ", " << FontName(translit);
    }
  }
  // Before any font is chosen: Sanskrit-Times.
  const TablesLetters startup = ReadTablesLetters(Session().state());
  EXPECT_EQ(startup.problem, "");
  EXPECT_EQ(startup.letters.bytes,
            FontLetters(GetTranslitLetters(TranslitFont::kSanskritTimes)).bytes);
}

}  // namespace
}  // namespace sfc
