#include "dxf/DxfLayer.h"

#include <gtest/gtest.h>

#include <string>

#include "dxf/DxfColours.h"
#include "dxf/DxfModelTestUtil.h"

namespace brisol {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(CLayerPen, NewHolderIsWhiteSolidOnePixel) {
  CLayerPen pen;
  EXPECT_EQ(pen.GetColour(), RGB(255, 255, 255));
  EXPECT_EQ(pen.GetStyle(), kDxfPenSolid);
  EXPECT_EQ(pen.GetWidth(), 1);
  EXPECT_EQ(pen.GetPen(), Pen::Solid(1, RGB(255, 255, 255)));
}

class LayerPenIndexTest : public ::testing::TestWithParam<std::pair<int, COLORREF>> {};

TEST_P(LayerPenIndexTest, IndexOutsideOneTo255BecomesSeven) {
  CLayerPen pen;
  pen.SetColourIndex(GetParam().first);
  EXPECT_EQ(pen.GetColour(), GetParam().second);
  EXPECT_EQ(pen.GetPen().colour(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Indices, LayerPenIndexTest,
                         ::testing::Values(std::pair<int, COLORREF>{0, kBlack}, std::pair<int, COLORREF>{300, kBlack},
                                           std::pair<int, COLORREF>{-5, kBlack}, std::pair<int, COLORREF>{1, kRed},
                                           std::pair<int, COLORREF>{255, RGB(255, 255, 255)}));

TEST(CLayerPen, StyleOtherThanSolidForcesWidthOne) {
  CLayerPen pen;
  pen.SetWidth(5);
  EXPECT_EQ(pen.GetWidth(), 5);
  EXPECT_EQ(pen.GetPen().width(), 5);
  pen.SetStyle(2);
  EXPECT_EQ(pen.GetWidth(), 1);
  EXPECT_EQ(pen.GetPen().width(), 1);
  EXPECT_EQ(pen.GetStyle(), 2);
}

TEST(CLayerPen, NullStyleMakesTheNullPen) {
  CLayerPen pen;
  pen.SetStyle(kDxfPenNull);
  EXPECT_TRUE(pen.GetPen().IsNull());
}

TEST(CDxfLayer, NewLayerHasTwoBlackPensAndReadsAsLayerZero) {
  CDxfLayer layer;
  EXPECT_EQ(layer.GetLayerPen(0).GetColour(), kBlack);
  EXPECT_EQ(layer.GetLayerPen(1).GetColour(), kBlack);
  EXPECT_TRUE(layer.IsVisible());
  EXPECT_EQ(layer.GetColourIndex(), 7);
  EXPECT_STREQ(layer.GetReportedName(), "0");
}

TEST(CDxfLayer, TextColourIsThatOfPenOne) {
  CDxfLayer layer;
  layer.SetColour(RGB(1, 2, 3), 1);
  layer.SetColour(RGB(9, 9, 9), 0);
  EXPECT_EQ(layer.GetTextColour(), RGB(1, 2, 3));
}

TEST(CDxfLayer, NameIsCutAt256Characters) {
  CDxfLayer layer;
  layer.SetName(std::string(300, 'a').c_str());
  EXPECT_EQ(layer.GetName().size(), 256u);
}

TEST(CLayerTable, NewLayerWithIndexSevenHasTwoBlackPens) {
  CLayerTable table;
  CDxfLayer* layer = table.AddLayer("A", 7, 0, true);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetLayerPen(1).GetColour(), kBlack);
  EXPECT_EQ(layer->GetLayerPen(0).GetColour(), kBlack);
  EXPECT_EQ(layer->GetColourIndex(), 7);
}

TEST(CLayerTable, NewLayerWithIndexOneHasRedColourPenAndBlackMonochromePen) {
  CLayerTable table;
  CDxfLayer* layer = table.AddLayer("A", 1, 0, true);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetLayerPen(1).GetColour(), kRed);
  EXPECT_EQ(layer->GetLayerPen(0).GetColour(), kBlack);
  EXPECT_EQ(layer->GetTextColour(), kRed);
  EXPECT_EQ(layer->GetColourIndex(), 1);
}

TEST(CLayerTable, SameNameInOtherCaseOnlyUpdatesTheColourOnBothPens) {
  CLayerTable table;
  CDxfLayer* walls = table.AddLayer("WALLS", 1, 0, false);
  ASSERT_NE(walls, nullptr);
  CDxfLayer* again = table.AddLayer("walls", 5, 3, true);
  EXPECT_EQ(again, walls);
  EXPECT_EQ(table.GetCount(), 1);
  EXPECT_EQ(walls->GetName(), "WALLS");
  EXPECT_EQ(walls->GetColourIndex(), 5);
  EXPECT_EQ(walls->GetLayerPen(1).GetColour(), RGB(0, 0, 255));
  EXPECT_EQ(walls->GetLayerPen(0).GetColour(), RGB(0, 0, 255));  // pen 0 takes it too
  EXPECT_FALSE(walls->IsVisible());                              // unchanged
  EXPECT_EQ(walls->GetLayerPen(1).GetStyle(), 0);                // unchanged
}

struct BadName {
  const char* name;
  const char* trace;
};

TEST(CLayerTable, RefusedNamesAreTracedAndAddNothing) {
  const std::string tooLong(256, 'x');
  const BadName cases[] = {{nullptr, "AddLayer, bad string pointer"},
                           {"", "AddLayer, empty layer name"},
                           {tooLong.c_str(), "AddLayer, layer name too long"}};
  for (const BadName& c : cases) {
    CLayerTable table;
    test::TraceLog traces;
    EXPECT_EQ(table.AddLayer(c.name, 1, 0, true), nullptr);
    EXPECT_EQ(table.GetCount(), 0);
    ASSERT_EQ(traces.Texts().size(), 1u);
    EXPECT_EQ(traces.Texts()[0], c.trace);
  }
  CLayerTable table;
  EXPECT_NE(table.AddLayer(std::string(255, 'x').c_str(), 1, 0, true), nullptr);
}

TEST(CLayerTable, The1025thLayerIsRefusedWithATrace) {
  CLayerTable table;
  for (int i = 0; i < 1024; ++i) ASSERT_NE(table.AddLayer(("L" + std::to_string(i)).c_str(), 1, 0, true), nullptr);
  test::TraceLog traces;
  EXPECT_EQ(table.AddLayer("ONE_MORE", 1, 0, true), nullptr);
  EXPECT_EQ(table.GetCount(), 1024);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "CLayerTable::AddLayer (ONE_MORE),\ntoo many layers (1024)");
  // An existing layer is still found and updated.
  EXPECT_NE(table.AddLayer("l5", 3, 0, true), nullptr);
}

