#include "dxf/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(Vec, BadIndexIsReportedAndAnswered) {
  test::ScopedAlertRecorder rec;
  CVec v(1, 2, 3, 4);
  EXPECT_EQ(v[3], 4.0);
  EXPECT_EQ(v[4], 1.0);
  EXPECT_EQ(v[-1], 1.0);
  v.setval(7, 99.0);
  EXPECT_EQ(v, CVec(1, 2, 3, 4));
  const auto alerts = rec.sink().Alerts();
  ASSERT_EQ(alerts.size(), 3u);
  EXPECT_EQ(alerts[0].text, "Bad index for CVec operator[4]");
  EXPECT_EQ(alerts[0].caption, "DxfMsg");
  EXPECT_EQ(alerts[0].icon, kIconExclamation);
  EXPECT_EQ(alerts[1].text, "Bad index for CVec operator[-1]");
  EXPECT_EQ(alerts[2].text, "Bad size in setval:7");
}

TEST(Vec, Arithmetic) {
  CVec zero;
  zero.Normalize();
  EXPECT_EQ(zero, CVec(1, 0, 0));
  EXPECT_EQ(CVec::Cross(kUnitX, kUnitY), CVec(0, 0, 1));
  CVec v(3, 4, 0, 7);
  EXPECT_EQ(v.Length(), 5.0);
  v.Normalize();
  EXPECT_DOUBLE_EQ(v.x, 0.6);
  EXPECT_EQ(v.w, 7.0);  // w is carried
  v.Set(1, 1, 1);
  EXPECT_EQ(v.w, 0.0);
  EXPECT_DOUBLE_EQ(CVec::Distance2D({0, 0, 5}, {3, 4, 0}), 5.0);
  EXPECT_DOUBLE_EQ(CVec::Distance3D({0, 0, 0}, {1, 2, 2}), 3.0);
  EXPECT_DOUBLE_EQ(CVec::Angle(kUnitX, kUnitY), std::acos(0.0));
  CVec n(-1, 2, -3);
  n.Abs();
  EXPECT_EQ(n, CVec(1, 2, 3));
  EXPECT_EQ(CVec(1, 2, 3, 4) * 2.0, CVec(2, 4, 6, 8));
}

TEST(Matrix, MakeTransformScalesRotatesThenTranslates) {
  CMatrix m;
  m.MakeTransform(CVec(2, -2, 0), kHalfPi, CVec(100, 50, 0));
  const CVec a = m.Apply2D(CVec(1, 0, 0));
  const CVec b = m.Apply2D(CVec(0, 1, 0));
  EXPECT_NEAR(a.x, 100.0, 1e-9);
  EXPECT_NEAR(a.y, 52.0, 1e-9);
  EXPECT_NEAR(b.x, 102.0, 1e-9);
  EXPECT_NEAR(b.y, 50.0, 1e-9);
  const CVec c = m.Apply3D(CVec(1, 0, 5));
  EXPECT_EQ(c.w, 0.0);
}

TEST(Matrix, BadIndicesReportRowFirst) {
  test::ScopedAlertRecorder rec;
  CMatrix m;
  EXPECT_EQ(m.getval(5, 7), 1.0);
  EXPECT_EQ(m.getval(1, 9), 1.0);
  m.setval(4, 0, 3.0);
  m.setval(0, -1, 3.0);
  EXPECT_EQ(m, CMatrix());
  EXPECT_EQ(rec.Texts(), (std::vector<std::string>{"CMatrix::getval, bad row:5", "CMatrix::getval, bad column:9",
                                                   "CMatrix::setval, bad row:4", "CMatrix::setval, bad column:-1"}));
}

TEST(Matrix, RotationAboutEachAxis) {
  struct Case {
    int axis;
    int b, c;
  };
  for (const Case& k : {Case{0, 1, 2}, Case{1, 2, 0}, Case{2, 0, 1}}) {
    CMatrix m;
    m.SetRotation(0.3, k.axis);
    EXPECT_DOUBLE_EQ(m.getval(k.b, k.b), std::cos(0.3));
    EXPECT_DOUBLE_EQ(m.getval(k.c, k.c), std::cos(0.3));
    EXPECT_DOUBLE_EQ(m.getval(k.c, k.b), std::sin(0.3));
    EXPECT_DOUBLE_EQ(m.getval(k.b, k.c), -std::sin(0.3));
    EXPECT_EQ(m.getval(k.axis, k.axis), 1.0);
  }
}

TEST(Matrix, MultiplyMayAliasItsOperands) {
  CMatrix t;
  t.SetTranslation(CVec(1, 2, 3));
  t.Multiply(t, t);
  EXPECT_EQ(t.getval(0, 3), 2.0);
  EXPECT_EQ(t.getval(2, 3), 6.0);
}

TEST(Matrix, ArbitraryAxesOfZIsTheUsualPlane) {
  CVec ax, ay;
  ArbitraryAxes(kUnitZ, ax, ay);
  EXPECT_EQ(ax, CVec(1, 0, 0));
  EXPECT_EQ(ay, CVec(0, 1, 0));
  ArbitraryAxes(CVec(1, 0, 0), ax, ay);
  EXPECT_EQ(ax, CVec(0, 1, 0));
  EXPECT_EQ(ay, CVec(0, 0, 1));
}

}  // namespace
}  // namespace brisol
