// Packed DIBs: a header, an optional colour table and the pixel rows in one
// owned block (ByteBuffer). They come from the image loaders, the BMP
// fall-back and the clipboard, become raster surfaces, and are painted.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "raster/ByteBuffer.h"
#include "raster/Dadc.h"
#include "raster/DrawContext.h"
#include "raster/Types.h"

#include "logger/Outcome.h"

namespace brisol {

// --- header fields ------------------------------------------------------------
// A header of 12 bytes is a core header (16-bit width and height, 3-byte
// colour entries); any other size is an info header or one of its longer
// successors (32-bit fields, 4-byte colour entries). A block too short for
// the fields read gives 0.

int DibWidth(const ByteBuffer& dib);
// The stored height: negative for rows stored top-down.
int DibHeight(const ByteBuffer& dib);
// The colours-used field when it is non-zero (info headers), otherwise 2, 16
// or 256 for 1, 4 or 8 bits per pixel, and 0 for the other depths.
unsigned DibNumColors(const ByteBuffer& dib);
// DibNumColors x 4 bytes (x 3 for a core header).
std::uint64_t DibPaletteSize(const ByteBuffer& dib);
// The first byte of the pixel rows: after the header, the colour masks of a
// 40-byte header with bit-field compression, and the colour table. Null when
// that lies beyond the block.
const std::uint8_t* DibBits(const ByteBuffer& dib);

// --- surfaces and painting ----------------------------------------------------

// A new surface holding the DIB, surrounded by a border of dBorderPercent
// of the DIB's diagonal (0 < dBorderPercent <= 100; otherwise no border)
// in crBorder. Null, with a message, when the block is empty or cannot be
// decoded or the surface cannot be made. The caller keeps the block.
std::unique_ptr<CDADC> CreateBitmapDADC(const ByteBuffer& hDib, double dBorderPercent, COLORREF crBorder);
// The same without border for a DIB handed over: a plain 24-bit DIB (what
// the loaders make) gives its rows to the surface without a copy; any other
// is decoded as above. The block is consumed either way.
std::unique_ptr<CDADC> CreateBitmapDADC(ByteBuffer&& hDib);

// Paints any packed DIB (every header kind, depth, bit-field and RLE
// variant) into dc: unscaled when dst and src have the same size, otherwise
// stretched by whole pixels (COLORONCOLOR). src is counted from the DIB's
// top row. False (with an error logged at level 1) when the DIB cannot be painted.
bool PaintDib(DrawContext& dc, const RECT& dst, const ByteBuffer& hDib, const RECT& src);

// Paints the whole surface fitted and centred into the rectangle ctrlRect
// (a dialog control's rectangle), which is first filled with black. A null
// rectangle shows "DrawImageIntoDlgRect, get coords failed\n". Returns the
// stretch's result.
bool DrawImageIntoDlgRect(const CDADC& surface, DrawContext& dc, const RECT* ctrlRect);

// Replaces *ppSurface by a copy resampled to newSize (area-correct). On any
// failure the old surface stays as it was and the failure is logged; sizes
// that CheckResize refuses are refused before any work, with its words.
bool ResizeImage(std::unique_ptr<CDADC>* ppSurface, SIZE newSize);

// Whether a picture of size from can be resized to size to; if not, why in
// one line for people naming the new size and the limit it passes: a side
// below 1 or more pixels than a picture may have (Invalid), more work memory
// than the resampler can count, more steps than it is given, or more memory
// than is available (NoMemory).
Done CheckResize(SIZE from, SIZE to);

// --- blocks -----------------------------------------------------------------

// A copy of the block; an empty block back (with a message) when h is empty
// or the memory cannot be had.
ByteBuffer CopyHandle(const ByteBuffer& h);

// The DIB part of an open BMP file (everything after its 14-byte file
// header) in a block of the whole file's length whose last 14 bytes stay
// zero. Empty when the file does not start with "BM" or cannot be read
// whole.
ByteBuffer ReadDibFile(std::FILE* file);
// The same of the file at path, which must be a regular file (opened
// without waiting: OpenRegularFile).
ByteBuffer ReadDibFileAt(const char* path);

// A 24-bit copy of the DIB that the user interface can show; null when the
// block is empty or cannot be decoded.
std::unique_ptr<CDADC> DibToBitmap(const ByteBuffer& hDib);

}  // namespace brisol
