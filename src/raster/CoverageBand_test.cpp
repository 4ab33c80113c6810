// Recording a drawing and replaying it topmost first into coverage bands
// against drawing it in order: the same pixels, whatever the figures, the
// pens and the band heights; and bounds that hold every pixel drawn.
#include "raster/CoverageBand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "raster/Dadc.h"
#include "raster/DrawContext.h"
#include "raster/Random.h"

namespace brisol {
namespace {

constexpr int kW = 90, kH = 70;
constexpr COLORREF kBackground = RGB(1, 2, 3);

using Figure = std::function<void(DrawContext&)>;

// One object of a drawing: its pen and brush, then its figures.
struct Object {
  Pen pen;
  Brush brush;
  std::vector<Figure> figures;
};

void DrawObject(DrawContext& dc, const Object& o) {
  dc.SelectPen(o.pen);
  dc.SelectBrush(o.brush);
  for (const Figure& f : o.figures) f(dc);
}

// Objects of every figure kind, at random places, some reaching outside.
std::vector<Object> RandomObjects(std::uint32_t seed, int count) {
  CRandomSource random(seed);
  std::vector<Object> objects;
  for (int i = 0; i < count; ++i) {
    Object o;
    const int width = random.RandomInt(0, 3) == 0 ? 1 : random.RandomInt(0, 9);
    o.pen = random.RandomInt(0, 5) == 0 ? Pen::Null() : Pen::Solid(width, random.RandomColor());
    o.brush = random.RandomInt(0, 6) == 0 ? Brush::Null() : Brush::Solid(random.RandomColor());
    const int x = random.RandomInt(-20, kW + 20), y = random.RandomInt(-20, kH + 20);
    const int s = random.RandomInt(1, 40);
    const int a = random.RandomInt(-s, s), b = random.RandomInt(-s, s);
    switch (random.RandomInt(0, 5)) {
      case 0:
        o.figures.push_back([=](DrawContext& dc) {
          const POINT star[] = {{x, y - s}, {x + a, y + s}, {x - s, y + b}, {x + s, y + b}, {x - a, y + s}};
          dc.SetPolyFillMode(ALTERNATE);
          dc.Polygon(star);
        });
        break;
      case 1:
        o.figures.push_back([=](DrawContext& dc) { dc.Ellipse(x, y, x + s, y + s); });
        break;
      case 2:
        o.figures.push_back([=](DrawContext& dc) { dc.Ellipse(x, y, x + s, y + s / 2 + 1); });
        break;
      case 3:
        o.figures.push_back([=](DrawContext& dc) {
          dc.MoveTo(x, y);
          dc.LineTo(x + a, y + b);
          dc.LineTo(x - b, y + a);
        });
        break;
      case 4:
        o.figures.push_back([=](DrawContext& dc) {
          const POINT path[] = {{x, y}, {x + s, y + a}, {x + b, y + s}};
          dc.Polyline(path);
        });
        break;
      default:
        o.figures.push_back([=](DrawContext& dc) {
          dc.FillSolidRect(x, y, a, b, RGB(9, 8, 7));
          dc.SetTextColor(RGB(200, 10, 10));
          dc.SetBkMode(i % 2 ? TRANSPARENT : OPAQUE);
          dc.TextOut(x, y, "Ag");
          dc.SetPixel(x, y, RGB(5, 5, 5));
        });
        break;
    }
    objects.push_back(std::move(o));
  }
  return objects;
}

// The pixels of the objects drawn in order over the background.
CDADC InOrder(const std::vector<Object>& objects) {
  CDADC picture(SIZE{kW, kH}, kBackground);
  for (const Object& o : objects) DrawObject(picture.GetDC(), o);
  return picture;
}

// The same drawn a band at a time, topmost first.
CDADC TopmostFirst(const std::vector<Object>& objects, int bandRows) {
  CDADC picture(SIZE{kW, kH});
  CoverageBand band;
  SpanRecorder recorder;
  for (int top = 0; top < kH; top += bandRows) {
    const int bottom = std::min(kH, top + bandRows);
    EXPECT_TRUE(band.Start(kW, top, bottom));
    recorder.KeepRows(top, bottom);
    DrawContext dc(kW, bottom, recorder);
    for (std::size_t i = objects.size(); i-- > 0;) {
      recorder.Clear();
      DrawObject(dc, objects[i]);
      band.WriteTopmostFirst(recorder.Runs());
    }
    const PixelBlock block = band.Block();
    band.ForEachUncovered([&](int y, int x0, int x1) {
      for (int x = x0; x < x1; ++x) std::memcpy(block.Pixel(x, y), "\x03\x02\x01", 3);
    });
    EXPECT_TRUE(band.Full());
    for (int y = top; y < bottom; ++y) std::memcpy(picture.GetBlock().Row(y), block.Row(y), 3 * kW);
  }
  return picture;
}

bool Same(const CDADC& a, const CDADC& b) {
  return std::memcmp(a.GetBits(), b.GetBits(), static_cast<std::size_t>(a.GetImageSize())) == 0;
}

TEST(CoverageBand, TopmostFirstGivesTheInOrderPicture) {
  for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    const std::vector<Object> objects = RandomObjects(seed, 60);
    const CDADC expected = InOrder(objects);
    for (int rows : {1, 3, 16, kH}) EXPECT_TRUE(Same(expected, TopmostFirst(objects, rows))) << seed << " " << rows;
  }
}

TEST(CoverageBand, BoundsHoldEveryPixelDrawn) {
  const std::vector<Object> objects = RandomObjects(11, 200);
  SpanRecorder bounds, runs;
  bounds.KeepBoundsOnly(true);
  DrawContext boundsDc(kW, kH, bounds), runsDc(kW, kH, runs);
  for (const Object& o : objects) {
    bounds.Clear();
    runs.Clear();
    DrawObject(boundsDc, o);
    DrawObject(runsDc, o);
    const RECT& b = bounds.Bounds();
    for (const ColourRun& r : runs.Runs()) {
      EXPECT_TRUE(r.y >= b.top && r.y < b.bottom && r.x0 >= b.left && r.x1 <= b.right)
          << r.y << " " << r.x0 << ".." << r.x1 << " outside " << b.left << "," << b.top << " " << b.right << ","
          << b.bottom;
    }
  }
}

TEST(CoverageBand, WritesOnlyWhatNothingCovers) {
  CoverageBand band;
  ASSERT_TRUE(band.Start(130, 10, 12));
  EXPECT_FALSE(band.Covered(RECT{0, 10, 130, 12}));
  // Replayed from the last: the last run wins where they overlap.
  const ColourRun runs[] = {{10, 0, 130, RGB(1, 1, 1)}, {10, 60, 70, RGB(2, 2, 2)}, {11, 63, 66, RGB(3, 3, 3)}};
  band.WriteTopmostFirst(runs);
  EXPECT_EQ(band.Written(), 133u);
  const PixelBlock b = band.Block();
  EXPECT_EQ(b.Pixel(59, 10)[0], 1);
  EXPECT_EQ(b.Pixel(60, 10)[0], 2);
  EXPECT_EQ(b.Pixel(69, 10)[0], 2);
  EXPECT_EQ(b.Pixel(70, 10)[0], 1);
  EXPECT_EQ(b.Pixel(64, 11)[0], 3);
  EXPECT_TRUE(band.Covered(RECT{0, 0, 130, 11}));
  EXPECT_TRUE(band.Covered(RECT{63, 11, 66, 40}));
  EXPECT_FALSE(band.Covered(RECT{62, 11, 66, 12}));
  EXPECT_FALSE(band.Full());
  std::vector<ColourRun> uncovered;
  band.ForEachUncovered([&](int y, int x0, int x1) { uncovered.push_back({y, x0, x1, 0}); });
  ASSERT_EQ(uncovered.size(), 2u);
  EXPECT_EQ(uncovered[0].x1, 63);
  EXPECT_EQ(uncovered[1].x0, 66);
  EXPECT_EQ(uncovered[1].x1, 130);
  EXPECT_TRUE(band.Full());
}

TEST(DrawContext, ARecordingContextWritesNoPixelsAndCopiesNothing) {
  SpanRecorder recorder;
  DrawContext dc(10, 10, recorder);
  EXPECT_TRUE(dc.IsValid());
  EXPECT_FALSE(dc.HasPixels());
  EXPECT_EQ(dc.GetPixel(1, 1), CLR_INVALID);
  CDADC source(SIZE{4, 4});
  EXPECT_FALSE(dc.BitBlt(0, 0, 4, 4, source.GetDC(), 0, 0));
  EXPECT_FALSE(dc.StretchBlt(0, 0, 8, 8, source.GetDC(), 0, 0, 4, 4));
  dc.SetPixel(3, 4, RGB(1, 2, 3));
  ASSERT_EQ(recorder.Runs().size(), 1u);
  EXPECT_EQ(recorder.Runs()[0].colour, RGB(1, 2, 3));
}

}  // namespace
}  // namespace brisol
