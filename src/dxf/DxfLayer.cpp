#include "dxf/DxfLayer.h"

#include "dxf/DxfColours.h"
#include "dxf/DxfStrings.h"

namespace brisol {

void CLayerPen::SetColourIndex(int index) {
  if (index < 1 || index > 255) index = 7;
  m_crColour = DxfColour(index);
  MakePen();
}

void CLayerPen::SetColour(COLORREF rgb) {
  m_crColour = rgb;
  MakePen();
}

void CLayerPen::SetStyle(int style) {
  m_iStyle = style;
  if (style != kDxfPenSolid) m_iWidth = 1;
  MakePen();
}

void CLayerPen::SetWidth(int width) {
  m_iWidth = width < 0 ? 0 : width;
  if (m_iStyle != kDxfPenSolid) m_iWidth = 1;
  MakePen();
}

void CLayerPen::MakePen() { m_pen = m_iStyle == kDxfPenNull ? Pen::Null() : Pen::Solid(m_iWidth, m_crColour); }

CDxfLayer::CDxfLayer() {
  m_aPens[0].SetColour(RGB(0, 0, 0));
  m_aPens[1].SetColour(RGB(0, 0, 0));
}

void CDxfLayer::SetColourIndex(int index, int penIndex) {
  m_iColourIndex = index;
  m_aPens[PenSlot(penIndex)].SetColourIndex(index);
}

void CDxfLayer::SetColour(COLORREF rgb, int penIndex) { m_aPens[PenSlot(penIndex)].SetColour(rgb); }

void CDxfLayer::SetStyle(int style, int penIndex) { m_aPens[PenSlot(penIndex)].SetStyle(style); }

const Pen& CDxfLayer::GetPen(int penIndex) const { return m_aPens[PenSlot(penIndex)].GetPen(); }

const CLayerPen& CDxfLayer::GetLayerPen(int penIndex) const { return m_aPens[PenSlot(penIndex)]; }

void CDxfLayer::SetName(const char* name) { m_strName = CopyLimited(name, kMaxNameChars); }

const char* CDxfLayer::GetReportedName() const { return m_strName.empty() ? "0" : m_strName.c_str(); }

}  // namespace brisol
