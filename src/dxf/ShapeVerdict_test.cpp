#include "dxf/ShapeVerdict.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"

namespace brisol {
namespace {

CDxfPolyline Polyline(std::initializer_list<CVec> points) {
  CDxfPolyline p;
  for (const CVec& v : points) p.AddVertex(v);
  return p;
}

// Whether a drawing can be an effect's shape: it must leave a mark, with a
// LINE, POLYLINE or CIRCLE of some size on a layer that is on.
TEST(ShapeVerdict, ADrawingMustLeaveAMark) {
  CLayerTable layers;
  const CDxfLayer* on = layers.AddLayer("0", 7, 0, true);
  const CDxfLayer* off = layers.AddLayer("OFF", 7, 0, false);
  const CDxfLine line({0, 0, 0}, {1, 2, 0});
  const CDxfLine zeroLine({3, 3, 0}, {3, 3, 0});
  const CDxfLine tinyLine({0, 0, 0}, {1e-300, 1e-300, 0});
  const CDxfCircle circle({0, 0, 0}, 0.5);
  const CDxfCircle dot({5, 5, 0}, 0);
  const CDxfPolyline onePoint = Polyline({{4, 4, 0}});
  const CDxfPolyline samePoints = Polyline({{4, 4, 0}, {4, 4, 0}, {4, 4, 0}});
  const CDxfPolyline upright = Polyline({{4, 4, 0}, {4, 5, 0}});
  const CDxfPoint point({1, 1, 0});
  const CDxfArc arc({0, 0, 0}, 2, 0, 90);
  struct Case {
    const char* name;
    std::vector<std::pair<const CDxfEntity*, const CDxfLayer*>> entities;
    ShapeVerdict verdict;
  } cases[] = {
      {"nothing", {}, ShapeVerdict::kEmpty},
      {"a point and an arc", {{&point, on}, {&arc, on}}, ShapeVerdict::kNoUsefulEntities},
      {"a line", {{&line, on}}, ShapeVerdict::kUsable},
      {"an upright polyline", {{&upright, on}}, ShapeVerdict::kUsable},
      {"a circle", {{&circle, on}}, ShapeVerdict::kUsable},
      {"a circle of radius 0", {{&dot, on}}, ShapeVerdict::kNoSize},
      {"a line of length 0", {{&zeroLine, on}}, ShapeVerdict::kNoSize},
      {"a line of 1e-300", {{&tinyLine, on}}, ShapeVerdict::kNoSize},
      {"a polyline of one point", {{&onePoint, on}}, ShapeVerdict::kNoSize},
      {"a polyline of one point thrice", {{&samePoints, on}}, ShapeVerdict::kNoSize},
      {"sizeless, and an arc of size", {{&dot, on}, {&arc, on}}, ShapeVerdict::kNoSize},
      {"a line on a layer that is off", {{&line, off}}, ShapeVerdict::kAllHidden},
      {"hidden, and sizeless on", {{&line, off}, {&dot, on}}, ShapeVerdict::kNoSize},
      {"hidden, and one of size", {{&line, off}, {&dot, on}, {&circle, on}}, ShapeVerdict::kUsable},
  };
  for (const Case& c : cases) {
    CEntList drawing;
    for (const auto& [entity, layer] : c.entities) drawing.AddEntity(entity, layer);
    EXPECT_EQ(JudgeShape(drawing), c.verdict) << c.name;
    EXPECT_EQ(std::string(ShapeVerdictText(c.verdict)).empty(), c.verdict == ShapeVerdict::kUsable) << c.name;
  }
}

}  // namespace
}  // namespace brisol
