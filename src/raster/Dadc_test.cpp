#include "raster/Dadc.h"

#include <gtest/gtest.h>

#include <cstring>

#include "RecordingAlertSink.h"
#include "logger/Logger.h"
#include "raster/BmpFile.h"

namespace brisol {
namespace {

bool AllPixels(const CDADC& s, COLORREF c) {
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x)
      if (s.GetDC().GetPixel(x, y) != c) return false;
  return true;
}

TEST(Dadc, StridesAndHeaders) {
  struct Case {
    int width, stride;
  };
  for (const Case& c : {Case{1, 4}, Case{4, 12}, Case{5, 16}, Case{3, 12}}) {
    CDADC s(SIZE{c.width, 2});
    ASSERT_TRUE(s.IsValid());
    EXPECT_EQ(s.GetBytesPerRow(), c.stride) << c.width;
    EXPECT_EQ(s.GetImageSize(), 2 * c.stride);
  }
  CDADC s(SIZE{3, 2});
  // Copies: the packed fields cannot be bound to references.
  const BITMAPFILEHEADER fh = s.GetFileHeader();
  EXPECT_EQ(static_cast<unsigned>(fh.bfType), 0x4D42u);
  EXPECT_EQ(static_cast<unsigned>(fh.bfSize), 78u);
  EXPECT_EQ(static_cast<unsigned>(fh.bfOffBits), 54u);
  EXPECT_EQ(static_cast<unsigned>(fh.bfReserved1), 0u);
  const BITMAPINFOHEADER ih = s.GetBitmapInfo().bmiHeader;
  EXPECT_EQ(static_cast<long long>(ih.biSize), 40);
  EXPECT_EQ(static_cast<long long>(ih.biWidth), 3);
  EXPECT_EQ(static_cast<long long>(ih.biHeight), 2);
  EXPECT_EQ(static_cast<long long>(ih.biPlanes), 1);
  EXPECT_EQ(static_cast<long long>(ih.biBitCount), 24);
  EXPECT_EQ(static_cast<long long>(ih.biCompression), 0);
  EXPECT_EQ(static_cast<long long>(ih.biSizeImage), 0);
  EXPECT_EQ(static_cast<long long>(ih.biClrUsed), 0);
}

TEST(Dadc, NewSurfacesAreBlackOrFilled) {
  CDADC black(SIZE{7, 5});
  EXPECT_TRUE(AllPixels(black, RGB(0, 0, 0)));
  CDADC filled(SIZE{7, 5}, RGB(10, 20, 30));
  EXPECT_TRUE(AllPixels(filled, RGB(10, 20, 30)));
}

TEST(Dadc, RowsAreBottomUpBlueGreenRed) {
  CDADC s(SIZE{2, 3});
  s.GetDC().SetPixel(1, 0, RGB(1, 2, 3));  // top row, second pixel
  const std::uint8_t* lastRow = s.GetBits() + 2 * s.GetBytesPerRow();
  EXPECT_EQ(lastRow[3], 3);  // blue
  EXPECT_EQ(lastRow[4], 2);
  EXPECT_EQ(lastRow[5], 1);  // red
}

TEST(Dadc, AbsurdSizesFailWithMessages) {
  struct Case {
    SIZE size;
    const char* pending;
  };
  const Case cases[] = {
      {{0, 10},
       "CDADC::CDADC (const SIZE& Size) failed with\nConstructForSize (0 10). You may be running\nout of memory"},
      {{10, -1},
       "CDADC::CDADC (const SIZE& Size) failed with\nConstructForSize (10 -1). You may be running\nout of memory"},
      {{100000, 100000},
       "CDADC::CDADC (const SIZE& Size) failed with\nConstructForSize (100000 100000). You may be running\nout of "
       "memory"},
  };
  for (const Case& c : cases) {
    test::ScopedAlertRecorder rec;
    CErrorCapture errors;
    const ScopedErrorCapture capture(&errors);
    CDADC s(c.size);
    EXPECT_EQ(errors.Last(), c.pending);
    EXPECT_FALSE(s.IsValid());
    EXPECT_EQ(s.GetBits(), nullptr);
    EXPECT_EQ(s.GetWidth(), 0);
    EXPECT_TRUE(rec.Texts().empty());  // deferred errors are not shown at once
    // Drawing into a failed surface does nothing.
    s.GetDC().FillSolidRect(0, 0, 10, 10, RGB(1, 1, 1));
    EXPECT_EQ(s.GetDC().GetPixel(0, 0), CLR_INVALID);
  }
}

TEST(Dadc, CopyConstructorReproducesEveryPixel) {
  CDADC src(SIZE{5, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) src.GetDC().SetPixel(x, y, RGB(x * 40, y * 80, x + y));
  CDADC copy(src);
  ASSERT_TRUE(copy.IsValid());
  EXPECT_EQ(std::memcmp(copy.GetBits(), src.GetBits(), static_cast<size_t>(src.GetImageSize())), 0);
  EXPECT_NE(copy.GetBits(), src.GetBits());
}

TEST(Dadc, ScaledCopyAndThumbnailSizes) {
  CDADC src(SIZE{400, 100});
  struct Case {
    double scale;
    SIZE expected;
  };
  for (const Case& c : {Case{0.5, {200, 50}}, Case{-0.5, {200, 50}}, Case{0.001, {1, 1}}, Case{2.0, {800, 200}}}) {
    auto copy = CreateScaledCopy(c.scale, src);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetSize(), c.expected) << c.scale;
  }
  auto thumb = CreateThumbnail(src, 200);
  ASSERT_NE(thumb, nullptr);
  EXPECT_EQ(thumb->GetSize(), (SIZE{200, 50}));
}

TEST(Dadc, BmpFileHoldsHeadersAndRows) {
  test::TempDir dir;
  CDADC s(SIZE{3, 2}, RGB(255, 0, 0));
  ASSERT_TRUE(WriteBmpFile(s, dir.File("a.bmp")));
  const std::string bytes = test::ReadFile(dir.File("a.bmp"));
  ASSERT_EQ(bytes.size(), 78u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 2]), 255u);  // first pixel's red
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 0]), 0u);
}

TEST(Dadc, MovedFromOwnsNothing) {
  CDADC a(SIZE{4, 4}, RGB(9, 9, 9));
  CDADC b(std::move(a));
  EXPECT_FALSE(a.IsValid());
  EXPECT_TRUE(b.IsValid());
  EXPECT_EQ(b.GetDC().GetPixel(3, 3), RGB(9, 9, 9));
}

}  // namespace
}  // namespace brisol
