#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "ProcessLimits.h"
#include "imageio/Dib.h"
#include "imageio/Imaging.h"

#include "imageio/StbResizeImpl.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;

TEST(ResizeImage, GivesExactlyTheRequestedSize) {
  ScopedAlertRecorder rec;
  for (SIZE size : {SIZE{1, 1}, SIZE{16, 9}, SIZE{400, 3}, SIZE{33, 250}}) {
    auto surface = std::make_unique<CDADC>(SIZE{64, 48}, RGB(10, 120, 230));
    ASSERT_TRUE(ResizeImage(&surface, size));
    ASSERT_TRUE(surface && surface->IsValid());
    EXPECT_EQ(surface->GetSize(), size);
    EXPECT_EQ(surface->GetDC().GetPixel(size.cx - 1, size.cy - 1), RGB(10, 120, 230));
    EXPECT_EQ(surface->GetDC().GetPixel(0, 0), RGB(10, 120, 230));
  }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(ResizeImage, HalvingAveragesEachBlockAndKeepsRowOrder) {
  // 2 x 2 blocks of distinct colours; the top-left block is red and white.
  test::RgbPicture p = test::MakeRgb(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      std::uint8_t* s = p.At(x, y);
      s[0] = static_cast<std::uint8_t>(y < 2 ? 200 : 0);
      s[1] = static_cast<std::uint8_t>(x < 2 ? 0 : 100);
      s[2] = static_cast<std::uint8_t>((x + y) % 2 ? 40 : 80);
    }
  auto surface = test::SurfaceOf(p);
  ASSERT_TRUE(ResizeImage(&surface, SIZE{2, 2}));
  EXPECT_EQ(surface->GetDC().GetPixel(0, 0), RGB(200, 0, 60));
  EXPECT_EQ(surface->GetDC().GetPixel(1, 0), RGB(200, 100, 60));
  EXPECT_EQ(surface->GetDC().GetPixel(0, 1), RGB(0, 0, 60));
  EXPECT_EQ(surface->GetDC().GetPixel(1, 1), RGB(0, 100, 60));
}

struct Refusal {
  const char* name;
  SIZE size;
  std::string shown;
  std::string logged;  // with the internal code, for the log only
};

TEST(ResizeImage, RefusalsLeaveTheSurfaceUnchanged) {
  const Refusal cases[] = {
      {"zero width", {0, 5}, "ResizeImage (0 5)", ""},
      {"zero height", {5, 0}, "ResizeImage (5 0)", ""},
      {"negative", {-4, 5}, "Cannot resize: the size -4 x 5 has a side below 1 pixel", ""},
      {"too many pixels",
       {30000, 30000},
       "Cannot resize: the size 30000 x 30000 has 900 megapixels; the most a picture may have is 400 megapixels",
       ""},
      {"resampler's buffers beyond int",
       {1, 300'000'000},
       "Cannot resize: resizing 8 x 6 pixels to 1 x 300000000 needs 4.8 GB of working memory; the most the "
       "resampler can use is 2.1 GB",
       ""},
  };
  for (const Refusal& c : cases) {
    ScopedAlertRecorder rec;
    test::LogTail log;
    const test::RgbPicture picture = test::MakePhotoLike(8, 6);
    auto surface = test::SurfaceOf(picture);
    const CDADC* before = surface.get();
    EXPECT_FALSE(ResizeImage(&surface, c.size)) << c.name;
    EXPECT_EQ(surface.get(), before) << c.name;
    EXPECT_EQ(test::MaxDifference(*surface, picture), 0) << c.name;
    EXPECT_EQ(rec.Texts(), std::vector<std::string>{c.shown}) << c.name;  // errors are shown at once
    EXPECT_TRUE(log.Contains(c.logged)) << c.name << ": " << log.NewText();
  }
}

// What the refusal reckons is at least what the resampler takes, for every
// kind of size it may meet.
TEST(ResizeImage, TheWorkReckonedIsAtLeastTheResamplers) {
  const int sizes[][4] = {{1, 1, 1, 1},         {64, 48, 64, 48},       {3000, 2000, 1, 1}, {1, 1, 3000, 2000},
                          {1, 2'000'000, 1, 1}, {2'000'000, 1, 1, 3},   {7, 5, 12345, 9},   {1600, 1000, 1, 30000},
                          {20000, 1, 1, 20000}, {999, 1000, 1000, 999}, {31, 17, 29, 19},   {4000, 3000, 1333, 1000}};
  for (const auto& s : sizes) {
    EXPECT_GE(ResizeWorkBytes(s[0], s[1], s[2], s[3]), ResamplerBufferBytes(s[0], s[1], s[2], s[3]))
        << s[0] << " x " << s[1] << " to " << s[2] << " x " << s[3];
  }
  // Sizes the resampler cannot count, growing and shrinking.
  EXPECT_GT(ResizeWorkBytes(1600, 1000, 1, 300'000'000), kMaxResizeWorkBytes);
  EXPECT_GT(ResizeWorkBytes(1600, 1000, 400'000'000, 1), kMaxResizeWorkBytes);
  EXPECT_GT(ResizeWorkBytes(1, 300'000'000, 1, 1), kMaxResizeWorkBytes);
  EXPECT_LE(ResizeWorkBytes(6000, 4000, 1500, 1000), kMaxResizeWorkBytes);
  EXPECT_NE(CheckResize(SIZE{1, 300'000'000}, SIZE{1, 1}).message().find("the most the resampler can use is 2.1 GB"),
            std::string::npos);
  EXPECT_TRUE(CheckResize(SIZE{6000, 4000}, SIZE{1500, 1000}).ok());
}

// Shrinking a side by a little takes the resampler steps that grow with the
// product of the old and the new side (found by fuzzing: 61185 to 11825
// pixels took 40 seconds there; 1 x 60,000,000 to half would take days).
TEST(ResizeImage, SizesWhoseFiltersWouldTakeDaysAreRefused) {
  EXPECT_EQ(CheckResize(SIZE{1, 60'000'000}, SIZE{1, 30'000'000}).message(),
            "resizing 1 x 60000000 pixels to 1 x 30000000 would take the resampler 900000 billion steps; the most "
            "it is given is 10 billion");
  EXPECT_FALSE(CheckResize(SIZE{200'000, 2}, SIZE{199'999, 2}).ok());
  // The largest pictures keep their ordinary resizes, also a panorama of
  // 400 megapixels shrunk by one pixel.
  EXPECT_EQ(CheckResize(SIZE{20000, 20000}, SIZE{19999, 19999}).message().find("steps"), std::string::npos);
  EXPECT_LE(ResizeFilterSteps(100'000, 4'000, 99'999, 3'999), kMaxResizeFilterSteps);
  EXPECT_EQ(ResizeFilterSteps(10, 10, 20, 30), 0u);  // growing
  ImgImage source, target;
  ASSERT_EQ(allocimage(source, 200'000, 1, 24), kImgOk);
  ASSERT_EQ(allocimage(target, 199'999, 1, 24), kImgOk);
  EXPECT_EQ(resizeex(source, target, kResizeAreaCorrect), kImgErrTooLarge);
}

TEST(ResizeImage, NoSurfaceToResize) {
  ScopedAlertRecorder rec;
  std::unique_ptr<CDADC> none;
  EXPECT_FALSE(ResizeImage(&none, SIZE{4, 4}));
  EXPECT_FALSE(none);
  auto empty = std::make_unique<CDADC>();
  EXPECT_FALSE(ResizeImage(&empty, SIZE{4, 4}));
  EXPECT_FALSE(ResizeImage(nullptr, SIZE{4, 4}));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>(3, "Resize: there is no picture to resize"));
}

// In a child process whose address space is capped a little above what it
// uses, so that one large allocation fails: runs the resize and exits 0 when
// it failed with exactly the expected message and left the surface alone.
void ResizeUnderMemoryLimit(SIZE oldSize, SIZE newSize, const std::string& expected) {
  auto surface = std::make_unique<CDADC>(oldSize, RGB(1, 2, 3));
  if (!surface->IsValid()) std::_Exit(3);
  ScopedAlertRecorder rec;
  if (!test::LimitAddressSpaceTo(96u << 20)) std::_Exit(4);
  const CDADC* before = surface.get();
  const bool resized = ResizeImage(&surface, newSize);
  const std::vector<std::string> shown = rec.Texts();
  const bool ok = !resized && surface.get() == before && surface->GetSize() == oldSize &&
                  surface->GetDC().GetPixel(5, 5) == RGB(1, 2, 3) && shown.size() == 1 &&
                  shown[0].rfind(expected, 0) == 0;
  std::_Exit(ok ? 0 : 1);
}

TEST(ResizeImageDeathTest, InsufficientMemoryIsReportedAndChangesNothing) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "the address sanitizer needs the whole address space";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Told before anything is allocated, from what the resize needs and what
  // the limit leaves.
  EXPECT_EXIT(ResizeUnderMemoryLimit({8000, 6000}, {10, 10},
                                     "Cannot resize: resizing 8000 x 6000 pixels to 10 x 10 needs 144 MB of memory; "),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(ResizeUnderMemoryLimit({64, 64}, {12000, 12000},
                                     "Cannot resize: resizing 64 x 64 pixels to 12000 x 12000 needs "),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace brisol
