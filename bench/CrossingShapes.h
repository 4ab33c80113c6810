// Shapes whose rows are crossed by very many edges: one self-crossing
// polygon through random points, the worst case of a figure for a scanline
// filler. Shared by the drawing benchmark and the shape file generator.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace brisol::bench {

struct UnitPoint {
  double x = 0;
  double y = 0;
};

// n points spread evenly at random over the unit square centred on the
// origin; the same n and seed always give the same points.
inline std::vector<UnitPoint> CrossingPolygon(int n, std::uint32_t seed = 7) {
  std::vector<UnitPoint> points(static_cast<std::size_t>(n));
  std::uint32_t state = seed;
  auto unit = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0 - 0.5;
  };
  for (UnitPoint& p : points) {
    p.x = unit();
    p.y = unit();
  }
  return points;
}

// The polygon as an ASCII DXF drawing: one closed LWPOLYLINE.
inline std::string CrossingPolygonDxf(const std::vector<UnitPoint>& points) {
  std::string text = "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n" + std::to_string(points.size()) + "\n70\n1\n";
  char line[64];
  for (const UnitPoint& p : points) {
    std::snprintf(line, sizeof line, " 10\n%.6f\n 20\n%.6f\n", p.x, p.y);
    text += line;
  }
  return text + "0\nENDSEC\n0\nEOF\n";
}

}  // namespace brisol::bench
