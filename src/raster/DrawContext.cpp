#include "raster/DrawContext.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "raster/FigureScratch.h"
#include "raster/FigureWriting.h"
#include "raster/RunTarget.h"
#include "raster/SpanFill.h"

namespace brisol {
namespace {

// The part of [start, start + length) that lies inside [0, limit).
struct Range {
  int begin = 0;
  int end = 0;
  bool empty() const { return end <= begin; }
};

Range Clip(long long start, long long length, int limit) {
  const long long b = std::max<long long>(start, 0);
  const long long e = std::min<long long>(start + length, limit);
  if (e <= b) return {};
  return {static_cast<int>(b), static_cast<int>(e)};
}

}  // namespace

RunTarget DrawContext::Target() const { return RunTarget{m_block, &TheFigureScratch().filler, m_recorder, m_strokes}; }

bool DrawContext::NoteBoundsOnly(std::span<const POINT> points, long long reach) const {
  if (m_recorder == nullptr || !m_recorder->BoundsOnly()) return false;
  if (points.empty()) return true;
  const PointBounds b(points);
  m_recorder->AddBounds(b.minX - reach, b.minY - reach, b.maxX + reach + 1, b.maxY + reach + 1);
  return true;
}

void DrawContext::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
  if (!IsValid()) return;
  const Range xs = Clip(x, cx, m_block.width);
  const Range ys = Clip(y, cy, m_block.height);
  if (xs.empty() || ys.empty()) return;
  const int n = xs.end - xs.begin;
  if (m_recorder != nullptr) {
    for (int row = ys.begin; row < ys.end; ++row) m_recorder->Add(row, xs.begin, xs.end, colour);
    return;
  }
  SpanFiller filler;
  for (int row = ys.begin; row < ys.end; ++row) filler.Fill(m_block.Pixel(xs.begin, row), n, colour);
  CountDirectPixels(filler.Written());
}

COLORREF DrawContext::GetPixel(int x, int y) const {
  if (!HasPixels() || x < 0 || y < 0 || x >= m_block.width || y >= m_block.height) return CLR_INVALID;
  const std::uint8_t* p = m_block.Pixel(x, y);
  return RGB(p[2], p[1], p[0]);
}

COLORREF DrawContext::SetPixel(int x, int y, COLORREF colour) {
  if (!IsValid() || x < 0 || y < 0 || x >= m_block.width || y >= m_block.height) return CLR_INVALID;
  if (m_recorder != nullptr) {
    m_recorder->Add(y, x, x + 1, colour);
    return colour & 0xFFFFFFu;
  }
  std::uint8_t* p = m_block.Pixel(x, y);
  p[0] = static_cast<std::uint8_t>(GetBValue(colour));
  p[1] = static_cast<std::uint8_t>(GetGValue(colour));
  p[2] = static_cast<std::uint8_t>(GetRValue(colour));
  return colour & 0xFFFFFFu;
}

bool DrawContext::BitBlt(int x, int y, int w, int h, const DrawContext& src, int sx, int sy) {
  if (!HasPixels() || !src.HasPixels() || w <= 0 || h <= 0) return false;
  // Clip the destination and the source together.
  long long dx0 = x, dy0 = y, sx0 = sx, sy0 = sy, cw = w, ch = h;
  if (dx0 < 0) {
    sx0 -= dx0;
    cw += dx0;
    dx0 = 0;
  }
  if (dy0 < 0) {
    sy0 -= dy0;
    ch += dy0;
    dy0 = 0;
  }
  if (sx0 < 0) {
    dx0 -= sx0;
    cw += sx0;
    sx0 = 0;
  }
  if (sy0 < 0) {
    dy0 -= sy0;
    ch += sy0;
    sy0 = 0;
  }
  cw = std::min({cw, m_block.width - dx0, src.m_block.width - sx0});
  ch = std::min({ch, m_block.height - dy0, src.m_block.height - sy0});
  if (cw <= 0 || ch <= 0) return true;
  const std::size_t bytes = 3 * static_cast<std::size_t>(cw);
  const bool sameBlock = src.m_block.bits == m_block.bits;
  // Copying within one block downwards must go from the bottom up.
  const bool reverse = sameBlock && dy0 > sy0;
  for (long long i = 0; i < ch; ++i) {
    const long long row = reverse ? ch - 1 - i : i;
    std::memmove(m_block.Pixel(static_cast<int>(dx0), static_cast<int>(dy0 + row)),
                 src.m_block.Pixel(static_cast<int>(sx0), static_cast<int>(sy0 + row)), bytes);
  }
  return true;
}

