#include "imageio/codecs/ImageCodec.h"

#include <utility>

#include "imageio/codecs/MemoryBudget.h"

namespace brisol {

const char* ImgResultText(int code) {
  switch (code) {
    case kImgOk:
      return "no error";
    case kImgErrOpen:
      return "the file cannot be opened";
    case kImgErrRead:
      return "the file is truncated or cannot be read";
    case kImgErrSignature:
      return "the file is not of this format";
    case kImgErrUnsupported:
      return "this variant of the format is not supported";
    case kImgErrCorrupt:
      return "the file's data is corrupt";
    case kImgErrDimensions:
      return "the picture's width or height is invalid";
    case kImgErrTooLarge:
      return "the picture has too many pixels (more than 400 megapixels)";
    case kImgErrWrite:
      return "the file cannot be written";
    case kImgErrArgument:
      return "bad argument";
    case kImgErrDecoder:
      return "the decoder reported an error";
    case kImgErrNotRegular:
      return "it is not a regular file";
    case kImgErrTooLittleData:
      return "the file holds far too few bytes for the picture size it claims";
    case kImgErrNoMemory:
      return "insufficient memory";
    default:
      return "unknown error";
  }
}

namespace {

constexpr std::uint64_t kBudgetCheckBytes = 16u << 20;

}  // namespace

int AllocBgr24(Bgr24Image& image, int width, int height) {
  if (width < 1 || height < 1) return kImgErrDimensions;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return kImgErrTooLarge;
  const long long stride = ((static_cast<long long>(width) * 3 + 3) / 4) * 4;
  // Only large pictures are worth asking the system about.
  const std::uint64_t bytes = PictureBytes(width, height);
  if (bytes >= kBudgetCheckBytes && bytes > AvailableMemory()) return kImgErrNoMemory;
  ByteBuffer bits = ByteBuffer::Allocate(static_cast<std::size_t>(stride * height));
  if (!bits) return kImgErrNoMemory;
  image.width = width;
  image.height = height;
  image.stride = static_cast<int>(stride);
  image.bits = std::move(bits);
  return kImgOk;
}

}  // namespace brisol
