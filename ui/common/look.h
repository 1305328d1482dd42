// How the windows write their controls: bold type at a point size, and
// coloured backgrounds.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace sfc::ui {

inline QFont BoldFont(const QString& family, double size) {
  QFont font(family);
  font.setPointSizeF(size);
  font.setBold(true);
  return font;
}

// The widget, and the buttons in it, on one colour.
inline void SetBackground(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, color);
  palette.setColor(QPalette::Button, color);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace sfc::ui
