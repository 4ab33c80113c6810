// Filling runs of 24-bit pixels with one colour: the innermost loop of all
// drawing. A pattern row of the colour is built once and whole spans are
// copied from it, which lets the C library use the widest stores the
// processor has. Optionally, the whole cache lines of long runs are written
// around the caches: a picture much larger than the caches is then not read
// before being overwritten, and the caches keep the drawing's own data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/Types.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brisol {

class SpanFiller {
 public:
  // Writes n pixels of colour c (0x00BBGGRR) starting at p.
  void Fill(std::uint8_t* p, int n, COLORREF c) {
    if (n <= 0) return;
    m_written += static_cast<std::uint64_t>(n);
    if (n <= 4) {
      const std::uint8_t b = GetBValue(c), g = GetGValue(c), r = GetRValue(c);
      for (int i = 0; i < n; ++i, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
      return;
    }
    const std::uint8_t* src = Pattern(c, n);
    const std::size_t bytes = 3 * static_cast<std::size_t>(n);
#if defined(__SSE2__)
    if (m_stream && bytes >= kStreamBytes) {
      Stream(p, src, bytes);
      return;
    }
#endif
    std::memcpy(p, src, bytes);
  }

  // Whether long runs bypass the caches. Whoever turns it on calls Flush()
  // before the pixels are read by another thread.
  void StreamLongRuns(bool on) { m_stream = on; }
  static void Flush() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
  }

  // Pixels written so far (a measuring aid).
  std::uint64_t Written() const { return m_written; }

 private:
  // Measured on the shape stream: shorter runs are better left to the caches.
  static constexpr std::size_t kStreamBytes = 512;

#if defined(__SSE2__)
  // Partial cache lines at either end go through the caches; the whole
  // lines between are streamed (mixing both kinds in one line is slow).
  static void Stream(std::uint8_t* p, const std::uint8_t* src, std::size_t bytes) {
    const std::size_t head = (64 - (reinterpret_cast<std::uintptr_t>(p) & 63)) & 63;
    std::memcpy(p, src, head);
    p += head;
    src += head;
    bytes -= head;
    const std::size_t body = bytes & ~static_cast<std::size_t>(63);
    for (std::size_t o = 0; o < body; o += 64) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + o));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + o + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + o + 32));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + o + 48));
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + o), a);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + o + 16), b);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + o + 32), c);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + o + 48), d);
    }
    std::memcpy(p + body, src + body, bytes - body);
  }
#endif

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
      row[done] = b;
      row[done + 1] = g;
      row[done + 2] = r;
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
  bool m_stream = false;
  std::uint64_t m_written = 0;
};

}  // namespace brisol
