#include "dxf/DxfPolyfaceMesh.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "dxf/DxfLayer.h"
#include "dxf/DxfMesh.h"
#include "dxf/DxfModelTestUtil.h"
#include "dxf/EntList.h"

namespace brisol {
namespace {

// Vertices 1..6 and 8 in the plane z = 0, vertex 7 above it.
CDxfPolyfaceMesh MeshWithFaces(const std::vector<DxfFace>& faces) {
  CDxfPolyfaceMesh mesh;
  const CVec vertices[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {-1, 1, 0}, {2, 0, 0}, {0, 0, 1}, {-1, 2, 0}};
  for (const CVec& v : vertices) mesh.AddVertex(v);
  for (const DxfFace& f : faces) EXPECT_TRUE(mesh.AddFace(f));
  return mesh;
}

DxfFace Tri(int a, int b, int c) { return DxfFace{3, {a, b, c, 0}}; }
DxfFace Quad(int a, int b, int c, int d) { return DxfFace{4, {a, b, c, d}}; }

std::vector<std::vector<int>> FacesOf(const CDxfPolyfaceMesh& mesh) {
  std::vector<std::vector<int>> faces;
  for (int f = 0; f < mesh.GetFaceCount(); ++f) {
    const DxfFace face = mesh.GetFace(f);
    faces.emplace_back(face.v, face.v + face.count);
  }
  return faces;
}

struct MergeCase {
  std::string name;
  std::vector<DxfFace> faces;
  std::vector<std::vector<int>> expected;  // the numbers in use per face
  friend void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }
};

class MergeTrianglesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeTrianglesTest, Faces) {
  CDxfPolyfaceMesh mesh = MeshWithFaces(GetParam().faces);
  mesh.MergeTriangles();
  EXPECT_EQ(FacesOf(mesh), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTrianglesTest,
    ::testing::Values(
        // shared 2 and 3 at positions 1 and 2; the fourth point 4 goes between them
        MergeCase{"CoplanarPairBecomesAQuadrilateral", {Tri(1, 2, 3), Tri(3, 2, 4)}, {{1, 2, 4, 3}, {}}},
        // shared at positions 0 and 1
        MergeCase{"SharedEdgeAtTheStart", {Tri(2, 3, 1), Tri(3, 2, 4)}, {{2, 4, 3, 1}, {}}},
        // shared at positions 0 and 2
        MergeCase{"SharedEdgeAcrossTheEnd", {Tri(3, 1, 2), Tri(3, 2, 4)}, {{3, 1, 2, 4}, {}}},
        MergeCase{"OppositeWindingsMergeToo", {Tri(1, 2, 3), Tri(2, 3, 4)}, {{1, 2, 4, 3}, {}}},
        MergeCase{"TrianglesAtRightAnglesStayApart", {Tri(1, 2, 3), Tri(1, 2, 7)}, {{1, 2, 3}, {1, 2, 7}}},
        MergeCase{"OneSharedVertexIsNotAnEdge", {Tri(1, 2, 3), Tri(2, 6, 4)}, {{1, 2, 3}, {2, 6, 4}}},
        MergeCase{"OnlyTrianglesMerge", {Tri(1, 2, 3), Quad(3, 2, 4, 5)}, {{1, 2, 3}, {3, 2, 4, 5}}},
        // the first partner in file order wins; the other stays a triangle
        MergeCase{
            "FirstPartnerInFileOrderWins", {Tri(1, 2, 3), Tri(3, 2, 4), Tri(1, 3, 5)}, {{1, 2, 4, 3}, {}, {1, 3, 5}}},
        // a triangle left over finds a later partner of its own
        MergeCase{"LeftOverTriangleFindsALaterPartner",
                  {Tri(1, 2, 3), Tri(3, 2, 4), Tri(1, 3, 5), Tri(1, 6, 2), Tri(5, 3, 8)},
                  {{1, 2, 4, 3}, {}, {1, 3, 8, 5}, {1, 6, 2}, {}}}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

TEST(MergeTriangles, MergedFaceCountsAreFourAndZero) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({Tri(1, 2, 3), Tri(3, 2, 4)});
  mesh.MergeTriangles();
  EXPECT_EQ(mesh.GetFace(0).count, 4);
  EXPECT_EQ(mesh.GetFace(1).count, 0);
  EXPECT_EQ(mesh.GetFaceCount(), 2);  // the merged face stays in the array
  EXPECT_EQ(mesh.GetUsedFaceCount(), 1);
}

TEST(MergeTriangles, DuplicateNumbersAreTracedAndLeftAlone) {
  // Both lie in the plane x = 0 (the second degenerate, so its normal is
  // x as well): they agree, but the second has no point of its own.
  CDxfPolyfaceMesh mesh = MeshWithFaces({Tri(1, 3, 7), Tri(3, 7, 7)});
  test::TraceLog traces;
  mesh.MergeTriangles();
  EXPECT_EQ(FacesOf(mesh), (std::vector<std::vector<int>>{{1, 3, 7}, {3, 7, 7}}));
  ASSERT_FALSE(traces.Texts().empty());
  EXPECT_EQ(traces.Texts()[0], "MergeTriangles, Error: could not find 4th point");
}

// The merge as a plain scan of every later face, to compare with.
std::vector<std::vector<int>> ReferenceMerge(const CDxfPolyfaceMesh& mesh) {
  std::vector<DxfFace> f;
  for (int k = 0; k < mesh.GetFaceCount(); ++k) f.push_back(mesh.GetFace(k));
  auto normal = [&](const DxfFace& face) {
    const CVec p = mesh.GetPoint(face.v[0]), q = mesh.GetPoint(face.v[1]), r = mesh.GetPoint(face.v[2]);
    CVec n = CVec::Cross(p - q, p - r);
    n.Normalize();
    return n;
  };
  auto in = [](const DxfFace& face, int x) { return face.v[0] == x || face.v[1] == x || face.v[2] == x; };
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i].count != 3) continue;
    const CVec ni = normal(f[i]);
    for (std::size_t j = i + 1; j < f.size(); ++j) {
      if (f[j].count != 3) continue;
      std::vector<int> common, where;
      for (int k = 0; k < 3; ++k)
        if (in(f[j], f[i].v[k])) common.push_back(f[i].v[k]);
      if (common.size() != 2) continue;
      const CVec nj = normal(f[j]);
      if ((ni - nj).Length() > 0.01 && (ni + nj).Length() > 0.01) continue;
      int fourth = -1;
      for (int k = 0; k < 3 && fourth < 0; ++k)
        if (!in(f[i], f[j].v[k])) fourth = f[j].v[k];
      if (fourth >= 0) {
        int d = -1, e = -1;
        for (int k = 0; k < 3; ++k) {
          if (d < 0 && f[i].v[k] == common[0]) d = k;
          if (e < 0 && f[i].v[k] == common[1]) e = k;
        }
        const int a = f[i].v[0], b = f[i].v[1], c = f[i].v[2];
        bool done = true;
        if (d == 0 && e == 1)
          f[i] = Quad(a, fourth, b, c);
        else if (d == 1 && e == 2)
          f[i] = Quad(a, b, fourth, c);
        else if (d == 0 && e == 2)
          f[i] = Quad(a, b, c, fourth);
        else
          done = false;
        if (done) f[j].count = 0;
      }
      break;
    }
  }
  std::vector<std::vector<int>> out;
  for (const DxfFace& face : f) out.emplace_back(face.v, face.v + face.count);
  return out;
}

