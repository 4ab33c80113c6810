// Windows on today's screens: a first start's layout (panels beside the
// window, or docked in it where the screen has no room), places kept from a
// screen that is gone moved back, absurd sizes corrected and never written
// back. The program runs on two screens made up for the test: a primary one
// of 1600 x 1000 and one of 1280 x 720 to its right.
#include <QDockWidget>
#include <QSettings>

#include "app/AppTestSupport.h"
#include "app/ScreenFit.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

const QRect kPrimary(0, 0, 1600, 1000), kSecond(1600, 0, 1280, 720);

// A window's frame on the screen (no window manager here: the geometry).
QRect Frame(const QWidget* w) { return w->frameGeometry(); }

bool OnOneScreen(const QRect& r) { return kPrimary.contains(r) || kSecond.contains(r); }

}  // namespace

class PlacementTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  void Start(const QString& settings, std::optional<PanelLayout> layout = std::nullopt) {
    QFile::remove(test::SettingsFile());
    test::WriteSettings("[VARS]\nLOGGING=0\n" + settings);
    m = std::make_unique<StartedApp>(false, CRenderController::Threading::Worker, layout);
    test::TakeAlerts();
  }
  CBrisolDoc* OpenLarge() {
    test::MakeCollection("Tests");
    const std::string path = test::WritePictureFile("large.png", 1400, 900);
    m->app->m_iScreenWidth = 4000;  // no offer to shrink
    m->app->m_iScreenHeight = 4000;
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  QList<QWidget*> Panels() const {
    CMainFrame& f = m->Frame();
    return {f.ParamDlg(), f.ColMixDlg(), f.OrigDlg()};
  }

 private slots:
  void initTestCase() {
    test::QuietOffscreenNotes();
    QCOMPARE(QGuiApplication::screens().size(), 2);
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), kPrimary);
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  // Nothing kept yet: the window on the left, the three panels beside it,
  // wholly on the screen, none over another or over the first picture.
  void aFirstStartPutsThePanelsBesideTheWindow() {
    Start(QString());
    CMainFrame& f = m->Frame();
    QCOMPARE(f.Layout(), PanelLayout::Floating);
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc && doc->GetRunner());
    const QRect picture(f.ActiveFrame()->mapToGlobal(QPoint(0, 0)), f.ActiveFrame()->size());
    QVERIFY(kPrimary.contains(Frame(&f)));
    const QList<QWidget*> panels = Panels();
    for (QWidget* p : panels) {
      QVERIFY2(f.IsPanelShown(p), qPrintable(p->objectName()));
      QVERIFY2(kPrimary.contains(Frame(p)), qPrintable(p->objectName()));
      QVERIFY2(!Frame(p).intersects(Frame(&f)), qPrintable(p->objectName()));
      QVERIFY2(!Frame(p).intersects(picture), qPrintable(p->objectName()));
      for (QWidget* q : panels) QVERIFY(p == q || !Frame(p).intersects(Frame(q)));
    }
  }

  // Where the panels cannot stand beside a picture's window they are docked
  // in the main window, still shown, hidden and toggled by their commands.
  void dockedPanelsAreShownHiddenAndToggled() {
    Start(QString(), PanelLayout::Docked);
    CMainFrame& f = m->Frame();
    QCOMPARE(f.Layout(), PanelLayout::Docked);
    for (QWidget* p : Panels()) {
      QVERIFY(qobject_cast<QDockWidget*>(f.PanelHost(p)));
      QVERIFY(!f.IsPanelShown(p));
    }
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc && doc->GetRunner());
    QVERIFY(f.IsPanelShown(f.ParamDlg()) && f.IsPanelShown(f.ColMixDlg()) && f.IsPanelShown(f.OrigDlg()));
    // The picture's window and the docks share nothing.
    const QRect area(f.MdiArea()->mapToGlobal(QPoint(0, 0)), f.MdiArea()->size());
    for (QWidget* p : Panels()) {
      const QRect dock(f.PanelHost(p)->mapToGlobal(QPoint(0, 0)), f.PanelHost(p)->size());
      QVERIFY2(!dock.intersects(area), qPrintable(p->objectName()));
    }
    f.Actions().colorsOnOff->trigger();
    QVERIFY(!f.IsPanelShown(f.ColMixDlg()));
    QVERIFY(!f.Actions().colorsOnOff->isChecked());
    f.Actions().colorsOnOff->trigger();
    QVERIFY(f.IsPanelShown(f.ColMixDlg()));
    QVERIFY(f.Actions().colorsOnOff->isChecked());
    // Typing into a docked panel's edit types: the main window's one-key
    // commands (+ and - zoom, O shows the original) leave it alone.
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.ShowPropertiesWindow(f.ParamDlg());
    auto* angle = f.ParamDlg()->findChild<QLineEdit*>(QStringLiteral("edt1024"));
    angle->setFocus();
    angle->selectAll();
    const unsigned zoom = doc->GV()->Zoom();
    QTest::keyClicks(angle, QStringLiteral("-45+o"));
    QCOMPARE(angle->text(), QStringLiteral("-45+o"));
    QCOMPARE(doc->GV()->Zoom(), zoom);
    QCOMPARE(doc->GV()->GetShow(), 1);
    QCOMPARE(doc->GetRunner()->GetEffect().GetAngle(), -45.0);
    // Escape in a docked panel hides its dock, as it hides a floating one
    // (once no drawing runs: while one does, Escape stops it).
    QVERIFY(test::WaitForPicture(doc));
    f.ShowPropertiesWindow(f.ColMixDlg());
    QTest::keyClick(f.ColMixDlg(), Qt::Key_Escape);
    QVERIFY(!f.IsPanelShown(f.ColMixDlg()));
    // The places kept are those the panels had floating.
    f.close();
    m->app->ExitInstance();
    const QSettings ini(test::SettingsFile(), QSettings::IniFormat);
    QCOMPARE(ini.value("PARAMDLG/VISIBLE").toInt(), 1);
    QCOMPARE(ini.value("COLMIXDLG/VISIBLE").toInt(), 0);
  }

  // Places kept from a screen that is gone (further right than any screen
  // now) come back onto a screen; a window on the second screen stays there.
  void keptPlacesComeBackOntoTheScreens_data() {
    QTest::addColumn<QString>("frame");
    QTest::addColumn<bool>("onSecond");
    QTest::newRow("beyond every screen") << "LEFT=4000\nTOP=200\nRIGHT=4800\nBOTTOM=800" << false;
    QTest::newRow("above the screen") << "LEFT=100\nTOP=-5000\nRIGHT=900\nBOTTOM=-4400" << false;
    QTest::newRow("on the second screen") << "LEFT=1700\nTOP=100\nRIGHT=2500\nBOTTOM=600" << true;
    QTest::newRow("larger than the screen") << "LEFT=0\nTOP=0\nRIGHT=9000\nBOTTOM=9000" << false;
  }
  void keptPlacesComeBackOntoTheScreens() {
    QFETCH(QString, frame);
    QFETCH(bool, onSecond);
    Start("[MAINFRAME]\n" + frame + "\nSTATE=1\n[PARAMDLG]\nLEFT=1990\nTOP=1990\n[COLMIXDLG]\nLEFT=1500\nTOP=900\n",
          PanelLayout::Floating);
    CMainFrame& f = m->Frame();
    QVERIFY2(OnOneScreen(Frame(&f)),
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height())));
    QCOMPARE(kSecond.contains(Frame(&f)), onSecond);
    for (QWidget* p : {static_cast<QWidget*>(f.ParamDlg()), static_cast<QWidget*>(f.ColMixDlg())}) {
      f.ShowPropertiesWindow(p);
      QVERIFY2(OnOneScreen(Frame(p)), qPrintable(p->objectName()));
    }
  }

  // An absurd rectangle (from a damaged file) is corrected, in 64 bits, and
  // what is written back at exit is the rectangle in use.
  void absurdSizesAreCorrectedAndNeverWrittenBack_data() {
    QTest::addColumn<QString>("frame");
    QTest::newRow("bottom at the end of int") << "LEFT=20\nTOP=30\nRIGHT=600\nBOTTOM=2147483647";
    QTest::newRow("petabytes") << "LEFT=0\nTOP=0\nRIGHT=2000000000\nBOTTOM=2000000000";
    QTest::newRow("sides crossed") << "LEFT=2147483647\nTOP=0\nRIGHT=-2147483648\nBOTTOM=500";
    QTest::newRow("stored objects") << "LEFT=@Variant(\\0\\0\\0\\x7f\\xff\\xff)\nTOP=0\nRIGHT=800\nBOTTOM=600";
  }
  void absurdSizesAreCorrectedAndNeverWrittenBack() {
    QFETCH(QString, frame);
    Start("[MAINFRAME]\n" + frame + "\nSTATE=3\n", PanelLayout::Floating);
    CMainFrame& f = m->Frame();
    f.showNormal();
    QVERIFY(kPrimary.contains(Frame(&f)));
    f.showMaximized();
    f.close();
    m->app->ExitInstance();
    const QSettings ini(test::SettingsFile(), QSettings::IniFormat);
    for (const char* side : {"LEFT", "TOP", "RIGHT", "BOTTOM"}) {
      const int v = ini.value(QStringLiteral("MAINFRAME/") + side).toInt();
      QVERIFY2(v >= 0 && v <= 1600, side);
    }
    QCOMPARE(ini.value("MAINFRAME/STATE").toInt(), 3);
  }

  // The fitting itself, in 64 bits, on screens of any place.
  void fittingOntoScreens_data() {
    QTest::addColumn<qlonglong>("left");
    QTest::addColumn<qlonglong>("top");
    QTest::addColumn<qlonglong>("right");
    QTest::addColumn<qlonglong>("bottom");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("fits") << 100LL << 100LL << 900LL << 700LL << QRect(100, 100, 800, 600);
    QTest::newRow("across two screens") << 1500LL << 100LL << 2300LL << 700LL << QRect(1600, 100, 800, 600);
    QTest::newRow("off the right") << 2500LL << 100LL << 3300LL << 700LL << QRect(2080, 100, 800, 600);
    QTest::newRow("beyond all") << 9000LL << 100LL << 9800LL << 700LL << QRect(800, 100, 800, 600);
    QTest::newRow("huge") << 0LL << 0LL << 2000000000LL << 2000000000LL << QRect(0, 0, 1600, 1000);
    QTest::newRow("ints apart") << -2147483648LL << -2147483648LL << 2147483647LL << 2147483647LL
                                << QRect(0, 0, 1600, 1000);
  }
  void fittingOntoScreens() {
    QFETCH(qlonglong, left);
    QFETCH(qlonglong, top);
    QFETCH(qlonglong, right);
    QFETCH(qlonglong, bottom);
    QFETCH(QRect, fitted);
    QCOMPARE(FitOnScreens(StoredRect{left, top, right, bottom}, {kPrimary, kSecond}, QMargins()), fitted);
    // A frame around it stays on the screen too.
    const QRect framed = FitOnScreens(StoredRect{left, top, right, bottom}, {kPrimary, kSecond}, QMargins(4, 30, 4, 4));
    QVERIFY(OnOneScreen(framed.adjusted(-4, -30, 4, 4)));
  }

  // The first start's layout on the screens the program is looked at on.
  void firstStartLayout_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<int>("layout");
    const QMargins frame(1, 24, 1, 4);
    QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1080) << int(PanelLayout::Floating);
    QTest::newRow("1600 x 1000") << QRect(0, 0, 1600, 1000) << int(PanelLayout::Floating);
    QTest::newRow("1280 x 720") << QRect(0, 0, 1280, 720) << int(PanelLayout::Docked);
    QTest::newRow("1600 x 1000 at 1.5") << QRect(0, 0, 1067, 667) << int(PanelLayout::Docked);
    QTest::newRow("a screen below another") << QRect(0, 1080, 1920, 1080) << int(PanelLayout::Floating);
  }
  void firstStartLayout() {
    QFETCH(QRect, screen);
    QFETCH(int, layout);
    Start(QString(), PanelLayout::Floating);
    CMainFrame& f = m->Frame();
    const QMargins frame(1, 24, 1, 4);
    const QSize p = f.ParamDlg()->sizeHint(), c = f.ColMixDlg()->sizeHint(), o = f.OrigDlg()->sizeHint();
    const FirstPlacement first = PlaceFirstStart(screen, frame, p, c, o);
    QCOMPARE(int(first.layout), layout);
    const QRect main = first.frame.adjusted(-1, -24, 1, 4);
    QVERIFY(screen.contains(main));
    if (first.layout == PanelLayout::Docked) return;
    QVERIFY(main.width() >= kMinMainWidth);
    const QList<QRect> panels = {QRect(first.param, p + QSize(2, 28)), QRect(first.colMix, c + QSize(2, 28)),
                                 QRect(first.orig, o + QSize(2, 28))};
    for (const QRect& a : panels) {
      QVERIFY(screen.contains(a));
      QVERIFY(!a.intersects(main));
      for (const QRect& b : panels) QVERIFY(a == b || !a.intersects(b));
    }
  }
};

// Two screens made up for the test, before the application starts.
int main(int argc, char** argv) {
  brisol::test::UiTestEnvironment environment;
  const QString config = environment.Folder() + QStringLiteral("/screens.json");
  QFile file(config);
  file.open(QIODevice::WriteOnly);
  file.write(R"({"screens": [
    {"name": "primary", "x": 0, "y": 0, "width": 1600, "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "second", "x": 1600, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
  ]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  PlacementTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "Placement_test.moc"
