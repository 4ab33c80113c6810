// A snapshot of an effect is what a drawing works from while the panels go
// on changing the effect itself: it must compare and draw exactly like the
// effect it was taken from, without reading the shape files again, and stay
// whole when the effect later drops or reloads its shapes.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "EffectTestUtil.h"
#include "dxf/DxfFile.h"
#include "effect/Runner.h"

namespace brisol {
namespace {

CDADC MakePhoto(int w, int h) {
  CDADC photo(SIZE{w, h});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) photo.GetDC().SetPixel(x, y, RGB((x * 11) % 256, (y * 3) % 256, (x * y) % 256));
  return photo;
}

std::vector<std::uint8_t> Render(const CDADC& photo, const CEffect& effect, int level) {
  CDADC out(photo.GetSize());
  CEffectOutput target;
  target.SetUp(&out, nullptr, photo.GetSize());
  EXPECT_TRUE(effect.DrawIntoOutput(&target, &photo, level).ok());
  return {out.GetBits(), out.GetBits() + out.GetImageSize()};
}

class EffectSnapshotTest : public testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(m_dir.File("a_square.dxf"), test::SquareDxf());
    test::WriteFile(m_dir.File("b_circle.dxf"), test::CircleDxf());
    test::WriteFile(m_dir.File("c_line.dxf"), test::PaddedDxf(test::LineDxf(), 200));
    m_effect.LoadShapes(m_dir.path().c_str());
    ASSERT_EQ(m_effect.GetNumShapes(), 3u);
  }

  test::TempDir m_dir;
  CEffect m_effect;
};

TEST_F(EffectSnapshotTest, SharesTheShapesAndComparesEqual) {
  m_effect.SetSize(7.25);
  m_effect.SetSeed(99);
  m_effect.SetMixGeom(eMixEllipVignette);
  m_effect.SetLineColor(RGB(1, 2, 3));
  const std::unique_ptr<CEffect> snap = m_effect.Snapshot();
  EXPECT_TRUE(*snap == m_effect);
  ASSERT_EQ(snap->GetNumShapes(), 3u);
  for (unsigned i = 0; i < 3; ++i) EXPECT_EQ(snap->GetShape(i), m_effect.GetShape(i)) << i;
  EXPECT_EQ(snap->GetEffectDir(), m_effect.GetEffectDir());

  // A full copy still reads the files again.
  const CEffect copy = m_effect;
  EXPECT_NE(copy.GetShape(0), m_effect.GetShape(0));
}

TEST_F(EffectSnapshotTest, ReadsNoFileSoItWorksAfterTheFilesAreGone) {
  std::filesystem::remove_all(m_dir.path());
  const std::unique_ptr<CEffect> snap = m_effect.Snapshot();
  EXPECT_EQ(snap->GetNumShapes(), 3u);
  EXPECT_NE(snap->GetShape(2), nullptr);
}

TEST_F(EffectSnapshotTest, LaterChangesOfTheEffectDoNotReachTheSnapshot) {
  const std::unique_ptr<CEffect> snap = m_effect.Snapshot();
  const CDxfFile* shape = snap->GetShape(0);
  m_effect.SetSize(20);
  m_effect.LoadShapes("/nonexistent-brisol-dir");  // drops every shape of the effect (and logs)
  EXPECT_EQ(m_effect.GetNumShapes(), 0u);
  EXPECT_EQ(snap->GetNumShapes(), 3u);
  EXPECT_EQ(snap->GetShape(0), shape);
  EXPECT_GT(shape->GetCount(), 0);  // still alive
  EXPECT_EQ(snap->GetSize(), CEffect::kDefaultSize);
}

TEST_F(EffectSnapshotTest, DrawsTheSamePicturesAsTheEffect) {
  const CDADC photo = MakePhoto(97, 61);
  for (int seed : {1, 5, 1234, -7}) {
    for (int level : {1, 2}) {
      m_effect.SetSeed(seed);
      m_effect.SetNumObjects(150 + seed % 50);
      m_effect.SetMixGeom(seed % 12 < 0 ? -seed % 12 : seed % 12);
      const std::unique_ptr<CEffect> snap = m_effect.Snapshot();
      EXPECT_EQ(Render(photo, *snap, level), Render(photo, m_effect, level)) << seed << " " << level;
    }
  }
}

TEST_F(EffectSnapshotTest, SnapshotsDrawOnSeveralThreadsAtOnce) {
  const CDADC photo = MakePhoto(80, 50);
  m_effect.SetNumObjects(300);
  const std::vector<std::uint8_t> expected = Render(photo, m_effect, 2);
  std::vector<std::uint8_t> results[2];
  {
    std::jthread a([&] { results[0] = Render(photo, *m_effect.Snapshot(), 2); });
    std::jthread b([&] { results[1] = Render(photo, *m_effect.Snapshot(), 2); });
  }
  EXPECT_EQ(results[0], expected);
  EXPECT_EQ(results[1], expected);
}

}  // namespace
}  // namespace brisol
