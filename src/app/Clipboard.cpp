#include "app/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cstring>

#include "imageio/Imaging.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"

namespace brisol {

bool CopyImageToClipboard(const QImage& image) {
  if (image.isNull()) {
    TheLogger().Log(kLogError, "OnEditCopy, there is no picture to copy");
    return false;
  }
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    TheLogger().Log(kLogError, "Could not open clipboard");
    return false;
  }
  clipboard->setImage(image);
  return true;
}

ByteBuffer DibFromImage(const QImage& image) {
  const std::unique_ptr<CDADC> surface = FromQImage(image);
  if (!surface) return {};
  ImgImage library;
  if (const int rc = allocimage(library, surface->GetWidth(), surface->GetHeight(), 24); rc != kImgOk) {
    TheLogger().Log(kLogInfo, "Paste, allocimage() error: %d", rc);
    return {};
  }
  // Row i of the surface's block is row i of the library image.
  const int rowBytes = std::min(library.BytesPerRow(), surface->GetBytesPerRow());
  for (int i = 0; i < surface->GetHeight(); ++i) {
    std::memcpy(library.Buffer() + static_cast<std::ptrdiff_t>(i) * library.BytesPerRow(),
                surface->GetBits() + static_cast<std::ptrdiff_t>(i) * surface->GetBytesPerRow(),
                static_cast<std::size_t>(rowBytes));
  }
  ByteBuffer dib;
  if (const int rc = imagetodib(library, dib); rc != kImgOk) {
    TheLogger().Log(kLogInfo, "Paste, imagetodib failed\nrcode=%d", rc);
    return {};
  }
  return dib;
}

}  // namespace brisol
