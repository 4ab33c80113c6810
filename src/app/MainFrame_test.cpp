// The main window: commands enabled by their rules, the panels (hidden at
// their saved places at start, shown, hidden, toggled and bound), the
// toolbar and status bar, the splash window, dropping pictures, placements
// kept at exit, help and About.
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <chrono>
#include <thread>

#include "app/AppTestSupport.h"
#include "app/HelpWindow.h"
#include "app/SplashWindow.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

// The actions that need a document (or a picture on it).
std::vector<QAction*> DocumentActions(const MainActions& a) {
  return {a.saveImage,     a.print,       a.printPreview,  a.copy,         a.copyCommandLine, a.origOnOff,
          a.settingsOnOff, a.colorsOnOff, a.chooseObjects, a.viewOriginal, a.showCreated,     a.randomize,
          a.imageQuality,  a.zoomIn,      a.zoomOut,       a.zoomNormal};
}

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  void Start(bool splash = false) {
    m = std::make_unique<StartedApp>(splash);
    test::TakeAlerts();
  }
  CBrisolDoc* OpenDocument(const QString& collection) {
    test::MakeCollection("Tests");
    const std::string path = test::WritePictureFile("doc.png", 90, 60);
    return test::OpenWithCollection(*m, path, collection);
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void withoutADocumentOnlyTheFileCommandsWork() {
    Start();
    const MainActions& a = m->Frame().Actions();
    for (QAction* action : DocumentActions(a)) QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    for (QAction* action : {a.openImage, a.paste, a.printSetup, a.exit, a.helpTopics, a.about, a.newImage}) {
      QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    }
    QVERIFY(!a.cut->isEnabled());
  }

  void originalImageOnOffWithoutADocumentOnlyWarns() {
    Start();
    m->Frame().OnOrigOnOff();
    QCOMPARE(test::TakeAlerts(), QStringList{"You must open an image first.\nUse File | Open menu or the toolbar"});
    QVERIFY(!m->Frame().OrigDlg()->isVisible());
  }

  void menusCarryTheCommandsInOrder() {
    Start();
    QStringList menus;
    for (QAction* menu : m->Frame().menuBar()->actions()) menus << menu->text();
    QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Dialogs", "&Presets", "&View", "&Window", "&Help"}));
    QStringList dialogs;
    for (QAction* item : m->Frame().menuBar()->actions()[2]->menu()->actions()) dialogs << item->text();
    QCOMPARE(dialogs, (QStringList{"&Original Image On/Off", "&Settings Dialog On/Off", "&Colors and Mixing On/Off",
                                   "Choose &Objects...", "&Variations..."}));
    const MainActions& a = m->Frame().Actions();
    QCOMPARE(a.colorsOnOff->statusTip(), QStringLiteral("Toggle the color and mixing dialog"));
    QCOMPARE(a.colorsOnOff->toolTip(), QStringLiteral("Colors-Mixing"));
    QCOMPARE(a.openImage->statusTip(), QStringLiteral("Open an image to use as the original"));
    QCOMPARE(a.openImage->toolTip(), QStringLiteral("Open Original"));
    QVERIFY(a.copy->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
    QCOMPARE(a.copy->shortcutContext(), Qt::ApplicationShortcut);
    QVERIFY(a.paste->shortcuts().contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)));
    QCOMPARE(a.viewOriginal->shortcut(), QKeySequence(Qt::Key_O));
    QCOMPARE(a.zoomNormal->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    QCOMPARE(a.zoomIn->shortcut(), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus));
  }

  // One quality command, the debug panel in the View menu, What's This in
  // the Help menu; the panel toggles and the two show commands carry their
  // check marks.
  void theMenusAsTheUserSeesThem() {
    Start();
    QStringList all;
    QStringList view, help;
    const QList<QAction*> menus = m->Frame().menuBar()->actions();
    for (QAction* menu : menus) {
      for (QAction* item : menu->menu()->actions()) {
        if (item->isSeparator()) continue;
        all << item->text();
        if (menu->text() == QStringLiteral("&View")) view << item->text();
        if (menu->text() == QStringLiteral("&Help")) help << item->text();
      }
    }
    QCOMPARE(all.count(QStringLiteral("Set Image &Quality...")), 1);
    for (const QString& item : all) QVERIFY2(!item.contains(QStringLiteral("Quality Settings")), qPrintable(item));
    QVERIFY(view.contains(QStringLiteral("&Debug Dialog On/Off")));
    QVERIFY(help.contains(QStringLiteral("What's &This?")));
    const MainActions& a = m->Frame().Actions();
    for (QAction* toggle : {a.origOnOff, a.settingsOnOff, a.colorsOnOff, a.debugOnOff, a.viewOriginal, a.showCreated})
      QVERIFY2(toggle->isCheckable(), qPrintable(toggle->text()));
    QVERIFY(!a.debugOnOff->isChecked());
    a.debugOnOff->trigger();
    QVERIFY(a.debugOnOff->isChecked());
    // Closed with its own button: the mark follows.
    QTest::mouseClick(m->Frame().DebugDlg()->findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
    QTRY_VERIFY(!a.debugOnOff->isChecked());
    // Keypad + and - are the zoom keys shown in the menu.
    QCOMPARE(a.zoomIn->shortcut(), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus));
    QCOMPARE(a.zoomOut->shortcut(), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus));
  }

  // Shift+F1 asks what a control does.
  void shiftF1GivesContextHelp() {
    Start();
    m->Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->Frame()));
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    QTest::keyClick(&m->Frame(), Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    QVERIFY(!m->Frame().Actions().randomize->whatsThis().isEmpty());
    auto* size = m->Frame().ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015"));
    QVERIFY(size && size->whatsThis().startsWith(QStringLiteral("Size")));
  }

  void theToolbarHasNineteenSlotsWithIcons() {
    Start();
    auto* bar = m->Frame().findChild<QToolBar*>(QStringLiteral("toolbar"));
    QVERIFY(bar);
    const QList<QAction*> places = bar->actions();
    QCOMPARE(places.size(), 19);
    const MainActions& a = m->Frame().Actions();
    const QList<QAction*> buttons{a.openImage, a.saveImage,    a.cut,           a.copy,        a.paste,
                                  a.print,     a.origOnOff,    a.settingsOnOff, a.colorsOnOff, a.chooseObjects,
                                  a.randomize, a.imageQuality, a.zoomIn,        a.zoomOut,     a.zoomNormal};
    QList<QAction*> seen;
    for (QAction* slot : places) {
      if (slot->isSeparator()) continue;
      QVERIFY2(!slot->icon().isNull(), qPrintable(slot->text()));
      seen << slot;
    }
    QCOMPARE(seen, buttons);
    for (int separator : {2, 6, 8, 15}) QVERIFY(places[separator]->isSeparator());
  }

  void theStatusBarRestsOnTheHelpText() {
    Start();
    QStatusBar* bar = m->Frame().statusBar();
    QCOMPARE(bar->currentMessage(), QStringLiteral("For Help, press F1"));
    bar->showMessage(QStringLiteral("a prompt"));
    bar->clearMessage();
    QCOMPARE(bar->currentMessage(), QStringLiteral("For Help, press F1"));
  }

  void panelsStartHiddenAtTheirSavedPlaces() {
    test::WriteSettings(
        "[VARS]\nLOGGING=0\n[ORIGDLG]\nLEFT=111\nTOP=222\nVISIBLE=1\n[PARAMDLG]\nLEFT=333\nTOP=44\nVISIBLE=1\n"
        "[COLMIXDLG]\nLEFT=2500\nTOP=-3\nVISIBLE=1\n[DBGDLG]\nLEFT=20\nTOP=20\n");
    Start();
    CMainFrame& f = m->Frame();
    const struct {
      QWidget* panel;
      const char* name;
      QPoint place;
    } panels[] = {{f.OrigDlg(), "ORIGDLG", {111, 222}},
                  {f.ParamDlg(), "PARAMDLG", {333, 44}},
                  {f.ColMixDlg(), "COLMIXDLG", {50, 50}},
                  {f.DebugDlg(), "DBGDLG", {20, 20}}};
    for (const auto& p : panels) {
      QVERIFY(p.panel);
      QCOMPARE(p.panel->objectName(), QString::fromLatin1(p.name));
      QCOMPARE(p.panel->parentWidget(), &f);
      QVERIFY2(!p.panel->isVisible(), p.name);
      QCOMPARE(p.panel->pos(), p.place);
    }
  }

  void closingKeepsThePlacements() {
    Start();
    CMainFrame& f = m->Frame();
    f.ParamDlg()->move(400, 300);
    f.ShowPropertiesWindow(f.DebugDlg());
    f.DebugDlg()->move(10, 700);
    f.setGeometry(50, 60, 700, 500);
    f.close();
    m->app->ExitInstance();
    const QSettings ini(test::SettingsFile(), QSettings::IniFormat);
    QCOMPARE(ini.value("PARAMDLG/LEFT").toInt(), 400);
    QCOMPARE(ini.value("PARAMDLG/TOP").toInt(), 300);
    QCOMPARE(ini.value("PARAMDLG/VISIBLE").toInt(), 0);
    QCOMPARE(ini.value("DBGDLG/LEFT").toInt(), 10);
    QCOMPARE(ini.value("DBGDLG/VISIBLE").toInt(), 1);
    QCOMPARE(ini.value("ORIGDLG/VISIBLE").toInt(), 0);
    QCOMPARE(ini.value("MAINFRAME/LEFT").toInt(), 50);
    QCOMPARE(ini.value("MAINFRAME/TOP").toInt(), 60);
    QCOMPARE(ini.value("MAINFRAME/RIGHT").toInt(), 750);
    QCOMPARE(ini.value("MAINFRAME/BOTTOM").toInt(), 560);
    QCOMPARE(ini.value("MAINFRAME/STATE").toInt(), 1);
    // The next start puts the window back there.
    m.reset();
    QSettings(test::SettingsFile(), QSettings::IniFormat).value("MAINFRAME/LEFT");
  }

  void theWindowComesBackWhereItWas() {
    test::WriteSettings("[VARS]\nLOGGING=0\n[MAINFRAME]\nLEFT=100\nTOP=50\nRIGHT=250\nBOTTOM=700\nSTATE=2\n");
    Start();
    QCOMPARE(m->Frame().geometry(), QRect(QPoint(10, 50), QPoint(309, 699)));
    QVERIFY(!m->Frame().isMaximized());
  }

  void panelPrimitives() {
    Start();
    CMainFrame& f = m->Frame();
    QVERIFY(f.TogglePropertiesWindow(f.DebugDlg()));
    QVERIFY(f.DebugDlg()->isVisible());
    QVERIFY(!f.TogglePropertiesWindow(f.DebugDlg()));
    QVERIFY(!f.DebugDlg()->isVisible());
    f.OnDebugOnOff();
    QVERIFY(f.DebugDlg()->isVisible());
    f.HidePropertiesWindow(f.DebugDlg());
    QVERIFY(!f.DebugDlg()->isVisible());
    QVERIFY(!f.TogglePropertiesWindow(nullptr));
    f.ShowPropertiesWindow(nullptr);
    f.HidePropertiesWindow(nullptr);
    QCOMPARE(test::TakeAlerts(),
             (QStringList{"TogglePropertiesWindow (nil) failed", "ShowPropertiesWindow (nil) failed",
                          "HidePropertiesWindow (nil) failed"}));
  }

  void aCancelledWizardLeavesOnlyTheOriginal() {
    Start();
    CBrisolDoc* doc = OpenDocument(QString());
    QVERIFY(doc);
    const MainActions& a = m->Frame().Actions();
    QVERIFY(!doc->GetRunner());
    QCOMPARE(m->View()->GetShow(), 0);
    QVERIFY(a.origOnOff->isEnabled());
    QVERIFY(a.chooseObjects->isEnabled());
    QVERIFY(a.copy->isEnabled());
    QVERIFY(!a.randomize->isEnabled());
    QVERIFY(!a.imageQuality->isEnabled());
    QVERIFY(!a.settingsOnOff->isEnabled());
    QVERIFY(!a.colorsOnOff->isEnabled());
    // The original-image panel shows the picture since it was opened.
    QVERIFY(m->Frame().OrigDlg()->isVisible());
    QVERIFY(m->Frame().OrigDlg()->Thumbnail());
    QVERIFY(!m->Frame().ParamDlg()->isVisible());
  }

  void anAcceptedWizardShowsAndBindsTheSettingPanels() {
    Start();
    CBrisolDoc* doc = OpenDocument("Tests");
    QVERIFY2(doc && doc->GetRunner(), qPrintable(test::TakeAlerts().join('|')));
    CMainFrame& f = m->Frame();
    QVERIFY(f.ParamDlg()->isVisible());
    QVERIFY(f.ColMixDlg()->isVisible());
    for (QAction* action : DocumentActions(f.Actions())) QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(m->View()->GetShow(), 1);
    QCOMPARE(f.windowTitle(), QStringLiteral("Brisol - doc.png"));

    // Settings twice: hidden, then shown again and bound to the effect.
    f.Actions().settingsOnOff->trigger();
    QVERIFY(!f.ParamDlg()->isVisible());
    doc->GetRunner()->GetEffect().SetSize(12.5);
    f.Actions().settingsOnOff->trigger();
    QVERIFY(f.ParamDlg()->isVisible());
    auto* size = f.ParamDlg()->findChild<QLineEdit*>(QStringLiteral("edt1016"));
    QVERIFY(size);
    QCOMPARE(size->text().trimmed(), QStringLiteral("12.50"));
    f.Actions().colorsOnOff->trigger();
    QVERIFY(!f.ColMixDlg()->isVisible());
    f.Actions().colorsOnOff->trigger();
    QVERIFY(f.ColMixDlg()->isVisible());

    // The original on and off.
    f.Actions().origOnOff->trigger();
    QVERIFY(!f.OrigDlg()->isVisible());
    f.Actions().origOnOff->trigger();
    QVERIFY(f.OrigDlg()->isVisible());
    QVERIFY(f.OrigDlg()->Thumbnail());
    QVERIFY(test::WaitForPicture(doc));
  }

  // A drawing shows its progress in the status bar at once, as a
  // percentage, with Stop beside it; Esc stops it, and the window keeps the
  // last finished picture.
  void theStatusBarShowsTheDrawingsProgressWithStop() {
    Start();
    CBrisolDoc* doc = OpenDocument("Tests");
    QVERIFY(doc && test::WaitForPicture(doc));
    CMainFrame& f = m->Frame();
    auto* bar = f.findChild<QProgressBar*>(QStringLiteral("drawingProgress"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("drawingLabel"));
    auto* stop = f.findChild<QToolButton*>(QStringLiteral("stopDrawing"));
    QVERIFY(bar && label && stop);
    QTRY_VERIFY(!doc->Renderer().IsBusy() && !bar->isVisible() && !stop->isVisible());
    QVERIFY(!f.Actions().stopDrawing->isEnabled());
    const QByteArray shown = test::Pixels(*doc->GV()->GetOutputDADC());

    // A drawing held at its start until it is stopped.
    doc->Renderer().SetBeforeDrawing([](std::stop_token stop) {
      while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    doc->GetRunner()->GetEffect().SetNumObjects(2000);
    doc->UpdateImage(false);
    // Up while the drawing has not drawn a thing (how soon: bench/gui).
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->text(), QStringLiteral("0%"));
    QCOMPARE(label->text(), QStringLiteral("Drawing doc.png"));
    QVERIFY(stop->isVisible() && stop->isEnabled());
    QCOMPARE(stop->text(), QStringLiteral("Stop"));
    emit doc->DrawingProgress(500, 2000);
    QCOMPARE(bar->text(), QStringLiteral("25%"));

    QTest::keyClick(&f, Qt::Key_Escape);
    QTRY_VERIFY(!doc->Renderer().IsBusy());
    QTRY_VERIFY(!bar->isVisible() && !stop->isVisible());
    QCOMPARE(test::Pixels(*doc->GV()->GetOutputDADC()), shown);
    QCOMPARE(doc->GV()->GetShow(), 1);
    QVERIFY(test::TakeAlerts().isEmpty());
    // The stopped settings were never shown: asked again, they are drawn.
    doc->Renderer().SetBeforeDrawing({});
    const int before = doc->Renderer().DrawingsRequested();
    doc->UpdateImage(false);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(test::Pixels(*doc->GV()->GetOutputDADC()) != shown);
  }

  void closingTheDocumentHidesThePanels() {
    Start();
    CBrisolDoc* doc = OpenDocument("Tests");
    QVERIFY(doc && doc->GetRunner());
    const QString name = QString::fromStdString(doc->ImageName());
    test::Alerts().QueueAnswer(AlertAnswer::No);
    QVERIFY(m->Frame().ActiveFrame()->close());
    QCOMPARE(test::TakeAlerts(), QStringList{"Save this image?\n" + name});
    CMainFrame& f = m->Frame();
    QVERIFY(!f.OrigDlg()->isVisible());
    QVERIFY(!f.OrigDlg()->Thumbnail());
    QVERIFY(!f.ParamDlg()->isVisible());
    QVERIFY(!f.ColMixDlg()->isVisible());
    QTRY_COMPARE(m->Documents(), 0);
    QTRY_VERIFY(!f.Actions().randomize->isEnabled());
    QCOMPARE(f.windowTitle(), QStringLiteral("Brisol"));
  }

  void theSplashGoesOnAKeyThatDoesNothingElse() {
    Start(true);
    CSplashWindow* splash = m->Frame().Splash();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->Timer().interval(), 8000);
    QVERIFY(splash->Timer().isActive());
    QPointer<CSplashWindow> guard(splash);
    m->Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->Frame()));
    // (The watch outlives this test when no dialog comes: it keeps its own flag.)
    auto dialogCameUp = std::make_shared<bool>(false);
    test::WhenModal(
        [dialogCameUp](QWidget* modal) {
          *dialogCameUp = true;
          QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        },
        20);
    // "Open Image" had the splash not been up: its dialog would have come
    // up, and been closed, before the key press returned.
    QTest::keyClick(&m->Frame(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!*dialogCameUp);
    QTRY_VERIFY(guard.isNull());
    QVERIFY(m->Frame().Splash() == nullptr);
  }

  void theSplashGoesOnAClickAnywhere() {
    Start(true);
    QPointer<CSplashWindow> guard(m->Frame().Splash());
    QVERIFY(guard);
    QTest::mouseClick(m->Frame().statusBar(), Qt::RightButton);
    QTRY_VERIFY(guard.isNull());
  }

  void droppedPicturesOpen() {
    Start();
    const std::string a = test::WritePictureFile("drop-a.png", 30, 20);
    const std::string b = test::WritePictureFile("drop-b.bmp", 20, 30);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b)),
                  QUrl::fromLocalFile(QStringLiteral("/etc/hostname"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m->Frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    test::AnswerWizard(QString(), 2);
    QApplication::sendEvent(&m->Frame(), &drop);
    QTRY_COMPARE(m->Documents(), 2);
    QCOMPARE(m->app->Settings().m_Recent.Entry(0), b);

    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m->Frame(), &refused);
    QVERIFY(!refused.isAccepted());
  }

  void helpShowsTheManualWithItsPictures() {
    Start();
    m->Frame().Actions().helpTopics->trigger();
    auto* browser = m->Frame().findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    QVERIFY(browser);
    QVERIFY(browser->window()->isVisible());
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Brisol")));
    QCOMPARE(browser->source(), QUrl(QString::fromLatin1(CHelpWindow::kManualUrl)));
    // Every picture fits the page, also once the window is made narrower.
    auto picturesFit = [browser](int& pictures) {
      QTextDocument* doc = browser->document();
      pictures = 0;
      for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
          const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
          if (!image.isValid()) continue;
          const QVariant picture = doc->resource(QTextDocument::ImageResource, QUrl(image.name()));
          if (!picture.isValid() || picture.value<QImage>().isNull()) return false;
          if (picture.value<QImage>().width() > browser->viewport()->width()) return false;
          ++pictures;
        }
      }
      return true;
    };
    int pictures = 0;
    QVERIFY(picturesFit(pictures));
    QVERIFY(pictures >= 3);
    browser->window()->resize(520, 600);
    QTRY_VERIFY(picturesFit(pictures) && pictures >= 3);
    QVERIFY(browser->viewport()->width() < 520);
    // Escape closes it.
    QPointer<QWidget> window = browser->window();
    QTest::keyClick(browser, Qt::Key_Escape);
    QTRY_VERIFY(window.isNull() || !window->isVisible());
  }

  void aboutShowsTheVersion() {
    Start();
    QString shown;
    test::DriveModal<QDialog>([&](QDialog* modal) {
      if (auto* label = modal->findChild<QLabel*>(QStringLiteral("txt1054"))) shown = label->text();
      modal->accept();
      return true;
    });
    m->Frame().Actions().about->trigger();
    QCOMPARE(shown, QString::fromStdString(CBrisolApp::VersionString()));
  }
};

BRISOL_APP_TEST_MAIN(MainFrameTest)
#include "MainFrame_test.moc"
