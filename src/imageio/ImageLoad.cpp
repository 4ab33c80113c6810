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

ByteBuffer VicLoadImageFile(const char* name, int type) {
  if (name == nullptr || std::strlen(name) > kMaxImageNameLength) {
    TheLogger().Log(kLogInfo, "VicLoadImageFile, bad filename\n");
    return {};
  }
  if (type == kImageTypeFromName) {
    type = ImageTypeFromExtension(name);
    if (type == -1) return {};
  }
  ImgImage image;
  bool loaded = false;
  switch (type) {
    case kImageTypePcx: loaded = LoadPcxImage(image, name); break;
    case kImageTypeTga: loaded = LoadTgaImage(image, name); break;
    case kImageTypeBmp: loaded = LoadBmpImage(image, name); break;
    case kImageTypeJpg: loaded = LoadJpgImage(image, name); break;
    case kImageTypePng: loaded = LoadPngImage(image, name); break;
    default:
      TheLogger().Log(kLogInfo, "VLIF: bad image type: %d\nImage:<%s>", type, name);
      return {};
  }
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
