// Layers of a DXF drawing: the pen holder, the layer with its two pens
// (0 monochrome, 1 colour) and the table of at most 1024 layers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "raster/GdiObjects.h"
#include "raster/Types.h"

namespace brisol {

// Pen style numbers as a DXF layer carries them. Only solid and null can be
// drawn by our drawing context; other styles are kept as given and drawn
// solid.
enum DxfPenStyle : int { kDxfPenSolid = 0, kDxfPenNull = 5 };

class CLayerPen {
 public:
  // White, solid, 1 pixel.
  CLayerPen() { MakePen(); }

  // An index outside 1..255 becomes 7.
  void SetColourIndex(int index);
  void SetColour(COLORREF rgb);
  // A style other than solid also forces the width to 1.
  void SetStyle(int style);
  void SetWidth(int width);

  COLORREF GetColour() const { return m_crColour; }
  int GetStyle() const { return m_iStyle; }
  int GetWidth() const { return m_iWidth; }
  const Pen& GetPen() const { return m_pen; }

 private:
  void MakePen();

  COLORREF m_crColour = RGB(255, 255, 255);
  int m_iStyle = kDxfPenSolid;
  int m_iWidth = 1;
  Pen m_pen;
};

class CDxfLayer {
 public:
  static constexpr std::size_t kMaxNameChars = 256;

  // Name "" (reads as "0"), visible, colour index 7, both pens black.
  CDxfLayer();

  // Sets the layer's colour index and pen penIndex's colour from the table.
  void SetColourIndex(int index, int penIndex);
  void SetColour(COLORREF rgb, int penIndex);
  void SetStyle(int style, int penIndex);
  // The pen object of pen 0 or 1 (any other index gives pen 0).
  const Pen& GetPen(int penIndex) const;
  const CLayerPen& GetLayerPen(int penIndex) const;
  // The colour of pen 1, whatever pen is drawn with.
  COLORREF GetTextColour() const { return m_aPens[1].GetColour(); }

  void SetName(const char* name);
  const std::string& GetName() const { return m_strName; }
  // The name, or "0" for an empty name.
  const char* GetReportedName() const;
  void SetVisible(bool visible) { m_bVisible = visible; }
  bool IsVisible() const { return m_bVisible; }
  int GetColourIndex() const { return m_iColourIndex; }

 private:
  static int PenSlot(int penIndex) { return penIndex == 1 ? 1 : 0; }

  std::string m_strName;
  bool m_bVisible = true;
  int m_iColourIndex = 7;
  CLayerPen m_aPens[2];
};

class CLayerTable {
 public:
  static constexpr int kMaxLayers = 1024;
  static constexpr std::size_t kMaxNameLength = 255;

  CLayerTable() = default;
  CLayerTable(const CLayerTable&) = delete;
  CLayerTable& operator=(const CLayerTable&) = delete;

  // Adds a layer or updates the colour of the one of that name (compared
  // without case); answers it, or null for a refused name or a full table.
  CDxfLayer* AddLayer(const char* name, int colourIndex, int style, bool visible);
  // The layer of that name (or "0" for an empty layer name); a null or empty
  // name, and a name not in the table, answer the first layer. Null (with a
  // trace) when the table is empty.
  CDxfLayer* GetLayerPtrFromName(const char* name);
  const CDxfLayer* GetLayerPtrFromName(const char* name) const;
  // The visible flag of GetLayerPtrFromName(name); false when that is null.
  bool IsLayerVisible(const char* name) const;

  int GetCount() const { return static_cast<int>(m_apLayers.size()); }
  // Layer i, or null outside 0..count-1.
  CDxfLayer* GetLayer(int i);
  const CDxfLayer* GetLayer(int i) const;
  // Destroys every layer.
  void Clear() { m_apLayers.clear(); }

 private:
  std::vector<std::unique_ptr<CDxfLayer>> m_apLayers;
};

}  // namespace brisol
