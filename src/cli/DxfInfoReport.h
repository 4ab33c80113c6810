// What brisol-cli dxf-info tells about one DXF drawing: what the reader kept
// and every message the read produced.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dxf/DxfEntity.h"
#include "dxf/ShapeVerdict.h"
#include "dxf/Vec.h"

namespace brisol::cli {

struct DxfInfoReport {
  struct Layer {
    std::string name;
    int colour = 7;
    bool visible = true;
  };
  struct Block {
    std::string name;
    int entities = 0;
  };

  std::string file;
  bool readOk = false;
  // Top-level entities by type number (LWPOLYLINE counts as POLYLINE).
  std::array<int, ikNumDxfEntityTypes> counts{};
  std::vector<Layer> layers;
  std::vector<Block> blocks;
  CVec extentsMin;
  CVec extentsMax;
  // The effect loader would take it: read to its end, with at least one
  // LINE, POLYLINE or CIRCLE of some size on a layer that is on.
  bool useful = false;
  ShapeVerdict verdict = ShapeVerdict::kEmpty;
  // Every trace and box text of the read, in order.
  std::vector<std::string> messages;
};

// Reads the file with CDxfFile::ReadFile and reports it. The program's trace
// handler and alert sink are replaced during the read to collect the
// messages.
DxfInfoReport ReadDxfInfo(const char* path);

// One JSON object on one line (no line break at the end).
std::string DxfInfoJson(const DxfInfoReport& report);
// A few lines of plain text.
std::string DxfInfoText(const DxfInfoReport& report);

}  // namespace brisol::cli
