#include "dxf/DxfPolygonMesh.h"

#include <gtest/gtest.h>

#include "dxf/DxfModelTestUtil.h"

namespace brisol {
namespace {

struct FaceCountCase {
  int m, n, flags, faces;
};

class PolygonMeshFacesTest : public ::testing::TestWithParam<FaceCountCase> {};

TEST_P(PolygonMeshFacesTest, FaceCountFollowsSizesAndClosedFlags) {
  const FaceCountCase& c = GetParam();
  // The flags come first, as a POLYLINE record gives them.
  CDxfPolygonMesh mesh;
  mesh.SetFlags(c.flags);
  mesh.SetM(c.m);
  mesh.SetN(c.n);
  EXPECT_EQ(mesh.GetFaceCount(), c.faces);
  // And in the other order.
  CDxfPolygonMesh other;
  other.SetM(c.m);
  other.SetN(c.n);
  other.SetFlags(c.flags);
  EXPECT_EQ(other.GetFaceCount(), c.faces);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PolygonMeshFacesTest,
                         ::testing::Values(FaceCountCase{3, 4, 16 | 1, 9},   // (2 x 3) + 3
                                           FaceCountCase{3, 4, 16, 6},       // open both ways
                                           FaceCountCase{3, 4, 16 | 32, 8},  // closed in N: + M - 1
                                           FaceCountCase{3, 4, 16 | 1 | 32, 11},
                                           FaceCountCase{1, 4, 16 | 1, 0},  // a single row has no faces
                                           FaceCountCase{4, 0, 16, 0},
                                           FaceCountCase{32767, 32767, 16 | 1 | 32, 32766 * 32766 + 2 * 32766}));

TEST(CDxfPolygonMesh, NegativeOrHugeCountsAreRefused) {
  CDxfPolygonMesh mesh;
  mesh.SetM(3);
  test::TraceLog traces;
  mesh.SetM(-1);
  mesh.SetN(40000);
  EXPECT_EQ(mesh.GetM(), 3);
  EXPECT_EQ(mesh.GetN(), 0);
  const std::vector<std::string> expected = {"CDxfPolygonMesh::SetM(-1), out of range 0 to 32767",
                                             "CDxfPolygonMesh::SetN(40000), out of range 0 to 32767"};
  EXPECT_EQ(traces.Texts(), expected);
}

TEST(CDxfPolygonMesh, VerticesBeyondTheGridAreRefused) {
  CDxfPolygonMesh mesh;
  mesh.SetM(2);
  mesh.SetN(2);
  for (int i = 0; i < 4; ++i) mesh.AddVertex({static_cast<double>(i), 0, 0});
  test::TraceLog traces;
  mesh.AddVertex({9, 9, 9});
  EXPECT_EQ(mesh.GetVertexCount(), 4);
  EXPECT_EQ(mesh.GetVertex(1, 1), CVec(3, 0, 0));
  EXPECT_EQ(mesh.GetVertex(1, 0), CVec(2, 0, 0));  // row by row
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "CDxfPolygonMesh::AddVertex, no room for more than 2 x 2 vertices");
}

TEST(CDxfPolygonMesh, VerticesBeforeTheSizesAreAllDropped) {
  CDxfPolygonMesh mesh;
  test::TraceLog traces;
  mesh.AddVertex({1, 1, 1});
  mesh.SetM(2);  // too late: the grid was sized 0 x 0
  mesh.SetN(2);
  mesh.AddVertex({1, 1, 1});
  EXPECT_EQ(mesh.GetVertexCount(), 0);
  EXPECT_EQ(mesh.GetM(), 0);
  EXPECT_EQ(mesh.GetSlotCount(), 0);
  EXPECT_EQ(traces.Texts().size(), 4u);
  CVec min(5, 5, 5), max(6, 6, 6);
  mesh.GetExtents(min, max);
  EXPECT_EQ(min, CVec(5, 5, 5));  // unchanged
}

TEST(CDxfPolygonMesh, SizesCannotChangeOnceVerticesAreStored) {
  CDxfPolygonMesh mesh;
  mesh.SetM(2);
  mesh.SetN(2);
  mesh.AddVertex({1, 1, 1});
  test::TraceLog traces;
  mesh.SetM(50);
  mesh.SetN(2);  // the same value is fine
  EXPECT_EQ(mesh.GetM(), 2);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "CDxfPolygonMesh::SetM(50), vertices already stored for 2 x 2");
}

TEST(CDxfPolygonMesh, HugeGridCostsOnlyTheVerticesGiven) {
  CDxfPolygonMesh mesh;
  mesh.SetM(32767);
  mesh.SetN(32767);
  mesh.AddVertex({1, 2, 3});
  EXPECT_EQ(mesh.GetSlotCount(), 32767LL * 32767LL);
  EXPECT_EQ(mesh.GetVertexCount(), 1);
  EXPECT_EQ(mesh.GetVertex(32766, 32766), kZeroVec);
}

TEST(CDxfPolygonMesh, ExtentsCoverEverySlotInXAndY) {
  CDxfPolygonMesh mesh;
  mesh.SetM(1);
  mesh.SetN(3);
  mesh.AddVertex({1, 2, 3});
  mesh.AddVertex({4, 5, 6});
  CVec min, max;
  mesh.GetExtents(min, max);
  EXPECT_EQ(min, CVec(0, 0, 0));  // the third slot is still zero
  EXPECT_EQ(max, CVec(4, 5, 0));
  mesh.AddVertex({2, 3, 0});
  mesh.GetExtents(min, max);
  EXPECT_EQ(min, CVec(1, 2, 0));
}

}  // namespace
}  // namespace brisol
