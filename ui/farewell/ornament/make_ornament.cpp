// Draws the farewell window's picture, a lamp burning on a lotus, and saves
// it as a PNG (117 x 139 pixels, 24-bit):
//   sfc_make_ornament ui/farewell/resources/ornament.png
// The build does not run it; the PNG it wrote is kept with the sources.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kWidth = 117;
constexpr int kHeight = 139;
constexpr double kCentre = kWidth / 2.0;

// A petal from its foot at (0, 0) upwards, `length` long and `width` wide.
QPainterPath Petal(double length, double width) {
  QPainterPath path;
  path.moveTo(0, 0);
  path.cubicTo(width, -length * 0.35, width * 0.55, -length * 0.8, 0, -length);
  path.cubicTo(-width * 0.55, -length * 0.8, -width, -length * 0.35, 0, 0);
  return path;
}

void DrawLotus(QPainter& painter, double foot_y) {
  const QColor outline(0xA0, 0x20, 0x60);
  // Leaves at the water line.
  painter.setPen(QPen(QColor(0x00, 0x60, 0x20), 1.2));
  painter.setBrush(QColor(0x20, 0xA0, 0x40));
  painter.drawEllipse(QPointF(kCentre - 30, foot_y + 6), 26, 6);
  painter.drawEllipse(QPointF(kCentre + 30, foot_y + 6), 26, 6);
  // Petals from the back (wide, pale) to the front.
  struct Row {
    double angle_step;
    int count;
    double length;
    double width;
    QColor colour;
  };
  const Row rows[] = {
      {24, 7, 40, 13, QColor(0xFF, 0xC0, 0xE0)},
      {30, 5, 36, 13, QColor(0xFF, 0x90, 0xC8)},
      {0, 1, 34, 14, QColor(0xFF, 0x70, 0xB0)},
  };
  for (const Row& row : rows) {
    for (int i = 0; i < row.count; ++i) {
      const double angle = (i - (row.count - 1) / 2.0) * row.angle_step;
      painter.save();
      painter.translate(kCentre, foot_y);
      painter.rotate(angle);
      QLinearGradient fill(0, 0, 0, -row.length);
      fill.setColorAt(0, row.colour.darker(115));
      fill.setColorAt(1, row.colour.lighter(120));
      painter.setPen(QPen(outline, 1.0));
      painter.setBrush(fill);
      painter.drawPath(Petal(row.length, row.width));
      painter.restore();
    }
  }
}

void DrawLamp(QPainter& painter, double rim_y) {
  // The glow behind the flame.
  const QPointF flame_centre(kCentre, rim_y - 24);
  QRadialGradient glow(flame_centre, 34);
  glow.setColorAt(0, QColor(0xFF, 0xFF, 0xC0, 220));
  glow.setColorAt(0.5, QColor(0xFF, 0xF0, 0x80, 90));
  glow.setColorAt(1, QColor(0xFF, 0xF0, 0x80, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawEllipse(flame_centre, 34, 34);

  // The bowl of the lamp, brass, with its spout to the right.
  QPainterPath bowl;
  bowl.moveTo(kCentre - 22, rim_y);
  bowl.cubicTo(kCentre - 20, rim_y + 16, kCentre + 14, rim_y + 16, kCentre + 20, rim_y + 2);
  bowl.lineTo(kCentre + 30, rim_y - 4);
  bowl.lineTo(kCentre + 24, rim_y + 1);
  bowl.lineTo(kCentre - 22, rim_y);
  QLinearGradient brass(0, rim_y, 0, rim_y + 14);
  brass.setColorAt(0, QColor(0xF8, 0xD0, 0x60));
  brass.setColorAt(1, QColor(0xB0, 0x70, 0x10));
  painter.setPen(QPen(QColor(0x70, 0x40, 0x00), 1.0));
  painter.setBrush(brass);
  painter.drawPath(bowl);
  painter.setBrush(QColor(0x80, 0x50, 0x10));
  painter.drawEllipse(QPointF(kCentre - 1, rim_y), 21, 2.5);

  // The flame on the wick at the spout's root.
  const double flame_x = kCentre + 22;
  const double flame_foot = rim_y - 5;
  QPainterPath flame;
  flame.moveTo(flame_x, flame_foot);
  flame.cubicTo(flame_x + 9, flame_foot - 6, flame_x + 5, flame_foot - 18, flame_x - 1,
                flame_foot - 30);
  flame.cubicTo(flame_x - 2, flame_foot - 18, flame_x - 10, flame_foot - 8, flame_x, flame_foot);
  QLinearGradient fire(0, flame_foot, 0, flame_foot - 30);
  fire.setColorAt(0, QColor(0xFF, 0x60, 0x00));
  fire.setColorAt(0.45, QColor(0xFF, 0xB0, 0x00));
  fire.setColorAt(1, QColor(0xFF, 0xF4, 0xA0));
  painter.setPen(QPen(QColor(0xC0, 0x40, 0x00), 0.8));
  painter.setBrush(fire);
  painter.drawPath(flame);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xFF, 0xFF, 0xE0));
  painter.drawEllipse(QPointF(flame_x + 0.5, flame_foot - 8), 2.2, 4.5);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sfc_make_ornament OUTPUT.png\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QImage image(kWidth, kHeight, QImage::Format_RGB888);
  image.fill(QColor(0x00, 0xC0, 0xC0));
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A pale disc behind the whole.
    QRadialGradient disc(QPointF(kCentre, 70), 58);
    disc.setColorAt(0, QColor(0xE0, 0xFF, 0xFF));
    disc.setColorAt(1, QColor(0x00, 0xC0, 0xC0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QPointF(kCentre, 70), 58, 66);
    DrawLamp(painter, 66);
    DrawLotus(painter, 118);
  }
  if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
