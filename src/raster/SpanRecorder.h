// The pixels of a drawing kept as runs of one colour, in the order they were
// written, instead of being written at once: a drawing context made with a
// recorder fills the recorder. A recorder that only keeps bounds notes the
// box each figure may reach (generously) without working out its pixels.
#pragma once

#include <algorithm>
#include <climits>
#include <vector>

#include "raster/Types.h"

namespace brisol {

// Pixels [x0, x1) of row y in one colour.
struct ColourRun {
  int y = 0;
  int x0 = 0;
  int x1 = 0;
  COLORREF colour = 0;
};

class SpanRecorder {
 public:
  // Keeps the runs of rows [top, bottom) only.
  void KeepRows(int top, int bottom) {
    m_top = top;
    m_bottom = bottom;
  }
  // The first row whose runs are kept (0 when all are).
  int FirstKeptRow() const { return std::max(m_top, 0); }
  // Notes bounds instead of runs.
  void KeepBoundsOnly(bool on) { m_boundsOnly = on; }
  bool BoundsOnly() const { return m_boundsOnly; }

  // Forgets the runs and bounds.
  void Clear() {
    m_runs.clear();
    m_bounds = RECT{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  }

  void Add(int y, int x0, int x1, COLORREF colour) {
    if (y < m_top || y >= m_bottom || x1 <= x0) return;
    if (m_boundsOnly) {
      AddBounds(x0, y, x1, y + 1);
      return;
    }
    m_runs.push_back(ColourRun{y, x0, x1, colour & 0xFFFFFFu});
  }

  // Notes that pixels may be written within [left, right) x [top, bottom).
  void AddBounds(long long left, long long top, long long right, long long bottom) {
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
    m_bounds.left = std::min(m_bounds.left, clamp(left));
    m_bounds.top = std::min(m_bounds.top, clamp(top));
    m_bounds.right = std::max(m_bounds.right, clamp(right));
    m_bounds.bottom = std::max(m_bounds.bottom, clamp(bottom));
  }

  const std::vector<ColourRun>& Runs() const { return m_runs; }
  // Empty (left > right) when nothing was noted.
  const RECT& Bounds() const { return m_bounds; }

 private:
  std::vector<ColourRun> m_runs;
  RECT m_bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  int m_top = INT_MIN;
  int m_bottom = INT_MAX;
  bool m_boundsOnly = false;
};

}  // namespace brisol
