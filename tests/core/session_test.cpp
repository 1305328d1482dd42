// The window's entry point: one method per user action, both conversions
// called the same way.

#include "session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace sfc {
namespace {

// Reads a text in blocks of a few bytes.
std::function<bool(std::string&)> Blocks(const std::string& text, std::size_t size) {
  return [text, size, at = std::size_t{0}](std::string& block) mutable {
    if (at >= text.size()) return false;
    block = text.substr(at, size);
    at += size;
    return true;
  };
}

TEST(Session, StartsAsTheWindowDoes) {
  const Session session;
  EXPECT_EQ(session.direction(), Direction::kToDevanagari);
  EXPECT_EQ(session.state().translit_box_font, "Sanskrit-Times");
  EXPECT_EQ(session.state().devanagari_box_font, "Vedic");
  EXPECT_EQ(session.state().dash_mode, kDashAddAspirata);
}

TEST(Session, ConvertsBothWaysTheSameWay) {
  Session session;
  session.PressDevanagariFontButton(DevanagariFont::kSanskrit99);
  session.PressTranslitFontButton(TranslitFont::kUrwPalladioIt);
  const std::string text = "namaste dharmaksetre";
  const ConversionResult devanagari = session.Convert(text);
  ASSERT_TRUE(devanagari.completed);

  session.ChooseDirection(Direction::kToTranslit);
  const ConversionResult back = session.Convert(devanagari.output);
  EXPECT_TRUE(back.completed);
  EXPECT_NE(back.output.find("namaste"), std::string::npos) << test::Show(back.output);

  // The streamed conversion gives the same bytes.
  std::string streamed;
  const StreamEnd end = session.ConvertStream(
      Blocks(devanagari.output, 3), [&](std::string_view piece) { streamed.append(piece); });
  EXPECT_TRUE(end.completed);
  EXPECT_BYTES(back.output, streamed);
}

TEST(Session, OptionsReachTheConversion) {
  Session plain;
  Session shifted;
  shifted.SetShiftMToN(true);
  EXPECT_NE(plain.Convert("samdhi").output, shifted.Convert("samdhi").output);

  Session skip;
  skip.SetDashMode(kDashSkip);
  EXPECT_NE(plain.Convert("tat-sat").output, skip.Convert("tat-sat").output);
}

TEST(Session, LoadAndFontListsReplaceTheButtons) {
  Session session;
  const std::vector<std::string> notes = session.LoadTables([](ConverterState& state) {
    state.devanagari_button.reset();
    state.translit_button.reset();
    state.load_button = true;
    return std::vector<std::string>{"loaded"};
  });
  EXPECT_EQ(notes, std::vector<std::string>{"loaded"});
  EXPECT_FALSE(session.state().devanagari_button);
  session.ChooseDevanagariFontName("My Font");
  session.ChooseTranslitFontName("");
  EXPECT_EQ(session.state().devanagari_font_name, "My Font");
  EXPECT_EQ(session.state().translit_box_font, "Sanskrit-Times");
  // A transliteration button puts the built-in Vedic tables back.
  session.PressTranslitFontButton(TranslitFont::kItrTransTimes);
  EXPECT_EQ(session.state().devanagari_button, DevanagariFont::kVedic);
}

}  // namespace
}  // namespace sfc
