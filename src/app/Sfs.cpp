#include "app/Sfs.h"

#include <QAbstractScrollArea>
#include <QMdiArea>
#include <QMdiSubWindow>

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
  // What the window adds around its content: frame and title bar, and the
  // view's own frame around its visible area.
  QSize extra = frame->size() - frame->contentsRect().size();
  if (auto* view = qobject_cast<QAbstractScrollArea*>(content)) {
    extra += QSize(2 * view->frameWidth(), 2 * view->frameWidth());
  }
  QSize wanted(cx + extra.width(), cy + extra.height());
  if (QMdiArea* area = frame->mdiArea()) {
    // Larger than the document area, the window would hang over its edges;
    // the view scrolls instead.
    const QSize room = area->viewport()->size();
    const QPoint at = frame->pos();
    wanted = wanted.boundedTo(QSize(std::max(room.width() - std::max(at.x(), 0), 120),
                                    std::max(room.height() - std::max(at.y(), 0), 90)));
  }
  frame->resize(wanted);
}

}  // namespace brisol
