#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/Dib.h"
#include "imageio/Imaging.h"
#include "raster/Types.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;

// A 24-bit packed DIB of the picture, made by the imaging layer.
ByteBuffer DibOf(const test::RgbPicture& p) {
  ImgImage image;
  EXPECT_EQ(allocimage(image, p.width, p.height, 24), kImgOk);
  EXPECT_EQ(PutPixels(image, test::ToBgr24(p)), kImgOk);
  ByteBuffer dib;
  EXPECT_EQ(imagetodib(image, dib), kImgOk);
  return dib;
}

// A 4 x 2 8-bit palette DIB with an info header (rows bottom-up):
// top row red, green, blue, white; bottom row black, red, red, green.
ByteBuffer PaletteDib() {
  BITMAPINFOHEADER h;
  h.biWidth = 4;
  h.biHeight = 2;
  h.biBitCount = 8;
  h.biClrUsed = 5;
  std::vector<std::uint8_t> bytes(sizeof h);
  std::memcpy(bytes.data(), &h, sizeof h);
  const std::uint8_t palette[5][4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}};
  for (const auto& entry : palette) bytes.insert(bytes.end(), entry, entry + 4);
  bytes.insert(bytes.end(), {0, 1, 1, 2});  // bottom row first
  bytes.insert(bytes.end(), {1, 2, 3, 4});
  return ByteBuffer::CopyOf(bytes.data(), bytes.size());
}

TEST(CreateBitmapDADC, WithoutBorderTheSurfaceIsTheDib) {
  const test::RgbPicture picture = test::MakePhotoLike(13, 7);
  const ByteBuffer dib = DibOf(picture);
  for (double percent : {0.0, -5.0, 100.5}) {
    auto surface = CreateBitmapDADC(dib, percent, RGB(255, 0, 0));
    ASSERT_TRUE(surface) << percent;
    EXPECT_EQ(test::MaxDifference(*surface, picture), 0) << percent;
  }
}

TEST(CreateBitmapDADC, AHandedOverDibGivesItsRowsWithoutACopy) {
  // Small blocks come from the heap, large ones are mapped: both are taken over.
  for (const SIZE size : {SIZE{13, 7}, SIZE{2100, 1500}}) {
    const test::RgbPicture picture = test::MakePhotoLike(size.cx, size.cy);
    ByteBuffer dib = DibOf(picture);
    const std::uint8_t* rows = dib.data() + sizeof(BITMAPINFOHEADER);
    auto surface = CreateBitmapDADC(std::move(dib));
    ASSERT_TRUE(surface) << size.cx;
    EXPECT_EQ(surface->GetBits(), rows) << size.cx;
    EXPECT_FALSE(dib);
    EXPECT_EQ(test::MaxDifference(*surface, picture), 0) << size.cx;
  }
  // Other DIBs are decoded.
  auto palette = CreateBitmapDADC(PaletteDib());
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->GetDC().GetPixel(3, 0), RGB(255, 255, 255));
  // A plain DIB too short for its rows is not taken as it stands.
  const ByteBuffer whole = DibOf(test::MakePhotoLike(8, 8));
  EXPECT_FALSE(CreateBitmapDADC(ByteBuffer::CopyOf(whole.data(), whole.size() - 5)));
}

TEST(CreateBitmapDADC, BorderIsAPercentageOfTheDiagonal) {
  const test::RgbPicture picture = test::MakePhotoLike(300, 400);
  auto surface = CreateBitmapDADC(DibOf(picture), 1.0, RGB(1, 2, 3));
  ASSERT_TRUE(surface);
  EXPECT_EQ(surface->GetWidth(), 310);  // 1 % of the 500-pixel diagonal: 5 pixels each side
  EXPECT_EQ(surface->GetHeight(), 410);
  const DrawContext& dc = surface->GetDC();
  for (POINT p : {POINT{0, 0}, POINT{4, 4}, POINT{309, 409}, POINT{305, 200}, POINT{150, 405}}) {
    EXPECT_EQ(dc.GetPixel(p.x, p.y), RGB(1, 2, 3)) << p.x << "," << p.y;
  }
  for (POINT p : {POINT{0, 0}, POINT{299, 399}, POINT{123, 45}}) {
    const std::uint8_t* s = picture.At(p.x, p.y);
    EXPECT_EQ(dc.GetPixel(p.x + 5, p.y + 5), RGB(s[0], s[1], s[2])) << p.x << "," << p.y;
  }
  // A tiny border percentage still gives one pixel.
  auto thin = CreateBitmapDADC(DibOf(test::MakePhotoLike(10, 10)), 0.001, RGB(9, 9, 9));
  ASSERT_TRUE(thin);
  EXPECT_EQ(thin->GetWidth(), 12);
}

