// Sizes a document window so that its view's visible area is cx by cy
// pixels, as far as the main window's document area allows.
#pragma once

class QMdiSubWindow;

namespace brisol {

// A minimised window is left alone; a maximised one is restored first.
void SFS(QMdiSubWindow* frame, int cx, int cy);

}  // namespace brisol
