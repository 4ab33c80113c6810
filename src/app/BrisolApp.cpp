#include "app/BrisolApp.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/AboutDlg.h"
#include "app/AppStartup.h"
#include "app/MainFrame.h"
#include "app/ScreenFit.h"
#include "logger/Alerts.h"
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
  // The log lives in the main directory, so that comes first; without it,
  // one box has said so and nothing more is tried.
  if (const Done made = MakeMainDirectory(m_settings.m_szMainDir); !made) {
    WalertBox(kIconExclamation, "%s", made.message().c_str());
    m_szEffectsDir = m_settings.m_szMainDir + "/Effects";
  } else {
    if (m_settings.m_bLogging) StartLogger(m_settings.m_szMainDir, VersionString());
    m_szEffectsDir = CheckMainDirectory(m_settings.m_szMainDir);
  }
  PlaceWindows();
  if (m_settings.m_iState == kFrameMaximized)
    m_pMainFrame->showMaximized();
  else
    m_pMainFrame->show();
  m_pMainFrame->updateMenus();
  MeasureScreen();
  return true;
}

void CBrisolApp::PlaceWindows() {
  // On a first start the window and the panels take places that suit the
  // screen; the panels float beside the window or, where there is no room,
  // are docked in it.
  const QList<QRect> screens = AvailableScreens();
  const QRect screen = screens.value(0, QRect(0, 0, 1280, 1024));
  const QMargins frame = EstimatedFrameMargins();
  const QSize param = m_pMainFrame->ParamDlg()->sizeHint(), colMix = m_pMainFrame->ColMixDlg()->sizeHint(),
              orig = m_pMainFrame->OrigDlg()->sizeHint();
  const FirstPlacement first = PlaceFirstStart(screen, frame, param, colMix, orig);
  PanelLayout layout = first.layout;
  if (m_panelLayout) layout = *m_panelLayout;
  m_pMainFrame->SetPanelLayout(layout);
  QRect rect = first.frame;
  if (m_settings.m_bFrameStored) {
    // A rectangle kept from another screen, or damaged, is moved onto
    // today's screens; what is written back at exit is what was used.
    rect = FitOnScreens(StoredRect{m_settings.m_iLeft, m_settings.m_iTop, m_settings.m_iRight, m_settings.m_iBottom},
                        screens, frame, m_pMainFrame->minimumSizeHint());
  } else if (layout == PanelLayout::Docked && first.layout == PanelLayout::Floating) {
    rect = FitOnScreens(StoredRect{screen.left(), screen.top(), static_cast<long long>(screen.left()) + screen.width(),
                                   static_cast<long long>(screen.top()) + screen.height()},
                        {screen}, frame);
  }
  m_settings.SetFrameRect(rect);
  if (m_settings.m_bFrameStored) {
    m_pMainFrame->setGeometry(rect);
  } else {
    // A first start's window goes into the screen's corner however large
    // the window manager's frame turns out: placed by its frame.
    m_pMainFrame->resize(rect.size());
    m_pMainFrame->move(screen.topLeft());
  }
  if (layout == PanelLayout::Floating) m_pMainFrame->PlaceNewPanels(first);
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
