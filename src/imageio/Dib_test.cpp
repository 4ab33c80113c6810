#include "imageio/Dib.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "raster/Types.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;
using test::TempDir;

template <typename Header>
ByteBuffer Block(const Header& header, std::size_t extra) {
  ByteBuffer b = ByteBuffer::Allocate(sizeof header + extra);
  std::memcpy(b.data(), &header, sizeof header);
  return b;
}

ByteBuffer InfoDib(int width, int height, int bits, std::uint32_t used = 0, std::uint32_t compression = BI_RGB,
                   std::size_t extra = 4096) {
  BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = static_cast<std::uint16_t>(bits);
  h.biClrUsed = used;
  h.biCompression = compression;
  return Block(h, extra);
}

ByteBuffer CoreDib(int width, int height, int bits, std::size_t extra = 4096) {
  BITMAPCOREHEADER h;
  h.bcWidth = static_cast<std::uint16_t>(width);
  h.bcHeight = static_cast<std::uint16_t>(height);
  h.bcBitCount = static_cast<std::uint16_t>(bits);
  return Block(h, extra);
}

TEST(Dib, HeaderFieldsOfInfoAndCoreHeaders) {
  const struct {
    const char* name;
    ByteBuffer dib;
    int width, height;
    unsigned colours;
    std::uint64_t palette;
    std::size_t bitsOffset;
  } cases[] = {
      {"core 8 bit", CoreDib(300, 200, 8), 300, 200, 256, 768, 12 + 768},
      {"core 1 bit", CoreDib(5, 6, 1), 5, 6, 2, 6, 12 + 6},
      {"core 24 bit", CoreDib(5, 6, 24), 5, 6, 0, 0, 12},
      {"info 8 bit, 17 used", InfoDib(7, 9, 8, 17), 7, 9, 17, 68, 40 + 68},
      {"info 4 bit", InfoDib(7, -9, 4), 7, -9, 16, 64, 40 + 64},
      {"info 24 bit", InfoDib(70000, 3, 24), 70000, 3, 0, 0, 40},
      {"info 16 bit bit fields", InfoDib(2, 2, 16, 0, BI_BITFIELDS), 2, 2, 0, 0, 40 + 12},
      {"info 32 bit alpha bit fields", InfoDib(2, 2, 32, 0, 6), 2, 2, 0, 0, 40 + 16},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DibWidth(c.dib), c.width) << c.name;
    EXPECT_EQ(DibHeight(c.dib), c.height) << c.name;
    EXPECT_EQ(DibNumColors(c.dib), c.colours) << c.name;
    EXPECT_EQ(DibPaletteSize(c.dib), c.palette) << c.name;
    EXPECT_EQ(DibBits(c.dib), c.dib.data() + c.bitsOffset) << c.name;
  }
}

TEST(Dib, LongerInfoHeadersReadAsInfoHeaders) {
  // A 124-byte header: 32-bit width and height, masks inside the header.
  std::vector<std::uint8_t> v5(124 + 16, 0);
  const std::uint32_t size = 124, bits = 32, compression = BI_BITFIELDS;
  const std::int32_t width = 100000, height = -3;
  std::memcpy(&v5[0], &size, 4);
  std::memcpy(&v5[4], &width, 4);
  std::memcpy(&v5[8], &height, 4);
  std::memcpy(&v5[14], &bits, 2);
  std::memcpy(&v5[16], &compression, 4);
  const ByteBuffer dib = ByteBuffer::CopyOf(v5.data(), v5.size());
  EXPECT_EQ(DibWidth(dib), 100000);
  EXPECT_EQ(DibHeight(dib), -3);
  EXPECT_EQ(DibNumColors(dib), 0u);
  EXPECT_EQ(DibBits(dib), dib.data() + 124);
}

TEST(Dib, ShortOrEmptyBlocksGiveNothing) {
  EXPECT_EQ(DibWidth(ByteBuffer{}), 0);
  EXPECT_EQ(DibBits(ByteBuffer{}), nullptr);
  const ByteBuffer tiny = ByteBuffer::Allocate(3);
  EXPECT_EQ(DibHeight(tiny), 0);
  // A palette that the block cannot hold.
  const ByteBuffer cut = InfoDib(4, 4, 8, 0, BI_RGB, 100);
  EXPECT_EQ(DibPaletteSize(cut), 1024u);
  EXPECT_EQ(DibBits(cut), nullptr);
  const ByteBuffer absurd = InfoDib(4, 4, 8, 0xFFFFFFFFu);
  EXPECT_EQ(DibPaletteSize(absurd), 0xFFFFFFFFull * 4);
  EXPECT_EQ(DibBits(absurd), nullptr);
}

TEST(Dib, CopyHandleCopiesEveryByte) {
  ScopedAlertRecorder rec;
  const ByteBuffer original = InfoDib(3, 3, 24, 0, BI_RGB, 10);
  const ByteBuffer copy = CopyHandle(original);
  ASSERT_EQ(copy.size(), original.size());
  EXPECT_NE(copy.data(), original.data());
  EXPECT_EQ(std::memcmp(copy.data(), original.data(), copy.size()), 0);
  EXPECT_TRUE(rec.Texts().empty());

  EXPECT_FALSE(CopyHandle(ByteBuffer{}));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"CH, copying NULL handle"});
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

ByteBuffer ReadDibOf(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return {};
  return ReadDibFile(file.get());
}

TEST(Dib, ReadDibFileTakesTheDibPartOfABmpFile) {
  TempDir dir;
  std::string bmp = "BM" + std::string(12, '\x01');
  std::string dibPart;
  for (int i = 0; i < 60; ++i) dibPart += static_cast<char>(i + 7);
  test::WriteFile(dir.File("a.bmp"), bmp + dibPart);
  const ByteBuffer block = ReadDibOf(dir.File("a.bmp"));
  ASSERT_EQ(block.size(), 74u);  // the whole file's length
  EXPECT_EQ(std::memcmp(block.data(), dibPart.data(), 60), 0);
  for (std::size_t i = 60; i < 74; ++i) EXPECT_EQ(block.data()[i], 0) << i;  // the spare bytes stay zero
}

TEST(Dib, ReadDibFileRefusals) {
  TempDir dir;
  test::WriteFile(dir.File("gif.bmp"), "GIF89a" + std::string(40, '\0'));
  test::WriteFile(dir.File("short.bmp"), "BM\1\2\3");
  test::WriteFile(dir.File("empty.bmp"), "");
  EXPECT_FALSE(ReadDibOf(dir.File("gif.bmp")));
  EXPECT_FALSE(ReadDibOf(dir.File("short.bmp")));
  EXPECT_FALSE(ReadDibOf(dir.File("empty.bmp")));
  EXPECT_FALSE(ReadDibFile(nullptr));
}

}  // namespace
}  // namespace brisol
