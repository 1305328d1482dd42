#include "unicode_preview.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace sfc::ui {

UnicodePreview::UnicodePreview(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("UnicodePreview"));
  setWindowTitle(QStringLiteral("Unicode preview"));
  setAccessibleName(windowTitle());
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);
  const auto pane = [&](const QString& caption, const QString& family, double size) {
    auto* label = new QLabel(caption, this);
    label->setAccessibleName(caption);
    auto* text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    text->setAccessibleName(caption);
    QFont font(family);
    font.setPointSizeF(size);
    text->setFont(font);
    label->setBuddy(text);
    layout->addWidget(label);
    layout->addWidget(text, 1);
    return text;
  };
  devanagari_ = pane(QStringLiteral("Devanagari box as Unicode Devanagari"),
                     QStringLiteral("Noto Sans Devanagari"), 20);
  devanagari_->setObjectName(QStringLiteral("PreviewDevanagari"));
  iast_ = pane(QStringLiteral("Transliteration box as IAST"), QStringLiteral("Noto Serif"), 14);
  iast_->setObjectName(QStringLiteral("PreviewIast"));
  resize(700, 500);
}

void UnicodePreview::ShowTexts(const std::string& devanagari, const std::string& iast) {
  devanagari_->setPlainText(QString::fromStdString(devanagari));
  iast_->setPlainText(QString::fromStdString(iast));
}

QString UnicodePreview::devanagariText() const { return devanagari_->toPlainText(); }
QString UnicodePreview::iastText() const { return iast_->toPlainText(); }

}  // namespace sfc::ui
