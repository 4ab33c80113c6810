// Numbers a drawing cannot use (not a number, infinite, or as good as
// infinite once scaled): the entity holding one is dropped where it is read,
// with a trace, and the rest of the drawing is read as usual.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DxfReaderTestUtil.h"
#include "RecordingAlertSink.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfFile.h"
#include "dxf/Matrix.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::Dxf;

std::string Entities(const std::string& body) {
  return Dxf({{0, "SECTION"}, {2, "ENTITIES"}}) + body + Dxf({{0, "ENDSEC"}, {0, "EOF"}});
}

const std::string kGoodSquare = Dxf({{0, "LWPOLYLINE"},
                                     {70, "1"},
                                     {10, "-1"},
                                     {20, "-1"},
                                     {10, "1"},
                                     {20, "-1"},
                                     {10, "1"},
                                     {20, "1"},
                                     {10, "-1"},
                                     {20, "1"}});

struct Read {
  explicit Read(const std::string& text) {
    const std::string path = dir.File("t.dxf");
    test::WriteFile(path, text);
    ok = file.ReadFile(path.c_str(), nullptr);
    traces = recorder.Texts();
  }
  bool TracedDrop(const std::string& entity) const {
    for (const std::string& t : traces)
      if (t.rfind(entity + " at line", 0) == 0 && t.find("dropped") != std::string::npos) return true;
    return false;
  }
  test::TempDir dir;
  test::ScopedTraceRecorder recorder;
  CDxfFile file;
  bool ok = false;
  std::vector<std::string> traces;
};

// One entity of each kind the reader keeps, with {v} where a number goes.
struct EntityCase {
  const char* name;  // as traced
  std::string text;  // with {v}
  int type;
};

std::string With(std::string text, const std::string& value) {
  for (std::size_t at = text.find("{v}"); at != std::string::npos; at = text.find("{v}")) text.replace(at, 3, value);
  return text;
}

const EntityCase kEntityCases[] = {
    {"LINE", Dxf({{0, "LINE"}, {10, "0"}, {20, "{v}"}, {11, "1"}, {21, "1"}}), kDxfLine},
    {"POINT", Dxf({{0, "POINT"}, {10, "{v}"}, {20, "0"}}), kDxfPoint},
    {"CIRCLE", Dxf({{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "{v}"}}), kDxfCircle},
    {"ARC", Dxf({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "{v}"}}), kDxfArc},
    {"ELLIPSE", Dxf({{0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "{v}"}, {21, "0"}, {40, "0.5"}}), kDxfEllipse},
    {"TEXT", Dxf({{0, "TEXT"}, {1, "abc"}, {10, "0"}, {20, "0"}, {40, "{v}"}}), kDxfText},
    {"LWPOLYLINE", Dxf({{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {10, "{v}"}, {20, "1"}}), kDxfPolyline},
    {"POLYLINE",
     Dxf({{0, "POLYLINE"},
          {66, "1"},
          {0, "VERTEX"},
          {10, "0"},
          {20, "0"},
          {0, "VERTEX"},
          {10, "1"},
          {20, "{v}"},
          {0, "SEQEND"}}),
     kDxfPolyline},
};

const char* const kBadNumbers[] = {"nan", "NAN", "inf", "-inf", "infinity", "1e308", "-1e308", "1e999", "2e15"};

TEST(DxfBadNumbers, EntityHoldingOneIsDroppedAndTheRestIsKept) {
  for (const EntityCase& c : kEntityCases) {
    {
      Read good(Entities(kGoodSquare + With(c.text, "0.5")));
      ASSERT_TRUE(good.ok) << c.name;
      ASSERT_EQ(good.file.CountOfType(c.type), c.type == kDxfPolyline ? 2 : 1) << c.name;
    }
    for (const char* bad : kBadNumbers) {
      Read r(Entities(With(c.text, bad) + kGoodSquare));
      EXPECT_TRUE(r.ok) << c.name << " " << bad;
      EXPECT_EQ(r.file.GetCount(), 1) << c.name << " " << bad;
      EXPECT_EQ(r.file.CountOfType(kDxfPolyline), 1) << c.name << " " << bad;
      EXPECT_TRUE(r.TracedDrop(c.name)) << c.name << " " << bad;
    }
  }
}

TEST(DxfBadNumbers, LargeButUsableNumbersAreKept) {
  Read r(Entities(Dxf({{0, "LINE"}, {10, "-1e15"}, {20, "0"}, {11, "1e15"}, {21, "1e-300"}})));
  EXPECT_EQ(r.file.CountOfType(kDxfLine), 1);
}

