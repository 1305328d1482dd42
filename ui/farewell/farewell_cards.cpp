#include "farewell_cards.h"

#include <QFile>
#include <QStringList>
#include <utility>

#include "translit_letters.h"

namespace sfc::ui {

namespace {

// The letters with marks and the font's letter for each.
constexpr std::array<std::pair<char32_t, Letter>, 17> kMarkedLetters = {{
    {U'ā', Letter::kLongA},
    {U'ī', Letter::kLongI},
    {U'ū', Letter::kLongU},
    {U'ṛ', Letter::kVocalicR},
    {U'ṝ', Letter::kLongVocalicR},
    {U'ṃ', Letter::kAnusvara},
    {U'ṁ', Letter::kAnusvara},
    {U'ḥ', Letter::kVisarga},
    {U'ṅ', Letter::kVelarN},
    {U'ñ', Letter::kPalatalN},
    {U'ṭ', Letter::kRetroflexT},
    {U'ḍ', Letter::kRetroflexD},
    {U'ṇ', Letter::kRetroflexN},
    {U'ś', Letter::kPalatalS},
    {U'ṣ', Letter::kRetroflexS},
    {U'ḷ', Letter::kVocalicL},
    {U'ḹ', Letter::kLongVocalicL},
}};

}  // namespace

std::vector<FarewellCardText> ParseFarewellCards(const QString& text) {
  std::vector<FarewellCardText> cards;
  FarewellCardText card;
  bool open = false;
  const auto close_card = [&] {
    if (open) cards.push_back(card);
    card = {};
    open = false;
  };
  for (const QString& raw_line : text.split(QLatin1Char('\n'))) {
    const QString line = raw_line.trimmed();
    if (line.isEmpty()) {
      close_card();
      continue;
    }
    if (line.startsWith(QLatin1Char('#'))) continue;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0) continue;
    const QString field = line.left(colon).trimmed();
    const QString value = line.mid(colon + 1).trimmed();
    open = true;
    if (field == QLatin1String("caption")) {
      card.caption = value;
    } else if (field == QLatin1String("source")) {
      card.source = value;
    } else if (field == QLatin1String("verse")) {
      card.verse = value;
    } else if (field == QLatin1String("english")) {
      card.english = value;
    }
  }
  close_card();
  return cards;
}

std::vector<FarewellCardText> LoadFarewellCards() {
  QFile file(QStringLiteral(":/farewell/cards.txt"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ParseFarewellCards(QString::fromUtf8(file.readAll()));
}

IastBytes IastToUrwPalladioBytes(const QString& iast) {
  const TranslitLetters& letters = GetTranslitLetters(TranslitFont::kUrwPalladioIt);
  IastBytes result;
  const QList<uint> characters = iast.normalized(QString::NormalizationForm_C).toUcs4();
  for (const uint code : characters) {
    const auto character = static_cast<char32_t>(code);
    if (character == U'|') {
      result.bytes.push_back('/');  // "||" comes out as "//"
      continue;
    }
    if (character < 0x80) {
      result.bytes.push_back(static_cast<char>(character));
      continue;
    }
    bool found = false;
    for (const auto& [marked, letter] : kMarkedLetters) {
      if (marked == character) {
        result.bytes.append(letters[letter]);
        found = true;
        break;
      }
    }
    if (!found) result.left_out.push_back(character);
  }
  return result;
}

}  // namespace sfc::ui
