// PCX files, versions 0 to 5: 1-bit pixels in 1 to 4 planes, 2-bit CGA,
// 4-bit packed, 8-bit with the 256-colour table at the end, and 24/32-bit as
// 3 or 4 planes of 8 bits; and the 24-bit run-length writer.
//
// Decoding rules:
// - 1 bit in 1 plane is black (0) and white (1), whatever the header says.
// - 16-colour pictures (1 bit in 2 to 4 planes, 4-bit packed) take the
//   header's colour table; a version 3 file whose table is all zero (the
//   version that says it has none) takes the default EGA colours.
// - 2-bit pictures take the header's first four colours, unless the header
//   holds only the CGA fields (byte 16 >> 4 the background colour, byte 19
//   the burst, palette and intensity flags, the rest of the first four
//   entries zero): then the CGA colours they select.
// - 8-bit pictures take the 256 colours after the 0x0C mark 769 bytes from
//   the end, or grey levels when the mark is absent.
// - Runs may go on across planes and scan lines; data ending before the last
//   scan line is a truncated file.
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/ByteWriter.h"
#include "logger/Outcome.h"

namespace brisol {
namespace {

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::uint8_t kPcxManufacturer = 0x0A;
constexpr std::size_t kEndPaletteSize = 769;  // the 0x0C mark and 256 RGB entries
constexpr std::uint8_t kEndPaletteMark = 0x0C;

using Bgr = std::array<std::uint8_t, 3>;
using PcxPalette = std::array<Bgr, 256>;

constexpr Bgr FromRgb(unsigned rgb) {
  return {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16)};
}

constexpr std::array<unsigned, 16> kEgaColours = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                                  0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                                  0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

struct PcxHeader {
  int version = 0;
  int encoding = 0;
  int bitsPerPixel = 0;
  int planes = 0;
  int bytesPerLine = 0;
  int width = 0;
  int height = 0;
  const std::uint8_t* colours = nullptr;  // the header's 16 RGB entries
};

bool IsReadableLayout(int bits, int planes) {
  return (bits == 1 && planes >= 1 && planes <= 4) || (bits == 2 && planes == 1) || (bits == 4 && planes == 1) ||
         (bits == 8 && (planes == 1 || planes == 3 || planes == 4));
}

int ParsePcxHeader(Bytes file, PcxHeader& h) {
  if (file.empty()) return kImgErrRead;
  if (file[0] != kPcxManufacturer) return kImgErrSignature;
  if (file.size() < kPcxHeaderSize) return kImgErrRead;
  const std::uint8_t* p = file.data();
  h.version = p[1];
  h.encoding = p[2];
  if (h.version == 1 || h.version > 5 || h.encoding > 1) return kImgErrSignature;
  h.bitsPerPixel = p[3];
  h.planes = p[65];
  if (!IsReadableLayout(h.bitsPerPixel, h.planes)) return kImgErrUnsupported;
  const int xMin = LoadU16LE(p + 4);
  const int yMin = LoadU16LE(p + 6);
  const int xMax = LoadU16LE(p + 8);
  const int yMax = LoadU16LE(p + 10);
  if (xMax < xMin || yMax < yMin) return kImgErrDimensions;
  h.width = xMax - xMin + 1;
  h.height = yMax - yMin + 1;
  if (static_cast<long long>(h.width) * h.height > kMaxImagePixels) return kImgErrTooLarge;
  h.bytesPerLine = LoadU16LE(p + 66);
  if (static_cast<long long>(h.bytesPerLine) * 8 < static_cast<long long>(h.width) * h.bitsPerPixel) {
    return kImgErrCorrupt;
  }
  h.colours = p + 16;
  return kImgOk;
}

PcxPalette HeaderPalette(const PcxHeader& h, int count) {
  PcxPalette palette{};
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* rgb = h.colours + 3 * i;
    palette[i] = {rgb[2], rgb[1], rgb[0]};
  }
  return palette;
}

