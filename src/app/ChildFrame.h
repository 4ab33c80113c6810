// CChildFrame: the window of one document in the main window's document
// area. It owns the document and shows its view; closing it brings it to
// the front and asks the document's save question first. Saved first, it
// closes once the newest picture is written, the window answering
// meanwhile.
#pragma once

#include <QMdiSubWindow>
#include <memory>

#include "logger/Outcome.h"

namespace brisol {

class CBrisolApp;
class CBrisolDoc;
class CBrisolScrollView;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit CChildFrame(CBrisolApp& app);
  ~CChildFrame() override;

  CBrisolDoc* Document() const { return m_pDoc.get(); }
  CBrisolScrollView* View() const { return m_pView; }
  // Asked to close, it saves first and closes when that is done.
  bool IsSavingBeforeClosing() const { return m_bSaving; }

 signals:
  // The save asked for before closing ended; closing: the window closes.
  void SaveBeforeClosingEnded(bool closing);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<CBrisolDoc> m_pDoc;
  CBrisolScrollView* m_pView = nullptr;
  bool m_bClosed = false;
  bool m_bSaving = false;  // saving before it closes
  bool m_bAsking = false;  // within the save question
  bool m_bSaved = false;
  void SavedBeforeClosing(const Done& saved);
};

}  // namespace brisol