TEST(DxfBadNumbers, InsertAndBlockBasePointAreChecked) {
  const std::string block = Dxf(
      {{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "B"},      {10, "0"},    {20, "0"},     {0, "LINE"},  {10, "0"},
       {20, "0"},      {11, "1"},     {21, "1"},    {0, "ENDBLK"}, {0, "BLOCK"}, {2, "FAR"},    {10, "inf"},  {20, "0"},
       {0, "LINE"},    {10, "0"},     {20, "0"},    {11, "1"},     {21, "1"},    {0, "ENDBLK"}, {0, "ENDSEC"}});
  Read r(block + Dxf({{0, "SECTION"},
                      {2, "ENTITIES"},
                      {0, "INSERT"},
                      {2, "B"},
                      {10, "0"},
                      {20, "0"},
                      {41, "nan"},
                      {0, "INSERT"},
                      {2, "B"},
                      {10, "1"},
                      {20, "1"},
                      {0, "INSERT"},
                      {2, "FAR"},
                      {10, "0"},
                      {20, "0"},
                      {0, "ENDSEC"},
                      {0, "EOF"}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file.CountOfType(kDxfInsert), 1);  // B at (1, 1) only: FAR is not a block
  EXPECT_EQ(r.file.GetBlockTable().GetCount(), 1);
  EXPECT_TRUE(r.TracedDrop("INSERT"));
}

TEST(DxfBadNumbers, ExtentsCoverOnlyTheKeptGeometry) {
  Read r(Entities(Dxf({{0, "LINE"}, {10, "nan"}, {20, "0"}, {11, "5"}, {21, "5"}}) + kGoodSquare +
                  Dxf({{0, "CIRCLE"}, {10, "100"}, {20, "0"}, {40, "1e308"}})));
  CVec min, max;
  r.file.GetExtents(min, max);
  EXPECT_EQ(min, CVec(-1, -1, 0));
  EXPECT_EQ(max, CVec(1, 1, 0));
}

TEST(DxfBadNumbers, NegativeRadiusIsTakenAsItsSize) {
  Read r(Entities(Dxf({{0, "CIRCLE"}, {10, "1"}, {20, "2"}, {40, "-3"}}) +
                  Dxf({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "-2"}, {50, "0"}, {51, "90"}})));
  ASSERT_EQ(r.file.GetCount(), 2);
  const auto* circle = dynamic_cast<const CDxfCircle*>(r.file.GetEntity(0));
  const auto* arc = dynamic_cast<const CDxfArc*>(r.file.GetEntity(1));
  ASSERT_NE(circle, nullptr);
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(circle->GetRadius(), 3.0);
  EXPECT_EQ(arc->GetRadius(), 2.0);
  CVec min, max;
  circle->GetExtents(min, max);
  EXPECT_EQ(min, CVec(-2, -1, 0));
  EXPECT_EQ(max, CVec(4, 5, 0));
  // A circle made with a negative radius in code has the same box.
  CDxfCircle({1, 2, 0}, -3).GetExtents(min, max);
  EXPECT_EQ(min, CVec(-2, -1, 0));
  EXPECT_EQ(max, CVec(4, 5, 0));
}

// Draws every entity of the drawing as the effect does, filled red with a
// black outline, at the centre of a white picture.
std::vector<std::uint8_t> Drawn(const CDxfFile& drawing) {
  CDADC picture(SIZE{80, 60}, RGB(255, 255, 255));
  DrawContext& dc = picture.GetDC();
  dc.SelectBrush(Brush::Solid(RGB(255, 0, 0)));
  dc.SelectPen(Pen::Solid(3, RGB(0, 0, 0)));
  CMatrix m;
  m.MakeTransform(CVec(20, -20, 0), 0.3, CVec(40, 30, 0));
  for (int i = 0; i < drawing.GetCount(); ++i) drawing.GetEntity(i)->DrawIntoDC(dc, m);
  const PixelBlock block = picture.GetBlock();
  return std::vector<std::uint8_t>(block.bits, block.bits + static_cast<std::size_t>(block.stride) * block.height);
}

TEST(DxfBadNumbers, OneBadEntityDoesNotSpoilTheDrawing) {
  Read good(Entities(kGoodSquare));
  for (const char* bad : kBadNumbers) {
    Read spoiled(Entities(
        Dxf({{0, "LWPOLYLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, bad}, {20, "0.5"}, {10, "0.5"}, {20, bad}}) +
        kGoodSquare));
    EXPECT_EQ(Drawn(spoiled.file), Drawn(good.file)) << bad;
  }
}

}  // namespace
}  // namespace brisol
