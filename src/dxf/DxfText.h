// CDxfText (type 6): a single line of text, drawn centred on its insertion
// point with a font created for each drawing. Rotation, justification,
// alignment point and width factor are kept and written, not drawn.
#pragma once

#include <string>

#include "dxf/DxfEntity.h"
#include "raster/GdiObjects.h"

namespace brisol {

class CDxfText : public CDxfEntity {
 public:
  static constexpr std::size_t kMaxTextChars = 255;
  static constexpr std::size_t kMaxFaceChars = 256;

  CDxfText() = default;

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  // At most 255 characters are kept; null gives "".
  void SetText(const char* text);
  const std::string& GetText() const { return m_strText; }
  void SetInsertionPoint(const CVec& p) { m_vInsertion = p; }
  const CVec& GetInsertionPoint() const { return m_vInsertion; }
  void SetAlignmentPoint(const CVec& p) { m_vAlignment = p; }
  const CVec& GetAlignmentPoint() const { return m_vAlignment; }
  void SetRotation(double degrees) { m_dRotation = degrees; }
  double GetRotation() const { return m_dRotation; }
  void SetExtrusion(const CVec& n) { m_vExtrusion = n; }
  const CVec& GetExtrusion() const { return m_vExtrusion; }
  void SetJustification(int horizontal, int vertical) {
    m_iHJust = horizontal;
    m_iVJust = vertical;
  }
  int GetHJust() const { return m_iHJust; }
  int GetVJust() const { return m_iVJust; }
  void SetHeight(double h) { m_dHeight = h; }
  double GetHeight() const { return m_dHeight; }
  void SetWidthFactor(double f) { m_dWidthFactor = f; }
  double GetWidthFactor() const { return m_dWidthFactor; }
  // At most 256 characters are kept; null gives "".
  void SetFaceName(const char* face);
  const std::string& GetFaceName() const { return m_strFace; }
  void SetBold(bool bold) { m_bBold = bold; }
  bool IsBold() const { return m_bBold; }
  void SetItalic(bool italic) { m_bItalic = italic; }
  bool IsItalic() const { return m_bItalic; }

  // The font the text is drawn with through the matrix: cell height
  // trunc(m00 x height) + 1, weight 700 when bold else 400, italic flag and
  // face name.
  LogFont FontFor(const CMatrix& matrix) const;

 private:
  std::string m_strText;
  CVec m_vInsertion;
  CVec m_vAlignment;
  double m_dRotation = 0.0;
  CVec m_vExtrusion{0, 0, 1};
  int m_iHJust = 0;
  int m_iVJust = 0;
  double m_dHeight = 1.0;
  double m_dWidthFactor = 1.0;
  std::string m_strFace = "Arial";
  bool m_bBold = false;
  bool m_bItalic = false;
};

}  // namespace brisol
