// Drawing entities into a picture: what comes out filled, what as lines,
// and what not at all.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "RecordingAlertSink.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfModelTestUtil.h"
#include "dxf/EntList.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// A white picture to draw on.
class DrawTest : public ::testing::Test {
 protected:
  DrawTest() : m_surface(SIZE{400, 400}, kWhite) {}
  DrawContext& dc() { return m_surface.GetDC(); }
  COLORREF At(int x, int y) { return dc().GetPixel(x, y); }
  int CountNot(COLORREF c) {
    int n = 0;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 400; ++x)
        if (At(x, y) != c) ++n;
    return n;
  }
  // Skips pixel tests while the figure operations draw nothing.
  bool FiguresDraw() {
    CDADC probe(SIZE{8, 8}, kWhite);
    probe.GetDC().SelectBrush(Brush::Solid(kBlack));
    const POINT square[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
    probe.GetDC().Polygon(square);
    return probe.GetDC().GetPixel(3, 3) == kBlack;
  }
  // Drawing units to pixels: s pixels per unit, y up, origin at (x, y).
  static CMatrix Transform(double s, double x, double y, double angle = 0.0) {
    CMatrix m;
    m.MakeTransform(CVec(s, -s, 0), angle, CVec(x, y, 0));
    return m;
  }
  static CDxfPolyline Square(bool closed) {
    CDxfPolyline p;
    p.AddVertex({0, 0, 0});
    p.AddVertex({10, 0, 0});
    p.AddVertex({10, 10, 0});
    p.AddVertex({0, 10, 0});
    p.SetClosed(closed);
    return p;
  }

  CDADC m_surface;
};

TEST_F(DrawTest, ClosedSquareWithRedBrushAndNullPenIsAFilledRedSquare) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Null());
  Square(true).DrawIntoDC(dc(), Transform(10, 50, 150));  // pixels 50..150 by 50..150
  EXPECT_EQ(At(100, 100), kRed);
  EXPECT_EQ(At(55, 55), kRed);
  EXPECT_EQ(At(145, 145), kRed);
  EXPECT_EQ(At(40, 100), kWhite);
  EXPECT_EQ(At(160, 100), kWhite);
  EXPECT_EQ(At(100, 40), kWhite);
  EXPECT_EQ(At(100, 160), kWhite);
}

TEST_F(DrawTest, OpenSquareDrawsNothingWithoutAPen) {
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Null());
  Square(false).DrawIntoDC(dc(), Transform(10, 50, 150));
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(DrawTest, OpenSquareIsThreeLinesWithAPen) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Solid(1, kBlack));
  Square(false).DrawIntoDC(dc(), Transform(10, 50, 150));
  EXPECT_EQ(At(100, 150), kBlack);  // bottom edge
  EXPECT_EQ(At(150, 100), kBlack);  // right edge
  EXPECT_EQ(At(100, 50), kBlack);   // top edge
  EXPECT_EQ(At(50, 100), kWhite);   // the last vertex is not joined to the first
  EXPECT_EQ(At(100, 100), kWhite);  // and nothing is filled
}

TEST_F(DrawTest, PolylineWithOneVertexDrawsNothing) {
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Solid(3, kBlack));
  for (bool closed : {true, false}) {
    CDxfPolyline p;
    p.AddVertex({5, 5, 0});
    p.SetClosed(closed);
    p.DrawIntoDC(dc(), Transform(10, 50, 150));
  }
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(DrawTest, ArcFrom350To10SweepsTwentyDegreesThroughZero) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectPen(Pen::Solid(1, kBlack));
  CDxfArc arc({0, 0, 0}, 10, 350, 10);
  arc.DrawIntoDC(dc(), Transform(10, 200, 200));  // radius 100 pixels around (200, 200)
  int drawn = 0;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 400; ++x) {
      if (At(x, y) == kWhite) continue;
      ++drawn;
      // Every pixel lies within 10 degrees of the positive x axis.
      EXPECT_GE(x, 200 + 97) << x << "," << y;
      EXPECT_LE(std::abs(y - 200), 18) << x << "," << y;
    }
  }
  EXPECT_GE(drawn, 30);
  EXPECT_NE(At(299, 200), kWhite);  // through 0 degrees (100 x cos 0.2 degrees, truncated)
}

