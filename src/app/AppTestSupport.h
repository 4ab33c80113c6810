// Shared by the desktop program's tests: a started program in the test's
// own settings and data folders, pictures and effect collections made in
// code, and what a user does to the program's windows.
#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
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
#include "effect/DrawJob.h"
#include "effect/EffectTestUtil.h"
#include "effect/Runner.h"
#include "imageio/ImageSave.h"
#include "raster/Dadc.h"
#include "ui/EffectDlg.h"
#include "ui/QualityDlg.h"
#include "ui/UiTestSupport.h"

namespace brisol::test {

// A picture with something in every pixel.
inline CDADC MakePicture(int w, int h) {
  CDADC picture(SIZE{w, h});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.GetDC().SetPixel(x, y,
                               RGB((x * 255) / std::max(w - 1, 1), (y * 255) / std::max(h - 1, 1), (x ^ y) & 255));
  return picture;
}

// The effect's picture of original at the quality, drawn on the calling
// thread as a command-line render draws it.
inline std::unique_ptr<CDADC> DrawInPlace(const CDADC& original, const CEffect& effect, int quality) {
  Outcome<std::unique_ptr<CDADC>> drawn = DrawPicture({effect, original, quality});
  return drawn ? std::move(*drawn) : nullptr;
}

// Writes a picture file (the format by the extension) into the test folder.
inline std::string WritePictureFile(const std::string& name, int w, int h) {
  const std::string path = (UiTestEnvironment::Get().Folder() + "/pictures/").toStdString() + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const Done saved = SaveImageFile(MakePicture(w, h), path);
  if (!saved.ok()) qWarning("%s", saved.message().c_str());
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
  file.flush();
  // QSettings keeps what it read while the file's time and size stay the
  // same: every hand-written file gets a time of its own (set after the
  // last write, which would set it again).
  static int written = 0;
  file.setFileTime(QDateTime::currentDateTime().addSecs(++written), QFileDevice::FileModificationTime);
}

// The program, started as from the desktop (without the splash unless
// asked), its log off unless the settings say otherwise, its panels
// floating unless asked otherwise (no layout: as the screen allows).
struct StartedApp {
  std::unique_ptr<CBrisolApp> app;

  explicit StartedApp(bool splash = false,
                      CRenderController::Threading threading = CRenderController::Threading::Worker,
                      std::optional<PanelLayout> layout = PanelLayout::Floating) {
    if (!QFile::exists(SettingsFile())) WriteSettings("[VARS]\nLOGGING=0\n");
    app = std::make_unique<CBrisolApp>();
    app->m_drawingThreading = threading;
    app->m_panelLayout = layout;
    app->InitInstance(splash);
  }
  ~StartedApp() {
    if (!app) return;
    // Questions left unanswered get "No": nothing is saved.
    if (CMainFrame* frame = app->MainFrame()) frame->close();
    app->ExitInstance();
    app.reset();
    // The program made its main directory the current one.
    QDir::setCurrent(UiTestEnvironment::Get().Folder());
    QDir(QString::fromStdString(MainDir())).removeRecursively();
    QFile::remove(SettingsFile());
  }
  CMainFrame& Frame() const { return *app->MainFrame(); }
  CBrisolDoc* Doc() const { return app->MainFrame()->ActiveDocument(); }
  CBrisolScrollView* View() const { return app->MainFrame()->ActiveView(); }
  int Documents() const { return static_cast<int>(app->MainFrame()->MdiArea()->subWindowList().size()); }
};

// Polls for a modal window of type T (for up to a minute) and hands it to
// act, again at each poll until act says it is done with it.
// The test function (and data row) running now: a watch for a window gives
// up once its test has ended, since what it acts on belongs to that test.
inline std::string CurrentTest() {
  const char* function = QTest::currentTestFunction();
  const char* row = QTest::currentDataTag();
  return std::string(function ? function : "") + "/" + (row ? row : "");
}

template <typename T>
void DriveModal(std::function<bool(T*)> act, int attempts = 6000, std::string test = CurrentTest()) {
  QTimer::singleShot(10, [act = std::move(act), attempts, test]() mutable {
    if (CurrentTest() != test) return;
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      if (act(modal)) return;
    }
    if (attempts > 0) DriveModal<T>(std::move(act), attempts - 1, test);
  });
}

// Answers the next `count` objects wizards with a collection (OK), or
// cancels them when the name is empty.
inline void AnswerWizard(const QString& collection, int count = 1, QPointer<QWidget> previous = nullptr,
                         int attempts = 6000, std::string test = CurrentTest()) {
  QTimer::singleShot(10, [=] {
    if (CurrentTest() != test) return;
    QWidget* modal = QApplication::activeModalWidget();
    auto* wizard = qobject_cast<CEffectDlg*>(modal);
    if (wizard == nullptr || modal == previous) {
      if (attempts > 0) AnswerWizard(collection, count, previous, attempts - 1, test);
      return;
    }
    auto* combo = wizard->findChild<QComboBox*>(QStringLiteral("cmb1034"));
    if (collection.isEmpty() || combo == nullptr) {
      QMetaObject::invokeMethod(wizard, "reject", Qt::QueuedConnection);
    } else {
      const int index = combo->findText(collection);
      if (index >= 0) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
      }
      QMetaObject::invokeMethod(wizard, "OnOK", Qt::QueuedConnection);
    }
    if (count > 1) AnswerWizard(collection, count - 1, QPointer<QWidget>(wizard), 6000, test);
  });
}

// Answers the next file dialog with a path (empty: cancels it), once the
// dialog shows that path as its choice.
inline void AnswerFileDialog(const QString& path) {
  DriveModal<QFileDialog>([path](QFileDialog* dialog) {
    if (path.isEmpty()) {
      dialog->reject();
      return true;
    }
    // Typed into the name field, as a person does.
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      name->setText(path);
    else
      dialog->selectFile(path);
    if (!dialog->selectedFiles().value(0).startsWith(path)) return false;
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    return !dialog->isVisible();
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

// Answers the next quality dialog with High.
inline void AnswerHighQuality() {
  DriveModal<CQualityDlg>([](CQualityDlg* dialog) {
    dialog->findChild<QRadioButton*>(QStringLiteral("rad1054"))->click();
    dialog->accept();
    return true;
  });
}

}  // namespace brisol::test

// A test program's main: private folders first, then the application, with
// numbers read and written the C way as in the program.
namespace brisol::test {
// Drops the offscreen platform's notes about window features it lacks (call
// from initTestCase, once the test library has its own handler).
inline void QuietOffscreenNotes() {
  static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support"))) return;
    if (previous) previous(type, context, text);
  });
}
}  // namespace brisol::test

#define BRISOL_APP_TEST_MAIN(TestClass)          \
  int main(int argc, char** argv) {              \
    brisol::test::UiTestEnvironment environment; \
    QApplication app(argc, argv);                \
    std::setlocale(LC_NUMERIC, "C");             \
    TestClass test;                              \
    QTEST_SET_MAIN_SOURCE_PATH                   \
    return QTest::qExec(&test, argc, argv);      \
  }
