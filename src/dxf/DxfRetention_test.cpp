#include "dxf/DxfRetention.h"

#include <gtest/gtest.h>

#include "dxf/DxfBlock.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"

namespace brisol {
namespace {

struct ExtrusionCase {
  CVec n;
  bool circleOrArc, ellipse;
};

class ExtrusionTest : public ::testing::TestWithParam<ExtrusionCase> {};

TEST_P(ExtrusionTest, WhichEntitiesAreKept) {
  EXPECT_EQ(ExtrusionKeepsCircleOrArc(GetParam().n), GetParam().circleOrArc);
  EXPECT_EQ(ExtrusionKeepsEllipse(GetParam().n), GetParam().ellipse);
}

INSTANTIATE_TEST_SUITE_P(Directions, ExtrusionTest,
                         ::testing::Values(ExtrusionCase{{0, 0, 1}, true, true}, ExtrusionCase{{0, 0, 0.5}, true, true},
                                           ExtrusionCase{{0, 0, -1}, false, true},
                                           ExtrusionCase{{0, 0, 0}, false, false},
                                           ExtrusionCase{{0.001, 0, 1}, false, false},
                                           ExtrusionCase{{0, -0.001, 1}, false, false}));

TEST(EllipseIsFull, StartExactlyZeroAndEndNearTwoPi) {
  EXPECT_TRUE(EllipseIsFull(0.0, 6.28318530718));
  EXPECT_TRUE(EllipseIsFull(0.0, 6.28318530718 - 0.9e-05));
  EXPECT_TRUE(EllipseIsFull(0.0, 6.283185307179586));  // the exact 2 pi of other programs
  EXPECT_FALSE(EllipseIsFull(0.0, 6.28318530718 - 2e-05));
  EXPECT_FALSE(EllipseIsFull(1e-12, 6.28318530718));
  EXPECT_FALSE(EllipseIsFull(0.0, 3.14159265359));
}

struct AxesCase {
  CVec major;
  double ratio, halfX, halfY;
};

class EllipseAxesTest : public ::testing::TestWithParam<AxesCase> {};

TEST_P(EllipseAxesTest, LargerComponentIsTheMajorHalfAxis) {
  double x = -1, y = -1;
  EllipseHalfAxes(GetParam().major, GetParam().ratio, x, y);
  EXPECT_DOUBLE_EQ(x, GetParam().halfX);
  EXPECT_DOUBLE_EQ(y, GetParam().halfY);
}

INSTANTIATE_TEST_SUITE_P(Axes, EllipseAxesTest,
                         ::testing::Values(AxesCase{{4, 1, 0}, 0.5, 4, 2}, AxesCase{{-1, -4, 0}, 0.5, 2, 4},
                                           AxesCase{{3, -3, 0}, 0.25, 3, 0.75},  // equal: along x
                                           AxesCase{{0, 2, 0}, 1.0, 2, 2}));

TEST(InsertBlockIsUsable, BlockMustExistAndHaveEntities) {
  EXPECT_FALSE(InsertBlockIsUsable(nullptr));
  CDxfBlock block;
  EXPECT_FALSE(InsertBlockIsUsable(&block));
  CDxfLayer layer;
  CDxfPoint point;
  block.GetEntList().AddEntity(&point, &layer);
  EXPECT_TRUE(InsertBlockIsUsable(&block));
}

TEST(IsPaperSpace, OnlyPositiveValues) {
  EXPECT_FALSE(IsPaperSpace(0));
  EXPECT_FALSE(IsPaperSpace(-1));
  EXPECT_TRUE(IsPaperSpace(1));
}

TEST(RouteVertex, ByFlagBits) {
  EXPECT_EQ(RouteVertex(128 | 64), VertexRoute::PolyfaceVertex);
  EXPECT_EQ(RouteVertex(128), VertexRoute::PolyfaceFace);
  EXPECT_EQ(RouteVertex(128 | 32), VertexRoute::PolyfaceFace);
  EXPECT_EQ(RouteVertex(64), VertexRoute::PolygonMeshVertex);
  EXPECT_EQ(RouteVertex(32), VertexRoute::PolylineVertex);
  EXPECT_EQ(RouteVertex(0), VertexRoute::PolylineVertex);
}

}  // namespace
}  // namespace brisol
