// Drawing the working picture a band of rows at a time, topmost first: for
// each band, the objects that reach it from the last to the first (each
// pixel keeps the first colour that reaches it), then the background under
// what no object covered, then the reduction and mix of those rows into the
// output. The working picture never exists whole, each pixel is written
// once, and bands are shared out over threads. The pixels are those of the
// in-order drawing into a whole working picture.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "effect/DrawSettings.h"
#include "effect/Placement.h"
#include "logger/Outcome.h"
#include "raster/Types.h"
#include "raster/WorkerPool.h"

namespace brisol {

class BandMixer;
class CDADC;
class CEffect;
class DrawProgress;

struct BandedDrawing {
  const CEffect* effect = nullptr;
  std::span<const PlacedObject> objects;  // in drawing order
  const CDADC* input = nullptr;           // the original: the background's source
  SIZE work;                              // the working picture's size
  const BandMixer* mixer = nullptr;       // the output's rows
  int bandRows = 0;                       // 0: about two megabytes a band
  // How many threads may hold a band's memory at once (0: any number).
  unsigned bandMemories = 0;
  OutputRowsSink* outputRows = nullptr;  // told of the output's complete rows
};

// What the bands took: the pixels the objects wrote, and the time spent on
// the objects, the background and the mix, summed over the threads.
struct BandTotals {
  std::uint64_t written = 0;
  double objectsMs = 0;
  double backgroundMs = 0;
  double mixMs = 0;
};

// Draws; Status::NoMemory, naming the working picture, when memory ran
// out. A thread that cannot get the memory for its band leaves it, and the
// bands after it, to the threads that have theirs, at worst to the calling
// thread alone: the drawing fails only when no thread can draw. A stop
// request ends the work at the next object or mix row. Progress (the
// objects' bounds, then the bands) is reported from the calling thread.
Done DrawInBands(const BandedDrawing& drawing, const WorkerPool& pool, DrawProgress* progress,
                 const std::stop_token& stop, BandTotals& totals);

}  // namespace brisol
