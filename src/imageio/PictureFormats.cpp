#include "imageio/PictureFormats.h"

#include <strings.h>

#include "imageio/ImageLoad.h"

namespace brisol {
namespace {

constexpr std::string_view kBmp[] = {"bmp"};
constexpr std::string_view kTga[] = {"tga"};
constexpr std::string_view kJpeg[] = {"jpg", "jpeg"};
constexpr std::string_view kPcx[] = {"pcx"};
constexpr std::string_view kPng[] = {"png"};

const PictureFormat kFormats[] = {
    {"BMP", "Bitmap", kBmp, kImageTypeBmp},
    {"TGA", "Targa", kTga, kImageTypeTga},
    {"JPEG", "Jpeg", kJpeg, kImageTypeJpg},
    {"PCX", "Pcx", kPcx, kImageTypePcx},
    {"PNG", "PNG", kPng, kImageTypePng},
};

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::span<const PictureFormat> PictureFormats() { return kFormats; }

std::string_view FileExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = base.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : base.substr(dot + 1);
}

const PictureFormat* PictureFormatOfName(std::string_view path) {
  const std::string_view extension = FileExtension(path);
  if (extension.empty()) return nullptr;
  for (const PictureFormat& format : kFormats)
    for (std::string_view e : format.extensions)
      if (SameLetters(e, extension)) return &format;
  return nullptr;
}

std::string PictureExtensionsText() {
  std::string all;
  std::size_t count = 0, total = 0;
  for (const PictureFormat& format : kFormats) total += format.extensions.size();
  for (const PictureFormat& format : kFormats) {
    for (std::string_view e : format.extensions) {
      ++count;
      if (!all.empty()) all += count == total ? " or " : ", ";
      all += e;
    }
  }
  return all;
}

}  // namespace brisol