TEST_F(DrawTest, ArcIsCounterClockwiseOnTheScreenAndAtLeastTwoPixels) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectPen(Pen::Solid(1, kBlack));
  CDxfArc arc({0, 0, 0}, 10, 80, 100);  // around the top
  arc.DrawIntoDC(dc(), Transform(10, 200, 200));
  EXPECT_NE(At(200, 100), kWhite);  // up on the screen
  EXPECT_EQ(At(200, 300), kWhite);
  // With a tiny scale the radius is still 2 pixels.
  CDADC small(SIZE{20, 20}, kWhite);
  small.GetDC().SelectPen(Pen::Solid(1, kBlack));
  CDxfArc tiny({0, 0, 0}, 1, 0, 180);
  tiny.DrawIntoDC(small.GetDC(), Transform(0.001, 10, 10));
  EXPECT_NE(small.GetDC().GetPixel(12, 10), kWhite);
}

TEST_F(DrawTest, ArcWithEqualAnglesDrawsNothing) {
  dc().SelectPen(Pen::Solid(1, kBlack));
  CDxfArc arc({0, 0, 0}, 10, 45, 45 + 0.5e-05);
  arc.DrawIntoDC(dc(), Transform(10, 200, 200));
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(DrawTest, CircleIsFilledAndStaysRoundUnderUnevenScale) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Null());
  CDxfCircle circle({0, 0, 0}, 1);
  CMatrix m;
  m.MakeTransform(CVec(50, -100, 0), 0.0, CVec(200, 200, 0));  // radius from the y direction: 100
  circle.DrawIntoDC(dc(), m);
  EXPECT_EQ(At(200, 200), kRed);
  EXPECT_EQ(At(290, 200), kRed);
  EXPECT_EQ(At(200, 290), kRed);
  EXPECT_EQ(At(110, 200), kRed);
  EXPECT_EQ(At(310, 200), kWhite);
  EXPECT_EQ(At(200, 90), kWhite);
}

TEST_F(DrawTest, LineAndPointAreDrawnWithThePen) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  dc().SelectPen(Pen::Solid(1, kBlack));
  CDxfLine line({0, 0, 0}, {10, 0, 0});
  line.DrawIntoDC(dc(), Transform(10, 50, 100));
  EXPECT_EQ(At(100, 100), kBlack);
  CDxfPoint point({0, 0, 0});
  point.DrawIntoDC(dc(), Transform(10, 300, 300));
  EXPECT_EQ(At(300, 300), kBlack);  // the middle of the cross
  EXPECT_EQ(At(299, 299), kBlack);
  EXPECT_EQ(At(301, 299), kBlack);
  EXPECT_EQ(At(300, 297), kWhite);
}

TEST_F(DrawTest, EllipseInsertAndMeshesDrawNothing) {
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Solid(2, kBlack));
  CDxfEllipse ellipse({0, 0, 0}, 5, 3);
  ellipse.DrawIntoDC(dc(), Transform(10, 200, 200));
  CDxfInsert insert;
  insert.DrawIntoDC(dc(), Transform(10, 200, 200));
  CDxfPolyfaceMesh mesh;
  mesh.AddVertex({0, 0, 0});
  mesh.DrawIntoDC(dc(), Transform(10, 200, 200));
  CDxfPolygonMesh grid;
  grid.DrawIntoDC(dc(), Transform(10, 200, 200));
  EXPECT_EQ(CountNot(kWhite), 0);
}

