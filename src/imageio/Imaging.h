// The imaging layer: per-format file information, image records, loading,
// conversion to 24 bits, packed DIBs and resampling, in the form the
// loaders, the DIB utilities and the clipboard call them.
//
// Every operation returns 0 (kImgOk) or a negative ImgResult code
// (imageio/codecs/ImageCodec.h): -1 open, -2 read/truncated, -3 not this
// format, -4 unsupported variant, -5 corrupt, -6 bad width or height, -7 more
// than kMaxImagePixels, -8 write, -9 bad argument, -10 decoder error,
// -14 insufficient memory (the information and load operations give it in
// a DecodeResult, with the PNG or JPEG library's words when it gave some).
// A failed call leaves its outputs unchanged.
//
// An image record holds its pixels as 24-bit blue-green-red rows, stored
// bottom-up and padded to 4 bytes (the order of a raster surface's pixel
// block, one buffer row per surface row). A record allocated at another
// depth remembers that depth, but the pixels a load puts into it are
// already expanded to 24 bits; converting it to 24 bits is a copy.
#pragma once

#include "imageio/codecs/ImageCodec.h"
#include "raster/ByteBuffer.h"

namespace brisol {

class ImgImage {
 public:
  ImgImage() = default;
  ImgImage(ImgImage&&) noexcept = default;
  ImgImage& operator=(ImgImage&&) noexcept = default;
  ImgImage(const ImgImage&) = delete;
  ImgImage& operator=(const ImgImage&) = delete;

  bool IsAllocated() const { return m_pixels.IsValid(); }
  int Width() const { return m_pixels.width; }
  int Height() const { return m_pixels.height; }
  int BitsPerPixel() const { return m_bitsPerPixel; }
  int BytesPerRow() const { return m_pixels.stride; }
  std::uint8_t* Buffer() { return m_pixels.bits.data(); }
  const std::uint8_t* Buffer() const { return m_pixels.bits.data(); }
  PixelBlock Block() const { return m_pixels.Block(); }

 private:
  friend int allocimage(ImgImage&, int, int, int);
  friend void freeimage(ImgImage&);
  friend int PutPixels(ImgImage&, Bgr24Image&&);
  friend int TakePixels(ImgImage&, Bgr24Image&);

  Bgr24Image m_pixels;
  int m_bitsPerPixel = 0;
};

// The depths an image record may be allocated at.
constexpr bool IsImageDepth(int bitsPerPixel) { return bitsPerPixel >= 1 && bitsPerPixel <= 64; }

// A black image of that size, replacing whatever the record held. -6 for a
// width or height below 1, -7 beyond kMaxImagePixels, -9 for a depth outside
// 1..64, -14 when the memory cannot be had.
int allocimage(ImgImage& image, int width, int height, int bitsPerPixel);
// Frees the pixels; the record owns nothing afterwards.
void freeimage(ImgImage& image);

// Width, height and bits per pixel as the file states them, without reading
// the pixels. -1 when the file cannot be opened; a PNG or JPEG failure with
// the library's words when it gave some.
DecodeResult bmpinfo(const char* path, ImageInfo& info);
DecodeResult jpeginfo(const char* path, ImageInfo& info);
DecodeResult tgainfo(const char* path, ImageInfo& info);
DecodeResult pcxinfo(const char* path, ImageInfo& info);
DecodeResult pnginfo(const char* path, ImageInfo& info);

// The file's pixels into an image allocated at the file's width and height
// (-9 when the record's size differs); failures as the information's.
DecodeResult loadbmp(const char* path, ImgImage& image);
DecodeResult loadjpg(const char* path, ImgImage& image);
DecodeResult loadtga(const char* path, ImgImage& image);
DecodeResult loadpcx(const char* path, ImgImage& image);
DecodeResult loadpng(const char* path, ImgImage& image);

// Copies a loaded image of any depth into a 24-bit image of the same size.
int convertto24(const ImgImage& source, ImgImage& destination);

// A packed DIB of a 24-bit image: a BITMAPINFOHEADER followed by the rows.
int imagetodib(const ImgImage& image, ByteBuffer& dib);

// The mode resizeex knows: an area-correct resample (each target pixel is the
// average of the source area it covers when shrinking; linear interpolation
// on a side that grows).
constexpr int kResizeAreaCorrect = 1;

// Resamples a 24-bit image into a 24-bit image allocated at the new size;
// kImgErrTooLarge, before any work, when the resample's own buffers for
// these sizes would pass kMaxResizeWorkBytes or its filters would take more
// than kMaxResizeFilterSteps.
int resizeex(const ImgImage& source, ImgImage& destination, int mode);

// The memory the resample of a picture of sourceWidth x sourceHeight to
// width x height works with besides the two pictures (its filter tables and
// row buffers), at least as much as it takes; saturates for absurd sizes.
// The resampler counts these buffers, and every index into them, in int:
// kMaxResizeWorkBytes is the most it can take.
std::uint64_t ResizeWorkBytes(long long sourceWidth, long long sourceHeight, long long width, long long height);
constexpr std::uint64_t kMaxResizeWorkBytes = 0x7FFFFFFF;

// The steps the resampler takes to work out its filters: on a side that
// shrinks, each new pixel looks at every old pixel before the ones it
// covers, so the steps grow with the product of the old and the new side
// (about 2 ns each). A side of a tall or wide picture shrunk by a little
// would take days; the most allowed takes some seconds. Saturates.
std::uint64_t ResizeFilterSteps(long long sourceWidth, long long sourceHeight, long long width, long long height);
constexpr std::uint64_t kMaxResizeFilterSteps = 10'000'000'000;

// Hands decoded pixels to a record allocated at their size (used by the
// loaders); -9 when the sizes differ.
int PutPixels(ImgImage& image, Bgr24Image&& pixels);
// Hands a 24-bit record's pixels over without copying them; the record owns
// nothing afterwards. -9 for a record that holds none or another depth.
int TakePixels(ImgImage& image, Bgr24Image& pixels);

}  // namespace brisol
