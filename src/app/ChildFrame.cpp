#include "app/ChildFrame.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/RecipeDrop.h"
#include "app/ScrollView.h"
#include "ui/Icons.h"

namespace brisol {

CChildFrame::CChildFrame(CBrisolApp& app) : m_pDoc(std::make_unique<CBrisolDoc>(app, nullptr, app.m_drawingThreading)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(BrisolIcon(IconId::App));
  m_pView = new CBrisolScrollView(m_pDoc.get(), this);
  setWidget(m_pView);
  m_pDoc->SetView(m_pView);
  new CRecipeDrop(m_pDoc.get(), m_pView->viewport());
}

// The document goes first: it stops its drawing while the view still exists.
CChildFrame::~CChildFrame() { m_pDoc.reset(); }

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (!m_bClosed) {
    // The question is about this picture: its window comes to the front
    // first, and is the one the panels and commands work on.
    if (m_pDoc->IsModified()) {
      if (isMinimized()) showNormal();
      if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
      raise();
    }
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
