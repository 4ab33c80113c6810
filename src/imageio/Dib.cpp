// The header fields of packed DIBs, copying blocks and reading the DIB part
// of BMP files.
#include "imageio/Dib.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "logger/Alerts.h"
#include "raster/FileUtil.h"

namespace brisol {
namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiAlphaBitfields = 6;

std::uint16_t U16(const ByteBuffer& b, std::size_t at) {
  if (b.size() < at + 2) return 0;
  return static_cast<std::uint16_t>(b.data()[at] | b.data()[at + 1] << 8);
}

std::uint32_t U32(const ByteBuffer& b, std::size_t at) {
  if (b.size() < at + 4) return 0;
  const std::uint8_t* p = b.data() + at;
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint32_t HeaderSize(const ByteBuffer& dib) { return U32(dib, 0); }
bool IsCore(const ByteBuffer& dib) { return HeaderSize(dib) == kCoreHeaderSize; }
unsigned BitCount(const ByteBuffer& dib) { return IsCore(dib) ? U16(dib, 10) : U16(dib, 14); }

}  // namespace

int DibWidth(const ByteBuffer& dib) { return IsCore(dib) ? U16(dib, 4) : static_cast<std::int32_t>(U32(dib, 4)); }

int DibHeight(const ByteBuffer& dib) { return IsCore(dib) ? U16(dib, 6) : static_cast<std::int32_t>(U32(dib, 8)); }

unsigned DibNumColors(const ByteBuffer& dib) {
  if (!IsCore(dib)) {
    const std::uint32_t used = U32(dib, 32);
    if (used != 0) return used;
  }
  switch (BitCount(dib)) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

std::uint64_t DibPaletteSize(const ByteBuffer& dib) { return std::uint64_t{DibNumColors(dib)} * (IsCore(dib) ? 3 : 4); }

const std::uint8_t* DibBits(const ByteBuffer& dib) {
  if (!dib) return nullptr;
  std::uint64_t offset = HeaderSize(dib);
  if (offset == kInfoHeaderSize) {
    const std::uint32_t compression = U32(dib, 16);
    if (compression == BI_BITFIELDS) offset += 12;
    if (compression == kBiAlphaBitfields) offset += 16;
  }
  offset += DibPaletteSize(dib);
  if (offset > dib.size()) return nullptr;
  return dib.data() + offset;
}

ByteBuffer CopyHandle(const ByteBuffer& h) {
  if (!h) {
    AlertBox("CH, copying NULL handle");
    return {};
  }
  ByteBuffer copy = ByteBuffer::CopyOf(h.data(), h.size());
  if (!copy) AlertBox("CH, memory allocation failed");
  return copy;
}

ByteBuffer ReadDibFile(std::FILE* file) {
  if (file == nullptr) return {};
  struct stat st {};
  if (::fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  const std::uint64_t length = static_cast<std::uint64_t>(st.st_size);
  BITMAPFILEHEADER header;
  if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(&header, 1, sizeof header, file) != sizeof header ||
      header.bfType != kBmpMagic) {
    return {};
  }
  if (length > SIZE_MAX) return {};
  ByteBuffer block = ByteBuffer::Allocate(static_cast<std::size_t>(length));
  if (!block) return {};
  const std::size_t rest = static_cast<std::size_t>(length) - sizeof header;
  if (std::fread(block.data(), 1, rest, file) != rest) return {};
  return block;
}

ByteBuffer ReadDibFileAt(const char* path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return {};
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return {};
  }
  ByteBuffer dib = ReadDibFile(file);
  std::fclose(file);
  return dib;
}

}  // namespace brisol
