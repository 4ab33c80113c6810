// CMainFrame: the main window. A document area with one window per opened
// picture, the menus, the toolbar and the status bar (with the drawing's
// progress and its Stop button), and four panels (original image; size,
// number and angle; colouring and mixing; debug) that it creates hidden,
// shows, hides and binds to the active document. The panels float beside
// the window where the screen has room for them, and are docked in it
// where it has not. It shows the splash window at start and keeps the
// window and panel placements when it closes. Pictures dropped on it are
// opened.
//
// The panels are bound in one place, BindPanels, run whenever the document
// area's active window changes and whenever a document announces a new
// runner: the panels always edit the picture in front.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QUndoGroup>
#include <memory>

#include "app/FirstPlacement.h"
#include "app/MainActions.h"

class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;
class QProgressBar;
class QTimer;
class QToolButton;

namespace brisol {

class CBrisolApp;
class CBrisolDoc;
class CBrisolScrollView;
class CChildFrame;
class CColMixDlg;
class CDADC;
class CDebugDlg;
class CRenderedPrint;
class COrigDlg;
class CParamDlg;
class CPresetsMenu;
class CBatchDlg;
class CSplashWindow;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(CBrisolApp& app, bool showSplash = true);
  ~CMainFrame() override;

  QMdiArea* MdiArea() const { return m_pMdiArea; }
  // The document window the commands go to (also while a panel has the
  // keyboard), its view and document.
  QMdiSubWindow* ActiveFrame() const;
  CBrisolScrollView* ActiveView() const;
  CBrisolDoc* ActiveDocument() const;
  // Adds a document's window to the document area and listens to its
  // document.
  void AddDocumentFrame(CChildFrame* frame);

  // --- panels --------------------------------------------------------------------
  // Floating beside the window, or docked in it (before any is shown).
  void SetPanelLayout(PanelLayout layout);
  PanelLayout Layout() const { return m_layout; }
  // The window a panel is shown in: the panel itself, or its dock.
  QWidget* PanelHost(QWidget* panel) const;
  // Whether the panel is shown (its tab may be behind another when docked).
  bool IsPanelShown(const QWidget* panel) const;
  // Shows the original-image panel with the image.
  void ShowOrigDlg(const CDADC* image);
  // Binds the settings panels to the document's effect and shows its
  // original in the original-image panel. A document without a runner (or
  // none) leaves the settings panels unbound and disabled, saying why.
  void BindPanels(CBrisolDoc* doc);
  // The document the panels are bound to, or null.
  CBrisolDoc* BoundDocument() const;
  void ShowSettingPanels();
  void HidePanels();
  // Puts the panels the settings held no place for where a first start
  // puts them, and every floating panel onto today's screens.
  void PlaceNewPanels(const FirstPlacement& places);
  void ShowPropertiesWindow(QWidget* panel);
  void HidePropertiesWindow(QWidget* panel);
  bool TogglePropertiesWindow(QWidget* panel);

  COrigDlg* OrigDlg() const { return m_pOrigDlg; }
  CParamDlg* ParamDlg() const { return m_pParamDlg; }
  CColMixDlg* ColMixDlg() const { return m_pColMixDlg; }
  CDebugDlg* DebugDlg() const { return m_pDebugDlg; }
  CSplashWindow* Splash() const;
  const MainActions& Actions() const { return m_actions; }
  QPrinter& Printer();

  // --- commands handled here -------------------------------------------------------
  void OnOrigOnOff();
  void OnSettingsOnOff();
  void OnColorsOnOff();
  void OnDebugOnOff();
  void OnHelpTopics();
  void OnCopyCommandLine();
  void OnStopDrawing();
  void OnFilePrint();
  void OnFilePrintPreview();
  void OnFilePrintSetup();
  // Recipes, presets, variations and batches (MainFrameRecipes.cpp).
  void OnOpenRecipe();
  void OnSaveRecipe();
  void OnPresetChosen(const QString& name, const QString& path);
  void OnSaveAsPreset();
  void OnManagePresets();
  void OnVariations();
  void OnBatch();
  CPresetsMenu* PresetsMenu() const { return m_pPresetsMenu; }
  CBatchDlg* BatchDialog() const { return m_pBatch; }

 public slots:
  // Enables every command by its rule and writes the recent-file items.
  void updateMenus();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createActions();
  void createMenus();
  void createToolBars();
  void createStatusBar();
  void createPanels();
  void createRecipeActions();
  void updateRecipeMenus(CBrisolDoc* doc);
  // The panels show the document's values again (after an undo, a recipe).
  void ListenForSteps(CBrisolDoc* doc);
  void DockPanels();
  void SavePlacements();
  void OnSubWindowActivated();
  void OnDocumentClosing(CBrisolDoc* doc);
  void OnDrawingRequested();
  void OnDrawingProgress(int done, int total);
  void OnDrawingIdle();
  void ShowDrawingProgress();
  bool AnyDrawing() const;
  // Moves a window just shown onto the screen once its frame is known.
  void KeepOnScreenSoon(QWidget* window);

  CBrisolApp& m_app;
  QMdiArea* m_pMdiArea = nullptr;
  MainActions m_actions;
  COrigDlg* m_pOrigDlg = nullptr;
  CParamDlg* m_pParamDlg = nullptr;
  CColMixDlg* m_pColMixDlg = nullptr;
  CDebugDlg* m_pDebugDlg = nullptr;
  PanelLayout m_layout = PanelLayout::Floating;
  QList<QDockWidget*> m_docks;
  QPointer<CBrisolDoc> m_pBoundDoc;
  const void* m_pBoundRunner = nullptr;
  bool m_bSplashPending = false;
  QList<QWidget*> m_newPanels;
  QPointer<CSplashWindow> m_pSplash;
  QPointer<QWidget> m_pHelp;
  QLabel* m_pDrawingLabel = nullptr;
  QProgressBar* m_pDrawingBar = nullptr;
  QToolButton* m_pStopButton = nullptr;
  QTimer* m_pProgressDelay = nullptr;
  // The documents' steps; the active one is that of the picture in front.
  QUndoGroup m_undoGroup;
  std::unique_ptr<QPrinter> m_pPrinter;
  // The last print at the printer's resolution (after the printer: a print
  // under way stops before the printer goes).
  std::unique_ptr<CRenderedPrint> m_pRenderedPrint;
  CPresetsMenu* m_pPresetsMenu = nullptr;
  CBatchDlg* m_pBatch = nullptr;  // made once, a child of the window
};

}  // namespace brisol
