// What sfconv tells on standard error: notes with their place, where a run
// stopped, bytes no rule took, Unicode input, glyphs without an answer.

#include <array>
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
using test::Words;

// The note on a letter group read one way that could be read two others.
std::string Ambiguous(const std::string& place, const std::string& read, const char* others) {
  return "sfconv: note: line " + place + ": '" + read + "' (also " + others +
         ") is ambiguous; check it\n";
}

TEST(SfconvMessages, AmbiguousLettersAreANoteWithTheirPlace) {
  const std::string many_lines = test::Repeat("ka\n", 30'000);  // more than a 64 KB block
  for (const auto& [input, err] : std::vector<std::pair<std::string, std::string>>{
           {"ddd\n", Ambiguous("1, column 1", "ddd", "'ddb', 'ddg'")},
           {"ka\nra ddga uddbhava\n", Ambiguous("2, column 4", "ddg", "'ddd', 'ddb'") +
                                          Ambiguous("2, column 10", "ddb", "'ddd', 'ddg'")},
           {many_lines + "a ddda", Ambiguous("30001, column 3", "ddd", "'ddb', 'ddg'")},
           {"adda dd", ""}}) {
    const Outcome run = Sfconv({"to-devanagari"}, input);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, err) << input.substr(0, 20);
  }
}

TEST(SfconvMessages, ARunCutShortSaysWhereItStopped) {
  const std::string long_line(200'000, 'k');
  const auto stopped = [](const std::string& where) {
    return "sfconv: stopped at " + where +
           "; the rest of the input was not converted (the output so far was written)\n";
  };
  for (const auto& [line, input, err] : std::vector<std::array<std::string, 3>>{
           {"to-translit", B({"k", 0, "k"}),
            stopped(R"(line 1, column 2 (byte 2), at "\x00k" after "k")")},
           {"to-translit --report", B({"kaka\nkak", 0, "kakakakakakakakakakak\n"}),
            stopped(R"(line 2, column 4 (byte 9), at "\x00kakakakakak..." after "kaka\nkak")")},
           {"to-translit", "ka\n" + long_line + B({0, "tail"}),
            stopped(
                R"(line 2, column 200001 (byte 200004), at "\x00tail" after "...kkkkkkkkkkkk")")},
           {"convert --from Vedic --to iast", B({"k", 0, "k"}),
            stopped(R"(line 1, column 2 (byte 2), at "\x00k" after "k")")}}) {
    const Outcome run = Sfconv(Words(line), input);
    EXPECT_EQ(run.status, kExitCutShort) << line;
    EXPECT_EQ(run.err, err);
  }
}

TEST(SfconvMessages, StrictCountsEveryCharacterLeftOutOrReplaced) {
  const std::string mark = "\xEF\xBB\xBF";
  for (const auto& [ends, dropped, word] : std::vector<std::array<std::string, 3>>{
           {"iast --to Vedic", "rama\xC3 rama\n", "rama\n"},
           {"iast --to Vedic", "rama \u0436 rama\n", "rama\n"},
           {"iast --to Sanskrit-Times", "rama\xC3\n", "rama\n"},
           {"iast --to devanagari", "ra\xFFma\n", "rama\n"},
           {"devanagari --to iast", "राम\xE0\xA4\n", "राम\n"},
           {"devanagari --to Vedic", "राम\xE0\xA4\n", "राम\n"}}) {
    SCOPED_TRACE(ends + " " + test::Show(dropped));
    const std::vector<std::string> args = Words("convert --strict --from " + ends);
    EXPECT_EQ(Sfconv(args, dropped).status, kExitDropped);
    // A byte-order mark at the start of UTF-8 input is left out silently.
    const Outcome marked = Sfconv(args, mark + word);
    EXPECT_EQ(marked.status, kExitOk);
    EXPECT_EQ(marked.err, "");
    EXPECT_BYTES(Sfconv(args, word).out, marked.out);
  }
  const Outcome listed =
      Sfconv(Words("convert --from iast --to Vedic --report"), "rama\xC3 rama\n");
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
    for (const auto& [line, status] : std::vector<std::pair<std::string, int>>{
             {"to-devanagari --tables " + d, kExitOk},
             {"to-devanagari --strict --tables " + d, kExitDropped},
             {"to-translit -d 'My Font' --strict --tables " + d, kExitDropped},
             {"convert --from iast --to 'My Font' --strict --tables " + d, kExitDropped},
             {"tables --tables " + d, kExitOk}}) {
      SCOPED_TRACE(line);
      const Outcome outcome = Sfconv(Words(line), "ka");
      // convert refuses tables whose letters the damage made unreadable.
      const bool refused =
          line.starts_with("convert") && outcome.err.find("cannot be told") != std::string::npos;
      EXPECT_EQ(outcome.status, refused ? kExitFileError : status);
      EXPECT_TRUE(outcome.err.starts_with(told)) << outcome.err;
      EXPECT_EQ(outcome.err.find(told, 1), std::string::npos) << "told once";
    }
    // A conversion between built-in fonts does not load the tables.
    EXPECT_EQ(Sfconv(Words("convert --from iast --to Vedic --strict --tables " + d), "ka").err, "");
  }
}

