#include "effect/ForceField.h"

#include <gtest/gtest.h>

#include "RecordingAlertSink.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

CDADC HalfBlackHalfWhite(int w, int h) {
  CDADC s(SIZE{w, h});
  s.GetDC().FillSolidRect(0, 0, w, h / 2, RGB(255, 255, 255));
  return s;
}

TEST(ForceField, BrightnessIsThePlainMeanOfTheChannels) {
  CDADC s(SIZE{3, 1});
  s.GetDC().SetPixel(0, 0, RGB(31, 20, 10));  // blue 10, green 20, red 31: 61 / 3 = 20
  s.GetDC().SetPixel(1, 0, RGB(0, 0, 0));
  s.GetDC().SetPixel(2, 0, RGB(255, 255, 255));
  CForceField field(s);
  EXPECT_EQ(field.GetForce(0, 0), 20u * 255u / 255u);
  EXPECT_EQ(field.GetForce(1, 0), 0u);
  EXPECT_EQ(field.GetForce(2, 0), 255u);
}

TEST(ForceField, NormalisesToTheFullRangeTopRowFirst) {
  CDADC s(SIZE{2, 2});
  s.GetDC().FillSolidRect(0, 0, 2, 1, RGB(100, 100, 100));  // top row
  s.GetDC().FillSolidRect(0, 1, 2, 1, RGB(50, 50, 50));
  s.GetDC().SetPixel(1, 1, RGB(60, 60, 60));
  CForceField field(s);
  EXPECT_EQ(field.GetForce(0, 0), 255u);
  EXPECT_EQ(field.GetForce(0, 1), 0u);
  EXPECT_EQ(field.GetForce(1, 1), 10u * 255u / 50u);
}

TEST(ForceField, OneColourIsLeftUnnormalised) {
  test::ScopedAlertRecorder rec;
  CDADC s(SIZE{4, 4}, RGB(90, 90, 90));
  CForceField field(s);
  EXPECT_EQ(field.GetForce(3, 3), 90u);
  EXPECT_TRUE(rec.Texts().empty());  // information only
}

TEST(ForceField, ThresholdsOfHalfBlackHalfWhite) {
  struct Case {
    int side;
    double area;
    int threshold;
  };
  const Case cases[] = {
      {100, 50, 255}, {100, 50.1, 0}, {100, 0, 256},  {100, -3, 256},
      {100, 100, 0},  {100, 150, 0},  {100, 10, 255}, {10, 0.5, 255},  // target 0.5 * 100 * 0.01 truncates to 0
  };
  for (const Case& c : cases) {
    CDADC s = HalfBlackHalfWhite(c.side, c.side);
    CForceField field(s);
    EXPECT_EQ(field.GetMinForceFromArea(c.area), c.threshold) << c.side << " " << c.area;
    const auto* histogram = field.Histogram();
    ASSERT_NE(histogram, nullptr);
    EXPECT_EQ((*histogram)[0], static_cast<unsigned>(c.side * c.side / 2));
    EXPECT_EQ((*histogram)[255], static_cast<unsigned>(c.side * c.side / 2));
  }
}

TEST(ForceField, EmptyPictureLogsAndAnswersSafely) {
  test::ScopedAlertRecorder rec;
  CDADC failed(SIZE{0, 0});
  CForceField field(failed);
  ASSERT_FALSE(rec.Texts().empty());
  EXPECT_EQ(rec.Texts().back(), "ERROR in input parameteres of NormaliseForceField\nMax = 0, Min = 20000000\n");
  EXPECT_EQ(field.GetForce(0, 0), 0u);
  EXPECT_EQ(field.GetMinForceFromArea(50), 255);  // a target of 0 is reached at once
}

TEST(ForceField, MissingHistogramIsReported) {
  test::ScopedAlertRecorder rec;
  CForceField empty;
  EXPECT_EQ(empty.GetMinForceFromArea(50), 127);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"ERROR in GetMinForceFromArea, NULL histogram"});
}

TEST(ForceField, ForcesOnDemandAreTheStoredForces) {
  test::ScopedAlertRecorder rec;  // the uniform picture's warning
  CDADC noise(SIZE{37, 23});
  unsigned state = 3;
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      state = state * 1664525u + 1013904223u;
      noise.GetDC().SetPixel(x, y, RGB(40 + (state >> 26), 60 + (state >> 27), 90 + x));
    }
  CDADC uniform(SIZE{5, 4}, RGB(7, 8, 9));
  const CDADC halves = HalfBlackHalfWhite(6, 4);
  for (const CDADC* picture : std::initializer_list<const CDADC*>{&noise, &uniform, &halves}) {
    const CForceField stored(*picture);
    const WorkerPool pool(3);
    const CForceField onDemand = CForceField::OnDemand(*picture, &pool);
    EXPECT_FALSE(onDemand.HasForces());
    for (int y = 0; y < picture->GetHeight(); ++y)
      for (int x = 0; x < picture->GetWidth(); ++x) ASSERT_EQ(stored.GetForce(x, y), onDemand.GetForce(x, y));
    EXPECT_EQ(*stored.Histogram(), *onDemand.Histogram());
    for (double area : {0.0, 0.5, 10.0, 50.0, 50.1, 99.0, 100.0})
      EXPECT_EQ(stored.GetMinForceFromArea(area), onDemand.GetMinForceFromArea(area)) << area;
  }
}

}  // namespace
}  // namespace brisol
