// sfconv tells of the input bytes no rule took: one summary line, every
// position with --report, status 4 with --strict; Unicode input and glyphs
// without an answer are told once.

#include <sstream>
#include <string>
#include <vector>

#include "run_sfconv.h"
#include "sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

using test::Outcome;
using test::Sfconv;

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(SfconvDroppedBytes, ATabIsToldInOneLine) {
  const Outcome run = Sfconv({"to-devanagari"}, "ka\tka");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("kk ", run.out);  // the output as it always was
  EXPECT_EQ(run.err, "sfconv: 1 byte had no rule and was left out: 1 \u00d7 TAB (first at 1:3)\n");
}

TEST(SfconvDroppedBytes, NothingIsToldWithoutDrops) {
  const Outcome run = Sfconv({"to-devanagari", "--strict"}, "kaka\n");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err, "");
}

TEST(SfconvDroppedBytes, TheSummaryNamesTheMostFrequentFirst) {
  const Outcome run = Sfconv({"to-devanagari"}, B({"ka\tka\t\nQa", 0xFF, "\t\r", 0x1b, 0}));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err,
            "sfconv: 7 bytes had no rule and were left out: 3 \u00d7 TAB (first at 1:3), "
            "1 \u00d7 'Q' (first at 2:1), 1 \u00d7 0xFF (first at 2:3), 1 \u00d7 ESC (first at "
            "2:6), 1 \u00d7 NUL (first at 2:7)\n");
}

TEST(SfconvDroppedBytes, ManyKindsAreCutShortInTheSummary) {
  const Outcome run = Sfconv({"to-devanagari"}, "ABCDEFGHIJKLAA");
  EXPECT_EQ(run.err,
            "sfconv: 14 bytes had no rule and were left out: 3 \u00d7 'A' (first at 1:1), "
            "1 \u00d7 'B' (first at 1:2), 1 \u00d7 'C' (first at 1:3), 1 \u00d7 'D' (first at "
            "1:4), 1 \u00d7 'E' (first at 1:5), 1 \u00d7 'F' (first at 1:6), 1 \u00d7 'G' (first "
            "at 1:7), 1 \u00d7 'H' (first at 1:8), and 4 more kinds\n");
}

TEST(SfconvDroppedBytes, ReportListsEveryPosition) {
  const Outcome run = Sfconv({"to-devanagari", "--report"}, B({"ka\tka\nka", 0xCC, 0xCC}));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err,
            "sfconv: line 1, column 3: TAB had no rule and was left out\n"
            "sfconv: line 2, column 3: 0xCC had no rule and was left out\n"
            "sfconv: line 2, column 4: 0xCC had no rule and was left out\n"
            "sfconv: 3 bytes had no rule and were left out: 2 \u00d7 0xCC (first at 2:3), "
            "1 \u00d7 TAB (first at 1:3)\n");
}

TEST(SfconvDroppedBytes, StrictExitsWithFourAndStillWritesTheOutput) {
  const Outcome plain = Sfconv({"to-devanagari"}, "ka\tka");
  const Outcome strict = Sfconv({"to-devanagari", "--strict"}, "ka\tka");
  EXPECT_EQ(strict.status, kExitDropped);
  EXPECT_EQ(kExitDropped, 4);
  EXPECT_BYTES(plain.out, strict.out);
  EXPECT_EQ(strict.err, plain.err);
}

TEST(SfconvDroppedBytes, DevanagariToTransliteration) {
  // Dev Natraj ITR reads glyph 75 ('K') by no rule.
  Outcome run = Sfconv({"to-translit", "-d", "Dev Natraj ITR", "--report"}, "kKk");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES(Sfconv({"to-translit", "-d", "Dev Natraj ITR"}, "kk").out, run.out);
  EXPECT_EQ(run.err,
            "sfconv: line 1, column 2: 'K' had no rule and was left out\n"
            "sfconv: 1 byte had no rule and was left out: 1 \u00d7 'K' (first at 1:2)\n");
  run = Sfconv({"to-translit", "-d", "Dev Natraj ITR", "--strict"}, "kKk");
  EXPECT_EQ(run.status, kExitDropped);
  EXPECT_EQ(Sfconv({"to-translit", "-d", "Dev Natraj ITR", "--strict"}, "kk").status, kExitOk);
}

