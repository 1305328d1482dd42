// Transliteration-font bytes <-> Unicode IAST.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "test_support.h"
#include "translit_letters.h"
#include "unicode/font_iast.h"

namespace sfc {
namespace {

using test::B;

// The IAST of the 18 letters, in the order of Letter.
const std::vector<std::string> kLetterIastText = {"ā", "ī", "ū", "ṛ", "ṝ", "ṃ", "ḥ", "ṅ", "ñ",
                                                  "ṭ", "ḍ", "ṇ", "ś", "ṣ", "_", "ḷ", "ḹ", "ñaṃ"};

FontLetters LettersOf(TranslitFont font) { return FontLetters(GetTranslitLetters(font)); }

class FontIastTest : public ::testing::TestWithParam<TranslitFont> {};

TEST_P(FontIastTest, EveryLetterReadsAsItsIastAndBack) {
  const FontLetters letters = LettersOf(GetParam());
  for (int k = 1; k <= kLetterCount; ++k) {
    const auto letter = static_cast<Letter>(k);
    const std::string iast = "k" + kLetterIastText[static_cast<std::size_t>(k - 1)] + "a";
    SCOPED_TRACE(iast);
    EXPECT_EQ(FontToIast("k" + letters[letter] + "a", letters), iast);
    if (letter == Letter::kRow171Sign) {  // written as its letters
      EXPECT_BYTES("k" + letters[Letter::kPalatalN] + "a" + letters[Letter::kAnusvara] + "a",
                   IastToFont(iast, letters).text);
      continue;
    }
    const UnicodeResult result = IastToFont(iast, letters);
    EXPECT_BYTES("k" + letters[letter] + "a", result.text);
    EXPECT_TRUE(result.rejects.empty());
  }
}

TEST(FontToIastTest, LongestLetterWinsOverItsParts) {
  // ITRTransTimes writes the hidden-dash mark as "/-/", which starts with a danda.
  const FontLetters itr = LettersOf(TranslitFont::kItrTransTimes);
  EXPECT_EQ(FontToIast("k/-/h / -", itr), "k_h | -");
  // Sanskrit-Times writes the row-171 sign as ñ, a, ṃ: either reading is "ñaṃ".
  const FontLetters times = LettersOf(TranslitFont::kSanskritTimes);
  EXPECT_EQ(FontToIast(B({"ya", 241, "a", 136, " ", 241, "ca"}), times), "yañaṃ ñca");
}

TEST(FontToIastTest, OtherBytesAreWindows1252) {
  const FontLetters times = LettersOf(TranslitFont::kSanskritTimes);
  // 0xE9 is no letter of Sanskrit-Times: é; 0x9C is œ; 0x9D is left free by
  // Windows-1252 and stands for U+009D.
  EXPECT_EQ(FontToIast(B({233, 156, 157, 255}), times), "éœ\u009dÿ");
  // Under URW Palladio IT the same 0xE9 is ī.
  EXPECT_EQ(FontToIast(B({233}), LettersOf(TranslitFont::kUrwPalladioIt)), "ī");
}

TEST_P(FontIastTest, VariantsBecomeTheSameBytes) {
  const FontLetters letters = LettersOf(GetParam());
  const std::string expected = IastToFont("saṃskṛtaṃ ṝ ḷ ḹ śāṇḍilyaḥ ñ ṅ ṭ ḍ ī ū", letters).text;
  // Decomposed letters, marks in either order.
  const std::string decomposed =
      "sam\u0323skr\u0323tam\u0323 r\u0304\u0323 l\u0323 l\u0323\u0304 s\u0301a\u0304n\u0323d"
      "\u0323ilyah\u0323 n\u0303 n\u0307 t\u0323 d\u0323 i\u0304 u\u0304";
  EXPECT_BYTES(expected, IastToFont(decomposed, letters).text);
  // ṁ for ṃ, ISO 15919 r̥ r̥̄ l̥ l̥̄.
  EXPECT_BYTES(expected, IastToFont("saṁskr̥taṁ r̥̄ l̥ l̥̄ śāṇḍilyaḥ ñ ṅ ṭ ḍ ī ū", letters).text);
  // Capitals.
  EXPECT_BYTES(expected, IastToFont("SAṂSKṚTAṀ Ṝ Ḷ Ḹ ŚĀṆḌILYAḤ Ñ Ṅ Ṭ Ḍ Ī Ū", letters).text);
  // Devanagari dandas; the bars read as the font's slashes too.
  EXPECT_BYTES("ca / tat //", IastToFont("ca । tat ॥", letters).text);
  EXPECT_EQ(FontToIast("///", letters), "|||");
  EXPECT_TRUE(IastToFont(decomposed, letters).rejects.empty());
}

TEST_P(FontIastTest, CharactersWithoutPlaceAreReportedWithLineAndColumn) {
  const FontLetters letters = LettersOf(GetParam());
  const UnicodeResult result = IastToFont("ka\nvām̐l ॐ x\u0327", letters);
  EXPECT_BYTES("ka\nv" + letters[Letter::kLongA] + "ml  x", result.text);
  const std::vector<UnicodeReject> expected = {{0x0310, 2, 4}, {0x0950, 2, 7}, {0x0327, 2, 10}};
  EXPECT_EQ(result.rejects, expected);
  // A Windows-1252 character passes only where the font leaves its byte free
  // (0x80 is ā in Sanskrit-Times).
  const bool free = GetParam() != TranslitFont::kSanskritTimes;
  const UnicodeResult euro = IastToFont("€", letters);
  EXPECT_BYTES(free ? B({0x80}) : "", euro.text);
  EXPECT_EQ(euro.rejects,
            (free ? std::vector<UnicodeReject>{} : std::vector<UnicodeReject>{{0x20AC, 1, 1}}));
}

TEST_P(FontIastTest, CorpusReadsAsItsIastAndBack) {
  const FontLetters letters = LettersOf(GetParam());
  const std::vector<std::string> font_lines = test::ReadLines(test::GitaFile(GetParam()));
  const std::vector<std::string> iast_lines =
      test::ReadLines(test::TestDataDir() / "gita.iast.txt");
  ASSERT_EQ(font_lines.size(), iast_lines.size());
  for (std::size_t k = 0; k < font_lines.size(); ++k) {
    // The fonts have no candrabindu: the corpus leaves out U+0310.
    std::string expected = iast_lines[k];
    for (std::size_t at; (at = expected.find("\u0310")) != std::string::npos;) {
      expected.erase(at, 2);
    }
    EXPECT_EQ(FontToIast(font_lines[k], letters), expected) << "line " << k + 1;
    EXPECT_BYTES(font_lines[k], IastToFont(iast_lines[k], letters).text);
  }
  // The candrabindus are rejected where the list says.
  const UnicodeResult whole =
      IastToFont(test::ReadFileBytes(test::TestDataDir() / "gita.iast.txt"), letters);
  EXPECT_EQ(whole.rejects,
            (std::vector<UnicodeReject>{{0x0310, 201, 11}, {0x0310, 640, 65}, {0x0310, 694, 63}}));
}

TEST_P(FontIastTest, BytesGoThereAndBack) {
  const FontLetters letters = LettersOf(GetParam());
  // Every byte but capitals, "|" and the bytes of the letters (which read back
  // as the letters).
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) {
    if ((byte >= 'A' && byte <= 'Z') || byte == '|' || byte == '_' || byte == '/') continue;
    bool in_letter = false;
    for (const std::string& letter : letters.bytes) {
      in_letter = in_letter || letter.find(static_cast<char>(byte)) != std::string::npos;
    }
    // Windows-1252 capitals of IAST letters (Ñ, Ï, Ü) read back small, and
    // ñ as the font's letter ñ.
    if (in_letter || byte == 0xD1 || byte == 0xCF || byte == 0xDC || byte == 0xF1) continue;
    bytes += static_cast<char>(byte);
  }
  const UnicodeResult back = IastToFont(FontToIast(bytes, letters), letters);
  EXPECT_BYTES(bytes, back.text);
  EXPECT_TRUE(back.rejects.empty());
}

TEST(IastToFontTest, ALoadedLetterSetIsUsed) {
  FontLetters letters = LettersOf(TranslitFont::kSanskritTimes);
  letters.bytes[0] = "A~";  // ā
  letters.bytes[1] = "";    // ī has no place
  EXPECT_EQ(FontToIast("kA~ ", letters), "kā ");
  const UnicodeResult result = IastToFont("kā kī", letters);
  EXPECT_BYTES("kA~ k", result.text);
  EXPECT_EQ(result.rejects, (std::vector<UnicodeReject>{{0x012B, 1, 5}}));
}

// A text in two blocks cut anywhere, and byte by byte.
std::vector<std::vector<std::string_view>> CutWays(std::string_view text) {
  std::vector<std::vector<std::string_view>> ways;
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    ways.push_back({text.substr(0, cut), text.substr(cut)});
  }
  ways.emplace_back();
  for (std::size_t at = 0; at < text.size(); ++at) ways.back().push_back(text.substr(at, 1));
  return ways;
}

