#include "effect/Runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stop_token>
#include <string>
#include <vector>

#include "EffectTestUtil.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

bool SamePixels(const CDADC& a, const CDADC& b) {
  return a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetBits(), b.GetBits(), static_cast<size_t>(a.GetImageSize())) == 0;
}

CDADC MakePhoto(int w, int h) {
  CDADC photo(SIZE{w, h});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) photo.GetDC().SetPixel(x, y, RGB((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
  return photo;
}

class RunnerTest : public testing::Test {
 protected:
  void SetUp() override {
    test::LoadSquareAndCircle(m_dir, m_effect);
    ASSERT_EQ(m_effect.GetNumShapes(), 2u);
  }

  CDADC Render(const CDADC& photo, const CEffect& effect, int level) {
    CDADC out(photo.GetSize());
    CEffectOutput target;
    target.SetUp(&out, nullptr, photo.GetSize());
    EXPECT_TRUE(effect.DrawIntoOutput(&target, &photo, level).ok());
    target.Close();
    return out;
  }

  test::TempDir m_dir;
  CEffect m_effect;
};

TEST(WorkGeometry, QualityTwoNumbers) {
  const WorkGeometry g = WorkGeometryFor(SIZE{300, 200}, 2, 0.225);
  EXPECT_EQ(g.size, (SIZE{600, 400}));
  EXPECT_DOUBLE_EQ(g.unit, 6.0);
  EXPECT_EQ(g.lineWidth, 1);                                        // 1.35 truncated
  EXPECT_EQ(WorkGeometryFor(SIZE{300, 200}, 1, 0.1).lineWidth, 0);  // no outlines
}

TEST_F(RunnerTest, OriginalBackgroundWithoutObjectsOrMixGivesTheOriginal) {
  const CDADC photo = MakePhoto(31, 17);
  m_effect.SetNumObjects(0);
  m_effect.SetBkg(eBkgOriginal);
  m_effect.SetMixGeom(eMixOff);
  for (int level : {1, 2}) EXPECT_TRUE(SamePixels(Render(photo, m_effect, level), photo)) << level;
}

TEST_F(RunnerTest, SameInputsSamePicture) {
  const CDADC photo = MakePhoto(120, 80);
  m_effect.SetNumObjects(400);
  m_effect.SetSeed(77);
  for (int level : {1, 2}) {
    const CDADC a = Render(photo, m_effect, level);
    const CDADC b = Render(photo, m_effect, level);
    EXPECT_TRUE(SamePixels(a, b));
    EXPECT_FALSE(SamePixels(a, photo));
  }
  CEffect other = m_effect;
  other.SetSeed(78);
  EXPECT_FALSE(SamePixels(Render(photo, m_effect, 1), Render(photo, other, 1)));
}

TEST_F(RunnerTest, SolidBackground) {
  const CDADC photo = MakePhoto(10, 10);
  m_effect.SetNumObjects(0);
  m_effect.SetBkg(eBkgSolid);
  m_effect.SetBkgColor(RGB(10, 200, 30));
  m_effect.SetMixGeom(eMixOff);
  const CDADC out = Render(photo, m_effect, 2);
  EXPECT_EQ(out.GetDC().GetPixel(5, 5), RGB(10, 200, 30));
}

TEST_F(RunnerTest, RefusalsAreReported) {
  test::ScopedAlertRecorder rec;
  const CDADC photo = MakePhoto(10, 10);
  CEffect empty;
  CDADC out(SIZE{10, 10}, RGB(9, 9, 9));
  CEffectOutput target;
  target.m_pDADC = &out;
  const Done noShapes = empty.DrawIntoOutput(&target, &photo, 1);
  const Done noOutput = m_effect.DrawIntoOutput(nullptr, &photo, 1);
  EXPECT_EQ(noShapes.status(), Status::Failed);
  EXPECT_EQ(noShapes.message(), "the collection <> has no shapes to draw");
  EXPECT_EQ(noOutput.status(), Status::Failed);
  EXPECT_EQ(noOutput.message(), "there is no picture to draw from or into");
  // Told in the result only: the caller decides how to show it.
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_EQ(out.GetDC().GetPixel(0, 0), RGB(9, 9, 9));

  // A bad background type draws nothing into the working picture.
  rec.sink().Clear();
  CDADC work(SIZE{4, 4});
  m_effect.DrawBkg(&work, nullptr);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"ERROR: CEffect::DrawBkg, NULL DADCs"});
}

