// How a drawing does its work; what it draws never depends on these.
#pragma once

#include "raster/PixelBlock.h"
#include "raster/WorkerPool.h"

namespace brisol {

// Told of the output picture's rows as they are complete, so that they can
// be saved while the drawing goes on.
class OutputRowsSink {
 public:
  // Rows [first, last) of the output, top-down, are complete; rows holds
  // them, addressed as the whole output's (the output itself, or, for a
  // drawing without an output picture, a block of these rows only, valid
  // during the call). Calls come one at a time and in order, first being
  // the previous call's last, from any of the drawing's threads, which does
  // this work between its bands.
  virtual void RowsReady(const PixelBlock& rows, int first, int last) = 0;
  // Does one piece of the sink's own work that any thread may do (such as
  // compressing rows handed on), also while RowsReady runs; false when
  // there is none. The drawing's threads call it between their bands, and
  // until it has none once the bands are drawn.
  virtual bool Work() { return false; }

 protected:
  ~OutputRowsSink() = default;
};

struct DrawSettings {
  // The plain in-order drawing into a whole working picture, kept as the
  // reference the banded drawing is checked against.
  bool reference = false;
  // Threads at most, the calling one included; 0: the machine's cores.
  unsigned threads = 0;
  // How worker threads are started (tests put in one that fails).
  ThreadStarter starter = StartSystemThread;
  // Rows of the working picture per band; 0 picks a band of about two
  // megabytes.
  int bandRows = 0;
  // How many threads may hold the memory of a band at once (0: all). A
  // thread that cannot get its memory leaves its bands to the others, as
  // one that cannot start does; tests set this to see that happen.
  unsigned bandMemories = 0;
  // Told of the output's rows as the bands complete them (banded drawing
  // only); may be null. With a sink, a drawing may be given no output
  // picture: its rows then exist only as they are handed to the sink.
  OutputRowsSink* outputRows = nullptr;
};

}  // namespace brisol
