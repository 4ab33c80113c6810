#include "ui/DadcImage.h"

#include <QPainter>

#include "raster/Dadc.h"

namespace brisol {

QImage ToQImage(const CDADC& surface) {
  const int w = surface.GetWidth(), h = surface.GetHeight();
  if (!surface.IsValid() || w < 1 || h < 1) return {};
  QImage image(w, h, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const int stride = surface.GetBytesPerRow();
  for (int y = 0; y < h; ++y) {
    // Row y from the top is stored h - 1 - y rows from the start.
    const std::uint8_t* src = surface.GetBits() + static_cast<std::ptrdiff_t>(h - 1 - y) * stride;
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
  }
  return image;
}

std::unique_ptr<CDADC> FromQImage(const QImage& image) {
  if (image.isNull() || image.width() < 1 || image.height() < 1) return nullptr;
  QImage rgb;
  if (image.hasAlphaChannel()) {
    rgb = QImage(image.size(), QImage::Format_RGB32);
    if (rgb.isNull()) return nullptr;
    rgb.fill(Qt::white);
    QPainter painter(&rgb);
    painter.drawImage(0, 0, image);
  } else {
    rgb = image.convertToFormat(QImage::Format_RGB32);
  }
  if (rgb.isNull()) return nullptr;
  auto surface = std::make_unique<CDADC>(SIZE{rgb.width(), rgb.height()});
  if (!surface->IsValid()) return nullptr;
  const int w = rgb.width(), h = rgb.height(), stride = surface->GetBytesPerRow();
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint8_t* dst = surface->GetBits() + static_cast<std::ptrdiff_t>(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x, dst += 3) {
      dst[0] = static_cast<std::uint8_t>(qBlue(src[x]));
      dst[1] = static_cast<std::uint8_t>(qGreen(src[x]));
      dst[2] = static_cast<std::uint8_t>(qRed(src[x]));
    }
  }
  return surface;
}

void PaintDadc(QPainter& painter, const CDADC& surface, const QRect& target) {
  const int w = surface.GetWidth(), h = surface.GetHeight();
  if (!surface.IsValid() || w < 1 || h < 1 || target.isEmpty()) return;
  // The block read as it lies: rows bottom-up, so drawn upside down.
  const QImage rows(surface.GetBits(), w, h, surface.GetBytesPerRow(), QImage::Format_BGR888);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.translate(target.left(), target.top() + target.height());
  painter.scale(1.0, -1.0);
  painter.drawImage(QRect(QPoint(0, 0), target.size()), rows);
  painter.restore();
}

}  // namespace brisol
