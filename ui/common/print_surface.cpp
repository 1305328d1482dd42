#include "print_surface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace sfc::ui {

int Twips(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

PrintSurface::PrintSurface(QWidget* parent) : QWidget(parent) {}

void PrintSurface::SetOrigin(int x_twips, int y_twips) {
  origin_x_ = x_twips;
  origin_y_ = y_twips;
}

void PrintSurface::SetPrintPosition(int x_twips, int y_twips) {
  print_x_ = x_twips;
  print_y_ = y_twips;
}

void PrintSurface::PrintLine(const QString& text, const QColor& color, const QFont& font) {
  lines_.push_back({text, color, font, origin_x_ + print_x_, origin_y_ + print_y_});
  // A line's height in twips: the font's height in points (1/72 inch).
  const QFontMetricsF metrics(font, this);
  print_x_ = 0;
  print_y_ += static_cast<int>(std::lround(metrics.height() * 1440.0 / logicalDpiY()));
  update();
}

void PrintSurface::ClearPrinted() {
  lines_.clear();
  print_x_ = 0;
  print_y_ = 0;
  update();
}

void PrintSurface::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  QPainter painter(this);
  for (const PrintedLine& line : lines_) {
    painter.setFont(line.font);
    painter.setPen(line.color);
    const QFontMetrics metrics(line.font, this);
    painter.drawText(Twips(line.x_twips, logicalDpiX()),
                     Twips(line.y_twips, logicalDpiY()) + metrics.ascent(), line.text);
  }
}

}  // namespace sfc::ui
