// The window's entry point: one method per user action.

#include "session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace sfc {
namespace {

using test::B;

TEST(Session, StartsAsTheWindowDoesAndConvertsBothWaysTheSameWay) {
  Session session;
  EXPECT_EQ(session.direction(), Direction::kToDevanagari);
  EXPECT_EQ(session.state().translit_box_font, "Sanskrit-Times");
  EXPECT_EQ(session.state().devanagari_box_font, "Vedic");
  EXPECT_EQ(session.state().dash_mode, kDashAddAspirata);
  session.PressDevanagariFontButton(DevanagariFont::kSanskrit99);
  session.PressTranslitFontButton(TranslitFont::kUrwPalladioIt);
  const ConversionResult devanagari = session.Convert("namaste dharmaksetre");
  ASSERT_TRUE(devanagari.completed);
  session.ChooseDirection(Direction::kToTranslit);
  const ConversionResult back = session.Convert(devanagari.output);
  EXPECT_TRUE(back.completed);
  EXPECT_NE(back.output.find("namaste"), std::string::npos) << test::Show(back.output);
  // The streamed conversion gives the same bytes.
  std::string streamed;
  std::size_t at = 0;
  const auto three_bytes = [&](std::string& block) {
    block = devanagari.output.substr(std::min(at, devanagari.output.size()), 3);
    at += 3;
    return !block.empty();
  };
  const StreamEnd end =
      session.ConvertStream(three_bytes, [&](std::string_view piece) { streamed.append(piece); });
  EXPECT_TRUE(end.completed);
  EXPECT_BYTES(back.output, streamed);
  // Options reach the conversion.
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
}

// Steps the browser forward to the row or glyph after `position`.
BrowserView StepPast(Session& session, int position) {
  while (session.browser_position() != position) session.StepBrowser(+1);
  return session.StepBrowser(+1);
}

TEST(SessionBrowser, StepsThroughSyllableRowsAndWrapsAround) {
  Session session;
  EXPECT_EQ(session.StepBrowser(+1).position, 3);
  EXPECT_EQ(session.StepBrowser(-1).position, 2);
  const BrowserView first = session.StepBrowser(-1);
  EXPECT_EQ(first.position, 1);
  EXPECT_BYTES(B({128}), first.key);  // the Sanskrit-Times ā
  EXPECT_EQ(first.full, "a;");
  EXPECT_EQ(session.StepBrowser(-1).position, 255);
  EXPECT_EQ(session.StepBrowser(+1).position, 1);

  // A row the font has no glyph for (a single space) shows its key only;
  // rows beyond the built-in ones are empty.
  const BrowserView unsupported = StepPast(session, 6);
  EXPECT_EQ(unsupported.position, 7);
  EXPECT_FALSE(unsupported.key.empty());
  EXPECT_EQ(unsupported.full + unsupported.half, "");
  const BrowserView beyond = StepPast(session, 189);
  EXPECT_EQ(beyond.key + beyond.full + beyond.half, "");
}

TEST(SessionBrowser, ShowsGlyphEntriesWithAStripInTheOtherDirection) {
  Session session;
  session.LoadTables([](ConverterState& state) { state.devitran[40] = ""; });
  session.StepBrowser(+1);
  session.ChooseDirection(Direction::kToTranslit);
  EXPECT_EQ(session.StepBrowser(+1).position, 33);
  EXPECT_EQ(session.StepBrowser(-1).position, 32);
  // An empty loaded entry shows empty and keeps its position.
  const BrowserView empty = StepPast(session, 39);
  EXPECT_EQ(empty.position, 40);
  EXPECT_EQ(empty.entry_text, "");
  EXPECT_EQ(session.StepBrowser(+1).position, 41);
  const BrowserView zero = StepPast(session, 47);  // the Vedic entry "04"
  EXPECT_TRUE(zero.glyph_mode);
  EXPECT_EQ(zero.entry_text, "0");
  EXPECT_EQ(zero.strip, "-   .   /    0    1   2   3");

  StepPast(session, 251);
  for (const int code : {253, 254, 255}) {  // too near the end for a strip of seven
    EXPECT_BYTES(std::string(20, ' ') + B({code}) + std::string(24, ' '),
                 session.StepBrowser(+1).strip);
  }
  EXPECT_EQ(session.StepBrowser(+1).position, 1);

  // Going back to the first direction keeps the position.
  session.ChooseDirection(Direction::kToDevanagari);
  EXPECT_EQ(session.StepBrowser(+1).position, 2);
}

TEST(Session, RestoresPastedSanskritTimesLettersAndGreetsInTwelveVedicGlyphs) {
  Session session;
  EXPECT_BYTES(B({"k", 141, "a", 143, "a"}), session.RepairPastedTranslit("kTaZa"));
  session.PressTranslitFontButton(TranslitFont::kUrwPalladioIt);
  EXPECT_EQ(session.RepairPastedTranslit("kTaZa"), "kTaZa");
  session.PressTranslitFontButton(TranslitFont::kSanskritTimes);
  session.ChooseDirection(Direction::kToTranslit);
  EXPECT_EQ(session.RepairPastedTranslit("kTaZa"), "kTaZa");
  const std::string greeting = StartupGreeting();
  EXPECT_EQ(greeting.size(), 12u) << test::Show(greeting);
  EXPECT_NE(session.Convert(greeting).output.find("nama"), std::string::npos);
}

TEST(SessionUnicode, BoxesReadAsUnicodeWithTheFontsInForce) {
  Session session;
  EXPECT_EQ(session.ToUnicode(StartupGreeting(), TextBox::kDevanagari), "श्री रामाय नमः");
  EXPECT_EQ(session.ToUnicode(B({"k", 141, "s", 138, "a"}), TextBox::kTranslit), "kṛsṇa");
  session.PressTranslitFontButton(TranslitFont::kUrwPalladioIt);
  const std::string urw = session.FromUnicode("kṛṣṇa", TextBox::kTranslit).bytes;
  EXPECT_EQ(session.ToUnicode(urw, TextBox::kTranslit), "kṛṣṇa");
}

TEST(SessionUnicode, GlyphsReadAsDevanagariAndIast) {
  // Glyphs of each font as the same syllables; a glyph the conversion would
  // ask about reads as its entry; what reads as nothing is empty.
  struct Case {
    DevanagariFont font;
    std::string glyphs;
    std::string devanagari;
    std::string iast;
    std::string text;
  };
  Session vedic;
  vedic.PressDevanagariFontButton(DevanagariFont::kVedic);
  const std::string dha = vedic.FromUnicode("dha", TextBox::kDevanagari).bytes;
  Session sanskrit99;
  sanskrit99.PressDevanagariFontButton(DevanagariFont::kSanskrit99);
  const std::string dharma = sanskrit99.FromUnicode("dharma", TextBox::kDevanagari).bytes;
  const Case cases[] = {
      {DevanagariFont::kVedic, dha, "ध", "dha", "ध dha"},
      {DevanagariFont::kSanskrit99, dharma, "धर्म", "dharma", "धर्म dharma"},
      {DevanagariFont::kVedic, "0", "०", "0", "० 0"},
      {DevanagariFont::kDevNatrajItr, "\x70", "ल", "la", "ल la"},  // asks: its entry
      {DevanagariFont::kVedic, "\x8f", "", "", ""},                // asks: a blank entry
      {DevanagariFont::kVedic, "   ", "", "", ""},
  };
  for (const Case& c : cases) {
    Session session;
    session.PressDevanagariFontButton(c.font);
    const Session::UnicodeReading reading = session.ReadGlyphs(c.glyphs);
    EXPECT_EQ(reading.devanagari, c.devanagari) << c.iast;
    EXPECT_EQ(reading.iast, c.iast);
    EXPECT_EQ(reading.Text(), c.text);
    EXPECT_EQ(reading.empty(), c.text.empty());
  }
}

TEST(SessionUnicode, UnicodeBecomesTheBoxesBytesAndNamesWhatHasNoPlace) {
  Session session;
  session.PressDevanagariFontButton(DevanagariFont::kSanskrit99);
  const std::string from_iast = session.FromUnicode("dharma", TextBox::kDevanagari).bytes;
  const std::string from_devanagari = session.FromUnicode("धर्म", TextBox::kDevanagari).bytes;
  EXPECT_BYTES(from_iast, from_devanagari);
  EXPECT_BYTES(session.Convert("dharma").output, from_iast + " ");
  const Session::FromUnicodeResult rejected = session.FromUnicode("ka\nkaḻa", TextBox::kTranslit);
  ASSERT_EQ(rejected.rejected.size(), 1u);
  EXPECT_EQ(rejected.rejected[0], U'ḻ');
  EXPECT_EQ(rejected.rejected_at[0], std::make_pair(std::uint64_t{2}, std::uint64_t{3}));
  // The session itself is left as it was.
  EXPECT_EQ(session.direction(), Direction::kToDevanagari);
}

}  // namespace
}  // namespace sfc
