#include "ui/Icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>

#include "raster/Random.h"

namespace brisol {
namespace {

// Every icon is drawn on a 24 by 24 grid scaled to the pixmap; lines keep at
// least one device pixel.
constexpr double kGrid = 24.0;

const QColor kInk(40, 44, 52);

// A closed outline through the points, in order.
QPainterPath ClosedPath(const QPolygonF& points) {
  QPainterPath path;
  path.addPolygon(points);
  path.closeSubpath();
  return path;
}

class IconPainter {
 public:
  IconPainter(QPixmap& pixmap, int size) : p(&pixmap), m_scale(size / kGrid) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(m_scale, m_scale);
  }

  // A pen of width grid units, never thinner than one device pixel.
  QPen Pen(const QColor& colour, double width = 1.2) const {
    QPen pen(colour, std::max(width, 1.0 / m_scale));
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
  }
  void Outlined(const QColor& fill, double width = 1.2, const QColor& line = kInk) {
    p.setPen(Pen(line, width));
    p.setBrush(fill);
  }
  bool Small() const { return m_scale * kGrid < 20; }

  QPainter p;

 private:
  double m_scale;
};

void DrawFolder(IconPainter& ip) {
  const QPainterPath back = ClosedPath({QPointF(2.5, 5.5), QPointF(9, 5.5), QPointF(11, 7.5), QPointF(20.5, 7.5),
                                        QPointF(20.5, 19.5), QPointF(2.5, 19.5)});
  ip.Outlined(QColor(214, 160, 40));
  ip.p.drawPath(back);
  // A photo peeks out of the folder.
  ip.Outlined(QColor(250, 250, 250), 0.9);
  ip.p.drawRect(QRectF(6, 8.5, 12, 7));
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(90, 160, 220));
  ip.p.drawRect(QRectF(7, 9.5, 10, 5));
  const QPainterPath front =
      ClosedPath({QPointF(2.5, 19.5), QPointF(5, 11.5), QPointF(22.5, 11.5), QPointF(20.5, 19.5)});
  ip.Outlined(QColor(246, 196, 70));
  ip.p.drawPath(front);
}

void DrawDisk(IconPainter& ip) {
  const QPainterPath body =
      ClosedPath({QPointF(3.5, 3.5), QPointF(18, 3.5), QPointF(20.5, 6), QPointF(20.5, 20.5), QPointF(3.5, 20.5)});
  ip.Outlined(QColor(52, 101, 164));
  ip.p.drawPath(body);
  ip.Outlined(QColor(200, 208, 220), 0.9);
  ip.p.drawRect(QRectF(7, 3.5, 9, 6));
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(52, 101, 164));
  ip.p.drawRect(QRectF(12.5, 4.5, 2, 4));
  ip.Outlined(QColor(250, 250, 250), 0.9);
  ip.p.drawRect(QRectF(6, 12.5, 12, 8));
  ip.p.setPen(ip.Pen(QColor(150, 160, 175), 0.8));
  ip.p.drawLine(QPointF(8, 15.5), QPointF(16, 15.5));
  ip.p.drawLine(QPointF(8, 18), QPointF(16, 18));
}

void DrawScissors(IconPainter& ip) {
  ip.p.setPen(ip.Pen(QColor(120, 125, 135), 1.8));
  ip.p.drawLine(QPointF(8.5, 14), QPointF(17.5, 2.5));
  ip.p.drawLine(QPointF(15.5, 14), QPointF(6.5, 2.5));
  ip.p.setPen(ip.Pen(kInk, 0.9));
  ip.p.drawLine(QPointF(8.5, 14), QPointF(17.5, 2.5));
  ip.p.drawLine(QPointF(15.5, 14), QPointF(6.5, 2.5));
  ip.p.setPen(ip.Pen(QColor(200, 40, 40), 2.0));
  ip.p.setBrush(Qt::NoBrush);
  ip.p.drawEllipse(QPointF(7, 18), 3.2, 3.2);
  ip.p.drawEllipse(QPointF(17, 18), 3.2, 3.2);
  ip.p.setBrush(kInk);
  ip.p.setPen(Qt::NoPen);
  ip.p.drawEllipse(QPointF(12, 9.5), 1.0, 1.0);
}

