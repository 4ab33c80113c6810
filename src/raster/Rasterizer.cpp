#include "raster/Rasterizer.h"

#include <algorithm>
#include <cmath>

namespace brisol {
namespace {

// The first pixel whose centre lies at or right of x, clamped to [0, right].
// Not-a-number lands on the left border, so nothing undefined reaches a cast.
inline int PixelAtOrRight(double x, double right) {
  double v = x - 0.5;
  v = v > 0.0 ? v : 0.0;
  v = v < right ? v : right;
  const int i = static_cast<int>(v);
  return i + (i < v ? 1 : 0);
}

}  // namespace

void ScanlineRasterizer::Reset(int width, int height, int top) {
  m_width = std::max(width, 0);
  m_height = std::max(height, 0);
  m_top = std::clamp(top, 0, m_height);
  m_edges.clear();
}

namespace {

// Coordinates up to this size step exactly in 64-bit integers.
constexpr double kExactLimit = 1 << 24;

bool IsExact(double v) { return v == std::floor(v) && std::fabs(v) <= kExactLimit; }

long long FloorDiv(long long a, long long b) {  // b > 0
  const long long q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

void ScanlineRasterizer::AddEdge(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  if (y0 == y1) return;
  if (IsExact(x0) && IsExact(y0) && IsExact(x1) && IsExact(y1)) {
    AddEdgeExact(static_cast<long long>(x0), static_cast<long long>(y0), static_cast<long long>(x1),
                 static_cast<long long>(y1));
    return;
  }
  int dir = 1;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1;
  }
  // Rows whose centre line y + 0.5 satisfies y0 <= y + 0.5 < y1.
  const double top = std::max(std::ceil(y0 - 0.5), 0.0);
  const double end = std::min(std::ceil(y1 - 0.5), static_cast<double>(m_height));
  if (!(top < end) || !(m_top < end)) return;
  Edge e;
  e.top = static_cast<int>(top);
  e.end = static_cast<int>(end);
  e.dir = dir;
  const double dx = x1 - x0, dy = y1 - y0;
  // Interpolating by the fraction stays finite even for an edge that is
  // almost horizontal and very long.
  e.x = x0 + dx * ((top + 0.5 - y0) / dy);
  e.dxdy = (e.end - e.top > 1) ? dx / dy : 0.0;
  // Below the clip box's top, the crossing is the one the row by row
  // steps from the edge's own top reach: the same additions, without the
  // rows' work.
  for (; e.top < m_top; ++e.top) e.x += e.dxdy;
  m_edges.push_back(e);
}

void ScanlineRasterizer::AddEdgeExact(long long x0, long long y0, long long x1, long long y1) {
  int dir = 1;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1;
  }
  // Row r is crossed when y0 <= r + 0.5 < y1, that is y0 <= r < y1; the
  // crossing of any row follows from the edge alone.
  const long long top = std::max<long long>(y0, m_top);
  const long long end = std::min<long long>(y1, m_height);
  if (top >= end) return;
  Edge e;
  e.top = static_cast<int>(top);
  e.end = static_cast<int>(end);
  e.dir = dir;
  e.exact = true;
  // Row r is crossed at x = x0 + (r + 0.5 - y0) dx / dy; its pixel is
  // ceil(x - 0.5) = x0 + ceil(n / d) with n = (2 (r - y0) + 1) dx - dy and
  // d = 2 dy, and n grows by 2 dx from row to row.
  const long long dx = x1 - x0, dy = y1 - y0;
  const long long d = 2 * dy;
  const long long n = (2 * (top - y0) + 1) * dx - dy;
  const long long q = -FloorDiv(-n, d);  // ceil(n / d)
  e.q = x0 + q;
  e.rem = q * d - n;  // in [0, d)
  e.step = FloorDiv(2 * dx, d);
  e.carry = 2 * dx - e.step * d;  // in [0, d)
  e.denominator = d;
  m_edges.push_back(e);
}

void ScanlineRasterizer::AddPolygon(std::span<const POINT> points) {
  const std::size_t n = points.size();
  if (n < 2) return;
  for (std::size_t i = 0; i < n; ++i) {
    const POINT& a = points[i];
    const POINT& b = points[(i + 1 == n) ? 0 : i + 1];
    if (a.y == b.y) continue;
    if (std::abs(static_cast<long long>(a.x)) <= kExactLimit && std::abs(static_cast<long long>(a.y)) <= kExactLimit &&
        std::abs(static_cast<long long>(b.x)) <= kExactLimit && std::abs(static_cast<long long>(b.y)) <= kExactLimit) {
      AddEdgeExact(a.x, a.y, b.x, b.y);
    } else {
      AddEdge(a.x, a.y, b.x, b.y);
    }
  }
}

void ScanlineRasterizer::SortEdgesByTop() {
  int lo = m_edges.front().top, hi = lo;
  for (const Edge& e : m_edges) {
    lo = std::min(lo, e.top);
    hi = std::max(hi, e.top);
  }
  const std::size_t range = static_cast<std::size_t>(hi - lo) + 1;
  if (range > 4 * m_edges.size()) {
    // Few edges far apart: a comparison sort is cheaper than the rows between.
    std::sort(m_edges.begin(), m_edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
    return;
  }
  // Many edges: counted into their first rows, in time linear in their number.
  m_offset.assign(range + 1, 0);
  for (const Edge& e : m_edges) ++m_offset[static_cast<std::size_t>(e.top - lo) + 1];
  for (std::size_t i = 1; i <= range; ++i) m_offset[i] += m_offset[i - 1];
  m_sorted.resize(m_edges.size());
  for (const Edge& e : m_edges)
    m_sorted[static_cast<std::size_t>(m_offset[static_cast<std::size_t>(e.top - lo)]++)] = e;
  m_edges.swap(m_sorted);
}

void ScanlineRasterizer::Sweep(FillRule rule, SpanSink& sink) {
  if (m_edges.empty()) return;
  SortEdgesByTop();
  m_active.clear();
  const double right = m_width;
  std::size_t next = 0;
  int row = 0;

  // Rows are done in bands: every active edge is walked down the band in one
  // tight loop, its crossings dropped into per-row slots, and then each
  // row's crossings are put in order and paired into spans: a few by
  // sorting, many by bucketing them by pixel, so that no row costs more than
  // a small multiple of its crossings.
  constexpr int kBand = 128;
  m_count.resize(kBand + 1);
  m_offset.resize(kBand + 1);
  for (;;) {
    if (m_active.empty()) {
      if (next >= m_edges.size()) break;
      row = std::max(row, m_edges[next].top);
    }
    if (row >= m_height) break;
    int bandEnd = std::min(row + kBand, m_height);
    while (next < m_edges.size() && m_edges[next].top < bandEnd) m_active.push_back(m_edges[next++]);
    // A figure of very many edges gets thinner bands, so that a band's
    // crossings stay few enough to hold.
    constexpr std::size_t kMaxCrossings = std::size_t{1} << 22;
    if (m_active.size() * static_cast<std::size_t>(bandEnd - row) > kMaxCrossings)
      bandEnd = row + static_cast<int>(std::max<std::size_t>(1, kMaxCrossings / m_active.size()));
    const int rows = bandEnd - row;

    int* count = m_count.data();
    std::fill(count, count + rows + 1, 0);
    for (const Edge& e : m_active) {
      if (e.top >= bandEnd) continue;  // taken in early for a band made thinner
      ++count[std::max(e.top, row) - row];
      --count[std::min(e.end, bandEnd) - row];
    }
    int* offset = m_offset.data();
    int run = 0, total = 0;
    for (int r = 0; r < rows; ++r) {
      run += count[r];
      offset[r] = total;
      count[r] = total;  // becomes the next free slot of row r
      total += run;
    }
    offset[rows] = total;
    m_crossings.resize(static_cast<std::size_t>(total));
    int* crossings = m_crossings.data();

    bool ended = false;
    const long long rightPixel = m_width;
    for (Edge& e : m_active) {
      const int a = std::max(e.top, row) - row;
      const int b = std::min(e.end, bandEnd) - row;
      const int down = e.dir > 0 ? 1 : 0;
      if (e.exact) {
        long long q = e.q, rem = e.rem;
        const long long step = e.step, carry = e.carry, d = e.denominator;
        for (int r = a; r < b; ++r) {
          const long long pixel = std::min(std::max(q, 0LL), rightPixel);
          crossings[count[r]++] = (static_cast<int>(pixel) << 1) | down;
          q += step;
          rem -= carry;
          const long long borrow = rem >> 63;  // -1 when rem went below zero
          rem += d & borrow;
          q -= borrow;
        }
        e.q = q;
        e.rem = rem;
      } else {
        double x = e.x;
        const double dxdy = e.dxdy;
        for (int r = a; r < b; ++r) {
          crossings[count[r]++] = (PixelAtOrRight(x, right) << 1) | down;
          x += dxdy;
        }
        e.x = x;
      }
      ended |= e.end <= bandEnd;
    }
    if (ended) {
      m_active.erase(
          std::remove_if(m_active.begin(), m_active.end(), [bandEnd](const Edge& e) { return e.end <= bandEnd; }),
          m_active.end());
    }

    // A row of n crossings gives at most n / 2 spans.
    m_spans.resize(static_cast<std::size_t>(total) / 2 + 1);
    Span* const spans = m_spans.data();
    Span* out = spans;
    for (int r = 0; r < rows; ++r) {
      const int* c = crossings + offset[r];
      const int n = offset[r + 1] - offset[r];
      if (n < 2) continue;
      if (n == 2) {
        // The usual case, kept in registers: one span between the two, if
        // they wind opposite ways (always so for the alternate rule).
        const int lo = std::min(c[0], c[1]), hi = std::max(c[0], c[1]);
        if ((rule == FillRule::EvenOdd || ((lo ^ hi) & 1) != 0) && (hi >> 1) > (lo >> 1))
          *out++ = {row + r, lo >> 1, hi >> 1};
      } else if (n == 4) {
        // The usual case of a ring, such as a stroke: a sorting network.
        int v0 = c[0], v1 = c[1], v2 = c[2], v3 = c[3];
        auto order = [](int& a, int& b) {
          const int lo = std::min(a, b), hi = std::max(a, b);
          a = lo;
          b = hi;
        };
        order(v0, v1);
        order(v2, v3);
        order(v0, v2);
        order(v1, v3);
        order(v1, v2);
        const int sorted[4] = {v0, v1, v2, v3};
        out = RowSpans(rule, row + r, sorted, 4, out);
      } else if (n <= 16) {
        int* m = crossings + offset[r];
        for (int i = 1; i < n; ++i) {
          const int v = m[i];
          int j = i;
          while (j > 0 && m[j - 1] > v) {
            m[j] = m[j - 1];
            --j;
          }
          m[j] = v;
        }
        out = RowSpans(rule, row + r, m, n, out);
      } else {
        out = BusyRowSpans(rule, row + r, crossings + offset[r], n, out);
      }
    }
    if (out != spans) sink.Spans(spans, static_cast<int>(out - spans));
    row = bandEnd;
  }
}

Span* ScanlineRasterizer::BusyRowSpans(FillRule rule, int y, int* c, int n, Span* out) {
  int lo = c[0] >> 1, hi = lo;
  for (int i = 1; i < n; ++i) {
    const int x = c[i] >> 1;
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  const long long range = static_cast<long long>(hi) - lo + 1;
  if (range > kCellsPerCrossing * static_cast<long long>(n)) {
    // Few crossings spread over a wide row: sorting them costs less than
    // visiting every pixel between.
    std::sort(c, c + n);
    return RowSpans(rule, y, c, n, out);
  }
  // Many crossings over few pixels: add up each pixel's change of winding
  // (for the alternate rule, its number of crossings) and walk the pixels
  // once. Crossings at the same pixel cancel as they do in sorted order, so
  // the pixels are those of RowSpans.
  m_cells.assign(static_cast<std::size_t>(range), 0);
  int* const cells = m_cells.data();
  if (rule == FillRule::EvenOdd) {
    for (int i = 0; i < n; ++i) ++cells[(c[i] >> 1) - lo];
  } else {
    for (int i = 0; i < n; ++i) cells[(c[i] >> 1) - lo] += (c[i] & 1) ? 1 : -1;
  }
  const int mask = rule == FillRule::EvenOdd ? 1 : -1;
  int winding = 0, start = 0;
  for (int i = 0; i < static_cast<int>(range); ++i) {
    if (cells[i] == 0) continue;
    const bool wasInside = (winding & mask) != 0;
    winding += cells[i];
    const bool inside = (winding & mask) != 0;
    if (inside == wasInside) continue;
    if (inside) {
      start = lo + i;
    } else {
      *out++ = {y, start, lo + i};
    }
  }
  // A row left inside (a contour that lost an edge) gives no span for its
  // open end, as in RowSpans.
  return out;
}

Span* ScanlineRasterizer::RowSpans(FillRule rule, int y, const int* c, int n, Span* out) {
  // Read one crossing at a time: the sort has just written them.
  Span* const first = out;
  int start = 0;
  auto emit = [&](int end) {
    if (end <= start) return;
    if (out != first && out[-1].x1 >= start) {
      out[-1].x1 = end;
    } else {
      *out++ = {y, start, end};
    }
  };
  if (rule == FillRule::EvenOdd) {
    bool inside = false;
    for (int i = 0; i < n; ++i) {
      const int x = c[i] >> 1;
      if (inside) {
        emit(x);
      } else {
        start = x;
      }
      inside = !inside;
    }
  } else {
    int winding = 0;
    for (int i = 0; i < n; ++i) {
      const int before = winding;
      winding += (c[i] & 1) ? 1 : -1;
      if (before == 0) {
        start = c[i] >> 1;
      } else if (winding == 0) {
        emit(c[i] >> 1);
      }
    }
  }
  return out;
}

}  // namespace brisol
