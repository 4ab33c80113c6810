// Types, extents, clones and the file transform of every entity class.
#include "dxf/DxfEntities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "dxf/DxfBlock.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfModelTestUtil.h"

namespace brisol {
namespace {

constexpr double kBig = std::numeric_limits<double>::max();

void ExpectVec(const CVec& v, double x, double y, double z, const std::string& what) {
  EXPECT_NEAR(v.x, x, 1e-9) << what;
  EXPECT_NEAR(v.y, y, 1e-9) << what;
  EXPECT_NEAR(v.z, z, 1e-9) << what;
}

struct ExtentsCase {
  std::string name;
  std::function<std::unique_ptr<CDxfEntity>()> make;
  int type;
  CVec min, max;
};

std::unique_ptr<CDxfPolyline> Square(bool closed) {
  auto p = std::make_unique<CDxfPolyline>();
  p->AddVertex({1, 1, 5});
  p->AddVertex({3, 1, 5});
  p->AddVertex({3, 4, 5});
  p->AddVertex({1, 4, 5});
  p->SetClosed(closed);
  return p;
}

std::unique_ptr<CDxfText> Text(const char* s, double height, double widthFactor) {
  auto t = std::make_unique<CDxfText>();
  t->SetText(s);
  t->SetInsertionPoint({10, 20, 0});
  t->SetHeight(height);
  t->SetWidthFactor(widthFactor);
  return t;
}

class EntityExtentsTest : public ::testing::TestWithParam<ExtentsCase> {};

TEST_P(EntityExtentsTest, BoxAndType) {
  const ExtentsCase& c = GetParam();
  const auto entity = c.make();
  EXPECT_EQ(entity->GetType(), c.type);
  CVec min(-7, -7, -7), max(7, 7, 7);
  entity->GetExtents(min, max);
  ExpectVec(min, c.min.x, c.min.y, c.min.z, c.name + " min");
  ExpectVec(max, c.max.x, c.max.y, c.max.z, c.name + " max");
}

INSTANTIATE_TEST_SUITE_P(
    EveryClass, EntityExtentsTest,
    ::testing::Values(
        ExtentsCase{"point", [] { return std::make_unique<CDxfPoint>(CVec(1, 2, 3)); }, 0, {1, 2, 3}, {1, 2, 3}},
        ExtentsCase{"line",
                    [] { return std::make_unique<CDxfLine>(CVec(4, -1, 9), CVec(-2, 5, 9)); },
                    1,
                    {-2, -1, 0},
                    {4, 5, 0}},
        ExtentsCase{"polyline", [] { return Square(true); }, 2, {1, 1, 0}, {3, 4, 0}},
        ExtentsCase{"empty polyline",
                    [] { return std::make_unique<CDxfPolyline>(); },
                    2,
                    {1e200, 1e200, 0},
                    {-1e200, -1e200, 0}},
        ExtentsCase{"circle", [] { return std::make_unique<CDxfCircle>(CVec(1, 1, 4), 2); }, 3, {-1, -1, 0}, {3, 3, 0}},
        ExtentsCase{
            "ellipse", [] { return std::make_unique<CDxfEllipse>(CVec(0, 0, 0), 3, 1); }, 4, {-3, -1, 0}, {3, 1, 0}},
        // an arc's box is that of its end points only: 0 to 90 degrees
        ExtentsCase{
            "quarter arc", [] { return std::make_unique<CDxfArc>(CVec(0, 0, 0), 2, 0, 90); }, 5, {0, 0, 0}, {2, 2, 0}},
        // ... so an arc from 45 to 135 degrees does not reach its top
        ExtentsCase{"arc over the top",
                    [] { return std::make_unique<CDxfArc>(CVec(0, 0, 0), 2, 45, 135); },
                    5,
                    {-std::sqrt(2.0), std::sqrt(2.0), 0},
                    {std::sqrt(2.0), std::sqrt(2.0), 0}},
        // text: 5 characters x height 2 x 0.4 x width factor 1.5 = 6 wide
        ExtentsCase{"text", [] { return Text("HELLO", 2, 1.5); }, 6, {7, 19, 0}, {13, 21, 0}},
        ExtentsCase{"insert without block", [] { return std::make_unique<CDxfInsert>(); }, 9, {-7, -7, -7}, {7, 7, 7}},
        ExtentsCase{
            "empty polyface mesh", [] { return std::make_unique<CDxfPolyfaceMesh>(); }, 7, {-7, -7, -7}, {7, 7, 7}},
        ExtentsCase{
            "empty polygon mesh", [] { return std::make_unique<CDxfPolygonMesh>(); }, 8, {-7, -7, -7}, {7, 7, 7}}),
    [](const ::testing::TestParamInfo<ExtentsCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

TEST(CDxfInsert, ExtentsAreTheBlockBoxLessBasePointThroughThePlacement) {
  CDxfBlock block;
  block.SetName("B");
  block.SetBasePoint({1, 1, 0});
  CDxfLayer layer;
  CDxfLine line({1, 1, 0}, {3, 2, 0});
  block.GetEntList().AddEntity(&line, &layer);
  CDxfInsert insert;
  insert.SetBlock(&block);
  insert.SetInsertionPoint({10, 20, 0});
  insert.SetScale({2, 3, 1});
  insert.SetRotation(90);
  CVec min, max;
  insert.GetExtents(min, max);
  // block box (0, 0) .. (2, 1); scaled (0, 0) .. (4, 3); turned 90 degrees:
  // x from -3 to 0, y from 0 to 4; moved by (10, 20).
  ExpectVec(min, 7, 20, 0, "min");
  ExpectVec(max, 10, 24, 0, "max");
}

TEST(CDxfInsert, BlockWithoutEntitiesGivesTheInsertionPoint) {
  CDxfBlock block;
  CDxfInsert insert;
  insert.SetBlock(&block);
  insert.SetInsertionPoint({5, 6, 0});
  CVec min, max;
  insert.GetExtents(min, max);
  ExpectVec(min, 5, 6, 0, "min");
  ExpectVec(max, 5, 6, 0, "max");
}

TEST(CDxfInsert, SelfReferenceEndsWithATrace) {
  CDxfLayer layer;
  CDxfBlock block;
  block.SetName("LOOP");
  CDxfLine line({0, 0, 0}, {1, 1, 0});
  block.GetEntList().AddEntity(&line, &layer);
  CDxfInsert inner;
  inner.SetBlock(&block);
  block.GetEntList().AddEntity(&inner, &layer);  // the block now contains itself
  CDxfInsert outer;
  outer.SetBlock(&block);
  test::TraceLog traces;
  CVec min, max;
  outer.GetExtents(min, max);
  ExpectVec(min, 0, 0, 0, "min");
  ExpectVec(max, 1, 1, 0, "max");
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "CDxfInsert::GetExtents, blocks nested deeper than 32");
}

TEST(CDxfInsert, NestedBlocksThatMultiplyAreCutOffByTheBoxBudget) {
  // 30 levels, each block holding 4 references to the one below: 4^30 boxes
  // if followed naively.
  CDxfLayer layer;
  std::vector<std::unique_ptr<CDxfBlock>> blocks;
  blocks.push_back(std::make_unique<CDxfBlock>());
  CDxfLine line({0, 0, 0}, {1, 1, 0});
  blocks.back()->GetEntList().AddEntity(&line, &layer);
  for (int level = 1; level < 30; ++level) {
    auto block = std::make_unique<CDxfBlock>();
    for (int k = 0; k < 4; ++k) {
      CDxfInsert insert;
      insert.SetBlock(blocks.back().get());
      insert.SetInsertionPoint({static_cast<double>(k), 0, 0});
      block->GetEntList().AddEntity(&insert, &layer);
    }
    blocks.push_back(std::move(block));
  }
  CDxfInsert top;
  top.SetBlock(blocks.back().get());
  test::TraceLog traces;
  CVec min, max;
  top.GetExtents(min, max);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "CDxfInsert::GetExtents, more than 1000000 entities in nested blocks");
  EXPECT_LE(min.x, max.x);
  // A fresh question starts with a fresh budget.
  traces.Clear();
  CDxfInsert small;
  small.SetBlock(blocks[1].get());
  small.GetExtents(min, max);
  EXPECT_TRUE(traces.Texts().empty());
  ExpectVec(min, 0, 0, 0, "small min");
  ExpectVec(max, 4, 1, 0, "small max");
}

TEST(CDxfEntity, ColourNumberTakesOnlyOneTo256) {
  CDxfLine line;
  EXPECT_EQ(line.GetColourNumber(), 256);
  line.SetColourNumber(0);
  line.SetColourNumber(257);
  line.SetColourNumber(-3);
  EXPECT_EQ(line.GetColourNumber(), 256);
  line.SetColourNumber(1);
  EXPECT_EQ(line.GetColourNumber(), 1);
}

TEST(CDxfEntity, LayerNameIsZeroWithoutLayerAndNullLayerIsRefused) {
  CDxfLine line;
  EXPECT_STREQ(line.GetLayerName(), "0");
  CDxfLayer walls;
  walls.SetName("WALLS");
  line.SetLayer(&walls);
  EXPECT_STREQ(line.GetLayerName(), "WALLS");
  test::TraceLog traces;
  line.SetLayer(nullptr);
  EXPECT_EQ(line.GetLayer(), &walls);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0].rfind("CDxfEntity::SetLayer, bad pointer:", 0), 0u);
}

