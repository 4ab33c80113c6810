#include "imageio/ImageLoad.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "imageio/Dib.h"
#include "imageio/FileBytes.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

// The bytes IsJpegFile reads.
constexpr std::size_t kJpegHeadBytes = 50;

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
  if (type == kImageTypeBmp) return ReadDibFileAt(name);
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
  const ByteBuffer dib = ReadDibFileAt(name);
  return dib ? CreateBitmapDADC(dib, 0, 0) : nullptr;
}

bool IsJpegFile(const char* name) {
  ByteBuffer block;
  if (ReadFileBytes(name, block, kJpegHeadBytes) != kImgOk || block.size() != kJpegHeadBytes) return false;
  return block.data()[0] == 0xFF && block.data()[1] == 0xD8;
}

}  // namespace brisol