TEST(MergeTriangles, AgreesWithAPlainScanOnRandomMeshes) {
  std::uint32_t state = 12345;
  auto next = [&state](int n) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) % static_cast<std::uint32_t>(n));
  };
  int merged = 0;
  for (int round = 0; round < 300; ++round) {
    CDxfPolyfaceMesh mesh;
    const int vertices = 4 + next(8);
    // Few distinct heights, so that many triangles lie in one plane.
    for (int v = 0; v < vertices; ++v)
      mesh.AddVertex({static_cast<double>(next(3)), static_cast<double>(next(3)), static_cast<double>(next(2))});
    const int faces = 2 + next(25);
    for (int k = 0; k < faces; ++k) {
      const int kind = next(10);
      const int a = 1 + next(vertices), b = 1 + next(vertices), c = 1 + next(vertices);
      if (kind == 0)
        mesh.AddFace(Quad(a, b, c, 1 + next(vertices)));
      else
        mesh.AddFace(Tri(a, b, c));  // repeated numbers included
    }
    const auto expected = ReferenceMerge(mesh);
    for (const auto& face : expected) merged += face.empty() ? 1 : 0;
    test::TraceLog quiet;
    mesh.MergeTriangles();
    ASSERT_EQ(FacesOf(mesh), expected) << "round " << round;
  }
  EXPECT_GT(merged, 100);  // the meshes do exercise the merging
}

