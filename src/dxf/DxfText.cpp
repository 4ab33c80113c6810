#include "dxf/DxfText.h"

#include <cmath>

#include "dxf/DeviceCoords.h"
#include "dxf/DeviceFigures.h"
#include "dxf/DxfStrings.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "logger/Trace.h"
#include "raster/DrawContext.h"

namespace brisol {

void CDxfText::SetText(const char* text) { m_strText = CopyLimited(text, kMaxTextChars); }

void CDxfText::SetFaceName(const char* face) { m_strFace = CopyLimited(face, kMaxFaceChars); }

void CDxfText::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  WriteTextGroup(file, 0, "TEXT");
  WriteEntityHead(file, *this);
  WriteRealGroup(file, 40, dxfFile.Scale(m_dHeight));
  WriteRealGroup(file, 41, m_dWidthFactor);
  WriteTextGroup(file, 1, m_strText.c_str());
  WriteIntGroup(file, 72, m_iHJust);
  WriteIntGroup(file, 73, m_iVJust);
  const CVec q = dxfFile.Map(m_vInsertion);
  const CVec& n = m_vExtrusion;
  if (n.x == 0.0 && n.y == 0.0 && n.z == 1.0) {
    WritePointGroup(file, 10, q);
    WritePointGroup(file, 11, q);
    WriteRealGroup(file, 50, m_dRotation);
    WriteRealGroup(file, 210, 0.0);
    WriteRealGroup(file, 220, 0.0);
    WriteRealGroup(file, 230, 1.0);
    return;
  }
  // The point in the extrusion's object coordinate system.
  CVec ax, ay;
  ArbitraryAxes(n, ax, ay);
  const CVec p(CVec::Dot(ax, q), CVec::Dot(ay, q), CVec::Dot(n, q));
  WritePointGroup(file, 10, p);
  WritePointGroup(file, 11, p);
  WriteRealGroup(file, 50, m_dRotation);
  WriteRealGroup(file, 210, n.x);
  WriteRealGroup(file, 220, n.y);
  WriteRealGroup(file, 230, n.z);
}

std::unique_ptr<CDxfEntity> CDxfText::Clone() const { return std::make_unique<CDxfText>(*this); }

int CDxfText::GetType() const { return kDxfText; }

void CDxfText::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  m_vInsertion = dxfFile.Map(m_vInsertion);
  m_dHeight = dxfFile.Scale(m_dHeight);
}

// Each character is taken as 0.4 of the height wide.
void CDxfText::GetExtents(CVec& min, CVec& max) const {
  const double w = static_cast<double>(m_strText.size()) * m_dHeight * 0.4 * m_dWidthFactor;
  min.SetXYZ(m_vInsertion.x - w / 2, m_vInsertion.y - m_dHeight / 2, 0.0);
  max.SetXYZ(m_vInsertion.x + w / 2, m_vInsertion.y + m_dHeight / 2, 0.0);
}

LogFont CDxfText::FontFor(const CMatrix& matrix) const {
  LogFont description;
  description.height = ToDevice(matrix.at(0, 0) * m_dHeight) + 1;
  description.weight = m_bBold ? 700 : 400;
  description.italic = m_bItalic;
  description.faceName = m_strFace;
  return description;
}

// Centred on the insertion point.
void CDxfText::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  const CVec p = matrix.Apply2D(CVec(m_vInsertion.x, m_vInsertion.y - m_dHeight / 2, 0.0));
  if (!IsFinite2D(p) || !std::isfinite(matrix.at(0, 0) * m_dHeight)) return;  // nothing sensible to draw
  sink.Text(m_strText, FontFor(matrix), p);
}

}  // namespace brisol
