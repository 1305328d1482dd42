#include "guess.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "font_iast.h"
#include "iast_devanagari.h"
#include "iast_normalize.h"
#include "sanideva_table.h"

namespace sfc {

namespace letter_model {

namespace {

// The units after the boundary, in order: the vowels, the consonants, ṃ, ḥ.
constexpr std::array<std::string_view, kUnitCount> kUnitNames = {
    "#",  "a",  "ā",  "i",  "ī", "u",  "ū", "ṛ",  "ṝ",  "ḷ", "ḹ",  "e", "ai",
    "o",  "au", "k",  "kh", "g", "gh", "ṅ", "c",  "ch", "j", "jh", "ñ", "ṭ",
    "ṭh", "ḍ",  "ḍh", "ṇ",  "t", "th", "d", "dh", "n",  "p", "ph", "b", "bh",
    "m",  "y",  "r",  "l",  "v", "ś",  "ṣ", "s",  "h",  "ḻ", "ṃ",  "ḥ", "?"};

constexpr int kA = 1;
constexpr int kI = 3;
constexpr int kU = 5;
constexpr int kAi = 12;
constexpr int kAu = 14;
constexpr int kAnusvara = 49;

// The unit of a character that stands for one alone; -1 for a boundary
// character, kForeign for any other.
int UnitOf(char32_t c) {
  switch (c) {
    case 'a':
      return 1;
    case U'ā':
      return 2;
    case 'i':
      return 3;
    case U'ī':
      return 4;
    case 'u':
      return 5;
    case U'ū':
      return 6;
    case U'ṛ':
      return 7;
    case U'ṝ':
      return 8;
    case U'ḷ':
      return 9;
    case U'ḹ':
      return 10;
    case 'e':
      return 11;
    case 'o':
      return 13;
    case 'k':
      return 15;
    case 'g':
      return 17;
    case U'ṅ':
      return 19;
    case 'c':
      return 20;
    case 'j':
      return 22;
    case U'ñ':
      return 24;
    case U'ṭ':
      return 25;
    case U'ḍ':
      return 27;
    case U'ṇ':
      return 29;
    case 't':
      return 30;
    case 'd':
      return 32;
    case 'n':
      return 34;
    case 'p':
      return 35;
    case 'b':
      return 37;
    case 'm':
      return 39;
    case 'y':
      return 40;
    case 'r':
      return 41;
    case 'l':
      return 42;
    case 'v':
      return 43;
    case U'ś':
      return 44;
    case U'ṣ':
      return 45;
    case 's':
      return 46;
    case 'h':
      return 47;
    case U'ḻ':
      return 48;
    case U'ṃ':
      return kAnusvara;
    case 0x0310:
      return kAnusvara;  // the candrabindu after its m
    case U'ḥ':
      return 50;
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case '|':
    case '\'':
    case '-':
    case '_':
    case '.':
    case ',':
    case ';':
    case ':':
    case '!':
    case '?':
    case '"':
    case '(':
    case ')':
    case '[':
    case ']':
    case '/':
    case '*':
    case U'’':
    case U'‘':
      return -1;
    default:
      return c >= '0' && c <= '9' ? -1 : kForeign;
  }
}

// The aspirate of a consonant unit that takes an "h" after it: k g c j ṭ ḍ
// t d p b.
bool TakesAspiration(int unit) {
  switch (unit) {
    case 15:
    case 17:
    case 20:
    case 22:
    case 25:
    case 27:
    case 30:
    case 32:
    case 35:
    case 37:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string_view UnitName(int unit) {
  return unit >= 0 && unit < kUnitCount ? kUnitNames[static_cast<std::size_t>(unit)] : "?";
}

std::vector<unsigned char> Units(std::string_view iast) {
  std::vector<unsigned char> units;
  units.reserve(iast.size() + 2);
  units.push_back(kBoundary);
  TextPosition position;
  ReadIast(iast, position, [&units](char32_t c, std::uint64_t, std::uint64_t) {
    const int unit = UnitOf(c);
    if (unit < 0) {
      if (units.back() != kBoundary) units.push_back(kBoundary);
      return;
    }
    unsigned char& last = units.back();
    // "kh", "ai", "au": one unit with the letter before.
    if (unit == 47 && TakesAspiration(last)) {
      ++last;
    } else if (last == kA && (unit == kI || unit == kU)) {
      last = static_cast<unsigned char>(unit == kI ? kAi : kAu);
    } else {
      units.push_back(static_cast<unsigned char>(unit));
    }
  });
  if (units.back() != kBoundary) units.push_back(kBoundary);
  return units;
}

PairCounts CountPairs(std::string_view iast) {
  PairCounts counts{};
  std::size_t start = 0;
  while (start < iast.size()) {
    std::size_t end = iast.find('\n', start);
    if (end == std::string_view::npos) end = iast.size();
    const std::vector<unsigned char> units = Units(iast.substr(start, end - start));
    for (std::size_t k = 1; k < units.size(); ++k) ++counts[units[k - 1]][units[k]];
    start = end + 1;
  }
  return counts;
}

}  // namespace letter_model

namespace {

using letter_model::kBoundary;
using letter_model::kForeign;
using letter_model::kUnitCount;

// What a letter that is no Sanskrit letter (or a byte with no rule) costs.
constexpr double kForeignBits = -14;
// A foreign character before a boundary: half as unlikely, so that a stray
// sign at a word's end does not weigh like two.
constexpr double kForeignToBoundaryBits = -7;
// How much the share of glyph pairs a Devanagari font writes back weighs:
// bits added per halving of the share.
constexpr double kRoundTripWeight = 4;
constexpr double kRoundTripFloor = 1.0 / 128;
// How much it weighs that the letters' shares stray from Sanskrit's: a font
// read as another can give plausible pairs of letters but far too many of
// some (every "a" of the text read as "ā").
constexpr double kLetterShareWeight = 1;

// A sure guess: enough letters, ahead of the second form by kMargin bits a
// letter, and a reading that scores at least kMinScore.
constexpr std::size_t kMinLetters = 20;
constexpr double kMargin = 0.25;
constexpr int kMinScore = 50;

struct Model {
  std::array<std::array<double, kUnitCount>, kUnitCount> bits{};
  std::array<double, kUnitCount> share{};  // of each letter among the letters
  double typical = 0;  // the mean bits a letter over the text the model was made from
};

Model MakeModel() {
  const letter_model::PairCounts& counts = letter_model::BuiltInCounts();
  Model model;
  double weighted = 0;
  double pairs = 0;
  for (int first = 0; first < kUnitCount; ++first) {
    double total = 0;
    for (int second = 0; second < kUnitCount; ++second) total += counts[first][second];
    total += 0.5 * kUnitCount;
    for (int second = 0; second < kUnitCount; ++second) {
      double bits = std::log2((counts[first][second] + 0.5) / total);
      if (second == kForeign) bits = kForeignBits;
      if (first == kForeign) bits = second == kBoundary ? kForeignToBoundaryBits : kForeignBits;
      model.bits[first][second] = bits;
      weighted += bits * counts[first][second];
      pairs += counts[first][second];
    }
  }
  model.typical = pairs > 0 ? weighted / pairs : 0;
  double letters = 0;
  for (int second = 1; second < kForeign; ++second) {
    for (int first = 0; first < kUnitCount; ++first) model.share[second] += counts[first][second];
    model.share[second] += 0.5;
    letters += model.share[second];
  }
  for (double& share : model.share) share /= letters;
  return model;
}

// The share of the byte pairs of `original` (blanks and line ends left out)
// that `returned` has too, as many times.
double PairsKept(std::string_view original, std::string_view returned) {
  auto pairs = [](std::string_view text) {
    std::vector<std::uint16_t> found;
    found.reserve(text.size());
    int last = -1;
    for (const char c : text) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      const auto byte = static_cast<unsigned char>(c);
      if (last >= 0) found.push_back(static_cast<std::uint16_t>((last << 8) | byte));
      last = byte;
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  const std::vector<std::uint16_t> a = pairs(original);
  const std::vector<std::uint16_t> b = pairs(returned);
  if (a.empty()) return b.empty() ? 1.0 : 0.0;
  std::size_t kept = 0;
  for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    if (a[i] == b[j]) {
      ++kept;
      ++i;
      ++j;
    } else if (a[i] < b[j]) {
      ++i;
    } else {
      ++j;
    }
  }
  return static_cast<double>(kept) / static_cast<double>(std::max(a.size(), b.size()));
}

// A reading of the sample in one form.
struct Reading {
  std::string iast;
  std::uint64_t unplaced = 0;  // bytes with no rule, characters that did not convert
  double pairs_kept = 1;       // Devanagari fonts: the share written back unchanged
};

Session FontSession(Direction direction, const FormName& form, const GuessOptions& options) {
  constexpr std::string_view kPivot = "Sanskrit-Times";
  if (const std::optional<DevanagariFont> font = FindDevanagariFont(form.font)) {
    Session session;
    session.PressDevanagariFontButton(*font);
    session.PressTranslitFontButton(TranslitFont::kSanskritTimes);
    session.ChooseDirection(direction);
    return session;
  }
  Session session = *options.loaded_tables;
  session.ChooseDirection(direction);
  session.ChooseTranslitFontName(std::string(kPivot));
  session.ChooseDevanagariFontName(form.font);
  return session;
}

Reading Read(std::string_view sample, const FormName& form, const GuessOptions& options) {
  Reading reading;
  switch (form.form) {
    case TextForm::kIast:
      reading.iast.assign(sample);
      break;
    case TextForm::kDevanagariUnicode: {
      UnicodeResult result = DevanagariToIast(sample);
      reading.iast = std::move(result.text);
      reading.unplaced = result.rejects.size();
      break;
    }
    case TextForm::kTranslitFont:
      reading.iast =
          FontToIast(sample, FontLetters(GetTranslitLetters(*FindTranslitFont(form.font))));
      break;
    case TextForm::kDevanagariFont: {
      // One session both ways: the conversion to transliteration leaves
      // nothing behind that the way back reads.
      Session session = FontSession(Direction::kToTranslit, form, options);
      // Loaded tables write the letters their files hold.
      const TablesLetters letters = MatchTranslitFontToTables(session);
      const ConversionResult translit = session.Convert(sample);
      reading.iast = FontToIast(
          translit.output, letters.problem.empty()
                               ? letters.letters
                               : FontLetters(GetTranslitLetters(TranslitFont::kSanskritTimes)));
      reading.unplaced = translit.dropped.total;
      session.ChooseDirection(Direction::kToDevanagari);
      reading.pairs_kept = PairsKept(sample, session.Convert(translit.output).output);
      break;
    }
  }
  return reading;
}

FormScore Score(const FormName& form, Reading reading, const Model& model) {
  FormScore score;
  score.form = form;
  const std::vector<unsigned char> units = letter_model::Units(reading.iast);
  double bits = static_cast<double>(reading.unplaced) * kForeignBits;
  for (std::size_t k = 1; k < units.size(); ++k) {
    bits += model.bits[units[k - 1]][units[k]];
    if (units[k] != kBoundary) ++score.letters;
  }
  const double steps = static_cast<double>(units.size() - 1 + reading.unplaced);
  score.bits = steps > 0 ? bits / steps : kForeignBits;
  score.bits += kRoundTripWeight * std::log2(std::max(reading.pairs_kept, kRoundTripFloor));
  // How far the letters' shares stray from Sanskrit's (relative entropy).
  std::array<double, kUnitCount> seen{};
  double letters = 0;
  for (const unsigned char unit : units) {
    if (unit != kBoundary && unit != kForeign) {
      ++seen[unit];
      ++letters;
    }
  }
  double stray = 0;
  int distinct = 0;
  for (int unit = 1; unit < kForeign; ++unit) {
    if (seen[unit] > 0) {
      const double share = seen[unit] / letters;
      stray += share * std::log2(share / model.share[unit]);
      ++distinct;
    }
  }
  // Less what a text of that length strays by chance alone.
  if (letters > 0) stray = std::max(0.0, stray - (distinct - 1) / (2 * letters * std::log(2.0)));
  score.bits -= kLetterShareWeight * stray;
  score.score =
      static_cast<int>(std::lround(100 * std::min(1.0, std::exp2(score.bits - model.typical))));
  score.reading = std::move(reading.iast);
  return score;
}

std::vector<FormName> Candidates(const GuessOptions& options) {
  auto wanted = [&options](TextForm kind) {
    return options.kinds.empty() ||
           std::find(options.kinds.begin(), options.kinds.end(), kind) != options.kinds.end();
  };
  std::vector<FormName> forms;
  if (wanted(TextForm::kIast)) forms.push_back({TextForm::kIast, {}});
  if (wanted(TextForm::kDevanagariUnicode)) forms.push_back({TextForm::kDevanagariUnicode, {}});
  if (wanted(TextForm::kTranslitFont)) {
    for (const TranslitFont font : {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes,
                                    TranslitFont::kUrwPalladioIt}) {
      forms.push_back({TextForm::kTranslitFont, std::string(FontName(font))});
    }
  }
  if (wanted(TextForm::kDevanagariFont)) {
    for (const DevanagariFont font : kDevanagariFonts) {
      forms.push_back({TextForm::kDevanagariFont, std::string(FontName(font))});
    }
    if (options.loaded_tables != nullptr && !FindDevanagariFont(options.loaded_font)) {
      forms.push_back({TextForm::kDevanagariFont, options.loaded_font});
    }
  }
  return forms;
}

const FormScore* Find(const FormGuess& guess, const FormName& form) {
  for (const FormScore& score : guess.ranked) {
    if (score.form == form) return &score;
  }
  return nullptr;
}

}  // namespace

std::string DescribeForm(const FormName& form) {
  switch (form.form) {
    case TextForm::kIast:
      return "iast";
    case TextForm::kDevanagariUnicode:
      return "devanagari";
    default:
      return form.font;
  }
}

FormGuess GuessForm(std::string_view sample, const GuessOptions& options) {
  const Model model = MakeModel();
  FormGuess guess;
  for (const FormName& form : Candidates(options)) {
    guess.ranked.push_back(Score(form, Read(sample, form, options), model));
  }
  if (guess.ranked.empty()) {
    guess.ranked.push_back(Score({TextForm::kIast, {}}, Read(sample, {}, options), model));
  }
  std::stable_sort(guess.ranked.begin(), guess.ranked.end(),
                   [](const FormScore& a, const FormScore& b) { return a.bits > b.bits; });
  const FormScore& best = guess.ranked.front();
  for (std::size_t k = 1; k < guess.ranked.size() && guess.rival == 0; ++k) {
    if (guess.ranked[k].reading != best.reading) guess.rival = k;
  }
  if (best.letters < kMinLetters) {
    guess.doubt = GuessDoubt::kTooShort;
  } else if (best.score < kMinScore) {
    guess.doubt = GuessDoubt::kReadsPoorly;
  } else if (guess.rival != 0 && best.bits - guess.ranked[guess.rival].bits < kMargin) {
    guess.doubt = GuessDoubt::kClose;
  }
  return guess;
}

bool ClearlyAhead(const FormGuess& guess, const FormName& form, const FormName& other) {
  const FormScore* a = Find(guess, form);
  const FormScore* b = Find(guess, other);
  return a != nullptr && b != nullptr && a->letters >= kMinLetters && a->bits - b->bits >= kMargin;
}

std::optional<FontSuggestion> SuggestInputFont(const Session& session, std::string_view text) {
  const ConverterState& state = session.state();
  GuessOptions options;
  FormName current;
  if (session.direction() == Direction::kToDevanagari) {
    options.kinds = {TextForm::kTranslitFont};
    current = {TextForm::kTranslitFont, state.translit_box_font};
  } else {
    options.kinds = {TextForm::kDevanagariFont};
    current = {TextForm::kDevanagariFont, state.devanagari_font_name};
    if (!state.devanagari_button) {
      options.loaded_tables = &session;
      options.loaded_font = state.devanagari_font_name;
    }
  }
  const FormGuess guess = GuessForm(text.substr(0, kGuessSampleSize), options);
  const FormScore& best = guess.best();
  const FormScore* now = Find(guess, current);
  if (now == nullptr || best.form == current || guess.doubt == GuessDoubt::kTooShort ||
      guess.doubt == GuessDoubt::kReadsPoorly || !ClearlyAhead(guess, best.form, current)) {
    return std::nullopt;
  }
  return FontSuggestion{best.form.font, best.score, now->score};
}

std::string_view DescribeDoubt(GuessDoubt doubt) {
  switch (doubt) {
    case GuessDoubt::kTooShort:
      return "too few letters to tell";
    case GuessDoubt::kClose:
      return "another form reads almost as well";
    case GuessDoubt::kReadsPoorly:
      return "no form reads like Sanskrit throughout";
    case GuessDoubt::kNone:
      break;
  }
  return {};
}

}  // namespace sfc
