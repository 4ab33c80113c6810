#include "dxf/DeviceFigures.h"

#include <cmath>
#include <utility>
#include <vector>

#include "dxf/DeviceCoords.h"
#include "dxf/FigureSink.h"
#include "logger/Trace.h"
#include "raster/DrawContext.h"
#include "raster/ThreadScratch.h"

namespace brisol {
namespace {

// The box figures are cut at; the cutting works in long double, so that
// differences of huge coordinates do not overflow.
using Real = long double;
constexpr Real kBox = kDeviceCoordLimit;

struct RealPoint {
  Real x, y;
};

bool InBox(const CVec& p) { return std::fabs(p.x) <= kDeviceCoordLimit && std::fabs(p.y) <= kDeviceCoordLimit; }

POINT Pixel(Real x, Real y) { return POINT{ToDevice(static_cast<double>(x)), ToDevice(static_cast<double>(y))}; }

// Which side of the box: the coordinate (x for axis 0, y for axis 1) times
// sign may be at most kBox.
struct Side {
  int axis;
  Real sign;
  Real Value(const RealPoint& p) const { return sign * (axis == 0 ? p.x : p.y); }
  bool Keeps(const RealPoint& p) const { return Value(p) <= kBox; }
};
constexpr Side kSides[4] = {{0, 1}, {0, -1}, {1, 1}, {1, -1}};

// Where the segment from inside (kept by the side) to outside crosses the
// side's line, worked out from the inside point: a far point's huge
// coordinates would swallow the small ones.
RealPoint Cross(const RealPoint& inside, const RealPoint& outside, const Side& side) {
  const Real at = side.sign * kBox;
  if (side.axis == 0) return {at, inside.y + (at - inside.x) * ((outside.y - inside.y) / (outside.x - inside.x))};
  return {inside.x + (at - inside.y) * ((outside.x - inside.x) / (outside.y - inside.y)), at};
}

// The part of the segment inside the box; false when none.
bool ClipSegment(RealPoint& a, RealPoint& b) {
  for (const Side& side : kSides) {
    const bool aIn = side.Keeps(a), bIn = side.Keeps(b);
    if (!aIn && !bIn) return false;
    if (!aIn) a = Cross(b, a, side);
    if (!bIn) b = Cross(a, b, side);
  }
  return true;
}

// Cuts a closed polygon with one side of the box (Sutherland-Hodgman).
// Inside the box every point keeps its winding number.
void ClipPolygonSide(const std::vector<RealPoint>& in, const Side& side, std::vector<RealPoint>& out) {
  out.clear();
  const std::size_t n = in.size();
  for (std::size_t i = 0; i < n; ++i) {
    const RealPoint& a = in[i];
    const RealPoint& b = in[(i + 1) % n];
    const bool aIn = side.Keeps(a), bIn = side.Keeps(b);
    if (aIn) out.push_back(a);
    if (aIn && !bIn) out.push_back(Cross(a, b, side));
    if (!aIn && bIn) out.push_back(Cross(b, a, side));
  }
}

}  // namespace

bool IsFinite2D(const CVec& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void DrawDeviceLine(DrawContext& dc, const CVec& a, const CVec& b) {
  const CVec both[2] = {a, b};
  DrawDevicePolyline(dc, both);
}

void DrawDevicePolyline(DrawContext& dc, std::span<const CVec> points) {
  if (points.empty()) return;
  bool inBox = true;
  for (const CVec& p : points) {
    if (!IsFinite2D(p)) return;
    inBox = inBox && InBox(p);
  }
  if (inBox) {
    dc.MoveTo(ToDevice(points[0].x), ToDevice(points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i) dc.LineTo(ToDevice(points[i].x), ToDevice(points[i].y));
    return;
  }
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    RealPoint a{points[i].x, points[i].y}, b{points[i + 1].x, points[i + 1].y};
    if (!ClipSegment(a, b)) continue;
    const POINT from = Pixel(a.x, a.y), to = Pixel(b.x, b.y);
    dc.MoveTo(from.x, from.y);
    dc.LineTo(to.x, to.y);
  }
}

void DrawDevicePolygon(DrawContext& dc, std::span<const CVec> points) {
  static ThreadScratch<std::vector<POINT>> pixelScratch;
  std::vector<POINT>& pixels = pixelScratch.Get();
  pixels.clear();
  bool inBox = true;
  for (const CVec& p : points) {
    if (!IsFinite2D(p)) return;
    inBox = inBox && InBox(p);
    pixels.push_back(POINT{ToDevice(p.x), ToDevice(p.y)});
  }
  if (!inBox) {
    static ThreadScratch<std::pair<std::vector<RealPoint>, std::vector<RealPoint>>> clipScratch;
    auto& [a, b] = clipScratch.Get();
    a.clear();
    for (const CVec& p : points) a.push_back({p.x, p.y});
    for (const Side& side : kSides) {
      ClipPolygonSide(a, side, b);
      a.swap(b);
    }
    if (a.empty()) return;  // wholly outside: nothing shows
    pixels.clear();
    for (const RealPoint& p : a) pixels.push_back(Pixel(p.x, p.y));
  }
  dc.Polygon(std::span<const POINT>(pixels.data(), pixels.size()));
}

void DeviceFigureSink::Polyline(std::span<const CVec> points) { DrawDevicePolyline(m_dc, points); }

void DeviceFigureSink::Polygon(std::span<const CVec> points) { DrawDevicePolygon(m_dc, points); }

void DeviceFigureSink::Circle(const CVec& c, double r) {
  m_dc.Ellipse(ToDevice(c.x - r), ToDevice(c.y - r), ToDevice(c.x + r), ToDevice(c.y + r));
}

// In a font made for this text only.
void DeviceFigureSink::Text(std::string_view text, const LogFont& description, const CVec& p) {
  const int h = description.height;
  const Font font = Font::Create(description);
  if (!font.IsValid()) {
    TraceMsg("CDxfText::DrawIntoDC, Can't create font indirect");
    return;
  }
  const Font previous = m_dc.SelectFont(font);
  const int w = m_dc.GetTextExtentPoint32(text).cx;
  m_dc.TextOut(ToDevice(p.x - (w / 2)), ToDevice(p.y - h), text);
  m_dc.SelectFont(previous);
}

}  // namespace brisol
