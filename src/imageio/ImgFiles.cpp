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

Bytes View(const ByteBuffer& buffer) { return Bytes(buffer.data(), buffer.size()); }

// read: a codec's information reader, giving an int or a DecodeResult.
template <class InfoReader>
DecodeResult FileInfo(const char* path, InfoReader read, ImageInfo& info) {
  ByteBuffer head;
  std::uint64_t size = 0;
  if (const int rc = ReadFileBytes(path, head, kHeadBytes, &size); rc != kImgOk) return rc;
  ImageInfo result;
  DecodeResult got = read(View(head), result);
  if (got.code == kImgErrRead && size > head.size()) {
    ByteBuffer whole;
    if (const int rc = ReadFileBytes(path, whole); rc != kImgOk) return rc;
    got = read(View(whole), result);
  }
  if (got.ok()) info = result;
  return got;
}

// decode: a codec's decoder, giving an int or a DecodeResult.
template <class Decoder>
DecodeResult LoadFile(const char* path, Decoder decode, ImgImage& image) {
  if (!image.IsAllocated()) return kImgErrArgument;
  ByteBuffer bytes;
  if (const int rc = ReadFileBytes(path, bytes); rc != kImgOk) return rc;
  Bgr24Image pixels;
  DecodeResult decoded = decode(View(bytes), pixels);
  if (!decoded.ok()) return decoded;
  bytes.reset();
  if (const int rc = PutPixels(image, std::move(pixels)); rc != kImgOk) return rc;
  return decoded;  // with the decoder's words on damage it passed over
}

}  // namespace

DecodeResult bmpinfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadBmpInfo, info); }
DecodeResult jpeginfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadJpegInfoWithWords, info); }
DecodeResult tgainfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadTgaInfo, info); }
DecodeResult pcxinfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadPcxInfo, info); }
DecodeResult pnginfo(const char* path, ImageInfo& info) { return FileInfo(path, ReadPngInfoWithWords, info); }

DecodeResult loadbmp(const char* path, ImgImage& image) { return LoadFile(path, DecodeBmp, image); }
DecodeResult loadjpg(const char* path, ImgImage& image) { return LoadFile(path, DecodeJpegWithWords, image); }
DecodeResult loadtga(const char* path, ImgImage& image) { return LoadFile(path, DecodeTga, image); }
DecodeResult loadpcx(const char* path, ImgImage& image) { return LoadFile(path, DecodePcx, image); }
DecodeResult loadpng(const char* path, ImgImage& image) { return LoadFile(path, DecodePngWithWords, image); }

}  // namespace brisol
