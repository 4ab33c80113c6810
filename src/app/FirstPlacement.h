// Where the main window and the panels go on a first start, when the
// settings hold no places yet: the window on the left of the screen, the
// settings panels in a column to its right, the original-image panel in the
// window's lower left corner.
#pragma once

#include <QRect>
#include <QSize>

namespace brisol {

struct FirstPlacement {
  QRect frame;    // the main window
  QPoint param;   // "Size, Number and Angle"
  QPoint colMix;  // "Coloring and Mixing"
  QPoint orig;    // "Original Image"
  QPoint debug;   // the debug panel
};

// screen: the available part of the screen; the sizes are the panels'.
FirstPlacement PlaceFirstStart(const QRect& screen, QSize param, QSize colMix, QSize orig);

}  // namespace brisol
