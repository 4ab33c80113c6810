// The main window's commands: actions, menus, toolbar and their enabling.
#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ChildFrame.h"
#include "app/ExportPicture.h"
#include "app/MainFrame.h"
#include "app/ScrollView.h"
#include "ui/Tell.h"
#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/Icons.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"
#include "ui/PresetsMenu.h"

namespace brisol {

QAction* MakeAction(QObject* parent, const QString& text, const QString& promptAndTip,
                    const QList<QKeySequence>& keys) {
  auto* action = new QAction(text, parent);
  DescribeAction(action, promptAndTip, keys);
  return action;
}

void DescribeAction(QAction* action, const QString& promptAndTip, const QList<QKeySequence>& keys) {
  const QString text = action->text();
  const qsizetype cut = promptAndTip.indexOf('\n');
  action->setStatusTip(cut < 0 ? promptAndTip.trimmed() : promptAndTip.left(cut).trimmed());
  QString tip = cut < 0 ? QString(text).remove('&').remove(QStringLiteral("...")) : promptAndTip.mid(cut + 1);
  action->setToolTip(tip);
  // What Shift+F1 tells of the command: its prompt.
  action->setWhatsThis(action->statusTip());
  if (!keys.isEmpty()) action->setShortcuts(keys);
}

namespace {

constexpr int kExportStatusMs = 8000;

QKeySequence Keypad(Qt::Key key) { return QKeySequence(Qt::KeypadModifier | key); }

}  // namespace

void CMainFrame::createActions() {
  MainActions& a = m_actions;
  auto on = [this](QAction* action, auto handler) {
    connect(action, &QAction::triggered, this, [this, handler] {
      handler();
      updateMenus();
    });
  };
  auto onView = [this, on](QAction* action, void (CBrisolScrollView::*member)()) {
    on(action, [this, member] {
      if (CBrisolScrollView* view = ActiveView()) (view->*member)();
    });
  };
  auto onDoc = [this, on](QAction* action, void (CBrisolDoc::*member)()) {
    on(action, [this, member] {
      if (CBrisolDoc* doc = ActiveDocument()) (doc->*member)();
    });
  };

  a.openImage = MakeAction(this, tr("&Open Image"), tr("Open an image to use as the original\nOpen Original"),
                           {QKeySequence(Qt::CTRL | Qt::Key_O)});
  a.openImage->setIcon(BrisolIcon(IconId::OpenImage));
  on(a.openImage, [this] { m_app.OpenImage(); });
  a.newImage =
      MakeAction(this, tr("&New"), tr("Open an image to use as the original"), {QKeySequence(Qt::CTRL | Qt::Key_N)});
  on(a.newImage, [this] { m_app.OnFileNew(); });
  addAction(a.newImage);
  a.saveImage = MakeAction(this, tr("&Save as Image..."), tr("Save the active document\nSave"),
                           {QKeySequence(Qt::CTRL | Qt::Key_S)});
  a.saveImage->setIcon(BrisolIcon(IconId::SaveImage));
  on(a.saveImage, [this] {
    if (CBrisolScrollView* view = ActiveView()) view->SaveImage(TellFailure);
  });
  a.exportPicture = MakeAction(this, tr("&Export..."),
                               tr("Write the picture as a vector file (PDF, SVG, EPS) at any print size\nExport"));
  on(a.exportPicture, [this] {
    // What is written is the newest exact picture, never a preview or one
    // about to be replaced.
    if (CBrisolDoc* doc = ActiveDocument()) {
      doc->WhenPictureReady([this, doc] {
        const QString written = ExportPicture(this, *doc, m_app.Settings());
        if (!written.isEmpty()) statusBar()->showMessage(written, kExportStatusMs);
      });
    }
  });
  a.printSetup = MakeAction(this, tr("P&rint Setup..."), tr("Change the printer and printing options\nPrint Setup"));
  on(a.printSetup, [this] { OnFilePrintSetup(); });
  a.printPreview = MakeAction(this, tr("Print Preview..."), tr("Display full pages\nPrint Preview"));
  on(a.printPreview, [this] { OnFilePrintPreview(); });
  a.print =
      MakeAction(this, tr("Print..."), tr("Print the active document\nPrint"), {QKeySequence(Qt::CTRL | Qt::Key_P)});
  a.print->setIcon(BrisolIcon(IconId::Print));
  on(a.print, [this] { OnFilePrint(); });
  for (int i = 0; i < 5; ++i) {
    a.recent[static_cast<std::size_t>(i)] = MakeAction(this, QString(), tr("Re-open this image"));
    on(a.recent[static_cast<std::size_t>(i)], [this, i] { m_app.OpenMROFile(i); });
  }
  a.exit = MakeAction(this, tr("E&xit"), tr("Quit the application; prompts to save documents\nExit"));
  on(a.exit, [this] { close(); });

  a.cut = MakeAction(this, tr("Cu&t"), tr("Cut the selection and put it on the Clipboard\nCut"),
                     {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
  a.cut->setIcon(BrisolIcon(IconId::Cut));
  a.copy = MakeAction(this, tr("&Copy image"), tr("Copy the image into the Clipboard\nCopy"),
                      {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
  a.copy->setIcon(BrisolIcon(IconId::Copy));
  a.copy->setShortcutContext(Qt::ApplicationShortcut);
  onView(a.copy, &CBrisolScrollView::OnEditCopy);
  a.paste = MakeAction(this, tr("&Paste image"), tr("Insert image in clipboard into program\nPaste"),
                       {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
  a.paste->setIcon(BrisolIcon(IconId::Paste));
  a.paste->setShortcutContext(Qt::ApplicationShortcut);
  on(a.paste, [this] { m_app.OnEditPaste(); });
  a.copyCommandLine = MakeAction(this, tr("Copy as Co&mmand Line"),
                                 tr("Copy the brisol-cli command that makes the same picture\nCopy as Command Line"));
  on(a.copyCommandLine, [this] { OnCopyCommandLine(); });
  a.stopDrawing = MakeAction(this, tr("Stop"), tr("Stop drawing the picture; the last finished one stays\nStop (Esc)"),
                             {QKeySequence(Qt::Key_Escape)});
  a.stopDrawing->setShortcutContext(Qt::ApplicationShortcut);
  a.stopDrawing->setEnabled(false);
  on(a.stopDrawing, [this] { OnStopDrawing(); });
  addAction(a.stopDrawing);

  a.origOnOff = MakeAction(this, tr("&Original Image On/Off"), tr("Show or hide the original image\nOriginal"));
  a.origOnOff->setCheckable(true);
  a.origOnOff->setIcon(BrisolIcon(IconId::OriginalOnOff));
  on(a.origOnOff, [this] { OnOrigOnOff(); });
  a.settingsOnOff = MakeAction(this, tr("&Settings Dialog On/Off"),
                               tr("Object Size and Number Dialog\nObject Size and Number Dialog"));
  a.settingsOnOff->setIcon(BrisolIcon(IconId::SettingsOnOff));
  a.settingsOnOff->setCheckable(true);
  on(a.settingsOnOff, [this] { OnSettingsOnOff(); });
  a.colorsOnOff =
      MakeAction(this, tr("&Colors and Mixing On/Off"), tr("Toggle the color and mixing dialog\nColors-Mixing"));
  a.colorsOnOff->setIcon(BrisolIcon(IconId::ColorsOnOff));
  a.colorsOnOff->setCheckable(true);
  on(a.colorsOnOff, [this] { OnColorsOnOff(); });
  a.chooseObjects = MakeAction(this, tr("Choose &Objects..."),
                               tr("Choose the objects to be used in making the image\nChoose objects"));
  a.chooseObjects->setIcon(BrisolIcon(IconId::ChooseObjects));
  onDoc(a.chooseObjects, &CBrisolDoc::OnRunWiz);
  a.debugOnOff = MakeAction(this, tr("&Debug Dialog On/Off"), tr("Show or hide the debug dialog"));
  a.debugOnOff->setCheckable(true);
  on(a.debugOnOff, [this] { OnDebugOnOff(); });

  a.viewOriginal =
      MakeAction(this, tr("View Original Image"), tr("Show the original image"), {QKeySequence(Qt::Key_O)});
  onView(a.viewOriginal, &CBrisolScrollView::OnViewOriginal);
  a.showCreated = MakeAction(this, tr("Show Created Image"), tr("Show the final image"));
  onView(a.showCreated, &CBrisolScrollView::OnShowCreated);
  // One of the two pictures is shown: the pair is checked like radio buttons.
  auto* shown = new QActionGroup(this);
  for (QAction* action : {a.viewOriginal, a.showCreated}) {
    action->setCheckable(true);
    shown->addAction(action);
  }
  a.randomize = MakeAction(this, tr("&Randomize"), tr("Recreate the image with a new randomness\nRandomize"));
  a.randomize->setIcon(BrisolIcon(IconId::Randomize));
  onDoc(a.randomize, &CBrisolDoc::OnRandomize);
  a.imageQuality = MakeAction(this, tr("Set Image &Quality..."), tr("Set Image Quality\nSet ImageQuality"));
  a.imageQuality->setIcon(BrisolIcon(IconId::Quality));
  onDoc(a.imageQuality, &CBrisolDoc::OnSetQuality);
  // The keypad's keys are shown in the menu; a platform that drops the
  // keypad flag before matching shortcuts (X11 does) finds the plain key.
  a.zoomIn = MakeAction(this, tr("Zoom &In"), tr("Zoom in\nZoom in"),
                        {Keypad(Qt::Key_Plus), QKeySequence(Qt::Key_Plus), QKeySequence::ZoomIn});
  a.zoomIn->setIcon(BrisolIcon(IconId::ZoomIn));
  onView(a.zoomIn, &CBrisolScrollView::OnZoomIn);
  a.zoomOut = MakeAction(this, tr("Zoom O&ut"), tr("Zoom out\nZoom out"),
                         {Keypad(Qt::Key_Minus), QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
  a.zoomOut->setIcon(BrisolIcon(IconId::ZoomOut));
  onView(a.zoomOut, &CBrisolScrollView::OnZoomOut);
  a.zoomNormal = MakeAction(this, tr("Zoom &Normal"), tr("Zoom normal 100% window size\nZoom normal"),
                            {QKeySequence(Qt::CTRL | Qt::Key_W)});
  a.zoomNormal->setIcon(BrisolIcon(IconId::ZoomNormal));
  onView(a.zoomNormal, &CBrisolScrollView::OnZoomNormal);

  a.cascade = MakeAction(this, tr("&Cascade"), tr("Arrange the windows so that they overlap"));
  on(a.cascade, [this] { m_pMdiArea->cascadeSubWindows(); });
  a.tile = MakeAction(this, tr("&Tile"), tr("Arrange the windows side by side"));
  on(a.tile, [this] { m_pMdiArea->tileSubWindows(); });
  a.nextWindow = MakeAction(this, tr("Ne&xt"), tr("Go to the next window"), {QKeySequence(Qt::Key_F6)});
  on(a.nextWindow, [this] { m_pMdiArea->activateNextSubWindow(); });
  a.previousWindow =
      MakeAction(this, tr("Pre&vious"), tr("Go to the previous window"), {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
  on(a.previousWindow, [this] { m_pMdiArea->activatePreviousSubWindow(); });
  a.closeWindow = MakeAction(this, tr("Cl&ose"), tr("Close the active window; asks to save it"));
  on(a.closeWindow, [this] { m_pMdiArea->closeActiveSubWindow(); });
  a.closeAll = MakeAction(this, tr("Close &All"), tr("Close every window; asks to save each"));
  on(a.closeAll, [this] {
    for (QMdiSubWindow* frame : m_pMdiArea->subWindowList())
      if (!frame->close()) break;
  });

  a.helpTopics = MakeAction(this, tr("&Help Topics"), tr("List Help topics\nHelp Topics"), {QKeySequence(Qt::Key_F1)});
  on(a.helpTopics, [this] { OnHelpTopics(); });
  a.whatsThis = MakeAction(this, tr("What's &This?"), tr("Click on a control to hear what it does\nWhat's This"),
                           {QKeySequence(Qt::SHIFT | Qt::Key_F1)});
  a.whatsThis->setShortcutContext(Qt::ApplicationShortcut);
  on(a.whatsThis, [] { QWhatsThis::enterWhatsThisMode(); });
  a.about =
      MakeAction(this, tr("&About Brisol..."), tr("Display program information, version number and copyright\nAbout"));
  on(a.about, [this] { m_app.OnAppAbout(); });
  createRecipeActions();
}

void CMainFrame::createMenus() {
  const MainActions& a = m_actions;
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(a.openImage);
  file->addAction(a.saveImage);
  file->addAction(a.exportPicture);
  file->addSeparator();
  file->addAction(a.openRecipe);
  file->addAction(a.saveRecipe);
  file->addAction(a.batch);
  file->addSeparator();
  file->addAction(a.printSetup);
  file->addAction(a.printPreview);
  file->addAction(a.print);
  file->addSeparator();
  for (QAction* recent : a.recent) file->addAction(recent);
  m_actions.recentSeparator = file->addSeparator();
  file->addAction(a.exit);
  connect(file, &QMenu::aboutToShow, this, &CMainFrame::updateMenus);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(a.undo);
  edit->addAction(a.redo);
  edit->addSeparator();
  edit->addAction(a.copy);
  edit->addAction(a.paste);
  edit->addSeparator();
  edit->addAction(a.copyCommandLine);
  connect(edit, &QMenu::aboutToShow, this, &CMainFrame::updateMenus);

  QMenu* dialogs = menuBar()->addMenu(tr("&Dialogs"));
  dialogs->addAction(a.origOnOff);
  dialogs->addAction(a.settingsOnOff);
  dialogs->addAction(a.colorsOnOff);
  dialogs->addAction(a.chooseObjects);
  dialogs->addAction(a.variations);
  connect(dialogs, &QMenu::aboutToShow, this, &CMainFrame::updateMenus);
  menuBar()->addMenu(m_pPresetsMenu);
  connect(m_pPresetsMenu, &QMenu::aboutToShow, this, &CMainFrame::updateMenus);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(a.viewOriginal);
  view->addAction(a.showCreated);
  view->addSeparator();
  view->addAction(a.randomize);
  view->addAction(a.imageQuality);
  view->addSeparator();
  view->addAction(a.zoomIn);
  view->addAction(a.zoomOut);
  view->addAction(a.zoomNormal);
  view->addSeparator();
  view->addAction(a.debugOnOff);
  connect(view, &QMenu::aboutToShow, this, &CMainFrame::updateMenus);

  QMenu* window = menuBar()->addMenu(tr("&Window"));
  connect(window, &QMenu::aboutToShow, this, [this, window] {
    const MainActions& w = m_actions;
    window->clear();
    window->addAction(w.cascade);
    window->addAction(w.tile);
    window->addAction(w.nextWindow);
    window->addAction(w.previousWindow);
    window->addSeparator();
    window->addAction(w.closeWindow);
    window->addAction(w.closeAll);
    const QList<QMdiSubWindow*> frames = m_pMdiArea->subWindowList();
    if (!frames.isEmpty()) window->addSeparator();
    for (int i = 0; i < frames.size(); ++i) {
      QMdiSubWindow* frame = frames[i];
      const auto* child = qobject_cast<CChildFrame*>(frame);
      const QString title = child ? child->Document()->Title() : frame->windowTitle();
      QAction* item = window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
      item->setCheckable(true);
      item->setChecked(frame == m_pMdiArea->currentSubWindow());
      connect(item, &QAction::triggered, this, [this, frame] { m_pMdiArea->setActiveSubWindow(frame); });
    }
    updateMenus();
  });

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(a.helpTopics);
  help->addAction(a.whatsThis);
  help->addSeparator();
  help->addAction(a.about);
}

void CMainFrame::createToolBars() {
  const MainActions& a = m_actions;
  QToolBar* bar = addToolBar(tr("Standard"));
  bar->setObjectName(QStringLiteral("toolbar"));
  bar->setIconSize(QSize(22, 22));
  for (QAction* action : {a.openImage, a.saveImage, static_cast<QAction*>(nullptr), a.cut, a.copy, a.paste,
                          static_cast<QAction*>(nullptr), a.print, static_cast<QAction*>(nullptr), a.origOnOff,
                          a.settingsOnOff, a.colorsOnOff, a.chooseObjects, a.randomize, a.imageQuality,
                          static_cast<QAction*>(nullptr), a.zoomIn, a.zoomOut, a.zoomNormal}) {
    if (action)
      bar->addAction(action);
    else
      bar->addSeparator();
  }
}

void CMainFrame::updateMenus() {
  const MainActions& a = m_actions;
  CBrisolScrollView* view = ActiveView();
  CBrisolDoc* doc = view ? view->GetDocument() : nullptr;
  const bool hasView = view != nullptr;
  const bool hasShapes = doc && doc->CanSetQuality();
  setWindowTitle(doc ? QStringLiteral("Brisol - %1").arg(doc->Title()) : QStringLiteral("Brisol"));

  for (QAction* action : {a.saveImage, a.print, a.printPreview, a.viewOriginal, a.showCreated, a.zoomIn, a.zoomOut,
                          a.zoomNormal, a.cascade, a.tile, a.nextWindow, a.previousWindow, a.closeWindow, a.closeAll}) {
    action->setEnabled(hasView);
  }
  a.copy->setEnabled(hasView && view->GetCurrentDADC() != nullptr);
  a.exportPicture->setEnabled(CanExport(doc));
  a.copyCommandLine->setEnabled(doc && doc->GetRunner() && doc->ImageName() != kClipboardName);
  a.origOnOff->setEnabled(doc && doc->GetOriginal() != nullptr);
  a.settingsOnOff->setEnabled(hasShapes);
  a.colorsOnOff->setEnabled(hasShapes);
  a.chooseObjects->setEnabled(doc != nullptr);
  a.randomize->setEnabled(doc && doc->CanRandomize());
  a.imageQuality->setEnabled(hasShapes);
  a.cut->setEnabled(false);
  a.stopDrawing->setEnabled(AnyDrawing());
  // The toggles show whether their panel is up, the show commands which
  // picture the window shows.
  a.origOnOff->setChecked(IsPanelShown(m_pOrigDlg));
  a.settingsOnOff->setChecked(IsPanelShown(m_pParamDlg));
  a.colorsOnOff->setChecked(IsPanelShown(m_pColMixDlg));
  a.debugOnOff->setChecked(IsPanelShown(m_pDebugDlg));
  a.viewOriginal->setChecked(hasView && view->GetShow() == 0);
  a.showCreated->setChecked(hasView && view->GetShow() == 1);

  // Only the recent files there are.
  const CRecentFiles& recent = m_app.Settings().m_Recent;
  for (int i = 0; i < CRecentFiles::kCount; ++i) {
    QAction* item = a.recent[static_cast<std::size_t>(i)];
    const std::string& entry = recent.Entry(i);
    item->setVisible(!entry.empty());
    item->setEnabled(!entry.empty());
    if (!entry.empty()) item->setText(QStringLiteral("&%1: %2").arg(i + 1).arg(QString::fromStdString(entry)));
  }
  m_actions.recentSeparator->setVisible(!recent.Entry(0).empty());
  updateRecipeMenus(doc);
}

// --- the panel commands -------------------------------------------------------------

void CMainFrame::OnOrigOnOff() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetOriginal() == nullptr) {
    AlertBox("You must open an image first.\nUse File | Open menu or the toolbar");
    return;
  }
  if (TogglePropertiesWindow(m_pOrigDlg)) m_pOrigDlg->SetImage(doc->GetOriginal());
}

void CMainFrame::OnSettingsOnOff() {
  if (!TogglePropertiesWindow(m_pParamDlg)) return;
  // Shown again: bound again, every control loaded from the effect.
  CBrisolDoc* doc = ActiveDocument();
  if (doc && doc->GetRunner() && doc == m_pBoundDoc) m_pParamDlg->SetEffect(doc, &doc->GetRunner()->GetEffect());
}

void CMainFrame::OnColorsOnOff() { TogglePropertiesWindow(m_pColMixDlg); }

void CMainFrame::OnDebugOnOff() { TogglePropertiesWindow(m_pDebugDlg); }

}  // namespace brisol