void DrawSheet(IconPainter& ip, QRectF r, const QColor& fill) {
  const QPainterPath sheet =
      ClosedPath({QPointF(r.left(), r.top()), QPointF(r.right() - 4, r.top()), QPointF(r.right(), r.top() + 4),
                  QPointF(r.right(), r.bottom()), QPointF(r.left(), r.bottom())});
  ip.Outlined(fill, 1.0);
  ip.p.drawPath(sheet);
  ip.p.setPen(ip.Pen(kInk, 0.8));
  ip.p.drawPolyline(QPolygonF(
      {QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4)}));
  ip.p.setPen(ip.Pen(QColor(140, 150, 165), 0.8));
  for (double y = r.top() + 7; y < r.bottom() - 2; y += 3)
    ip.p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
}

void DrawCopy(IconPainter& ip) {
  DrawSheet(ip, QRectF(3.5, 2.5, 11, 14), QColor(225, 232, 242));
  DrawSheet(ip, QRectF(9.5, 7.5, 11, 14), QColor(252, 252, 252));
}

void DrawPaste(IconPainter& ip) {
  ip.Outlined(QColor(176, 124, 70));
  ip.p.drawRoundedRect(QRectF(3.5, 4, 15, 18), 1.5, 1.5);
  ip.Outlined(QColor(252, 252, 252), 0.9);
  ip.p.drawRect(QRectF(6, 7.5, 10, 12.5));
  ip.Outlined(QColor(170, 176, 186), 1.0);
  ip.p.drawRoundedRect(QRectF(7, 2, 8, 4), 1.2, 1.2);
  // A sheet being pasted.
  DrawSheet(ip, QRectF(12.5, 11.5, 9, 10.5), QColor(225, 232, 242));
}

void DrawPrinter(IconPainter& ip) {
  ip.Outlined(QColor(252, 252, 252), 1.0);
  ip.p.drawRect(QRectF(6.5, 2.5, 11, 8));
  ip.Outlined(QColor(150, 156, 166));
  ip.p.drawRoundedRect(QRectF(2.5, 9, 19, 9), 1.5, 1.5);
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(90, 200, 90));
  ip.p.drawEllipse(QPointF(18.5, 11.8), 1.0, 1.0);
  ip.Outlined(QColor(252, 252, 252), 1.0);
  ip.p.drawRect(QRectF(6.5, 14.5, 11, 7.5));
  ip.p.setPen(ip.Pen(QColor(140, 150, 165), 0.8));
  ip.p.drawLine(QPointF(8.5, 17), QPointF(15.5, 17));
  ip.p.drawLine(QPointF(8.5, 19.5), QPointF(15.5, 19.5));
}

// A little landscape: sky, sun and a green hill inside r.
void DrawLandscape(QPainter& p, const QRectF& r) {
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, QColor(80, 150, 230));
  sky.setColorAt(1, QColor(180, 215, 250));
  p.setPen(Qt::NoPen);
  p.fillRect(r, sky);
  p.setBrush(QColor(255, 200, 40));
  p.drawEllipse(QPointF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.3), r.width() * 0.13, r.width() * 0.13);
  QPainterPath hill;
  hill.moveTo(r.left(), r.bottom());
  hill.lineTo(r.left(), r.top() + r.height() * 0.7);
  hill.quadTo(QPointF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.35),
              QPointF(r.left() + r.width() * 0.7, r.top() + r.height() * 0.72));
  hill.quadTo(QPointF(r.left() + r.width() * 0.85, r.top() + r.height() * 0.8),
              QPointF(r.right(), r.top() + r.height() * 0.68));
  hill.lineTo(r.right(), r.bottom());
  hill.closeSubpath();
  p.setBrush(QColor(70, 160, 70));
  p.drawPath(hill);
}

void DrawFramedPhoto(IconPainter& ip) {
  ip.Outlined(QColor(196, 150, 80));
  ip.p.drawRect(QRectF(2.5, 4.5, 19, 15));
  ip.p.save();
  DrawLandscape(ip.p, QRectF(5, 7, 14, 10));
  ip.p.restore();
  ip.p.setPen(ip.Pen(kInk, 0.8));
  ip.p.setBrush(Qt::NoBrush);
  ip.p.drawRect(QRectF(5, 7, 14, 10));
}

void DrawSliders(IconPainter& ip) {
  const std::array<double, 3> knobs = {7.5, 15.5, 10.5};
  for (int i = 0; i < 3; ++i) {
    const double y = 5.5 + i * 6.5;
    ip.p.setPen(ip.Pen(QColor(120, 128, 140), 2.0));
    ip.p.drawLine(QPointF(3, y), QPointF(21, y));
    ip.Outlined(QColor(70, 130, 200), 1.0);
    ip.p.drawRoundedRect(QRectF(knobs[static_cast<std::size_t>(i)] - 2, y - 3, 4, 6), 1, 1);
  }
}

