// Where the main window and the panels go when the settings hold no places
// yet, and whether the panels float beside the main window or are docked in
// it. Every place is reckoned with the window manager's frames (title bars
// included): each floating panel lies wholly on the screen, beside the main
// window (so never over a picture's window) and beside the other panels.
// When the screen has no room for that and a main window wide enough for a
// picture, the panels are docked in the main window instead.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace brisol {

enum class PanelLayout { Floating, Docked };

struct FirstPlacement {
  PanelLayout layout = PanelLayout::Floating;
  QRect frame;  // the main window's inside (its geometry)
  // The floating panels' frame top-left corners (their pos()).
  QPoint param;   // "Size, Number and Angle"
  QPoint colMix;  // "Coloring and Mixing"
  QPoint orig;    // "Original Image"
  QPoint debug;   // the debug panel
};

// The narrowest main window worth having beside floating panels.
inline constexpr int kMinMainWidth = 640;

// screen: the available part of the screen; margins: the frame a window
// manager puts around each window; the sizes are the panels' insides.
FirstPlacement PlaceFirstStart(const QRect& screen, const QMargins& margins, QSize param, QSize colMix, QSize orig);

// Whether the panels float beside the main window on this screen.
PanelLayout ChooseLayout(const QRect& screen, const QMargins& margins, QSize param, QSize colMix, QSize orig);

}  // namespace brisol
