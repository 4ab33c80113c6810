// Windows onto today's screens. A rectangle kept in the settings may come
// from a screen that is gone, or from a damaged file with any two ints as
// its sides: it is moved (and, if need be, shrunk) so that the whole window,
// the window manager's frame included, lies on one screen. The arithmetic
// is done in 64 bits.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

namespace brisol {

// A rectangle read from the settings: left, top, right and bottom as stored.
struct StoredRect {
  long long left = 0, top = 0, right = 0, bottom = 0;
};

// The screen among screens (their available parts) that shares the most
// with the rectangle, or the first one when it shares nothing with any.
QRect BestScreen(const StoredRect& rect, const QList<QRect>& screens);

// The window's inside (what Qt's setGeometry takes) for a stored inside,
// such that the frame (the inside grown by frame) lies on the best screen.
// A side longer than the screen allows is shortened; minimum is kept where
// the screen has room for it.
QRect FitOnScreens(const StoredRect& inside, const QList<QRect>& screens, const QMargins& frame, QSize minimum = {});

// Where a window of this frame size (frame included) goes so that it lies on
// the screens: its frame's top left, moved as little as possible.
QPoint FitFramePosition(QPoint frameTopLeft, QSize frameSize, const QList<QRect>& screens);

// The available parts of today's screens, the primary screen first.
QList<QRect> AvailableScreens();

// What a window manager's frame takes around a window, before the window
// has been shown and its real frame is known: the thin frame the offscreen
// platform of the tests draws, a generous title bar and borders otherwise.
QMargins EstimatedFrameMargins();

// The frame a shown window really has (its frame geometry against its
// geometry); the estimate while the window manager has not told yet.
QMargins FrameMarginsOf(const QWidget* window);

// Moves a shown top-level window whose frame leaves its screen back onto
// it, shrinking it where it is larger than the screen.
void KeepWindowOnScreen(QWidget* window);

}  // namespace brisol
