// The picture codecs of the imaging layer: each format's information
// (size and depth before any pixel is read), decoder and encoder. Decoders
// work on the whole file in memory and deliver 24-bit pictures; encoders
// append a whole file to a byte vector.
//
// Every function returns 0 or one of the negative codes below; a failed call
// leaves its output untouched.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "raster/ByteBuffer.h"
#include "raster/PixelBlock.h"

namespace brisol {

enum ImgResult : int {
  kImgOk = 0,
  kImgErrOpen = -1,            // the file cannot be opened
  kImgErrRead = -2,            // reading failed, or the file ends too early
  kImgErrSignature = -3,       // not a file of this format
  kImgErrUnsupported = -4,     // a variant of the format that is not read
  kImgErrCorrupt = -5,         // inconsistent data: bad run, palette index, header value
  kImgErrDimensions = -6,      // a width or height of zero, negative or beyond the format
  kImgErrTooLarge = -7,        // more pixels than kMaxImagePixels
  kImgErrWrite = -8,           // writing failed
  kImgErrArgument = -9,        // bad arguments: no image, wrong depth, unknown mode
  kImgErrDecoder = -10,        // the PNG or JPEG library reported an error
  kImgErrNotRegular = -11,     // a named pipe, device or socket instead of a file
  kImgErrTooLittleData = -12,  // far too few bytes for the picture size the file claims
  kImgErrNoMemory = -14,       // insufficient memory
};

// A short English description of a result code.
const char* ImgResultText(int code);

// What reading a file's information or pixels came to: kImgOk, or the
// failure's code with the PNG or JPEG library's own words for it when it
// gave some ("Not enough image data"). A code alone converts to one.
struct DecodeResult {
  DecodeResult(int result = kImgOk, std::string libraryWords = {})  // NOLINT: implicit by design
      : code(result), words(std::move(libraryWords)) {}
  bool ok() const { return code == kImgOk; }

  int code;
  // Empty unless the library said why it failed; for a picture read with
  // damage the decoder passed over (a JPEG cut short or with stray bytes),
  // the decoder's words for it, the code being kImgOk.
  std::string words;
};

// The most pixels a picture may have (width x height).
constexpr long long kMaxImagePixels = 400'000'000;

// What a file says about itself before its pixels are read.
struct ImageInfo {
  int width = 0;
  int height = 0;
  int depth = 0;  // bits per pixel as stored in the file (all channels)
  // The memory decoding needs besides the file's bytes and the 24-bit
  // picture: rows of other layouts, the coefficients of a progressive JPEG,
  // a second picture to turn upright (MemoryBudget.h).
  std::uint64_t workBytes = 0;
  // The fewest bytes a file of this header can hold its picture in (0: no
  // such bound); a shorter file is refused before its picture is
  // allocated (MemoryBudget.h).
  std::uint64_t leastFileBytes = 0;
};

// A decoded picture: 24-bit blue-green-red, rows bottom-up and padded to
// 4 bytes, the layout of a raster surface's pixel block. A default image
// owns nothing.
struct Bgr24Image {
  int width = 0;
  int height = 0;
  int stride = 0;
  ByteBuffer bits;

  bool IsValid() const { return static_cast<bool>(bits); }
  PixelBlock Block() const { return PixelBlock{const_cast<std::uint8_t*>(bits.data()), width, height, stride}; }
};

// A new black image; kImgErrDimensions, kImgErrTooLarge or kImgErrNoMemory
// when it cannot be had or would take more than the memory available
// (AvailableMemory); the image is then left as it was.
int AllocBgr24(Bgr24Image& image, int width, int height);

using Bytes = std::span<const std::uint8_t>;

// BMP files, and packed DIBs (a BMP file without its 14-byte file header:
// what the clipboard and the BMP fall-back hand over).
int ReadBmpInfo(Bytes file, ImageInfo& info);
int DecodeBmp(Bytes file, Bgr24Image& out);
int ReadPackedDibInfo(Bytes dib, ImageInfo& info);
int DecodePackedDib(Bytes dib, Bgr24Image& out);
int EncodeBmp(const PixelBlock& picture, std::vector<std::uint8_t>& out);

int ReadTgaInfo(Bytes file, ImageInfo& info);
int DecodeTga(Bytes file, Bgr24Image& out);
int EncodeTga(const PixelBlock& picture, std::vector<std::uint8_t>& out);

int ReadPcxInfo(Bytes file, ImageInfo& info);
int DecodePcx(Bytes file, Bgr24Image& out);
int EncodePcx(const PixelBlock& picture, std::vector<std::uint8_t>& out);

int ReadPngInfo(Bytes file, ImageInfo& info);
int DecodePng(Bytes file, Bgr24Image& out);
// The same with libpng's words for a failure.
DecodeResult ReadPngInfoWithWords(Bytes file, ImageInfo& info);
DecodeResult DecodePngWithWords(Bytes file, Bgr24Image& out);
int EncodePng(const PixelBlock& picture, std::vector<std::uint8_t>& out);
// The same with the rows filtered on up to threads threads (0, and
// EncodePng: the machine's cores).
int EncodePngOnThreads(const PixelBlock& picture, std::vector<std::uint8_t>& out, unsigned threads);

int ReadJpegInfo(Bytes file, ImageInfo& info);
int DecodeJpeg(Bytes file, Bgr24Image& out);
// The same with libjpeg's words for a failure (also for a file cut short).
DecodeResult ReadJpegInfoWithWords(Bytes file, ImageInfo& info);
DecodeResult DecodeJpegWithWords(Bytes file, Bgr24Image& out);
int EncodeJpeg(const PixelBlock& picture, int quality, std::vector<std::uint8_t>& out);

// Writing a JPEG from the top a few rows at a time, as they become ready:
// Start, WriteRows with growing ends, Finish once every row is written.
// After a failure every call gives the same code again.
class JpegRowEncoder {
 public:
  JpegRowEncoder();
  ~JpegRowEncoder();
  JpegRowEncoder(const JpegRowEncoder&) = delete;
  JpegRowEncoder& operator=(const JpegRowEncoder&) = delete;

  // Takes the file's bytes as they are made; false ends the encoding with
  // kImgErrWrite.
  using Sink = std::function<bool(const std::uint8_t* bytes, std::size_t n)>;

  // With a sink the file goes there, else Finish appends it. A comment
  // (at most kMaxJpegCommentBytes) goes into a comment segment after the
  // JFIF segment.
  int Start(int width, int height, int quality, Sink sink = {}, std::string_view comment = {});
  // Rows [NextRow(), end) of the picture, of the width started with; the
  // block need hold only those rows, addressed as the whole picture's.
  int WriteRows(const PixelBlock& picture, int end);
  int NextRow() const;
  // Appends the whole file (or ends it in the sink).
  int Finish(std::vector<std::uint8_t>& out);

 private:
  struct State;
  std::unique_ptr<State> m_state;
  int m_width = 0;
  int m_height = 0;
  int m_result = kImgOk;
};

}  // namespace brisol
