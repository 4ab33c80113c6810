// CDxfArc (type 5): a circular arc, counter-clockwise from the start to the
// end angle (degrees). It is drawn as 50 points whose radius follows only
// the transform's x scale, so it does not turn with the transform.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfArc : public CDxfEntity {
 public:
  CDxfArc() = default;
  CDxfArc(const CVec& centre, double radius, double startDeg, double endDeg)
      : m_vCentre(centre), m_dRadius(radius), m_dStartAngle(startDeg), m_dEndAngle(endDeg) {}

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  void SetCentre(const CVec& c) { m_vCentre = c; }
  void SetRadius(double r) { m_dRadius = r; }
  void SetStartAngle(double degrees) { m_dStartAngle = degrees; }
  void SetEndAngle(double degrees) { m_dEndAngle = degrees; }
  const CVec& GetCentre() const { return m_vCentre; }
  double GetRadius() const { return m_dRadius; }
  double GetStartAngle() const { return m_dStartAngle; }
  double GetEndAngle() const { return m_dEndAngle; }

  // The number of points an arc is drawn with.
  static constexpr int kDrawPoints = 50;

 private:
  CVec m_vCentre;
  double m_dRadius = 1.0;
  double m_dStartAngle = 0.0;
  double m_dEndAngle = 0.0;
};

}  // namespace brisol
