// A window beside the main window that shows its two text boxes as Unicode:
// the Devanagari box as Unicode Devanagari in a system font, the
// transliteration box as IAST. Useful where the legacy fonts are missing.
#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace sfc::ui {

class UnicodePreview : public QWidget {
  Q_OBJECT

 public:
  explicit UnicodePreview(QWidget* parent = nullptr);

  // Both texts are UTF-8.
  void ShowTexts(const std::string& devanagari, const std::string& iast);
  QString devanagariText() const;
  QString iastText() const;

 private:
  QPlainTextEdit* devanagari_ = nullptr;
  QPlainTextEdit* iast_ = nullptr;
};

}  // namespace sfc::ui
