#include "app/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace brisol {
namespace {

// The 64-bit overlap of a stored rectangle with a screen.
long long Shared(const StoredRect& r, const QRect& screen) {
  const long long left = std::max<long long>(r.left, screen.left());
  const long long right = std::min<long long>(r.right, static_cast<long long>(screen.left()) + screen.width());
  const long long top = std::max<long long>(r.top, screen.top());
  const long long bottom = std::min<long long>(r.bottom, static_cast<long long>(screen.top()) + screen.height());
  if (right <= left || bottom <= top) return 0;
  // Each side is below 2^33, so the product stays within 64 bits.
  return (right - left) * (bottom - top);
}

// The start of a span of this length on [lo, lo + room): as near to start
// as lets the whole span in, or lo when it is longer than the room.
long long Place(long long start, long long length, long long lo, long long room) {
  if (length >= room) return lo;
  return std::clamp(start, lo, lo + room - length);
}

}  // namespace

QRect BestScreen(const StoredRect& rect, const QList<QRect>& screens) {
  if (screens.isEmpty()) return QRect(0, 0, 1280, 1024);
  QRect best = screens.front();
  long long most = 0;
  for (const QRect& screen : screens) {
    const long long shared = Shared(rect, screen);
    if (shared > most) {
      most = shared;
      best = screen;
    }
  }
  return best;
}

QRect FitOnScreens(const StoredRect& inside, const QList<QRect>& screens, const QMargins& frame, QSize minimum) {
  const QRect screen = BestScreen(inside, screens);
  const long long roomW = std::max<long long>(1, screen.width() - frame.left() - frame.right());
  const long long roomH = std::max<long long>(1, screen.height() - frame.top() - frame.bottom());
  long long width = inside.right - inside.left, height = inside.bottom - inside.top;
  width = std::clamp<long long>(width, std::min<long long>(std::max(minimum.width(), 1), roomW), roomW);
  height = std::clamp<long long>(height, std::min<long long>(std::max(minimum.height(), 1), roomH), roomH);
  const long long x = Place(inside.left, width, static_cast<long long>(screen.left()) + frame.left(), roomW);
  const long long y = Place(inside.top, height, static_cast<long long>(screen.top()) + frame.top(), roomH);
  return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height));
}

QPoint FitFramePosition(QPoint frameTopLeft, QSize frameSize, const QList<QRect>& screens) {
  const StoredRect r{frameTopLeft.x(), frameTopLeft.y(), static_cast<long long>(frameTopLeft.x()) + frameSize.width(),
                     static_cast<long long>(frameTopLeft.y()) + frameSize.height()};
  const QRect screen = BestScreen(r, screens);
  return QPoint(static_cast<int>(Place(r.left, frameSize.width(), screen.left(), screen.width())),
                static_cast<int>(Place(r.top, frameSize.height(), screen.top(), screen.height())));
}

QList<QRect> AvailableScreens() {
  QList<QRect> screens;
  if (const QScreen* primary = QGuiApplication::primaryScreen()) screens << primary->availableGeometry();
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen != QGuiApplication::primaryScreen()) screens << screen->availableGeometry();
  return screens;
}

QMargins EstimatedFrameMargins() {
  const QString platform = QGuiApplication::platformName();
  // The offscreen platform of the tests draws a thin frame of its own.
  if (platform == QLatin1String("offscreen")) return QMargins(2, 2, 2, 2);
  if (platform == QLatin1String("minimal")) return {};
  return QMargins(6, 34, 6, 6);
}

QMargins FrameMarginsOf(const QWidget* window) {
  const QRect inside = window->geometry(), frame = window->frameGeometry();
  if (frame == inside) return EstimatedFrameMargins();
  return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                  frame.bottom() - inside.bottom());
}

void KeepWindowOnScreen(QWidget* window) {
  if (window == nullptr || !window->isWindow() || !window->isVisible() || window->isMaximized() ||
      window->isFullScreen() || window->isMinimized()) {
    return;
  }
  const QRect frame = window->frameGeometry();
  const QList<QRect> screens = AvailableScreens();
  const QRect screen =
      BestScreen(StoredRect{frame.left(), frame.top(), static_cast<long long>(frame.left()) + frame.width(),
                            static_cast<long long>(frame.top()) + frame.height()},
                 screens);
  if (screen.contains(frame)) return;
  const QMargins margins = FrameMarginsOf(window);
  const QSize outside(margins.left() + margins.right(), margins.top() + margins.bottom());
  // Shrunk first when larger than the screen, then moved.
  const QSize inside = window->size().boundedTo(screen.size() - outside).expandedTo(window->minimumSize());
  if (inside != window->size()) window->resize(inside);
  window->move(FitFramePosition(frame.topLeft(), inside + outside, {screen}));
}

}  // namespace brisol