TEST(CDxfPolyfaceMesh, GetPointZeroIsTracedAndAnswersZero) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({});
  test::TraceLog traces;
  EXPECT_EQ(mesh.GetPoint(0), kZeroVec);
  EXPECT_EQ(mesh.GetPoint(9), kZeroVec);
  EXPECT_EQ(mesh.GetPoint(7), CVec(0, 0, 1));
  const std::vector<std::string> expected = {
      "GetPoint(0) out of range. Correct values\nfor this mesh are between 1 and 8",
      "GetPoint(9) out of range. Correct values\nfor this mesh are between 1 and 8"};
  EXPECT_EQ(traces.Texts(), expected);
}

TEST(CDxfPolyfaceMesh, GetPointWithoutVerticesIsTraced) {
  CDxfPolyfaceMesh mesh;
  test::TraceLog traces;
  EXPECT_EQ(mesh.GetPoint(1), kZeroVec);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "Mesh GetPoint(1), but m_pPoints == NULL");
}

TEST(CDxfPolyfaceMesh, VerticesAreNumberedFromOne) {
  CDxfPolyfaceMesh mesh;
  EXPECT_EQ(mesh.GetSlotCount(), 0);
  mesh.AddVertex({5, 6, 7});
  EXPECT_EQ(mesh.GetSlotCount(), 2);
  EXPECT_EQ(mesh.GetVertexCount(), 1);
  EXPECT_EQ(mesh.GetPoint(1), CVec(5, 6, 7));
  for (int i = 0; i < 25; ++i) mesh.AddVertex({static_cast<double>(i), 0, 0});
  EXPECT_EQ(mesh.GetPoint(26), CVec(24, 0, 0));
}

TEST(CDxfPolyfaceMesh, FacesOutsideTheVertexListAreRefused) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({});
  const struct {
    DxfFace face;
    const char* trace;
  } cases[] = {
      {DxfFace{3, {1, 2, 9, 0}}, "CDxfPolyfaceMesh::AddFace, vertex number 9 out of range 1 to 8"},
      {DxfFace{3, {0, 1, 2, 0}}, "CDxfPolyfaceMesh::AddFace, vertex number 0 out of range 1 to 8"},
      {DxfFace{3, {1, -2, 3, 0}}, "CDxfPolyfaceMesh::AddFace, vertex number -2 out of range 1 to 8"},
      {DxfFace{5, {1, 2, 3, 4}}, "CDxfPolyfaceMesh::AddFace, bad number of vertices (5)"},
      {DxfFace{-1, {1, 2, 3, 4}}, "CDxfPolyfaceMesh::AddFace, bad number of vertices (-1)"},
  };
  for (const auto& c : cases) {
    test::TraceLog traces;
    EXPECT_FALSE(mesh.AddFace(c.face));
    ASSERT_EQ(traces.Texts().size(), 1u);
    EXPECT_EQ(traces.Texts()[0], c.trace);
  }
  EXPECT_EQ(mesh.GetFaceCount(), 0);
  // Numbers past the count are not looked at.
  EXPECT_TRUE(mesh.AddFace(DxfFace{2, {1, 2, 99, -4}}));
  EXPECT_TRUE(mesh.AddFace(DxfFace{0, {0, 0, 0, 0}}));
}

TEST(CDxfPolyfaceMesh, GetFacePointsAnswersTheFacesPoints) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({Quad(1, 2, 4, 3)});
  std::array<CVec, 4> points;
  EXPECT_EQ(mesh.GetFacePoints(points, 0), 4);
  EXPECT_EQ(points[2], CVec(1, 1, 0));
  EXPECT_EQ(mesh.GetFacePoints(points, 1), 0);
  EXPECT_EQ(mesh.GetFacePoints(points, -1), 0);
  CDxfPolyfaceMesh empty;
  EXPECT_EQ(empty.GetFacePoints(points, 0), 0);
}

TEST(CDxfPolyfaceMesh, FaceNormalUsesTheFourthPointOfAQuadrilateral) {
  // The quadrilateral's third point lies off the plane of the others: only
  // the first, second and fourth count.
  CDxfPolyfaceMesh mesh = MeshWithFaces({Quad(1, 2, 7, 3), Tri(1, 3, 2)});
  EXPECT_EQ(mesh.FaceNormal(0), CVec(0, 0, 1));
  EXPECT_EQ(mesh.FaceNormal(1), CVec(0, 0, -1));
  EXPECT_EQ(mesh.FaceNormal(5), CVec(1, 0, 0));
}

TEST(CDxfPolyfaceMesh, DegenerateFaceHasNormalAlongX) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({Tri(1, 2, 6)});  // three points on one line
  EXPECT_EQ(mesh.FaceNormal(0), CVec(1, 0, 0));
}

