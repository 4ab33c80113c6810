// The effect runner: CBrisol binds one original picture to one effect and
// makes output pictures from them; CEffectOutput is where a drawing goes.
#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>

#include "effect/Effect.h"
#include "effect/Placement.h"
#include "imageio/PsOp.h"
#include "raster/Dadc.h"

namespace brisol {

// Told about a drawing's progress. Every call comes from the thread that
// called DrawIntoOutput, also while worker threads draw.
struct DrawObserver {
  virtual ~DrawObserver() = default;
  // A phase ended: "forcefield", "background", "placement", "drawing", "mix".
  // A drawing done in bands does background, objects and mix together on
  // several threads and tells each as its time summed over the threads.
  virtual void Phase(const char* name, double milliseconds) {}
  // How much of the whole drawing is done (force field, placement, objects
  // and mix, on all threads): done of total, told from 0 at the start and
  // rising, at most a few thousand times, to total when the picture is
  // complete.
  virtual void Progress(std::size_t done, std::size_t total) {}
  // The number of pixels the drawing of the objects wrote.
  virtual void PixelsWritten(std::uint64_t pixels) {}
};

// The working picture of a drawing: its size, the length of one percent of
// its width in pixels, and the outline width in pixels.
struct WorkGeometry {
  SIZE size;
  double unit = 0.0;
  int lineWidth = 0;
};
WorkGeometry WorkGeometryFor(const SIZE& input, int level, double lineWidthPercent);

// The objects a drawing of the effect from the input at the quality level
// places, in drawing order, with its working picture's geometry: the same
// placement DrawIntoOutput draws, for whoever draws the objects elsewhere
// (a vector file). No objects when the input has no pixels.
struct EffectObjects {
  WorkGeometry geometry;
  std::vector<PlacedObject> objects;
};
EffectObjects PlaceEffectObjects(const CEffect& effect, const CDADC& input, int level, unsigned threads = 0);

class CEffectOutput {
 public:
  // Remembers the output surface (may be null) and clears size's rectangle of
  // it to black; with a file name, also opens the vector file and writes its
  // header.
  void SetUp(CDADC* surface, const char* psFileName, const SIZE& size);
  void Close() { m_ps.Close(); }

  CDADC* m_pDADC = nullptr;  // not owned
  CPsOp m_ps;
};

class CBrisol {
 public:
  // Keeps its own copies of the original and the effect (whose shapes are
  // read again from their files).
  CBrisol(const CDADC* original, const CEffect* effect);
  // Shares the original, which nobody changes, instead of copying it.
  CBrisol(std::shared_ptr<const CDADC> original, const CEffect* effect);

  SIZE GetSize() const;
  void SetSeed(int seed) { m_Effect.SetSeed(seed); }
  const CDADC* GetOriginal() const { return m_pOrigDADC.get(); }
  const std::shared_ptr<const CDADC>& SharedOriginal() const { return m_pOrigDADC; }
  CEffect& GetEffect() { return m_Effect; }
  const CEffect& GetEffect() const { return m_Effect; }

  // Draws the output picture into output at the quality level.
  Done Draw(CEffectOutput& output, int level, DrawObserver* observer = nullptr, std::stop_token stop = {}) const;

 private:
  std::shared_ptr<const CDADC> m_pOrigDADC;
  CEffect m_Effect;
};

}  // namespace brisol