TEST_F(RunnerTest, RunnerKeepsItsOwnCopies) {
  test::ScopedAlertRecorder rec;
  CDADC photo = MakePhoto(12, 9);
  CBrisol runner(&photo, &m_effect);
  EXPECT_EQ(runner.GetSize(), (SIZE{12, 9}));
  photo.GetDC().FillSolidRect(0, 0, 12, 9, RGB(0, 0, 0));
  EXPECT_NE(runner.GetOriginal()->GetDC().GetPixel(3, 3), RGB(0, 0, 0));
  EXPECT_EQ(runner.GetEffect().GetNumShapes(), 2u);

  CBrisol none(nullptr, &m_effect);
  EXPECT_EQ(none.GetSize(), (SIZE{0, 0}));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"CBrisol::CBrisol NULL CDADC pointer"});
}

TEST_F(RunnerTest, OutputTargetWritesTheVectorHeader) {
  CDADC out(SIZE{64, 48}, RGB(5, 5, 5));
  CEffectOutput target;
  const std::string ps = m_dir.File("pic.eps");
  target.SetUp(&out, ps.c_str(), SIZE{64, 48});
  EXPECT_EQ(out.GetDC().GetPixel(10, 10), RGB(0, 0, 0));  // cleared
  target.Close();
  EXPECT_EQ(test::ReadFile(ps), "%!PS-Adobe-3.0\n%%BoundingBox: -1 -1 65 49\n");
}

}  // namespace
}  // namespace brisol

namespace brisol {
namespace {

// Stops itself once a given number of objects has been reported drawn.
struct StopAfter : DrawObserver {
  StopAfter(std::stop_source& source, std::size_t objects) : m_source(source), m_objects(objects) {}
  void Progress(std::size_t done, std::size_t) override {
    if (done >= m_objects) m_source.request_stop();
  }
  void Phase(const char* name, double) override { phases.emplace_back(name); }
  std::stop_source& m_source;
  std::size_t m_objects;
  std::vector<std::string> phases;
};

TEST_F(RunnerTest, AStopRequestEndsTheDrawingEarly) {
  const CDADC photo = MakePhoto(120, 90);
  m_effect.SetNumObjects(2000);
  m_effect.SetMixGeom(eMixOff);
  {
    // Asked before it starts: nothing is drawn.
    std::stop_source source;
    source.request_stop();
    CDADC out(photo.GetSize());
    CEffectOutput target;
    target.SetUp(&out, nullptr, photo.GetSize());
    EXPECT_TRUE(m_effect.DrawIntoOutput(&target, &photo, 1, nullptr, source.get_token()).stopped());
    EXPECT_TRUE(SamePixels(out, CDADC(photo.GetSize())));
  }
  {
    // Asked while the reference drawing draws: the mix never runs. (The
    // banded drawing's stops are shown with the bands.)
    std::stop_source source;
    StopAfter observer(source, 256);
    CDADC out(photo.GetSize());
    CEffectOutput target;
    target.SetUp(&out, nullptr, photo.GetSize());
    DrawSettings reference;
    reference.reference = true;
    EXPECT_TRUE(m_effect.DrawIntoOutput(&target, &photo, 1, reference, &observer, source.get_token()).stopped());
    EXPECT_TRUE(SamePixels(out, CDADC(photo.GetSize())));
    EXPECT_EQ(std::count(observer.phases.begin(), observer.phases.end(), std::string("mix")), 0);
  }
  {
    // A token that is never stopped draws the same picture as none.
    std::stop_source source;
    CDADC out(photo.GetSize());
    CEffectOutput target;
    target.SetUp(&out, nullptr, photo.GetSize());
    EXPECT_TRUE(m_effect.DrawIntoOutput(&target, &photo, 2, nullptr, source.get_token()).ok());
    EXPECT_TRUE(SamePixels(out, Render(photo, m_effect, 2)));
  }
}

}  // namespace
}  // namespace brisol
