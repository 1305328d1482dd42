// The built-in tables as the font buttons and the start-up leave them.

#include "devitran_table.h"
#include "state.h"
#include "syllable_rows.h"
#include "test_support.h"

namespace sfc {
namespace {

using test::B;

TEST(StartupTables, HoldVedicGlyphsWithSanskritTimesKeys) {
  const ConverterState state = MakeStartupState();
  EXPECT_BYTES(B({"d", 141}), state.sanideva.key[26]);
  // Start-up cells and lists that differ from the Vedic button's.
  EXPECT_BYTES(B({158}), state.sanideva.full[149]);
  EXPECT_EQ(state.short_i[150], "n");
  EXPECT_EQ(state.devitran[228], "<y>5");
  EXPECT_EQ(state.positions, SpecialGlyphPositions{});
}

TEST(DevanagariFontButtons, WriteGlyphsAndShortIMapButNotKeys) {
  ConverterState state = MakeStartupState();
  PressDevanagariFontButton(state, DevanagariFont::kSanskrit99);
  EXPECT_EQ(state.short_i[219], "n");
  EXPECT_EQ(state.short_i[220], "y");
  EXPECT_EQ(state.devanagari_font_name, "Sanskrit 99");
  PressDevanagariFontButton(state, DevanagariFont::kVedic);
  EXPECT_EQ(state.short_i[219], "y");
  EXPECT_EQ(state.short_i[220], "n");
  EXPECT_BYTES(B({204}), state.sanideva.full[149]);
  for (DevanagariFont font : kDevanagariFonts) {
    PressDevanagariFontButton(state, font);
    for (int row = 190; row < kSyllableTableSize; ++row) {
      EXPECT_EQ(state.sanideva.key[row] + state.sanideva.full[row] + state.sanideva.half[row], "")
          << row;
    }
  }
  // A corrected Dev Natraj ITR cell: a half form with the stroke 231.
  PressDevanagariFontButton(state, DevanagariFont::kDevNatrajItr);
  EXPECT_BYTES(B({199, 231, "w"}), state.sanideva.full[118]);
}

TEST(TranslitFontButtons, RewriteKeysInTheFontsLetters) {
  ConverterState state = test::StateFor(TranslitFont::kItrTransTimes, DevanagariFont::kVedic);
  EXPECT_EQ(state.sanideva.key[172], "/-/");
  EXPECT_EQ(state.sanideva.key[175], "r_1");  // names keep their underscores
  PressTranslitFontButton(state, TranslitFont::kUrwPalladioIt);
  EXPECT_EQ(state.sanideva.key[Row::kKRetroflexSa], "k\xf1");
  EXPECT_EQ(state.sanideva.half[Row::kRa], "R");  // the repha
}

TEST(FillGlyphCodeTable, SwitchingFontsBackAndForthGivesASingleFillAndUnknownFontsNone) {
  ConverterState state =
      test::StateFor(TranslitFont::kUrwPalladioIt, DevanagariFont::kDevNatrajItr);
  const ConverterState once = state;
  PressTranslitFontButton(state, TranslitFont::kSanskritTimes);
  PressTranslitFontButton(state, TranslitFont::kUrwPalladioIt);
  FillGlyphCodeTable(state);
  EXPECT_EQ(state.sanideva.key, once.sanideva.key);
  EXPECT_EQ(state.devitran, once.devitran);
  SetTranslitBoxFont(state, "Some Other Font");
  FillGlyphCodeTable(state);
  EXPECT_EQ(state.sanideva.key, once.sanideva.key);
  EXPECT_EQ(state.devitran, once.devitran);
  // A known transliteration font with an unknown Devanagari font rebuilds
  // the keys only.
  SetTranslitBoxFont(state, "Sanskrit-Times");
  SetDevanagariBoxFont(state, "My Font");
  state.devitran[33] = "x1";
  FillGlyphCodeTable(state);
  EXPECT_BYTES(B({128}), state.sanideva.key[1]);
  EXPECT_EQ(state.devitran[33], "x1");
}

TEST(FontButtons, AfterALoadATranslitButtonPutsVedicBackAndADevanagariButtonItsOwnFont) {
  for (const bool translit : {true, false}) {
    // What a load from disk leaves: the buttons it replaces unselected.
    ConverterState state =
        test::StateFor(TranslitFont::kSanskritTimes, DevanagariFont::kSanskrit99);
    state.translit_button.reset();
    state.devanagari_button.reset();
    state.load_button = true;
    SetDevanagariBoxFont(state, "My Font");
    if (translit) {
      PressTranslitFontButton(state, TranslitFont::kItrTransTimes);
      EXPECT_EQ(state.devanagari_button, DevanagariFont::kVedic);
      EXPECT_EQ(state.devanagari_box_font, "Vedic");
      EXPECT_EQ(state.sanideva.full[6], ".");
    } else {
      PressDevanagariFontButton(state, DevanagariFont::kDevNatrajItr);
      EXPECT_EQ(state.translit_button, TranslitFont::kSanskritTimes);
      EXPECT_EQ(state.devanagari_box_font, "Dev Natraj ITR");
      EXPECT_EQ(state.devitran[75], "la5");
    }
    EXPECT_FALSE(state.load_button);
  }
}

TEST(GlyphClass, IsTheLastDigitOrZero) {
  EXPECT_EQ(ClassOf("kha1"), GlyphClass::kFullSyllable);
  EXPECT_EQ(ClassOf("7"), GlyphClass::kAskUser);
  EXPECT_EQ(ClassOf("open_y"), GlyphClass::kNone);
  EXPECT_EQ(ClassOf(""), GlyphClass::kNone);
  EXPECT_EQ(GlyphText("kha1"), "kha");
}

}  // namespace
}  // namespace sfc
