// Where a run that was cut short stopped, and the one line that tells it
// (the window's status bar and sfconv say the same).

#include "conversion.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

ConverterState TranslitState(DevanagariFont font = DevanagariFont::kVedic) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, font);
  FillGlyphCodeTable(state);
  return state;
}

// "_" writes nothing here, so a "-" after it has no glyph to remove.
ConverterState DevanagariStateThatStops() {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  state.sanideva.full[189].clear();
  return state;
}

// The stop of a run fed in blocks of `step` bytes.
template <typename Stream, typename... Args>
StreamEnd Streamed(std::string_view input, std::size_t step, Args&&... args) {
  Stream stream(std::forward<Args>(args)..., InputBox{}, [](std::string_view) {});
  for (std::size_t at = 0; at < input.size(); at += step) stream.Feed(input.substr(at, step));
  return stream.Finish();
}

TEST(RunStop, GlyphWithoutEntryStopsTheRunWhereItStands) {
  const std::string long_line(100'000, 'k');
  struct Case {
    std::string input;
    std::uint64_t offset;
    InputPosition at;
    std::string before;
    std::string after;
  };
  for (const Case& c : std::vector<Case>{
           {B({"k", 0, "k"}), 1, {1, 2}, "k", B({0, "k"})},
           {B({0, "kk"}), 0, {1, 1}, "", B({0, "kk"})},
           {B({"ka\nkam\n", 0, "mmmmmmmmmmmmmmmmmm"}),
            7,
            {3, 1},
            "ka\nkam\n",
            B({0, "mmmmmmmmmmm"})},
           {long_line + B({"\n", 0, "k"}),
            100'001,
            {2, 1},
            std::string(11, 'k') + "\n",
            B({0, "k"})},
           {"ab\n" + long_line + B({0, "k"}),
            100'003,
            {2, 100'001},
            std::string(12, 'k'),
            B({0, "k"})},
       }) {
    SCOPED_TRACE(test::Show(c.input.substr(0, 40)));
    ConverterState state = TranslitState();
    const ConversionResult whole = ConvertDevanagariToTranslit(state, c.input);
    ASSERT_FALSE(whole.completed);
    ASSERT_TRUE(whole.stop.has_value());
    EXPECT_EQ(whole.stop->offset, c.offset);
    EXPECT_EQ(whole.stop->at, c.at);
    EXPECT_BYTES(c.before, whole.stop->before);
    EXPECT_BYTES(c.after, whole.stop->after);
    // Any cut into blocks finds the same place.
    for (const std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{65'536}}) {
      ConverterState fresh = TranslitState();
      const StreamEnd end = Streamed<ToTranslitStream>(c.input, step, fresh);
      ASSERT_TRUE(end.stop.has_value()) << step;
      EXPECT_EQ(end.stop->offset, c.offset) << step;
      EXPECT_EQ(end.stop->at, c.at) << step;
    }
  }
}

TEST(RunStop, ARuleWithNothingToRemoveStopsTheRun) {
  struct Case {
    std::string input;
    InputPosition at;
  };
  for (const Case& c : std::vector<Case>{
           {"_-kakaka", {1, 2}},
           {"QQ_-kakaka", {1, 4}},
       }) {
    SCOPED_TRACE(c.input);
    ConverterState state = DevanagariStateThatStops();
    const ConversionResult whole = ConvertToDevanagari(state, c.input, false);
    ASSERT_FALSE(whole.completed);
    ASSERT_TRUE(whole.stop.has_value());
    EXPECT_EQ(whole.stop->at, c.at);
    EXPECT_EQ(whole.stop->after.substr(0, 1), "-");
    for (const std::size_t step : {std::size_t{1}, std::size_t{3}}) {
      ConverterState fresh = DevanagariStateThatStops();
      const StreamEnd end = Streamed<ToDevanagariStream>(c.input, step, fresh, false);
      ASSERT_TRUE(end.stop.has_value()) << step;
      EXPECT_EQ(end.stop->at, c.at) << step;
      EXPECT_EQ(end.stop->offset, whole.stop->offset) << step;
    }
  }
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

TEST(RunStop, ARunThatCompletesHasNoStop) {
  ConverterState state = TranslitState();
  EXPECT_FALSE(ConvertDevanagariToTranslit(state, "kaka").stop.has_value());
  ConverterState there = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  const ConversionResult forth = ConvertToDevanagari(there, "_-kakaka", false);
  EXPECT_TRUE(forth.completed);
  EXPECT_FALSE(forth.stop.has_value());
}

}  // namespace
}  // namespace sfc
