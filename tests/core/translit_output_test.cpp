// The output text of the conversion to transliteration against a plain
// string, over random edits, passed on at every safe point.

#include "translit_output.h"

#include <random>
#include <stdexcept>

#include "test_support.h"

namespace sfc::translit_output {
namespace {

ByteSet Marks(std::string_view letters) {
  ByteSet marks;
  for (const char c : letters) marks.set(ByteOf(c));
  return marks;
}

// The plain model: the text, and the clipboard set at every append.
struct PlainText {
  std::string text;
  std::string clipboard;
  bool appended = false;
  ByteSet marks[2];

  void Append(std::string_view piece) {
    text += piece;
    clipboard = text;
    appended = true;
  }
  void Insert(char letter, std::size_t skip, Scan scan) {
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

struct Passed {
  std::string text;
  void operator()(std::string_view piece) { text += piece; }
};

std::string Clipboard(const std::string& output, const OutputText& out) {
  if (!out.appended()) return {};
  std::string clipboard = output;
  const std::vector<ClipboardEdit>& edits = out.edits();
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
    clipboard.replace(edit->at, edit->inserted, edit->removed);
  }
  return clipboard;
}

// Random edits of the kinds the rules make, over weighted letters.
void RunRandomEdits(std::string_view letters, int runs, unsigned seed) {
  const ByteSet back_r_marks = Marks("aeiu '");
  const ByteSet kt_marks = Marks("aeiu ");
  std::mt19937 random(seed);
  for (int run = 0; run < runs; ++run) {
    OutputText out(back_r_marks, kt_marks, true);
    PlainText plain{{}, {}, false, {back_r_marks, kt_marks}};
    Passed passed;
    const int steps = 20 + static_cast<int>(random() % 400);
    for (int step = 0; step < steps; ++step) {
      const char letter = letters[random() % letters.size()];
      switch (random() % 8) {
        case 0:
        case 1: {
          const std::string piece(random() % 3, letter);
          out.Append(piece);
          plain.Append(piece);
          break;
        }
        case 2:
          ASSERT_EQ(out.EndsWith('a'), plain.text.ends_with('a'));
          if (plain.text.ends_with('a')) {
            out.RemoveLast(1);
            plain.text.pop_back();
          }
          break;
        case 3:
          ASSERT_EQ(out.EndsWith("tt"), plain.text.ends_with("tt"));
          if (plain.text.ends_with("tt")) {
            out.RemoveLast(1);
            plain.text.pop_back();
          }
          break;
        case 4: {
          ASSERT_EQ(out.EndsWith("aa"), plain.text.ends_with("aa"));
          const std::string_view long_a = random() % 2 ? "A" : "a";
          if (plain.text.ends_with("aa")) {
            out.ReplaceLast(2, long_a);
            plain.text.replace(plain.text.size() - 2, 2, long_a);
          }
          break;
        }
        case 5: {
          const std::string piece(1 + random() % 2, letter);
          out.Append(piece);
          out.RemoveLast(1);
          out.Append("o");
          plain.Append(piece);
          plain.text.pop_back();
          plain.Append("o");
          break;
        }
        default: {
          const std::size_t skip = random() % 2;
          const auto scan = static_cast<Scan>(random() % 2);
          const char inserted = random() % 2 ? 'r' : 'k';
          out.InsertBeforeLastConsonants(inserted, skip, scan);
          plain.Insert(inserted, skip, scan);
        }
      }
      ASSERT_EQ(out.size(), plain.text.size());
      if (random() % 3 == 0) out.PassOn(out.SafeFlushPoint(), passed);
    }
    out.PassOnAll(passed);
    ASSERT_EQ(passed.text, plain.text);
    ASSERT_EQ(out.appended(), plain.appended);
    ASSERT_EQ(Clipboard(passed.text, out), plain.appended ? plain.clipboard : "");
  }
}

TEST(TranslitOutput, AgreesWithAPlainScanOverRandomEdits) {
  RunRandomEdits("kkkkttra  a'e", 1500, 4711);
  RunRandomEdits("kkkkkkkkkkkkkkkttttttrrra", 500, 815);
  RunRandomEdits("aaaaaaaaeeeeeeiiii     ''k", 500, 1234);
}

TEST(TranslitOutput, ReachingIntoTheTextPassedOnThrows) {
  OutputText out(Marks("a"), Marks("a"), false);
  Passed passed;
  out.Append("kakakakaka");
  out.PassOn(out.size() - 1, passed);  // more than is safe
  EXPECT_THROW(out.RemoveLast(2), std::logic_error);
  EXPECT_THROW((void)out.EndsWith("aa"), std::logic_error);
  EXPECT_THROW(out.InsertBeforeLastConsonants('r', 0, kBackRScan), std::logic_error);
}

// The end of a text shorter than what is asked for, and an insertion right
// after the letters inserted just before, which joins their edit.
TEST(TranslitOutput, EndOfAShortTextAndNeighbouringInsertions) {
  OutputText out(Marks("ar"), Marks("ar"), true);
  EXPECT_FALSE(out.EndsWith('a'));
  EXPECT_FALSE(out.EndsWith("aa"));
  out.Append("a");
  EXPECT_TRUE(out.EndsWith('a'));
  EXPECT_FALSE(out.EndsWith("aa"));
  out.Append("kk");
  out.InsertBeforeLastConsonants('r', 0, kBackRScan);  // "arkk"
  out.InsertBeforeLastConsonants('r', 0, kBackRScan);  // "arrkk": r is a mark here
  ASSERT_EQ(out.edits().size(), 1u);
  EXPECT_EQ(out.edits()[0].at, 1u);
  EXPECT_EQ(out.edits()[0].inserted, 2u);
}

}  // namespace
}  // namespace sfc::translit_output