void DrawPalette(IconPainter& ip) {
  QPainterPath palette;
  palette.addEllipse(QPointF(12, 12), 10, 8.5);
  QPainterPath hole;
  hole.addEllipse(QPointF(15.5, 16.2), 2.2, 1.9);
  ip.Outlined(QColor(232, 206, 160));
  ip.p.drawPath(palette.subtracted(hole));
  const std::array<QColor, 5> paints = {QColor(220, 40, 40), QColor(250, 190, 30), QColor(60, 170, 70),
                                        QColor(40, 110, 220), QColor(150, 70, 190)};
  const std::array<QPointF, 5> at = {QPointF(7, 9.5), QPointF(11.5, 7), QPointF(16.5, 8), QPointF(18.5, 12.3),
                                     QPointF(7.5, 14.5)};
  ip.p.setPen(ip.Pen(kInk, 0.6));
  for (std::size_t i = 0; i < paints.size(); ++i) {
    ip.p.setBrush(paints[i]);
    ip.p.drawEllipse(at[i], 2.0, 2.0);
  }
}

void DrawShapes(IconPainter& ip) {
  ip.Outlined(QColor(230, 70, 60));
  ip.p.drawEllipse(QPointF(8, 8), 5, 5);
  ip.Outlined(QColor(60, 120, 220));
  ip.p.drawRect(QRectF(12.5, 11.5, 9, 9));
  ip.Outlined(QColor(70, 180, 80));
  ip.p.drawPolygon(QPolygonF({QPointF(2.5, 21), QPointF(7.5, 12.5), QPointF(12.5, 21)}));
}

void DrawDie(IconPainter& ip, QRectF r, std::initializer_list<QPointF> dots) {
  ip.Outlined(QColor(252, 252, 252));
  ip.p.drawRoundedRect(r, 2.2, 2.2);
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(200, 30, 40));
  for (const QPointF& d : dots)
    ip.p.drawEllipse(QPointF(r.left() + d.x() * r.width(), r.top() + d.y() * r.height()), r.width() * 0.1,
                     r.width() * 0.1);
}

void DrawDice(IconPainter& ip) {
  DrawDie(ip, QRectF(2.5, 2.5, 11, 11), {{0.25, 0.25}, {0.5, 0.5}, {0.75, 0.75}});
  DrawDie(ip, QRectF(10.5, 10.5, 11, 11), {{0.27, 0.27}, {0.73, 0.27}, {0.27, 0.73}, {0.73, 0.73}, {0.5, 0.5}});
}

void DrawQuality(IconPainter& ip) {
  // A jagged edge becoming smooth, under an "HQ" badge.
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(120, 128, 140));
  QPainterPath stairs;
  stairs.moveTo(2, 22);
  for (int i = 0; i < 4; ++i) {
    stairs.lineTo(2 + i * 2.5, 22 - (i + 1) * 2.5);
    stairs.lineTo(2 + (i + 1) * 2.5, 22 - (i + 1) * 2.5);
  }
  stairs.lineTo(12, 22);
  stairs.closeSubpath();
  ip.p.drawPath(stairs);
  const QPainterPath smooth = ClosedPath({QPointF(12, 22), QPointF(12, 12), QPointF(22, 2), QPointF(22, 22)});
  ip.p.setBrush(QColor(60, 150, 90));
  ip.p.drawPath(smooth);
  ip.Outlined(QColor(30, 110, 60), 1.0, QColor(20, 70, 40));
  ip.p.drawRoundedRect(QRectF(2.5, 2.5, 14, 9), 2, 2);
  QFont font;
  font.setBold(true);
  font.setPixelSize(8);
  font.setStyleStrategy(QFont::PreferAntialias);
  ip.p.setFont(font);
  ip.p.setPen(Qt::white);
  ip.p.drawText(QRectF(2.5, 2.5, 14, 9), Qt::AlignCenter, QStringLiteral("HQ"));
}

enum class ZoomSign { Plus, Minus, One };

