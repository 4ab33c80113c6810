// The desktop program under a real window manager (run by
// run-under-openbox.sh on a virtual screen of a given size and scale): every
// window's frame, title bar included, lies on the screen; the panels and the
// first picture's window do not overlap; places kept from a screen that is
// gone come back; the keypad's + and - zoom. Each state is saved as a
// screenshot of the whole screen (into BRISOL_SHOTS_DIR, or the build's test
// folder) for a person to look at.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>

#include "app/AppTestSupport.h"
#include "app/HelpWindow.h"
#include "recipe/Presets.h"
#include "ui/BatchDlg.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/ExportDlg.h"
#include "ui/ManagePresetsDlg.h"
#include "ui/MessageBoxAlertSink.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"
#include "ui/PresetsMenu.h"
#include "ui/QualityDlg.h"
#include "ui/ResizeDlg.h"
#include "ui/SavePresetDlg.h"
#include "ui/VariationsDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QString ScreenName() { return qEnvironmentVariable("BRISOL_SCREEN", QStringLiteral("screen")).replace('@', "-at-"); }

// Saves the whole screen, window manager's frames and all.
void Shot(const QString& name) {
  QString dir = qEnvironmentVariable("BRISOL_SHOTS_DIR");
  if (dir.isEmpty()) dir = qEnvironmentVariable("BRISOL_TEST_TMP") + QStringLiteral("/xshots");
  if (dir == QLatin1String("/xshots")) return;
  QDir().mkpath(dir);
  QCoreApplication::processEvents();
  QGuiApplication::primaryScreen()->grabWindow(0).save(dir + '/' + name + '-' + ScreenName() + QStringLiteral(".png"));
}

QString Describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The frame of each shown window of the program, title bar included.
QList<QWidget*> ShownWindows() {
  QList<QWidget*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip) windows << w;
  return windows;
}

bool AllOnScreen(QString& offender) {
  for (QWidget* w : ShownWindows()) {
    // A window the window system has not given a size yet (seen now and
    // then for a dialog shown right after another closed, on a loaded
    // machine) has no place to judge.
    if (w->frameGeometry().isEmpty()) continue;
    if (!Screen().contains(w->frameGeometry())) {
      offender =
          w->objectName() + ' ' + w->windowTitle() + ' ' + Describe(w->frameGeometry()) + " on " + Describe(Screen());
      return false;
    }
  }
  return true;
}

// Whether the window manager has framed the window (as far as Qt knows).
bool Framed(QWidget* w) { return w->frameGeometry() != w->geometry(); }

// Gives the window manager time to frame a window just shown; a frame Qt
// never hears of leaves the window's own geometry to be checked.
void AwaitFrame(QWidget* w) {
  QVERIFY(QTest::qWaitForWindowExposed(w));
  static_cast<void>(QTest::qWaitFor([w] { return Framed(w); }, 3000));
  QTest::qWait(100);
}

}  // namespace

class DesktopXTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  void Start(const QString& settings = QString()) {
    QFile::remove(test::SettingsFile());
    test::WriteSettings("[VARS]\nLOGGING=0\n" + settings);
    m = std::make_unique<StartedApp>(false, CRenderController::Threading::Worker, std::nullopt);
    test::MakeCollection("Tests");
    AwaitFrame(&m->Frame());
    test::TakeAlerts();
  }
  CBrisolDoc* OpenPicture(const char* name, int w, int h, const QString& collection = "Tests") {
    const std::string path = test::WritePictureFile(name, w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, collection);
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  // Where a panel is on the screen: its frame, or its dock's place (a
  // docked page behind another has none of its own).
  QRect PanelRect(QWidget* panel) {
    QWidget* host = m->Frame().PanelHost(panel);
    if (host->isWindow()) return host->frameGeometry();
    if (!host->isVisible() || host->visibleRegion().isEmpty()) return QRect();
    return QRect(host->mapToGlobal(QPoint(0, 0)), host->size());
  }
  QRect FirstPictureRect() {
    QMdiSubWindow* frame = m->Frame().MdiArea()->subWindowList().value(0);
    return frame ? QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size()) : QRect();
  }
  void CheckEverythingOnScreen() {
    QString offender;
    QTRY_VERIFY2_WITH_TIMEOUT(AllOnScreen(offender), qPrintable(offender), 10000);
  }

 private slots:
  void initTestCase() {
    test::QuietOffscreenNotes();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("runs on an X display with a window manager");
    // A window manager frames a window shown.
    QWidget probe;
    probe.resize(200, 100);
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    QTRY_VERIFY2(Framed(&probe), "no window manager frames the windows");
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  // A first start with a picture: every window on the screen, the panels
  // beside each other and beside the first picture's window.
  void aFirstStartKeepsEveryWindowOnTheScreen() {
    Start();
    CBrisolDoc* doc = OpenPicture("garden.png", 520, 380);
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    QTest::qWait(200);
    Shot(QStringLiteral("first-start"));
    CheckEverythingOnScreen();
    QList<QWidget*> panels = {f.ParamDlg(), f.ColMixDlg(), f.OrigDlg()};
    for (QWidget* p : panels) {
      QVERIFY2(f.IsPanelShown(p), qPrintable(p->objectName()));
      if (PanelRect(p).isNull()) continue;  // a page behind another
      QTRY_VERIFY2(Screen().contains(PanelRect(p)), qPrintable(p->objectName() + ' ' + Describe(PanelRect(p))));
      QVERIFY2(!PanelRect(p).intersects(FirstPictureRect()),
               qPrintable(p->objectName() + ' ' + Describe(PanelRect(p)) + " over " + Describe(FirstPictureRect())));
      for (QWidget* q : panels) {
        if (p == q || PanelRect(q).isNull()) continue;
        QVERIFY2(!PanelRect(p).intersects(PanelRect(q)), qPrintable(p->objectName() + " over " + q->objectName()));
      }
    }
    f.ShowPropertiesWindow(f.ColMixDlg());
    Shot(QStringLiteral("first-start-colours"));
  }

  // Keypad + and - zoom the picture in front (the keys come from the X
  // server, as a keyboard's do).
  void theKeypadZooms() {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) QSKIP("xdotool is not installed (tools/install-deps.sh installs it)");
    Start();
    CBrisolDoc* doc = OpenPicture("zoom.png", 200, 150);
    QVERIFY(doc);
    CBrisolScrollView* view = doc->GV();
    m->Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->Frame()));
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QCOMPARE(view->Zoom(), 100u);
    QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("KP_Add")});
    QTRY_COMPARE(view->Zoom(), 110u);
    QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("KP_Add")});
    QTRY_COMPARE(view->Zoom(), 120u);
    QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("KP_Subtract")});
    QTRY_COMPARE(view->Zoom(), 110u);
  }

  // Places kept from a larger or further screen come back onto this one.
  void keptPlacesFromAScreenThatIsGoneComeBack() {
    Start(QStringLiteral(
        "[MAINFRAME]\nLEFT=3000\nTOP=2500\nRIGHT=4800\nBOTTOM=3600\nSTATE=1\n"
        "[PARAMDLG]\nLEFT=1990\nTOP=1990\n[COLMIXDLG]\nLEFT=1800\nTOP=0\n[ORIGDLG]\nLEFT=0\nTOP=1500\n"));
    CBrisolDoc* doc = OpenPicture("kept.png", 300, 200);
    QVERIFY(doc && doc->GetRunner());
    m->Frame().ShowPropertiesWindow(m->Frame().DebugDlg());
    CheckEverythingOnScreen();
    Shot(QStringLiteral("kept-places"));
  }

  // Every dialog of the program comes up wholly on the screen.
  void everyDialogIsOnTheScreen() {
    Start();
    CBrisolDoc* doc = OpenPicture("dialogs.png", 300, 200);
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    auto onScreen = [](const QString& name) {
      return [name](QWidget* modal) {
        AwaitFrame(modal);
        Shot(name);
        QString offender;
        QTRY_VERIFY2_WITH_TIMEOUT(AllOnScreen(offender), qPrintable(offender), 10000);
        qobject_cast<QDialog*>(modal)->reject();
      };
    };
    test::WhenModal(onScreen(QStringLiteral("quality")));
    f.Actions().imageQuality->trigger();
    test::WhenModal(onScreen(QStringLiteral("select-objects")));
    f.Actions().chooseObjects->trigger();
    test::WhenModal(onScreen(QStringLiteral("open-image")));
    f.Actions().openImage->trigger();
    test::WhenModal(onScreen(QStringLiteral("about")));
    f.Actions().about->trigger();
    // A picture larger than the screen: the question, then the resize
    // dialog (each closed whatever its checks found, and the wizard after
    // them cancelled, so that a failure cannot leave a window waiting).
    {
      const auto previous = SetAlertSink(std::make_shared<MessageBoxAlertSink>());
      m->app->m_iScreenWidth = 200;
      m->app->m_iScreenHeight = 150;
      test::AnswerWizard(QString());
      test::WhenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        AwaitFrame(modal);
        Shot(QStringLiteral("question"));
        QString offender;
        const bool onScreen = QTest::qWaitFor([&] { return AllOnScreen(offender); }, 10000);
        // The resize dialog comes once the question is answered.
        test::WhenModal([](QWidget* resize) {
          AwaitFrame(resize);
          Shot(QStringLiteral("resize"));
          QString offender;
          const bool onScreen = QTest::qWaitFor([&] { return AllOnScreen(offender); }, 10000);
          qobject_cast<QDialog*>(resize)->reject();
          QVERIFY2(onScreen, qPrintable(offender));
        });
        box->button(QMessageBox::Yes)->click();
        QVERIFY2(onScreen, qPrintable(offender));
      });
      m->app->OpenImage(QString::fromStdString(test::WritePictureFile("larger.png", 400, 300)));
      SetAlertSink(previous);
    }
    f.Actions().helpTopics->trigger();
    auto* help = f.findChild<CHelpWindow*>();
    QVERIFY(help);
    AwaitFrame(help);
    CheckEverythingOnScreen();
    Shot(QStringLiteral("help"));
  }

  // The windows for keeping and repeating looks: the Presets menu, the
  // variations grid (once drawn), Save as Preset, Manage Presets, the
  // recipe file dialogs and the batch window.
  void theWindowsOfLooksAreOnTheScreen() {
    Start();
    CBrisolDoc* doc = OpenPicture("looks.png", 640, 420);
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    // The picture beside the menu, not under it.
    QMdiSubWindow* window = f.MdiArea()->subWindowList().value(0);
    window->move(300, 0);
    CPresetsMenu* presets = f.PresetsMenu();
    f.menuBar()->setActiveAction(presets->menuAction());
    QVERIFY(QTest::qWaitForWindowExposed(presets));
    QTest::qWait(200);
    Shot(QStringLiteral("presets-menu"));
    QVERIFY2(Screen().contains(presets->geometry()), qPrintable(Describe(presets->geometry())));
    presets->close();
    f.menuBar()->setActiveAction(nullptr);

    auto onScreen = [](const QString& name) {
      return [name](QWidget* modal) {
        AwaitFrame(modal);
        if (auto* grid = qobject_cast<CVariationsDlg*>(modal); grid && grid->IsDrawing()) {
          QSignalSpy ended(grid, &CVariationsDlg::DrawingEnded);
          QVERIFY(ended.wait(120000));
        }
        Shot(name);
        QString offender;
        QTRY_VERIFY2_WITH_TIMEOUT(AllOnScreen(offender), qPrintable(offender), 10000);
        qobject_cast<QDialog*>(modal)->reject();
      };
    };
    test::WhenModal(onScreen(QStringLiteral("variations")));
    f.Actions().variations->trigger();
    test::WhenModal(onScreen(QStringLiteral("save-preset")));
    presets->SaveAsPresetAction()->trigger();
    test::WhenModal(onScreen(QStringLiteral("manage-presets")));
    presets->ManageAction()->trigger();
    test::WhenModal(onScreen(QStringLiteral("open-recipe")));
    f.Actions().openRecipe->trigger();
    test::WhenModal(onScreen(QStringLiteral("save-recipe")));
    f.Actions().saveRecipe->trigger();
    f.Actions().batch->trigger();
    CBatchDlg* batch = f.BatchDialog();
    QVERIFY(batch);
    AwaitFrame(batch);
    CheckEverythingOnScreen();
    Shot(QStringLiteral("batch"));
    batch->close();
  }

  // A machine with other fonts gives every text another height: the Batch
  // window, the tallest, still fits with texts a third taller than here.
  void theBatchWindowFitsWithLargerFonts() {
    Start();
    const QFont usual = QApplication::font();
    QFont larger = usual;
    larger.setPointSizeF(usual.pointSizeF() * 4 / 3);
    QApplication::setFont(larger);
    CMainFrame& f = m->Frame();
    f.Actions().batch->trigger();
    CBatchDlg* batch = f.BatchDialog();
    QVERIFY(batch);
    AwaitFrame(batch);
    QString offender;
    const bool fits = QTest::qWaitFor([&] { return AllOnScreen(offender); }, 10000);
    Shot(QStringLiteral("batch-larger-fonts"));
    batch->close();
    QApplication::setFont(usual);
    QVERIFY2(fits, qPrintable(offender));
  }

  // Printing with the picture drawn at the printer's resolution: the print
  // dialog with the option's tab, then the progress while the page is
  // drawn, each on the screen; Stop ends the print.
  void printingAtThePrintersResolution() {
    Start();
    CBrisolDoc* doc = OpenPicture("print.png", 300, 200);
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    const QString pdf = test::UiTestEnvironment::Get().Folder() + "/xprint.pdf";
    QFile::remove(pdf);
    f.Printer().setOutputFormat(QPrinter::PdfFormat);
    f.Printer().setOutputFileName(pdf);
    bool progressSeen = false;
    bool stoppedWhileDrawing = false;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QPrintDialog*>(modal);
      QVERIFY(dialog);
      AwaitFrame(dialog);
      Shot(QStringLiteral("print-dialog"));
      CheckEverythingOnScreen();
      auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("renderAtPrinterResolution"));
      QVERIFY(box);
      if (!box->isVisible()) {
        // The options are folded away until asked for.
        for (auto* button : dialog->findChildren<QPushButton*>())
          if (button->text().contains(QStringLiteral("Options"))) button->click();
      }
      for (auto* tabs : dialog->findChildren<QTabWidget*>()) {
        const int index = tabs->indexOf(box->parentWidget());
        if (index >= 0) tabs->setCurrentIndex(index);
      }
      QTRY_VERIFY(box->isVisible());
      box->setChecked(true);
      QTest::qWait(200);
      Shot(QStringLiteral("print-option"));
      CheckEverythingOnScreen();
      // The progress, once the page is being drawn.
      test::WhenModal([&](QWidget* modal) {
        auto* progress = qobject_cast<QProgressDialog*>(modal);
        QVERIFY(progress);
        progressSeen = true;
        AwaitFrame(progress);
        QTRY_VERIFY(progress->value() > 0);
        Shot(QStringLiteral("print-progress"));
        CheckEverythingOnScreen();
        // The page's bands are painted while this waits, so on a loaded
        // machine the page may be finished before the key comes; stopping
        // itself is the printing test's.
        stoppedWhileDrawing = progress->value() < progress->maximum();
        QTest::keyClick(progress, Qt::Key_Escape);
      });
      dialog->accept();
    });
    f.Printer().setResolution(1200);
    f.Actions().print->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(progressSeen && !QApplication::activeModalWidget(), 120000);
    if (stoppedWhileDrawing) QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(m->app->Settings().m_bPrintAtPrinterResolution);
  }

  // The manual's pictures of the Presets menu and the variations grid, of a
  // real photo when one is named (BRISOL_MANUAL_PHOTO), into
  // BRISOL_SHOTS_DIR; skipped otherwise. Taken at 1280 x 720 with
  // "run-under-openbox.sh 1280x720 1 Desktop_xtest theManualsPicturesOfLooks".
  void theManualsPicturesOfLooks() {
    const QString photo = qEnvironmentVariable("BRISOL_MANUAL_PHOTO");
    if (photo.isEmpty()) QSKIP("BRISOL_MANUAL_PHOTO names no photo");
    Start();
    CBrisolDoc* doc = test::OpenWithCollection(*m, QFileInfo(photo).absoluteFilePath().toStdString(), "Polygons");
    QVERIFY(doc && test::WaitForPicture(doc));
    QVERIFY(doc->ApplyRecipeFile(FindPreset("Bubbles"), true, QStringLiteral("preset Bubbles")));
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(SavePreset(doc->CurrentRecipe(), "My Bubbles", false, true).ok());
    CMainFrame& f = m->Frame();
    auto save = [](const QString& name, const QRect& area) {
      QCoreApplication::processEvents();
      QGuiApplication::primaryScreen()
          ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
          .save(qEnvironmentVariable("BRISOL_SHOTS_DIR") + '/' + name);
    };
    // The picture beside the menu, not under it.
    QMdiSubWindow* window = f.MdiArea()->subWindowList().value(0);
    window->move(300, 0);
    CPresetsMenu* presets = f.PresetsMenu();
    f.menuBar()->setActiveAction(presets->menuAction());
    QVERIFY(QTest::qWaitForWindowExposed(presets));
    presets->setActiveAction(presets->actions().value(0));
    QTest::qWait(300);
    const QRect menu = presets->geometry();
    const QRect picture(window->mapToGlobal(QPoint(0, 0)), window->size());
    save(QStringLiteral("presets-menu.png"),
         QRect(f.frameGeometry().topLeft(),
               QPoint(picture.right() + 12, std::max(menu.bottom(), picture.bottom()) + 12)));
    presets->close();
    f.menuBar()->setActiveAction(nullptr);
    test::WhenModal([&](QWidget* modal) {
      auto* grid = qobject_cast<CVariationsDlg*>(modal);
      QVERIFY(grid);
      AwaitFrame(grid);
      if (grid->IsDrawing()) {
        QSignalSpy ended(grid, &CVariationsDlg::DrawingEnded);
        QVERIFY(ended.wait(240000));
      }
      grid->Adopt(4);
      QTest::qWait(300);
      save(QStringLiteral("variations.png"), grid->frameGeometry());
      grid->reject();
    });
    f.Actions().variations->trigger();
  }

  // File > Export...: the window on the screen, its page told. With
  // BRISOL_SHOTS_DIR and BRISOL_MANUAL_PHOTO it also writes the photo's
  // picture as export.pdf (the picture's size) and export.png there, for
  // the manual's pair at 800 %.
  void theExportWindowIsOnTheScreen() {
    Start();
    const QString photo = qEnvironmentVariable("BRISOL_MANUAL_PHOTO");
    CBrisolDoc* doc = photo.isEmpty()
                          ? OpenPicture("export.png", 640, 420)
                          : test::OpenWithCollection(*m, QFileInfo(photo).absoluteFilePath().toStdString(), "Leaves");
    QVERIFY(doc && test::WaitForPicture(doc) && doc->GetRunner());
    CMainFrame& f = m->Frame();
    const QString shots = qEnvironmentVariable("BRISOL_SHOTS_DIR");
    bool written = false;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<CExportDlg*>(modal);
      QVERIFY(dialog);
      auto* page = dialog->findChild<QComboBox*>(QStringLiteral("exportPage"));
      page->setCurrentIndex(page->findData(QStringLiteral("A2")));
      AwaitFrame(dialog);
      CheckEverythingOnScreen();
      QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("exportLayout"))->text().isEmpty());
      Shot(QStringLiteral("export"));
      if (shots.isEmpty() || photo.isEmpty()) {
        dialog->reject();
        return;
      }
      page->setCurrentIndex(0);  // the picture's size: one pixel a point
      dialog->findChild<QLineEdit*>(QStringLiteral("exportPath"))->setText(shots + QStringLiteral("/export.pdf"));
      QSignalSpy ended(dialog, &CExportDlg::ExportEnded);
      QFile::remove(shots + QStringLiteral("/export.pdf"));
      dialog->OnExport();
      QVERIFY(ended.wait(240000));
      written = dialog->LastResult() && dialog->LastResult()->ok();
    });
    f.Actions().exportPicture->trigger();
    if (!shots.isEmpty() && !photo.isEmpty()) {
      QVERIFY(written);
      QVERIFY(SaveImageFile(*doc->GV()->GetCurrentDADC(), (shots + QStringLiteral("/export.png")).toStdString()).ok());
    }
  }
};

BRISOL_APP_TEST_MAIN(DesktopXTest)
#include "Desktop_xtest.moc"