TEST(Clone, PolylineCopiesItsVerticesDeeply) {
  auto original = Square(true);
  CDxfLayer layer;
  original->SetLayer(&layer);
  original->SetColourNumber(3);
  original->SetWidth(-2.5);
  auto copy = original->Clone();
  original->AddVertex({100, 100, 0});
  auto& clone = dynamic_cast<CDxfPolyline&>(*copy);
  EXPECT_EQ(clone.GetVertexCount(), 4);
  EXPECT_TRUE(clone.IsClosed());
  EXPECT_EQ(clone.GetWidth(), 2.5);
  EXPECT_EQ(clone.GetLayer(), &layer);
  EXPECT_EQ(clone.GetColourNumber(), 3);
}

TEST(Clone, MeshesCopyVerticesAndFaces) {
  CDxfPolyfaceMesh mesh;
  mesh.AddVertex({0, 0, 0});
  mesh.AddVertex({1, 0, 0});
  mesh.AddVertex({0, 1, 0});
  ASSERT_TRUE(mesh.AddFace(DxfFace{3, {1, 2, 3, 0}}));
  auto copy = mesh.Clone();
  mesh.FlipFaces();
  mesh.AddVertex({5, 5, 5});
  auto& clone = dynamic_cast<CDxfPolyfaceMesh&>(*copy);
  EXPECT_EQ(clone.GetVertexCount(), 3);
  EXPECT_EQ(clone.GetFace(0).v[0], 1);

  CDxfPolygonMesh grid;
  grid.SetM(2);
  grid.SetN(2);
  grid.SetFlags(16 | 1);
  grid.AddVertex({1, 1, 0});
  auto gridCopy = grid.Clone();
  grid.AddVertex({2, 2, 0});
  auto& g = dynamic_cast<CDxfPolygonMesh&>(*gridCopy);
  EXPECT_EQ(g.GetM(), 2);
  EXPECT_EQ(g.GetN(), 2);
  EXPECT_EQ(g.GetFlags(), 17);
  EXPECT_EQ(g.GetFaceCount(), 2);
  EXPECT_EQ(g.GetVertexCount(), 1);
}