TEST(SfconvDroppedBytes, AreToldAndStrictFailsOnThem) {
  const std::string natraj = "to-translit -d 'Dev Natraj ITR' ";
  const std::string s_times = "convert --from Sanskrit-Times --to Vedic ";
  const auto no_rule = [](const std::string& place, const std::string& byte) {
    return "sfconv: line " + place + ": " + byte + " had no rule and was left out\n";
  };
  struct Case {
    std::string line;
    std::string input;
    int status;
    std::string out;  // "*": not checked
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {"to-devanagari --strict", "ka\tka", kExitDropped, "kk ",
            "sfconv: 1 byte had no rule and was left out: 1 × TAB (first at 1:3)\n"},
           {"to-devanagari --strict", "kaka\n", kExitOk, "*", ""},
           {"to-devanagari", B({"ka\tka\t\nQa", 0xFF, "\t\r", 0x1b, 0, 0x7f}), kExitOk, "*",
            "sfconv: 8 bytes had no rule and were left out: 3 × TAB (first at 1:3), 1 × 'Q' (first "
            "at 2:1), 1 × 0xFF (first at 2:3), 1 × ESC (first at 2:6), 1 × NUL (first at 2:7), 1 × "
            "DEL (first at 2:8)\n"},
           {"to-devanagari", "ABCDEFGHIJKLAA", kExitOk, "*",
            "sfconv: 14 bytes had no rule and were left out: 3 × 'A' (first at 1:1), 1 × 'B' "
            "(first at 1:2), 1 × 'C' (first at 1:3), 1 × 'D' (first at 1:4), 1 × 'E' (first at "
            "1:5), 1 × 'F' (first at 1:6), 1 × 'G' (first at 1:7), 1 × 'H' (first at 1:8), and 4 "
            "more kinds\n"},
           {"to-devanagari --report", B({"ka\tka\nka", 0xCC, 0xCC}), kExitOk, "*",
            no_rule("1, column 3", "TAB") + no_rule("2, column 3", "0xCC") +
                no_rule("2, column 4", "0xCC") +
                "sfconv: 3 bytes had no rule and were left out: 2 × 0xCC (first at 2:3), 1 × TAB "
                "(first at 1:3)\n"},
           // Dev Natraj ITR reads glyph 75 ('K') by no rule.
           {natraj + "--report", "kKk", kExitOk, B({129, "h", 129, "ha", 129, "h", 129, "ha "}),
            no_rule("1, column 2", "'K'") +
                "sfconv: 1 byte had no rule and was left out: 1 × 'K' (first at 1:2)\n"},
           {natraj + "--strict", "kKk", kExitDropped, "*", "*"},
           {natraj + "--strict", "kk", kExitOk, "*", ""},
           // convert carries the tab through; the column is that of the input.
           {s_times + "--report", "ka\tkaQka", kExitOk, "k\tkk",
            no_rule("1, column 6", "'Q'") +
                "sfconv: 1 byte had no rule and was left out: 1 × 'Q' (first at 1:6)\n"},
           {s_times + "--strict", "kaQka", kExitDropped, "*", "*"},
           {s_times + "--strict", "ka\tka", kExitOk, "*", ""}}) {
    SCOPED_TRACE(c.line + " " + test::Show(c.input));
    const Outcome run = Sfconv(Words(c.line), c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_BYTES(c.out == "*" ? run.out : c.out, run.out);
    EXPECT_EQ(run.err, c.err == "*" ? run.err : c.err);
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
  const std::string utf8 = "sfconv: input looks like UTF-8 Unicode; ";
  for (const auto& [line, input, told] : std::vector<std::array<std::string, 3>>{
           {"to-devanagari", iast, utf8 + "for IAST use 'sfconv convert --from iast'\n"},
           {"to-devanagari", B({0xEF, 0xBB, 0xBF, "ka"}), utf8},
           {"to-devanagari", B({0xFF, 0xFE, "k", 0, "a", 0}), "input looks like UTF-16 Unicode"},
           {"to-devanagari", B({0xFE, 0xFF, 0, "k", 0, "a"}), "input looks like UTF-16 Unicode"},
           {"to-translit", test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt"),
            "for Unicode Devanagari use 'sfconv convert --from devanagari'"},
           // Font bytes, and Unicode where the conversion expects it, are not told.
           {"to-devanagari", test::DataLines("gita.sanskrit-times.txt", 701), ""},
           {"convert --from iast --to Sanskrit-Times", "r\xC4\x81ma", ""}}) {
    const std::string err = Sfconv(Words(line), input).err;
    EXPECT_TRUE(told.empty() ? err.empty() : Occurrences(err, told) == 1) << err;  // once
  }
  EXPECT_TRUE(Sfconv({"to-devanagari"}, iast).err.starts_with(utf8));
  EXPECT_NE(Sfconv({"to-devanagari"}, B({0xEF, 0xBB, 0xBF, "ka"})).err.find("3 bytes had no rule"),
            std::string::npos);
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
