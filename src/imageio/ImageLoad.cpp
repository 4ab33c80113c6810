#include "imageio/ImageLoad.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "imageio/Dib.h"
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
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (dot == nullptr) {
    AlertBox("Missing extension from filename:\n'%s'", name ? name : "");
    return 0;
  }
  const char* extension = dot + 1;
  if (std::strlen(extension) != 3) {
    AlertBox("File name has bad extension:\n'%s'", name);
    return 0;
  }
  static const struct {
    const char* extension;
    int type;
  } kTypes[] = {{"png", kImageTypePng}, {"jpg", kImageTypeJpg}, {"tga", kImageTypeTga},
                {"pcx", kImageTypePcx}, {"bmp", kImageTypeBmp}};
  for (const auto& t : kTypes) {
    if (strcasecmp(extension, t.extension) == 0) return t.type;
  }
  return -1;
}

namespace {

// Reads the file into a 24-bit image by its type (by the extension for
// kImageTypeFromName); false when it cannot be read. type receives the type.
bool LoadByType(const char* name, int& type, ImgImage& image) {
  if (name == nullptr || std::strlen(name) > kMaxImageNameLength) {
    TheLogger().Log(kLogInfo, "VicLoadImageFile, bad filename\n");
    return false;
  }
  if (type == kImageTypeFromName) {
    type = ImageTypeFromExtension(name);
    if (type == -1) return false;
  }
  switch (type) {
    case kImageTypePcx: return LoadPcxImage(image, name);
    case kImageTypeTga: return LoadTgaImage(image, name);
    case kImageTypeBmp: return LoadBmpImage(image, name);
    case kImageTypeJpg: return LoadJpgImage(image, name);
    case kImageTypePng: return LoadPngImage(image, name);
    default:
      TheLogger().Log(kLogInfo, "VLIF: bad image type: %d\nImage:<%s>", type, name);
      return false;
  }
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
