// The Gita there and back in every font pair, every byte read, and chained
// between Devanagari fonts.

#include <cstdio>
#include <map>

#include "conversion.h"
#include "test_support.h"
#include "word_compare.h"

namespace sfc {
namespace {

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
  EXPECT_EQ(result.dropped.total, 0u) << test::Show(line);
  return result.output;
}

std::string ToTranslit(ConverterState& state, std::string_view devanagari) {
  const ConversionResult result = RunDevanagariToTranslitCommand(state, devanagari);
  EXPECT_TRUE(result.completed) << test::Show(devanagari);
  EXPECT_EQ(result.dropped.total, 0u) << test::Show(devanagari);
  return result.output;
}

double MinimumShare(DevanagariFont font) {
  return font == DevanagariFont::kDevNatrajItr ? 99.5 : 99.8;
}

// Every line converts to the end in every font pair and its words come
// back; the same text in any transliteration font gives the same Devanagari.
TEST(ToTranslitRoundTrip, GitaWordsComeBackInEveryFontPair) {
  std::map<DevanagariFont, std::vector<std::string>> devanagari_of;
  for (const TranslitFont translit : kTranslitFonts) {
    const std::vector<std::string> lines = test::ReadLines(test::GitaFile(translit));
    ASSERT_EQ(lines.size(), 701U);
    for (const DevanagariFont devanagari : kDevanagariFonts) {
      ConverterState state = test::StateFor(translit, devanagari);
      WordShare share;
      std::string all;
      for (const std::string& line : lines) {
        const std::string there = ToDevanagari(state, line);
        all += there;
        share.Add(line, ToTranslit(state, there));
      }
      devanagari_of[devanagari].push_back(all);
      std::printf("  round trip %s / %s: %zu of %zu words unchanged (%.2f %%)\n",
                  std::string(FontName(translit)).c_str(),
                  std::string(FontName(devanagari)).c_str(), share.unchanged, share.words,
                  share.Percent());
      EXPECT_GE(share.Percent(), MinimumShare(devanagari))
          << FontName(translit) << " / " << FontName(devanagari);
    }
  }
  for (const auto& [devanagari, outputs] : devanagari_of) {
    EXPECT_BYTES(outputs[0], outputs[1]);
    EXPECT_BYTES(outputs[0], outputs[2]);
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

}  // namespace
}  // namespace sfc
