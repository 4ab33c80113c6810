// CChildFrame: the window of one document in the main window's document
// area. It owns the document and shows its view; closing it brings it to
// the front and asks the document's save question first.
#pragma once

#include <QMdiSubWindow>
#include <memory>

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

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<CBrisolDoc> m_pDoc;
  CBrisolScrollView* m_pView = nullptr;
  bool m_bClosed = false;
};

}  // namespace brisol
