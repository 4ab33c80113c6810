// PNG through libpng, from memory (writing: PngEncode.cpp).
//
// Every colour type and bit depth arrives as 24-bit blue-green-red of the
// same size: 16-bit samples keep their high byte, grey is repeated into the
// three channels, palette indices are looked up (an index beyond the PLTE
// entries reads black, as libpng's own palette expansion gives, whose
// palette is zero past the file's entries), and alpha (an alpha channel or a tRNS chunk) is dropped, the
// colour channels staying as stored. Gamma and colour profiles are not
// applied.
//
// libpng reports errors by longjmp. The functions that call setjmp keep no
// object with a destructor of their own: everything that must outlive a jump
// lives in a state structure owned by the caller.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <utility>

#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MemoryBudget.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

// Ancillary chunks bigger than this are skipped.
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;

struct MemoryReader {
  Bytes data;
  std::size_t pos = 0;
  bool truncated = false;
  bool outOfMemory = false;  // the library's error was a failed allocation
  std::string words;         // the library's own words for its error
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (n > reader->data.size() - reader->pos) {
    reader->truncated = true;
    png_error(png, "the file ends too early");
  }
  std::memcpy(out, reader->data.data() + reader->pos, n);
  reader->pos += n;
}

void OnPngError(png_structp png, png_const_charp message) {
  TraceMsg("PNG error: %s", message);
  // A file that ends too early is told as truncated; other errors in the
  // library's own words.
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (reader != nullptr && !reader->truncated) reader->words = message ? message : "";
  // "Out of memory", "insufficient memory": the library's words for it.
  if (reader != nullptr && message != nullptr && strcasestr(message, "memory") != nullptr) reader->outOfMemory = true;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp message) { TraceMsg("PNG warning: %s", message); }

// Owns libpng's read structures.
class PngRead {
 public:
  PngRead() {
    m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (m_png) m_info = png_create_info_struct(m_png);
  }
  ~PngRead() {
    if (m_png) png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
  }
  PngRead(const PngRead&) = delete;
  PngRead& operator=(const PngRead&) = delete;

  bool IsValid() const { return m_png && m_info; }
  png_structp png() const { return m_png; }
  png_infop info() const { return m_info; }

 private:
  png_structp m_png = nullptr;
  png_infop m_info = nullptr;
};

struct DecodeState {
  MemoryReader reader;
  ImageInfo info;
  Bgr24Image image;
  ByteBuffer rows;      // decoded rows when they cannot go straight into the image
  ByteBuffer pointers;  // row pointers for png_read_image
  png_color palette[256]{};
  int paletteSize = 0;
};

// Copies one decoded row (palette indices, BGR or BGRA) into a picture row.
bool ConvertRow(const png_byte* in, int channels, const DecodeState& s, std::uint8_t* out) {
  const int width = s.image.width;
  if (channels == 1) {
    for (int x = 0; x < width; ++x) {
      const int index = in[x];  // past paletteSize the entries are black
      out[3 * x] = s.palette[index].blue;
      out[3 * x + 1] = s.palette[index].green;
      out[3 * x + 2] = s.palette[index].red;
    }
  } else if (channels == 4) {
    for (int x = 0; x < width; ++x) {
      out[3 * x] = in[4 * x];
      out[3 * x + 1] = in[4 * x + 1];
      out[3 * x + 2] = in[4 * x + 2];
    }
  } else {
    std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
  }
  return true;
}

// The memory the decoding below needs besides the file and the picture:
// the rows it cannot decode straight into the picture, their pointers, and
// libpng's own two rows and inflate window.
std::uint64_t WorkBytes(png_structp png, png_infop info) {
  const std::uint64_t width = png_get_image_width(png, info);
  const std::uint64_t height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const std::uint64_t channels = colourType == PNG_COLOR_TYPE_PALETTE       ? 1
                                 : (colourType & PNG_COLOR_MASK_ALPHA) != 0 ? 4
                                                                            : 3;
  const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  const std::uint64_t libpngRows = 2 * (png_get_rowbytes(png, info) + 1) + (64u << 10);
  if (channels == 3) return height * sizeof(png_bytep) + libpngRows;
  if (interlaced) return channels * width * height + height * sizeof(png_bytep) + libpngRows;
  return channels * width + libpngRows;
}