bool DrawContext::StretchBlt(int x, int y, int w, int h, const DrawContext& src, int sx, int sy, int sw, int sh) {
  if (!HasPixels() || !src.HasPixels() || w == 0 || h == 0 || sw == 0 || sh == 0) return false;
  // Normalise to positive sizes; opposite signs mirror.
  const bool mirrorX = (w < 0) != (sw < 0);
  const bool mirrorY = (h < 0) != (sh < 0);
  long long dx = x, dy = y, dw = w, dh = h, srcX = sx, srcY = sy, srcW = sw, srcH = sh;
  if (dw < 0) {
    dx += dw + 1;
    dw = -dw;
  }
  if (dh < 0) {
    dy += dh + 1;
    dh = -dh;
  }
  if (srcW < 0) {
    srcX += srcW + 1;
    srcW = -srcW;
  }
  if (srcH < 0) {
    srcY += srcH + 1;
    srcH = -srcH;
  }

  const Range cols = Clip(dx, dw, m_block.width);
  const Range rows = Clip(dy, dh, m_block.height);
  if (cols.empty() || rows.empty()) return true;

  auto sourceIndex = [](long long i, long long dstLen, long long srcLen, bool mirror) {
    const long long k = StretchSourceIndex(i, dstLen, srcLen);
    return mirror ? srcLen - 1 - k : k;
  };
  std::vector<int> srcCol(static_cast<std::size_t>(cols.end - cols.begin));
  for (int c = cols.begin; c < cols.end; ++c) {
    const long long s = srcX + sourceIndex(c - dx, dw, srcW, mirrorX);
    srcCol[static_cast<std::size_t>(c - cols.begin)] = (s >= 0 && s < src.m_block.width) ? static_cast<int>(s) : -1;
  }
  const bool contiguous =
      !mirrorX && srcW == dw && std::all_of(srcCol.begin(), srcCol.end(), [](int s) { return s >= 0; });

  long long previousSrcRow = -1;
  int previousDstRow = -1;
  for (int r = rows.begin; r < rows.end; ++r) {
    const long long s = srcY + sourceIndex(r - dy, dh, srcH, mirrorY);
    if (s < 0 || s >= src.m_block.height) continue;
    std::uint8_t* out = m_block.Pixel(cols.begin, r);
    if (s == previousSrcRow && previousDstRow >= 0 && src.m_block.bits != m_block.bits) {
      std::memcpy(out, m_block.Pixel(cols.begin, previousDstRow), 3 * srcCol.size());
    } else if (contiguous) {
      std::memmove(out, src.m_block.Pixel(srcCol.front(), static_cast<int>(s)), 3 * srcCol.size());
    } else {
      const std::uint8_t* in = src.m_block.Row(static_cast<int>(s));
      for (std::size_t i = 0; i < srcCol.size(); ++i, out += 3) {
        if (srcCol[i] < 0) continue;
        const std::uint8_t* p = in + 3 * static_cast<std::ptrdiff_t>(srcCol[i]);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      }
    }
    previousSrcRow = s;
    previousDstRow = r;
  }
  return true;
}

int DrawContext::SetStretchBltMode(int mode) {
  const int previous = m_stretchMode;
  if (mode >= BLACKONWHITE && mode <= HALFTONE) m_stretchMode = mode;
  return previous;
}

Pen DrawContext::SelectPen(const Pen& pen) { return std::exchange(m_pen, pen); }
Brush DrawContext::SelectBrush(const Brush& brush) { return std::exchange(m_brush, brush); }
Font DrawContext::SelectFont(const Font& font) { return std::exchange(m_font, font); }
COLORREF DrawContext::SetTextColor(COLORREF colour) { return std::exchange(m_textColour, colour); }
COLORREF DrawContext::SetBkColor(COLORREF colour) { return std::exchange(m_bkColour, colour); }

int DrawContext::SetBkMode(int mode) {
  const int previous = m_bkMode;
  if (mode == TRANSPARENT || mode == OPAQUE) m_bkMode = mode;
  return previous;
}

int DrawContext::SetPolyFillMode(int mode) {
  const int previous = m_fillMode;
  if (mode == ALTERNATE || mode == WINDING) m_fillMode = mode;
  return previous;
}

POINT DrawContext::MoveTo(int x, int y) { return std::exchange(m_position, POINT{x, y}); }

std::uint64_t FigurePixelsWritten() {
  const FigureScratch& scratch = TheFigureScratch();
  return scratch.filler.Written() + scratch.directPixels;
}

}  // namespace brisol
