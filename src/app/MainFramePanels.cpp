// The main window's panels: made hidden at their saved places, floating or
// docked, shown, hidden and toggled, bound to the document in front, and
// their places kept at exit.
#include <QDockWidget>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include "app/AppSettings.h"
#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/ScreenFit.h"
#include "effect/Runner.h"
#include "logger/Logger.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

namespace brisol {
namespace {

// The settings section of a panel is its object name.
std::string Section(const QWidget* panel) { return panel->objectName().toStdString(); }

// Tells the main window when a panel's window is shown or hidden, so that
// the toggles' check marks follow. Found again by its name (it has no meta
// object of its own for findChild to tell it by).
constexpr char kShownWatcherName[] = "panelShownWatcher";

class ShownWatcher : public QObject {
 public:
  ShownWatcher(QObject* parent, std::function<void()> changed) : QObject(parent), m_changed(std::move(changed)) {
    setObjectName(QLatin1String(kShownWatcherName));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) m_changed();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> m_changed;
};

}  // namespace

void CMainFrame::createPanels() {
  m_pOrigDlg = new COrigDlg(this);
  m_pParamDlg = new CParamDlg(this);
  m_pColMixDlg = new CColMixDlg(this);
  m_pDebugDlg = new CDebugDlg(this);
  const QMargins frame = EstimatedFrameMargins();
  const QList<QRect> screens = AvailableScreens();
  for (CPanelDlg* panel : {static_cast<CPanelDlg*>(m_pOrigDlg), static_cast<CPanelDlg*>(m_pParamDlg),
                           static_cast<CPanelDlg*>(m_pColMixDlg), static_cast<CPanelDlg*>(m_pDebugDlg)}) {
    // Every panel starts hidden, wherever it was visible at the last exit,
    // at its place moved onto today's screens.
    const PanelPlacement placement = m_app.Settings().ReadPanel(Section(panel).c_str());
    const QSize size = panel->sizeHint() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    panel->move(FitFramePosition(QPoint(placement.left, placement.top), size, screens));
    panel->raise();
    panel->hide();
    panel->setProperty("storedLeft", placement.left);
    panel->setProperty("storedTop", placement.top);
    if (!placement.stored) m_newPanels << panel;
  }
  auto* watcher = new ShownWatcher(
      this, [this] { QMetaObject::invokeMethod(this, &CMainFrame::updateMenus, Qt::QueuedConnection); });
  for (QWidget* panel : {static_cast<QWidget*>(m_pOrigDlg), static_cast<QWidget*>(m_pParamDlg),
                         static_cast<QWidget*>(m_pColMixDlg), static_cast<QWidget*>(m_pDebugDlg)}) {
    panel->installEventFilter(watcher);
  }
}

void CMainFrame::SetPanelLayout(PanelLayout layout) {
  if (layout == m_layout) return;
  m_layout = layout;
  if (layout == PanelLayout::Docked) DockPanels();
}

void CMainFrame::DockPanels() {
  // Pages of one dock area on the right, each in a scroll area, so that
  // every control stays within reach however low the window.
  QDockWidget* first = nullptr;
  for (CPanelDlg* panel : {static_cast<CPanelDlg*>(m_pParamDlg), static_cast<CPanelDlg*>(m_pColMixDlg),
                           static_cast<CPanelDlg*>(m_pOrigDlg)}) {
    const bool shown = panel->IsShown();
    auto* dock = new QDockWidget(panel->windowTitle(), this);
    dock->setObjectName(panel->objectName() + QStringLiteral("_DOCK"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* scroll = new QScrollArea(dock);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    panel->setWindowFlags(Qt::Widget);
    scroll->setWidget(panel);
    panel->show();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll->setMinimumWidth(panel->sizeHint().width() + bar + 4);
    dock->setWidget(scroll);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    if (first != nullptr)
      tabifyDockWidget(first, dock);
    else
      first = dock;
    dock->setVisible(shown);
    QObject* watcher = findChild<QObject*>(QLatin1String(kShownWatcherName), Qt::FindDirectChildrenOnly);
    if (watcher != nullptr) dock->installEventFilter(watcher);
    m_docks << dock;
  }
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
}

QWidget* CMainFrame::PanelHost(QWidget* panel) const {
  if (auto* p = qobject_cast<CPanelDlg*>(panel)) return p->Host();
  return panel;
}

bool CMainFrame::IsPanelShown(const QWidget* panel) const {
  if (auto* p = qobject_cast<const CPanelDlg*>(panel)) return p->IsShown();
  return panel != nullptr && !panel->isHidden();
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
  QWidget* host = PanelHost(panel);
  host->show();
  host->raise();
  if (host->isWindow()) KeepOnScreenSoon(host);
}

void CMainFrame::HidePropertiesWindow(QWidget* panel) {
  if (panel == nullptr) {
    TheLogger().Log(kLogError, "HidePropertiesWindow %p failed", static_cast<void*>(panel));
    return;
  }
  PanelHost(panel)->hide();
}

bool CMainFrame::TogglePropertiesWindow(QWidget* panel) {
  if (panel == nullptr) {
    TheLogger().Log(kLogError, "TogglePropertiesWindow %p failed", static_cast<void*>(panel));
    return false;
  }
  if (!IsPanelShown(panel)) {
    ShowPropertiesWindow(panel);
    return true;
  }
  PanelHost(panel)->hide();
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

CBrisolDoc* CMainFrame::BoundDocument() const { return m_pBoundDoc.data(); }

void CMainFrame::OnSubWindowActivated() {
  // Also when the main window only lost the keyboard to a panel: the
  // current window is then the same, and binding it again changes nothing.
  CBrisolDoc* doc = ActiveDocument();
  m_undoGroup.setActiveStack(doc ? &doc->UndoStack() : nullptr);
  BindPanels(doc);
  updateMenus();
}

void CMainFrame::BindPanels(CBrisolDoc* doc) {
  // What the panels changed in the picture they leave is one step of it.
  if (m_pBoundDoc && m_pBoundDoc != doc) m_pBoundDoc->CommitStep();
  CBrisol* runner = doc ? doc->GetRunner() : nullptr;
  const bool same = doc == m_pBoundDoc && runner == m_pBoundRunner;
  m_pBoundDoc = doc;
  m_pBoundRunner = runner;
  QString reason;
  if (runner != nullptr) {
    if (!same) {
      m_pParamDlg->SetEffect(doc, &runner->GetEffect());
      m_pColMixDlg->SetEffect(doc, &runner->GetEffect());
    }
  } else {
    m_pParamDlg->SetEffect(nullptr, nullptr);
    m_pColMixDlg->SetEffect(nullptr, nullptr);
    reason =
        doc ? tr("%1 has no collection of shapes yet: choose one with Dialogs > Choose Objects...").arg(doc->Title())
            : tr("No picture is open.");
  }
  for (QWidget* panel : {static_cast<QWidget*>(m_pParamDlg), static_cast<QWidget*>(m_pColMixDlg)}) {
    panel->setEnabled(runner != nullptr);
    panel->setToolTip(reason);
  }
  if (!same || m_pOrigDlg->Thumbnail() == nullptr) {
    if (doc && doc->GetOriginal())
      m_pOrigDlg->SetImage(doc->GetOriginal());
    else
      m_pOrigDlg->ClearImage();
  }
}

void CMainFrame::OnDocumentClosing(CBrisolDoc* doc) {
  // The panels let go of the effect now; the window activated next binds
  // them again. With the last picture they go.
  if (doc == m_pBoundDoc) BindPanels(nullptr);
  if (m_pMdiArea->subWindowList().size() <= 1) HidePanels();
}

void CMainFrame::ShowSettingPanels() {
  ShowPropertiesWindow(m_pColMixDlg);
  ShowPropertiesWindow(m_pParamDlg);
}

void CMainFrame::HidePanels() {
  if (m_pOrigDlg) m_pOrigDlg->HideImage();
  HidePropertiesWindow(m_pParamDlg);
  HidePropertiesWindow(m_pColMixDlg);
}

void CMainFrame::SavePlacements() {
  if (!isMinimized()) {
    m_app.Settings().SWPRS("MAINFRAME", normalGeometry(), isMaximized() ? kFrameMaximized : kFrameNormal);
  }
  for (QWidget* panel : {static_cast<QWidget*>(m_pOrigDlg), static_cast<QWidget*>(m_pParamDlg),
                         static_cast<QWidget*>(m_pColMixDlg), static_cast<QWidget*>(m_pDebugDlg)}) {
    if (panel == nullptr) continue;
    // A docked panel keeps the place it had floating.
    const QPoint place = panel->isWindow()
                             ? panel->pos()
                             : QPoint(panel->property("storedLeft").toInt(), panel->property("storedTop").toInt());
    m_app.Settings().WritePanel(Section(panel).c_str(), PanelPlacement{place.x(), place.y(), IsPanelShown(panel)});
  }
}

}  // namespace brisol