// Reads the header (and with pixels, the picture) into s. Returns an
// ImgResult; longjmps land here.
int RunDecode(const PngRead& read, DecodeState& s, bool pixels) {
  png_structp png = read.png();
  png_infop info = read.info();
  if (setjmp(png_jmpbuf(png))) {
    if (s.reader.truncated) return kImgErrRead;
    return s.reader.outOfMemory ? kImgErrNoMemory : kImgErrDecoder;
  }

  png_set_read_fn(png, &s.reader, ReadFromMemory);
  png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);  // the pixel count is checked below
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  // Only IHDR, PLTE, tRNS, IDAT and IEND are read: text (compressed text
  // would be inflated, megabytes a chunk), profiles and the other ancillary
  // chunks are skipped over unread. The recipe's own text is read apart.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  const int colourType = png_get_color_type(png, info);
  s.info.width = static_cast<int>(width);
  s.info.height = static_cast<int>(height);
  s.info.depth = bitDepth * png_get_channels(png, info);
  if (width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return kImgErrDimensions;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return kImgErrTooLarge;
  s.info.workBytes = WorkBytes(png, info);
  // A file smaller than its rows' share under deflate cannot hold them.
  const std::uint64_t storedRowBytes = (static_cast<std::uint64_t>(width) * s.info.depth + 7) / 8 + 1;
  s.info.leastFileBytes = storedRowBytes * height / kMostDeflateExpansion;
  if (!pixels) return kImgOk;
  if (s.reader.data.size() < s.info.leastFileBytes) return kImgErrTooLittleData;

  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count) != PNG_INFO_PLTE || count < 1) return kImgErrCorrupt;
    s.paletteSize = count > 256 ? 256 : count;
    std::memcpy(s.palette, entries, sizeof(png_color) * static_cast<std::size_t>(s.paletteSize));
    png_set_packing(png);  // one index per byte; transparency is ignored
  } else {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_strip_16(png);  // keeps the high byte
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int channels = png_get_channels(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if ((channels != 1 && channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
      rowBytes != static_cast<std::size_t>(width) * channels) {
    return kImgErrUnsupported;
  }

  if (int rc = AllocBgr24(s.image, static_cast<int>(width), static_cast<int>(height)); rc != kImgOk) return rc;
  const PixelBlock block = s.image.Block();
  const bool direct = channels == 3;
  const bool wholePicture = passes > 1;

  if (direct || wholePicture) {
    s.pointers = ByteBuffer::Allocate(sizeof(png_bytep) * height);
    if (!direct) s.rows = ByteBuffer::Allocate(rowBytes * height);
    if (!s.pointers || (!direct && !s.rows)) return kImgErrNoMemory;
    auto* rowPointers = reinterpret_cast<png_bytep*>(s.pointers.data());
    for (png_uint_32 y = 0; y < height; ++y) {
      rowPointers[y] = direct ? block.Row(static_cast<int>(y)) : s.rows.data() + rowBytes * y;
    }
    png_read_image(png, rowPointers);
    if (!direct) {
      for (png_uint_32 y = 0; y < height; ++y) {
        if (!ConvertRow(rowPointers[y], channels, s, block.Row(static_cast<int>(y)))) return kImgErrCorrupt;
      }
    }
  } else {
    s.rows = ByteBuffer::Allocate(rowBytes);
    if (!s.rows) return kImgErrNoMemory;
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, s.rows.data(), nullptr);
      if (!ConvertRow(s.rows.data(), channels, s, block.Row(static_cast<int>(y)))) return kImgErrCorrupt;
    }
  }
  return kImgOk;
}

DecodeResult Decode(Bytes file, bool pixels, DecodeState& state) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return kImgErrSignature;
  PngRead read;
  if (!read.IsValid()) return kImgErrNoMemory;
  state.reader.data = file;
  const int rc = RunDecode(read, state, pixels);
  if (rc == kImgOk) return kImgOk;
  return DecodeResult(rc, std::move(state.reader.words));
}

}  // namespace

DecodeResult ReadPngInfoWithWords(Bytes file, ImageInfo& info) {
  DecodeState state;
  DecodeResult result = Decode(file, false, state);
  if (result.ok()) info = state.info;
  return result;
}

DecodeResult DecodePngWithWords(Bytes file, Bgr24Image& out) {
  DecodeState state;
  DecodeResult result = Decode(file, true, state);
  if (result.ok()) out = std::move(state.image);
  return result;
}

int ReadPngInfo(Bytes file, ImageInfo& info) { return ReadPngInfoWithWords(file, info).code; }

int DecodePng(Bytes file, Bgr24Image& out) { return DecodePngWithWords(file, out).code; }

}  // namespace brisol
