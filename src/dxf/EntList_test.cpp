#include "dxf/EntList.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "RecordingAlertSink.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfModelTestUtil.h"
#include "dxf/Matrix.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

constexpr double kBig = std::numeric_limits<double>::max();

class CEntListTest : public ::testing::Test {
 protected:
  CEntListTest() {
    m_visible = m_layers.AddLayer("0", 7, 0, true);
    m_hidden = m_layers.AddLayer("HIDDEN", 1, 0, false);
  }
  CLayerTable m_layers;
  CDxfLayer* m_visible = nullptr;
  CDxfLayer* m_hidden = nullptr;
  CEntList m_list;
};

TEST_F(CEntListTest, AddEntityAppendsAClonePutOnTheLayer) {
  CDxfLine line({0, 0, 0}, {1, 1, 0});
  EXPECT_EQ(m_list.AddEntity(&line, m_hidden), 1);
  line.SetEnd({5, 5, 0});
  const auto* stored = dynamic_cast<const CDxfLine*>(m_list.GetEntity(0));
  ASSERT_NE(stored, nullptr);
  EXPECT_NE(stored, &line);
  EXPECT_EQ(stored->GetEnd(), CVec(1, 1, 0));
  EXPECT_EQ(stored->GetLayer(), m_hidden);
  EXPECT_EQ(line.GetLayer(), nullptr);  // the original is untouched
}

TEST_F(CEntListTest, NullEntityOrLayerIsRefusedWithATrace) {
  CDxfPoint point;
  test::TraceLog traces;
  EXPECT_EQ(m_list.AddEntity(nullptr, m_visible), 0);
  EXPECT_EQ(m_list.AddEntity(&point, nullptr), 0);
  EXPECT_EQ(m_list.AddEntity(std::unique_ptr<CDxfEntity>(), m_visible), 0);
  EXPECT_EQ(m_list.AddEntity(std::make_unique<CDxfPoint>(), nullptr), 0);
  const std::vector<std::string> expected = {
      "CEntList::AddEntity with bad entity pointer", "CEntList::AddEntity with bad layer pointer",
      "CEntList::AddEntity with bad entity pointer", "CEntList::AddEntity with bad layer pointer"};
  EXPECT_EQ(traces.Texts(), expected);
  EXPECT_EQ(m_list.GetCount(), 0);
}

TEST_F(CEntListTest, GetEntityOutsideTheListAnswersTheFirst) {
  EXPECT_EQ(m_list.GetEntity(0), nullptr);
  CDxfPoint point;
  CDxfLine line;
  m_list.AddEntity(&point, m_visible);
  m_list.AddEntity(&line, m_visible);
  EXPECT_EQ(m_list.GetEntity(1)->GetType(), kDxfLine);
  EXPECT_EQ(m_list.GetEntity(2), m_list.GetEntity(0));  // index equal to the count
  EXPECT_EQ(m_list.GetEntity(-1), m_list.GetEntity(0));
  EXPECT_EQ(m_list.GetEntity(1000), m_list.GetEntity(0));
}

TEST_F(CEntListTest, GrowsPastItsFirstHundred) {
  CDxfPoint point;
  for (int i = 0; i < 250; ++i) {
    point.SetPosition({static_cast<double>(i), 0, 0});
    EXPECT_EQ(m_list.AddEntity(&point, m_visible), i + 1);
  }
  EXPECT_EQ(dynamic_cast<const CDxfPoint&>(*m_list.GetEntity(249)).GetPosition().x, 249);
}

TEST_F(CEntListTest, CountOfTypeCountsByTypeNumber) {
  CDxfLine line;
  CDxfCircle circle;
  CDxfPolyline polyline;
  m_list.AddEntity(&line, m_visible);
  m_list.AddEntity(&circle, m_visible);
  m_list.AddEntity(&line, m_hidden);
  m_list.AddEntity(&polyline, m_visible);
  EXPECT_EQ(m_list.CountOfType(kDxfLine), 2);
  EXPECT_EQ(m_list.CountOfType(kDxfCircle), 1);
  EXPECT_EQ(m_list.CountOfType(kDxfPolyline), 1);
  EXPECT_EQ(m_list.CountOfType(kDxfArc), 0);
}

TEST_F(CEntListTest, ExtentsOfAnEmptyListAreZero) {
  CVec min(1, 1, 1), max(2, 2, 2);
  m_list.GetExtents(min, max);
  EXPECT_EQ(min, kZeroVec);
  EXPECT_EQ(max, kZeroVec);
}

