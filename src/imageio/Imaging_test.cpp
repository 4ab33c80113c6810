#include "imageio/Imaging.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/codecs/MagickReference.h"
#include "raster/Types.h"

namespace brisol {
namespace {

using test::TempDir;

std::vector<std::uint8_t> PngOf(const test::RgbPicture& p) {
  std::vector<std::uint8_t> file;
  const Bgr24Image image = test::ToBgr24(p);
  EXPECT_EQ(EncodePng(image.Block(), file), kImgOk);
  return file;
}

TEST(Imaging, AllocImageGivesABlackBottomUpBuffer) {
  for (auto [w, depth, stride] : {std::tuple{1, 24, 4}, {3, 24, 12}, {5, 8, 16}, {2, 1, 8}}) {
    ImgImage image;
    ASSERT_EQ(allocimage(image, w, 3, depth), kImgOk);
    EXPECT_TRUE(image.IsAllocated());
    EXPECT_EQ(image.Width(), w);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.BitsPerPixel(), depth);
    EXPECT_EQ(image.BytesPerRow(), stride);
    for (int i = 0; i < 3 * stride; ++i) ASSERT_EQ(image.Buffer()[i], 0);
  }
}

TEST(Imaging, AllocImageRefusalsLeaveTheRecordAlone) {
  const struct {
    int w, h, depth, code;
  } cases[] = {
      {0, 5, 24, kImgErrDimensions}, {5, -1, 24, kImgErrDimensions}, {30000, 30000, 24, kImgErrTooLarge},
      {4, 4, 0, kImgErrArgument},    {4, 4, 65, kImgErrArgument},
  };
  for (const auto& c : cases) {
    ImgImage image;
    ASSERT_EQ(allocimage(image, 2, 2, 24), kImgOk);
    image.Buffer()[0] = 9;
    EXPECT_EQ(allocimage(image, c.w, c.h, c.depth), c.code) << c.w << "x" << c.h << "@" << c.depth;
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Buffer()[0], 9);
  }
  ImgImage image;
  ASSERT_EQ(allocimage(image, 2, 2, 24), kImgOk);
  freeimage(image);
  EXPECT_FALSE(image.IsAllocated());
  EXPECT_EQ(image.Buffer(), nullptr);
  freeimage(image);  // twice is harmless
}

TEST(Imaging, InformationOfFilesOnDisk) {
  TempDir dir;
  const std::string png = dir.File("a.png");
  ASSERT_TRUE(test::WriteBytes(png, PngOf(test::MakePhotoLike(7, 5))));
  ImageInfo info;
  ASSERT_EQ(pnginfo(png.c_str(), info).code, kImgOk);
  EXPECT_EQ(info.width, 7);
  EXPECT_EQ(info.height, 5);
  EXPECT_EQ(info.depth, 24);

  ImageInfo untouched{1, 2, 3};
  EXPECT_EQ(pnginfo(dir.File("missing.png").c_str(), untouched).code, kImgErrOpen);
  EXPECT_EQ(pnginfo(dir.path().c_str(), untouched).code, kImgErrOpen);  // a directory
  EXPECT_EQ(pnginfo(nullptr, untouched).code, kImgErrArgument);
  EXPECT_EQ(jpeginfo(png.c_str(), untouched).code, kImgErrSignature);
  EXPECT_EQ(untouched.width, 1);
  EXPECT_EQ(untouched.depth, 3);
}

TEST(Imaging, JpegInformationBehindLongSegments) {
  // A camera file may carry megabytes of segments before the frame header.
  Bgr24Image picture = test::ToBgr24(test::MakePhotoLike(9, 4));
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(picture.Block(), 90, jpeg), kImgOk);
  std::vector<std::uint8_t> padded(jpeg.begin(), jpeg.begin() + 2);
  for (int i = 0; i < 20; ++i) {  // 20 APP9 segments of 65535 bytes
    padded.insert(padded.end(), {0xFF, 0xE9, 0xFF, 0xFF});
    padded.insert(padded.end(), 65533, 0x55);
  }
  padded.insert(padded.end(), jpeg.begin() + 2, jpeg.end());
  TempDir dir;
  const std::string path = dir.File("long.jpg");
  ASSERT_TRUE(test::WriteBytes(path, padded));
  ImageInfo info;
  ASSERT_EQ(jpeginfo(path.c_str(), info).code, kImgOk);
  EXPECT_EQ(info.width, 9);
  EXPECT_EQ(info.height, 4);
}

TEST(Imaging, LoadNeedsARecordOfTheFilesSize) {
  TempDir dir;
  const std::string png = dir.File("a.png");
  const test::RgbPicture picture = test::MakePhotoLike(6, 4);
  ASSERT_TRUE(test::WriteBytes(png, PngOf(picture)));

  ImgImage unallocated;
  EXPECT_EQ(loadpng(png.c_str(), unallocated).code, kImgErrArgument);
  ImgImage wrong;
  ASSERT_EQ(allocimage(wrong, 4, 6, 24), kImgOk);
  EXPECT_EQ(loadpng(png.c_str(), wrong).code, kImgErrArgument);
  EXPECT_EQ(wrong.Width(), 4);

  ImgImage image;
  ASSERT_EQ(allocimage(image, 6, 4, 24), kImgOk);
  ASSERT_EQ(loadpng(png.c_str(), image).code, kImgOk);
  Bgr24Image view;
  ASSERT_EQ(AllocBgr24(view, 6, 4), kImgOk);
  std::memcpy(view.bits.data(), image.Buffer(), view.bits.size());
  EXPECT_EQ(test::MaxDifference(view, picture), 0);
}