TEST(Clone, EveryClassKeepsItsTypeAndFields) {
  CDxfText text;
  text.SetText("abc");
  text.SetFaceName("Courier");
  text.SetBold(true);
  auto t = text.Clone();
  EXPECT_EQ(dynamic_cast<CDxfText&>(*t).GetText(), "abc");
  EXPECT_EQ(dynamic_cast<CDxfText&>(*t).GetFaceName(), "Courier");
  EXPECT_TRUE(dynamic_cast<CDxfText&>(*t).IsBold());
  CDxfBlock block;
  CDxfInsert insert;
  insert.SetBlock(&block);
  insert.SetRotation(30);
  auto i = insert.Clone();
  EXPECT_EQ(dynamic_cast<CDxfInsert&>(*i).GetBlock(), &block);  // shared, not copied
  EXPECT_EQ(dynamic_cast<CDxfInsert&>(*i).GetRotation(), 30);
  const std::unique_ptr<CDxfEntity> all[] = {
      CDxfPoint().Clone(),       CDxfLine().Clone(),  CDxfPolyline().Clone(), CDxfCircle().Clone(),
      CDxfEllipse().Clone(),     CDxfArc().Clone(),   CDxfText().Clone(),     CDxfPolyfaceMesh().Clone(),
      CDxfPolygonMesh().Clone(), CDxfInsert().Clone()};
  for (int type = 0; type < ikNumDxfEntityTypes; ++type) EXPECT_EQ(all[type]->GetType(), type);
}

