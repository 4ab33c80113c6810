#include "raster/FigureWriting.h"

#include <algorithm>

namespace brisol {
namespace {

class SolidSpans final : public SpanSink {
 public:
  SolidSpans(const RunTarget& target, COLORREF colour) : m_target(target), m_colour(colour) {}
  void Spans(const Span* spans, int count) override {
    for (int i = 0; i < count; ++i) {
      if (i + kPrefetchAhead < count) PrefetchRun(m_target, spans[i + kPrefetchAhead]);
      const Span& s = spans[i];
      m_target.Fill(s.y, s.x0, s.x1 - s.x0, m_colour);
    }
  }

 private:
  const RunTarget& m_target;
  COLORREF m_colour;
};

}  // namespace

void FillFigure(const RunTarget& target, ScanlineRasterizer& ras, FillRule rule, COLORREF colour) {
  SolidSpans sink(target, colour);
  ras.Sweep(rule, static_cast<SpanSink&>(sink));
}

void StrokePath(const RunTarget& target, FigureScratch& scratch, std::span<const PointD> points, bool closed,
                const Pen& pen) {
  scratch.ras.Reset(target.width(), target.height(), target.firstRow());
  AddStroke(scratch.ras, points, closed, pen.width(), target.strokes);
  FillFigure(target, scratch.ras, FillRule::NonZero, SolidRgb(pen.colour()));
}

}  // namespace brisol
