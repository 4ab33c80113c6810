// The collections that come with the program: every drawing loads as a
// usable shape, and the collections give visibly different pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "RecordingAlertSink.h"
#include "effect/DrawJob.h"
#include "effect/Effect.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"

namespace brisol {
namespace {

namespace fs = std::filesystem;

const fs::path kBundled = fs::path(BRISOL_SOURCE_RES_DIR) / "Effects";

constexpr int kW = 200, kH = 130;

CDADC Photo() {
  CDADC photo(SIZE{kW, kH});
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) photo.GetDC().SetPixel(x, y, RGB(x + 40, y + 20, 255 - (x + y) / 2));
  return photo;
}

TEST(BundledCollections, EveryDrawingIsAUsableShape) {
  ASSERT_TRUE(fs::is_directory(kBundled));
  int collections = 0;
  for (const auto& entry : fs::directory_iterator(kBundled)) {
    if (!entry.is_directory()) continue;
    ++collections;
    int files = 0;
    for (const auto& file : fs::directory_iterator(entry.path())) {
      if (file.path().extension() != ".dxf") continue;
      ++files;
      EXPECT_GE(fs::file_size(file.path()), 100u) << file.path();
      EXPECT_LE(fs::file_size(file.path()), 100000u) << file.path();
    }
    test::ScopedAlertRecorder rec;
    CEffect effect(entry.path().c_str());
    EXPECT_TRUE(rec.Texts().empty()) << entry.path() << ": " << (rec.Texts().empty() ? "" : rec.Texts()[0]);
    EXPECT_EQ(effect.GetNumShapes(), static_cast<unsigned>(files)) << entry.path();
    EXPECT_GE(files, 5) << entry.path();
    EXPECT_LE(files, 40) << entry.path();
  }
  EXPECT_GE(collections, 10);
}

TEST(BundledCollections, GiveDifferentPictures) {
  const CDADC photo = Photo();
  std::map<std::string, CDADC> pictures;
  for (const auto& entry : fs::directory_iterator(kBundled)) {
    if (!entry.is_directory()) continue;
    CEffect effect(entry.path().c_str());
    effect.SetNumObjects(300);
    effect.SetMixGeom(eMixOff);
    effect.SetLineWidth(1.5);  // 3-pixel outlines: lines and strokes show
    Outcome<std::unique_ptr<CDADC>> drawn = DrawPicture({effect, photo});
    ASSERT_TRUE(drawn.ok()) << entry.path() << ": " << drawn.message();
    pictures.emplace(entry.path().filename().string(), std::move(**drawn));
  }
  for (auto a = pictures.begin(); a != pictures.end(); ++a) {
    for (auto b = std::next(a); b != pictures.end(); ++b) {
      long long differing = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) differing += a->second.GetDC().GetPixel(x, y) != b->second.GetDC().GetPixel(x, y);
      EXPECT_GT(differing, kW * kH / 10) << a->first << " and " << b->first << " look alike";
    }
  }
}

TEST(BundledCollections, AreFoundByName) {
  const std::string dir = FindCollection("stars");  // any letter case
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_EQ(FindCollection("/some/path"), "/some/path");
  EXPECT_EQ(FindCollection("NoSuchCollection"), "");
  const auto all = ListCollections();
  ASSERT_GE(all.size(), 10u);
}

}  // namespace
}  // namespace brisol
