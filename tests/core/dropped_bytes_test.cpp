// Input bytes that no rule takes: both conversions leave them out of the
// output as before, and count them with their lines and columns. (What
// sfconv tells of them: tests/cli/dropped_bytes_test.cpp.)

#include <random>

#include "conversion.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;
using Positions = std::vector<InputPosition>;

// Every drop the handler is told of, with the byte in front.
struct Told {
  unsigned char byte;
  InputPosition at;
  friend bool operator==(const Told&, const Told&) = default;
};

struct StreamedDrops {
  std::string output;
  DroppedBytes dropped;
  std::vector<Told> told;
};

// The input fed in blocks cut every `step` bytes to a stream of either
// direction.
template <typename Stream>
StreamedDrops Streamed(std::string_view input, std::size_t step, DevanagariFont font,
                       int dash_mode = kDashAddAspirata) {
  StreamedDrops run;
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  state.dash_mode = dash_mode;
  StreamOptions options;
  options.pass_on_threshold = 1;
  options.on_drop = [&run](unsigned char byte, InputPosition at) {
    run.told.push_back({byte, at});
  };
  const auto sink = [&run](std::string_view piece) { run.output.append(piece); };
  std::optional<Stream> stream;
  if constexpr (std::is_same_v<Stream, ToDevanagariStream>) {
    stream.emplace(state, false, InputBox{}, sink, options);
  } else {
    FillGlyphCodeTable(state);
    stream.emplace(state, InputBox{}, sink, options);
  }
  for (std::size_t at = 0; at < input.size(); at += step) stream->Feed(input.substr(at, step));
  run.dropped = stream->Finish().dropped;
  return run;
}

// Where the bytes stand in a text, line and column from 1.
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

TEST(DroppedBytes, AreLeftOutAndCountedWithTheirFirstPositions) {
  struct Case {
    TranslitFont font;
    std::string input;
    std::uint64_t total;
    unsigned char byte;  // one of them, with its count and first positions
    std::uint64_t count;
    Positions first;
  };
  constexpr TranslitFont kTimes = TranslitFont::kSanskritTimes;
  for (const Case& c : std::vector<Case>{
           {kTimes, "ka\tka", 1, '\t', 1, {{1, 3}}},
           {kTimes, "rAma\nQa", 2, 'Q', 1, {{2, 1}}},
           {kTimes, B({0xEF, 0xBB, 0xBF, "ka"}), 3, 0xBF, 1, {{1, 3}}},
           {kTimes, B({0xFF, 0xFE, "k", 0, "a", 0}), 4, 0, 2, {{1, 4}, {1, 6}}},
           // 0xCC is no letter of any transliteration font; 0xFF is one of URW
           // Palladio IT only.
           {kTimes, B({"k", 0xCC, "a", 0xFF}), 2, 0xCC, 1, {{1, 2}}},
           {TranslitFont::kItrTransTimes, B({"k", 0xCC, "a", 0xFF}), 2, 0xFF, 1, {{1, 4}}},
           {TranslitFont::kUrwPalladioIt, B({"k", 0xCC, "a", 0xFF}), 1, 0xFF, 0, {}},
           {kTimes,
            std::string(1000, '\xCC'),
            1000,
            0xCC,
            1000,
            {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}},
           {kTimes, B({0x1b}), 1, 0x1b, 1, {{1, 1}}},
           // The padding never counts.
           {kTimes, "", 0, ' ', 0, {}},
           {kTimes, " ", 0, ' ', 0, {}},
           {kTimes, "a", 0, ' ', 0, {}},
           {kTimes, "k\n", 0, ' ', 0, {}},
       }) {
    SCOPED_TRACE(test::Show(c.input.substr(0, 10)) + " in " + std::string(FontName(c.font)));
    ConverterState state = test::StateFor(c.font, DevanagariFont::kVedic);
    const ConversionResult result = ConvertToDevanagari(state, c.input, false);
    EXPECT_EQ(result.dropped.total, c.total);
    EXPECT_EQ(result.dropped.count[c.byte], c.count);
    EXPECT_EQ(result.dropped.first_positions[c.byte], c.first);
  }
  // The bytes left out change nothing else: the letters around them are
  // converted as before.
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  EXPECT_BYTES(ConvertToDevanagari(state, "rma", false).output,
               ConvertToDevanagari(state, "rAma", false).output);
}

