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
  EXPECT_EQ(state.sanideva.key[2], "a");
  EXPECT_EQ(state.sanideva.full[2], "a");
  EXPECT_EQ(state.sanideva.half[2], " ");
  EXPECT_BYTES(B({"d", 141}), state.sanideva.key[26]);
  // The three start-up cells that differ from the Vedic button's.
  EXPECT_BYTES(B({158}), state.sanideva.full[149]);
  EXPECT_BYTES(B({174}), state.sanideva.full[168]);
  EXPECT_EQ(state.sanideva.half[168], "");
  EXPECT_EQ(state.sanideva.full[170], ";l");
  EXPECT_EQ(state.short_i[150], "n");
  EXPECT_EQ(state.devitran[228], "<y>5");
  EXPECT_EQ(state.devanagari_font_name, "Vedic");
  EXPECT_EQ(state.positions, SpecialGlyphPositions{});
}

TEST(DevanagariFontButtons, WriteGlyphsAndShortIMapButNotKeys) {
  ConverterState state = MakeStartupState();
  PressDevanagariFontButton(state, DevanagariFont::kVedic);
  EXPECT_EQ(state.short_i[150], "y");
  EXPECT_BYTES(B({204}), state.sanideva.full[149]);

  PressDevanagariFontButton(state, DevanagariFont::kSanskrit99);
  EXPECT_EQ(state.short_i[219], "n");
  EXPECT_EQ(state.short_i[220], "y");
  EXPECT_EQ(state.devanagari_box_font, "Sanskrit 99");
  EXPECT_EQ(state.devanagari_font_name, "Sanskrit 99");
  EXPECT_EQ(state.devitran[40], "open_y5");

  PressDevanagariFontButton(state, DevanagariFont::kVedic);
  EXPECT_EQ(state.short_i[219], "y");
  EXPECT_EQ(state.short_i[220], "n");
  for (DevanagariFont font : kDevanagariFonts) {
    PressDevanagariFontButton(state, font);
    EXPECT_EQ(state.sanideva.key[153] + state.sanideva.full[153] + state.sanideva.half[153], "");
    for (int row = 190; row < kSyllableTableSize; ++row) {
      EXPECT_EQ(state.sanideva.key[row] + state.sanideva.full[row] + state.sanideva.half[row], "")
          << row;
    }
  }
  // Corrected Dev Natraj ITR cells: d with the vocalic-r sign w, not x; the
  // half forms that take the stroke 231 for their full form.
  PressDevanagariFontButton(state, DevanagariFont::kDevNatrajItr);
  EXPECT_BYTES(B({216}), state.sanideva.full[58]);
  EXPECT_BYTES(B({199, 231, "w"}), state.sanideva.full[118]);
  EXPECT_EQ(state.sanideva.full[26], "tw");
  EXPECT_EQ(state.short_i[199], "n");
  EXPECT_EQ(state.short_i[220], "n");
}

TEST(TranslitFontButtons, RewriteKeysInTheFontsLetters) {
  ConverterState state = test::StateFor(TranslitFont::kItrTransTimes, DevanagariFont::kVedic);
  EXPECT_EQ(state.sanideva.key[172], "/-/");
  EXPECT_BYTES(B({187}), state.sanideva.key[171]);
  EXPECT_BYTES(B({"r", 237}), state.sanideva.key[173]);
  EXPECT_EQ(state.sanideva.key[175], "r_1");  // names keep their underscores

  PressTranslitFontButton(state, TranslitFont::kSanskritTimes);
  EXPECT_BYTES(B({241, "a", 136}), state.sanideva.key[171]);
  EXPECT_EQ(state.sanideva.key[172], "_");

  PressTranslitFontButton(state, TranslitFont::kUrwPalladioIt);
  EXPECT_EQ(state.sanideva.key[Row::kKtaEnd], "kt_end");
  EXPECT_EQ(state.sanideva.key[Row::kLongA], "\xe4");
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
      EXPECT_BYTES(B({161}), state.sanideva.key[1]);
    } else {
      PressDevanagariFontButton(state, DevanagariFont::kDevNatrajItr);
      EXPECT_EQ(state.translit_button, TranslitFont::kSanskritTimes);
      EXPECT_EQ(state.devanagari_box_font, "Dev Natraj ITR");
      EXPECT_EQ(state.devanagari_font_name, "Dev Natraj ITR");
      EXPECT_BYTES(B({164}), state.sanideva.full[5]);
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
