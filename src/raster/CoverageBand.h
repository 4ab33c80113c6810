// A band of rows of a picture drawn topmost first: its pixels, and one bit a
// pixel telling whether something has been written there. Drawings are
// replayed from the last run to the first and each pixel keeps the first
// colour that reaches it, which is the colour the last write of an in-order
// drawing would have left; what no run reaches is then laid underneath.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "raster/PixelBlock.h"
#include "raster/SpanFill.h"
#include "raster/SpanRecorder.h"
#include "raster/Types.h"

namespace brisol {

class CoverageBand {
 public:
  // Makes the band rows [top, bottom) of a picture width pixels wide, with
  // nothing written. Memory is kept from band to band. False (the band
  // unchanged) when the memory cannot be had.
  bool Start(int width, int top, int bottom);

  int Width() const { return m_width; }
  int Top() const { return m_top; }
  int Bottom() const { return m_bottom; }

  // The band's pixels addressed like the whole picture's: rows [Top(),
  // Bottom()) of the block are the band's; no other row may be touched.
  PixelBlock Block() const;

  // Writes the runs from the last to the first, each pixel only where
  // nothing has been written yet. Runs must lie inside the band.
  void WriteTopmostFirst(std::span<const ColourRun> runs);

  // Whether every pixel of the rectangle (clipped to the band) is written.
  bool Covered(const RECT& rect) const;
  // Whether every pixel of the band is written.
  bool Full() const { return m_fullRows == m_bottom - m_top; }

  // Calls fn(y, x0, x1) for every run of pixels not yet written, row by
  // row, and counts them as written.
  template <class Fn>
  void ForEachUncovered(Fn&& fn) {
    for (int y = m_top; y < m_bottom; ++y) {
      const std::uint64_t* mask = MaskRow(y);
      for (int x = NextClear(y, 0); x < m_width;) {
        const int end = NextSet(mask, x);
        fn(y, x, end);
        x = NextClear(y, end);
      }
      m_count[static_cast<std::size_t>(y - m_top)] = m_width;
    }
    m_fullRows = m_bottom - m_top;
  }

  // Pixels written by WriteTopmostFirst since Start.
  std::uint64_t Written() const { return m_written; }

 private:
  std::uint64_t* MaskRow(int y) { return m_mask.data() + static_cast<std::size_t>(y - m_top) * m_words; }
  const std::uint64_t* MaskRow(int y) const { return m_mask.data() + static_cast<std::size_t>(y - m_top) * m_words; }
  std::uint64_t* FullRow(int y) { return m_full.data() + static_cast<std::size_t>(y - m_top) * m_fullWords; }
  const std::uint64_t* FullRow(int y) const {
    return m_full.data() + static_cast<std::size_t>(y - m_top) * m_fullWords;
  }
  // The first pixel at or after x of row y whose bit is clear, or the
  // width; words wholly written are passed over by their summary bits.
  int NextClear(int y, int x) const;
  // The first pixel at or after x whose bit is set, or the width.
  int NextSet(const std::uint64_t* mask, int x) const;
  // Sets the bits of pixels [x0, x1) of row y, and the summary bits of the
  // words that become wholly set.
  void SetBits(int y, int x0, int x1);

  int m_width = 0;
  int m_top = 0;
  int m_bottom = 0;
  int m_stride = 0;
  int m_words = 0;
  int m_fullRows = 0;
  std::vector<std::uint8_t> m_pixels;
  // One bit a pixel (the bits past the width of each row's last word set
  // from the start), and per row one summary bit a mask word: set when the
  // word is wholly set.
  std::vector<std::uint64_t> m_mask;
  std::vector<std::uint64_t> m_full;
  int m_fullWords = 0;
  std::vector<int> m_count;  // pixels written per row
  SpanFiller m_filler;
  std::uint64_t m_written = 0;
};

}  // namespace brisol
