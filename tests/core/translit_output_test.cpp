// The output text of the Devanagari-to-transliteration conversion against a
// plain string that scans back character by character, over random edits.

#include "translit_output.h"

#include <random>

#include "test_support.h"

namespace sfc::translit_output {
namespace {

// The plain model: the text, and the clipboard set at every append.
struct PlainText {
  std::string text;
  std::string clipboard;
  ByteSet marks[2];

  void Insert(char letter, std::size_t skip, OutputText::Scan scan) {
    std::size_t count = skip;
    bool passed_consonant = false;
    while (count < text.size()) {
      const bool mark = marks[scan][ByteOf(text[text.size() - 1 - count])];
      if (mark && passed_consonant) break;
      passed_consonant = passed_consonant || !mark;
      ++count;
    }
    text.insert(text.size() - std::min(count, text.size()), 1, letter);
  }
};

TEST(TranslitOutput, AgreesWithAPlainScanOverRandomEdits) {
  ByteSet back_r_marks;
  for (const char c : std::string_view("aeiu '")) back_r_marks.set(ByteOf(c));
  ByteSet kt_marks = back_r_marks;
  kt_marks.reset(ByteOf('\''));
  const std::string_view letters = "kkkkttra  a'e";
  std::mt19937 random(4711);
  for (int run = 0; run < 2000; ++run) {
    OutputText out(16, back_r_marks, kt_marks);
    PlainText plain{{}, {}, {back_r_marks, kt_marks}};
    for (int step = 0; step < 60; ++step) {
      const char letter = letters[random() % letters.size()];
      switch (random() % 6) {
        case 0:
        case 1: {
          const std::string piece(random() % 3, letter);
          out.Append(piece);
          plain.text += piece;
          plain.clipboard = plain.text;
          break;
        }
        case 2:
          if (!plain.text.empty() && plain.text.back() == letter) {
            out.RemoveLast(1);
            plain.text.pop_back();
          }
          ASSERT_EQ(out.EndsWith(std::string(1, letter)), plain.text.ends_with(letter));
          break;
        case 3:
          if (plain.text.size() >= 2) {
            out.ReplaceLast(2, "A");
            plain.text.replace(plain.text.size() - 2, 2, "A");
          }
          break;
        default: {
          const std::size_t skip = random() % 2;
          const auto scan = static_cast<OutputText::Scan>(random() % 2);
          out.InsertBeforeLastConsonants(letter == 'k' ? 'r' : 'k', skip, scan);
          plain.Insert(letter == 'k' ? 'r' : 'k', skip, scan);
        }
      }
    }
    auto [text, clipboard] = std::move(out).Finish();
    ASSERT_EQ(text, plain.text);
    ASSERT_EQ(clipboard, plain.clipboard);
  }
}

TEST(TranslitOutput, ALongConsonantRunTakesItsLettersAtTheFront) {
  ByteSet marks;
  marks.set(ByteOf('a'));
  OutputText out(16, marks, marks);
  out.Append("a" + std::string(5000, 'k'));
  for (int i = 0; i < 3000; ++i) out.InsertBeforeLastConsonants('r', i % 2, OutputText::kBackRScan);
  auto [text, clipboard] = std::move(out).Finish();
  EXPECT_EQ(text, "a" + std::string(3000, 'r') + std::string(5000, 'k'));
  EXPECT_EQ(clipboard, "a" + std::string(5000, 'k'));
}

}  // namespace
}  // namespace sfc::translit_output
