#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ChildFrame.h"
#include "app/PrintRendered.h"
#include "app/ScreenFit.h"
#include "app/ScrollView.h"
#include "app/SplashWindow.h"
#include "imageio/PictureFormats.h"
#include "ui/Icons.h"

namespace brisol {
namespace {

constexpr const char* kIdleText = "For Help, press F1";
// A drawing that ends sooner shows no progress: the bar would only flicker.
constexpr int kProgressDelayMs = 150;

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
  // The one place where the panels follow the picture in front.
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

  createActions();
  createMenus();
  createToolBars();
  createStatusBar();
  createPanels();
  BindPanels(nullptr);
  m_bSplashPending = showSplash;
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  KeepOnScreenSoon(this);
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
  connect(doc, &CBrisolDoc::DrawingRequested, this, &CMainFrame::OnDrawingRequested);
  connect(doc, &CBrisolDoc::DrawingProgress, this, &CMainFrame::OnDrawingProgress);
  connect(doc, &CBrisolDoc::DrawingIdle, this, &CMainFrame::OnDrawingIdle);
  connect(doc, &CBrisolDoc::StateChanged, this, &CMainFrame::updateMenus);
  // The panels let go of an effect before it goes, and take a new one.
  connect(doc, &CBrisolDoc::RunnerAboutToChange, this, [this, doc] {
    if (doc == m_pBoundDoc) BindPanels(nullptr);
  });
  connect(doc, &CBrisolDoc::RunnerInstalled, this, [this, doc] {
    if (doc != ActiveDocument()) return;
    BindPanels(doc);
    ShowSettingPanels();
  });
  connect(doc, &CBrisolDoc::Closing, this, [this, doc] { OnDocumentClosing(doc); });
  ListenForSteps(doc);
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

void CMainFrame::KeepOnScreenSoon(QWidget* window) {
  // The window manager tells the frame's size a little after the window
  // appears: looked at at once and again shortly after.
  const QPointer<QWidget> guard(window);
  for (const int delay : {0, 300}) {
    QTimer::singleShot(delay, this, [guard] {
      if (guard) KeepWindowOnScreen(guard);
    });
  }
}

// --- status bar --------------------------------------------------------------------

void CMainFrame::createStatusBar() {
  QStatusBar* bar = statusBar();
  m_pDrawingLabel = new QLabel(bar);
  m_pDrawingLabel->setObjectName(QStringLiteral("drawingLabel"));
  m_pDrawingBar = new QProgressBar(bar);
  m_pDrawingBar->setObjectName(QStringLiteral("drawingProgress"));
  m_pDrawingBar->setMaximumWidth(160);
  m_pDrawingBar->setTextVisible(true);
  m_pDrawingBar->setFormat(QStringLiteral("%p%"));
  m_pStopButton = new QToolButton(bar);
  m_pStopButton->setObjectName(QStringLiteral("stopDrawing"));
  m_pStopButton->setDefaultAction(m_actions.stopDrawing);
  m_pStopButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addPermanentWidget(m_pDrawingLabel);
  bar->addPermanentWidget(m_pDrawingBar);
  bar->addPermanentWidget(m_pStopButton);
  m_pDrawingLabel->hide();
  m_pDrawingBar->hide();
  m_pStopButton->hide();
  m_pProgressDelay = new QTimer(this);
  m_pProgressDelay->setSingleShot(true);
  m_pProgressDelay->setInterval(kProgressDelayMs);
  connect(m_pProgressDelay, &QTimer::timeout, this, [this] {
    if (AnyDrawing()) ShowDrawingProgress();
  });
  // The message pane shows the idle text whenever no prompt is up.
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& text) {
    if (text.isEmpty()) bar->showMessage(tr(kIdleText));
  });
  bar->showMessage(tr(kIdleText));
}

bool CMainFrame::AnyDrawing() const {
  for (QMdiSubWindow* frame : m_pMdiArea->subWindowList()) {
    auto* view = qobject_cast<CBrisolScrollView*>(frame->widget());
    if (view && view->GetDocument()->Renderer().IsBusy()) return true;
  }
  return false;
}

void CMainFrame::OnDrawingRequested() {
  if (auto* doc = qobject_cast<CBrisolDoc*>(sender())) m_pDrawingLabel->setText(tr("Drawing %1").arg(doc->Title()));
  if (!m_pDrawingBar->isVisible()) {
    m_pDrawingBar->setRange(0, 1);
    m_pDrawingBar->setValue(0);
    if (!m_pProgressDelay->isActive()) m_pProgressDelay->start();
  }
  m_actions.stopDrawing->setEnabled(true);
}

void CMainFrame::OnDrawingProgress(int done, int total) {
  if (auto* doc = qobject_cast<CBrisolDoc*>(sender())) m_pDrawingLabel->setText(tr("Drawing %1").arg(doc->Title()));
  m_pDrawingBar->setRange(0, std::max(total, 1));
  m_pDrawingBar->setValue(std::clamp(done, 0, std::max(total, 1)));
}

void CMainFrame::ShowDrawingProgress() {
  m_pDrawingLabel->show();
  m_pDrawingBar->show();
  m_pStopButton->show();
}

void CMainFrame::OnDrawingIdle() {
  if (AnyDrawing()) return;
  m_pProgressDelay->stop();
  m_pDrawingLabel->hide();
  m_pDrawingBar->hide();
  m_pStopButton->hide();
  m_actions.stopDrawing->setEnabled(false);
}

void CMainFrame::OnStopDrawing() {
  for (QMdiSubWindow* frame : m_pMdiArea->subWindowList()) {
    auto* view = qobject_cast<CBrisolScrollView*>(frame->widget());
    if (view && view->GetDocument()->Renderer().IsBusy()) view->GetDocument()->OnStopDrawing();
  }
}

// --- closing -----------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
  SavePlacements();
  // Each document asks whether to save, its window in front; a "Cancel"
  // keeps the program open.
  for (QMdiSubWindow* frame : m_pMdiArea->subWindowList()) {
    if (!frame->close()) {
      // A picture saved before it closes (once it is the newest) closes
      // later: quitting goes on then.
      if (auto* child = qobject_cast<CChildFrame*>(frame); child && child->IsSavingBeforeClosing()) {
        connect(
            child, &CChildFrame::SaveBeforeClosingEnded, this,
            [this](bool closing) {
              if (closing) close();
            },
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
      }
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
