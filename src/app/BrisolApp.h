// CBrisolApp: starts and ends the program. It owns the settings (with the
// recently opened files), the main window and the queue of alerts raised
// while drawing, and it handles the file-level commands: opening a picture
// (with the dialog, from the recent files, the command line or a drop),
// turning a picture into a document, pasting, and the About box.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/AlertQueue.h"
#include "app/AppSettings.h"
#include "app/FirstPlacement.h"
#include "app/RenderController.h"
#include "raster/ByteBuffer.h"

namespace brisol {

class CBrisolDoc;
class CDADC;
class CMainFrame;

class CBrisolApp : public QObject {
  Q_OBJECT
 public:
  // The settings file defaults to CAppSettings::DefaultPath().
  explicit CBrisolApp(QString settingsPath = {}, QObject* parent = nullptr);
  ~CBrisolApp() override;

  // Start-up: settings, log, main directory, main window at its saved
  // placement, screen size. False when the main window cannot be made.
  bool InitInstance(bool showSplash = true);
  // Exit: writes the settings back and logs the end.
  void ExitInstance();

  // --- commands ----------------------------------------------------------------
  // Opens a picture file; without a path, asks for one. Returns the new
  // document, or null.
  CBrisolDoc* OpenImage(const QString& path = {});
  void OpenMROFile(int i);
  void OnEditPaste();
  void OnAppAbout();
  // A new document without a picture is of no use here: "New" opens a
  // picture, as "Open Image" does.
  void OnFileNew() { OpenImage(); }

  // Makes a document from a loaded or pasted picture, offering to shrink a
  // picture larger than the screen; null when cancelled or failed.
  CBrisolDoc* CADV(const ByteBuffer& dib, const std::string& name);
  CBrisolDoc* CADV(std::unique_ptr<CDADC> surface, const std::string& name);
  CBrisolDoc* CNDV(std::unique_ptr<CDADC> surface, const std::string& name);
  // The size proposed for a picture larger than the screen: both sides
  // times 0.95 until the picture fits.
  static void ProposeSize(int width, int height, int screenWidth, int screenHeight, int& outWidth, int& outHeight);

  void SetDefaultEffect(const std::string& effect);
  const std::string& DefaultEffect() const { return m_settings.m_szDefaultEffect; }

  CAppSettings& Settings() { return m_settings; }
  CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
  CAlertQueue& Alerts() { return m_alerts; }
  const std::string& MainDirectoryPath() const { return m_settings.m_szMainDir; }
  const std::string& EffectsDirectory() const { return m_szEffectsDir; }
  static std::string VersionString();

  int m_iScreenWidth = 1280;
  int m_iScreenHeight = 1024;
  // How new documents draw (tests may ask for the calling thread).
  CRenderController::Threading m_drawingThreading = CRenderController::Threading::Worker;
  // Floating or docked panels whatever the screen (tests ask for one).
  std::optional<PanelLayout> m_panelLayout;

 private:
  // Image read directory and type from an opened path.
  void SLRP(const std::string& path);
  void MeasureScreen();
  // The main window at its kept place moved onto today's screens (or at a
  // first start's), the panels floating or docked as the screen allows.
  void PlaceWindows();

  CAppSettings m_settings;
  std::string m_szEffectsDir;
  CAlertQueue m_alerts;
  std::unique_ptr<CMainFrame> m_pMainFrame;
};

}  // namespace brisol
