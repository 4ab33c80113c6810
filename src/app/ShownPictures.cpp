#include "app/ShownPictures.h"

#include <algorithm>
#include <vector>

#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"

namespace brisol {

QSize ZoomedSize(SIZE picture, unsigned zoom) {
  const unsigned w = static_cast<unsigned>(picture.cx), h = static_cast<unsigned>(picture.cy);
  if (zoom == 100) return QSize(static_cast<int>(w), static_cast<int>(h));
  return QSize(static_cast<int>(zoom * w / 100), static_cast<int>(zoom * h / 100));
}

unsigned FittingZoom(SIZE picture, QSize room) {
  unsigned zoom = 100;
  auto fits = [&] {
    const QSize shown = ZoomedSize(picture, zoom);
    return shown.width() <= room.width() && shown.height() <= room.height();
  };
  while (zoom > 10 && !fits()) zoom -= 10;
  return zoom;
}

bool DrawsPreview(SIZE picture, QSize shown, int quality) {
  if (shown.isEmpty() || picture.cx < 1 || picture.cy < 1) return false;
  const long long pixels = static_cast<long long>(picture.cx) * picture.cy;
  if (pixels * quality * quality <= kQuickWorkingPixels) return false;
  return 2LL * shown.width() * shown.height() <= pixels;
}

std::unique_ptr<CDADC> ReducedCopy(const CDADC& surface, QSize size) {
  if (!surface.IsValid() || size.isEmpty()) return nullptr;
  auto reduced = std::make_unique<CDADC>(SIZE{size.width(), size.height()});
  if (!reduced->IsValid()) return nullptr;
  reduced->GetDC().SetStretchBltMode(COLORONCOLOR);
  reduced->GetDC().StretchBlt(0, 0, size.width(), size.height(), surface.GetDC(), 0, 0, surface.GetWidth(),
                              surface.GetHeight());
  return reduced;
}

QImage ReducedImage(const CDADC& surface, QSize size) {
  const int w = surface.GetWidth(), h = surface.GetHeight();
  if (!surface.IsValid() || size.isEmpty() || w < 1 || h < 1) return {};
  if (size == QSize(w, h)) return ToQImage(surface);
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) {
    TheLogger().Log(kLogInfo, "No memory for a %d x %d picture to show\n", size.width(), size.height());
    return {};
  }
  // The same pixels as a whole-pixel stretch of the surface.
  std::vector<int> column(static_cast<std::size_t>(size.width()));
  for (int x = 0; x < size.width(); ++x)
    column[static_cast<std::size_t>(x)] = static_cast<int>(StretchSourceIndex(x, size.width(), w)) * 3;
  const int stride = surface.GetBytesPerRow();
  for (int y = 0; y < size.height(); ++y) {
    const int row = static_cast<int>(StretchSourceIndex(y, size.height(), h));
    // Row `row` from the top is stored h - 1 - row rows from the start.
    const std::uint8_t* src = surface.GetBits() + static_cast<std::ptrdiff_t>(h - 1 - row) * stride;
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const std::uint8_t* p = src + column[static_cast<std::size_t>(x)];
      dst[x] = qRgb(p[2], p[1], p[0]);
    }
  }
  return image;
}

CReducedPhotos::Reduced CReducedPhotos::Get(const std::shared_ptr<const CDADC>& photo, QSize size) {
  if (!photo || size.isEmpty()) return {};
  if (m_source.lock() != photo) {
    m_kept.clear();
    m_source = photo;
  }
  const auto kept =
      std::find_if(m_kept.begin(), m_kept.end(), [size](const auto& entry) { return entry.first == size; });
  if (kept != m_kept.end()) {
    auto entry = *kept;
    m_kept.erase(kept);
    m_kept.push_front(entry);
    return entry.second;
  }
  ++m_made;
  Reduced reduced;
  std::shared_ptr<const CDADC> copy = ReducedCopy(*photo, size);
  if (!copy) return {};
  reduced.image = ToQImage(*copy);
  reduced.photo = std::move(copy);
  m_kept.emplace_front(size, reduced);
  if (m_kept.size() > kKept) m_kept.pop_back();
  return reduced;
}

}  // namespace brisol
