#include "app/Sfs.h"

#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>
#include <limits>

#include "logger/Alerts.h"

namespace brisol {

void SFS(QMdiSubWindow* frame, int cx, int cy) {
  if (frame == nullptr) {
    AlertBox("SFS: Bad window pointer");
    return;
  }
  if (frame->isMinimized()) return;
  if (frame->isMaximized()) frame->showNormal();
  QWidget* content = frame->widget();
  if (content == nullptr) {
    AlertBox("SFS: Not a window");
    return;
  }
  // The window's frame and title bar, and the view's frame and scroll
  // bars, are what they are: size once, measure what the content got, and
  // correct by the difference.
  // (A view's visible area without its scroll bars, which come and go
  // with the size.)
  auto visible = [content] { return content->contentsRect().size(); };
  auto settle = [frame] {
    if (QLayout* layout = frame->layout()) layout->activate();
  };
  QSize room(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
  if (QMdiArea* area = frame->mdiArea()) {
    // Larger than the document area, the window would hang over its edges;
    // the view scrolls instead.
    const QPoint at = frame->pos();
    room = QSize(std::max(area->viewport()->width() - std::max(at.x(), 0), 120),
                 std::max(area->viewport()->height() - std::max(at.y(), 0), 90));
  }
  settle();
  for (int pass = 0; pass < 2; ++pass) {
    const QSize have = visible();
    const QSize wanted = (frame->size() + QSize(cx, cy) - have).boundedTo(room);
    if (wanted == frame->size()) break;
    frame->resize(wanted);
    settle();
  }
}

}  // namespace brisol