TEST_F(CEntListTest, ExtentsCoverOnlyVisibleLayers) {
  CDxfLine line({0, 0, 0}, {2, 3, 0});
  CDxfCircle far({100, 100, 0}, 1);
  CDxfPoint point({-1, 1, 4});
  m_list.AddEntity(&line, m_visible);
  m_list.AddEntity(&far, m_hidden);
  m_list.AddEntity(&point, m_visible);
  CVec min, max;
  m_list.GetExtents(min, max);
  EXPECT_EQ(min, CVec(-1, 0, 0));
  EXPECT_EQ(max, CVec(2, 3, 4));
}

TEST_F(CEntListTest, ExtentsWithEverythingInvisibleAreTheExtremeDoubles) {
  CDxfLine line({0, 0, 0}, {2, 3, 0});
  m_list.AddEntity(&line, m_hidden);
  CVec min, max;
  m_list.GetExtents(min, max);
  EXPECT_EQ(min, CVec(kBig, kBig, kBig));
  EXPECT_EQ(max, CVec(-kBig, -kBig, -kBig));
}

// The effect's drawing of a shape leaves out what lies on layers that are
// off or frozen, as the preview and the extents do.
TEST_F(CEntListTest, TheEffectsDrawingLeavesOutHiddenLayers) {
  CDxfCircle shown({10, 10, 0}, 5);
  CDxfCircle hidden({30, 30, 0}, 5);
  m_list.AddEntity(&shown, m_visible);
  m_list.AddEntity(&hidden, m_hidden);
  CDADC picture(SIZE{40, 40}, RGB(255, 255, 255));
  DrawContext& dc = picture.GetDC();
  dc.SelectBrush(Brush::Solid(RGB(0, 0, 0)));
  dc.SelectPen(Pen::Solid(1, RGB(0, 0, 0)));
  CMatrix identity;
  identity.MakeTransform(CVec(1, 1, 0), 0, CVec(0, 0, 0));
  m_list.DrawEntitiesIntoDC(dc, identity);
  EXPECT_EQ(dc.GetPixel(10, 10), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(30, 30), RGB(255, 255, 255));
}

TEST_F(CEntListTest, EntityWithoutABoxAddsNothing) {
  CDxfLine line({1, 1, 0}, {2, 3, 0});
  CDxfInsert noBlock;
  CDxfPolyfaceMesh noVertices;
  m_list.AddEntity(&line, m_visible);
  m_list.AddEntity(&noBlock, m_visible);
  m_list.AddEntity(&noVertices, m_visible);
  CVec min, max;
  m_list.GetExtents(min, max);
  EXPECT_EQ(min, CVec(1, 1, 0));
  EXPECT_EQ(max, CVec(2, 3, 0));
}

TEST_F(CEntListTest, CopyClonesAndSelfCopyKeepsTheList) {
  CDxfLine line;
  m_list.AddEntity(&line, m_hidden);
  m_list.AddEntity(&line, m_visible);
  CEntList other;
  CDxfPoint point;
  other.AddEntity(&point, m_visible);
  other = m_list;
  ASSERT_EQ(other.GetCount(), 2);
  EXPECT_NE(other.GetEntity(0), m_list.GetEntity(0));
  EXPECT_EQ(other.GetEntity(0)->GetLayer(), m_hidden);
  EXPECT_EQ(other.GetEntity(1)->GetType(), kDxfLine);
  const CDxfEntity* first = m_list.GetEntity(0);
  CEntList& self = m_list;
  m_list = self;
  EXPECT_EQ(m_list.GetCount(), 2);
  EXPECT_EQ(m_list.GetEntity(0), first);
  const CEntList constructed(m_list);
  EXPECT_EQ(constructed.GetCount(), 2);
}

TEST_F(CEntListTest, ClearDestroysEverything) {
  CDxfLine line;
  m_list.AddEntity(&line, m_visible);
  m_list.Clear();
  EXPECT_EQ(m_list.GetCount(), 0);
  EXPECT_EQ(m_list.GetEntity(0), nullptr);
}

TEST_F(CEntListTest, FileTransformAndWriterRunOverEveryEntity) {
  CDxfPoint point({1, 1, 1});
  m_list.AddEntity(&point, m_visible);
  m_list.AddEntity(&point, m_hidden);
  DxfFileTransform transform;
  transform.scale = 3;
  m_list.ApplyFileTransform(transform);
  EXPECT_EQ(dynamic_cast<const CDxfPoint&>(*m_list.GetEntity(1)).GetPosition(), CVec(3, 3, 3));
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  m_list.WriteDxf(file, DxfFileTransform{});
  const long size = std::ftell(file);
  std::fclose(file);
  const std::string one = test::WrittenText(*m_list.GetEntity(0));
  EXPECT_EQ(size, static_cast<long>(one.size() + test::WrittenText(*m_list.GetEntity(1)).size()));
}

}  // namespace
}  // namespace brisol
