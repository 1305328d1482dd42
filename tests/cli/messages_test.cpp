// sfconv speaks as a command-line tool: what the window asks in an input
// box is a note with its place, and a run cut short says where it stopped.

#include <gtest/gtest.h>

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

TEST(SfconvMessages, AmbiguousLettersAreANoteWithTheirPlace) {
  // More than one 64 KB block before the last one.
  const std::string many_lines = [] {
    std::string text;
    for (int i = 0; i < 30'000; ++i) text += "ka\n";
    return text;
  }();
  struct Case {
    std::string input;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {"ddd\n",
            "sfconv: note: line 1, column 1: 'ddd' (also 'ddb', 'ddg') is ambiguous; "
            "check it\n"},
           {"uddbhava",
            "sfconv: note: line 1, column 2: 'ddb' (also 'ddd', 'ddg') is ambiguous; "
            "check it\n"},
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

}  // namespace
}  // namespace sfc
