// sfconv tells of the input bytes no rule took: one summary line, every
// position with --report, status 4 with --strict; Unicode input and glyphs
// without an answer are told once.

#include "run_sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::Outcome;
using test::Sfconv;

TEST(SfconvDroppedBytes, AreToldAndStrictFailsOnThem) {
  const std::vector<std::string> s_times = {"convert", "--from", "Sanskrit-Times", "--to", "Vedic"};
  auto with = [](std::vector<std::string> args, const char* option) {
    args.push_back(option);
    return args;
  };
  struct Case {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;  // "*": not checked
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"to-devanagari"},
            "ka\tka",
            kExitOk,
            "kk ",  // the output as it always was
            "sfconv: 1 byte had no rule and was left out: 1 × TAB (first at 1:3)\n"},
           {{"to-devanagari", "--strict"},
            "ka\tka",
            kExitDropped,
            "kk ",
            "sfconv: 1 byte had no rule and was left out: 1 × TAB (first at 1:3)\n"},
           {{"to-devanagari", "--strict"}, "kaka\n", kExitOk, "*", ""},
           {{"to-devanagari"},
            B({"ka\tka\t\nQa", 0xFF, "\t\r", 0x1b, 0, 0x7f}),
            kExitOk,
            "*",
            "sfconv: 8 bytes had no rule and were left out: 3 × TAB (first at 1:3), 1 × 'Q' (first "
            "at 2:1), 1 × 0xFF (first at 2:3), 1 × ESC (first at 2:6), 1 × NUL (first at 2:7), 1 × "
            "DEL (first at 2:8)\n"},
           {{"to-devanagari"},
            "ABCDEFGHIJKLAA",
            kExitOk,
            "*",
            "sfconv: 14 bytes had no rule and were left out: 3 × 'A' (first at 1:1), 1 × 'B' "
            "(first at 1:2), 1 × 'C' (first at 1:3), 1 × 'D' (first at 1:4), 1 × 'E' (first at "
            "1:5), 1 × 'F' (first at 1:6), 1 × 'G' (first at 1:7), 1 × 'H' (first at 1:8), and 4 "
            "more kinds\n"},
           {{"to-devanagari", "--report"},
            B({"ka\tka\nka", 0xCC, 0xCC}),
            kExitOk,
            "*",
            "sfconv: line 1, column 3: TAB had no rule and was left out\n"
            "sfconv: line 2, column 3: 0xCC had no rule and was left out\n"
            "sfconv: line 2, column 4: 0xCC had no rule and was left out\n"
            "sfconv: 3 bytes had no rule and were left out: 2 × 0xCC (first at 2:3), 1 × TAB "
            "(first at 1:3)\n"},
           // Dev Natraj ITR reads glyph 75 ('K') by no rule.
           {{"to-translit", "-d", "Dev Natraj ITR", "--report"},
            "kKk",
            kExitOk,
            B({129, "h", 129, "ha", 129, "h", 129, "ha "}),
            "sfconv: line 1, column 2: 'K' had no rule and was left out\n"
            "sfconv: 1 byte had no rule and was left out: 1 × 'K' (first at 1:2)\n"},
           {{"to-translit", "-d", "Dev Natraj ITR", "--strict"}, "kKk", kExitDropped, "*", "*"},
           {{"to-translit", "-d", "Dev Natraj ITR", "--strict"}, "kk", kExitOk, "*", ""},
           // convert carries the tab through; the 'Q' after it has no rule, and its
           // column is that of the input.
           {with(s_times, "--report"), "ka\tkaQka", kExitOk, "k\tkk",
            "sfconv: line 1, column 6: 'Q' had no rule and was left out\n"
            "sfconv: 1 byte had no rule and was left out: 1 × 'Q' (first at 1:6)\n"},
           {with(s_times, "--strict"), "kaQka", kExitDropped, "*", "*"},
           {with(s_times, "--strict"), "ka\tka", kExitOk, "*", ""},
           {{"convert", "--from", "iast", "--to", "Vedic", "--strict"}, "kaka", kExitOk, "*", ""},
       }) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " " + test::Show(c.input));
    const Outcome run = Sfconv(c.args, c.input);
    EXPECT_EQ(run.status, c.status);
    if (c.out != "*") {
      EXPECT_BYTES(c.out, run.out);
    }
    if (c.err != "*") {
      EXPECT_EQ(run.err, c.err);
    }
  }
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(SfconvUnicodeInput, IsToldOncePerRun) {
  const std::string iast = test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt");
  ASSERT_GT(iast.size(), 64u * 1024);  // more than one block
  Outcome run = Sfconv({"to-devanagari"}, iast);
  EXPECT_EQ(Occurrences(run.err,
                        "sfconv: input looks like UTF-8 Unicode; for IAST use 'sfconv "
                        "convert --from iast'\n"),
            1u)
      << run.err;
  EXPECT_TRUE(run.err.starts_with("sfconv: input looks like")) << run.err;
  run = Sfconv({"to-devanagari"}, B({0xEF, 0xBB, 0xBF, "ka"}));
  EXPECT_NE(run.err.find("input looks like UTF-8 Unicode"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 bytes had no rule"), std::string::npos) << run.err;
  run = Sfconv({"to-devanagari"}, B({0xFF, 0xFE, "k", 0, "a", 0}));
  EXPECT_NE(run.err.find("input looks like UTF-16 Unicode"), std::string::npos) << run.err;
  run = Sfconv({"to-translit"}, test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt"));
  EXPECT_NE(run.err.find("for Unicode Devanagari use 'sfconv convert --from devanagari'"),
            std::string::npos)
      << run.err;
  // Font bytes, and Unicode where the conversion expects it, are not told.
  EXPECT_EQ(Sfconv({"to-devanagari"}, test::DataLines("gita.sanskrit-times.txt", 701)).err, "");
  EXPECT_EQ(Sfconv({"convert", "--from", "iast", "--to", "Sanskrit-Times"}, "r\xC4\x81ma").err, "");
}

TEST(SfconvGlyphAnswers, AGlyphWithoutAnswerIsToldOnceWithItsCount) {
  const Outcome run = Sfconv({"to-translit"}, std::string(1000, '\x8f'));  // Vedic glyph 143
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES(std::string(1000, '\x8f') + " ", run.out);
  EXPECT_EQ(run.err,
            "sfconv: glyph 143 has no --answer (asked 1000 times); it is kept as \"\\x8f\"\n");
  const Outcome once = Sfconv({"to-translit"}, B({143}));
  EXPECT_NE(once.err.find("glyph 143 has no --answer (asked once)"), std::string::npos) << once.err;
  const Outcome chain = Sfconv({"convert", "--from", "Vedic", "--to", "iast"}, B({143, 143}));
  EXPECT_EQ(Occurrences(chain.err, "glyph 143 has no --answer (asked 2 times)"), 1u) << chain.err;
}

}  // namespace
}  // namespace sfc
