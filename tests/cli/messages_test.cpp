// What sfconv tells on standard error: notes with their place, where a run
// stopped, bytes no rule took, Unicode input, glyphs without an answer.

#include <functional>
#include <random>
#include <sstream>

#include "run_sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::Outcome;
using test::Sfconv;

TEST(SfconvMessages, AmbiguousLettersAreANoteWithTheirPlace) {
  const std::string many_lines = test::Repeat("ka\n", 30'000);  // more than a 64 KB block
  struct Case {
    std::string input;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {"ddd\n",
            "sfconv: note: line 1, column 1: 'ddd' (also 'ddb', 'ddg') is ambiguous; check it\n"},
           {"ka\nra ddga uddbhava\n",
            "sfconv: note: line 2, column 4: 'ddg' (also 'ddd', 'ddb') is ambiguous; check it\n"
            "sfconv: note: line 2, column 10: 'ddb' (also 'ddd', 'ddg') is ambiguous; check it\n"},
           {many_lines + "a ddda",
            "sfconv: note: line 30001, column 3: 'ddd' (also 'ddb', 'ddg') is ambiguous; check "
            "it\n"},
           {"adda dd", ""},
       }) {
    SCOPED_TRACE(c.input.substr(0, 20));
    const Outcome run = Sfconv({"to-devanagari"}, c.input);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(SfconvMessages, ARunCutShortSaysWhereItStopped) {
  const std::string long_line(200'000, 'k');
  const std::string kWritten =
      "; the rest of the input was not converted (the output so far was written)\n";
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"to-translit"},
            B({"k", 0, "k"}),
            "sfconv: stopped at line 1, column 2 (byte 2), at \"\\x00k\" after \"k\"" + kWritten},
           {{"to-translit", "--report"},
            B({"kaka\nkak", 0, "kakakakakakakakakakak\n"}),
            "sfconv: stopped at line 2, column 4 (byte 9), at \"\\x00kakakakakak...\" after "
            "\"kaka\\nkak\"" +
                kWritten},
           {{"to-translit"},
            "ka\n" + long_line + B({0, "tail"}),
            "sfconv: stopped at line 2, column 200001 (byte 200004), at \"\\x00tail\" after "
            "\"...kkkkkkkkkkkk\"" +
                kWritten},
           {{"convert", "--from", "Vedic", "--to", "iast"},
            B({"k", 0, "k"}),
            "sfconv: stopped at line 1, column 2 (byte 2), at \"\\x00k\" after \"k\"" + kWritten},
       }) {
    SCOPED_TRACE(c.args.back());
    const Outcome run = Sfconv(c.args, c.input);
    EXPECT_EQ(run.status, kExitCutShort);
    EXPECT_EQ(run.err, c.err);
  }
}

// A byte-order mark at the start of UTF-8 input is left out silently.
TEST(SfconvMessages, StrictCountsEveryCharacterLeftOutOrReplaced) {
  struct Case {
    std::vector<std::string> ends;  // --from, --to
    std::string input;
    int status;
  };
  const std::string mark = "\xEF\xBB\xBF";
  for (const Case& c : std::vector<Case>{
           {{"iast", "Vedic"}, "rama\xC3 rama\n", kExitDropped},
           {{"iast", "Vedic"}, "rama \u0436 rama\n", kExitDropped},
           {{"iast", "Vedic"}, mark + "rama\n", kExitOk},
           {{"iast", "Sanskrit-Times"}, "rama\xC3\n", kExitDropped},
           {{"iast", "Sanskrit-Times"}, mark + "rama\n", kExitOk},
           {{"iast", "devanagari"}, "ra\xFFma\n", kExitDropped},
           {{"iast", "devanagari"}, mark + "rama\n", kExitOk},
           {{"devanagari", "iast"}, "राम\xE0\xA4\n", kExitDropped},
           {{"devanagari", "iast"}, mark + "राम\n", kExitOk},
           {{"devanagari", "Vedic"}, mark + "राम\n", kExitOk},
       }) {
    SCOPED_TRACE(test::Show(c.input) + " " + c.ends[1]);
    const std::vector<std::string> args = {"convert", "--from",  c.ends[0],
                                           "--to",    c.ends[1], "--strict"};
    const Outcome run = Sfconv(args, c.input);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.input.starts_with(mark)) {
      EXPECT_BYTES(Sfconv(args, c.input.substr(mark.size())).out, run.out);
      EXPECT_EQ(run.err, "");
    }
  }
  const Outcome listed =
      Sfconv({"convert", "--from", "iast", "--to", "Vedic", "--report"}, "rama\xC3 rama\n");
  EXPECT_EQ(listed.err,
            "sfconv: line 1, column 5: U+FFFD (or a byte that is not UTF-8) did not convert\n");
}