// Entities with coordinates that are not finite, or that reach far beyond any
// picture, each drawn alone with a red brush and a black one-pixel pen
// around (200, 200) at 10 pixels per unit.
struct AbsurdCase {
  const char* name;
  void (*draw)(DrawContext& dc, const CMatrix& m);
  // What the picture must show: nothing, everything red, or pixels near a
  // line or wedge from (200, 200) that keeps its true slopes.
  enum { Nothing, AllRed, NearSlopes } expect;
  double lowSlope = 0, highSlope = 0;
};

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const AbsurdCase kAbsurdCases[] = {
    {"LineToAFarPointKeepsItsSlope",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfLine({0, 0, 0}, {1e300, -0.5e300, 0}).DrawIntoDC(dc, m);
     },
     AbsurdCase::NearSlopes, 0.5, 0.5},
    {"LineThroughNotANumber",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfLine({kNan, 0, 0}, {kInf, kNan, 0}).DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"HugeCircleCoversThePicture",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfCircle({0, 0, 0}, 1e300).DrawIntoDC(dc, m);
     },
     AbsurdCase::AllRed},
    {"CircleOfNotANumber",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfCircle({kNan, 0, 0}, kNan).DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"ArcOfNotANumberRadius",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfArc({0, 0, 0}, kNan, 0, 90).DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"ArcFarOutside",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfArc({0, 0, 0}, 1e300, 0, 90).DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"PointAtInfinity",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfPoint({kInf, -kInf, 0}).DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"PolygonWithANotANumberCorner",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfPolyline p;
       p.AddVertex({kNan, 0, 0});
       p.AddVertex({1e300, 1e300, 0});
       p.AddVertex({-1e300, 5, 0});
       p.SetClosed(true);
       p.DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
    {"WedgeReachingFarKeepsItsShape",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfPolyline p;
       p.AddVertex({0, 0, 0});
       p.AddVertex({1e300, -0.5e300, 0});
       p.AddVertex({1e300, -0.6e300, 0});
       p.SetClosed(true);
       p.DrawIntoDC(dc, m);
     },
     AbsurdCase::NearSlopes, 0.5, 0.6},
    {"OpenPolylineThroughAFarPoint",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfPolyline p;
       p.AddVertex({0, 0, 0});
       p.AddVertex({1e300, -0.6e300, 0});
       p.DrawIntoDC(dc, m);
     },
     AbsurdCase::NearSlopes, 0.6, 0.6},
    {"TextOfAbsurdHeight",
     [](DrawContext& dc, const CMatrix& m) {
       CDxfText t;
       t.SetText("x");
       t.SetHeight(1e300);
       t.DrawIntoDC(dc, m);
     },
     AbsurdCase::Nothing},
};

class AbsurdCoordinates : public DrawTest, public ::testing::WithParamInterface<AbsurdCase> {};

