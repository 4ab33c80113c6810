// The figures an entity draws, in device coordinates that are not yet whole
// pixels. The raster drawing makes them whole pixels in a drawing context
// (DeviceFigureSink); the vector files keep them as they are.
#pragma once

#include <span>
#include <string_view>

#include "dxf/Vec.h"
#include "raster/GdiObjects.h"

namespace brisol {

class DrawContext;

class FigureSink {
 public:
  virtual ~FigureSink() = default;
  // An open line through the points, drawn with the pen only.
  virtual void Polyline(std::span<const CVec> points) = 0;
  // A closed polygon through the points, filled with the brush (even-odd)
  // and outlined with the pen.
  virtual void Polygon(std::span<const CVec> points) = 0;
  // A circle, filled with the brush and outlined with the pen.
  virtual void Circle(const CVec& centre, double radius) = 0;
  // A line of text in the text colour, in a font of the description, whose
  // cell has its bottom edge's middle at the point.
  virtual void Text(std::string_view text, const LogFont& font, const CVec& bottomCentre) = 0;
};

// Figures drawn into a drawing context with its pen, brush, text colour and
// font state, as whole pixels (truncated toward zero).
class DeviceFigureSink final : public FigureSink {
 public:
  explicit DeviceFigureSink(DrawContext& dc) : m_dc(dc) {}
  void Polyline(std::span<const CVec> points) override;
  void Polygon(std::span<const CVec> points) override;
  void Circle(const CVec& centre, double radius) override;
  void Text(std::string_view text, const LogFont& font, const CVec& bottomCentre) override;

 private:
  DrawContext& m_dc;
};

}  // namespace brisol
