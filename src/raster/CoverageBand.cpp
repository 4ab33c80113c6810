#include "raster/CoverageBand.h"

#include <algorithm>

#include "logger/Outcome.h"

namespace brisol {

bool CoverageBand::Start(int width, int top, int bottom) {
  if (width < 1 || bottom <= top) return false;
  const int rows = bottom - top;
  const int stride = BytesPerRow24(width);
  const int words = (width + 63) / 64;
  const int fullWords = (words + 63) / 64;
  const Done made = TryAllocate("a band", [&] {
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows);
    if (m_pixels.size() < bytes) m_pixels.resize(bytes);
    m_mask.assign(static_cast<std::size_t>(words) * static_cast<std::size_t>(rows), 0);
    m_full.assign(static_cast<std::size_t>(fullWords) * static_cast<std::size_t>(rows), 0);
    m_count.assign(static_cast<std::size_t>(rows), 0);
  });
  if (!made) return false;
  m_width = width;
  m_top = top;
  m_bottom = bottom;
  m_stride = stride;
  m_words = words;
  m_fullWords = fullWords;
  m_fullRows = 0;
  m_written = 0;
  // The bits past the width count as written, so that searches stop there
  // and the last word can become wholly set.
  if (const int used = width & 63; used != 0) {
    for (int y = top; y < bottom; ++y) MaskRow(y)[words - 1] = ~0ull << used;
  }
  return true;
}

PixelBlock CoverageBand::Block() const {
  // Row y of a block of height h lies at (h - 1 - y) strides: with h the
  // band's bottom, the band's last row is the first of its memory.
  return PixelBlock{const_cast<std::uint8_t*>(m_pixels.data()), m_width, m_bottom, m_stride};
}

int CoverageBand::NextClear(int y, int x) const {
  if (x >= m_width) return m_width;
  const std::uint64_t* mask = MaskRow(y);
  int w = x >> 6;
  const std::uint64_t clear = ~mask[w] >> (x & 63);
  if (clear != 0) return std::min(m_width, x + __builtin_ctzll(clear));
  // The next word not wholly set, by the summary.
  const std::uint64_t* full = FullRow(y);
  ++w;
  while (w < m_words) {
    const std::uint64_t open = ~full[w >> 6] >> (w & 63);
    if (open != 0) {
      w += __builtin_ctzll(open);
      break;
    }
    w = ((w >> 6) + 1) << 6;
  }
  if (w >= m_words) return m_width;
  return std::min(m_width, (w << 6) + __builtin_ctzll(~mask[w]));
}

int CoverageBand::NextSet(const std::uint64_t* mask, int x) const {
  while (x < m_width) {
    const int w = x >> 6;
    const std::uint64_t set = mask[w] >> (x & 63);
    if (set != 0) return std::min(m_width, x + __builtin_ctzll(set));
    x = (w + 1) << 6;
  }
  return m_width;
}

void CoverageBand::SetBits(int y, int x0, int x1) {
  std::uint64_t* mask = MaskRow(y);
  std::uint64_t* full = FullRow(y);
  const int w0 = x0 >> 6, w1 = (x1 - 1) >> 6;
  const std::uint64_t head = ~0ull << (x0 & 63);
  const std::uint64_t tail = ~0ull >> (63 - ((x1 - 1) & 63));
  auto noteIfFull = [&](int w) {
    if (mask[w] == ~0ull) full[w >> 6] |= 1ull << (w & 63);
  };
  if (w0 == w1) {
    mask[w0] |= head & tail;
    noteIfFull(w0);
    return;
  }
  mask[w0] |= head;
  noteIfFull(w0);
  for (int w = w0 + 1; w < w1; ++w) {
    mask[w] = ~0ull;
    full[w >> 6] |= 1ull << (w & 63);
  }
  mask[w1] |= tail;
  noteIfFull(w1);
}

void CoverageBand::WriteTopmostFirst(std::span<const ColourRun> runs) {
  const PixelBlock block = Block();
  for (std::size_t i = runs.size(); i-- > 0;) {
    const ColourRun& run = runs[i];
    const std::size_t row = static_cast<std::size_t>(run.y - m_top);
    if (m_count[row] == m_width) continue;
    const std::uint64_t* mask = MaskRow(run.y);
    int written = 0;
    for (int x = NextClear(run.y, run.x0); x < run.x1;) {
      const int end = std::min(run.x1, NextSet(mask, x));
      m_filler.Fill(block.Pixel(x, run.y), end - x, run.colour);
      SetBits(run.y, x, end);
      written += end - x;
      x = end < run.x1 ? NextClear(run.y, end) : run.x1;
    }
    if (written == 0) continue;
    m_written += static_cast<std::uint64_t>(written);
    m_count[row] += written;
    if (m_count[row] == m_width) ++m_fullRows;
  }
}

bool CoverageBand::Covered(const RECT& rect) const {
  const int top = std::max(rect.top, m_top), bottom = std::min(rect.bottom, m_bottom);
  const int left = std::max(rect.left, 0), right = std::min(rect.right, m_width);
  if (top >= bottom || left >= right) return true;
  for (int y = top; y < bottom; ++y) {
    if (m_count[static_cast<std::size_t>(y - m_top)] == m_width) continue;
    if (NextClear(y, left) < right) return false;
  }
  return true;
}

}  // namespace brisol
