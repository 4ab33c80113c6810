// One drawing of an effect's picture as the program's windows, its command
// line and its files ask for it: what to draw, how, and what became of it.
// The picture is made here, of the photo's size; the result holds it, or
// says why there is none: Status::Stopped when a stop request ended the
// drawing, Status::NoMemory (naming the working picture, the one large
// thing a drawing makes) when memory ran out, Failed with the reason
// otherwise.
#pragma once

#include <memory>
#include <stop_token>
#include <utility>

#include "effect/DrawSettings.h"
#include "logger/Outcome.h"

namespace brisol {

class CDADC;
class CEffect;
struct DrawObserver;

struct DrawJob {
  DrawJob(const CEffect& what, const CDADC& from, int level = 1, DrawObserver* told = nullptr,
          std::stop_token stopBy = {})
      : effect(&what), photo(&from), quality(level), observer(told), stop(std::move(stopBy)) {}

  const CEffect* effect;
  const CDADC* photo;  // the original
  int quality;         // 1 or 2
  DrawObserver* observer;
  std::stop_token stop;
  DrawSettings settings;  // threads, bands, where the rows go
};

// The job's picture, of the photo's size.
Outcome<std::unique_ptr<CDADC>> DrawPicture(const DrawJob& job);
// The job's picture handed on a few rows at a time to settings.outputRows
// (which must be set) and never made whole.
Done DrawPictureRows(const DrawJob& job);

}  // namespace brisol
