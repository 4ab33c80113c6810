#include "app/FirstPlacement.h"

#include <algorithm>

namespace brisol {
namespace {

constexpr int kGap = 6;
// The main window is not made larger than this however large the screen.
constexpr int kMaxMainWidth = 1400, kMaxMainHeight = 1000;

QSize Framed(QSize inside, const QMargins& m) { return inside + QSize(m.left() + m.right(), m.top() + m.bottom()); }

// The panels' columns to the right of the main window: one column of all
// three, or the colour panel beside a column of the other two.
struct Columns {
  bool fits = false;
  bool single = true;
  int width = 0;  // the columns' width, gaps included
};

Columns ColumnsFor(const QRect& screen, QSize p, QSize c, QSize o) {
  const int mainRoom = kMinMainWidth;
  Columns one{true, true, std::max({p.width(), c.width(), o.width()}) + kGap};
  one.fits =
      p.height() + c.height() + o.height() + 2 * kGap <= screen.height() && screen.width() - one.width >= mainRoom;
  if (one.fits) return one;
  Columns two{true, false, c.width() + kGap + std::max(p.width(), o.width()) + kGap};
  two.fits = c.height() <= screen.height() && p.height() + kGap + o.height() <= screen.height() &&
             screen.width() - two.width >= mainRoom;
  return two;
}

}  // namespace

PanelLayout ChooseLayout(const QRect& screen, const QMargins& margins, QSize param, QSize colMix, QSize orig) {
  const Columns columns = ColumnsFor(screen, Framed(param, margins), Framed(colMix, margins), Framed(orig, margins));
  return columns.fits ? PanelLayout::Floating : PanelLayout::Docked;
}

FirstPlacement PlaceFirstStart(const QRect& screen, const QMargins& margins, QSize param, QSize colMix, QSize orig) {
  FirstPlacement p;
  const QSize outside(margins.left() + margins.right(), margins.top() + margins.bottom());
  const QSize pf = Framed(param, margins), cf = Framed(colMix, margins), of = Framed(orig, margins);
  const Columns columns = ColumnsFor(screen, pf, cf, of);
  p.layout = columns.fits ? PanelLayout::Floating : PanelLayout::Docked;

  // The main window: the whole screen when the panels are docked in it,
  // what the columns leave otherwise.
  const int frameWidth = columns.fits ? screen.width() - columns.width : screen.width();
  const QSize inside = (QSize(frameWidth, screen.height()) - outside)
                           .boundedTo(QSize(kMaxMainWidth, kMaxMainHeight))
                           .expandedTo(QSize(1, 1));
  p.frame = QRect(screen.topLeft() + QPoint(margins.left(), margins.top()), inside);
  p.debug = screen.topLeft() + QPoint(40, 60);
  if (!columns.fits) return p;

  const int x = screen.left() + inside.width() + outside.width() + kGap;
  const int top = screen.top();
  if (columns.single) {
    p.param = QPoint(x, top);
    p.colMix = QPoint(x, top + pf.height() + kGap);
    p.orig = QPoint(x, p.colMix.y() + cf.height() + kGap);
  } else {
    p.colMix = QPoint(x, top);
    p.param = QPoint(x + cf.width() + kGap, top);
    p.orig = QPoint(p.param.x(), top + pf.height() + kGap);
  }
  return p;
}

}  // namespace brisol
