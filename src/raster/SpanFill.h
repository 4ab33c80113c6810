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
  template <std::size_t N>
  static void Move(std::uint8_t* to, const std::uint8_t* from) {
    std::uint8_t chunk[N];
    std::memcpy(chunk, from, N);
    std::memcpy(to, chunk, N);
  }

  // A row of pixels of one colour, grown on demand.
  struct PatternRow {
    std::vector<std::uint8_t> bytes;
    COLORREF colour = CLR_INVALID;
    int length = 0;
  };

  // Figures alternate between two colours (brush and pen, often row by row),
  // so the rows of the two colours used last are both kept.
  const std::uint8_t* Pattern(COLORREF c, int n) {
    int i = m_recent;
    if (m_rows[i].colour != c) {
      i ^= 1;
      if (m_rows[i].colour != c) {
        m_rows[i].colour = c;
        m_rows[i].length = 0;
      }
      m_recent = i;
    }
    PatternRow& pattern = m_rows[i];
    if (n > pattern.length) Build(pattern, std::max({n, 2 * pattern.length, 64}));
    return pattern.bytes.data();
  }

  static void Build(PatternRow& pattern, int length) {
    pattern.bytes.resize(3 * static_cast<std::size_t>(length));
    const COLORREF c = pattern.colour;
    const std::uint8_t b = GetBValue(c), g = GetGValue(c), r = GetRValue(c);
    // Seed 16 pixels, then double the filled part by copying it onto itself.
    std::size_t done = 0;
    const std::size_t total = pattern.bytes.size();
    std::uint8_t* row = pattern.bytes.data();
    for (; done < std::min<std::size_t>(48, total); done += 3) {
      row[done] = b; row[done + 1] = g; row[done + 2] = r;
    }
    while (done < total) {
      const std::size_t chunk = std::min(done, total - done);
      std::memcpy(row + done, row, chunk);
      done += chunk;
    }
    pattern.length = length;
  }

  PatternRow m_rows[2];
  int m_recent = 0;
  std::uint64_t m_written = 0;
};

}  // namespace brisol
