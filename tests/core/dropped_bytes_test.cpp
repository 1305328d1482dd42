// Input bytes that no rule takes: both conversions leave them out of the
// output as before, and count them with their lines and columns.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

using Positions = std::vector<InputPosition>;

ConverterState SanskritTimesVedic() {
  return test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
}

ConversionResult ToDevanagari(std::string_view input, ConverterState state = SanskritTimesVedic()) {
  return ConvertToDevanagari(state, input, false);
}

ConversionResult ToTranslit(std::string_view input, DevanagariFont font) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  return RunDevanagariToTranslitCommand(state, input);
}

// Every drop the handler is told of, with the byte in front.
struct Told {
  unsigned char byte;
  InputPosition at;
  friend bool operator==(const Told&, const Told&) = default;
};

// The input fed in blocks cut every `step` bytes.
template <typename Stream>
void FeedInSteps(Stream& stream, std::string_view input, std::size_t step) {
  for (std::size_t at = 0; at < input.size(); at += step) stream.Feed(input.substr(at, step));
}

struct StreamedDrops {
  std::string output;
  DroppedBytes dropped;
  std::vector<Told> told;
};

StreamedDrops StreamToDevanagari(std::string_view input, std::size_t step, int dash_mode) {
  StreamedDrops run;
  ConverterState state = SanskritTimesVedic();
  state.dash_mode = dash_mode;
  StreamOptions options;
  options.pass_on_threshold = 1;
  options.on_drop = [&run](unsigned char byte, InputPosition at) {
    run.told.push_back({byte, at});
  };
  ToDevanagariStream stream(
      state, false, {}, [&run](std::string_view piece) { run.output.append(piece); }, options);
  FeedInSteps(stream, input, step);
  run.dropped = stream.Finish().dropped;
  return run;
}

StreamedDrops StreamToTranslit(std::string_view input, std::size_t step, DevanagariFont font) {
  StreamedDrops run;
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  FillGlyphCodeTable(state);
  StreamOptions options;
  options.pass_on_threshold = 1;
  options.on_drop = [&run](unsigned char byte, InputPosition at) {
    run.told.push_back({byte, at});
  };
  ToTranslitStream stream(
      state, {}, [&run](std::string_view piece) { run.output.append(piece); }, options);
  FeedInSteps(stream, input, step);
  run.dropped = stream.Finish().dropped;
  return run;
}

// Where a byte stands in a text, line and column from 1.
std::vector<Told> PlacesOf(std::string_view text, std::string_view bytes) {
  std::vector<Told> places;
  std::uint64_t line = 1;
  std::uint64_t column = 0;
  for (const char c : text) {
    ++column;
    if (bytes.find(c) != std::string_view::npos) {
      places.push_back({static_cast<unsigned char>(c), {line, column}});
    }
    if (c == '\n') {
      ++line;
      column = 0;
    }
  }
  return places;
}

// ---- transliteration to Devanagari ----

TEST(DroppedBytesToDevanagari, ATabIsLeftOutAndCounted) {
  const ConversionResult result = ToDevanagari("ka\tka");
  EXPECT_EQ(result.dropped.total, 1u);
  EXPECT_EQ(result.dropped.count['\t'], 1u);
  EXPECT_EQ(result.dropped.first_positions['\t'], (Positions{{1, 3}}));
}

TEST(DroppedBytesToDevanagari, TheOutputIsWhatItWas) {
  // The bytes left out change nothing else: the letters around them are
  // converted as before.
  EXPECT_BYTES(B({"kk "}), ToDevanagari("ka\tka").output);
  EXPECT_BYTES(ToDevanagari("rma").output, ToDevanagari("rAma").output);
}

TEST(DroppedBytesToDevanagari, CapitalsAreLeftOut) {
  const ConversionResult result = ToDevanagari("rAma\nQa");
  EXPECT_EQ(result.dropped.total, 2u);
  EXPECT_EQ(result.dropped.first_positions['A'], (Positions{{1, 2}}));
  EXPECT_EQ(result.dropped.first_positions['Q'], (Positions{{2, 1}}));
}

TEST(DroppedBytesToDevanagari, ByteOrderMarksAreLeftOut) {
  ConversionResult result = ToDevanagari(B({0xEF, 0xBB, 0xBF, "ka"}));
  EXPECT_EQ(result.dropped.total, 3u);
  EXPECT_EQ(result.dropped.first_positions[0xEF], (Positions{{1, 1}}));
  EXPECT_EQ(result.dropped.first_positions[0xBF], (Positions{{1, 3}}));
  result = ToDevanagari(B({0xFF, 0xFE, "k", 0, "a", 0}));
  EXPECT_EQ(result.dropped.total, 4u);
  EXPECT_EQ(result.dropped.count[0], 2u);
  EXPECT_EQ(result.dropped.first_positions[0], (Positions{{1, 4}, {1, 6}}));
}

