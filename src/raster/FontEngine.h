// Text through installed fonts: faces are found by name, loaded once per
// process and shared; glyphs are rendered two-tone (no smoothing).
// FontFace objects are safe to use from several threads.
#pragma once

#include <string_view>

#include "raster/GdiObjects.h"
#include "raster/PixelBlock.h"
#include "raster/SpanRecorder.h"
#include "raster/Types.h"

namespace brisol {

// The default cell height in pixels of a font asked for with height 0.
constexpr int kDefaultFontHeight = 16;
// Fonts asked for with a larger cell (or character) height are refused.
constexpr int kMaxFontHeight = 5000;

// The font used when none is selected: the default face, cell 16.
const Font& DefaultFont();

// The cell height (ascent + descent) in pixels.
int FontCellHeight(const FontFace& face);
// The width (sum of the advances) and cell height of the text, which is
// read as UTF-8 where it is valid and byte by byte (Latin-1) elsewhere.
SIZE FontTextExtent(const FontFace& face, std::string_view text);
// Draws the text's glyphs in the colour with the cell's top-left corner at
// (x, y), clipped to the block; with a recorder, the glyphs' pixels go to
// it as runs instead (the block then gives only the size).
void FontDrawText(const FontFace& face, const PixelBlock& block, int x, int y, std::string_view text, COLORREF colour,
                  SpanRecorder* recorder = nullptr);

// Where the outlines of glyphs go: closed contours in pixels (y down).
struct OutlineSink {
  virtual ~OutlineSink() = default;
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  virtual void CubicTo(double x1, double y1, double x2, double y2, double x, double y) = 0;
  virtual void ClosePath() = 0;
};

// The outlines of the glyphs FontDrawText draws for the text with the
// cell's top-left corner at (x, y): the same faces and advances, and the
// outlines hinted as for the drawn one-bit glyphs (whose pixels are these
// outlines sampled at pixel centres), to be filled with the non-zero rule.
// False, with nothing handed over, when the face's glyphs have no outlines.
bool FontTextOutline(const FontFace& face, double x, double y, std::string_view text, OutlineSink& sink);

// The code points of the text, as FontTextExtent reads them.
template <class Fn>
void ForEachCodePoint(std::string_view text, Fn&& fn) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const unsigned char c0 = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t cp = c0;
    if (c0 >= 0xC2 && c0 <= 0xDF) {
      length = 2;
      cp = c0 & 0x1F;
    } else if (c0 >= 0xE0 && c0 <= 0xEF) {
      length = 3;
      cp = c0 & 0x0F;
    } else if (c0 >= 0xF0 && c0 <= 0xF4) {
      length = 4;
      cp = c0 & 0x07;
    }
    bool valid = length > 0 && i + length <= n;
    for (int k = 1; valid && k < length; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      valid = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point are not UTF-8.
    if (valid) {
      valid = !(length == 3 && cp < 0x800) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) &&
              !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (valid) {
      fn(cp);
      i += static_cast<std::size_t>(length);
    } else {
      fn(static_cast<char32_t>(c0));
      ++i;
    }
  }
}

}  // namespace brisol