void DrawMagnifier(IconPainter& ip, ZoomSign sign) {
  ip.p.setPen(ip.Pen(QColor(90, 70, 50), 3.2));
  ip.p.drawLine(QPointF(15, 15), QPointF(21, 21));
  QRadialGradient glass(QPointF(8.5, 8), 8);
  glass.setColorAt(0, QColor(250, 252, 255));
  glass.setColorAt(1, QColor(200, 220, 245));
  ip.p.setPen(ip.Pen(QColor(110, 116, 128), 1.8));
  ip.p.setBrush(glass);
  ip.p.drawEllipse(QPointF(10, 10), 7, 7);
  ip.p.setPen(ip.Pen(kInk, 1.7));
  switch (sign) {
    case ZoomSign::Plus:
      ip.p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
      ip.p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
      break;
    case ZoomSign::Minus:
      ip.p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
      break;
    case ZoomSign::One: {
      QFont font;
      font.setBold(true);
      font.setPixelSize(7);
      ip.p.setFont(font);
      ip.p.drawText(QRectF(3, 3, 14, 14), Qt::AlignCenter, QStringLiteral("1:1"));
      break;
    }
  }
}

// A photo turning into coloured shapes: the landscape on the upper left,
// shapes in its colours towards the lower right.
void DrawAppIcon(IconPainter& ip) {
  QPainterPath tile;
  tile.addRoundedRect(QRectF(1, 1, 22, 22), 4.5, 4.5);
  ip.p.save();
  ip.p.setClipPath(tile);
  DrawLandscape(ip.p, QRectF(1, 1, 22, 22));
  // The diagonal where the photo gives way to shapes.
  const QPainterPath shapesSide = ClosedPath({QPointF(23, 1), QPointF(23, 23), QPointF(1, 23)});
  ip.p.setPen(Qt::NoPen);
  ip.p.setBrush(QColor(250, 246, 236));
  ip.p.drawPath(shapesSide);
  ip.p.setPen(ip.Pen(QColor(40, 44, 52, 160), 0.5));
  ip.p.setBrush(QColor(255, 200, 40));
  ip.p.drawEllipse(QPointF(18.5, 9.5), 2.6, 2.6);
  ip.p.setBrush(QColor(70, 160, 70));
  ip.p.drawPolygon(QPolygonF({QPointF(9.5, 21.5), QPointF(13, 15.5), QPointF(16.5, 21.5)}));
  ip.p.setBrush(QColor(80, 150, 230));
  ip.p.drawRect(QRectF(17, 14, 4.5, 4.5));
  ip.p.setBrush(QColor(220, 70, 60));
  ip.p.drawEllipse(QPointF(19.5, 20.5), 1.8, 1.8);
  ip.p.setBrush(QColor(150, 70, 190));
  ip.p.drawPolygon(QPolygonF({QPointF(12.5, 13), QPointF(15, 10.5), QPointF(15.5, 13.8)}));
  ip.p.restore();
  ip.p.setPen(ip.Pen(QColor(40, 44, 52), 0.9));
  ip.p.setBrush(Qt::NoBrush);
  ip.p.drawPath(tile);
}

void DrawIcon(IconId id, IconPainter& ip) {
  switch (id) {
    case IconId::OpenImage:
      DrawFolder(ip);
      break;
    case IconId::SaveImage:
      DrawDisk(ip);
      break;
    case IconId::Cut:
      DrawScissors(ip);
      break;
    case IconId::Copy:
      DrawCopy(ip);
      break;
    case IconId::Paste:
      DrawPaste(ip);
      break;
    case IconId::Print:
      DrawPrinter(ip);
      break;
    case IconId::OriginalOnOff:
      DrawFramedPhoto(ip);
      break;
    case IconId::SettingsOnOff:
      DrawSliders(ip);
      break;
    case IconId::ColorsOnOff:
      DrawPalette(ip);
      break;
    case IconId::ChooseObjects:
      DrawShapes(ip);
      break;
    case IconId::Randomize:
      DrawDice(ip);
      break;
    case IconId::Quality:
      DrawQuality(ip);
      break;
    case IconId::ZoomIn:
      DrawMagnifier(ip, ZoomSign::Plus);
      break;
    case IconId::ZoomOut:
      DrawMagnifier(ip, ZoomSign::Minus);
      break;
    case IconId::ZoomNormal:
      DrawMagnifier(ip, ZoomSign::One);
      break;
    case IconId::App:
      DrawAppIcon(ip);
      break;
  }
}

}  // namespace

QPixmap BrisolIconPixmap(IconId id, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  IconPainter painter(pixmap, size);
  DrawIcon(id, painter);
  return pixmap;
}