// --strict fails on tables the check finds fault with.
TEST(SfconvMessages, DamagedTablesAreToldByEveryCommandThatLoadsThem) {
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;  // of the exported sanideva.cod
  };
  std::mt19937 random(17);
  for (const Case& c : std::vector<Case>{
           {"five commas become NUL bytes",
            [](std::string& file) {
              for (std::size_t at = 300, n = 0; n < 5; ++n) {
                at = file.find(',', at + 101);
                file[at] = '\0';
              }
            }},
           {"cut in the middle of a row",
            [](std::string& file) { file.resize(file.find(',', file.size() / 2) + 2); }},
           {"random bytes",
            [&random](std::string& file) {
              for (char& byte : file) byte = static_cast<char>(random() % 256);
            }},
       }) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::string d = dir.path().string();
    ASSERT_EQ(Sfconv({"tables", "-d", "Vedic", "--export", d}).status, kExitOk);
    EXPECT_EQ(Sfconv({"tables", "--check", d}).out, "");
    EXPECT_EQ(Sfconv({"to-devanagari", "--strict", "--tables", d}, "namaste").err, "");
    std::string file = test::ReadFileBytes(dir.path() / "sanideva.cod");
    c.damage(file);
    dir.Write("sanideva.cod", file);
    std::istringstream listed(Sfconv({"tables", "--check", d}).out);
    int count = 0;
    for (std::string line; std::getline(listed, line); ++count) {
      EXPECT_TRUE(line.starts_with("sanideva.cod:")) << line;
    }
    ASSERT_GT(count, 0);
    const std::string told = "sfconv: sanideva.cod: " + std::to_string(count) + " problem" +
                             (count == 1 ? "" : "s") + "; `sfconv tables --check " + d +
                             "` lists them\n";
    for (const auto& [args, status] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"to-devanagari", "--tables", d}, kExitOk},
             {{"to-devanagari", "--tables", d, "--strict"}, kExitDropped},
             {{"to-translit", "--tables", d, "-d", "My Font", "--strict"}, kExitDropped},
             {{"convert", "--tables", d, "--from", "iast", "--to", "My Font", "--strict"},
              kExitDropped},
             {{"tables", "--tables", d}, kExitOk},
         }) {
      SCOPED_TRACE(args[0] + " " + args.back());
      const Outcome outcome = Sfconv(args, "ka");
      // convert refuses tables whose letters the damage made unreadable.
      const bool refused =
          args[0] == "convert" && outcome.err.find("cannot be told") != std::string::npos;
      EXPECT_EQ(outcome.status, refused ? kExitFileError : status);
      EXPECT_TRUE(outcome.err.starts_with(told)) << outcome.err;
      EXPECT_EQ(outcome.err.find(told, 1), std::string::npos) << "told once";
    }
    // A conversion between built-in fonts does not load the tables.
    EXPECT_EQ(
        Sfconv({"convert", "--tables", d, "--from", "iast", "--to", "Vedic", "--strict"}, "ka").err,
        "");
  }
}

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
           // convert carries the tab through; the column is that of the input.
           {with(s_times, "--report"), "ka\tkaQka", kExitOk, "k\tkk",
            "sfconv: line 1, column 6: 'Q' had no rule and was left out\n"
            "sfconv: 1 byte had no rule and was left out: 1 × 'Q' (first at 1:6)\n"},
           {with(s_times, "--strict"), "kaQka", kExitDropped, "*", "*"},
           {with(s_times, "--strict"), "ka\tka", kExitOk, "*", ""},
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
  for (const std::string& utf16 :
       {B({0xFF, 0xFE, "k", 0, "a", 0}), B({0xFE, 0xFF, 0, "k", 0, "a"})}) {
    run = Sfconv({"to-devanagari"}, utf16);
    EXPECT_NE(run.err.find("input looks like UTF-16 Unicode"), std::string::npos) << run.err;
  }
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