PcxPalette CgaPalette(const PcxHeader& h) {
  const std::uint8_t* c = h.colours;
  const bool onlyCgaFields =
      c[1] == 0 && c[2] == 0 && std::all_of(c + 4, c + 12, [](std::uint8_t b) { return b == 0; });
  if (!onlyCgaFields) return HeaderPalette(h, 4);
  const bool mono = (c[3] & 0x80) != 0;  // colour burst off
  const bool second = (c[3] & 0x40) != 0;
  const bool bright = (c[3] & 0x20) != 0;
  static constexpr unsigned kFirst[2][3] = {{0x00AA00, 0xAA0000, 0xAA5500}, {0x55FF55, 0xFF5555, 0xFFFF55}};
  static constexpr unsigned kSecond[2][3] = {{0x00AAAA, 0xAA00AA, 0xAAAAAA}, {0x55FFFF, 0xFF55FF, 0xFFFFFF}};
  static constexpr unsigned kMono[2][3] = {{0x00AAAA, 0xAA0000, 0xAAAAAA}, {0x55FFFF, 0xFF5555, 0xFFFFFF}};
  const unsigned(&set)[2][3] = mono ? kMono : second ? kSecond : kFirst;
  PcxPalette palette{};
  palette[0] = FromRgb(kEgaColours[c[0] >> 4]);
  for (int i = 0; i < 3; ++i) palette[i + 1] = FromRgb(set[bright ? 1 : 0][i]);
  return palette;
}

PcxPalette ChoosePalette(Bytes file, const PcxHeader& h) {
  PcxPalette palette{};
  const int depth = h.bitsPerPixel * h.planes;
  if (h.bitsPerPixel == 1 && h.planes == 1) {
    palette[1] = {255, 255, 255};
  } else if (h.bitsPerPixel == 2) {
    palette = CgaPalette(h);
  } else if (depth <= 4) {
    // Version 3 says the file has no colour table, but writers put one in
    // the header all the same; only an empty one means the EGA colours.
    const bool emptyTable = std::all_of(h.colours, h.colours + 48, [](std::uint8_t b) { return b == 0; });
    if (h.version == 3 && emptyTable) {
      for (int i = 0; i < 16; ++i) palette[i] = FromRgb(kEgaColours[i]);
    } else {
      palette = HeaderPalette(h, 16);
    }
  } else if (h.planes == 1) {  // 8 bits
    const bool hasEndPalette =
        file.size() >= kPcxHeaderSize + kEndPaletteSize && file[file.size() - kEndPaletteSize] == kEndPaletteMark;
    if (hasEndPalette) {
      const std::size_t mark = file.size() - kEndPaletteSize;
      for (int i = 0; i < 256; ++i) {
        const std::uint8_t* rgb = file.data() + mark + 1 + 3 * i;
        palette[i] = {rgb[2], rgb[1], rgb[0]};
      }
    } else {
      for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
    }
  }
  return palette;
}

// The scan-line bytes of the whole picture, one line at a time; a run left
// over at the end of a line goes on into the next.
class PcxLineReader {
 public:
  PcxLineReader(Bytes data, bool rle) : m_in(data), m_rle(rle) {}

  bool Next(std::uint8_t* line, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
      if (m_pending > 0) {
        const std::size_t n = std::min<std::size_t>(m_pending, size - filled);
        std::memset(line + filled, m_value, n);
        filled += n;
        m_pending -= static_cast<unsigned>(n);
        continue;
      }
      std::uint8_t b = 0;
      if (!m_in.U8(b)) return false;
      if (m_rle && (b & 0xC0) == 0xC0) {
        if (!m_in.U8(m_value)) return false;
        m_pending = b & 0x3Fu;
      } else {
        line[filled++] = b;
      }
    }
    return true;
  }

 private:
  ByteReader m_in;
  bool m_rle;
  unsigned m_pending = 0;
  std::uint8_t m_value = 0;
};

