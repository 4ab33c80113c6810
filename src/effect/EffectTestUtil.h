// Shape files for the effect tests, written as plain DXF text.
#pragma once

#include <algorithm>
#include <string>

#include "RecordingAlertSink.h"
#include "effect/Effect.h"

namespace brisol::test {

// A unit square (closed LWPOLYLINE) centred on the origin.
inline std::string SquareDxf() {
  std::string d = "  0\nSECTION\n  2\nENTITIES\n  0\nLWPOLYLINE\n  8\n0\n 90\n4\n 70\n1\n";
  const char* corners[4][2] = {{"-0.5", "-0.5"}, {"0.5", "-0.5"}, {"0.5", "0.5"}, {"-0.5", "0.5"}};
  for (auto& c : corners) d += std::string(" 10\n") + c[0] + "\n 20\n" + c[1] + "\n";
  return d + "  0\nENDSEC\n  0\nEOF\n";
}

// A circle of radius 0.5 at the origin.
inline std::string CircleDxf() {
  return "  0\nSECTION\n  2\nENTITIES\n  0\nCIRCLE\n  8\nShapes\n 10\n0.000000\n 20\n0.000000\n 30\n0.000000\n"
         " 40\n0.500000\n  0\nENDSEC\n  0\nEOF\n";
}

// Writes a square and a circle into the folder and loads them as the
// effect's two shapes.
inline void LoadSquareAndCircle(const TempDir& dir, CEffect& effect) {
  WriteFile(dir.File("a_square.dxf"), SquareDxf());
  WriteFile(dir.File("b_circle.dxf"), CircleDxf());
  effect.LoadShapes(dir.path().c_str());
}

// The smallest useful drawing: one line.
inline std::string LineDxf() {
  return "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";
}

// Only a text: no useful entity for an effect.
inline std::string TextOnlyDxf() {
  return "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  8\nNotes\n 10\n0.000000\n 20\n0.000000\n 30\n0.000000\n"
         " 40\n1.000000\n  1\nHello\n  0\nENDSEC\n  0\nEOF\n";
}

// Pads a drawing with comment groups in front to exactly `bytes` bytes (at
// least its own size).
inline std::string PaddedDxf(const std::string& dxf, std::size_t bytes) {
  std::string padding;
  while (dxf.size() + padding.size() + 6 <= bytes) {
    // "999\n" + text + "\n": at most 80 characters of text a group
    const std::size_t room = bytes - dxf.size() - padding.size() - 5;
    const std::size_t text = std::min<std::size_t>(room, 80);
    if (room - text != 0 && room - text < 6) {
      padding += "999\n" + std::string(text - 6, 'x') + "\n";
      continue;
    }
    padding += "999\n" + std::string(text, 'x') + "\n";
  }
  return padding + dxf;
}

}  // namespace brisol::test
