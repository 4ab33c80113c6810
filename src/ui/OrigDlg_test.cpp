// The original-image panel and what every panel shares: closing only hides,
// Ctrl+C and Ctrl+V typed in a panel reach the main window.
#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>

#include "raster/Dadc.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

class OrigDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { test::Alerts().Clear(); }
  void cleanup() { QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str()); }

  void thumbnailFitsTheFrame_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("thumbnail");
    QTest::newRow("wide") << QSize(1000, 500) << QSize(117, 111) << QSize(117, 58);
    QTest::newRow("tall") << QSize(300, 900) << QSize(117, 111) << QSize(39, 117);
    QTest::newRow("small") << QSize(50, 40) << QSize(240, 180) << QSize(240, 192);
  }
  void thumbnailFitsTheFrame() {
    QFETCH(QSize, image);
    QFETCH(QSize, frame);
    QFETCH(QSize, thumbnail);
    COrigDlg dlg(nullptr);
    dlg.findChild<QFrame*>(QStringLiteral("frm1000"))->setFixedSize(frame);
    CDADC original(SIZE{image.width(), image.height()}, RGB(200, 30, 40));
    dlg.SetImage(&original);
    QVERIFY(dlg.Thumbnail() != nullptr);
    QCOMPARE(dlg.Thumbnail()->GetWidth(), thumbnail.width());
    QCOMPARE(dlg.Thumbnail()->GetHeight(), thumbnail.height());
  }

  void frameShowsThePictureCentredOnBlack() {
    COrigDlg dlg(nullptr);
    auto* frame = dlg.findChild<QFrame*>(QStringLiteral("frm1000"));
    frame->setFixedSize(120, 100);
    CDADC original(SIZE{640, 480}, RGB(200, 30, 40));
    dlg.SetImage(&original);
    const QImage picture = dlg.FramePicture();
    QCOMPARE(picture.size(), QSize(120, 100));
    QCOMPARE(QColor(picture.pixel(60, 4)), QColor(Qt::black));
    QCOMPARE(QColor(picture.pixel(60, 5)), QColor(200, 30, 40));
    QCOMPARE(QColor(picture.pixel(60, 94)), QColor(200, 30, 40));
    QCOMPARE(QColor(picture.pixel(60, 95)), QColor(Qt::black));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage shot = dlg.grab().toImage();
    const QPoint at = frame->mapTo(&dlg, QPoint(60, 50));
    QCOMPARE(QColor(shot.pixel(at)), QColor(200, 30, 40));
  }

  void nullImageIsReported() {
    COrigDlg dlg(nullptr);
    CDADC original(SIZE{10, 10});
    dlg.SetImage(&original);
    dlg.SetImage(nullptr);
    QCOMPARE(test::TakeAlerts(), QStringList{QStringLiteral("COrigDlg::SetImage with NULL pointer")});
    QVERIFY(dlg.Thumbnail() != nullptr);
  }

  void hideImageDropsTheCopy() {
    COrigDlg dlg(nullptr);
    CDADC original(SIZE{10, 10});
    dlg.SetImage(&original);
    dlg.show();
    dlg.HideImage();
    QVERIFY(!dlg.isVisible());
    QVERIFY(dlg.Thumbnail() == nullptr);
  }

  void closeButtonOnlyHides() {
    COrigDlg dlg(nullptr);
    CDADC original(SIZE{10, 10});
    dlg.SetImage(&original);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QVERIFY(dlg.Thumbnail() != nullptr);  // kept until the next image
    dlg.show();
    dlg.close();
    QVERIFY(!dlg.isVisible());
  }

  void debugPanel() {
    CDebugDlg dlg(nullptr);
    QCOMPARE(dlg.objectName(), QStringLiteral("DBGDLG"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Debug Dialog"));
    QVERIFY(dlg.findChild<QLineEdit*>(QStringLiteral("IDC_XY_TXT")) != nullptr);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
  }

  void panelsStartHiddenAsToolWindows() {
    QMainWindow main;
    const std::vector<QDialog*> panels = {new COrigDlg(&main), new CParamDlg(&main), new CColMixDlg(&main),
                                          new CDebugDlg(&main)};
    main.show();
    for (QDialog* panel : panels) {
      QVERIFY(!panel->isVisible());
      QVERIFY(panel->windowFlags().testFlag(Qt::Tool));
      QVERIFY(!panel->isModal());
      QCOMPARE(panel->parentWidget(), &main);
    }
  }

  // Copy and paste typed into a panel's edit are the main window's.
  void copyAndPasteReachTheMainWindow_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V);
  }
  void copyAndPasteReachTheMainWindow() {
    QFETCH(int, key);
    QMainWindow main;
    auto* copy = new QAction(QStringLiteral("&Copy image"), &main);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setShortcutContext(Qt::ApplicationShortcut);
    main.addAction(copy);
    auto* paste = new QAction(QStringLiteral("&Paste image"), &main);
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    paste->setShortcutContext(Qt::ApplicationShortcut);
    main.addAction(paste);
    QSignalSpy copied(copy, &QAction::triggered), pasted(paste, &QAction::triggered);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    auto* panel = new CParamDlg(&main);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("edt1016"));
    edit->setText(QStringLiteral("12"));
    edit->selectAll();
    panel->activateWindow();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(copied.count(), key == Qt::Key_C ? 1 : 0);
    QCOMPARE(pasted.count(), key == Qt::Key_V ? 1 : 0);
    QCOMPARE(edit->text(), QStringLiteral("12"));
    // Other keys still type.
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text(), QStringLiteral("5"));
  }
};

BRISOL_UI_TEST_MAIN(OrigDlgTest)
#include "OrigDlg_test.moc"