TEST(CreateBitmapDADC, PaintsPaletteDibsToo) {
  auto surface = CreateBitmapDADC(PaletteDib(), 0, 0);
  ASSERT_TRUE(surface);
  ASSERT_EQ(surface->GetWidth(), 4);
  ASSERT_EQ(surface->GetHeight(), 2);
  const COLORREF top[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
  const COLORREF bottom[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0)};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(surface->GetDC().GetPixel(x, 0), top[x]) << x;
    EXPECT_EQ(surface->GetDC().GetPixel(x, 1), bottom[x]) << x;
  }
}

TEST(CreateBitmapDADC, EmptyHandleIsReported) {
  ScopedAlertRecorder rec;
  EXPECT_FALSE(CreateBitmapDADC(ByteBuffer{}, 0, 0));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"CDADC::CBC: Bad DIB handle"});
}

TEST(CreateBitmapDADC, UnreadableDibGivesNoSurface) {
  ScopedAlertRecorder rec;
  ByteBuffer garbage = ByteBuffer::Allocate(64);
  std::memset(garbage.data(), 0x7F, garbage.size());
  EXPECT_EQ(test::FirstErrorOf([&] {
              EXPECT_FALSE(CreateBitmapDADC(garbage, 0, 0));
            }).rfind("Could not paint DIB, bStretch = 0, source size= ", 0),
            0u);
  // The header claims 30000 x 30000 pixels: refused before anything is allocated.
  ByteBuffer huge = DibOf(test::MakePhotoLike(2, 2));
  const std::int32_t side = 30000;
  std::memcpy(huge.data() + 4, &side, 4);
  std::memcpy(huge.data() + 8, &side, 4);
  EXPECT_EQ(test::FirstErrorOf([&] { EXPECT_FALSE(CreateBitmapDADC(huge, 0, 0)); }),
            "Could not paint DIB, bStretch = 0, source size= 30000 30000\n"
            "** You may be running out of memory **\n");
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(PaintDib, SameSizeCopiesFromTheDibsTopRow) {
  const test::RgbPicture picture = test::MakePhotoLike(6, 5);
  const ByteBuffer dib = DibOf(picture);
  CDADC target(SIZE{10, 10}, RGB(7, 7, 7));
  // Source rectangle rows 1..3 (counted from the top), columns 2..5.
  ASSERT_TRUE(PaintDib(target.GetDC(), RECT{3, 4, 7, 7}, dib, RECT{2, 1, 6, 4}));
  EXPECT_EQ(target.GetDC().GetStretchBltMode(), COLORONCOLOR);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      COLORREF expected = RGB(7, 7, 7);
      if (x >= 3 && x < 7 && y >= 4 && y < 7) {
        const std::uint8_t* s = picture.At(x - 3 + 2, y - 4 + 1);
        expected = RGB(s[0], s[1], s[2]);
      }
      ASSERT_EQ(target.GetDC().GetPixel(x, y), expected) << x << "," << y;
    }
}

TEST(PaintDib, OtherSizesStretch) {
  test::RgbPicture picture = test::MakeRgb(2, 1);
  picture.At(0, 0)[0] = 200;  // red, then blue
  picture.At(1, 0)[2] = 100;
  CDADC target(SIZE{4, 2});
  ASSERT_TRUE(PaintDib(target.GetDC(), RECT{0, 0, 4, 2}, DibOf(picture), RECT{0, 0, 2, 1}));
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(target.GetDC().GetPixel(0, y), RGB(200, 0, 0));
    EXPECT_EQ(target.GetDC().GetPixel(1, y), RGB(200, 0, 0));
    EXPECT_EQ(target.GetDC().GetPixel(2, y), RGB(0, 0, 100));
    EXPECT_EQ(target.GetDC().GetPixel(3, y), RGB(0, 0, 100));
  }
}