TEST_P(AbsurdCoordinates, DrawOnlyWhatTheirGeometryShows) {
  const AbsurdCase& c = GetParam();
  dc().SelectBrush(Brush::Solid(kRed));
  dc().SelectPen(Pen::Solid(1, kBlack));
  c.draw(dc(), Transform(10, 200, 200));
  switch (c.expect) {
    case AbsurdCase::Nothing:
      EXPECT_EQ(CountNot(kWhite), 0);
      break;
    case AbsurdCase::AllRed:
      EXPECT_EQ(CountNot(kRed), 0);
      break;
    case AbsurdCase::NearSlopes: {
      // Down and to the right of (200, 200), between the slopes give or
      // take a pixel, and reaching the right edge in the middle of the band.
      int drawn = 0;
      for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
          if (At(x, y) == kWhite) continue;
          ++drawn;
          const double dx = x + 0.5 - 200, dy = y + 0.5 - 200;
          EXPECT_TRUE(dy >= c.lowSlope * dx - 1.5 && dy <= c.highSlope * dx + 1.5) << x << "," << y;
        }
      EXPECT_GE(drawn, 199);
      const int middle = 200 + static_cast<int>((c.lowSlope + c.highSlope) / 2 * 199.5);
      EXPECT_TRUE(At(399, middle - 1) != kWhite || At(399, middle) != kWhite || At(399, middle + 1) != kWhite);
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Entities, AbsurdCoordinates, ::testing::ValuesIn(kAbsurdCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FontCase {
  double scale, height;
  int expected;
};

class TextFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(TextFontTest, FontHeightIsTruncatedScaledHeightPlusOne) {
  CDxfText text;
  text.SetHeight(GetParam().height);
  CMatrix m;
  m.MakeTransform(CVec(GetParam().scale, -GetParam().scale, 0), 0.0, CVec(10, 10, 0));
  EXPECT_EQ(text.FontFor(m).height, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Heights, TextFontTest,
                         ::testing::Values(FontCase{0.05, 10, 1},  // trunc(0.5) + 1
                                           FontCase{1, 10, 11}, FontCase{2.5, 4, 11}, FontCase{0.3, 10, 4},
                                           FontCase{-1, 10, -9}));  // a mirrored transform

TEST(CDxfText, FontTakesFaceWeightAndSlant) {
  CDxfText text;
  CMatrix identity;
  LogFont plain = text.FontFor(identity);
  EXPECT_EQ(plain.faceName, "Arial");
  EXPECT_EQ(plain.weight, 400);
  EXPECT_FALSE(plain.italic);
  text.SetBold(true);
  text.SetItalic(true);
  text.SetFaceName("Courier");
  LogFont styled = text.FontFor(identity);
  EXPECT_EQ(styled.weight, 700);
  EXPECT_TRUE(styled.italic);
  EXPECT_EQ(styled.faceName, "Courier");
}

TEST_F(DrawTest, TextWithoutAFontIsTracedAndNotDrawn) {
  CDxfText text;
  text.SetText("Hello");
  text.SetHeight(1e12);  // no font is made that large
  const CMatrix m = Transform(1, 200, 200);
  if (Font::Create(text.FontFor(m)).IsValid()) GTEST_SKIP() << "a font of this height is available";
  test::TraceLog traces;
  text.DrawIntoDC(dc(), m);
  EXPECT_EQ(CountNot(kWhite), 0);
  ASSERT_FALSE(traces.Texts().empty());  // the font engine may say why first
  EXPECT_EQ(traces.Texts().back(), "CDxfText::DrawIntoDC, Can't create font indirect");
}

TEST_F(DrawTest, TextIsCentredOnItsInsertionPointInTheTextColour) {
  CDxfText text;
  text.SetText("HHHH");
  text.SetHeight(40);
  text.SetInsertionPoint({0, 0, 0});
  const CMatrix m = Transform(1, 200, 200);
  if (!Font::Create(text.FontFor(m)).IsValid()) GTEST_SKIP() << "no font can be made yet";
  dc().SetTextColor(kGreen);
  dc().SetBkMode(TRANSPARENT);
  const Font before = dc().GetCurrentFont();
  text.DrawIntoDC(dc(), m);
  EXPECT_EQ(dc().GetCurrentFont(), before);  // the previous font is back
  int minX = 400, maxX = -1, minY = 400, maxY = -1, other = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      const COLORREF c = At(x, y);
      if (c == kWhite) continue;
      if (c != kGreen) ++other;
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
  ASSERT_GE(maxX, 0) << "nothing drawn";
  EXPECT_NEAR((minX + maxX) / 2.0, 200, 6);
  // The cell (41 pixels high) hangs from 41 pixels above the point 20 below the insertion point.
  EXPECT_GE(minY, 200 + 20 - 41 - 1);
  EXPECT_LE(maxY, 200 + 20 + 1);
  EXPECT_EQ(other, 0);  // aliased text in exactly the text colour
}

// The preview: a list drawn with its layers' pens.
class ListDrawTest : public DrawTest {
 protected:
  ListDrawTest() { m_layer = m_layers.AddLayer("0", 1, 0, true); }  // pen 1 red, pen 0 black
  CLayerTable m_layers;
  CDxfLayer* m_layer = nullptr;
  CEntList m_list;
};

TEST_F(ListDrawTest, CircleIsOutlinedInTheLayersPenAndNotFilled) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  CDxfCircle circle({0, 0, 0}, 10);
  m_list.AddEntity(&circle, m_layer);
  dc().SelectBrush(Brush::Solid(kGreen));
  dc().SelectPen(Pen::Solid(1, kGreen));
  dc().SetTextColor(kGreen);
  const int bkMode = dc().GetBkMode();
  m_list.DrawIntoDC(dc(), 0, Transform(10, 200, 200));
  EXPECT_EQ(At(200, 200), kWhite);  // not filled
  int black = 0, other = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      if (At(x, y) == kBlack)
        ++black;
      else if (At(x, y) != kWhite)
        ++other;
    }
  EXPECT_GT(black, 400);  // an outline of about 2 pi 100 pixels
  EXPECT_EQ(other, 0);
  // Everything the list changed is put back.
  EXPECT_EQ(dc().GetCurrentBrush(), Brush::Solid(kGreen));
  EXPECT_EQ(dc().GetCurrentPen(), Pen::Solid(1, kGreen));
  EXPECT_EQ(dc().GetTextColor(), kGreen);
  EXPECT_EQ(dc().GetBkMode(), bkMode);
}

TEST_F(ListDrawTest, ColourPenDrawsInTheLayersColour) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  CDxfCircle circle({0, 0, 0}, 10);
  m_list.AddEntity(&circle, m_layer);
  m_list.DrawIntoDC(dc(), 1, Transform(10, 200, 200));
  EXPECT_EQ(At(200, 200), kWhite);
  int red = 0;
  for (int x = 0; x < 400; ++x)
    if (At(x, 200) == kRed) ++red;
  EXPECT_GE(red, 2);
}

TEST_F(ListDrawTest, EntitiesOnInvisibleLayersAreNotDrawn) {
  CDxfLayer* hidden = m_layers.AddLayer("HIDDEN", 1, 0, false);
  CDxfCircle circle({0, 0, 0}, 10);
  m_list.AddEntity(&circle, hidden);
  m_list.DrawIntoDC(dc(), 0, Transform(10, 200, 200));
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(ListDrawTest, DrawingOfEllipsesOnlyShowsNothingAndHasNoUsefulEntities) {
  CDxfEllipse ellipse({0, 0, 0}, 10, 5);
  m_list.AddEntity(&ellipse, m_layer);
  m_list.AddEntity(&ellipse, m_layer);
  m_list.DrawIntoDC(dc(), 0, Transform(10, 200, 200));
  dc().SelectPen(Pen::Solid(1, kBlack));
  m_list.DrawEntitiesIntoDC(dc(), Transform(10, 200, 200));
  EXPECT_EQ(CountNot(kWhite), 0);
  EXPECT_EQ(m_list.CountOfType(kDxfLine) + m_list.CountOfType(kDxfPolyline) + m_list.CountOfType(kDxfCircle), 0);
}

TEST_F(ListDrawTest, ShapeDrawingUsesTheCallersPenAndBrush) {
  if (!FiguresDraw()) GTEST_SKIP() << "figures are not drawn yet";
  CDxfPolyline square = Square(true);
  m_list.AddEntity(&square, m_layer);
  dc().SelectBrush(Brush::Solid(kGreen));
  dc().SelectPen(Pen::Null());
  m_list.DrawEntitiesIntoDC(dc(), Transform(10, 50, 150));
  EXPECT_EQ(At(100, 100), kGreen);
}

TEST_F(ListDrawTest, EmptyListLeavesTheContextAlone) {
  dc().SelectBrush(Brush::Solid(kGreen));
  m_list.DrawIntoDC(dc(), 0, Transform(10, 200, 200));
  EXPECT_EQ(dc().GetCurrentBrush(), Brush::Solid(kGreen));
}

}  // namespace
}  // namespace brisol
