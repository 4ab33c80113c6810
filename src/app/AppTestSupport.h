// Shared by the desktop program's tests: a started program in the test's
// own settings and data folders, pictures and effect collections made in
// code, and what a user does to the program's windows.
#pragma once

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <clocale>
#include <filesystem>
#include <memory>
#include <string>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/ScrollView.h"
#include "effect/EffectTestUtil.h"
#include "effect/Runner.h"
#include "imageio/ImageSave.h"
#include "raster/Dadc.h"
#include "ui/UiTestSupport.h"

namespace brisol::test {

// A picture with something in every pixel.
inline CDADC MakePicture(int w, int h) {
  CDADC picture(SIZE{w, h});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.GetDC().SetPixel(x, y, RGB((x * 255) / std::max(w - 1, 1), (y * 255) / std::max(h - 1, 1), (x ^ y) & 255));
  return picture;
}

// Writes a picture file (the format by the extension) into the test folder.
inline std::string WritePictureFile(const std::string& name, int w, int h) {
  const std::string path = (UiTestEnvironment::Get().Folder() + "/pictures/").toStdString() + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const SaveResult saved = SaveImageFile(MakePicture(w, h), path);
  if (!saved.ok()) qWarning("%s", saved.message.c_str());
  return path;
}

inline std::string MainDir() { return (UiTestEnvironment::Get().Folder() + "/data/Brisol").toStdString(); }
inline QString SettingsFile() { return UiTestEnvironment::Get().Folder() + "/config/Brisol/Brisol.ini"; }

// A collection of two shapes in the user's Effects folder.
inline std::string MakeCollection(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(MainDir()) / "Effects" / name;
  std::filesystem::create_directories(dir);
  WriteFile((dir / "a_square.dxf").string(), PaddedDxf(SquareDxf(), 300));
  WriteFile((dir / "b_circle.dxf").string(), PaddedDxf(CircleDxf(), 300));
  return dir.string();
}

// Replaces the settings file with these lines.
inline void WriteSettings(const QString& text) {
  QDir().mkpath(QFileInfo(SettingsFile()).absolutePath());
  QFile file(SettingsFile());
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(text.toUtf8());
}

// The program, started as from the desktop (without the splash unless
// asked), its log off unless the settings say otherwise.
struct StartedApp {
  std::unique_ptr<CBrisolApp> app;

  explicit StartedApp(bool splash = false, CRenderController::Threading threading = CRenderController::Threading::Worker) {
    if (!QFile::exists(SettingsFile())) WriteSettings("[VARS]\nLOGGING=0\n");
    app = std::make_unique<CBrisolApp>();
    app->m_drawingThreading = threading;
    app->InitInstance(splash);
  }
  ~StartedApp() {
    if (!app) return;
    // Questions left unanswered get "No": nothing is saved.
    if (CMainFrame* frame = app->MainFrame()) frame->close();
    app->ExitInstance();
    app.reset();
    QDir(QString::fromStdString(MainDir())).removeRecursively();
    QFile::remove(SettingsFile());
  }
  CMainFrame& Frame() const { return *app->MainFrame(); }
  CBrisolDoc* Doc() const { return app->MainFrame()->ActiveDocument(); }
  CBrisolScrollView* View() const { return app->MainFrame()->ActiveView(); }
  int Documents() const { return static_cast<int>(app->MainFrame()->MdiArea()->subWindowList().size()); }
};

// Answers the objects wizard with a collection (OK), or cancels it when
// the name is empty.
inline void AnswerWizard(const QString& collection) {
  WhenModal([collection](QWidget* modal) {
    auto* combo = modal->findChild<QComboBox*>(QStringLiteral("cmb1034"));
    if (collection.isEmpty() || combo == nullptr) {
      QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
      return;
    }
    const int index = combo->findText(collection);
    if (index >= 0) {
      combo->setCurrentIndex(index);
      emit combo->activated(index);
    }
    QMetaObject::invokeMethod(modal, "OnOK", Qt::QueuedConnection);
  });
}

// Waits for the document's drawings to end.
inline bool WaitForPicture(CBrisolDoc* doc) {
  if (doc == nullptr) return false;
  if (doc->Renderer().IsBusy()) {
    QSignalSpy idle(doc, &CBrisolDoc::DrawingIdle);
    if (!idle.wait(120000)) return false;
  }
  return !doc->Renderer().IsBusy();
}

// Opens a picture file and accepts the wizard with the collection.
inline CBrisolDoc* OpenWithCollection(StartedApp& started, const std::string& path, const QString& collection) {
  AnswerWizard(collection);
  return started.app->OpenImage(QString::fromStdString(path));
}

// The bytes of a surface's pixel block.
inline QByteArray Pixels(const CDADC& surface) {
  return QByteArray(reinterpret_cast<const char*>(surface.GetBits()), surface.GetImageSize());
}

}  // namespace brisol::test

// A test program's main: private folders first, then the application, with
// numbers read and written the C way as in the program.
#define BRISOL_APP_TEST_MAIN(TestClass)                   \
  int main(int argc, char** argv) {                       \
    brisol::test::UiTestEnvironment environment;          \
    QApplication app(argc, argv);                         \
    std::setlocale(LC_NUMERIC, "C");                      \
    TestClass test;                                       \
    QTEST_SET_MAIN_SOURCE_PATH                            \
    return QTest::qExec(&test, argc, argv);               \
  }
