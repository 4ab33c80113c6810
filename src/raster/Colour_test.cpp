#include "raster/Colour.h"

#include <gtest/gtest.h>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(Colour, HsvToRgb) {
  struct Case {
    double h, s, v, r, g, b;
  };
  const Case cases[] = {
      {0, 0, 0.5, 0.5, 0.5, 0.5}, {120, 1, 1, 0, 1, 0}, {0, 1, 1, 1, 0, 0},      {240, 1, 1, 0, 0, 1},
      {300, 1, 1, 1, 0, 1},       {360, 1, 1, 1, 0, 0}, {60, 0.5, 1, 1, 1, 0.5},
  };
  for (const Case& c : cases) {
    double r, g, b;
    HsvToRgb(c.h, c.s, c.v, r, g, b);
    EXPECT_DOUBLE_EQ(r, c.r) << c.h;
    EXPECT_DOUBLE_EQ(g, c.g) << c.h;
    EXPECT_DOUBLE_EQ(b, c.b) << c.h;
  }
}

TEST(Colour, HsvToRgbOutOfRangeSectorWarnsAndUsesSectorFive) {
  test::ScopedAlertRecorder rec;
  double r, g, b;
  HsvToRgb(420, 1, 1, r, g, b);  // sector 7
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_EQ(rec.Texts()[0], "HsvToRgb( 7.000, 1.000, 1.000) = (7)\n");
  EXPECT_EQ(rec.sink().Alerts()[0].icon, kIconExclamation);
  EXPECT_DOUBLE_EQ(r, 1);
  EXPECT_DOUBLE_EQ(g, 0);
}

TEST(Colour, RgbToHsv) {
  struct Case {
    double r, g, b, h, s, v;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 1, 1},   {0, 0, 1, 240, 1, 1},       {1, 0, 1, 300, 1, 1},
      {0, 1, 0, 120, 1, 1}, {0.5, 0.5, 0.5, 0, 0, 0.5}, {0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    double h, s, v;
    RgbToHsv(c.r, c.g, c.b, h, s, v);
    EXPECT_DOUBLE_EQ(h, c.h);
    EXPECT_DOUBLE_EQ(s, c.s);
    EXPECT_DOUBLE_EQ(v, c.v);
  }
}

TEST(Colour, HsvColorWrapsHueAndClamps) {
  struct Case {
    double hIn, hOut;
  };
  for (const Case& c : {Case{-30, 330}, Case{725, 5}, Case{360, 0}, Case{-720, 0}, Case{1e12, 280}}) {
    CHsvColor colour(c.hIn, 0.5, 0.5);
    EXPECT_NEAR(colour.Hue(), c.hOut, 1e-6) << c.hIn;
    EXPECT_GE(colour.Hue(), 0.0);
    EXPECT_LT(colour.Hue(), 360.0);
  }
  CHsvColor clamped(10, 2.0, -1.0);
  EXPECT_EQ(clamped.Saturation(), 1.0);
  EXPECT_EQ(clamped.Value(), 0.0);
  CHsvColor fresh;
  EXPECT_EQ(fresh.GetColorRef(), RGB(255, 255, 255));
}

TEST(Colour, RoundTripLosesAtMostOneStep) {
  for (COLORREF c : {RGB(0, 0, 0), RGB(255, 255, 255), RGB(10, 20, 31), RGB(200, 100, 50), RGB(1, 254, 128)}) {
    CHsvColor colour(c);
    const COLORREF back = colour.GetColorRef();
    EXPECT_LE(std::abs(int(GetRValue(back)) - int(GetRValue(c))), 1);
    EXPECT_LE(std::abs(int(GetGValue(back)) - int(GetGValue(c))), 1);
    EXPECT_LE(std::abs(int(GetBValue(back)) - int(GetBValue(c))), 1);
  }
}

TEST(Colour, VaryColorDrawsThreeTimesEvenForZero) {
  CRandomSource random(5), reference(5);
  const COLORREF c = RGB(200, 100, 50);
  const COLORREF v0 = VaryColor(random, c, 0.0);
  reference.Draw();
  reference.Draw();
  reference.Draw();
  EXPECT_EQ(random.State(), reference.State());
  EXPECT_LE(std::abs(int(GetRValue(v0)) - 200), 1);
  EXPECT_LE(std::abs(int(GetGValue(v0)) - 100), 1);
  EXPECT_LE(std::abs(int(GetBValue(v0)) - 50), 1);
}

TEST(Colour, VaryColorOutOfRangeLeavesColourAndSource) {
  for (double v : {-0.1, 1.1}) {
    CRandomSource random(5);
    EXPECT_EQ(VaryColor(random, RGB(1, 2, 3), v), RGB(1, 2, 3));
    EXPECT_EQ(random.State(), 5u);
  }
}

TEST(Colour, VaryColorFollowsTheDraws) {
  // Recompute one variation by hand from the same draws.
  CRandomSource random(77), reference(77);
  const COLORREF c = RGB(30, 160, 90);
  const double v = 0.6;
  CHsvColor from(c);
  const double h = from.Hue() + reference.RandomDouble(-179 * v, 179 * v);
  const double s = from.Saturation() + reference.RandomDouble(-0.5 * v, 0.5 * v);
  const double val = from.Value() + reference.RandomDouble(-0.5 * v, 0.5 * v);
  CHsvColor expected(h, s, val);
  EXPECT_EQ(VaryColor(random, c, v), expected.GetColorRef());
}

}  // namespace
}  // namespace brisol
