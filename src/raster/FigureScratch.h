// Working buffers of the figure drawing, kept per thread so that drawing
// thousands of figures does not allocate for each one, and so that contexts
// on different threads never share state.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/Rasterizer.h"
#include "raster/SpanFill.h"
#include "raster/Stroker.h"
#include "raster/ThreadScratch.h"

namespace brisol {

struct FigureScratch {
  FigureScratch() { filler.StreamLongRuns(true); }

  ScanlineRasterizer ras;
  SpanFiller filler;
  std::vector<PointD> points;
  std::vector<Span> fillSpans;
  std::vector<Span> strokeSpans;
  // Pixels written other than through the filler: one-pixel lines, glyphs,
  // plain rectangles.
  std::uint64_t directPixels = 0;
};

// Every figure ends with this in scope, so that its streamed pixels are
// in place before anyone else looks.
struct FlushOnExit {
  FlushOnExit() = default;
  FlushOnExit(const FlushOnExit&) = delete;
  FlushOnExit& operator=(const FlushOnExit&) = delete;
  ~FlushOnExit() { SpanFiller::Flush(); }
};

inline FigureScratch& TheFigureScratch() {
  static ThreadScratch<FigureScratch> scratch;
  return scratch.Get();
}

// Counts pixels written without the filler, for FigurePixelsWritten.
inline void CountDirectPixels(std::uint64_t n) { TheFigureScratch().directPixels += n; }

}  // namespace brisol
