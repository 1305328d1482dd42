// The streaming face of transliteration to Devanagari: any cut of the input
// into blocks, with output passed on as soon as it is final, gives what the
// whole text at once gives.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "syllable_rows.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

struct StreamRun {
  std::string output;
  StreamEnd end;
  std::size_t passed_before_finish = 0;
  ConverterState state;  // after the run
};

struct Settings {
  ConverterState state;
  bool shift_m_to_n = false;
  int dash_mode = kDashAddAspirata;
  bool passes_on = true;  // ordinary text is passed on as it goes
};

// Feeds the input cut at the given offsets (ascending).
StreamRun Stream(const Settings& settings, std::string_view input,
                 const std::vector<std::size_t>& cuts, StreamOptions options) {
  StreamRun run;
  run.state = settings.state;
  run.state.dash_mode = settings.dash_mode;
  InputBox box = [n = 0](const InputBoxRequest&) mutable {
    return "answer " + std::to_string(++n);
  };
  ToDevanagariStream stream(
      run.state, settings.shift_m_to_n, box,
      [&run](std::string_view piece) { run.output.append(piece); }, options);
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    stream.Feed(input.substr(from, cut - from));
    from = cut;
  }
  stream.Feed(input.substr(from));
  run.passed_before_finish = run.output.size();
  run.end = stream.Finish();
  return run;
}

StreamRun Held(const Settings& settings, std::string_view input) {
  StreamOptions options;
  options.hold_output = true;
  options.clipboard = true;
  return Stream(settings, input, {}, options);
}

void ExpectSameRun(const StreamRun& expected, const StreamRun& actual) {
  EXPECT_BYTES(expected.output, actual.output);
  EXPECT_EQ(expected.end.completed, actual.end.completed);
  ASSERT_EQ(expected.end.input_boxes.size(), actual.end.input_boxes.size());
  for (std::size_t i = 0; i < expected.end.input_boxes.size(); ++i) {
    EXPECT_EQ(expected.end.input_boxes[i].answer, actual.end.input_boxes[i].answer);
  }
  EXPECT_EQ(expected.state.dash_state, actual.state.dash_state);
}

std::vector<Settings> AllSettings() {
  std::vector<Settings> all;
  for (TranslitFont t : kTranslitFonts) {
    for (DevanagariFont d : kDevanagariFonts) {
      all.push_back({test::StateFor(t, d), false, kDashAddAspirata});
    }
  }
  all.push_back({MakeStartupState(), false, kDashAddAspirata});
  all.push_back({test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic), true,
                 kDashAddAspirata});
  all.push_back({test::StateFor(TranslitFont::kItrTransTimes, DevanagariFont::kSanskrit99), false,
                 kDashSkip});
  // Tables as a load from disk leaves them: read under a font name of their
  // own; one whose removals write nothing in place of what they remove, and
  // one whose short-i map has no syllable glyph (both hold the whole output).
  Settings own{test::StateFor(TranslitFont::kUrwPalladioIt, DevanagariFont::kDevNatrajItr), false,
               kDashAddAspirata};
  SetDevanagariBoxFont(own.state, "My Font");
  all.push_back(own);
  own.state.sanideva.full[Row::kApostrophe].clear();
  own.state.sanideva.full[Row::kDash].clear();
  own.passes_on = false;
  all.push_back(own);
  Settings no_syllables = all.front();
  no_syllables.state.short_i.fill("n");
  no_syllables.passes_on = false;
  all.push_back(no_syllables);
  return all;
}

StreamOptions PassOnAtOnce() {
  StreamOptions options;
  options.pass_on_threshold = 1;
  options.clipboard = true;
  return options;
}

TEST(Stream, GitaInBlocksGivesTheWholeTextOutput) {
  for (const Settings& settings : AllSettings()) {
    const std::string gita = test::ReadFileBytes(
        test::GitaFile(FindTranslitFont(settings.state.translit_box_font).value()));
    const StreamRun whole = Held(settings, gita);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1; at < gita.size(); at += 1 + at % 7) cuts.push_back(at);
    const StreamRun streamed = Stream(settings, gita, cuts, PassOnAtOnce());
    ExpectSameRun(whole, streamed);
    // Ordinary text is passed on as it goes, not at the end.
    if (settings.passes_on) {
      EXPECT_GT(streamed.passed_before_finish, whole.output.size() - 1000);
    }
    // The whole-text face reads the same.
    ConverterState state = settings.state;
    state.dash_mode = settings.dash_mode;
    const ConversionResult result = ConvertToDevanagari(state, gita, settings.shift_m_to_n);
    EXPECT_BYTES(whole.output, result.output);
    EXPECT_BYTES(ClipboardText(whole.output, whole.end), result.clipboard);
  }
}

// Random text over the letters the rules look at, cut at random places.
TEST(Stream, RandomTextInRandomBlocks) {
  const std::string alphabet = B({"aaaiiiuueokgjtdnpbmyrlvsh  -_'/", 128, 133, 153, 141, 136, 131,
                                  137, 152, 129, 138, 143, 144, 150, 160, 10, "[", "~"});
  std::mt19937 random(7);
  const std::vector<Settings> all = AllSettings();
  for (int round = 0; round < 300; ++round) {
    const Settings& settings = all[random() % all.size()];
    std::string input(random() % 400, ' ');
    for (char& c : input) c = alphabet[random() % alphabet.size()];
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < input.size(); at += 1 + random() % 9) cuts.push_back(at);
    ExpectSameRun(Held(settings, input), Stream(settings, input, cuts, PassOnAtOnce()));
  }
}

// Every cut of a short text in two.
TEST(Stream, EveryCutOfAShortText) {
  const Settings settings{test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic),
                          false, kDashAddAspirata};
  const std::string input = B({"krtsnam dharmi-ksetre 'pi ", 141, "i ddgi _-a ", 136, "i"});
  const StreamRun whole = Held(settings, input);
  for (std::size_t cut = 0; cut <= input.size(); ++cut) {
    SCOPED_TRACE(cut);
    ExpectSameRun(whole, Stream(settings, input, {cut}, PassOnAtOnce()));
  }
}

// A long run of half forms holds its output back; the short-i signs after
// it still land where the whole text puts them.
TEST(Stream, LongRunOfHalfFormsThenShortIs) {
  const Settings settings{test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic),
                          false, kDashAddAspirata};
  const std::string input = "ka " + std::string(3000, 'b') + std::string(3000, 'i') + " ka";
  std::vector<std::size_t> cuts;
  for (std::size_t at = 100; at < input.size(); at += 100) cuts.push_back(at);
  ExpectSameRun(Held(settings, input), Stream(settings, input, cuts, PassOnAtOnce()));
}

// The run ends early (a removal with no output left): later blocks count as
// letters left unread.
TEST(Stream, RunThatEndsEarlyStaysCutShort) {
  const Settings settings{test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic),
                          false, kDashAddAspirata};
  for (const std::string& input : {std::string("'ka"), std::string("'") + std::string(200, 'k')}) {
    const StreamRun whole = Held(settings, input);
    ExpectSameRun(whole, Stream(settings, input, {1, 2}, PassOnAtOnce()));
  }
}

}  // namespace
}  // namespace sfc
