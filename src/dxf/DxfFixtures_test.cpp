// Reads the hand-written drawings of tests/fixtures/dxf, each laid out the way
// a family of CAD programs writes its files.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "DxfReaderTestUtil.h"
#include "RecordingAlertSink.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfFile.h"

namespace brisol {
namespace {

std::filesystem::path FixtureDir() { return std::filesystem::path(BRISOL_TEST_FIXTURES) / "dxf"; }

struct LayerExpect {
  const char* name;
  int colour;
  bool visible;
};

struct BlockExpect {
  const char* name;
  int entities;
};

struct FixtureCase {
  const char* file;
  // POINT, LINE, POLYLINE, CIRCLE, ELLIPSE, ARC, TEXT, POLYFACE, POLYGONMESH, INSERT
  std::array<int, ikNumDxfEntityTypes> counts;
  std::vector<LayerExpect> layers;
  std::vector<BlockExpect> blocks;
};

class Fixtures : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(Fixtures, ReadToTheEndAndKeepWhatTheyShould) {
  const FixtureCase& c = GetParam();
  const std::string path = (FixtureDir() / c.file).string();
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  test::ScopedAlertRecorder alerts;
  CDxfFile file;
  EXPECT_TRUE(file.ReadFile(path.c_str(), nullptr));
  EXPECT_TRUE(alerts.Texts().empty());
  for (int t = 0; t < ikNumDxfEntityTypes; ++t) {
    EXPECT_EQ(file.CountOfType(t), c.counts[static_cast<std::size_t>(t)]) << DxfEntityTypeName(t);
  }
  const CLayerTable& layers = file.GetLayerTable();
  ASSERT_EQ(layers.GetCount(), static_cast<int>(c.layers.size()));
  for (std::size_t i = 0; i < c.layers.size(); ++i) {
    const CDxfLayer* layer = layers.GetLayer(static_cast<int>(i));
    EXPECT_EQ(layer->GetName(), c.layers[i].name);
    EXPECT_EQ(layer->GetColourIndex(), c.layers[i].colour) << c.layers[i].name;
    EXPECT_EQ(layer->IsVisible(), c.layers[i].visible) << c.layers[i].name;
  }
  const CBlockTable& blocks = file.GetBlockTable();
  ASSERT_EQ(blocks.GetCount(), static_cast<int>(c.blocks.size()));
  for (std::size_t i = 0; i < c.blocks.size(); ++i) {
    const CDxfBlock* block = blocks.GetBlock(static_cast<int>(i));
    EXPECT_EQ(block->GetName(), c.blocks[i].name);
    EXPECT_EQ(block->GetEntList().GetCount(), c.blocks[i].entities) << c.blocks[i].name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    HandWritten, Fixtures,
    ::testing::Values(
        FixtureCase{"r12_polyline_lf.dxf",
                    {0, 1, 1, 1, 0, 1, 1, 0, 0, 1},
                    {{"0", 7, true}, {"OUTLINE", 1, true}, {"HIDDEN", 3, false}},
                    {{"PETAL", 2}}},
        FixtureCase{"r12_polyface_crlf.dxf", {1, 0, 0, 0, 0, 0, 0, 1, 0, 0}, {{"0", 7, true}}, {}},
        FixtureCase{"polygon_mesh_crlf.dxf", {0, 0, 1, 0, 0, 0, 0, 0, 1, 0}, {{"0", 7, true}, {"MESH", 4, true}}, {}},
        FixtureCase{"r2000_lwpolyline_crlf.dxf",
                    {0, 0, 1, 1, 1, 0, 0, 0, 0, 1},
                    {{"0", 7, true}, {"Star", 5, true}},
                    {{"*Model_Space", 0}, {"*Paper_Space", 0}, {"TAG", 1}}},
        FixtureCase{"comment_first_lf.dxf", {0, 1, 1, 1, 0, 0, 1, 0, 0, 0}, {{"0", 7, true}, {"Leaves", 3, true}}, {}},
        FixtureCase{"entities_only_lf.dxf", {1, 4, 1, 0, 0, 1, 0, 0, 0, 0}, {{"0", 7, true}}, {}}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

TEST(Fixtures, PolyfaceBoxIsMergedIntoSixQuadrilateralsFacingOut) {
  const std::string path = (FixtureDir() / "r12_polyface_crlf.dxf").string();
  CDxfFile file;
  ASSERT_TRUE(file.ReadFile(path.c_str(), nullptr));
  const auto* mesh = dynamic_cast<const CDxfPolyfaceMesh*>(file.GetEntity(0));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->GetVertexCount(), 8);
  EXPECT_EQ(mesh->GetFaceCount(), 12);
  EXPECT_EQ(mesh->GetUsedFaceCount(), 6);
  const DxfFace bottom = mesh->GetFace(0);
  EXPECT_EQ(std::vector<int>(bottom.v, bottom.v + bottom.count), (std::vector<int>{1, 4, 3, 2}));
  EXPECT_EQ(mesh->FaceNormal(0).z, -1.0);
}

TEST(Fixtures, TwoThousandLayoutKeepsTheStarAndTheFullEllipse) {
  const std::string path = (FixtureDir() / "r2000_lwpolyline_crlf.dxf").string();
  CDxfFile file;
  ASSERT_TRUE(file.ReadFile(path.c_str(), nullptr));
  const auto* star = dynamic_cast<const CDxfPolyline*>(file.GetEntity(0));
  ASSERT_TRUE(star);
  EXPECT_TRUE(star->IsClosed());
  EXPECT_EQ(star->GetVertexCount(), 10);
  EXPECT_STREQ(star->GetLayerName(), "Star");
  const auto* ellipse = dynamic_cast<const CDxfEllipse*>(file.GetEntity(2));
  ASSERT_TRUE(ellipse);
  EXPECT_EQ(ellipse->GetHalfX(), 2.0);
  EXPECT_EQ(ellipse->GetHalfY(), 1.0);
  CVec min, max;
  file.GetExtents(min, max);
  EXPECT_DOUBLE_EQ(min.x, -2.0);
  EXPECT_DOUBLE_EQ(max.x, 2.0);
}

TEST(Fixtures, TheSameDrawingWithOtherLineEndsReadsAlike) {
  test::TempDir dir;
  for (const char* name : {"r12_polyline_lf.dxf", "r2000_lwpolyline_crlf.dxf"}) {
    const std::string bytes = test::ReadFile((FixtureDir() / name).string());
    std::string lf, crlf;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
      lf += bytes[i];
    }
    for (char ch : lf) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    test::WriteFile(dir.File("lf.dxf"), lf);
    test::WriteFile(dir.File("crlf.dxf"), crlf);
    CDxfFile a, b;
    ASSERT_TRUE(a.ReadFile(dir.File("lf.dxf").c_str(), nullptr)) << name;
    ASSERT_TRUE(b.ReadFile(dir.File("crlf.dxf").c_str(), nullptr)) << name;
    EXPECT_EQ(a.GetLineCount(), b.GetLineCount());
    ASSERT_EQ(a.GetCount(), b.GetCount());
    CVec amin, amax, bmin, bmax;
    a.GetExtents(amin, amax);
    b.GetExtents(bmin, bmax);
    EXPECT_EQ(amin, bmin);
    EXPECT_EQ(amax, bmax);
  }
}

}  // namespace
}  // namespace brisol
