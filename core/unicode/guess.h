// Which form is a text in? Reads a sample of bytes in every form the
// converter knows (the three transliteration fonts, the three Devanagari
// fonts, the Devanagari font of loaded tables, Unicode IAST and Unicode
// Devanagari) and ranks the forms by how plausible Sanskrit each reading is.
//
// Every reading is brought to IAST and scored letter by letter with a model
// of which IAST letter follows which in Sanskrit (`letter_model`, made
// from a Sanskrit text): the mean log2 probability a letter, where a
// character that is no Sanskrit letter, a byte the conversion had no rule
// for and a character it could not place each count as a very unlikely
// letter, less how far the shares of the letters stray from Sanskrit's.
// A Devanagari font's reading is also written back into the font;
// the share of the sample's glyph pairs that come back unchanged weighs in,
// since a wrong font reads its glyphs as other letters that write back as
// other glyphs, or not at all.
//
// The work is bounded by the sample: callers pass the first kGuessSampleSize
// bytes of a long input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chain.h"
#include "session.h"

namespace sfc {

// How much of a long input the guess reads.
inline constexpr std::size_t kGuessSampleSize = 64 * 1024;

// A form a text can be in: Unicode IAST or Devanagari, or the bytes of a
// named font.
struct FormName {
  TextForm form = TextForm::kIast;
  std::string font;  // the font of the font forms; empty for the Unicode ones

  friend bool operator==(const FormName&, const FormName&) = default;
};

// "iast", "devanagari" or the font's name: the name `sfconv convert` takes.
std::string DescribeForm(const FormName& form);

struct FormScore {
  FormName form;
  // The mean log2 plausibility of a letter of the reading (the ranking key;
  // typical Sanskrit is about -3.4, garbage -6 and below).
  double bits = 0;
  // The same as a share: 100 reads like typical Sanskrit, lower is worse.
  int score = 0;
  std::size_t letters = 0;  // the letters the reading has
  std::string reading;      // the reading, as IAST
};

enum class GuessDoubt {
  kNone,         // the first form is clearly ahead
  kTooShort,     // too few letters to tell
  kClose,        // the best form and its rival are close
  kReadsPoorly,  // no form reads well (mixed forms, or no Sanskrit)
};

struct FormGuess {
  std::vector<FormScore> ranked;  // best first; never empty
  // The first form after the best whose reading differs from the best's
  // (forms that read alike, as ASCII text in IAST and in a transliteration
  // font, convert alike and are no rivals); 0 when every form reads alike.
  std::size_t rival = 0;
  GuessDoubt doubt = GuessDoubt::kNone;

  bool sure() const { return doubt == GuessDoubt::kNone; }
  const FormScore& best() const { return ranked.front(); }
};

struct GuessOptions {
  // The forms to try; empty: all of them (IAST, Unicode Devanagari, the
  // transliteration fonts, the Devanagari fonts and the loaded tables).
  std::vector<TextForm> kinds;
  // A session with tables loaded from disk: their Devanagari font is tried
  // under `loaded_font` (a name that is no built-in font).
  const Session* loaded_tables = nullptr;
  std::string loaded_font;
};

// Ranks the forms for `sample`. Linear in the sample's size.
FormGuess GuessForm(std::string_view sample, const GuessOptions& options = {});

// Whether `form` reads clearly better than `other` in `guess` (both must be
// among the ranked forms): ahead by the margin a sure guess needs, with
// enough letters to tell.
bool ClearlyAhead(const FormGuess& guess, const FormName& form, const FormName& other);

// The font of a text box that `text` reads clearly better in than in the
// box's font in force: a transliteration font for the input box of the
// direction transliteration to Devanagari, a Devanagari font (or the
// session's loaded tables) for the other. None when the font in force reads
// it as well, or when no font reads it well.
struct FontSuggestion {
  std::string font;
  int score = 0;          // the text's score in that font
  int current_score = 0;  // and in the font in force
};
std::optional<FontSuggestion> SuggestInputFont(const Session& session, std::string_view text);

// "the first two forms are close" and the like; empty for kNone.
std::string_view DescribeDoubt(GuessDoubt doubt);

// The letter model: the letters of IAST as the units the guess scores, and
// the counts of letter pairs in the Sanskrit text the model was made from.
namespace letter_model {

// Unit 0 is a word boundary (blank, line end, punctuation, digit), the last
// one any character that is no Sanskrit letter.
inline constexpr int kUnitCount = 52;
inline constexpr int kBoundary = 0;
inline constexpr int kForeign = kUnitCount - 1;

// The units of an IAST text (as read by ReadIast), each boundary run as one
// kBoundary, with a kBoundary at each end. Aspirates ("kh") and diphthongs
// ("ai", "au") are one unit.
std::vector<unsigned char> Units(std::string_view iast);

// The name of a unit ("kh", "ā", "#" for the boundary, "?" for foreign).
std::string_view UnitName(int unit);

// Pair counts [first][second] over every line of `iast`.
using PairCounts = std::array<std::array<std::uint32_t, kUnitCount>, kUnitCount>;
PairCounts CountPairs(std::string_view iast);

// The counts the guess uses, made by `sfc_unicode_tool letter-model` from
// tests/data/gita.iast.txt.
const PairCounts& BuiltInCounts();

}  // namespace letter_model

}  // namespace sfc
