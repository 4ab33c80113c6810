// How a drawing does its work; what it draws never depends on these.
#pragma once

#include "raster/WorkerPool.h"

namespace brisol {

// Told of the output picture's rows as they are complete, so that they can
// be saved while the drawing goes on.
class OutputRowsSink {
 public:
  // Rows [0, rows) of the output, top-down, are written and stay so. Calls
  // come one at a time, with growing rows, from any of the drawing's
  // threads, which does this work between its bands.
  virtual void RowsReady(int rows) = 0;

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
  // only); may be null.
  OutputRowsSink* outputRows = nullptr;
};

}  // namespace brisol
