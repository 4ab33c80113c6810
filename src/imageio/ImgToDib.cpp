#include <cstring>
#include <utility>

#include "imageio/Imaging.h"
#include "raster/Types.h"

namespace brisol {

int imagetodib(const ImgImage& image, ByteBuffer& dib) {
  if (!image.IsAllocated() || image.BitsPerPixel() != 24) return kImgErrArgument;
  const std::size_t bits = static_cast<std::size_t>(image.BytesPerRow()) * static_cast<std::size_t>(image.Height());
  if (bits > 0xFFFFFFFFu - sizeof(BITMAPINFOHEADER)) return kImgErrTooLarge;
  ByteBuffer block = ByteBuffer::Allocate(sizeof(BITMAPINFOHEADER) + bits);
  if (!block) return kImgErrNoMemory;
  BITMAPINFOHEADER header;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = image.Width();
  header.biHeight = image.Height();  // bottom-up rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<std::uint32_t>(bits);
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, image.Buffer(), bits);
  dib = std::move(block);
  return kImgOk;
}

}  // namespace brisol
