#include "app/MainFrame.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>

#include "app/AppSettings.h"
#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ChildFrame.h"
#include "app/ScrollView.h"
#include "app/SplashWindow.h"
#include "effect/Runner.h"
#include "imageio/PictureFormats.h"
#include "logger/Logger.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/Icons.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

namespace brisol {
namespace {

constexpr const char* kIdleText = "For Help, press F1";

// The local picture files among dropped URLs.
QStringList DroppedPictures(const QMimeData* mime) {
  QStringList paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (PictureFormatOfName(path.toStdString()) != nullptr) paths << path;
  }
  return paths;
}

}  // namespace

CMainFrame::CMainFrame(CBrisolApp& app, bool showSplash) : m_app(app) {
  setObjectName(QStringLiteral("MAINFRAME"));
  setWindowTitle(QStringLiteral("Brisol"));
  setWindowIcon(BrisolIcon(IconId::App));
  setAcceptDrops(true);
  m_pMdiArea = new QMdiArea(this);
  m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
  m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_pMdiArea);
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::updateMenus);

  createActions();
  createMenus();
  createToolBars();
  createStatusBar();
  createPanels();
  updateMenus();
  m_bSplashPending = showSplash;
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Once, centred over the window as it first appears.
  if (m_bSplashPending) {
    m_bSplashPending = false;
    m_pSplash = new CSplashWindow(SplashPicture(), this);
  }
}

CMainFrame::~CMainFrame() = default;

CSplashWindow* CMainFrame::Splash() const { return m_pSplash.data(); }

QMdiSubWindow* CMainFrame::ActiveFrame() const {
  // The current window stays current while a panel has the keyboard.
  return m_pMdiArea->currentSubWindow();
}

CBrisolScrollView* CMainFrame::ActiveView() const {
  QMdiSubWindow* frame = ActiveFrame();
  return frame ? qobject_cast<CBrisolScrollView*>(frame->widget()) : nullptr;
}

CBrisolDoc* CMainFrame::ActiveDocument() const {
  CBrisolScrollView* view = ActiveView();
  return view ? view->GetDocument() : nullptr;
}

void CMainFrame::AddDocumentFrame(CChildFrame* frame) {
  m_pMdiArea->addSubWindow(frame);
  CBrisolDoc* doc = frame->Document();
  connect(doc, &CBrisolDoc::DrawingProgress, this, &CMainFrame::OnDrawingProgress);
  connect(doc, &CBrisolDoc::DrawingIdle, this, &CMainFrame::OnDrawingIdle);
  connect(doc, &CBrisolDoc::StateChanged, this, &CMainFrame::updateMenus);
  // The commands' state changes once the window is gone.
  connect(frame, &QObject::destroyed, this, [this] {
    QMetaObject::invokeMethod(this, &CMainFrame::updateMenus, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &CMainFrame::OnDrawingIdle, Qt::QueuedConnection);
  });
}

QPrinter& CMainFrame::Printer() {
  if (!m_pPrinter) m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *m_pPrinter;
}

// --- status bar --------------------------------------------------------------------

void CMainFrame::createStatusBar() {
  QStatusBar* bar = statusBar();
  m_pDrawingLabel = new QLabel(bar);
  m_pDrawingBar = new QProgressBar(bar);
  m_pDrawingBar->setObjectName(QStringLiteral("drawingProgress"));
  m_pDrawingBar->setMaximumWidth(160);
  m_pDrawingBar->setTextVisible(false);
  bar->addPermanentWidget(m_pDrawingLabel);
  bar->addPermanentWidget(m_pDrawingBar);
  m_pDrawingLabel->hide();
  m_pDrawingBar->hide();
  // The message pane shows the idle text whenever no prompt is up.
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& text) {
    if (text.isEmpty()) bar->showMessage(tr(kIdleText));
  });
  bar->showMessage(tr(kIdleText));
}

void CMainFrame::OnDrawingProgress(int done, int total) {
  auto* doc = qobject_cast<CBrisolDoc*>(sender());
  m_pDrawingLabel->setText(tr("Drawing %1").arg(doc ? doc->Title() : QString()));
  m_pDrawingBar->setRange(0, std::max(total, 1));
  m_pDrawingBar->setValue(done);
  m_pDrawingLabel->show();
  m_pDrawingBar->show();
}

void CMainFrame::OnDrawingIdle() {
  for (QMdiSubWindow* frame : m_pMdiArea->subWindowList()) {
    auto* view = qobject_cast<CBrisolScrollView*>(frame->widget());
    if (view && view->GetDocument()->Renderer().IsBusy()) return;
  }
  m_pDrawingLabel->hide();
  m_pDrawingBar->hide();
}

// --- panels ----------------------------------------------------------------------

void CMainFrame::createPanels() {
  m_pOrigDlg = new COrigDlg(this);
  m_pParamDlg = new CParamDlg(this);
  m_pColMixDlg = new CColMixDlg(this);
  m_pDebugDlg = new CDebugDlg(this);
  for (QWidget* panel : {static_cast<QWidget*>(m_pOrigDlg), static_cast<QWidget*>(m_pParamDlg),
                         static_cast<QWidget*>(m_pColMixDlg), static_cast<QWidget*>(m_pDebugDlg)}) {
    // Every panel starts hidden, wherever it was visible at the last exit.
    const PanelPlacement placement = m_app.Settings().ReadPanel(panel->objectName().toLatin1().constData());
    panel->move(placement.left, placement.top);
    panel->raise();
    panel->hide();
    if (!placement.stored) m_newPanels << panel;
  }
}

