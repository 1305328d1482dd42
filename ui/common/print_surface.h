// A window's surface that keeps what was printed onto it (the main window's
// title lines, the help window's pages) across repaints until cleared,
// under the controls it holds.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <vector>

namespace sfc::ui {

// Twips (1/1440 inch) to pixels at a device's logical resolution.
int Twips(int twips, int dpi);

class PrintSurface : public QWidget {
  Q_OBJECT

 public:
  explicit PrintSurface(QWidget* parent = nullptr);

  // Moves the drawing origin (twips from the top-left corner) and the print
  // position (twips from the origin).
  void SetOrigin(int x_twips, int y_twips);
  void SetPrintPosition(int x_twips, int y_twips);
  // Prints a line at the print position in the given colour and font, then
  // moves the print position to x = 0, one line of that font lower.
  void PrintLine(const QString& text, const QColor& color, const QFont& font);
  void ClearPrinted();

  struct PrintedLine {
    QString text;
    QColor color;
    QFont font;
    int x_twips = 0;
    int y_twips = 0;  // of the line's top
  };
  const std::vector<PrintedLine>& printed() const { return lines_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int origin_x_ = 0;
  int origin_y_ = 0;
  int print_x_ = 0;
  int print_y_ = 0;
  std::vector<PrintedLine> lines_;
};

}  // namespace sfc::ui
