#include "app/ChildFrame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QPointer>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/RecipeDrop.h"
#include "app/ScrollView.h"
#include "ui/Tell.h"
#include "ui/Icons.h"

namespace brisol {

CChildFrame::CChildFrame(CBrisolApp& app) : m_pDoc(std::make_unique<CBrisolDoc>(app, nullptr, app.m_drawingThreading)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(BrisolIcon(IconId::App));
  m_pView = new CBrisolScrollView(m_pDoc.get(), this);
  setWidget(m_pView);
  m_pDoc->SetView(m_pView);
  // The title is the picture's name, marked while it is modified.
  connect(m_pDoc.get(), &CBrisolDoc::TitleChanged, this, [this](QString title) {
    setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) + QStringLiteral("[*]"));
  });
  connect(m_pDoc.get(), &CBrisolDoc::ModifiedChanged, this, &QWidget::setWindowModified);
  new CRecipeDrop(m_pDoc.get(), m_pView->viewport());
}

// The document goes first: it stops its drawing while the view still exists.
CChildFrame::~CChildFrame() { m_pDoc.reset(); }

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (m_bSaving) {
    event->ignore();  // closes once saved
    return;
  }
  if (!m_bClosed) {
    if (!m_bSaved) {
      // The question is about this picture: its window comes to the front
      // first, and is the one the panels and commands work on.
      if (m_pDoc->IsModified()) {
        if (isMinimized()) showNormal();
        if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
        raise();
      }
      // Set before asking: the save may end at once, within the question.
      m_bSaving = m_bAsking = true;
      const auto answer = m_pDoc->SaveModified([frame = QPointer<CChildFrame>(this)](const Done& saved) {
        if (frame) frame->SavedBeforeClosing(saved);
      });
      m_bAsking = false;
      if (answer != CBrisolDoc::CloseAnswer::AfterSaving) m_bSaving = false;
      if (answer == CBrisolDoc::CloseAnswer::Keep || (answer == CBrisolDoc::CloseAnswer::AfterSaving && !m_bSaved)) {
        event->ignore();
        return;
      }
    }
    m_bClosed = true;
    m_pDoc->OnCloseDocument();
  }
  QMdiSubWindow::closeEvent(event);
}

void CChildFrame::SavedBeforeClosing(const Done& saved) {
  m_bSaving = false;
  TellFailure(saved);
  m_bSaved = saved.ok();
  // Saved after the picture came: the window closes now, from the event
  // loop (saved at once, it closes within the close it was asked in).
  if (m_bSaved && !m_bAsking)
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
  emit SaveBeforeClosingEnded(m_bSaved);
}

}  // namespace brisol