TEST(CLayerTable, LookupByNameWithoutCaseFallsBackToTheFirstLayer) {
  CLayerTable table;
  CDxfLayer* zero = table.AddLayer("0", 7, 0, true);
  CDxfLayer* walls = table.AddLayer("Walls", 1, 0, false);
  EXPECT_EQ(table.GetLayerPtrFromName("WALLS"), walls);
  EXPECT_EQ(table.GetLayerPtrFromName("doors"), zero);
  EXPECT_EQ(table.GetLayerPtrFromName(""), zero);
  EXPECT_EQ(table.GetLayerPtrFromName(nullptr), zero);
  EXPECT_FALSE(table.IsLayerVisible("walls"));
  EXPECT_TRUE(table.IsLayerVisible("doors"));
}

TEST(CLayerTable, LookupInAnEmptyTableIsTracedAndAnswersNull) {
  CLayerTable table;
  test::TraceLog traces;
  EXPECT_EQ(table.GetLayerPtrFromName("0"), nullptr);
  EXPECT_FALSE(table.IsLayerVisible("0"));
  ASSERT_FALSE(traces.Texts().empty());
  EXPECT_EQ(traces.Texts()[0], "GetLayerPtrFromName, but no layers in table");
}

TEST(CLayerTable, ClearDestroysAllLayers) {
  CLayerTable table;
  table.AddLayer("0", 7, 0, true);
  table.AddLayer("A", 7, 0, true);
  table.Clear();
  EXPECT_EQ(table.GetCount(), 0);
  EXPECT_EQ(table.GetLayer(0), nullptr);
}

}  // namespace
}  // namespace brisol