void CMainFrame::PlaceNewPanels(const FirstPlacement& places) {
  for (QWidget* panel : m_newPanels) {
    if (panel == m_pParamDlg)
      panel->move(places.param);
    else if (panel == m_pColMixDlg)
      panel->move(places.colMix);
    else if (panel == m_pOrigDlg)
      panel->move(places.orig);
    else
      panel->move(places.debug);
  }
  m_newPanels.clear();
}

void CMainFrame::ShowPropertiesWindow(QWidget* panel) {
  if (panel == nullptr) {
    TheLogger().Log(kLogError, "ShowPropertiesWindow %p failed", static_cast<void*>(panel));
    return;
  }
  panel->show();
  panel->raise();
}

void CMainFrame::HidePropertiesWindow(QWidget* panel) {
  if (panel == nullptr) {
    TheLogger().Log(kLogError, "HidePropertiesWindow %p failed", static_cast<void*>(panel));
    return;
  }
  panel->hide();
}

bool CMainFrame::TogglePropertiesWindow(QWidget* panel) {
  if (panel == nullptr) {
    TheLogger().Log(kLogError, "TogglePropertiesWindow %p failed", static_cast<void*>(panel));
    return false;
  }
  if (!panel->isVisible()) {
    ShowPropertiesWindow(panel);
    return true;
  }
  panel->hide();
  return false;
}

void CMainFrame::ShowOrigDlg(const CDADC* image) {
  if (m_pOrigDlg == nullptr) {
    TheLogger().Log(kLogError, "CMainFrame::ShowOrigDlg with NULL pointer\n");
    return;
  }
  ShowPropertiesWindow(m_pOrigDlg);
  m_pOrigDlg->SetImage(image);
}

void CMainFrame::UpdatePanels(CBrisolDoc* doc) {
  if (doc != nullptr) {
    CBrisol* runner = doc->GetRunner();
    if (runner == nullptr) return;
    if (m_pParamDlg) m_pParamDlg->SetEffect(doc, &runner->GetEffect());
    if (m_pColMixDlg) m_pColMixDlg->SetEffect(doc, &runner->GetEffect());
    if (m_pOrigDlg && runner->GetOriginal()) m_pOrigDlg->SetImage(runner->GetOriginal());
    updateMenus();
    return;
  }
  if (CBrisolDoc* active = ActiveDocument(); active && active->GetOriginal() && m_pOrigDlg) {
    m_pOrigDlg->SetImage(active->GetOriginal());
  }
}

void CMainFrame::ShowSettingPanels() {
  ShowPropertiesWindow(m_pParamDlg);
  ShowPropertiesWindow(m_pColMixDlg);
}

void CMainFrame::HidePanels() {
  if (m_pOrigDlg) m_pOrigDlg->HideImage();
  HidePropertiesWindow(m_pParamDlg);
  HidePropertiesWindow(m_pColMixDlg);
}

void CMainFrame::UnbindPanels(CBrisolDoc* doc) {
  // Forgetting the effect first, then the document.
  for (auto* panel : {static_cast<QWidget*>(m_pParamDlg), static_cast<QWidget*>(m_pColMixDlg)}) {
    if (auto* p = qobject_cast<CParamDlg*>(panel)) {
      p->SetEffect(doc, nullptr);
      p->SetEffect(nullptr, nullptr);
    }
    if (auto* c = qobject_cast<CColMixDlg*>(panel)) {
      c->SetEffect(doc, nullptr);
      c->SetEffect(nullptr, nullptr);
    }
  }
}

// --- closing -----------------------------------------------------------------------

void CMainFrame::SavePlacements() {
  if (!isMinimized()) {
    m_app.Settings().SWPRS("MAINFRAME", normalGeometry(), isMaximized() ? kFrameMaximized : kFrameNormal);
  }
  for (QWidget* panel : {static_cast<QWidget*>(m_pOrigDlg), static_cast<QWidget*>(m_pParamDlg),
                         static_cast<QWidget*>(m_pColMixDlg), static_cast<QWidget*>(m_pDebugDlg)}) {
    if (panel == nullptr) continue;
    m_app.Settings().WritePanel(panel->objectName().toLatin1().constData(),
                                PanelPlacement{panel->x(), panel->y(), panel->isVisible()});
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  SavePlacements();
  // Each document asks whether to save; a "Cancel" keeps the program open.
  for (QMdiSubWindow* frame : m_pMdiArea->subWindowList()) {
    if (!frame->close()) {
      event->ignore();
      return;
    }
  }
  if (m_pSplash) m_pSplash->Dismiss();
  if (m_pHelp) m_pHelp->close();
  event->accept();
}

// --- dropping pictures ---------------------------------------------------------------

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPictures(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedPictures(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  // Opened after the drop has finished: each opening asks questions.
  QMetaObject::invokeMethod(
      this,
      [this, paths] {
        for (const QString& path : paths) m_app.OpenImage(path);
      },
      Qt::QueuedConnection);
}

}  // namespace brisol