TEST(SfconvDroppedBytes, ConvertTellsTheDropsOfItsFontStages) {
  // convert carries the tab through; the 'Q' after it has no rule, and its
  // column is that of the input.
  Outcome run =
      Sfconv({"convert", "--from", "Sanskrit-Times", "--to", "Vedic", "--report"}, "ka\tkaQka");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("k\tkk", run.out);
  EXPECT_EQ(run.err,
            "sfconv: line 1, column 6: 'Q' had no rule and was left out\n"
            "sfconv: 1 byte had no rule and was left out: 1 \u00d7 'Q' (first at 1:6)\n");
  run = Sfconv({"convert", "--from", "Sanskrit-Times", "--to", "Vedic", "--strict"}, "kaQka");
  EXPECT_EQ(run.status, kExitDropped);
  run = Sfconv({"convert", "--from", "Sanskrit-Times", "--to", "Vedic", "--strict"}, "ka\tka");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  run = Sfconv({"convert", "--from", "iast", "--to", "Vedic", "--strict"}, "kaka");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err, "");
}

TEST(SfconvDroppedBytes, ReportAndStrictGoWithConversionsOnly) {
  EXPECT_EQ(Sfconv({"tables", "--strict"}, "").status, kExitUsage);
  EXPECT_EQ(Sfconv({"tables", "--report"}, "").status, kExitUsage);
  EXPECT_EQ(Sfconv({"to-devanagari", "--strict=1"}, "").status, kExitUsage);
}

TEST(SfconvUnicodeInput, ToldOncePerRun) {
  const std::string iast = test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt");
  ASSERT_GT(iast.size(), 64u * 1024);  // more than one block
  const Outcome run = Sfconv({"to-devanagari"}, iast);
  EXPECT_EQ(Occurrences(run.err,
                        "sfconv: input looks like UTF-8 Unicode; for IAST use 'sfconv "
                        "convert --from iast'\n"),
            1u)
      << run.err;
  EXPECT_EQ(run.err.rfind("sfconv: input looks like", 0), 0u) << run.err;
}

TEST(SfconvUnicodeInput, ByteOrderMarks) {
  Outcome run = Sfconv({"to-devanagari"}, B({0xEF, 0xBB, 0xBF, "ka"}));
  EXPECT_NE(run.err.find("input looks like UTF-8 Unicode"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 bytes had no rule"), std::string::npos) << run.err;
  run = Sfconv({"to-devanagari"}, B({0xFF, 0xFE, "k", 0, "a", 0}));
  EXPECT_NE(run.err.find("input looks like UTF-16 Unicode"), std::string::npos) << run.err;
  run = Sfconv({"to-translit"}, test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt"));
  EXPECT_NE(run.err.find("for Unicode Devanagari use 'sfconv convert --from devanagari'"),
            std::string::npos)
      << run.err;
}

TEST(SfconvUnicodeInput, FontBytesAndUnicodeEndsAreNotTold) {
  const std::string text = test::ReadFileBytes(test::GitaFile(TranslitFont::kSanskritTimes));
  EXPECT_EQ(Sfconv({"to-devanagari"}, text).err, "");
  EXPECT_EQ(Sfconv({"convert", "--from", "iast", "--to", "Sanskrit-Times"}, "r\xC4\x81ma").err, "");
}

TEST(SfconvGlyphAnswers, AGlyphWithoutAnswerIsToldOnceWithItsCount) {
  const Outcome run = Sfconv({"to-translit"}, std::string(1000, '\x8f'));  // Vedic glyph 143
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err, "sfconv: glyph 143 has no --answer (asked 1000 times); it is kept as " +
                         std::string("\"\\x8f\"") + "\n");
  const Outcome once = Sfconv({"to-translit"}, B({143}));
  EXPECT_NE(once.err.find("glyph 143 has no --answer (asked once)"), std::string::npos) << once.err;
  const Outcome chain = Sfconv({"convert", "--from", "Vedic", "--to", "iast"}, B({143, 143}));
  EXPECT_EQ(Occurrences(chain.err, "glyph 143 has no --answer (asked 2 times)"), 1u) << chain.err;
}

}  // namespace
}  // namespace sfc
