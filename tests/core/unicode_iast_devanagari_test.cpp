// Unicode IAST <-> Unicode Devanagari, and what the readers of UTF-8 input
// make of a byte-order mark and of bytes that are not UTF-8.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "translit_letters.h"
#include "unicode/font_iast.h"
#include "unicode/iast_devanagari.h"

namespace sfc {
namespace {

const std::string kMark = "\xEF\xBB\xBF";

std::string ToDeva(std::string_view iast) {
  const UnicodeResult result = IastToDevanagari(iast);
  EXPECT_TRUE(result.rejects.empty()) << iast;
  return result.text;
}

std::string ToIast(std::string_view devanagari) {
  const UnicodeResult result = DevanagariToIast(devanagari);
  EXPECT_TRUE(result.rejects.empty()) << devanagari;
  return result.text;
}

// Pairs that read the same both ways.
struct Pair {
  const char* iast;
  const char* devanagari;
};

void ExpectBothWays(const std::vector<Pair>& pairs) {
  for (const Pair& pair : pairs) {
    EXPECT_EQ(ToDeva(pair.iast), pair.devanagari) << pair.iast;
    EXPECT_EQ(ToIast(pair.devanagari), pair.iast) << pair.devanagari;
  }
}

TEST(IastDevanagariTest, ReadTheSameBothWays) {
  ExpectBothWays(
      {{"kṣetra jñāna trayī buddhi yantrya kārtsnya", "क्षेत्र ज्ञान त्रयी बुद्धि यन्त्र्य कार्त्स्न्य"},
       {"śṛṇu hṛd vāk dharmakṣetre saṅgha kṛṣṇa", "शृणु हृद् वाक् धर्मक्षेत्रे सङ्घ कृष्ण"},
       {"kha gha cha jha ṭha ḍha tha dha pha bha", "ख घ छ झ ठ ढ थ ध फ भ"},
       {"arjuna uvāca", "अर्जुन उवाच"},
       {"eva ida īśa ūrdhva ṛṣi ṝ ḷ ḹ ai au o", "एव इद ईश ऊर्ध्व ऋषि ॠ ऌ ॡ ऐ औ ओ"},
       {"prauga praüga gaïka tiraïva śivaāpa", "प्रौग प्रउग गइक तिरइव शिवआप"},
       {"kḷpta kḹ saṃjaya rāmaḥ so'pi", "कॢप्त कॣ संजय रामः सोऽपि"},
       {"ca | tat ||", "च । तत् ॥"},
       {"12.34 0987 5 6", "१२.३४ ०९८७ ५ ६"},
       {"vām̐llabhate oṃ tat sat pavitramoṃkāra", "वाँल्लभते ॐ तत् सत् पवित्रमोंकार"},
       {"ka, kha; (ga)\nna - ma\n", "क, ख; (ग)\nन - म\n"}});
}

TEST(IastToDevanagariTest, VariantsReadAsTheirLetters) {
  const std::string expected = ToDeva("saṃskṛtaṃ pitṝn kḷpta ñāṇa śiṣya ṅa ṭīḍā ḥ");
  EXPECT_EQ(ToDeva("saṁskr̥taṁ pitr̥̄n kl̥pta ñāṇa śiṣya ṅa ṭīḍā ḥ"), expected);
  EXPECT_EQ(ToDeva("sam\u0323skr\u0323tam\u0323 pitr\u0304\u0323n kl\u0323pta n\u0303a\u0304n"
                   "\u0323a s\u0301is\u0323ya n\u0307a t\u0323i\u0304d\u0323a\u0304 h\u0323"),
            expected);
  EXPECT_EQ(ToDeva("SAṂSKṚTAṀ PITṜ̄N KḶPTA ÑĀṆA ŚIṢYA ṄA ṬĪḌĀ Ḥ"), expected);
  EXPECT_EQ(ToDeva("so’pi"), "सोऽपि");
  EXPECT_EQ(ToDeva("kuḻa"), "कुळ");
  // A consonant before anything but a vowel takes the virama.
  EXPECT_EQ(ToDeva("tat|"), "तत्।");
  EXPECT_EQ(ToDeva("vāk-ca"), "वाक्-च");
  EXPECT_EQ(ToDeva("tatṃ"), "तत्ं");
}

TEST(IastDevanagariTest, CharactersWithoutPlaceAreReported) {
  struct Case {
    bool to_devanagari;
    std::string input;
    std::string text;
    std::vector<UnicodeReject> rejects;
  };
  for (const Case& c : std::vector<Case>{
           // Unknown characters are kept.
           {true,
            "ka\nfa qé ş",
            "क\nfअ qé ş",
            {{U'f', 2, 1}, {U'q', 2, 4}, {0x00E9, 2, 5}, {0x015F, 2, 7}}},
           // Nukta and joiners are left out.
           {false,
            "\u0958 \u095B क्\u200Dष क\u093C \u0934 \u095F",
            "ka ja kṣa ka ḻa ya",
            {{0x0958, 1, 1},
             {0x095B, 1, 3},
             {0x200D, 1, 7},
             {0x093C, 1, 11},
             {0x0934, 1, 13},
             {0x095F, 1, 15}}},
           // Signs without a consonant.
           {false, "ा क्् ि", "ā k i", {{0x093E, 1, 1}, {0x094D, 1, 5}, {0x093F, 1, 7}}},
           // Other characters are kept.
           {false,
            "राम॰ – abc\nऍ",
            "rāma॰ – abc\nऍ",
            {{0x0970, 1, 4}, {0x2013, 1, 6}, {0x090D, 2, 1}}},
           {false, std::string("क\xff") + "ख", "ka\uFFFDkha", {{0xFFFD, 1, 2}}},  // not UTF-8
       }) {
    const UnicodeResult result =
        c.to_devanagari ? IastToDevanagari(c.input) : DevanagariToIast(c.input);
    EXPECT_EQ(result.text, c.text);
    EXPECT_EQ(result.rejects, c.rejects) << c.input;
  }
}

template <class Stream>
UnicodeResult Streamed(const std::vector<std::string_view>& blocks) {
  UnicodeResult result;
  Stream stream([&result](std::string_view piece) { result.text += piece; },
                [&result](const UnicodeReject& reject) { result.rejects.push_back(reject); });
  for (std::string_view block : blocks) stream.Feed(block);
  stream.Finish();
  return result;
}

template <class Stream>
void ExpectEveryCutLikeTheWhole(std::string_view text) {
  const UnicodeResult whole = Streamed<Stream>({text});
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    for (std::size_t second = cut; second <= text.size(); second += 7) {
      const UnicodeResult cut_up = Streamed<Stream>(
          {text.substr(0, cut), text.substr(cut, second - cut), text.substr(second)});
      ASSERT_EQ(cut_up.text, whole.text) << "cuts at " << cut << " and " << second;
      ASSERT_EQ(cut_up.rejects, whole.rejects) << "cuts at " << cut << " and " << second;
    }
  }
  std::vector<std::string_view> bytes;
  for (std::size_t at = 0; at < text.size(); ++at) bytes.push_back(text.substr(at, 1));
  const UnicodeResult bytewise = Streamed<Stream>(bytes);
  EXPECT_EQ(bytewise.text, whole.text);
  EXPECT_EQ(bytewise.rejects, whole.rejects);
}

TEST(IastDevanagariStreamTest, EveryCutGivesTheWholeTextsOutput) {
  // A byte-order mark at the start is found in any cut.
  ExpectEveryCutLikeTheWhole<IastToDevanagariStream>(
      kMark +
      "dharmakṣetre kurukṣetre samavetā yuyutsavaḥ |\noṃ vām̐llabhate praüga so'pi ||\n"
      "sam\u0323skr\u0323tam\u0323 r̥̄ ŚĀ fx 12");
  ExpectEveryCutLikeTheWhole<DevanagariToIastStream>(
      "धर्मक्षेत्रे कुरुक्षेत्रे समवेता युयुत्सवः ।\nॐ वाँल्लभते प्रउग सोऽपि ॥\nक़ क्\u200Dष ा १२");
}

std::string WithoutHyphens(std::string text) {
  std::erase(text, '-');
  return text;
}

// How many lines of `from` convert to the same line of `to` (the corpus's
// hyphens mark where a printed line was wrapped and are left out of the
// comparison); the others are listed in `differences`.
template <class Convert>
int AgreeingLines(const std::vector<std::string>& from, const std::vector<std::string>& to,
                  Convert convert, std::string& differences) {
  int agreeing = 0;
  for (std::size_t k = 0; k < from.size(); ++k) {
    const UnicodeResult result = convert(from[k]);
    EXPECT_TRUE(result.rejects.empty()) << "line " << k + 1;
    if (WithoutHyphens(result.text) == WithoutHyphens(to[k])) {
      ++agreeing;
    } else {
      differences += "line " + std::to_string(k + 1) + "\n  ours:   " + result.text +
                     "\n  corpus: " + to[k] + "\n";
    }
  }
  return agreeing;
}

// The reference transliterator agrees on 684 lines to Devanagari and 686 to
// IAST; the rest differ in the corpus itself (see core/unicode/DIFFERENCES.md).
TEST(CorpusTest, BothWaysAgreeWithTheCorpusAndIastGoesThereAndBack) {
  const std::vector<std::string> iast = test::ReadLines(test::TestDataDir() / "gita.iast.txt");
  const std::vector<std::string> devanagari =
      test::ReadLines(test::TestDataDir() / "gita.devanagari.txt");
  ASSERT_EQ(iast.size(), devanagari.size());
  std::string differences;
  EXPECT_EQ(AgreeingLines(iast, devanagari, IastToDevanagari, differences), 689) << differences;
  EXPECT_EQ(AgreeingLines(devanagari, iast, DevanagariToIast, differences), 689) << differences;
  for (std::size_t k = 0; k < iast.size(); ++k) {
    EXPECT_EQ(DevanagariToIast(IastToDevanagari(iast[k]).text).text, iast[k]) << "line " << k + 1;
  }
}

using Reader = std::function<UnicodeResult(std::string_view)>;

struct NamedReader {
  const char* name;
  Reader read;
};

std::vector<NamedReader> Readers() {
  const FontLetters letters(GetTranslitLetters(TranslitFont::kSanskritTimes));
  return {
      {"IAST to Devanagari", [](std::string_view text) { return IastToDevanagari(text); }},
      {"Devanagari to IAST", [](std::string_view text) { return DevanagariToIast(text); }},
      {"IAST to font", [letters](std::string_view text) { return IastToFont(text, letters); }},
  };
}

// A byte-order mark at the start says how the text is encoded: it is left
// out, not reported, and the columns count from the character after it.
// Anywhere else it is a character like any other.
TEST(UnicodeInput, AByteOrderMarkAtTheStartIsLeftOutSilently) {
  for (const NamedReader& reader : Readers()) {
    SCOPED_TRACE(reader.name);
    for (const std::string text : {"rāma x", "राम x", "", "\n\xC3", "\xEF\xBB"}) {
      const UnicodeResult plain = reader.read(text);
      const UnicodeResult marked = reader.read(kMark + text);
      EXPECT_EQ(marked.text, plain.text) << test::Show(text);
      EXPECT_EQ(marked.rejects, plain.rejects) << test::Show(text);
    }
    // Not at the start: reported where it stands.
    const UnicodeResult inside = reader.read("a" + kMark);
    ASSERT_EQ(inside.rejects.size(), 1u);
    EXPECT_EQ(inside.rejects[0], (UnicodeReject{0xFEFF, 1, 2}));
    // Only one mark is the encoding's.
    EXPECT_EQ(reader.read(kMark + kMark + "a").rejects,
              (std::vector<UnicodeReject>{{0xFEFF, 1, 1}}));
  }
}

// Bytes that are not UTF-8 are each a replaced character, reported with
// their place, so that no reader drops or changes one silently.
TEST(UnicodeInput, BytesThatAreNotUtf8AreReported) {
  for (const NamedReader& reader : Readers()) {
    SCOPED_TRACE(reader.name);
    struct Case {
      std::string text;
      std::vector<UnicodeReject> rejects;
    };
    for (const Case& c : std::vector<Case>{
             {"rama\xC3 rama\n", {{0xFFFD, 1, 5}}},
             {"a\n\xFF\xFE", {{0xFFFD, 2, 1}, {0xFFFD, 2, 2}}},
             {kMark + "\xC0\xAF", {{0xFFFD, 1, 1}, {0xFFFD, 1, 2}}},
             {"\xED\xA0\x80", {{0xFFFD, 1, 1}, {0xFFFD, 1, 2}, {0xFFFD, 1, 3}}},
         }) {
      EXPECT_EQ(reader.read(c.text).rejects, c.rejects) << test::Show(c.text);
    }
  }
}

}  // namespace
}  // namespace sfc
