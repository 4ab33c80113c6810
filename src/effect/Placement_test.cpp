#include "effect/Placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "EffectTestUtil.h"
#include "effect/Effect.h"
#include "effect/ForceField.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

// An effect with one square shape, read from a temporary directory.
class PlacementTest : public testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(m_dir.File("square.dxf"), test::SquareDxf());
    m_effect.LoadShapes(m_dir.path().c_str());
    ASSERT_EQ(m_effect.GetNumShapes(), 1u);
  }

  // The random draws one attempt of the effect consumes on a picture.
  int DrawsForOneObject(const CDADC& picture, int lineWidth) {
    m_effect.SetNumObjects(1);
    CForceField field(picture);
    PlacementInput in{&picture, &field, field.GetMinForceFromArea(m_effect.GetAreaCovered()), 1.0, lineWidth, 1};
    CRandomSource random(7);
    PlaceObjects(m_effect, in, random);
    CRandomSource reference(7);
    for (int n = 0; n < 100; ++n) {
      if (reference.State() == random.State()) return n;
      reference.Draw();
    }
    return -1;
  }

  test::TempDir m_dir;
  CEffect m_effect;
};

TEST_F(PlacementTest, RandomDrawsPerObject) {
  CDADC picture(SIZE{8, 8}, RGB(100, 150, 200));
  struct Case {
    int size, angle, fill, line, lineWidth, draws;
  };
  const Case cases[] = {
      // x, y, [size], [angle], shape, fill 3, candidate A 3, candidate B 3, [random outline 3]
      {eReactRandom, eReactImage, eColSrcImage, eColSrcImage, 0, 13},
      {eReactImage, eReactImage, eColSrcImage, eColSrcImage, 0, 12},
      {eReactImage, eReactRandom, eColSrcSingle, eColSrcSingle, 0, 13},
      {eReactRandom, eReactRandom, eColSrcRandom, eColSrcImage, 0, 14},
      {eReactImage, eReactImage, eColSrcImage, eColSrcRandom, 0, 12},  // no pen: no random outline
      {eReactImage, eReactImage, eColSrcImage, eColSrcRandom, 3, 15},
      {eReactOpposite, eReactOpposite, eColSrcImage, eColSrcSingle, 3, 12},
  };
  for (const Case& c : cases) {
    m_effect.SetSizeReaction(c.size);
    m_effect.SetAngleReaction(c.angle);
    m_effect.SetSolidColSrc(c.fill);
    m_effect.SetLineColSrc(c.line);
    EXPECT_EQ(DrawsForOneObject(picture, c.lineWidth), c.draws)
        << c.size << " " << c.angle << " " << c.fill << " " << c.line << " " << c.lineWidth;
  }
}

TEST_F(PlacementTest, ThresholdsDecideWhereObjectsAppear) {
  CDADC picture(SIZE{20, 20});
  picture.GetDC().FillSolidRect(0, 0, 20, 10, RGB(255, 255, 255));  // top half bright
  CForceField field(picture);
  m_effect.SetNumObjects(500);
  m_effect.SetNumObjReaction(eReactImage);
  struct Case {
    int reaction;
    double area;
    std::size_t minCount, maxCount;
  };
  const Case cases[] = {
      {eReactImage, 0, 0, 0},          // T = 256: nothing
      {eReactImage, 100, 500, 500},    // T = 0: every attempt
      {eReactImage, 50, 150, 350},     // the bright half only
      {eReactOpposite, 50, 150, 350},  // the dark half only
      {eReactRandom, 0, 500, 500},     // everywhere, whatever the threshold
  };
  for (const Case& c : cases) {
    m_effect.SetNumObjReaction(c.reaction);
    m_effect.SetAreaCovered(c.area);
    CRandomSource random(3);
    PlacementInput in{&picture, &field, field.GetMinForceFromArea(c.area), 1.0, 0, 1};
    const auto objects = PlaceObjects(m_effect, in, random);
    EXPECT_GE(objects.size(), c.minCount) << c.reaction << " " << c.area;
    EXPECT_LE(objects.size(), c.maxCount) << c.reaction << " " << c.area;
    for (const PlacedObject& o : objects) {
      const double y = o.transform.at(1, 3);
      if (c.reaction == eReactImage && c.area == 50) {
        EXPECT_LT(y, 10);
      }
      if (c.reaction == eReactOpposite && c.area == 50) {
        EXPECT_GE(y, 10);
      }
    }
  }
}

