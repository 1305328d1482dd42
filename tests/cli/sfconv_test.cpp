// The command-line tool, in process and as a program.

#include "sfconv.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using test::TempDir;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Sfconv(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunSfconv(args, in, out, err);
  return {status, out.str(), err.str()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

TEST(SfconvToDevanagari, ConvertsStandardInput) {
  const Outcome run = Sfconv({"to-devanagari"}, "namaste");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("nmSte ", run.out);
  EXPECT_EQ(run.err, "");
}

TEST(SfconvToDevanagari, FontsAndOptions) {
  EXPECT_BYTES(B({"N", 236, " "}), Sfconv({"to-devanagari", "-d", "Dev Natraj ITR"}, "ku").out);
  EXPECT_BYTES(B({"N", 236, " "}),
               Sfconv({"to-devanagari", "--devanagari-font=Dev Natraj ITR"}, "ku").out);
  EXPECT_BYTES("Nt( ", Sfconv({"to-devanagari", "--shift-m-to-n"}, "mt").out);
  EXPECT_BYTES(B({"t", 255, "vm( "}),
               Sfconv({"to-devanagari", "--dash-mode", "2"}, "tat-tvam").out);
  // ā in URW Palladio IT is 228.
  EXPECT_BYTES("a;k ", Sfconv({"to-devanagari", "-t", "URW Palladio IT"}, B({228, "ka"})).out);
  // The last of a repeated option counts.
  EXPECT_BYTES("k ", Sfconv({"to-devanagari", "-d", "Sanskrit 99", "-d", "Vedic"}, "ka").out);
}

TEST(SfconvToDevanagari, StartupStateUsesTheStartupTables) {
  // Row 149 (the sign typed as w) is 158 at start-up and 204 after the Vedic button.
  EXPECT_BYTES(B({158, " "}), Sfconv({"to-devanagari", "--startup"}, "w").out);
  EXPECT_BYTES(B({204, " "}), Sfconv({"to-devanagari"}, "w").out);
}

TEST(SfconvToDevanagari, InputBoxesAreReported) {
  const Outcome run = Sfconv({"to-devanagari"}, "uddbhava");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.err.find("CHECK LATER"), std::string::npos) << run.err;
}

TEST(SfconvToTranslit, ConvertsBack) {
  const Outcome there = Sfconv({"to-devanagari", "-d", "Sanskrit 99"}, "namaste");
  const Outcome back = Sfconv({"to-translit", "-d", "Sanskrit 99"}, there.out);
  EXPECT_EQ(back.status, kExitOk);
  EXPECT_NE(back.out.find("namaste"), std::string::npos) << test::Show(back.out);
}

TEST(SfconvToTranslit, AnswersForGlyphsThatAsk) {
  // Vedic glyph 143 asks for its text at every occurrence.
  Outcome run = Sfconv({"to-translit", "--answer", "143=X", "--answer=143=Y"}, B({143, 143}));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_BYTES("YY ", run.out);
  run = Sfconv({"to-translit"}, B({143}));
  EXPECT_BYTES(B({143, " "}), run.out);
  EXPECT_NE(run.err.find("glyph 143"), std::string::npos) << run.err;
}

