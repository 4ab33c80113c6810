#include "imageio/ImageLoad.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "imageio/Dib.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

ByteBuffer LoadImageFile(const char* name, int type) {
  if (name != nullptr && std::strchr(name, '.') == nullptr) {
    AlertBox("Filename has no extension:<%s>", name);
    return {};
  }
  return VicLoadImageFile(name, type);
}

int ImageTypeFromExtension(const char* name) {
  const std::string_view path = name ? name : "";
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) {
    AlertBox("Missing extension from filename:\n'%s'", name ? name : "");
    return 0;
  }
  if (const PictureFormat* format = PictureFormatOfName(name)) return format->imageType;
  if (FileExtension(name).size() != 3) {
    AlertBox("File name has bad extension:\n'%s'", name);
    return 0;
  }
  return -1;
}

namespace {

// Reads the file into a 24-bit image by its type (by the extension for
// kImageTypeFromName); false when it cannot be read. type receives the type.
bool LoadByType(const char* name, int& type, ImgImage& image) {
  if (name == nullptr) {
    TheLogger().Log(kLogInfo, "VicLoadImageFile, bad filename\n");
    return false;
  }
  if (type == kImageTypeFromName) {
    type = ImageTypeFromExtension(name);
    if (type == -1) return false;
  }
  const PictureFormat* format = PictureFormatOfType(type);
  if (format == nullptr) {
    TheLogger().Log(kLogInfo, "VLIF: bad image type: %d\nImage:<%s>", type, name);
    return false;
  }
  return format->loadImage(image, name);
}

// The library refused a BMP file; its own DIB may still be paintable.
ByteBuffer ReadBmpFallback(const char* name) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name, "rb"));
  if (!file) return {};
  return ReadDibFile(file.get());
}

}  // namespace

ByteBuffer VicLoadImageFile(const char* name, int type) {
  ImgImage image;
  if (LoadByType(name, type, image)) {
    ByteBuffer dib;
    const int rc = imagetodib(image, dib);
    freeimage(image);
    if (rc != kImgOk || !dib) {
      TheLogger().Log(kLogInfo, "VLIF: imagetodib error: %d", rc);
      return {};
    }
    return dib;
  }
  if (type == kImageTypeBmp) return ReadBmpFallback(name);
  return {};
}

std::unique_ptr<CDADC> LoadImageSurface(const char* name) {
  if (name != nullptr && std::strchr(name, '.') == nullptr) {
    AlertBox("Filename has no extension:<%s>", name);
    return nullptr;
  }
  int type = kImageTypeFromName;
  ImgImage image;
  if (LoadByType(name, type, image)) {
    // The decoded rows already have the surface's layout: hand them over.
    Bgr24Image pixels;
    if (TakePixels(image, pixels) != kImgOk) return nullptr;
    return CDADC::Adopt(std::move(pixels.bits), pixels.width, pixels.height);
  }
  if (type != kImageTypeBmp) return nullptr;
  const ByteBuffer dib = ReadBmpFallback(name);
  return dib ? CreateBitmapDADC(dib, 0, 0) : nullptr;
}

bool IsJpegFile(const char* name) {
  if (name == nullptr) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name, "rb"));
  if (!file) return false;
  unsigned char block[50];
  if (std::fread(block, 1, sizeof block, file.get()) != sizeof block) return false;
  return block[0] == 0xFF && block[1] == 0xD8;
}

}  // namespace brisol
