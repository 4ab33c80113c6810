// Where the figure operations put their pixels: straight into the block
// through the span filler, or, for a context that records, into its
// recorder as runs. Private to the drawing backend.
#pragma once

#include "raster/PixelBlock.h"
#include "raster/SpanFill.h"
#include "raster/SpanRecorder.h"
#include "raster/Types.h"

namespace brisol {

class StrokeCache;

struct RunTarget {
  PixelBlock block;                  // width and height always; no bits when recording
  SpanFiller* filler = nullptr;      // used when writing
  SpanRecorder* recorder = nullptr;  // set: record instead of writing
  StrokeCache* strokes = nullptr;    // wide strokes' outlines kept, or none

  int width() const { return block.width; }
  int height() const { return block.height; }
  bool Records() const { return recorder != nullptr; }
  // The first row anything is kept of: figures need not be worked out
  // above it.
  int firstRow() const { return recorder != nullptr ? recorder->FirstKeptRow() : 0; }

  // n pixels from (x, y) along the row, all inside the block.
  void Fill(int y, int x, int n, COLORREF colour) const {
    if (recorder != nullptr)
      recorder->Add(y, x, x + n, colour);
    else
      filler->Fill(block.Pixel(x, y), n, colour);
  }
  // Asks for the cache line of (x, y), which lies inside the block.
  void Prefetch(int x, int y) const {
    if (recorder == nullptr) __builtin_prefetch(block.Pixel(x, y), 1, 3);
  }
};

}  // namespace brisol
