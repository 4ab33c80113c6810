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

void ScanlineRasterizer::Reset(int width, int height) {
  m_width = std::max(width, 0);
  m_height = std::max(height, 0);
  m_edges.clear();
}

void ScanlineRasterizer::AddEdge(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  if (y0 == y1) return;
  int dir = 1;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1;
  }
  // Rows whose centre line y + 0.5 satisfies y0 <= y + 0.5 < y1.
  const double top = std::max(std::ceil(y0 - 0.5), 0.0);
  const double end = std::min(std::ceil(y1 - 0.5), static_cast<double>(m_height));
  if (!(top < end)) return;
  Edge e;
  e.top = static_cast<int>(top);
  e.end = static_cast<int>(end);
  e.dir = dir;
  e.x0 = x0;
  e.dx = x1 - x0;
  e.dy = y1 - y0;
  e.t = top + 0.5 - y0;
  m_edges.push_back(e);
}

void ScanlineRasterizer::AddPolygon(std::span<const POINT> points) {
  const std::size_t n = points.size();
  if (n < 2) return;
  for (std::size_t i = 0; i < n; ++i) {
    const POINT& a = points[i];
    const POINT& b = points[(i + 1 == n) ? 0 : i + 1];
    AddEdge(a.x, a.y, b.x, b.y);
  }
}

void ScanlineRasterizer::Sweep(FillRule rule, SpanSink& sink) {
  if (m_edges.empty()) return;
  std::sort(m_edges.begin(), m_edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
  m_active.clear();
  const double right = m_width;
  std::size_t next = 0;
  int row = 0;

  // Rows are done in bands: every active edge is walked down the band in one
  // tight loop, its crossings dropped into per-row slots, and then each
  // row's few crossings are sorted and paired into spans.
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
    for (Edge& e : m_active) {
      const int a = std::max(e.top, row) - row;
      const int b = std::min(e.end, bandEnd) - row;
      const int down = e.dir > 0 ? 1 : 0;
      const double x0 = e.x0, dx = e.dx, dy = e.dy;
      double t = e.t;
      for (int r = a; r < b; ++r) {
        crossings[count[r]++] = (PixelAtOrRight(x0 + t * dx / dy, right) << 1) | down;
        t += 1.0;
      }
      e.t = t;
      ended |= e.end <= bandEnd;
    }
    if (ended) {
      m_active.erase(std::remove_if(m_active.begin(), m_active.end(),
                                    [bandEnd](const Edge& e) { return e.end <= bandEnd; }),
                     m_active.end());
    }

    m_spans.clear();
    for (int r = 0; r < rows; ++r) {
      const int* c = crossings + offset[r];
      const int n = offset[r + 1] - offset[r];
      if (n < 2) continue;
      if (n == 2) {
        // The usual case, kept in registers: one span between the two, if
        // they wind opposite ways (always so for the alternate rule).
        const int lo = std::min(c[0], c[1]), hi = std::max(c[0], c[1]);
        if ((rule == FillRule::EvenOdd || ((lo ^ hi) & 1) != 0) && (hi >> 1) > (lo >> 1))
          m_spans.push_back({row + r, lo >> 1, hi >> 1});
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
        RowSpans(rule, row + r, sorted, 4);
      } else {
        int* m = crossings + offset[r];
        if (n > 16) {
          std::sort(m, m + n);  // a busy row: never quadratic
        } else {
          for (int i = 1; i < n; ++i) {
            const int v = m[i];
            int j = i;
            while (j > 0 && m[j - 1] > v) {
              m[j] = m[j - 1];
              --j;
            }
            m[j] = v;
          }
        }
        RowSpans(rule, row + r, m, n);
      }
    }
    if (!m_spans.empty()) sink.Spans(m_spans.data(), static_cast<int>(m_spans.size()));
    row = bandEnd;
  }
}

void ScanlineRasterizer::RowSpans(FillRule rule, int y, const int* c, int n) {
  // Read one crossing at a time: the sort has just written them.
  const std::size_t first = m_spans.size();
  auto emit = [&](int a, int b) {
    if (b <= a) return;
    if (m_spans.size() > first && m_spans.back().x1 >= a) {
      m_spans.back().x1 = b;
    } else {
      m_spans.push_back({y, a, b});
    }
  };
  int start = 0;
  if (rule == FillRule::EvenOdd) {
    bool inside = false;
    for (int i = 0; i < n; ++i) {
      const int x = c[i] >> 1;
      if (inside) {
        emit(start, x);
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
        emit(start, c[i] >> 1);
      }
    }
  }
}

}  // namespace brisol
