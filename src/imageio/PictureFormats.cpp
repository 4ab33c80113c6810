#include "imageio/PictureFormats.h"

#include <strings.h>

#include <cstring>

#include "imageio/ImageLoad.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PictureText.h"

namespace brisol {
namespace {

constexpr std::string_view kBmp[] = {"bmp"};
constexpr std::string_view kTga[] = {"tga"};
constexpr std::string_view kJpeg[] = {"jpg", "jpeg"};
constexpr std::string_view kPcx[] = {"pcx"};
constexpr std::string_view kPng[] = {"png"};

bool Begins(std::span<const std::uint8_t> head, const char* bytes, std::size_t n) {
  return head.size() >= n && std::memcmp(head.data(), bytes, n) == 0;
}

bool BmpSignature(std::span<const std::uint8_t> head) { return Begins(head, "BM", 2); }
bool JpegSignature(std::span<const std::uint8_t> head) { return Begins(head, "\xFF\xD8\xFF", 3); }
bool PngSignature(std::span<const std::uint8_t> head) { return Begins(head, "\x89PNG\r\n\x1a\n", 8); }
// The maker byte, a version of 0 to 5 and no or run-length encoding.
bool PcxSignature(std::span<const std::uint8_t> head) {
  return head.size() >= 4 && head[0] == 10 && head[1] <= 5 && head[2] <= 1;
}

int WriteBmp(const PixelBlock& p, const SaveOptions&, std::vector<std::uint8_t>& out) { return EncodeBmp(p, out); }
int WriteTga(const PixelBlock& p, const SaveOptions&, std::vector<std::uint8_t>& out) { return EncodeTga(p, out); }
// The whole file of the encoder, with the options' text added by addText.
template <typename Encode, typename AddText>
int WriteWithText(const SaveOptions& o, std::vector<std::uint8_t>& out, Encode encode, AddText addText) {
  if (o.text.empty()) return encode(out);
  std::vector<std::uint8_t> file;
  int rc = encode(file);
  if (rc == kImgOk) rc = addText(file);
  if (rc != kImgOk) return rc;
  out.insert(out.end(), file.begin(), file.end());
  return kImgOk;
}

int WriteJpeg(const PixelBlock& p, const SaveOptions& o, std::vector<std::uint8_t>& out) {
  return WriteWithText(
      o, out, [&](std::vector<std::uint8_t>& file) { return EncodeJpeg(p, o.jpegQuality, file); },
      [&](std::vector<std::uint8_t>& file) { return AddJpegComment(file, o.text); });
}
int WritePcx(const PixelBlock& p, const SaveOptions&, std::vector<std::uint8_t>& out) { return EncodePcx(p, out); }
int WritePng(const PixelBlock& p, const SaveOptions& o, std::vector<std::uint8_t>& out) {
  return WriteWithText(
      o, out, [&](std::vector<std::uint8_t>& file) { return EncodePngOnThreads(p, file, o.threads); },
      [&](std::vector<std::uint8_t>& file) { return AddPngText(file, o.textKeyword, o.text); });
}

// Sides: BMP and PNG count them in 31 bits, TGA in 16, JPEG up to 65500
// (the JPEG library's limit), PCX by its last column and row in 16 bits
// with an even number of bytes a line.
const PictureFormat kFormats[] = {
    {"BMP", "Bitmap", kBmp, kImageTypeBmp, bmpinfo, ReadBmpImage, BmpSignature, WriteBmp, 0x7FFFFFFF, 0x7FFFFFFF},
    {"TGA", "Targa", kTga, kImageTypeTga, tgainfo, ReadTgaImage, nullptr, WriteTga, 0xFFFF, 0xFFFF},
    {"JPEG", "Jpeg", kJpeg, kImageTypeJpg, jpeginfo, ReadJpgImage, JpegSignature, WriteJpeg, 65500, 65500},
    {"PCX", "Pcx", kPcx, kImageTypePcx, pcxinfo, ReadPcxImage, PcxSignature, WritePcx, 0xFFFE, 0x10000},
    {"PNG", "PNG", kPng, kImageTypePng, pnginfo, ReadPngImage, PngSignature, WritePng, 0x7FFFFFFF, 0x7FFFFFFF},
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

const PictureFormat* PictureFormatOfType(int imageType) {
  for (const PictureFormat& format : kFormats)
    if (format.imageType == imageType) return &format;
  return nullptr;
}

const PictureFormat* PictureFormatOfSignature(std::span<const std::uint8_t> head) {
  for (const PictureFormat& format : kFormats)
    if (format.hasSignature != nullptr && format.hasSignature(head)) return &format;
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
