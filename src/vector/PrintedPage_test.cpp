// The page drawn at a printer's resolution: its pixel size follows the page
// and the resolution, band after band gives the pixels of the whole page
// drawn at once, and at the picture's own size it shows the raster picture.
#include <gtest/gtest.h>

#include <vector>

#include "VectorTestSupport.h"
#include "effect/DrawJob.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "vector/VectorExport.h"

namespace brisol::test {
namespace {

// The page drawn in bands of the given rows, as one picture.
std::unique_ptr<CDADC> Printed(const PrintedPage& page, int bandRows) {
  const SIZE size = page.PixelSize();
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
  for (int top = 0; top < size.cy; top += bandRows) {
    const int rows = std::min(bandRows, size.cy - top);
    auto* band = reinterpret_cast<std::uint8_t*>(pixels.data() + std::size_t(top) * size.cx);
    EXPECT_EQ(page.DrawBand(top, rows, band, size.cx * 4).message(), "");
  }
  auto picture = std::make_unique<CDADC>(size);
  const PixelBlock block = picture->GetBlock();
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * size.cx + x];
      std::uint8_t* out = block.Pixel(x, y);
      out[0] = static_cast<std::uint8_t>(p);
      out[1] = static_cast<std::uint8_t>(p >> 8);
      out[2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  return picture;
}

TEST(PrintedPage, BandsMakeThePageThatShowsThePicture) {
  CEffect effect(BRISOL_SOURCE_RES_DIR "/Effects/Leaves");
  ASSERT_GT(effect.GetNumShapes(), 0u);
  effect.SetNumObjects(500);
  effect.SetMixGeom(eMixLeftRight);
  effect.SetMixSharpness(20);
  const CDADC photo = MakePhoto(160, 120);
  VectorJob job;
  job.effect = &effect;
  job.photo = &photo;
  job.level = 2;

  const auto atPicture = PrintedPage::Prepare(job, 72);
  ASSERT_TRUE(atPicture) << atPicture.message();
  EXPECT_EQ((*atPicture)->PixelSize(), photo.GetSize()) << "without a page, a pixel is a point";
  const auto whole = Printed(**atPicture, 120);
  for (const int rows : {1, 7, 64})
    EXPECT_EQ(Psnr(*whole, *Printed(**atPicture, rows)), 99.0) << rows << " rows a band";

  const Outcome<std::unique_ptr<CDADC>> raster = DrawPicture({effect, photo, 2});
  ASSERT_TRUE(raster.ok()) << raster.message();
  EXPECT_GE(Psnr(**raster, *whole), 26.0);

  job.page.size = "A4";
  const auto onA4 = PrintedPage::Prepare(job, 300);
  ASSERT_TRUE(onA4) << onA4.message();
  EXPECT_EQ((*onA4)->PixelSize(), (SIZE{2480, 3508})) << "A4 at 300 dpi";

  const auto noResolution = PrintedPage::Prepare(job, 0);
  EXPECT_EQ(noResolution.status(), Status::Invalid);
  EXPECT_NE(noResolution.message().find("resolution"), std::string::npos) << noResolution.message();
  job.page.size = "300x300in";
  const auto tooLarge = PrintedPage::Prepare(job, 300);
  EXPECT_FALSE(tooLarge);
  EXPECT_NE(tooLarge.message().find("200 inches"), std::string::npos) << tooLarge.message();
}

}  // namespace
}  // namespace brisol::test
