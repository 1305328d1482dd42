// Bytes that no rule takes, counted with their lines and columns, and where
// a run that was cut short stopped, with the line that tells it.

#include <random>

#include "conversion.h"
#include "session.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

// Every drop the handler is told of, with the byte in front.
struct Told {
  unsigned char byte;
  InputPosition at;
  friend bool operator==(const Told&, const Told&) = default;
};

struct StreamedRun {
  std::string output;
  StreamEnd end;
  std::vector<Told> told;
};

ConverterState Times(DevanagariFont font = DevanagariFont::kVedic,
                     int dash_mode = kDashAddAspirata) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  state.dash_mode = dash_mode;
  return state;
}

// The input fed in blocks of `step` bytes to a stream of either direction.
template <typename Stream>
StreamedRun Streamed(ConverterState state, std::string_view input, std::size_t step) {
  StreamedRun run;
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
  run.end = stream->Finish();
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
    std::vector<InputPosition> first;
  };
  constexpr TranslitFont kTimes = TranslitFont::kSanskritTimes;
  const std::string many(1000, '\xCC');
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
           {kTimes, many, 1000, 0xCC, 1000, {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}},
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
  // The letters around them are converted as before.
  ConverterState state = Times();
  EXPECT_BYTES(ConvertToDevanagari(state, "rma", false).output,
               ConvertToDevanagari(state, "rAma", false).output);
}

template <typename Stream>
void ExpectPlacesInBlocks(const std::string& input, std::string_view dropped,
                          const ConverterState& state, std::initializer_list<std::size_t> steps) {
  const std::vector<Told> expected = PlacesOf(input, dropped);
  const StreamedRun whole = Streamed<Stream>(state, input, input.size() + 1);
  EXPECT_EQ(whole.told, expected) << input;
  EXPECT_EQ(whole.end.dropped.total, expected.size()) << input;
  for (const std::size_t step : steps) {
    const StreamedRun cut = Streamed<Stream>(state, input, step);
    EXPECT_EQ(cut.output, whole.output) << input;
    EXPECT_EQ(cut.told, expected) << input << " in blocks of " << step;
  }
}

// The dash look-ahead inserts and erases letters; Dev Natraj ITR's glyph 75
// ('K') is named a la glyph whose role the rules give another: no rule reads it.
TEST(DroppedBytes, PositionsHoldAcrossBlocksInBothDirections) {
  std::mt19937 random(7);
  const auto random_text = [&random](std::string_view letters, std::size_t max_length) {
    std::string text(random() % max_length, ' ');
    for (char& c : text) c = letters[random() % letters.size()];
    return text;
  };
  for (int round = 0; round < 300; ++round) {
    const std::string input = random_text("ka_-Qt- \nQr", 60);
    for (const int dash_mode : {kDashAddAspirata, kDashSkip}) {
      ExpectPlacesInBlocks<ToDevanagariStream>(input, "Q", Times(DevanagariFont::kVedic, dash_mode),
                                               {1, 2, 5});
    }
    ExpectPlacesInBlocks<ToTranslitStream>(random_text("kKa\nmK ", 200), "K",
                                           Times(DevanagariFont::kDevNatrajItr), {1, 3, 70});
  }
  std::string long_input;
  for (int line = 0; line < 5000; ++line) long_input += line % 1000 == 999 ? "ka\tka\n" : "kaka\n";
  const std::vector<Told> expected = PlacesOf(long_input, "\t");
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(expected.front().at, (InputPosition{1000, 3}));
  EXPECT_EQ(Streamed<ToDevanagariStream>(Times(), long_input, 4096).told, expected);
}

// The aspirata sign reads as nothing by a rule of its own: not counted.
// (Ordinary text drops nothing: the round trips of the Gita.)
TEST(DroppedBytes, TheAspirataSignIsARule) {
  ConverterState state = Times();
  const ConversionResult there = ConvertToDevanagari(state, "vak ", false);
  EXPECT_EQ(RunDevanagariToTranslitCommand(state, there.output).dropped.total, 0u);
}

TEST(DroppedBytes, TheSessionTellsThemAsTheyCome) {
  Session session;
  std::vector<Told> told;
  StreamOptions options;
  options.on_drop = [&told](unsigned char byte, InputPosition at) { told.push_back({byte, at}); };
  const std::unique_ptr<ConversionStream> stream = session.BeginConversion({}, {}, options);
  stream->Feed("ka\n");
  stream->Feed("Qa");
  EXPECT_EQ(stream->Finish().dropped.total, 1u);
  EXPECT_EQ(told, (std::vector<Told>{{'Q', {2, 1}}}));
}

