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

ByteBuffer VicLoadImageFile(const char* name, int type) {
  if (name == nullptr) {
    TheLogger().Log(kLogInfo, "VicLoadImageFile, bad filename\n");
    return {};
  }
  if (type == kImageTypeFromName) {
    type = ImageTypeFromExtension(name);
    if (type == -1) return {};
  }
  const PictureFormat* format = PictureFormatOfType(type);
  if (format == nullptr) {
    TheLogger().Log(kLogInfo, "VLIF: bad image type: %d\nImage:<%s>", type, name);
    return {};
  }
  ImgImage image;
  const bool loaded = format->loadImage(image, name);
  if (loaded) {
    ByteBuffer dib;
    const int rc = imagetodib(image, dib);
    freeimage(image);
    if (rc != kImgOk || !dib) {
      TheLogger().Log(kLogInfo, "VLIF: imagetodib error: %d", rc);
      return {};
    }
    return dib;
  }
  if (type == kImageTypeBmp) {
    // The library refused the file; its own DIB may still be paintable.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name, "rb"));
    if (!file) return {};
    return ReadDibFile(file.get());
  }
  return {};
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