TEST(PaintDib, FailuresAreFalseWithALoggedError) {
  ScopedAlertRecorder rec;
  CDADC target(SIZE{4, 4});
  EXPECT_EQ(test::FirstErrorOf([&] {
              EXPECT_FALSE(PaintDib(target.GetDC(), RECT{0, 0, 4, 4}, ByteBuffer{}, RECT{0, 0, 4, 4}));
            }),
            "");
  const ByteBuffer garbage = ByteBuffer::Allocate(10);
  EXPECT_EQ(test::FirstErrorOf([&] {
              EXPECT_FALSE(PaintDib(target.GetDC(), RECT{0, 0, 4, 3}, garbage, RECT{0, 0, 2, 2}));
            }),
            "Could not paint DIB, bStretch = 1, source size= 4 3\n** You may be running out of memory **\n");
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(DibToBitmap, GivesAShowableCopy) {
  const test::RgbPicture picture = test::MakePhotoLike(9, 4);
  auto bitmap = DibToBitmap(DibOf(picture));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(test::MaxDifference(*bitmap, picture), 0);
  EXPECT_FALSE(DibToBitmap(ByteBuffer{}));
  EXPECT_FALSE(DibToBitmap(ByteBuffer::Allocate(12)));
}

TEST(DrawImageIntoDlgRect, FitsAndCentresTheSurface) {
  ScopedAlertRecorder rec;
  CDADC wide(SIZE{200, 100}, RGB(250, 250, 250));
  CDADC dialog(SIZE{100, 100}, RGB(0, 0, 255));
  const RECT control{10, 20, 60, 70};  // 50 x 50
  EXPECT_TRUE(DrawImageIntoDlgRect(wide, dialog.GetDC(), &control));
  // 50 x 25 at 12 pixels below the control's top; black above and below.
  const DrawContext& dc = dialog.GetDC();
  EXPECT_EQ(dc.GetPixel(10, 31), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(10, 32), RGB(250, 250, 250));
  EXPECT_EQ(dc.GetPixel(59, 56), RGB(250, 250, 250));
  EXPECT_EQ(dc.GetPixel(59, 57), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(9, 40), RGB(0, 0, 255));  // outside the control
  EXPECT_EQ(dc.GetPixel(60, 40), RGB(0, 0, 255));

  CDADC tall(SIZE{100, 200}, RGB(250, 250, 250));
  EXPECT_TRUE(DrawImageIntoDlgRect(tall, dialog.GetDC(), &control));
  EXPECT_EQ(dc.GetPixel(21, 20), RGB(0, 0, 0));  // 25 x 50 at 12 pixels right of the left side
  EXPECT_EQ(dc.GetPixel(22, 20), RGB(250, 250, 250));
  EXPECT_EQ(dc.GetPixel(46, 69), RGB(250, 250, 250));
  EXPECT_EQ(dc.GetPixel(47, 69), RGB(0, 0, 0));
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(DrawImageIntoDlgRect, MissingRectangleOrPicture) {
  ScopedAlertRecorder rec;
  CDADC surface(SIZE{4, 4});
  CDADC dialog(SIZE{20, 20}, RGB(0, 0, 255));
  EXPECT_FALSE(DrawImageIntoDlgRect(surface, dialog.GetDC(), nullptr));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"DrawImageIntoDlgRect, get coords failed\n"});
  const RECT control{0, 0, 10, 10};
  EXPECT_FALSE(DrawImageIntoDlgRect(CDADC{}, dialog.GetDC(), &control));
  EXPECT_EQ(dialog.GetDC().GetPixel(5, 5), RGB(0, 0, 0));  // still cleared
  EXPECT_EQ(dialog.GetDC().GetPixel(15, 15), RGB(0, 0, 255));
}

}  // namespace
}  // namespace brisol
