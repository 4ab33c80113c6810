// The outlines of wide strokes, kept for a drawing that works out the same
// figures again: a drawing in bands draws each object once for every band
// it reaches, and the round joins and ends of its outline (trigonometry at
// every vertex) would otherwise be worked out anew each time. An outline is
// found by the path, closure and width it was made from, compared exactly,
// so a kept outline is the one that would be made. Shared by the threads of
// one drawing; the oldest outlines go first once the kept ones pass a
// budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

#include "raster/Stroker.h"

namespace brisol {

// One edge of an outline, as handed to the rasterizer.
struct StrokeEdge {
  double x0, y0, x1, y1;
};

using StrokeEdges = std::vector<StrokeEdge>;

class StrokeCache {
 public:
  // About 8 MB of outlines by default: the outlines of the objects that
  // reach the bands being drawn, with room to spare.
  explicit StrokeCache(std::size_t budgetBytes = std::size_t{8} << 20) : m_budget(budgetBytes) {}

  // The outline kept for the path, or null.
  std::shared_ptr<const StrokeEdges> Find(std::span<const PointD> points, bool closed, double width) const;
  // Keeps the outline of the path (nothing when it is kept already, larger
  // than the budget, or when there is no memory for it).
  void Keep(std::span<const PointD> points, bool closed, double width, std::shared_ptr<const StrokeEdges> edges);

  std::size_t Kept() const;
  std::uint64_t Hits() const;

 private:
  struct Entry {
    std::uint64_t hash = 0;
    std::vector<PointD> points;
    bool closed = false;
    double width = 0;
    std::shared_ptr<const StrokeEdges> edges;
    std::size_t bytes = 0;
  };
  using Order = std::list<Entry>;

  void KeepLocked(Entry entry, std::span<const PointD> points);
  static std::uint64_t Hash(std::span<const PointD> points, bool closed, double width);
  // The entry for the path, or end.
  Order::const_iterator Lookup(std::uint64_t hash, std::span<const PointD> points, bool closed, double width) const;

  mutable std::mutex m_mutex;
  std::size_t m_budget;
  std::size_t m_bytes = 0;
  mutable std::uint64_t m_hits = 0;
  Order m_order;  // oldest first
  std::unordered_multimap<std::uint64_t, Order::iterator> m_index;
};

}  // namespace brisol