TEST(DroppedBytesToDevanagari, BytesCCAndFFAreLeftOut) {
  // 0xCC is no letter of any transliteration font; 0xFF is one of URW
  // Palladio IT only.
  for (const TranslitFont font :
       {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes, TranslitFont::kUrwPalladioIt}) {
    ConverterState state = test::StateFor(font, DevanagariFont::kVedic);
    const ConversionResult result = ConvertToDevanagari(state, B({"k", 0xCC, "a", 0xFF}), false);
    EXPECT_EQ(result.dropped.count[0xCC], 1u) << FontName(font);
    EXPECT_EQ(result.dropped.first_positions[0xCC], (Positions{{1, 2}})) << FontName(font);
    const bool ff_is_a_letter = font == TranslitFont::kUrwPalladioIt;
    EXPECT_EQ(result.dropped.count[0xFF], ff_is_a_letter ? 0u : 1u) << FontName(font);
  }
}

TEST(DroppedBytesToDevanagari, ThePaddingNeverCounts) {
  for (const std::string_view input : {"", " ", "a", "ka", "\n", "k\n"}) {
    EXPECT_EQ(ToDevanagari(input).dropped.total, 0u) << input;
  }
  EXPECT_EQ(ToDevanagari(B({0x1b})).dropped.total, 1u);
}

TEST(DroppedBytesToDevanagari, ManyDropsKeepTheFirstPositionsOnly) {
  const ConversionResult result = ToDevanagari(std::string(1000, '\xCC'));
  EXPECT_EQ(result.dropped.total, 1000u);
  EXPECT_EQ(result.dropped.count[0xCC], 1000u);
  EXPECT_EQ(result.dropped.first_positions[0xCC],
            (Positions{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}));
}

TEST(DroppedBytesToDevanagari, PositionsHoldAcrossBlocksAndAroundDashes) {
  // The dash look-ahead inserts underscores and erases dashes in the
  // letters it reads; positions are those of the input all the same.
  std::mt19937 random(7);
  const std::string_view letters = "ka_-Qt- \nQr";
  for (int round = 0; round < 300; ++round) {
    std::string input;
    const std::size_t length = random() % 60;
    for (std::size_t i = 0; i < length; ++i) input += letters[random() % letters.size()];
    const std::vector<Told> expected = PlacesOf(input, "Q");
    for (const int dash_mode : {kDashAddAspirata, kDashSkip}) {
      const StreamedDrops whole = StreamToDevanagari(input, input.size() + 1, dash_mode);
      EXPECT_EQ(whole.told, expected) << input;
      EXPECT_EQ(whole.dropped.total, expected.size()) << input;
      for (const std::size_t step : {1u, 2u, 5u}) {
        const StreamedDrops cut = StreamToDevanagari(input, step, dash_mode);
        EXPECT_EQ(cut.output, whole.output) << input;
        EXPECT_EQ(cut.told, expected) << input << " in blocks of " << step;
      }
    }
  }
}

TEST(DroppedBytesToDevanagari, LongInputInBlocks) {
  std::string input;
  for (int line = 0; line < 5000; ++line) input += line % 1000 == 999 ? "ka\tka\n" : "kaka\n";
  const std::vector<Told> expected = PlacesOf(input, "\t");
  const StreamedDrops run = StreamToDevanagari(input, 4096, kDashAddAspirata);
  EXPECT_EQ(run.told, expected);
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(expected.front().at, (InputPosition{1000, 3}));
}

// ---- Devanagari to transliteration ----

// Dev Natraj ITR names glyph 75 ('K') as the la glyph, a role the font's
// rules give another glyph: no rule reads it.
TEST(DroppedBytesToTranslit, AGlyphWithNoRuleIsLeftOutAndCounted) {
  const ConversionResult with = ToTranslit("kKk", DevanagariFont::kDevNatrajItr);
  const ConversionResult without = ToTranslit("kk", DevanagariFont::kDevNatrajItr);
  EXPECT_BYTES(without.output, with.output);
  EXPECT_EQ(with.dropped.total, 1u);
  EXPECT_EQ(with.dropped.first_positions['K'], (Positions{{1, 2}}));
  EXPECT_EQ(without.dropped.total, 0u);
}

TEST(DroppedBytesToTranslit, TheAspirataSignIsARule) {
  // It reads as nothing by a rule of its own: not counted.
  const ConversionResult there = ToDevanagari("vak ");
  ASSERT_TRUE(there.completed);
  EXPECT_EQ(ToTranslit(there.output, DevanagariFont::kVedic).dropped.total, 0u);
}