TEST(LooksLikeUtf8Text, UnicodeTextIsRecognisedAndFontBytesAreNot) {
  // Only the first 64 KB are looked at; a sequence cut off there counts.
  const std::string cut_off = std::string(64 * 1024 - 1, 'a') + "\xC4\x81\xFF";
  for (const auto& [text, utf8] : std::vector<std::pair<std::string, bool>>{
           {test::ReadFileBytes(test::TestDataDir() / "gita.devanagari.txt"), true},
           {"r\xC4\x81ma", true},
           {B({0xEF, 0xBB, 0xBF, "rama"}), true},
           {B({0xFF, 0xFE, "r", 0}), true},
           {B({0xFE, 0xFF, 0, "r"}), true},
           {cut_off, true},
           {test::ReadFileBytes(test::GitaFile(TranslitFont::kSanskritTimes)), false},
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

// "_" writes nothing here, so a "-" after it has no glyph to remove.
ConverterState StopsAtADash() {
  ConverterState state = Times();
  state.sanideva.full[189].clear();
  return state;
}

// A glyph without an entry, or a rule with nothing to remove, stops the run.
TEST(RunStop, TheRunStopsWhereItStands) {
  const std::string long_line(100'000, 'k');
  struct Case {
    bool to_devanagari;
    std::string input;
    std::uint64_t offset;
    InputPosition at;
    std::string before;
    std::string after;
  };
  for (const Case& c : std::vector<Case>{
           {false, B({"k", 0, "k"}), 1, {1, 2}, "k", B({0, "k"})},
           {false, B({0, "kk"}), 0, {1, 1}, "", B({0, "kk"})},
           {false,
            B({"ka\nkam\n", 0, "mmmmmmmmmmmmmmmmmm"}),
            7,
            {3, 1},
            "ka\nkam\n",
            B({0, "mmmmmmmmmmm"})},
           {false,
            long_line + B({"\n", 0, "k"}),
            100'001,
            {2, 1},
            std::string(11, 'k') + "\n",
            B({0, "k"})},
           {false,
            "ab\n" + long_line + B({0, "k"}),
            100'003,
            {2, 100'001},
            std::string(12, 'k'),
            B({0, "k"})},
           {true, "_-kakaka", 1, {1, 2}, "_", "-kakaka"},
           {true, "QQ_-kakaka", 3, {1, 4}, "QQ_", "-kakaka"},
       }) {
    SCOPED_TRACE(test::Show(c.input.substr(0, 40)));
    ConverterState state = c.to_devanagari ? StopsAtADash() : Times();
    const ConversionResult whole = c.to_devanagari ? ConvertToDevanagari(state, c.input, false)
                                                   : RunDevanagariToTranslitCommand(state, c.input);
    ASSERT_FALSE(whole.completed);
    ASSERT_TRUE(whole.stop.has_value());
    EXPECT_EQ(whole.stop->offset, c.offset);
    EXPECT_EQ(whole.stop->at, c.at);
    EXPECT_BYTES(c.before, whole.stop->before);
    EXPECT_BYTES(c.after, whole.stop->after);
    if (c.to_devanagari) {
      EXPECT_EQ(whole.output, "");
    }
    for (const std::size_t step : {std::size_t{1}, std::size_t{3}, std::size_t{65'536}}) {
      const StreamEnd end = c.to_devanagari
                                ? Streamed<ToDevanagariStream>(StopsAtADash(), c.input, step).end
                                : Streamed<ToTranslitStream>(Times(), c.input, step).end;
      ASSERT_TRUE(end.stop.has_value()) << step;
      EXPECT_EQ(end.stop->offset, c.offset) << step;
      EXPECT_EQ(end.stop->at, c.at) << step;
    }
  }
  // A run that completes has no stop, and the clipboard holds its whole output.
  ConverterState state = Times();
  EXPECT_FALSE(RunDevanagariToTranslitCommand(state, "kaka").stop.has_value());
  const ConversionResult forth = ConvertToDevanagari(state, "_-kakaka", false);
  EXPECT_TRUE(forth.completed);
  EXPECT_FALSE(forth.stop.has_value());
  EXPECT_BYTES(forth.output, forth.Clipboard());
}

TEST(DescribeStop, NamesThePlaceAndTheBytesAroundIt) {
  const std::string kRest = "; the rest of the input was not converted";
  struct Case {
    RunStop stop;
    std::string where;
    std::string line;
  };
  for (const Case& c : std::vector<Case>{
           {{0, {1, 1}, "", B({0})}, "", "stopped at line 1, column 1 (byte 1), at \"\\x00\""},
           {{8, {2, 4}, "ka\n\tk\"\\", B({0, 255, "k\r"})},
            "",
            "stopped at line 2, column 4 (byte 9), at \"\\x00\\xFFk\\r\" after "
            "\"ka\\n\\tk\\\"\\\\\""},
           {{500, {3, 20}, std::string(12, 'a'), std::string(12, 'b')},
            " of the text between",
            "stopped at line 3, column 20 of the text between (byte 501), at "
            "\"bbbbbbbbbbbb...\" after \"...aaaaaaaaaaaa\""},
           {{12, {1, 13}, std::string(12, 'a'), "b"},
            "",
            "stopped at line 1, column 13 (byte 13), at \"b\" after \"aaaaaaaaaaaa\""},
           {{40, {1, 41}, "", ""}, "", "stopped at line 1, column 41 (byte 41)"},
       }) {
    EXPECT_EQ(DescribeStop(c.stop, c.where), c.line + kRest);
  }
  StreamEnd end;
  end.stop = RunStop{0, {1, 1}, "", "x"};
  EXPECT_EQ(DescribeStop(end), "stopped at line 1, column 1 (byte 1), at \"x\"" + kRest);
  end.completed = true;
  EXPECT_EQ(DescribeStop(end), "");
}

}  // namespace
}  // namespace sfc
