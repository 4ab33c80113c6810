#include "app/FirstPlacement.h"

#include <algorithm>

namespace brisol {

FirstPlacement PlaceFirstStart(const QRect& screen, QSize param, QSize colMix, QSize orig) {
  constexpr int kGap = 10;
  FirstPlacement p;
  const int column = std::max(param.width(), colMix.width());
  // The window takes what the panel column leaves, within reason.
  const int width = std::clamp(screen.width() - column - 3 * kGap, 480, 1400);
  const int height = std::clamp(screen.height() - 2 * kGap - 40, 360, 1000);
  p.frame = QRect(screen.left() + kGap, screen.top() + kGap + 20, width, height);
  const int x = std::min(p.frame.right() + kGap, screen.right() - column);
  p.param = QPoint(x, screen.top() + kGap);
  // The colour panel under the other one, or as low as the screen allows.
  const int below = p.param.y() + param.height() + 30 + kGap;
  p.colMix = QPoint(x, std::max(screen.top(), std::min(below, screen.bottom() - colMix.height() - 30)));
  p.orig = QPoint(p.frame.left() + kGap, std::max(p.frame.top(), p.frame.bottom() - orig.height() - 60));
  p.debug = QPoint(p.frame.left() + 2 * kGap, p.frame.top() + 2 * kGap);
  return p;
}

}  // namespace brisol
