// LOAD's offer of a better font: when the loaded text reads clearly better
// in another font of the input box than in the chosen one, the window asks
// whether to choose that font. Declined, nothing changes.
#include "guess.h"
#include "main_window.h"

namespace sfc::ui {

void MainWindow::OfferBetterFont(std::string_view text) {
  const std::optional<FontSuggestion> better = SuggestInputFont(session_, text);
  if (!better) return;
  const bool translit = session_.direction() == Direction::kToDevanagari;
  const std::string& current =
      translit ? session_.state().translit_box_font : session_.state().devanagari_font_name;
  const QString question =
      QStringLiteral(
          "The file reads as Sanskrit in %1 (score %2) rather than in %3 (score %4). "
          "Choose %1 for the %5 box?")
          .arg(QString::fromStdString(better->font))
          .arg(better->score)
          .arg(QString::fromLatin1(current.data(), static_cast<qsizetype>(current.size())))
          .arg(better->current_score)
          .arg(translit ? QStringLiteral("transliteration") : QStringLiteral("Devanagari"));
  if (!question_handler_(question)) return;
  if (!translit) {
    if (const std::optional<DevanagariFont> font = FindDevanagariFont(better->font)) {
      PressDevanagariButton(*font);
    }
  } else if (const std::optional<TranslitFont> font = FindTranslitFont(better->font)) {
    PressTranslitButton(*font);
  }
}

}  // namespace sfc::ui
