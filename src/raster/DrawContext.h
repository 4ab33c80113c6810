// A software drawing context over a 24-bit bottom-up pixel block. It draws
// aliased (whole pixels only) with the semantics of the classic raster
// operations: pens with a width and colour, brushes, polygons filled by the
// alternate rule, ellipses inscribed in their rectangle, lines that leave
// their end point out, text from a created font, and copies that pick whole
// pixels. Everything is clipped to the block; absurd coordinates (huge, NaN
// after conversion, degenerate figures) draw nothing wrong.
//
// A context made with a recorder has a size but no pixels: what it would
// write goes to the recorder as runs (figures, fills, pixels and text;
// copies between pictures do nothing there), so that a drawing can be
// replayed later in another order.
//
// A default-constructed context has no pixels and draws nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "raster/GdiObjects.h"
#include "raster/PixelBlock.h"
#include "raster/SpanRecorder.h"
#include "raster/Types.h"

namespace brisol {

class StrokeCache;
struct RunTarget;

enum StretchMode : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum PolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

class DrawContext {
 public:
  DrawContext() = default;
  explicit DrawContext(const PixelBlock& block) : m_block(block) {}
  // A recording context of width x height.
  DrawContext(int width, int height, SpanRecorder& recorder)
      : m_block{nullptr, width, height, 0}, m_recorder(&recorder) {}

  const PixelBlock& block() const { return m_block; }
  bool IsValid() const {
    return m_block.IsValid() || (m_recorder != nullptr && m_block.width > 0 && m_block.height > 0);
  }
  bool HasPixels() const { return m_block.IsValid(); }
  SpanRecorder* recorder() const { return m_recorder; }
  // Wide strokes take their outlines from the cache, and keep them there:
  // for a context that draws the same figures again (not owned; null: none).
  void SetStrokeCache(StrokeCache* cache) { m_strokes = cache; }
  int width() const { return m_block.width; }
  int height() const { return m_block.height; }

  // --- pixels -------------------------------------------------------------
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
  void FillSolidRect(const RECT& rect, COLORREF colour) {
    FillSolidRect(rect.left, rect.top, rect.Width(), rect.Height(), colour);
  }
  // CLR_INVALID outside the picture.
  COLORREF GetPixel(int x, int y) const;
  COLORREF SetPixel(int x, int y, COLORREF colour);

  // Copies pixels 1:1 (SRCCOPY); parts outside either picture are skipped.
  bool BitBlt(int x, int y, int w, int h, const DrawContext& src, int sx, int sy);
  // Scales a rectangle by whole-pixel selection: rows and columns are
  // dropped when shrinking and repeated when enlarging. Negative sizes
  // mirror, as usual.
  bool StretchBlt(int x, int y, int w, int h, const DrawContext& src, int sx, int sy, int sw, int sh);
  int SetStretchBltMode(int mode);
  int GetStretchBltMode() const { return m_stretchMode; }

  // --- selected objects ------------------------------------------------------
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  Font SelectFont(const Font& font);
  const Pen& GetCurrentPen() const { return m_pen; }
  const Brush& GetCurrentBrush() const { return m_brush; }
  const Font& GetCurrentFont() const { return m_font; }

  COLORREF SetTextColor(COLORREF colour);
  COLORREF GetTextColor() const { return m_textColour; }
  COLORREF SetBkColor(COLORREF colour);
  COLORREF GetBkColor() const { return m_bkColour; }
  int SetBkMode(int mode);
  int GetBkMode() const { return m_bkMode; }
  int SetPolyFillMode(int mode);
  int GetPolyFillMode() const { return m_fillMode; }

  // --- figures ---------------------------------------------------------------
  // Moves the current position; returns the previous one.
  POINT MoveTo(int x, int y);
  POINT GetCurrentPosition() const { return m_position; }
  // A line with the current pen from the current position to (x, y), which
  // becomes the current position. A thin pen leaves the end point out; a
  // wider pen draws a stroke of its width with round ends.
  bool LineTo(int x, int y);
  // Connected lines with the current pen (round joins for wide pens).
  bool Polyline(std::span<const POINT> points);
  // A closed polygon filled with the current brush by the current fill mode
  // and outlined with the current pen.
  bool Polygon(std::span<const POINT> points);
  // The ellipse inscribed in the rectangle, filled and outlined.
  bool Ellipse(int left, int top, int right, int bottom);

  // --- text ------------------------------------------------------------------
  // The size of the text in the selected font.
  SIZE GetTextExtentPoint32(std::string_view text) const;
  // Draws the text with its cell's top-left corner at (x, y) in the text
  // colour; in OPAQUE mode the cell is first filled with the background colour.
  bool TextOut(int x, int y, std::string_view text);

 private:
  // Where figures write, and whether a recorder wants only their bounds.
  RunTarget Target() const;
  bool NoteBoundsOnly(std::span<const POINT> points, long long reach) const;

  PixelBlock m_block;
  SpanRecorder* m_recorder = nullptr;
  StrokeCache* m_strokes = nullptr;
  int m_stretchMode = BLACKONWHITE;
  Pen m_pen;
  Brush m_brush;
  Font m_font;
  COLORREF m_textColour = RGB(0, 0, 0);
  COLORREF m_bkColour = RGB(255, 255, 255);
  int m_bkMode = OPAQUE;
  int m_fillMode = ALTERNATE;
  POINT m_position;
};

// The source pixel a stretch of srcLen pixels over dstLen pixels (both
// positive) takes for destination pixel i: the one under its centre.
constexpr long long StretchSourceIndex(long long i, long long dstLen, long long srcLen) {
  return ((2 * i + 1) * srcLen) / (2 * dstLen);
}

// The pixels the drawing of the calling thread has written so far (fills,
// pens of every width, text, rectangles): the difference over a drawing
// tells its work.
std::uint64_t FigurePixelsWritten();

}  // namespace brisol
