#include "raster/Rasterizer.h"

#include <algorithm>
#include <cmath>

namespace brisol {
namespace {

// The first pixel whose centre lies at or right of x, clamped to [0, width].
// Not-a-number lands on the left border, so nothing undefined reaches a cast.
inline int PixelAtOrRight(double x, int width) {
  const double v = x - 0.5;
  if (!(v > 0.0)) return 0;
  if (v >= width) return width;
  int i = static_cast<int>(v);
  if (i < v) ++i;
  return i;
}

}  // namespace

void ScanlineRasterizer::Reset(int width, int height) {
  m_width = std::max(width, 0);
  m_height = std::max(height, 0);
  m_edges.clear();
  m_active.clear();
  m_next = 0;
  m_row = 0;
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
  const double dy = y1 - y0;
  // Interpolating by the fraction stays finite even for an edge that is
  // almost horizontal and very long.
  e.x = x0 + (x1 - x0) * ((top + 0.5 - y0) / dy);
  e.dxdy = (e.end - e.top > 1) ? (x1 - x0) / dy : 0.0;
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

void ScanlineRasterizer::Start(FillRule rule) {
  m_rule = rule;
  std::stable_sort(m_edges.begin(), m_edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
  m_active.clear();
  m_next = 0;
  m_row = 0;
}

bool ScanlineRasterizer::NextRow(int& y, std::vector<Span>& spans) {
  spans.clear();
  for (;;) {
    if (m_active.empty()) {
      if (m_next >= m_edges.size()) return false;
      m_row = std::max(m_row, m_edges[m_next].top);
    }
    if (m_row >= m_height) return false;

    // Take in the edges that start on this row, keeping the list ordered by x
    // (it stays nearly ordered from row to row, so insertion sort is cheap).
    while (m_next < m_edges.size() && m_edges[m_next].top <= m_row) m_active.push_back(m_edges[m_next++]);
    for (std::size_t i = 1; i < m_active.size(); ++i) {
      if (!(m_active[i].x < m_active[i - 1].x)) continue;
      const Edge e = m_active[i];
      std::size_t j = i;
      while (j > 0 && e.x < m_active[j - 1].x) {
        m_active[j] = m_active[j - 1];
        --j;
      }
      m_active[j] = e;
    }

    const int row = m_row++;
    m_crossings.clear();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_active.size(); ++i) {
      Edge& e = m_active[i];
      m_crossings.push_back({PixelAtOrRight(e.x, m_width), e.dir});
      e.x += e.dxdy;
      if (e.end > m_row) m_active[kept++] = e;
    }
    m_active.resize(kept);

    auto emit = [&spans](int a, int b) {
      if (b <= a) return;
      if (!spans.empty() && spans.back().x1 >= a) {
        spans.back().x1 = std::max(spans.back().x1, b);
      } else {
        spans.push_back({a, b});
      }
    };
    // Not-a-number crossings sort anywhere; their pixels are still clamped.
    const std::size_t n = m_crossings.size();
    if (m_rule == FillRule::EvenOdd) {
      for (std::size_t i = 0; i + 1 < n; i += 2) emit(m_crossings[i].x, m_crossings[i + 1].x);
    } else {
      int winding = 0;
      int start = 0;
      for (std::size_t i = 0; i < n; ++i) {
        const int before = winding;
        winding += m_crossings[i].dir;
        if (before == 0 && winding != 0) {
          start = m_crossings[i].x;
        } else if (before != 0 && winding == 0) {
          emit(start, m_crossings[i].x);
        }
      }
    }
    if (!spans.empty()) {
      y = row;
      return true;
    }
  }
}

}  // namespace brisol
