// How far the view's scroll bars move: a line is a hundredth of the scroll
// area (made odd, at least 1 pixel), a page a tenth.
#pragma once

namespace brisol {

struct ScrollSteps {
  int line = 1;
  int page = 0;
};

// extent: the scroll area's width (horizontal bar) or height (vertical).
constexpr ScrollSteps ScrollStepsFor(int extent) { return ScrollSteps{(extent / 100) | 1, extent / 10}; }

}  // namespace brisol