TEST(Imaging, ConvertTo24CopiesIntoA24BitImageOfTheSameSize) {
  ImgImage source, target, wrongDepth, wrongSize;
  ASSERT_EQ(allocimage(source, 3, 2, 8), kImgOk);
  source.Buffer()[5] = 77;
  ASSERT_EQ(allocimage(wrongDepth, 3, 2, 8), kImgOk);
  ASSERT_EQ(allocimage(wrongSize, 2, 3, 24), kImgOk);
  EXPECT_EQ(convertto24(source, wrongDepth), kImgErrArgument);
  EXPECT_EQ(convertto24(source, wrongSize), kImgErrArgument);
  EXPECT_EQ(convertto24(ImgImage{}, wrongSize), kImgErrArgument);
  ASSERT_EQ(allocimage(target, 3, 2, 24), kImgOk);
  ASSERT_EQ(convertto24(source, target), kImgOk);
  EXPECT_EQ(target.Buffer()[5], 77);
}

TEST(Imaging, ImageToDibMakesAnInfoHeaderAndTheRows) {
  ImgImage image;
  ASSERT_EQ(allocimage(image, 3, 2, 24), kImgOk);
  for (int i = 0; i < 24; ++i) image.Buffer()[i] = static_cast<std::uint8_t>(i + 1);
  ByteBuffer dib;
  ASSERT_EQ(imagetodib(image, dib), kImgOk);
  ASSERT_EQ(dib.size(), 40u + 24u);
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib.data(), sizeof header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 3);
  EXPECT_EQ(header.biHeight, 2);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biCompression, BI_RGB);
  EXPECT_EQ(header.biSizeImage, 24u);
  EXPECT_EQ(header.biClrUsed, 0u);
  EXPECT_EQ(std::memcmp(dib.data() + 40, image.Buffer(), 24), 0);

  ImgImage grey;
  ASSERT_EQ(allocimage(grey, 3, 2, 8), kImgOk);
  ByteBuffer untouched = ByteBuffer::Allocate(5);
  EXPECT_EQ(imagetodib(grey, untouched), kImgErrArgument);
  EXPECT_EQ(imagetodib(ImgImage{}, untouched), kImgErrArgument);
  EXPECT_EQ(untouched.size(), 5u);
}

// Fills a 24-bit image with one grey level per pixel from a function.
template <typename F>
void FillGrey(ImgImage& image, F level) {
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      std::uint8_t* p = image.Block().Pixel(x, y);
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(level(x, y));
    }
}

TEST(Imaging, ResizeAveragesTheAreaEachPixelCovers) {
  ImgImage source, target;
  ASSERT_EQ(allocimage(source, 4, 4, 24), kImgOk);
  // 2 x 2 blocks of 10, 20, 30, 40 (top-left block), etc.
  FillGrey(source, [](int x, int y) { return 10 * (1 + x % 2 + 2 * (y % 2)) + 100 * (x / 2) + 50 * (y / 2); });
  ASSERT_EQ(allocimage(target, 2, 2, 24), kImgOk);
  ASSERT_EQ(resizeex(source, target, kResizeAreaCorrect), kImgOk);
  const int expected[2][2] = {{25, 125}, {75, 175}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const std::uint8_t* p = target.Block().Pixel(x, y);
      EXPECT_EQ(p[0], expected[y][x]) << x << "," << y;
      EXPECT_EQ(p[1], p[0]);
      EXPECT_EQ(p[2], p[0]);
    }
}

TEST(Imaging, ResizeKeepsFlatColoursAtAnySize) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 11}, {640, 7}, {17, 480}}) {
    ImgImage source, target;
    ASSERT_EQ(allocimage(source, 37, 23, 24), kImgOk);
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) {
        std::uint8_t* p = source.Block().Pixel(x, y);
        p[0] = 10;
        p[1] = 200;
        p[2] = 99;
      }
    ASSERT_EQ(allocimage(target, w, h, 24), kImgOk);
    ASSERT_EQ(resizeex(source, target, kResizeAreaCorrect), kImgOk);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = target.Block().Pixel(x, y);
        ASSERT_TRUE(p[0] == 10 && p[1] == 200 && p[2] == 99) << w << "x" << h << " at " << x << "," << y;
      }
  }
}

TEST(Imaging, ResizeRefusesOtherModesAndDepths) {
  ImgImage source, target, grey;
  ASSERT_EQ(allocimage(source, 4, 4, 24), kImgOk);
  ASSERT_EQ(allocimage(target, 2, 2, 24), kImgOk);
  ASSERT_EQ(allocimage(grey, 2, 2, 8), kImgOk);
  EXPECT_EQ(resizeex(source, target, 0), kImgErrArgument);
  EXPECT_EQ(resizeex(source, target, 2), kImgErrArgument);
  EXPECT_EQ(resizeex(source, grey, kResizeAreaCorrect), kImgErrArgument);
  EXPECT_EQ(resizeex(ImgImage{}, target, kResizeAreaCorrect), kImgErrArgument);
}

}  // namespace
}  // namespace brisol