QIcon BrisolIcon(IconId id) {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(BrisolIconPixmap(id, size));
  if (id == IconId::App)
    for (const int size : {128, 256}) icon.addPixmap(BrisolIconPixmap(id, size));
  return icon;
}

QPixmap SplashPicture() {
  constexpr int kW = 520, kH = 320;
  QImage picture(kW, kH, QImage::Format_RGB32);
  // The photo: an evening landscape as a function of the place.
  auto photo = [](double x, double y) {
    const double horizon = 0.64 + 0.07 * std::sin(x * 5.0 + 0.6) - 0.04 * std::cos(x * 11.0);
    if (y < horizon) {
      const double t = y / horizon;
      const double sun = std::exp(-(std::pow((x - 0.74) * 5.0, 2) + std::pow((y - 0.36) * 6.0, 2)));
      return QColor::fromRgbF(std::min(1.0, 0.22 + 0.72 * t + 0.6 * sun), std::min(1.0, 0.33 + 0.42 * t + 0.5 * sun),
                              std::min(1.0, 0.72 - 0.35 * t + 0.1 * sun));
    }
    const double t = (y - horizon) / (1.0 - horizon);
    return QColor::fromRgbF(0.16 + 0.12 * t, 0.48 - 0.2 * t, 0.2 + 0.05 * std::sin(x * 4.0));
  };
  for (int y = 0; y < kH; ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < kW; ++x) row[x] = photo(x / double(kW), y / double(kH)).rgb();
  }
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  // Towards the right the photo is painted anew with shapes in its colours,
  // more and more of them.
  CRandomSource random(20240611u);
  for (int i = 0; i < 3200; ++i) {
    const double x = random.RandomDouble(0.0, 1.0), y = random.RandomDouble(0.0, 1.0);
    const double size = 6 + random.RandomDouble(0.0, 11.0);
    const double angle = random.RandomDouble(0.0, 360.0);
    const int kind = random.RandomInt(0, 3);
    if (random.RandomDouble(0.0, 1.0) > (x - 0.45) * 2.4) continue;
    QColor colour = photo(x, y);
    colour = QColor::fromHsvF(colour.hsvHueF(), std::min(1.0, colour.hsvSaturationF() * 1.35),
                              std::min(1.0, colour.valueF() * random.RandomDouble(0.85, 1.15)));
    p.setPen(QPen(colour.darker(135), 0.8));
    p.setBrush(colour);
    p.save();
    p.translate(x * kW, y * kH);
    p.rotate(angle);
    switch (kind) {
      case 0:
        p.drawEllipse(QPointF(0, 0), size * 0.55, size * 0.55);
        break;
      case 1:
        p.drawRect(QRectF(-size / 2, -size / 2, size, size));
        break;
      case 2:
        p.drawPolygon(
            QPolygonF({QPointF(0, -size * 0.7), QPointF(size * 0.6, size * 0.45), QPointF(-size * 0.6, size * 0.45)}));
        break;
      default: {
        QPainterPath leaf;
        leaf.moveTo(-size * 0.8, 0);
        leaf.quadTo(0, -size * 0.6, size * 0.8, 0);
        leaf.quadTo(0, size * 0.6, -size * 0.8, 0);
        p.drawPath(leaf);
      }
    }
    p.restore();
  }
  // The name over the untouched sky, with a soft shadow.
  const QString name = QStringLiteral("Brisol");
  QFont title(QStringLiteral("DejaVu Serif"));
  title.setPixelSize(72);
  title.setBold(true);
  p.setFont(title);
  const QRectF titleBox(34, 28, kW - 34, 90);
  for (int d = 5; d >= 1; --d) {
    p.setPen(QColor(0, 0, 0, 30));
    p.drawText(titleBox.translated(d * 0.7, d * 0.9), Qt::AlignLeft | Qt::AlignVCenter, name);
  }
  p.setPen(QColor(255, 250, 236));
  p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  QFont subtitle;
  subtitle.setPixelSize(16);
  p.setFont(subtitle);
  const QString line = QStringLiteral("photographs painted anew with shapes");
  p.setPen(QColor(0, 0, 0, 110));
  p.drawText(QRectF(39, 119, kW, 24), Qt::AlignLeft, line);
  p.setPen(QColor(255, 250, 236));
  p.drawText(QRectF(38, 118, kW, 24), Qt::AlignLeft, line);
  p.setPen(QPen(QColor(30, 30, 30), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1, 1, kW - 2, kH - 2));
  p.end();
  return QPixmap::fromImage(picture);
}

}  // namespace brisol
