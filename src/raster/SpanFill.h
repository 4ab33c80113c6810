// Filling runs of 24-bit pixels with one colour: the innermost loop of all
// drawing. A pattern row of the colour is built once and whole spans are
// copied from it, which lets the C library use the widest stores the
// processor has.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/Types.h"

namespace brisol {

class SpanFiller {
 public:
  // Writes n pixels of colour c (0x00BBGGRR) starting at p.
  void Fill(std::uint8_t* p, int n, COLORREF c) {
    if (n <= 0) return;
    m_written += static_cast<std::uint64_t>(n);
    if (n <= 4) {
      const std::uint8_t b = GetBValue(c), g = GetGValue(c), r = GetRValue(c);
      for (int i = 0; i < n; ++i, p += 3) { p[0] = b; p[1] = g; p[2] = r; }
      return;
    }
    std::memcpy(p, Pattern(c, n), 3 * static_cast<std::size_t>(n));
  }

  // Pixels written so far (a measuring aid).
  std::uint64_t Written() const { return m_written; }

 private:
  const std::uint8_t* Pattern(COLORREF c, int n) {
    if (c != m_colour) {
      m_colour = c;
      m_length = 0;
    }
    if (n > m_length) {
      const int grown = std::max(n, 2 * m_length);
      m_row.resize(3 * static_cast<std::size_t>(grown));
      const std::uint8_t b = GetBValue(c), g = GetGValue(c), r = GetRValue(c);
      // Seed 16 pixels, then double the filled part by copying it onto itself.
      std::size_t done = 0;
      const std::size_t total = m_row.size();
      std::uint8_t* row = m_row.data();
      for (; done < std::min<std::size_t>(48, total); done += 3) {
        row[done] = b; row[done + 1] = g; row[done + 2] = r;
      }
      while (done < total) {
        const std::size_t chunk = std::min(done, total - done);
        std::memcpy(row + done, row, chunk);
        done += chunk;
      }
      m_length = grown;
    }
    return m_row.data();
  }

  std::vector<std::uint8_t> m_row;
  COLORREF m_colour = CLR_INVALID;
  int m_length = 0;
  std::uint64_t m_written = 0;
};

}  // namespace brisol