TEST(DroppedBytesToTranslit, PositionsHoldAcrossBlocks) {
  std::mt19937 random(11);
  const std::string_view glyphs = "kKa\nmK ";
  for (int round = 0; round < 200; ++round) {
    std::string input;
    const std::size_t length = random() % 200;
    for (std::size_t i = 0; i < length; ++i) input += glyphs[random() % glyphs.size()];
    const std::vector<Told> expected = PlacesOf(input, "K");
    const StreamedDrops whole =
        StreamToTranslit(input, input.size() + 1, DevanagariFont::kDevNatrajItr);
    EXPECT_EQ(whole.told, expected) << input;
    for (const std::size_t step : {1u, 3u, 70u}) {
      const StreamedDrops cut = StreamToTranslit(input, step, DevanagariFont::kDevNatrajItr);
      EXPECT_EQ(cut.output, whole.output) << input;
      EXPECT_EQ(cut.told, expected) << input << " in blocks of " << step;
    }
  }
}

TEST(DroppedBytesToTranslit, OrdinaryTextDropsNothing) {
  for (const DevanagariFont font :
       {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
    ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
    const std::string text = test::ReadFileBytes(test::GitaFile(TranslitFont::kSanskritTimes));
    const ConversionResult there = ConvertToDevanagari(state, text, false);
    EXPECT_EQ(there.dropped.total, 0u);
    EXPECT_EQ(RunDevanagariToTranslitCommand(state, there.output).dropped.total, 0u);
  }
}

// ---- the window's session ----

TEST(DroppedBytesSession, TheCountsReachTheWindow) {
  Session session;
  ConversionResult result = session.Convert("ka\tka");
  EXPECT_EQ(result.dropped.count['\t'], 1u);
  EXPECT_EQ(result.dropped.first_positions['\t'], (Positions{{1, 3}}));

  std::vector<Told> told;
  StreamOptions options;
  options.on_drop = [&told](unsigned char byte, InputPosition at) { told.push_back({byte, at}); };
  const std::unique_ptr<ConversionStream> stream = session.BeginConversion({}, {}, options);
  stream->Feed("ka\n");
  stream->Feed("Qa");
  const StreamEnd end = stream->Finish();
  EXPECT_EQ(end.dropped.total, 1u);
  EXPECT_EQ(told, (std::vector<Told>{{'Q', {2, 1}}}));

  session.PressDevanagariFontButton(DevanagariFont::kDevNatrajItr);
  session.ChooseDirection(Direction::kToTranslit);
  result = session.Convert("kKk");
  EXPECT_EQ(result.dropped.count['K'], 1u);
}

// ---- names and Unicode input ----

TEST(DroppedBytesNames, ControlBytesPrintableAndOthers) {
  EXPECT_EQ(ByteName('\t'), "TAB");
  EXPECT_EQ(ByteName('\r'), "CR");
  EXPECT_EQ(ByteName('\n'), "LF");
  EXPECT_EQ(ByteName(0), "NUL");
  EXPECT_EQ(ByteName(0x1b), "ESC");
  EXPECT_EQ(ByteName('Q'), "'Q'");
  EXPECT_EQ(ByteName(0x7f), "DEL");
  EXPECT_EQ(ByteName(0xCC), "0xCC");
  EXPECT_EQ(ByteName(0xFF), "0xFF");
}

TEST(LooksLikeUtf8Text, UnicodeTextIsRecognised) {
  EXPECT_TRUE(LooksLikeUtf8Text(test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt")));
  EXPECT_TRUE(LooksLikeUtf8Text(test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt")));
  EXPECT_TRUE(LooksLikeUtf8Text("r\xC4\x81ma"));
  EXPECT_TRUE(LooksLikeUtf8Text(B({0xEF, 0xBB, 0xBF, "rama"})));
  EXPECT_TRUE(LooksLikeUtf8Text(B({0xFF, 0xFE, "r", 0})));
  EXPECT_TRUE(LooksLikeUtf8Text(B({0xFE, 0xFF, 0, "r"})));
}

TEST(LooksLikeUtf8Text, FontBytesAreNot) {
  for (const TranslitFont font :
       {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes, TranslitFont::kUrwPalladioIt}) {
    EXPECT_FALSE(LooksLikeUtf8Text(test::ReadFileBytes(test::GitaFile(font)))) << FontName(font);
  }
  EXPECT_FALSE(LooksLikeUtf8Text(""));
  EXPECT_FALSE(LooksLikeUtf8Text("rama"));             // ASCII only
  EXPECT_FALSE(LooksLikeUtf8Text("r\xC4\x81ma\xFF"));  // an invalid byte after
  EXPECT_FALSE(LooksLikeUtf8Text("\xC0\x80"));         // an overlong form
  EXPECT_FALSE(LooksLikeUtf8Text("\xED\xA0\x80"));     // a surrogate
  // Only the first 64 KB are looked at; a sequence cut off there counts.
  std::string text(64 * 1024 - 1, 'a');
  text += "\xC4\x81\xFF";
  EXPECT_TRUE(LooksLikeUtf8Text(text));
}

}  // namespace
}  // namespace sfc
