#include "PictureFiles.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

namespace brisol::cli {
namespace {

const PictureFormat kBmp{"BMP", bmpinfo, loadbmp};
const PictureFormat kJpeg{"JPEG", jpeginfo, loadjpg};
const PictureFormat kTga{"TGA", tgainfo, loadtga};
const PictureFormat kPcx{"PCX", pcxinfo, loadpcx};
const PictureFormat kPng{"PNG", pnginfo, loadpng};

const PictureFormat* ByExtension(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr || (slash != nullptr && dot < slash)) return nullptr;
  static const struct {
    const char* extension;
    const PictureFormat* format;
  } kExtensions[] = {{"bmp", &kBmp}, {"jpg", &kJpeg}, {"jpeg", &kJpeg},
                     {"tga", &kTga}, {"pcx", &kPcx},  {"png", &kPng}};
  for (const auto& e : kExtensions) {
    if (strcasecmp(dot + 1, e.extension) == 0) return e.format;
  }
  return nullptr;
}

const PictureFormat* BySignature(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return nullptr;
  unsigned char head[8] = {};
  const std::size_t n = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  if (n >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return &kPng;
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return &kJpeg;
  if (n >= 2 && head[0] == 'B' && head[1] == 'M') return &kBmp;
  if (n >= 4 && head[0] == 10 && head[1] <= 5 && head[2] <= 1) return &kPcx;
  return nullptr;
}

}  // namespace

const PictureFormat* FormatOfFile(const char* path) {
  if (const PictureFormat* format = ByExtension(path)) return format;
  return BySignature(path);
}

std::string WhyUnreadable(const char* path) {
  const PictureFormat* format = FormatOfFile(path);
  if (format == nullptr) return "not a picture file of a known format";
  ImageInfo info;
  int rc = format->info(path, info);
  if (rc == kImgOk) {
    ImgImage image;
    rc = allocimage(image, info.width, info.height, 24);
    if (rc == kImgOk) rc = format->load(path, image);
  }
  return rc == kImgOk ? std::string() : ImgResultText(rc);
}

}  // namespace brisol::cli
