#include "raster/Random.h"

#include <gtest/gtest.h>

#include "raster/Colour.h"

namespace brisol {
namespace {

TEST(Random, FirstDrawsAfterSeeding) {
  struct Case {
    std::uint32_t seed;
    int first;
  };
  for (const Case& c : {Case{1, 41}, Case{0, 38}}) {
    CRandomSource random(c.seed);
    EXPECT_EQ(random.Draw(), c.first) << "seed " << c.seed;
  }
  CRandomSource fresh;  // starts at 1
  EXPECT_EQ(fresh.Draw(), 41);
  EXPECT_EQ(fresh.Draw(), 18467);
  EXPECT_EQ(fresh.Draw(), 6334);
}

TEST(Random, SameSeedSameSequence) {
  CRandomSource a(12345), b(12345);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.Draw(), b.Draw());
}

TEST(Random, RandomIntMapping) {
  struct Case {
    int a, b, draw, expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0},     {0, 0, 32767, 0}, {0, 255, 32767, 255}, {0, 255, 32766, 255}, {0, 255, 0, 0},
      {0, 255, 127, 0}, {0, 255, 128, 1}, {-5, 5, 0, -5},       {-5, 5, 32767, 5},    {10, 20, 16383, 15},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CRandomSource::MapToInt(c.a, c.b, c.draw), c.expected) << c.a << ".." << c.b << " draw " << c.draw;
  }
  // Wide ranges stay inside their bounds.
  EXPECT_EQ(CRandomSource::MapToInt(0, 1000000, 32767), 999970);
  EXPECT_EQ(CRandomSource::MapToInt(0, 2000000000, 32767), 1999938963);  // no 32-bit overflow
  CRandomSource random(7);
  for (int i = 0; i < 10000; ++i) {
    const int v = random.RandomInt(3, 9);
    ASSERT_GE(v, 3);
    ASSERT_LE(v, 9);
  }
}

TEST(Random, RandomDoubleEnds) {
  CRandomSource random(1);
  const double first = random.RandomDouble(0.0, 1.0);
  EXPECT_DOUBLE_EQ(first, 41 * 3.051850947599719e-05);
  for (int i = 0; i < 10000; ++i) {
    const double v = random.RandomDouble(-2.0, 3.0);
    ASSERT_GE(v, -2.0);
    ASSERT_LE(v, 3.0 + 1e-12);
  }
}

TEST(Random, RandomColorDrawsRedGreenBlueInOrder) {
  CRandomSource random(99), reference(99);
  const int r = reference.RandomInt(0, 255), g = reference.RandomInt(0, 255), b = reference.RandomInt(0, 255);
  EXPECT_EQ(random.RandomColor(), RGB(r, g, b));
  EXPECT_EQ(random.State(), reference.State());
}

}  // namespace
}  // namespace brisol
