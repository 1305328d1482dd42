// The fast and short ways of a step to Devanagari write what the full way
// writes, over random texts of the fonts' letters in every font and option.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "conversion.h"
#include "state.h"
#include "syllable_rows.h"
#include "test_support.h"

namespace sfc {
namespace {

struct Converted {
  std::string output;
  StreamEnd end;
};

enum class Way { kFull, kFast, kTable };

Converted Convert(ConverterState state, bool shift_m_to_n, std::string_view input, Way way) {
  Converted run;
  // Passed on often: the fast way stops for it.
  ToDevanagariStream stream(
      state, shift_m_to_n, [](const InputBoxRequest&) { return std::string("x"); },
      [&run](std::string_view piece) { run.output.append(piece); },
      {.clipboard = true,
       .pass_on_threshold = 64,
       .full_steps = way == Way::kFull,
       .letter_table = way == Way::kTable,
       .letter_table_after = 0});
  for (std::size_t at = 0; at < input.size(); at += 777) stream.Feed(input.substr(at, 777));
  run.end = stream.Finish();
  return run;
}

// The clipboard's text at the end: the output with the edits undone.
std::string Clipboard(const Converted& run) {
  ConversionResult result;
  result.output = run.output;
  result.clipboard_set = run.end.clipboard_set;
  result.clipboard_edits = run.end.clipboard_edits;
  return result.Clipboard();
}

// Text of the letters a transliteration font writes, with the marks that
// steer the rules (dashes, underscores, hard spaces, apostrophes, line
// ends), now and then any byte.
std::string RandomText(std::mt19937& random, std::string_view letters, std::size_t length) {
  static constexpr std::string_view kMarks = "--__  \n\r'/+0[";
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t pick = random() % 100;
    if (pick < 85) {
      text += letters[random() % letters.size()];
    } else if (pick < 97) {
      text += kMarks[random() % kMarks.size()];
    } else {
      text += static_cast<char>(random() % 256);
    }
  }
  return text;
}

TEST(ToDevanagariWays, TheFastAndShortWaysWriteWhatTheFullWayWrites) {
  std::mt19937 random(7);
  for (const DevanagariFont font :
       {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
    for (const TranslitFont translit : {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes,
                                        TranslitFont::kUrwPalladioIt}) {
      ConverterState state = MakeStartupState();
      PressDevanagariFontButton(state, font);
      PressTranslitFontButton(state, translit);
      std::string letters;  // every byte of the table's keys, as often as it occurs there
      for (const std::string& key : state.sanideva.key) letters += key;
      for (int round = 0; round < 12; ++round) {
        ConverterState run_state = state;
        run_state.dash_mode = round % 5 == 0 ? kDashSkip : kDashAddAspirata;
        if (round % 4 == 3) {  // cells too long to be copied whole, a half ra of two bytes
          run_state.sanideva.full[Row::kKa] = std::string(20, 'K');
          run_state.sanideva.half[Row::kTa] = std::string(17, 'T');
          run_state.sanideva.full[Row::kSlash] = std::string(18, '/');
          run_state.sanideva.half[Row::kRa] =
              round == 11 ? std::string(17, 'r') : "rr";  // 11: no fast way
        }
        if (round % 4 == 1) {  // a "[" that is no syllable glyph, which the short-i sign looks for
          run_state.sanideva.half[Row::kTa] = "[";
          run_state.short_i[static_cast<unsigned char>('[')] = "n";
          run_state.sanideva.full[Row::kISignWide] = "\xfe";  // the wide sign told apart
        }
        if (round % 4 == 2) run_state.sanideva.full[Row::kNra] = "\xfd";  // an n that an r takes
        const bool shift = round % 3 == 2;
        // The short-i sign before "[" and after it; with the m shifted, an "a"
        // written apart and off the clipboard until a short-i sign; an r after
        // an n; then random text.
        const std::string text =
            "katki tkitki kartki kea kiti anra " + RandomText(random, letters, 1 + random() % 3000);
        const Converted full = Convert(run_state, shift, text, Way::kFull);
        SCOPED_TRACE(test::Show(text));
        for (const Way way : {Way::kFast, Way::kTable}) {
          SCOPED_TRACE(way == Way::kFast ? "the fast way" : "the letter table");
          const Converted fast = Convert(run_state, shift, text, way);
          EXPECT_BYTES(full.output, fast.output);
          EXPECT_EQ(full.end.completed, fast.end.completed);
          EXPECT_EQ(full.end.input_boxes.size(), fast.end.input_boxes.size());
          EXPECT_EQ(Clipboard(full), Clipboard(fast));
          if (HasFailure()) return;
        }
      }
    }
  }
}

// Real text: the Gita in each transliteration font to each Devanagari font,
// the letter table from the first letter, with the m shifted and without.
TEST(ToDevanagariWays, TheLetterTableWritesWhatTheFullWayWritesForTheGita) {
  const std::pair<TranslitFont, const char*> kGitas[] = {
      {TranslitFont::kSanskritTimes, "gita.sanskrit-times.txt"},
      {TranslitFont::kItrTransTimes, "gita.itrtranstimes.txt"},
      {TranslitFont::kUrwPalladioIt, "gita.urw-palladio-it.txt"}};
  for (const auto& [translit, file] : kGitas) {
    const std::string gita = test::ReadFileBytes(test::TestDataDir() / file);
    for (const DevanagariFont font :
         {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
      ConverterState state = MakeStartupState();
      PressDevanagariFontButton(state, font);
      PressTranslitFontButton(state, translit);
      for (const bool shift : {false, true}) {
        SCOPED_TRACE(std::string(file) + " to " + std::string(FontName(font)));
        const Converted full = Convert(state, shift, gita, Way::kFull);
        const Converted table = Convert(state, shift, gita, Way::kTable);
        EXPECT_BYTES(full.output, table.output);
        EXPECT_EQ(Clipboard(full), Clipboard(table));
        if (HasFailure()) return;
      }
    }
  }
}

}  // namespace
}  // namespace sfc
