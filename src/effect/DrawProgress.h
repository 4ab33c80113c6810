// One count for the whole of a drawing: its steps (force field, placement,
// the objects' bounds, the bands with their background and mix) each get a
// share of the total by the time they are expected to take, and each step
// tells how far it is. The observer hears a count that starts at 0 at once,
// never goes down and ends at the total, always on the thread that drew.
#pragma once

#include <array>
#include <cstddef>
#include <functional>

namespace brisol {

struct DrawObserver;

class DrawProgress {
 public:
  enum Step { kForceField, kPlacement, kBounds, kObjects, kMix, kSteps };
  // The count every drawing goes up to.
  static constexpr std::size_t kTotal = 10000;

  // The steps' shares of the time; a step with weight 0 is not expected.
  // Tells the observer 0 at once.
  DrawProgress(DrawObserver* observer, const std::array<double, kSteps>& weights);

  // Step is done of of its parts (of may be 0: nothing to do).
  void Report(Step step, std::size_t done, std::size_t of);
  // A reporter for a step of of parts, for WorkerPool::ParallelFor.
  std::function<void(std::size_t)> Reporter(Step step, std::size_t of);
  // The total, once, when the drawing is complete.
  void Finish();

  // The expected shares of a banded drawing and of the in-order drawing
  // into a whole working picture, from their sizes.
  static std::array<double, kSteps> BandedWeights(long long inputPixels, long long workPixels, std::size_t attempts,
                                                  std::size_t objects);
  static std::array<double, kSteps> WholePictureWeights(long long inputPixels, long long workPixels,
                                                        std::size_t attempts, std::size_t objects);

 private:
  DrawObserver* m_observer;
  std::array<std::size_t, kSteps + 1> m_start{};  // each step's first count
  std::size_t m_told = 0;
};

}  // namespace brisol
