// The per-format information and load operations of the imaging layer: the
// file is read into memory and handed to its codec.
#include <utility>

#include "imageio/FileBytes.h"
#include "imageio/Imaging.h"

namespace brisol {
namespace {

// Enough for the header of nearly every file; the whole file is read only
// when the header reaches further (JPEG segments, PNG chunks before IDAT).
constexpr std::uint64_t kHeadBytes = 1u << 20;

using InfoReader = int (*)(Bytes, ImageInfo&);
using Decoder = int (*)(Bytes, Bgr24Image&);

Bytes View(const ByteBuffer& buffer) { return Bytes(buffer.data(), buffer.size()); }

int FileInfo(const char* path, InfoReader read, ImageInfo& info) {
  ByteBuffer head;
  std::uint64_t size = 0;
  int rc = ReadFileBytes(path, head, kHeadBytes, &size);
  if (rc != kImgOk) return rc;
  ImageInfo result;
  rc = read(View(head), result);
  if (rc == kImgErrRead && size > head.size()) {
    ByteBuffer whole;
    rc = ReadFileBytes(path, whole);
    if (rc != kImgOk) return rc;
    rc = read(View(whole), result);
  }
  if (rc == kImgOk) info = result;
  return rc;
}

int LoadFile(const char* path, Decoder decode, ImgImage& image) {
  if (!image.IsAllocated()) return kImgErrArgument;
  ByteBuffer bytes;
  int rc = ReadFileBytes(path, bytes);
  if (rc != kImgOk) return rc;
  Bgr24Image pixels;
  rc = decode(View(bytes), pixels);
  if (rc != kImgOk) return rc;
  bytes.reset();
  return PutPixels(image, std::move(pixels));
}

}  // namespace

int bmpinfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadBmpInfo, info); }
int jpeginfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadJpegInfo, info); }
int tgainfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadTgaInfo, info); }
int pcxinfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadPcxInfo, info); }
int pnginfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadPngInfo, info); }

int loadbmp(const char* path, ImgImage& image) { return LoadFile(path, DecodeBmp, image); }
int loadjpg(const char* path, ImgImage& image) { return LoadFile(path, DecodeJpeg, image); }
int loadtga(const char* path, ImgImage& image) { return LoadFile(path, DecodeTga, image); }
int loadpcx(const char* path, ImgImage& image) { return LoadFile(path, DecodePcx, image); }
int loadpng(const char* path, ImgImage& image) { return LoadFile(path, DecodePng, image); }

}  // namespace brisol
