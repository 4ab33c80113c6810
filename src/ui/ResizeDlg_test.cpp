// The resize dialog: percent, width and height kept in proportion, the
// memory estimate, and the question before a large picture.
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include "ui/ResizeDlg.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

class ResizeDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<CResizeDlg> dlg;

  QSlider* Slider(int id) { return dlg->findChild<QSlider*>(QStringLiteral("sld%1").arg(id)); }
  QLineEdit* Edit(int id) { return dlg->findChild<QLineEdit*>(QStringLiteral("edt%1").arg(id)); }
  QString Memory() { return dlg->findChild<QLabel*>(QStringLiteral("txt1059"))->text(); }
  void Open(int width, int height, int origWidth, int origHeight) {
    dlg = std::make_unique<CResizeDlg>(nullptr);
    dlg->m_iWidth = width;
    dlg->m_iHeight = height;
    dlg->m_iOrigWidth = origWidth;
    dlg->m_iOrigHeight = origHeight;
    dlg->show();
  }
  void PressOk() {
    QTest::mouseClick(dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  }

 private slots:
  void init() { test::Alerts().Clear(); }
  void cleanup() {
    dlg.reset();
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  void opensAtTheProposedSize() {
    Open(1600, 1200, 4000, 3000);
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Resize Image"));
    QCOMPARE(dlg->m_dPercent, 40.0);
    QCOMPARE(Edit(1053)->text(), QStringLiteral(" 40.00"));
    QCOMPARE(Slider(1054)->value(), 3333);
    QCOMPARE(Edit(1055)->text(), QStringLiteral("1600"));
    QCOMPARE(Slider(1056)->maximum(), 4000);
    QCOMPARE(Slider(1056)->minimum(), 10);
    QCOMPARE(Slider(1058)->maximum(), 3000);
    QCOMPARE(Edit(1057)->text(), QStringLiteral("1200"));
    QCOMPARE(Memory(), QStringLiteral("Requires    5.5 MegaBytes"));
  }

  void widthCarriesHeightAndPercent() {
    Open(1600, 1200, 4000, 3000);
    test::TypeInto(Edit(1055), QStringLiteral("2000"));
    QCOMPARE(dlg->m_iWidth, 2000);
    QCOMPARE(dlg->m_iHeight, 1500);
    QCOMPARE(dlg->m_dPercent, 50.0);
    QCOMPARE(Edit(1057)->text(), QStringLiteral("1500"));
    QCOMPARE(Edit(1053)->text(), QStringLiteral(" 50.00"));
    QCOMPARE(Memory(), QStringLiteral("Requires    8.6 MegaBytes"));
  }

  void widthBelowTheMinimum() {
    Open(1600, 1200, 4000, 3000);
    test::TypeInto(Edit(1055), QStringLiteral("5"));
    QCOMPARE(dlg->m_iWidth, 10);
    QCOMPARE(dlg->m_iHeight, 10 * 3000 / 4000);
    QCOMPARE(Slider(1056)->value(), 10);
    QCOMPARE(Edit(1055)->text(), QStringLiteral("5"));
  }

  void heightCarriesWidth() {
    Open(1600, 1200, 4000, 3000);
    test::TypeInto(Edit(1057), QStringLiteral("600"));
    QCOMPARE(dlg->m_iHeight, 600);
    QCOMPARE(dlg->m_iWidth, 800);
    QCOMPARE(dlg->m_dPercent, 20.0);
    QCOMPARE(Edit(1055)->text(), QStringLiteral("800"));
  }

  // The value typed stays what it is, even when the other side rounds down.
  void typedSideStaysWithAnOddRatio_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("height") << 1057 << QStringLiteral("200") << 600 << 200;
    QTest::newRow("width") << 1055 << QStringLiteral("701") << 701 << 233;
  }
  void typedSideStaysWithAnOddRatio() {
    QFETCH(int, edit);
    QFETCH(QString, typed);
    QFETCH(int, width);
    QFETCH(int, height);
    Open(900, 299, 1000, 333);
    test::TypeInto(Edit(edit), typed);
    QCOMPARE(dlg->m_iWidth, width);
    QCOMPARE(dlg->m_iHeight, height);
  }

  // A text that holds no number keeps the last valid size, in its
  // proportions; leaving the edit shows the size in use again.
  void textWithoutANumberKeepsTheLastValidSize_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("typed");
    for (int edit : {1053, 1055, 1057}) {
      QTest::addRow("%d letters", edit) << edit << QStringLiteral("abc");
      QTest::addRow("%d empty", edit) << edit << QString();
      QTest::addRow("%d blanks", edit) << edit << QStringLiteral("   ");
      QTest::addRow("%d sign", edit) << edit << QStringLiteral("-");
    }
  }
  void textWithoutANumberKeepsTheLastValidSize() {
    QFETCH(int, edit);
    QFETCH(QString, typed);
    Open(1600, 1200, 4000, 3000);
    test::TypeInto(Edit(1055), QStringLiteral("2000"));
    test::TypeInto(Edit(edit), typed);
    QCOMPARE(dlg->m_iWidth, 2000);
    QCOMPARE(dlg->m_iHeight, 1500);
    QCOMPARE(dlg->m_dPercent, 50.0);
    emit Edit(edit)->editingFinished();
    QCOMPARE(Edit(1053)->text(), QStringLiteral(" 50.00"));
    QCOMPARE(Edit(1055)->text(), QStringLiteral("2000"));
    QCOMPARE(Edit(1057)->text(), QStringLiteral("1500"));
    QCOMPARE(Memory(), QStringLiteral("Requires    8.6 MegaBytes"));
  }

  // The dialog goes while an edit has the keyboard: the edit losing it
  // reaches nothing that is gone (a fault AddressSanitizer finds).
  void closingWithTheKeyboardInAnEdit() {
    Open(1600, 1200, 4000, 3000);
    dlg->activateWindow();
    Edit(1055)->setFocus();
    test::TypeInto(Edit(1055), QStringLiteral("1234"));
    dlg.reset();
    QVERIFY(true);
  }

  void percentCarriesBoth() {
    Open(1600, 1200, 4000, 3000);
    test::TypeInto(Edit(1053), QStringLiteral("25"));
    QCOMPARE(dlg->m_iWidth, 1000);
    QCOMPARE(dlg->m_iHeight, 750);
    QCOMPARE(Edit(1055)->text(), QStringLiteral("1000"));
    QCOMPARE(Edit(1057)->text(), QStringLiteral("750"));
  }

  void slidersCarryTheOthers() {
    Open(1600, 1200, 4000, 3000);
    test::DragTo(Slider(1056), 3000);
    QCOMPARE(dlg->m_iWidth, 3000);
    QCOMPARE(dlg->m_iHeight, 2250);
    QCOMPARE(Edit(1053)->text(), QStringLiteral(" 75.00"));
    test::DragTo(Slider(1054), 10000);
    QCOMPARE(dlg->m_dPercent, 100.0);
    QCOMPARE(dlg->m_iWidth, 4000);
    QCOMPARE(dlg->m_iHeight, 3000);
    test::DragTo(Slider(1058), 300);
    QCOMPARE(dlg->m_iWidth, 400);
    QCOMPARE(Memory(), QStringLiteral("Requires  351.6 KiloBytes"));
  }

  void memoryText_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("text");
    QTest::newRow("64 x 64") << 64 << 64 << QStringLiteral("Requires   12.0 KiloBytes");
    QTest::newRow("1600 x 1200") << 1600 << 1200 << QStringLiteral("Requires    5.5 MegaBytes");
    QTest::newRow("just a megabyte") << 1024 << 342 << QStringLiteral("Requires    1.0 MegaBytes");
    QTest::newRow("just under") << 1024 << 341 << QStringLiteral("Requires 1023.0 KiloBytes");
    QTest::newRow("10 x 10") << 10 << 10 << QStringLiteral("Requires    0.3 KiloBytes");
  }
  void memoryText() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, text);
    QCOMPARE(CResizeDlg::MemoryText(width, height), text);
  }

  void smallSizeClosesAtOnce() {
    Open(2300, 2300, 4000, 4000);
    QCOMPARE(CResizeDlg::MegaBytes(2300, 2300), 15u);
    PressOk();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QVERIFY(!dlg->isVisible());
  }

  void largeSizeAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
  }
  void largeSizeAsksFirst() {
    QFETCH(bool, yes);
    Open(2400, 2400, 4000, 4000);
    test::Alerts().QueueAnswer(yes ? AlertAnswer::Yes : AlertAnswer::No);
    PressOk();
    const auto alerts = test::Alerts().Alerts();
    QCOMPARE(alerts.size(), std::size_t{1});
    QCOMPARE(
        alerts[0].text,
        std::string("You are going to need 16 MBytes for the new image\nThat is a lot of MegaBytes!\nContinue ? "));
    QVERIFY(alerts[0].buttons == AlertButtons::YesNo);
    QCOMPARE(dlg->isVisible(), !yes);
    if (yes) QCOMPARE(dlg->result(), int(QDialog::Accepted));
    test::Alerts().Clear();
  }

  void runsModally() {
    dlg = std::make_unique<CResizeDlg>(nullptr);
    dlg->m_iWidth = 975;
    dlg->m_iHeight = 731;
    dlg->m_iOrigWidth = 2000;
    dlg->m_iOrigHeight = 1500;
    test::WhenModal([](QWidget* modal) {
      auto* width = modal->findChild<QLineEdit*>(QStringLiteral("edt1055"));
      QCOMPARE(width->text(), QStringLiteral("975"));
      test::TypeInto(width, QStringLiteral("1000"));
      QTest::keyClick(width, Qt::Key_Return);
    });
    QCOMPARE(dlg->exec(), int(QDialog::Accepted));
    QCOMPARE(dlg->m_iWidth, 1000);
    QCOMPARE(dlg->m_iHeight, 750);
  }
};

BRISOL_UI_TEST_MAIN(ResizeDlgTest)
#include "ResizeDlg_test.moc"
