#include "app/ChildFrame.h"

#include <QCloseEvent>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ScrollView.h"
#include "ui/Icons.h"

namespace brisol {

CChildFrame::CChildFrame(CBrisolApp& app) : m_pDoc(std::make_unique<CBrisolDoc>(app, nullptr, app.m_drawingThreading)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(BrisolIcon(IconId::App));
  m_pView = new CBrisolScrollView(m_pDoc.get(), this);
  setWidget(m_pView);
  m_pDoc->SetView(m_pView);
}

// The document goes first: it stops its drawing while the view still exists.
CChildFrame::~CChildFrame() { m_pDoc.reset(); }

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (!m_bClosed) {
    if (!m_pDoc->SaveModified()) {
      event->ignore();
      return;
    }
    m_bClosed = true;
    m_pDoc->OnCloseDocument();
  }
  QMdiSubWindow::closeEvent(event);
}

}  // namespace brisol
