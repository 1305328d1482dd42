// sfconv convert --from auto: the guess on standard error, the whole input
// converted as from the form guessed, and the status of an unsure guess.

#include "run_sfconv.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::DataLines;
using test::Outcome;
using test::Sfconv;

TEST(ConvertFromAuto, ConvertsAsFromTheFormItNames) {
  const std::string times = DataLines("gita.sanskrit-times.txt", 40);
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"iast", DataLines("gita.iast.txt", 40)},
      {"devanagari", DataLines("gita.devanagari.txt", 40)},
      {"Sanskrit-Times", times},
      {"URW Palladio IT", DataLines("gita.urw-palladio-it.txt", 40)},
      {"Sanskrit 99", Sfconv({"to-devanagari", "-d", "Sanskrit 99"}, times).out},
      {"Dev Natraj ITR", Sfconv({"to-devanagari", "-d", "Dev Natraj ITR"}, times).out},
  };
  for (const auto& [form, text] : cases) {
    const Outcome named = Sfconv({"convert", "--from", form, "--to", "Vedic"}, text);
    const Outcome guessed = Sfconv({"convert", "--from", "auto", "--to", "Vedic"}, text);
    EXPECT_EQ(guessed.status, named.status) << form;
    EXPECT_BYTES(named.out, guessed.out);
    EXPECT_NE(guessed.err.find(std::string("the input reads as \"") + form + "\" (score "),
              std::string::npos)
        << guessed.err;
  }
}

// Standard input cannot be read twice: the sample read for the guess is
// converted first, then the rest, and the output is that of the whole.
TEST(ConvertFromAuto, InputLongerThanTheSampleIsConvertedWhole) {
  std::string text;
  while (text.size() < 200 * 1024) text += DataLines("gita.itrtranstimes.txt", 701);
  const Outcome named = Sfconv({"convert", "--from", "ITRTransTimes", "--to", "iast"}, text);
  const Outcome guessed = Sfconv({"convert", "--from", "auto", "--to", "iast"}, text);
  ASSERT_EQ(guessed.status, 0) << guessed.err;
  EXPECT_EQ(guessed.out.size(), named.out.size());
  EXPECT_TRUE(guessed.out == named.out);
}

TEST(ConvertFromAuto, AnUnsureGuessConvertsAndSaysSoAndStrictFails) {
  for (const bool strict : {false, true}) {
    std::vector<std::string> args = {"convert", "--from", "auto", "--to", "devanagari"};
    if (strict) args.push_back("--strict");
    const Outcome outcome = Sfconv(args, "rAma\n");
    EXPECT_EQ(outcome.status, strict ? kExitDropped : kExitOk);
    EXPECT_FALSE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("the input may be in"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("too few letters to tell"), std::string::npos) << outcome.err;
  }
}

TEST(ConvertFromAuto, TriesTheFontOfLoadedTables) {
  test::TempDir dir;
  ASSERT_EQ(Sfconv({"tables", "--export", dir.path().string(), "-d", "Vedic"}).status, 0);
  const std::string vedic =
      Sfconv({"to-devanagari", "-d", "Vedic"}, DataLines("gita.sanskrit-times.txt", 30)).out;
  const Outcome outcome =
      Sfconv({"convert", "--tables", dir.path().string(), "--from", "auto", "--to", "iast"}, vedic);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  // The loaded tables are Vedic's own: both read alike; Vedic comes first.
  EXPECT_NE(outcome.err.find("the input reads as \"Vedic\""), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, Sfconv({"convert", "--from", "Vedic", "--to", "iast"}, vedic).out);
}

}  // namespace
}  // namespace sfc