void ConvertLine(const PcxHeader& h, const std::uint8_t* line, const PcxPalette& palette, std::uint8_t* dst) {
  const std::size_t bpl = static_cast<std::size_t>(h.bytesPerLine);
  for (int x = 0; x < h.width; ++x, dst += 3) {
    if (h.bitsPerPixel == 8 && h.planes >= 3) {
      dst[0] = line[2 * bpl + x];
      dst[1] = line[bpl + x];
      dst[2] = line[x];
      continue;
    }
    unsigned index = 0;
    switch (h.bitsPerPixel) {
      case 1:
        for (int k = 0; k < h.planes; ++k) index |= ((line[k * bpl + (x >> 3)] >> (7 - (x & 7))) & 1u) << k;
        break;
      case 2:
        index = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
        break;
      case 4:
        index = (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
        break;
      default:
        index = line[x];
        break;
    }
    std::memcpy(dst, palette[index].data(), 3);
  }
}

void EncodeRun(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = 1;
    while (i + run < n && run < 63 && bytes[i + run] == bytes[i]) ++run;
    if (run == 1 && bytes[i] < 0xC0) {
      out.push_back(bytes[i]);
    } else {
      out.push_back(static_cast<std::uint8_t>(0xC0 | run));
      out.push_back(bytes[i]);
    }
    i += run;
  }
}

}  // namespace

int ReadPcxInfo(Bytes file, ImageInfo& info) {
  PcxHeader h;
  if (const int rc = ParsePcxHeader(file, h); rc != kImgOk) return rc;
  info.width = h.width;
  info.height = h.height;
  info.depth = h.bitsPerPixel * h.planes;
  return kImgOk;
}

int DecodePcx(Bytes file, Bgr24Image& out) {
  PcxHeader h;
  if (const int rc = ParsePcxHeader(file, h); rc != kImgOk) return rc;
  const std::size_t lineSize = static_cast<std::size_t>(h.bytesPerLine) * h.planes;
  // Each stored byte gives at most 31.5 line bytes (a run pair gives 63).
  const std::uint64_t needed = static_cast<std::uint64_t>(lineSize) * h.height;
  const std::uint64_t available = file.size() - kPcxHeaderSize;
  if (needed > (h.encoding == 1 ? available * 32 : available)) return kImgErrRead;

  const PcxPalette palette = ChoosePalette(file, h);
  std::vector<std::uint8_t> line(lineSize);
  Bgr24Image image;
  if (const int rc = AllocBgr24(image, h.width, h.height); rc != kImgOk) return rc;
  PcxLineReader reader(file.subspan(kPcxHeaderSize), h.encoding == 1);
  for (int y = 0; y < h.height; ++y) {
    if (!reader.Next(line.data(), lineSize)) return kImgErrRead;
    ConvertLine(h, line.data(), palette, image.Block().Row(y));
  }
  out = std::move(image);
  return kImgOk;
}

int EncodePcx(const PixelBlock& picture, std::vector<std::uint8_t>& out) {
  if (!IsEncodablePicture(picture)) return kImgErrArgument;
  // Lines are an even number of bytes long, and both must fit 16 bits.
  if (picture.width > 0xFFFE || picture.height > 0x10000) return kImgErrDimensions;
  const int bytesPerLine = (picture.width + 1) & ~1;
  const std::size_t old = out.size();
  const Done encoded = TryAllocate("the PCX file", [&] {
    out.resize(old + kPcxHeaderSize);
    std::uint8_t* h = out.data() + old;
    h[0] = kPcxManufacturer;
    h[1] = 5;  // version 3.0 and later
    h[2] = 1;  // run-length encoded
    h[3] = 8;
    StoreU16LE(h + 8, static_cast<std::uint32_t>(picture.width - 1));
    StoreU16LE(h + 10, static_cast<std::uint32_t>(picture.height - 1));
    StoreU16LE(h + 12, 72);
    StoreU16LE(h + 14, 72);
    h[65] = 3;
    StoreU16LE(h + 66, static_cast<std::uint32_t>(bytesPerLine));
    StoreU16LE(h + 68, 1);  // colour
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(bytesPerLine), 0);
    for (int y = 0; y < picture.height; ++y) {
      const std::uint8_t* row = picture.Row(y);
      for (int channel = 2; channel >= 0; --channel) {  // red, green, blue planes
        for (int x = 0; x < picture.width; ++x) plane[x] = row[3 * x + channel];
        EncodeRun(out, plane.data(), plane.size());
      }
    }
  });
  if (!encoded) {
    out.resize(old);
    return kImgErrNoMemory;
  }
  return kImgOk;
}

}  // namespace brisol
