// The wait cursor for as long as a long step of the user-interface thread
// lasts (reading a collection or a picture, copying a picture).
#pragma once

#include <QGuiApplication>

namespace brisol {

class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace brisol
