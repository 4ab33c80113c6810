#include "app/BrisolApp.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/AboutDlg.h"
#include "app/AppStartup.h"
#include "app/MainFrame.h"
#include "logger/Format.h"
#include "logger/Logger.h"
#include "ui/ColMixDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

namespace brisol {

CBrisolApp::CBrisolApp(QString settingsPath, QObject* parent)
    : QObject(parent),
      m_settings(settingsPath.isEmpty() ? CAppSettings::DefaultPath() : settingsPath,
                 QDir::currentPath().toStdString()) {}

CBrisolApp::~CBrisolApp() = default;

std::string CBrisolApp::VersionString() { return Format("Brisol 1.15 (%s - %s)", __DATE__, __TIME__); }

bool CBrisolApp::InitInstance(bool showSplash) {
  m_pMainFrame = std::make_unique<CMainFrame>(*this, showSplash);
  m_settings.Read();
  // The log lives in the main directory, so that comes first.
  MakeMainDirectory(m_settings.m_szMainDir);
  if (m_settings.m_bLogging) StartLogger(m_settings.m_szMainDir, VersionString());
  m_szEffectsDir = CheckMainDirectory(m_settings.m_szMainDir);

  // The window's saved placement; on a first start, one that suits the
  // screen, with the panels beside the window.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const FirstPlacement first = PlaceFirstStart(
      screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024), m_pMainFrame->ParamDlg()->sizeHint(),
      m_pMainFrame->ColMixDlg()->sizeHint(), m_pMainFrame->OrigDlg()->sizeHint());
  m_pMainFrame->setGeometry(m_settings.m_bFrameStored ? m_settings.FrameRect() : first.frame);
  m_pMainFrame->PlaceNewPanels(first);
  if (m_settings.m_iState == kFrameMaximized)
    m_pMainFrame->showMaximized();
  else
    m_pMainFrame->show();
  m_pMainFrame->updateMenus();
  MeasureScreen();
  return true;
}

void CBrisolApp::ExitInstance() {
  m_settings.Write();
  TheLogger().Log(kLogInfo, "Ending Program.\n");
}

void CBrisolApp::MeasureScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    TheLogger().Log(kLogError, "Could not create screen dc");
    m_iScreenWidth = 1280;
    m_iScreenHeight = 1024;
    return;
  }
  m_iScreenWidth = screen->size().width();
  m_iScreenHeight = screen->size().height();
}

void CBrisolApp::SetDefaultEffect(const std::string& effect) {
  if (effect.empty()) {
    TheLogger().Log(kLogError, "SetDefaultEffect null param");
    return;
  }
  m_settings.m_szDefaultEffect = effect;
}

void CBrisolApp::OnAppAbout() {
  CAboutDlg dialog(m_pMainFrame.get(), QString::fromStdString(VersionString()));
  dialog.exec();
}

}  // namespace brisol
