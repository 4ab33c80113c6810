// Ellipses of the drawing context: rows worked out exactly from the
// inscribed ellipse, so that they are round and symmetric.
#include <algorithm>
#include <cmath>

#include "raster/DrawContext.h"
#include "raster/EllipseSpans.h"
#include "raster/FigureScratch.h"
#include "raster/FigureWriting.h"

namespace brisol {

bool DrawContext::Ellipse(int left, int top, int right, int bottom) {
  if (!IsValid()) return false;
  long long l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  const EllipseBox box = EllipseBox::FromRect(l, t, r, b);
  if (box.IsEmpty()) return true;
  const long long reach = IsWidePen(m_pen) ? m_pen.width() / 2 + 1 : 0;
  if (m_recorder != nullptr && m_recorder->BoundsOnly()) {
    m_recorder->AddBounds(l - reach - 2, t - reach - 2, r + reach + 2, b + reach + 2);
    return true;
  }
  if (r + reach < 0 || b + reach < 0 || l - reach > m_block.width || t - reach > m_block.height) return true;

  const FlushOnExit flush;
  FigureScratch& scratch = TheFigureScratch();
  const RunTarget target = Target();
  const bool fill = !m_brush.IsNull();
  const COLORREF brush = SolidRgb(m_brush.colour());
  const COLORREF pen = SolidRgb(m_pen.colour());
  const long long firstRow = std::max<long long>(target.firstRow(), t - reach - 1);
  const long long endRow = std::min<long long>(m_block.height, b + reach + 1);

  if (m_pen.IsNull()) {
    if (!fill) return true;
    long long x0, x1;
    for (long long y = firstRow; y < endRow; ++y)
      if (EllipseRow(box, y, x0, x1)) FillRange(target, y, x0, x1, brush);
    return true;
  }

  if (!IsWidePen(m_pen)) {
    // The outline is every pixel of the ellipse with a neighbour above,
    // below, left or right outside it; the brush fills the rest.
    struct Row {
      bool any = false;
      long long x0 = 0, x1 = 0;
    };
    auto rowOf = [&box](long long y) {
      Row row;
      row.any = EllipseRow(box, y, row.x0, row.x1);
      return row;
    };
    Row above = rowOf(firstRow - 1), here = rowOf(firstRow);
    for (long long y = firstRow; y < endRow; ++y) {
      const Row below = rowOf(y + 1);
      if (here.any) {
        long long i0 = here.x0 + 1, i1 = here.x1 - 1;
        if (above.any && below.any) {
          i0 = std::max({i0, above.x0, below.x0});
          i1 = std::min({i1, above.x1, below.x1});
        } else {
          i1 = i0 - 1;
        }
        if (i0 <= i1) {
          if (fill) FillRange(target, y, i0, i1, brush);
          FillRange(target, y, here.x0, i0 - 1, pen);
          FillRange(target, y, i1 + 1, here.x1, pen);
        } else {
          FillRange(target, y, here.x0, here.x1, pen);
        }
      }
      above = here;
      here = below;
    }
    return true;
  }

  const long long w = m_pen.width();
  if (box.sizeX == box.sizeY) {
    // A circle: the pen covers the ring between the circles w/2 inside and
    // w/2 outside the boundary, which rows give exactly.
    const EllipseBox outer = box.Grown(w);
    const EllipseBox inner = box.Grown(-w);
    for (long long y = firstRow; y < endRow; ++y) {
      long long o0, o1, i0, i1;
      if (!EllipseRow(outer, y, o0, o1)) continue;
      // The ring's ends a few rows down lie close to this row's ends.
      if (const long long ahead = y + 4; ahead < m_block.height) {
        const int a = static_cast<int>(std::clamp<long long>(o0, 0, m_block.width - 1));
        const int b = static_cast<int>(std::clamp<long long>(o1, 0, m_block.width - 1));
        target.Prefetch(a, static_cast<int>(ahead));
        target.Prefetch(b, static_cast<int>(ahead));
      }
      if (EllipseRow(inner, y, i0, i1)) {
        if (fill) FillRange(target, y, i0, i1, brush);
        FillRange(target, y, o0, i0 - 1, pen);
        FillRange(target, y, i1 + 1, o1, pen);
      } else {
        FillRange(target, y, o0, o1, pen);
      }
    }
    return true;
  }

  // Any other ellipse: fill its rows, then stroke a polygon that follows it.
  if (fill) {
    long long x0, x1;
    for (long long y = firstRow; y < endRow; ++y)
      if (EllipseRow(box, y, x0, x1)) FillRange(target, y, x0, x1, brush);
  }
  const double cx = box.sumX / 2.0, cy = box.sumY / 2.0;
  const double rx = box.sizeX / 2.0, ry = box.sizeY / 2.0;
  // Enough vertices that no chord strays more than an eighth of a pixel.
  const double ra = (rx + ry) / 2.0;
  const double step = 2.0 * std::acos(ra / (ra + 0.125));
  const int n = static_cast<int>(std::clamp(std::ceil(2.0 * M_PI / step), 8.0, 8192.0));
  scratch.points.clear();
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * M_PI * i / n;
    scratch.points.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  StrokePath(target, scratch, scratch.points, true, m_pen);
  return true;
}

}  // namespace brisol
