// How a drawing does its work; what it draws never depends on these.
#pragma once

#include "raster/WorkerPool.h"

namespace brisol {

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
};

}  // namespace brisol
