// CMainFrame: the main window. A document area with one window per opened
// picture, the menus, the toolbar and the status bar, and four floating
// panels (original image; size, number and angle; colouring and mixing;
// debug) that it creates hidden at their saved places, shows, hides and
// binds to the active document. It shows the splash window at start and
// keeps the window and panel placements when it closes. Pictures dropped on
// it are opened.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "app/FirstPlacement.h"
#include "app/MainActions.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;
class QProgressBar;

namespace brisol {

class CBrisolApp;
class CBrisolDoc;
class CBrisolScrollView;
class CChildFrame;
class CColMixDlg;
class CDADC;
class CDebugDlg;
class COrigDlg;
class CParamDlg;
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
  // Adds a document's window to the document area.
  void AddDocumentFrame(CChildFrame* frame);

  // --- panels --------------------------------------------------------------------
  // Shows the original-image panel with the image.
  void ShowOrigDlg(const CDADC* image);
  // Binds the two settings panels to the document's effect and shows its
  // original in the original-image panel; without a document, shows the
  // active document's original.
  void UpdatePanels(CBrisolDoc* doc);
  void ShowSettingPanels();
  void HidePanels();
  // Lets go of a document whose effect is about to go (the panels bound to
  // it forget it).
  void UnbindPanels(CBrisolDoc* doc);
  // Puts the panels the settings held no place for where a first start
  // puts them.
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
  void OnFilePrint();
  void OnFilePrintPreview();
  void OnFilePrintSetup();

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
  void SavePlacements();
  void OnDrawingProgress(int done, int total);
  void OnDrawingIdle();

  CBrisolApp& m_app;
  QMdiArea* m_pMdiArea = nullptr;
  MainActions m_actions;
  COrigDlg* m_pOrigDlg = nullptr;
  CParamDlg* m_pParamDlg = nullptr;
  CColMixDlg* m_pColMixDlg = nullptr;
  CDebugDlg* m_pDebugDlg = nullptr;
  bool m_bSplashPending = false;
  QList<QWidget*> m_newPanels;
  QPointer<CSplashWindow> m_pSplash;
  QPointer<QWidget> m_pHelp;
  QLabel* m_pDrawingLabel = nullptr;
  QProgressBar* m_pDrawingBar = nullptr;
  std::unique_ptr<QPrinter> m_pPrinter;
};

}  // namespace brisol
