// Devanagari to transliteration over real text: the Gita through both
// directions for every font pair, chained conversions between Devanagari
// fonts, and glyph tables loaded from disk read with the recorded positions.

#include <array>
#include <cstdio>

#include "conversion.h"
#include "test_support.h"
#include "word_compare.h"

namespace sfc {
namespace {

using test::B;

constexpr int kLongA = 128, kVocalicL = 134;

struct WordShare {
  std::size_t words = 0;
  std::size_t unchanged = 0;
  double Percent() const {
    return words == 0 ? 100.0 : 100.0 * static_cast<double>(unchanged) / static_cast<double>(words);
  }
  void Add(std::string_view original, std::string_view back) {
    const roundtrip::LineComparison comparison = roundtrip::CompareLine(original, back);
    words += comparison.words;
    unchanged += comparison.unchanged_words;
  }
};

std::string ToDevanagari(ConverterState& state, std::string_view line) {
  const ConversionResult result = ConvertToDevanagari(state, line, false);
  EXPECT_TRUE(result.completed) << test::Show(line);
  return result.output;
}

std::string ToTranslit(ConverterState& state, std::string_view devanagari) {
  const ConversionResult result = RunDevanagariToTranslitCommand(state, devanagari);
  EXPECT_TRUE(result.completed) << test::Show(devanagari);
  return result.output;
}

double MinimumShare(DevanagariFont font) {
  return font == DevanagariFont::kDevNatrajItr ? 99.5 : 99.8;
}

TEST(ToTranslitRoundTrip, GitaWordsComeBackInEveryFontPair) {
  for (const TranslitFont translit : kTranslitFonts) {
    const std::vector<std::string> lines = test::ReadLines(test::GitaFile(translit));
    ASSERT_EQ(lines.size(), 701U);
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      ConverterState state = test::StateFor(translit, devanagari);
      WordShare share;
      for (const std::string& line : lines) {
        share.Add(line, ToTranslit(state, ToDevanagari(state, line)));
      }
      std::printf("  round trip %s / %s: %zu of %zu words unchanged (%.2f %%)\n",
                  std::string(FontName(translit)).c_str(),
                  std::string(FontName(devanagari)).c_str(), share.unchanged, share.words,
                  share.Percent());
      EXPECT_GE(share.Percent(), MinimumShare(devanagari))
          << FontName(translit) << " / " << FontName(devanagari);
    }
  }
}

TEST(ToTranslitRoundTrip, ChainingBetweenDevanagariFontsKeepsTheText) {
  // Devanagari in one font, read as transliteration, written in another font
  // and read back: the second reading agrees with the first.
  const std::vector<std::string> lines =
      test::ReadLines(test::GitaFile(TranslitFont::kSanskritTimes));
  for (const DevanagariFont from : kDevanagariFonts) {
    for (const DevanagariFont to : kDevanagariFonts) {
      if (from == to) continue;
      ConverterState first = test::StateFor(TranslitFont::kSanskritTimes, from);
      ConverterState second = test::StateFor(TranslitFont::kSanskritTimes, to);
      WordShare share;
      for (const std::string& line : lines) {
        const std::string read_first = ToTranslit(first, ToDevanagari(first, line));
        const std::string read_second = ToTranslit(second, ToDevanagari(second, read_first));
        share.Add(read_first, read_second);
      }
      std::printf("  chain %s -> %s: %zu of %zu words unchanged (%.2f %%)\n",
                  std::string(FontName(from)).c_str(), std::string(FontName(to)).c_str(),
                  share.unchanged, share.words, share.Percent());
      EXPECT_GE(share.Percent(), std::min(MinimumShare(from), MinimumShare(to)))
          << FontName(from) << " -> " << FontName(to);
    }
  }
}

TEST(ToTranslitRoundTrip, ComparisonCountsAnAvagrahaAfterASpaceAsUnchanged) {
  const roundtrip::LineComparison same = roundtrip::CompareLine("yo'yam asti", " yo 'yam  asti ");
  EXPECT_TRUE(same.unchanged);
  const roundtrip::LineComparison changed = roundtrip::CompareLine("a b c d", "a x c d e");
  EXPECT_EQ(changed.unchanged_words, 3U);
  ASSERT_EQ(changed.differences.size(), 2U);
  EXPECT_EQ(changed.differences[0].original, "b");
  EXPECT_EQ(changed.differences[0].back, "x");
  EXPECT_EQ(changed.differences[1].back, "e");
}

// --- Glyph tables loaded from disk -------------------------------------------------

// Records the special glyphs of a glyph table the way the loader does for
// devitran.cod, and puts the table under a font name of its own.
ConverterState LoadedUnderOtherName(ConverterState state) {
  SpecialGlyphPositions& pos = state.positions;
  pos = SpecialGlyphPositions{};
  for (int* code : {&pos.half_r_pos, &pos.half_r_upper_pos, &pos.half_rr_pos, &pos.mr_pos,
                    &pos.tt_pos, &pos.vocalic_r_sign_pos}) {
    *code = kNoGlyph;
  }
  const std::vector<std::pair<std::string, int*>> singles = {
      {"mr2", &pos.mr_pos},
      {"tt2", &pos.tt_pos},
      {"nam5", &pos.nam_pos},
      {"la5", &pos.la_pos},
      {"kt5", &pos.kt_pos},
      {"open_y5", &pos.open_y_pos},
      {"apostrophe5", &pos.apostrophe_pos},
      {"half_r5", &pos.half_r_pos},
      {"half_R5", &pos.half_r_upper_pos},
      {"half_rr5", &pos.half_rr_pos},
      {state.sanideva.key[110] + "3", &pos.vocalic_r_sign_pos}};
  std::array<std::size_t, 4> filled{};
  auto add = [&filled](auto& list, std::size_t which, int code) {
    if (filled[which] < list.size()) list[filled[which]++] = code;
  };
  pos.short_i_sign_positions.fill(kNoGlyph);
  pos.vowel_sign_positions.fill(kNoGlyph);
  pos.aspirata_positions.fill(kNoGlyph);
  for (int code = 1; code <= 255; ++code) {
    const std::string& entry = state.devitran[static_cast<std::size_t>(code)];
    for (const auto& [name, position] : singles) {
      if (entry == name) *position = code;
    }
    if (entry == "r2") add(pos.r_positions, 0, code);
    if (entry == "i3") add(pos.short_i_sign_positions, 1, code);
    if (entry.starts_with("asp") && GlyphClass(entry) == 5) add(pos.aspirata_positions, 2, code);
    if (GlyphClass(entry) == 3 && entry != "i3" && GlyphText(entry) != state.sanideva.key[1] &&
        GlyphText(entry) != state.sanideva.key[110]) {
      add(pos.vowel_sign_positions, 3, code);
    }
  }
  SetDevanagariBoxFont(state, "Vedic From Disk");
  return state;
}

TEST(ToTranslitLoadedTable, VedicTablesUnderAnotherNameReadTheGitaAsVedicDoes) {
  const std::vector<std::string> lines =
      test::ReadLines(test::GitaFile(TranslitFont::kSanskritTimes));
  ConverterState vedic = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  ConverterState loaded = LoadedUnderOtherName(vedic);
  for (const std::string& line : lines) {
    const std::string devanagari = ToDevanagari(vedic, line);
    EXPECT_BYTES(ToTranslit(vedic, devanagari), ToTranslit(loaded, devanagari));
  }
  EXPECT_EQ(loaded.devanagari_font_name, "Vedic From Disk");
}

std::string ReadLoaded(std::string_view input,
                       std::initializer_list<std::pair<int, std::string>> changed_rows = {}) {
  ConverterState state = test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kVedic);
  for (const auto& [row, entry] : changed_rows)
    state.devitran[static_cast<std::size_t>(row)] = entry;
  ConverterState loaded = LoadedUnderOtherName(std::move(state));
  const ConversionResult result = ConvertDevanagariToTranslit(loaded, input);
  EXPECT_TRUE(result.completed);
  return result.output;
}

TEST(ToTranslitLoadedTable, ShortIStaysPendingThroughAClass8Text) {
  EXPECT_BYTES(":ki ", ReadLoaded(B({"i", 15, "k"})));
}

TEST(ToTranslitLoadedTable, SmallLettersJoinTheSyllableBefore) {
  EXPECT_BYTES("kma ", ReadLoaded(B({"k", 250}), {{250, "ma9"}}));
}

TEST(ToTranslitLoadedTable, AnASignAfterAKeptAMakesTheLongA) {
  EXPECT_BYTES(B({"k", kLongA, " "}), ReadLoaded(B({251, 252}), {{251, "ka8"}, {252, "a3"}}));
}

TEST(ToTranslitLoadedTable, AnyVowelSignReadingAsLongAIsTheLongASign) {
  // 253 reads as the long a; the vocalic-r sign recorded last (200) makes
  // the row-169 letter with it.
  EXPECT_BYTES(B({"k", kVocalicL, " "}), ReadLoaded(B({"k", 253, 200}), {{253, B({kLongA, "3"})}}));
}

}  // namespace
}  // namespace sfc