TEST_P(FontIastTest, EveryCutGivesTheWholeTextsOutput) {
  const FontLetters letters = LettersOf(GetParam());
  const std::string iast = "dharmakṣetre kurukṣetre | yañaṃ k_h\nsam\u0323jñ\u0101m̐ ||\nĀṚ r̥̄ é";
  const std::string bytes = IastToFont(iast, letters).text + letters[Letter::kRow171Sign] + "/-/";
  const std::string whole_iast = FontToIast(bytes, letters);
  for (const std::vector<std::string_view>& blocks : CutWays(bytes)) {
    std::string streamed;
    FontToIastStream stream(letters, [&streamed](std::string_view piece) { streamed += piece; });
    for (std::string_view block : blocks) stream.Feed(block);
    stream.Finish();
    EXPECT_EQ(streamed, whole_iast) << "first block " << blocks.front().size();
  }
  const UnicodeResult whole_bytes = IastToFont(iast, letters);
  for (const std::vector<std::string_view>& blocks : CutWays(iast)) {
    UnicodeResult streamed;
    IastToFontStream stream(
        letters, [&streamed](std::string_view piece) { streamed.text += piece; },
        [&streamed](const UnicodeReject& reject) { streamed.rejects.push_back(reject); });
    for (std::string_view block : blocks) stream.Feed(block);
    stream.Finish();
    EXPECT_BYTES(whole_bytes.text, streamed.text);
    EXPECT_EQ(streamed.rejects, whole_bytes.rejects) << "first block " << blocks.front().size();
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontIastTest, ::testing::ValuesIn(kTranslitFonts),
                         [](const ::testing::TestParamInfo<TranslitFont>& param_info) {
                           std::string name;
                           for (char c : FontName(param_info.param)) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace sfc