TEST_F(PlacementTest, SizeFormula) {
  m_effect.SetSize(10.0);
  m_effect.SetSizeVar(0.5);
  CRandomSource random(1);
  m_effect.SetSizeReaction(eReactImage);
  EXPECT_DOUBLE_EQ(SizeFor(m_effect, 0, random), 5.0);
  EXPECT_DOUBLE_EQ(SizeFor(m_effect, 255, random), 15.0);
  m_effect.SetSizeReaction(eReactOpposite);
  EXPECT_DOUBLE_EQ(SizeFor(m_effect, 0, random), 15.0);
  EXPECT_EQ(random.State(), 1u);  // no draws so far
  m_effect.SetSizeReaction(eReactRandom);
  const double first = 41 * 3.051850947599719e-05;  // the first draw after seeding with 1
  EXPECT_DOUBLE_EQ(SizeFor(m_effect, 255, random), 10.0 + (first - 0.5) * 2 * 0.5 * 10.0);
  m_effect.SetSizeVar(0.0);
  EXPECT_DOUBLE_EQ(SizeFor(m_effect, 77, random), 10.0);  // the draw still happens
}

TEST_F(PlacementTest, AngleFormula) {
  const double toRad = 3.14159265359 * 0.005555555555555556;
  CRandomSource random(1);
  m_effect.SetAngle(10.0);
  m_effect.SetAngleVar(90.0);
  m_effect.SetAngleReaction(eReactImage);
  EXPECT_DOUBLE_EQ(AngleFor(m_effect, 255, random), 100.0 * toRad);
  EXPECT_DOUBLE_EQ(AngleFor(m_effect, 0, random), 10.0 * toRad);
  m_effect.SetAngleReaction(eReactOpposite);
  EXPECT_DOUBLE_EQ(AngleFor(m_effect, 0, random), 100.0 * toRad);
  m_effect.SetAngleVar(0.0);
  m_effect.SetAngleReaction(eReactImage);
  EXPECT_DOUBLE_EQ(AngleFor(m_effect, 200, random), 10.0 * toRad);
  m_effect.SetAngleReaction(eReactRandom);  // the base angle is not added
  const double first = 41 * 3.051850947599719e-05;
  EXPECT_DOUBLE_EQ(AngleFor(m_effect, 0, random), (-180.0 + first * 360.0) * toRad);
}

TEST_F(PlacementTest, OppositeCountsForceZeroAs255) {
  CDADC picture(SIZE{4, 4});  // black: force 0 everywhere
  picture.GetDC().SetPixel(0, 0, RGB(255, 255, 255));
  CForceField field(picture);
  m_effect.SetNumObjects(50);
  m_effect.SetNumObjReaction(eReactOpposite);
  m_effect.SetSizeReaction(eReactImage);
  m_effect.SetSize(10.0);
  m_effect.SetSizeVar(0.5);
  CRandomSource random(9);
  PlacementInput in{&picture, &field, 255, 1.0, 0, 1};
  const auto objects = PlaceObjects(m_effect, in, random);
  ASSERT_FALSE(objects.empty());
  for (const PlacedObject& o : objects) {
    EXPECT_FALSE(o.transform.at(0, 3) == 0 && o.transform.at(1, 3) == 0);             // the white pixel never draws
    EXPECT_NEAR(std::hypot(o.transform.at(0, 0), o.transform.at(1, 0)), 15.0, 1e-9);  // as force 255
  }
}

TEST_F(PlacementTest, TransformSitsOnTheWorkingPixel) {
  CMatrix m;
  BuildTransform(m, 40, 20, 10.0, 0.0);
  const CVec up = m.Apply2D(CVec(0, 1, 0));
  EXPECT_DOUBLE_EQ(up.x, 40.0);
  EXPECT_DOUBLE_EQ(up.y, 10.0);  // the drawing's y axis points up the picture

  CDADC picture(SIZE{5, 5}, RGB(50, 50, 50));
  CForceField field(picture);
  m_effect.SetNumObjects(20);
  CRandomSource random(5), replay(5);
  PlacementInput in{&picture, &field, 0, 2.0, 0, 2};
  for (const PlacedObject& o : PlaceObjects(m_effect, in, random)) {
    const int x = replay.RandomInt(0, 4), y = replay.RandomInt(0, 4);
    EXPECT_EQ(o.transform.at(0, 3), 2.0 * x);
    EXPECT_EQ(o.transform.at(1, 3), 2.0 * y);
    for (int i = 0; i < 11; ++i) replay.Draw();  // size, shape, 9 colour draws
  }
}

}  // namespace
}  // namespace brisol