TEST(SfconvTables, DumpsEveryRowInOrder) {
  const Outcome run = Sfconv({"tables", "-t", "ITRTransTimes", "-d", "Sanskrit 99"});
  EXPECT_EQ(run.status, kExitOk);
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "font\t\"ITRTransTimes\"\t\"Sanskrit 99\"\t\"Sanskrit 99\"");
  std::getline(lines, line);
  EXPECT_EQ(line, "sanideva\t1\t\"\\xa1\"\t\"Aa\"\t\"a\"");
  int counts[5] = {};
  const char* kinds[5] = {"sanideva\t", "shorti\t", "devitran\t", "position\t", "font\t"};
  lines.clear();
  lines.str(run.out);
  while (std::getline(lines, line)) {
    for (int k = 0; k < 5; ++k) counts[k] += line.rfind(kinds[k], 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(counts[0], 255);
  EXPECT_EQ(counts[1], 255);
  EXPECT_EQ(counts[2], 300);
  EXPECT_EQ(counts[3], 15);
  EXPECT_NE(run.out.find("sanideva\t153\t\"\"\t\"\"\t\"\"\n"), std::string::npos);
  EXPECT_NE(run.out.find("position\tRPositions\t0\t0\t0\t0\n"), std::string::npos);
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(SfconvUsage, ErrorsExitWithTwoAndNothingOnStandardOutput) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"convert"},
      {"to-devanagari", "-t", "Times New Roman"},
      {"to-devanagari", "-d", "My Font"},
      {"to-devanagari", "--answer", "40=x"},
      {"to-translit", "--shift-m-to-n"},
      {"to-translit", "--dash-mode", "1"},
      {"to-devanagari", "--dash-mode", "3"},
      {"tables", "-i", "x"},
      {"to-devanagari", "--startup", "-d", "Vedic"},
      {"to-devanagari", "--startup", "--tables", "."},
      {"to-devanagari", "-t"},
      {"to-translit", "--answer", "256=x"},
      {"to-translit", "--answer", "x"},
      {"to-devanagari", "--frobnicate"},
      {"to-devanagari", "--startup=yes"},
  };
  for (const auto& args : bad) {
    const Outcome run = Sfconv(args, "ka");
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "") << testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
  }
  const Outcome help = Sfconv({"to-translit", "--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST(SfconvFiles, MissingInputOrTablesDirectoryExitsWithOne) {
  TempDir dir;
  Outcome run = Sfconv({"to-devanagari", "-i", (dir.path() / "absent.txt").string()});
  EXPECT_EQ(run.status, kExitFileError);
  EXPECT_EQ(run.out, "");
  run = Sfconv({"to-devanagari", "--tables", (dir.path() / "absent").string()}, "ka");
  EXPECT_EQ(run.status, kExitFileError);
  EXPECT_EQ(run.out, "");
  run = Sfconv({"to-devanagari", "-o", (dir.path() / "no" / "such" / "dir").string()}, "ka");
  EXPECT_EQ(run.status, kExitFileError);
}

TEST(SfconvFiles, InputAndOutputFilesPassBytesUnchanged) {
  TempDir dir;
  const std::string input = B({"ka\r\nga", 0, 255, "\n"});
  WriteFile(dir.path() / "in.txt", input);
  const Outcome run = Sfconv({"to-devanagari", "-i", (dir.path() / "in.txt").string(), "-o",
                              (dir.path() / "out.txt").string()});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "");
  EXPECT_BYTES(Sfconv({"to-devanagari"}, input).out, test::ReadFileBytes(dir.path() / "out.txt"));
}

TEST(SfconvTables, ExportThenLoadGivesTheSameTables) {
  TempDir dir;
  const Outcome exported = Sfconv(
      {"tables", "-t", "URW Palladio IT", "-d", "Dev Natraj ITR", "--export", dir.path().string()});
  ASSERT_EQ(exported.status, kExitOk) << exported.err;
  const Outcome builtin = Sfconv({"tables", "-t", "URW Palladio IT", "-d", "Dev Natraj ITR"});
  const Outcome loaded = Sfconv(
      {"tables", "--tables", dir.path().string(), "-t", "URW Palladio IT", "-d", "Dev Natraj ITR"});
  ASSERT_EQ(loaded.status, kExitOk) << loaded.err;
  auto rows = [](const std::string& dump) {
    std::string kept;
    std::istringstream lines(dump);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("sanideva", 0) == 0 || line.rfind("shorti", 0) == 0 ||
          line.rfind("devitran", 0) == 0) {
        kept += line + '\n';
      }
    }
    return kept;
  };
  EXPECT_EQ(rows(loaded.out), rows(builtin.out));
  const Outcome check = Sfconv({"tables", "--check", dir.path().string()});
  EXPECT_EQ(check.status, kExitOk) << check.out;
}

// The real program: exit statuses and byte-exact output through pipes.
int RunProgram(const std::string& args, const std::filesystem::path& out) {
  const std::string command =
      std::string(SFC_SFCONV_PATH) + " " + args + " > " + out.string() + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SfconvProgram, ExitStatuses) {
  TempDir dir;
  WriteFile(dir.path() / "in.txt", "ka");
  const std::string in = " -i " + dir.path().string() + "/in.txt";
  EXPECT_EQ(RunProgram("to-devanagari" + in, dir.path() / "out.txt"), kExitOk);
  EXPECT_BYTES("k ", test::ReadFileBytes(dir.path() / "out.txt"));
  EXPECT_EQ(RunProgram("to-devanagari -d Nowhere" + in, dir.path() / "out.txt"), kExitUsage);
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "out.txt"), "");

  // A syllable table whose "_" writes nothing: the dash after it finds no
  // byte to remove, and the run stops with the output so far.
  std::string rows;
  for (int row = 1; row < 189; ++row) rows += "x,x,x\n";
  rows += "plus,,\n";
  WriteFile(dir.path() / "sanideva.cod", rows);
  WriteFile(dir.path() / "in.txt", "_-kakaka");
  EXPECT_EQ(RunProgram("to-devanagari --tables " + dir.path().string() + " -d Mine" + in,
                       dir.path() / "out.txt"),
            kExitCutShort);
}

}  // namespace
}  // namespace sfc