TEST(DroppedBytes, PositionsHoldAcrossBlocksAndAroundDashes) {
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
      const StreamedDrops whole =
          Streamed<ToDevanagariStream>(input, input.size() + 1, DevanagariFont::kVedic, dash_mode);
      EXPECT_EQ(whole.told, expected) << input;
      EXPECT_EQ(whole.dropped.total, expected.size()) << input;
      for (const std::size_t step : {1u, 2u, 5u}) {
        const StreamedDrops cut =
            Streamed<ToDevanagariStream>(input, step, DevanagariFont::kVedic, dash_mode);
        EXPECT_EQ(cut.output, whole.output) << input;
        EXPECT_EQ(cut.told, expected) << input << " in blocks of " << step;
      }
    }
  }
  std::string long_input;
  for (int line = 0; line < 5000; ++line) long_input += line % 1000 == 999 ? "ka\tka\n" : "kaka\n";
  const std::vector<Told> expected = PlacesOf(long_input, "\t");
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(expected.front().at, (InputPosition{1000, 3}));
  EXPECT_EQ(Streamed<ToDevanagariStream>(long_input, 4096, DevanagariFont::kVedic).told, expected);
}

// Dev Natraj ITR names glyph 75 ('K') as the la glyph, a role the font's
// rules give another glyph: no rule reads it.
TEST(DroppedBytes, AGlyphWithNoRuleIsLeftOutAndCountedAcrossBlocks) {
  std::mt19937 random(11);
  const std::string_view glyphs = "kKa\nmK ";
  for (int round = 0; round < 200; ++round) {
    std::string input;
    const std::size_t length = random() % 200;
    for (std::size_t i = 0; i < length; ++i) input += glyphs[random() % glyphs.size()];
    const std::vector<Told> expected = PlacesOf(input, "K");
    const StreamedDrops whole =
        Streamed<ToTranslitStream>(input, input.size() + 1, DevanagariFont::kDevNatrajItr);
    EXPECT_EQ(whole.told, expected) << input;
    EXPECT_EQ(whole.dropped.total, expected.size()) << input;
    for (const std::size_t step : {1u, 3u, 70u}) {
      const StreamedDrops cut =
          Streamed<ToTranslitStream>(input, step, DevanagariFont::kDevNatrajItr);
      EXPECT_EQ(cut.output, whole.output) << input;
      EXPECT_EQ(cut.told, expected) << input << " in blocks of " << step;
    }
  }
}

TEST(DroppedBytes, OrdinaryTextDropsNothingAndTheAspirataSignIsARule) {
  const std::string text = test::ReadFileBytes(test::GitaFile(TranslitFont::kSanskritTimes));
  for (const DevanagariFont font : kDevanagariFonts) {
    ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
    const ConversionResult there = ConvertToDevanagari(state, text, false);
    EXPECT_EQ(there.dropped.total, 0u);
    EXPECT_EQ(RunDevanagariToTranslitCommand(state, there.output).dropped.total, 0u);
  }
  // The aspirata sign reads as nothing by a rule of its own: not counted.
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  const ConversionResult there = ConvertToDevanagari(state, "vak ", false);
  EXPECT_EQ(RunDevanagariToTranslitCommand(state, there.output).dropped.total, 0u);
}

TEST(DroppedBytes, TheCountsReachTheWindow) {
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
  EXPECT_EQ(stream->Finish().dropped.total, 1u);
  EXPECT_EQ(told, (std::vector<Told>{{'Q', {2, 1}}}));

  session.PressDevanagariFontButton(DevanagariFont::kDevNatrajItr);
  session.ChooseDirection(Direction::kToTranslit);
  result = session.Convert("kKk");
  EXPECT_EQ(result.dropped.count['K'], 1u);
  EXPECT_EQ(result.dropped.first_positions['K'], (Positions{{1, 2}}));
}

TEST(LooksLikeUtf8Text, UnicodeTextIsRecognisedAndFontBytesAreNot) {
  // Only the first 64 KB are looked at; a sequence cut off there counts.
  const std::string cut_off = std::string(64 * 1024 - 1, 'a') + "\xC4\x81\xFF";
  for (const auto& [text, utf8] : std::vector<std::pair<std::string, bool>>{
           {test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt"), true},
           {test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt"), true},
           {"r\xC4\x81ma", true},
           {B({0xEF, 0xBB, 0xBF, "rama"}), true},
           {B({0xFF, 0xFE, "r", 0}), true},
           {B({0xFE, 0xFF, 0, "r"}), true},
           {cut_off, true},
           {test::ReadFileBytes(test::GitaFile(TranslitFont::kSanskritTimes)), false},
           {test::ReadFileBytes(test::GitaFile(TranslitFont::kItrTransTimes)), false},
           {test::ReadFileBytes(test::GitaFile(TranslitFont::kUrwPalladioIt)), false},
           {"", false},
           {"rama", false},             // ASCII only
           {"r\xC4\x81ma\xFF", false},  // an invalid byte after
           {"\xC0\x80", false},         // an overlong form
           {"\xED\xA0\x80", false},     // a surrogate
       }) {
    EXPECT_EQ(LooksLikeUtf8Text(text), utf8) << test::Show(text.substr(0, 20));
  }
}

}  // namespace
}  // namespace sfc
