// What the readers of UTF-8 input make of a byte-order mark and of bytes
// that are not UTF-8.

#include <functional>

#include "test_support.h"
#include "translit_letters.h"
#include "unicode/font_iast.h"
#include "unicode/iast_devanagari.h"

namespace sfc {
namespace {

const std::string kMark = "\xEF\xBB\xBF";

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

// The mark is found whatever the cut of the input into blocks.
TEST(UnicodeInput, TheMarkIsFoundInAnyCut) {
  const std::string text = kMark + "rāma";
  UnicodeResult whole;
  IastToDevanagariStream reference([&whole](std::string_view piece) { whole.text += piece; }, {});
  reference.Feed(text);
  reference.Finish();
  EXPECT_EQ(whole.text, IastToDevanagari("rāma").text);
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    for (std::size_t second = cut; second <= text.size(); ++second) {
      std::string out;
      std::vector<UnicodeReject> rejects;
      IastToDevanagariStream stream([&out](std::string_view piece) { out += piece; },
                                    [&rejects](const UnicodeReject& r) { rejects.push_back(r); });
      stream.Feed(std::string_view(text).substr(0, cut));
      stream.Feed(std::string_view(text).substr(cut, second - cut));
      stream.Feed(std::string_view(text).substr(second));
      stream.Finish();
      EXPECT_EQ(out, whole.text) << cut << " " << second;
      EXPECT_TRUE(rejects.empty()) << cut << " " << second;
    }
  }
}

}  // namespace
}  // namespace sfc
