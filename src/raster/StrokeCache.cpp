#include "raster/StrokeCache.h"

#include <algorithm>
#include <cstring>

#include "logger/Outcome.h"

namespace brisol {

std::uint64_t StrokeCache::Hash(std::span<const PointD> points, bool closed, double width) {
  // FNV-1a over the coordinates' bits.
  std::uint64_t h = 1469598103934665603ull;
  auto add = [&h](double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    h = (h ^ bits) * 1099511628211ull;
  };
  for (const PointD& p : points) {
    add(p.x);
    add(p.y);
  }
  add(width);
  return (h ^ (closed ? 1u : 0u)) * 1099511628211ull;
}

StrokeCache::Order::const_iterator StrokeCache::Lookup(std::uint64_t hash, std::span<const PointD> points, bool closed,
                                                       double width) const {
  const auto [first, last] = m_index.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    const Entry& e = *it->second;
    if (e.closed != closed || std::memcmp(&e.width, &width, sizeof width) != 0 || e.points.size() != points.size())
      continue;
    if (!points.empty() && std::memcmp(e.points.data(), points.data(), points.size_bytes()) != 0) continue;
    return it->second;
  }
  return m_order.end();
}

std::shared_ptr<const StrokeEdges> StrokeCache::Find(std::span<const PointD> points, bool closed, double width) const {
  const std::uint64_t hash = Hash(points, closed, width);
  const std::lock_guard lock(m_mutex);
  const auto found = Lookup(hash, points, closed, width);
  if (found == m_order.end()) return nullptr;
  ++m_hits;
  return found->edges;
}

void StrokeCache::Keep(std::span<const PointD> points, bool closed, double width,
                       std::shared_ptr<const StrokeEdges> edges) {
  if (!edges) return;
  const std::size_t bytes = sizeof(Entry) + points.size_bytes() + edges->size() * sizeof(StrokeEdge);
  if (bytes > m_budget) return;
  const std::uint64_t hash = Hash(points, closed, width);
  Entry entry;
  entry.hash = hash;
  entry.closed = closed;
  entry.width = width;
  entry.edges = std::move(edges);
  entry.bytes = bytes;
  const std::lock_guard lock(m_mutex);
  // Without the memory to keep it, it is worked out again when asked for.
  [[maybe_unused]] const Done kept = TryAllocate("a kept outline", [&] { KeepLocked(std::move(entry), points); });
}

void StrokeCache::KeepLocked(Entry entry, std::span<const PointD> points) {
  const std::uint64_t hash = entry.hash;
  const bool closed = entry.closed;
  const double width = entry.width;
  const std::size_t bytes = entry.bytes;
  // Another thread may have kept it meanwhile.
  if (Lookup(hash, points, closed, width) != m_order.end()) return;
  while (m_bytes + bytes > m_budget && !m_order.empty()) {
    const Entry& oldest = m_order.front();
    const auto [first, last] = m_index.equal_range(oldest.hash);
    for (auto it = first; it != last; ++it) {
      if (it->second == m_order.begin()) {
        m_index.erase(it);
        break;
      }
    }
    m_bytes -= oldest.bytes;
    m_order.pop_front();
  }
  entry.points.assign(points.begin(), points.end());
  m_order.push_back(std::move(entry));
  if (!TryAllocate("a kept outline", [&] { m_index.emplace(hash, std::prev(m_order.end())); })) {
    m_order.pop_back();
    return;
  }
  m_bytes += bytes;
}

std::size_t StrokeCache::Kept() const {
  const std::lock_guard lock(m_mutex);
  return m_order.size();
}

std::uint64_t StrokeCache::Hits() const {
  const std::lock_guard lock(m_mutex);
  return m_hits;
}

}  // namespace brisol
