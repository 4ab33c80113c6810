#include "raster/FigureWriting.h"

#include <algorithm>

namespace brisol {
namespace {

class SolidSpans final : public SpanSink {
 public:
  SolidSpans(const PixelBlock& block, SpanFiller& filler, COLORREF colour)
      : m_block(block), m_filler(filler), m_colour(colour) {}
  void Spans(const Span* spans, int count) override {
    for (int i = 0; i < count; ++i) {
      if (i + kPrefetchAhead < count) PrefetchRun(m_block, spans[i + kPrefetchAhead]);
      const Span& s = spans[i];
      m_filler.Fill(m_block.Pixel(s.x0, s.y), s.x1 - s.x0, m_colour);
    }
  }

 private:
  const PixelBlock& m_block;
  SpanFiller& m_filler;
  COLORREF m_colour;
};

}  // namespace

void FillFigure(const PixelBlock& block, ScanlineRasterizer& ras, FillRule rule, SpanFiller& filler,
                COLORREF colour) {
  SolidSpans sink(block, filler, colour);
  ras.Sweep(rule, static_cast<SpanSink&>(sink));
}

void StrokePath(const PixelBlock& block, FigureScratch& scratch, std::span<const PointD> points, bool closed,
                const Pen& pen) {
  scratch.ras.Reset(block.width, block.height);
  AddStroke(scratch.ras, points, closed, pen.width());
  FillFigure(block, scratch.ras, FillRule::NonZero, scratch.filler, SolidRgb(pen.colour()));
}

}  // namespace brisol