TEST(ApplyFileTransform, PointsAreMovedThenScaledAndLengthsScaled) {
  DxfFileTransform transform;
  transform.scale = 2.0;
  transform.offset = CVec(1, -1, 0.5);

  CDxfLine line({0, 0, 0}, {1, 2, 3});
  line.ApplyFileTransform(transform);
  ExpectVec(line.GetStart(), 2, -2, 1, "line start");
  ExpectVec(line.GetEnd(), 4, 2, 7, "line end");

  CDxfCircle circle({1, 1, 0}, 3);
  circle.ApplyFileTransform(transform);
  ExpectVec(circle.GetCentre(), 4, 0, 1, "circle centre");
  EXPECT_EQ(circle.GetRadius(), 6);

  CDxfArc arc({0, 0, 0}, 1, 10, 20);
  arc.ApplyFileTransform(transform);
  EXPECT_EQ(arc.GetRadius(), 2);
  EXPECT_EQ(arc.GetStartAngle(), 10);  // angles stay
  EXPECT_EQ(arc.GetEndAngle(), 20);

  CDxfText text;
  text.SetHeight(1.5);
  text.SetWidthFactor(0.8);
  text.ApplyFileTransform(transform);
  ExpectVec(text.GetInsertionPoint(), 2, -2, 1, "text");
  EXPECT_EQ(text.GetHeight(), 3);
  EXPECT_EQ(text.GetWidthFactor(), 0.8);

  CDxfInsert insert;
  insert.SetScale({1, 2, 3});
  insert.ApplyFileTransform(transform);
  ExpectVec(insert.GetScale(), 2, 4, 3, "insert scale");  // only x and y scale
  ExpectVec(insert.GetInsertionPoint(), 2, -2, 1, "insert point");

  auto square = Square(false);
  square->ApplyFileTransform(transform);
  ExpectVec(square->GetVertex(2), 8, 6, 11, "polyline vertex");

  CDxfEllipse ellipse({1, 1, 1}, 2, 3);
  ellipse.ApplyFileTransform(transform);
  ExpectVec(ellipse.GetCentre(), 1, 1, 1, "ellipse unchanged");
  EXPECT_EQ(ellipse.GetHalfX(), 2);

  CDxfPoint point({0, 0, 0});
  point.ApplyFileTransform(transform);
  ExpectVec(point.GetPosition(), 2, -2, 1, "point");

  CDxfPolyfaceMesh mesh;
  mesh.AddVertex({1, 1, 1});
  mesh.ApplyFileTransform(transform);
  ExpectVec(mesh.GetPoint(1), 4, 0, 3, "mesh vertex");

  CDxfPolygonMesh grid;
  grid.SetM(2);
  grid.SetN(1);
  grid.AddVertex({1, 1, 1});
  grid.ApplyFileTransform(transform);
  ExpectVec(grid.GetVertex(0, 0), 4, 0, 3, "grid vertex");
  ExpectVec(grid.GetVertex(1, 0), 2, -2, 1, "grid slot not given");
}

TEST(DxfEntityTypeName, NamesEveryType) {
  EXPECT_STREQ(DxfEntityTypeName(kDxfPolyfaceMesh), "POLYFACE");
  EXPECT_STREQ(DxfEntityTypeName(kDxfPolygonMesh), "POLYGONMESH");
  EXPECT_STREQ(DxfEntityTypeName(kDxfInsert), "INSERT");
  EXPECT_STREQ(DxfEntityTypeName(10), "UNKNOWN");
  EXPECT_STREQ(DxfEntityTypeName(-1), "UNKNOWN");
}

}  // namespace
}  // namespace brisol
