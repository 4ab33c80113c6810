// A PDF of a small picture on an A0 page, drawn at 300 dpi, shows the
// objects' edges smooth: along a straight edge the edge's position changes
// evenly from one row of device pixels to the next instead of in jumps of
// the picture's enlarged pixels. The same measure finds those jumps in the
// raster picture enlarged to the same size, so it can tell the two apart.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "VectorTestSupport.h"
#include "effect/DrawJob.h"
#include "effect/Effect.h"
#include "effect/EffectTestUtil.h"
#include "effect/Runner.h"
#include "vector/PageLayout.h"
#include "vector/VectorExport.h"
#include "vector/VectorFormats.h"

namespace brisol::test {
namespace {

constexpr double kDpi = 300;
constexpr int kCrop = 240;  // device pixels a side

// One large white square turned by 7 degrees on black, without an outline.
CEffect SquareEffect(const std::string& dir) {
  WriteFile(dir + "/square.dxf", SquareDxf());
  CEffect effect(dir.c_str());
  effect.SetNumObjects(1);
  effect.SetNumObjReaction(eReactRandom);
  effect.SetSize(30);
  effect.SetSizeVar(0);
  effect.SetAngle(7);
  effect.SetAngleVar(0);
  effect.SetAngleReaction(eReactImage);
  effect.SetLineWidth(0);
  effect.SetSolidColSrc(eColSrcSingle);
  effect.SetSolidColor(RGB(255, 255, 255));
  effect.SetSolidColVar(0);
  effect.SetBkg(eBkgSolid);
  effect.SetBkgColor(RGB(0, 0, 0));
  effect.SetMixGeom(eMixOff);
  effect.SetSeed(3);
  return effect;
}

// How far from its line the edge strays at most, in device pixels, in a
// grey crop whose rows (across) or columns (down) each cross the edge once:
// the white pixels of a row, summed with their coverage, give where the
// edge crosses it, which along a straight edge is a straight line.
double LargestStray(const std::function<double(int x, int y)>& white, bool rows) {
  std::vector<double> at(kCrop);
  for (int i = 0; i < kCrop; ++i) {
    double sum = 0;
    for (int j = 0; j < kCrop; ++j) sum += rows ? white(j, i) : white(i, j);
    at[static_cast<std::size_t>(i)] = sum;
  }
  // Rows near the crop's edges may miss the edge; keep the middle half.
  const int first = kCrop / 4, last = 3 * kCrop / 4;
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = first; i < last; ++i) {
    const double y = at[static_cast<std::size_t>(i)];
    EXPECT_GT(y, 1.0) << "the edge leaves the crop";
    EXPECT_LT(y, kCrop - 1.0) << "the edge leaves the crop";
    n += 1;
    sx += i;
    sy += y;
    sxx += double(i) * i;
    sxy += i * y;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  const double offset = (sy - slope * sx) / n;
  double largest = 0;
  for (int i = first; i < last; ++i)
    largest = std::max(largest, std::fabs(at[static_cast<std::size_t>(i)] - (slope * i + offset)));
  return largest;
}

TEST(Enlargement, AnA0PdfAt300DpiHasSmoothEdgesWhereThePictureHasSteps) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed";
  TempDir dir;
  std::filesystem::create_directory(dir.File("square"));
  const CEffect effect = SquareEffect(dir.File("square"));
  ASSERT_EQ(effect.GetNumShapes(), 1u);
  const CDADC photo = MakePhoto(80, 60);

  VectorJob job;
  job.effect = &effect;
  job.photo = &photo;
  job.level = 1;
  job.page.size = "A0";
  const std::string pdf = dir.File("poster.pdf");
  ASSERT_TRUE(WriteVectorFile(pdf, job).ok());
  const PageLayout page = *LayOutPage(job.page, photo.GetSize(), VectorFormatOf(VectorKind::Pdf));
  const double devicePerPoint = kDpi / 72.0;
  ASSERT_GT(page.scale * devicePerPoint, 100) << "a picture pixel should cover many device pixels";

  // The middle of one of the square's sides that lies inside the picture,
  // in device pixels from the page's top-left corner.
  const EffectObjects placed = PlaceEffectObjects(effect, photo, 1);
  ASSERT_EQ(placed.objects.size(), 1u);
  const CMatrix& m = placed.objects[0].transform;
  auto toDevice = [&](double u, double v) {
    const CVec p = m.Apply2D(CVec(u, v, 0));
    return std::pair<double, double>{(page.left + page.scale * p.x) * devicePerPoint,
                                     (page.top + page.scale * p.y) * devicePerPoint};
  };
  const double sides[4][2] = {{0, -0.5}, {0.5, 0}, {0, 0.5}, {-0.5, 0}};
  bool found = false;
  for (const auto& side : sides) {
    const auto [cx, cy] = toDevice(side[0], side[1]);
    const double px = cx / devicePerPoint / page.scale - page.left / page.scale;
    const double py = cy / devicePerPoint / page.scale - page.top / page.scale;
    if (px < 5 || py < 5 || px > photo.GetWidth() - 5 || py > photo.GetHeight() - 5) continue;
    found = true;
    // Which way the side runs on the page: across (analyse columns) or down (rows).
    const auto [ax, ay] = toDevice(side[0] - side[1], side[1] + side[0]);
    const bool down = std::fabs(ay - cy) > std::fabs(ax - cx);
    const int x0 = static_cast<int>(cx) - kCrop / 2, y0 = static_cast<int>(cy) - kCrop / 2;

    const std::string stem = dir.File("crop");
    ASSERT_EQ(RunShell("pdftoppm -png -gray -r " + std::to_string(static_cast<int>(kDpi)) + " -x " +
                       std::to_string(x0) + " -y " + std::to_string(y0) + " -W " + std::to_string(kCrop) + " -H " +
                       std::to_string(kCrop) + " -singlefile " + Quoted(pdf) + " " + Quoted(stem)),
              0);
    const auto crop = Load(stem + ".png");
    ASSERT_TRUE(crop);
    ASSERT_EQ(crop->GetSize(), (SIZE{kCrop, kCrop}));
    const PixelBlock file = crop->GetBlock();
    const double smooth = LargestStray([&](int x, int y) { return file.Pixel(x, y)[1] / 255.0; }, down);

    // The raster picture, each of its pixels a block of device pixels.
    const Outcome<std::unique_ptr<CDADC>> picture = DrawPicture({effect, photo});
    ASSERT_TRUE(picture.ok()) << picture.message();
    const PixelBlock raster = (*picture)->GetBlock();
    const double steps = LargestStray(
        [&](int x, int y) {
          const double ppx = ((x0 + x + 0.5) / devicePerPoint - page.left) / page.scale;
          const double ppy = ((y0 + y + 0.5) / devicePerPoint - page.top) / page.scale;
          return raster.Pixel(static_cast<int>(ppx), static_cast<int>(ppy))[1] / 255.0;
        },
        down);

    std::printf("edge straying from its line: PDF %.3f device pixels, enlarged picture %.1f\n", smooth, steps);
    EXPECT_LT(smooth, 0.25) << "the PDF's edge has steps";
    EXPECT_GT(steps, 10.0) << "the measure should see the enlarged picture's steps";
    break;
  }
  EXPECT_TRUE(found) << "no side of the square lies inside the picture";
}

}  // namespace
}  // namespace brisol::test
