// sfconv convert (chains through the transliteration pivot) and sfconv check
// (transliteration through Devanagari and back).

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "blank_text.h"
#include "run_sfconv.h"
#include "sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

using test::Outcome;
using test::Sfconv;

std::string Convert(const std::string& from, const std::string& to, const std::string& input) {
  const Outcome outcome = Sfconv({"convert", "--from", from, "--to", to}, input);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  return outcome.out;
}

std::string GitaLines(const char* file, int count) {
  const std::vector<std::string> lines = test::ReadLines(test::TestDataDir() / file);
  std::string text;
  for (int i = 0; i < count; ++i) text += lines[static_cast<std::size_t>(i)] + "\n";
  return text;
}

TEST(ConvertPairs, OneConversionGivesThatConversionsLettersWithTheInputsBlanks) {
  const std::string text = GitaLines("gita.sanskrit-times.txt", 20);
  const std::string devanagari =
      Sfconv({"to-devanagari", "-t", "Sanskrit-Times", "-d", "Sanskrit 99"}, text).out;
  const std::string converted = Convert("Sanskrit-Times", "Sanskrit 99", text);
  EXPECT_BYTES(test::WithoutBlanks(devanagari), test::WithoutBlanks(converted));
  EXPECT_EQ(test::BlankSkeleton(text), test::BlankSkeleton(converted));
  const std::string back = Convert("Sanskrit 99", "ITRTransTimes", devanagari);
  EXPECT_BYTES(
      test::WithoutBlanks(
          Sfconv({"to-translit", "-d", "Sanskrit 99", "-t", "ITRTransTimes"}, devanagari).out),
      test::WithoutBlanks(back));
  EXPECT_EQ(test::BlankSkeleton(devanagari), test::BlankSkeleton(back));
}

TEST(ConvertChains, FontToFontInOneStepEqualsTheTwoStepChain) {
  const std::string vedic =
      Sfconv({"to-devanagari", "-d", "Vedic"}, GitaLines("gita.sanskrit-times.txt", 40)).out;
  EXPECT_BYTES(Convert("Sanskrit-Times", "Sanskrit 99", Convert("Vedic", "Sanskrit-Times", vedic)),
               Convert("Vedic", "Sanskrit 99", vedic));
}

TEST(ConvertChains, TransliterationFontsMeetThroughIast) {
  const std::string times = GitaLines("gita.sanskrit-times.txt", 50);
  EXPECT_BYTES(GitaLines("gita.urw-palladio-it.txt", 50),
               Convert("Sanskrit-Times", "URW Palladio IT", times));
  EXPECT_BYTES(GitaLines("gita.itrtranstimes.txt", 50),
               Convert("iast", "ITRTransTimes", GitaLines("gita.iast.txt", 50)));
}

TEST(ConvertChains, BlanksComeOutAsTheyWentIn) {
  EXPECT_EQ(Convert("iast", "Vedic", "namaste"), Convert("Sanskrit-Times", "Vedic", "namaste"));
  const std::string vedic = Convert("Sanskrit-Times", "Vedic", "  namaste ");
  EXPECT_EQ(Convert("Vedic", "iast", vedic), "  namaste ");
  EXPECT_EQ(Convert("iast", "devanagari", " namaste\n"), " नमस्ते\n");
  EXPECT_EQ(Convert("devanagari", "Vedic", " नमस्ते "),
            Convert("Sanskrit-Times", "Vedic", " namaste "));
}

TEST(ConvertChains, LegacyDevanagariReachesUnicodeAndBack) {
  const std::string iast = GitaLines("gita.iast.txt", 30);
  const std::string s99 = Convert("iast", "Sanskrit 99", iast);
  // Legacy Devanagari reaches Unicode through the transliteration it reads
  // as (the font's tables do not carry every word back: "sfconv check" shows
  // which).
  EXPECT_EQ(Convert("Sanskrit 99", "devanagari", s99),
            Convert("iast", "devanagari", Convert("Sanskrit 99", "iast", s99)));
  EXPECT_EQ(Convert("devanagari", "Sanskrit 99", Convert("iast", "devanagari", iast)), s99);
}

TEST(ConvertReport, ListsEveryCharacterThatDidNotConvertWithLineAndColumn) {
  const Outcome quiet = Sfconv({"convert", "--from", "iast", "--to", "Vedic"}, "ka\nkḻa x\n");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_NE(quiet.err.find("1 character(s) did not convert"), std::string::npos) << quiet.err;
  const Outcome listed =
      Sfconv({"convert", "--from", "iast", "--to", "Vedic", "--report"}, "ka\nkḻa x\n");
  EXPECT_NE(listed.err.find("line 2, column 2: U+1E3B"), std::string::npos) << listed.err;
}

TEST(ConvertUsage, NamesWhatIsWrong) {
  EXPECT_EQ(Sfconv({"convert", "--from", "iast"}).status, kExitUsage);
  const Outcome unknown = Sfconv({"convert", "--from", "iast", "--to", "Klingon"});
  EXPECT_EQ(unknown.status, kExitUsage);
  EXPECT_NE(unknown.err.find("\"Klingon\""), std::string::npos);
  EXPECT_EQ(Sfconv({"convert", "--from", "iast", "--to", "Vedic", "-d", "Vedic"}).status,
            kExitUsage);
  EXPECT_EQ(Sfconv({"to-devanagari", "--from", "iast"}).status, kExitUsage);
}

TEST(Check, PrintsTheWordsThatDoNotComeBackAndTheShareThatDoes) {
  // "ai" after a consonant and "a i" read back alike in Devanagari, so
  // "kaii" cannot come back as it was.
  const Outcome outcome =
      Sfconv({"check", "-t", "Sanskrit-Times", "-d", "Vedic"}, "rama sita\nnamo kaii\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("2:6: kaii -> "), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("3 of 4 words (75.0%) come back unchanged"), std::string::npos)
      << outcome.out;
  const Outcome clean = Sfconv({"check"}, GitaLines("gita.sanskrit-times.txt", 3));
  EXPECT_NE(clean.out.find("come back unchanged"), std::string::npos);
}

}  // namespace
}  // namespace sfc