TEST(CDxfPolyfaceMesh, FlipFacesReversesTrianglesAndQuadrilaterals) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({Tri(1, 2, 3), Quad(1, 2, 4, 3), DxfFace{2, {1, 2, 0, 0}}});
  mesh.FlipFaces();
  EXPECT_EQ(FacesOf(mesh), (std::vector<std::vector<int>>{{3, 2, 1}, {3, 4, 2, 1}, {1, 2}}));
}

TEST(CDxfPolyfaceMesh, ExtentsCoverVerticesInThreeDimensions) {
  CDxfPolyfaceMesh mesh = MeshWithFaces({});
  CVec min, max;
  mesh.GetExtents(min, max);
  EXPECT_EQ(min, CVec(-1, 0, 0));
  EXPECT_EQ(max, CVec(2, 2, 1));
}

// A unit cube whose faces all wind counter-clockwise seen from outside.
CDxfPolyfaceMesh Cube(double offset) {
  CDxfPolyfaceMesh mesh;
  const CVec corners[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  for (const CVec& c : corners) mesh.AddVertex(c + CVec(offset, offset, offset));
  const DxfFace faces[] = {Quad(1, 4, 3, 2), Quad(5, 6, 7, 8), Quad(1, 2, 6, 5),
                           Quad(4, 8, 7, 3), Quad(1, 5, 8, 4), Quad(2, 3, 7, 6)};
  for (const DxfFace& f : faces) EXPECT_TRUE(mesh.AddFace(f));
  return mesh;
}

class CheckMeshNormalsTest : public ::testing::Test {
 protected:
  CheckMeshNormalsTest() { m_layer.SetName("0"); }
  const CDxfPolyfaceMesh& Mesh(int i) const { return dynamic_cast<const CDxfPolyfaceMesh&>(*m_list.GetEntity(i)); }
  CDxfLayer m_layer;
  CEntList m_list;
};

TEST_F(CheckMeshNormalsTest, OutwardBoxIsLeftAlone) {
  CDxfPolyfaceMesh cube = Cube(2);
  m_list.AddEntity(&cube, &m_layer);
  test::TraceLog traces;
  CheckMeshNormals(m_list, "box.dxf");
  EXPECT_EQ(FacesOf(Mesh(0)), FacesOf(cube));
  EXPECT_TRUE(traces.Texts().empty());
}

TEST_F(CheckMeshNormalsTest, InwardBoxHasAllItsFacesReversed) {
  CDxfPolyfaceMesh cube = Cube(2);
  cube.FlipFaces();
  m_list.AddEntity(&cube, &m_layer);
  CDxfPolyfaceMesh second = Cube(-3);
  second.FlipFaces();
  m_list.AddEntity(&second, &m_layer);
  CheckMeshNormals(m_list, "box.dxf");
  EXPECT_EQ(FacesOf(Mesh(0)), FacesOf(Cube(2)));
  EXPECT_EQ(FacesOf(Mesh(1)), FacesOf(Cube(-3)));  // every mesh of the drawing turns
}

TEST_F(CheckMeshNormalsTest, MixedOrientationIsTracedAndLeftAsRead) {
  CDxfPolyfaceMesh cube;
  {
    CDxfPolyfaceMesh outward = Cube(2);
    for (int i = 1; i <= outward.GetVertexCount(); ++i) cube.AddVertex(outward.GetPoint(i));
    for (int f = 0; f < outward.GetFaceCount(); ++f) {
      DxfFace face = outward.GetFace(f);
      if (f == 1) std::swap(face.v[1], face.v[3]);  // the top turned inward
      cube.AddFace(face);
    }
  }
  m_list.AddEntity(&cube, &m_layer);
  test::TraceLog traces;
  CheckMeshNormals(m_list, "mixed.dxf");
  EXPECT_EQ(FacesOf(Mesh(0)), FacesOf(cube));
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "The mesh normals are not consistent:<mixed.dxf>\n");
}

TEST_F(CheckMeshNormalsTest, DrawingWithoutMeshesIsLeftAlone) {
  CDxfPolyfaceMesh notInList = Cube(0);
  test::TraceLog traces;
  CheckMeshNormals(m_list, "empty.dxf");
  EXPECT_TRUE(traces.Texts().empty());
}

TEST_F(CheckMeshNormalsTest, MeshWithoutFacesChangesNothing) {
  CDxfPolyfaceMesh mesh;
  mesh.AddVertex({1, 1, 1});
  m_list.AddEntity(&mesh, &m_layer);
  test::TraceLog traces;
  CheckMeshNormals(m_list, "vertices.dxf");
  EXPECT_TRUE(traces.Texts().empty());
}

}  // namespace
}  // namespace brisol
