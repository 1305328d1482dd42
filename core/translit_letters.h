// The special letters of the three transliteration fonts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sfc {

// Letters that a transliteration font places at bytes of its own. The values
// 1 to 18 double as placeholder bytes in the letter templates of the built-in
// tables (see ExpandLetters).
enum class Letter : unsigned char {
  kLongA = 1,     // ā
  kLongI,         // ī
  kLongU,         // ū
  kVocalicR,      // ṛ
  kLongVocalicR,  // ṝ
  kAnusvara,      // ṃ
  kVisarga,       // ḥ
  kVelarN,        // ṅ
  kPalatalN,      // ñ
  kRetroflexT,    // ṭ
  kRetroflexD,    // ḍ
  kRetroflexN,    // ṇ
  kPalatalS,      // ś
  kRetroflexS,    // ṣ
  kHiddenDash,    // the mark of a dash that is not written
  kVocalicL,      // ḷ
  kLongVocalicL,  // ḹ
  kRow171Sign,    // the sign of syllable row 171
};
inline constexpr int kLetterCount = 18;

enum class TranslitFont { kUrwPalladioIt, kSanskritTimes, kItrTransTimes };
inline constexpr std::array<TranslitFont, 3> kTranslitFonts = {
    TranslitFont::kUrwPalladioIt, TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes};

// TranslitLetters: the byte strings of the special letters in one font.
struct TranslitLetters {
  std::string_view font_name;
  std::array<std::string_view, kLetterCount> bytes;

  std::string_view operator[](Letter letter) const {
    return bytes[static_cast<std::size_t>(letter) - 1];
  }
};

const TranslitLetters& GetTranslitLetters(TranslitFont font);
std::string_view FontName(TranslitFont font);
// Exact, case-sensitive match of a font face name.
std::optional<TranslitFont> FindTranslitFont(std::string_view font_name);

// Replaces every placeholder byte (1 to 18) of a letter template by the
// letter's bytes in the given font; every other byte stays.
std::string ExpandLetters(std::string_view letter_template, const TranslitLetters& letters);

}  // namespace sfc
