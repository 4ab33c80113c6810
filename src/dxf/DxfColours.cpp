#include "dxf/DxfColours.h"

namespace brisol {
namespace {

// Shade k of a hue family: levels 1, 0.65, 0.5, 0.3, 0.15 of full
// brightness, each as the full colour (even k) and the pale colour (odd k).
constexpr COLORREF FamilyColour(int index) {
  constexpr double kLevels[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
  const int hue = 15 * ((index - 10) / 10);
  const int k = (index - 10) % 10;
  const double level = 255.0 * kLevels[k / 2];
  const int sector = hue / 60;
  const double t = (hue % 60) / 60.0;
  double r = 0, g = 0, b = 0;
  switch (sector) {
    case 0:
      r = level;
      g = level * t;
      b = 0;
      break;
    case 1:
      r = level * (1 - t);
      g = level;
      b = 0;
      break;
    case 2:
      r = 0;
      g = level;
      b = level * t;
      break;
    case 3:
      r = 0;
      g = level * (1 - t);
      b = level;
      break;
    case 4:
      r = level * t;
      g = 0;
      b = level;
      break;
    default:
      r = level;
      g = 0;
      b = level * (1 - t);
      break;
  }
  if (k % 2 == 1) {
    r = (r + level) / 2;
    g = (g + level) / 2;
    b = (b + level) / 2;
  }
  return RGB(static_cast<unsigned>(r), static_cast<unsigned>(g), static_cast<unsigned>(b));
}

constexpr std::array<COLORREF, ikNumDxfColours> MakeTable() {
  std::array<COLORREF, ikNumDxfColours> table{};
  table[0] = RGB(0, 0, 0);
  table[1] = RGB(255, 0, 0);
  table[2] = RGB(255, 255, 0);
  table[3] = RGB(0, 255, 0);
  table[4] = RGB(0, 255, 255);
  table[5] = RGB(0, 0, 255);
  table[6] = RGB(255, 0, 255);
  table[7] = RGB(0, 0, 0);
  table[8] = RGB(120, 120, 120);
  table[9] = RGB(200, 200, 200);
  for (int i = 10; i <= 249; ++i) table[i] = FamilyColour(i);
  constexpr unsigned kGreys[6] = {84, 118, 152, 186, 220, 255};
  for (int i = 0; i < 6; ++i) table[250 + i] = RGB(kGreys[i], kGreys[i], kGreys[i]);
  return table;
}

constexpr std::array<COLORREF, ikNumDxfColours> kTable = MakeTable();

}  // namespace

const std::array<COLORREF, ikNumDxfColours>& DxfColourTable() { return kTable; }

COLORREF DxfColour(int index) {
  if (index < 0 || index >= ikNumDxfColours) index = 7;
  return kTable[index];
}

}  // namespace brisol
