#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/Dib.h"

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
      {"negative",
       {-4, 5},
       "Resize to -4 x 5: the picture's width or height is invalid",
       "ResizeImage, allocimage (NewImage) failed, rcode: -6"},
      {"too many pixels",
       {30000, 30000},
       "Resize to 30000 x 30000: the picture has too many pixels (more than 400 megapixels)",
       "ResizeImage, allocimage (NewImage) failed, rcode: -7"},
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

#if defined(__SANITIZE_ADDRESS__)
#define BRISOL_NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRISOL_NO_ADDRESS_LIMIT 1
#endif
#endif

// The process's mapped memory in bytes.
std::size_t MappedBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// In a child process whose address space is capped a little above what it
// uses, so that one large allocation fails: runs the resize and exits 0 when
// it failed with exactly the expected message and left the surface alone.
void ResizeUnderMemoryLimit(SIZE oldSize, SIZE newSize, const std::string& expected) {
  auto surface = std::make_unique<CDADC>(oldSize, RGB(1, 2, 3));
  if (!surface->IsValid()) std::_Exit(3);
  ScopedAlertRecorder rec;
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = MappedBytes() + (96u << 20);
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(4);
  const CDADC* before = surface.get();
  const bool resized = ResizeImage(&surface, newSize);
  const bool ok = !resized && surface.get() == before && surface->GetSize() == oldSize &&
                  surface->GetDC().GetPixel(5, 5) == RGB(1, 2, 3) && rec.Texts() == std::vector<std::string>{expected};
  std::_Exit(ok ? 0 : 1);
}

TEST(ResizeImageDeathTest, InsufficientMemoryIsReportedAndChangesNothing) {
#ifdef BRISOL_NO_ADDRESS_LIMIT
  GTEST_SKIP() << "the address sanitizer needs the whole address space";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ResizeUnderMemoryLimit({8000, 6000}, {10, 10},
                                     "Resize, insufficient memory\nTry closing some documents or images"),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(ResizeUnderMemoryLimit({64, 64}, {12000, 12000},
                                     "Resize, insufficient memory\nTry closing some documents or images"),
              ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace brisol
