#include "raster/Numeric.h"

#include <gtest/gtest.h>

#include <cmath>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(Numeric, KeepWithinRangeDouble) {
  test::ScopedAlertRecorder rec;
  struct Case {
    double x, min, max, expected;
  };
  for (const Case& c :
       {Case{5, 0, 10, 5}, Case{-1, 0, 10, 0}, Case{11, 0, 10, 10}, Case{0.05, 0.1, 30, 0.1}, Case{50, 0.1, 30, 30}}) {
    EXPECT_EQ(KeepWithinRange(c.x, c.min, c.max), c.expected);
  }
  EXPECT_EQ(KeepWithinRange(std::nan(""), 1.0, 2.0), 1.0);
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_EQ(KeepWithinRange(5.0, 1.0, 1.0), 5.0);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"KeepWithinRange(double) error: (min= 1.000, max= 1.000)\n"});
}

TEST(Numeric, KeepWithinRangeUnsigned) {
  test::ScopedAlertRecorder rec;
  EXPECT_EQ(KeepWithinRange(static_cast<unsigned>(-1), 0u, 100u), 100u);
  EXPECT_EQ(KeepWithinRange(50u, 0u, 100u), 50u);
  EXPECT_EQ(KeepWithinRange(2u, 5u, 100u), 5u);
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_EQ(KeepWithinRange(7u, 9u, 3u), 7u);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"KeepWithinRange(unsigned) error: (min=9, max=3)\n"});
}

TEST(Numeric, BorderFromPercent) {
  struct Case {
    double percent;
    SIZE size;
    int expected;
  };
  for (const Case& c : {Case{0.1, {30, 40}, 1}, Case{1, {300, 400}, 5}, Case{-1, {300, 400}, 3},
                        Case{101, {300, 400}, 3}, Case{100, {300, 400}, 500}, Case{0, {300, 400}, 1}}) {
    EXPECT_EQ(BorderFromPercent(c.percent, c.size), c.expected) << c.percent;
  }
  EXPECT_DOUBLE_EQ(Diagonal({300, 400}), 500.0);
}

}  // namespace
}  // namespace brisol
