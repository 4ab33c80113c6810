#include "dxf/DxfColours.h"

#include <gtest/gtest.h>

namespace brisol {
namespace {

struct ColourCase {
  int index;
  unsigned r, g, b;
};

class DxfColourTableTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(DxfColourTableTest, EntryHasTheExpectedRgb) {
  const ColourCase& c = GetParam();
  EXPECT_EQ(DxfColour(c.index), RGB(c.r, c.g, c.b)) << "index " << c.index;
}

INSTANTIATE_TEST_SUITE_P(FixedAndFamilyColours, DxfColourTableTest,
                         ::testing::Values(ColourCase{0, 0, 0, 0}, ColourCase{1, 255, 0, 0}, ColourCase{2, 255, 255, 0},
                                           ColourCase{3, 0, 255, 0}, ColourCase{4, 0, 255, 255},
                                           ColourCase{5, 0, 0, 255}, ColourCase{6, 255, 0, 255}, ColourCase{7, 0, 0, 0},
                                           ColourCase{8, 120, 120, 120}, ColourCase{9, 200, 200, 200},
                                           // the hue families: full and pale shades, levels, hue sectors
                                           ColourCase{10, 255, 0, 0}, ColourCase{11, 255, 127, 127},
                                           ColourCase{12, 165, 0, 0}, ColourCase{20, 255, 63, 0},
                                           ColourCase{33, 165, 124, 82}, ColourCase{249, 38, 19, 23},
                                           ColourCase{18, 38, 0, 0}, ColourCase{90, 0, 255, 0},
                                           ColourCase{170, 0, 0, 255},
                                           // the greys at the end
                                           ColourCase{250, 84, 84, 84}, ColourCase{251, 118, 118, 118},
                                           ColourCase{254, 220, 220, 220}, ColourCase{255, 255, 255, 255}));

TEST(DxfColourTable, NumbersOutsideTheTableGiveTheColourOfSeven) {
  EXPECT_EQ(DxfColour(-1), DxfColour(7));
  EXPECT_EQ(DxfColour(256), DxfColour(7));
  EXPECT_EQ(DxfColour(300), RGB(0, 0, 0));
}

TEST(DxfColourTable, EveryEntryHasAnEmptyTopByte) {
  for (COLORREF c : DxfColourTable()) EXPECT_EQ(c & 0xFF000000u, 0u);
}

}  // namespace
}  // namespace brisol
