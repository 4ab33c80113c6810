// The desktop program's message boxes: caption, text, icon, buttons and the
// answer, each box application-modal.
#include <QAbstractButton>
#include <QMessageBox>
#include <thread>

#include "ui/MessageBoxAlertSink.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

class MessageBoxAlertSinkTest : public QObject {
  Q_OBJECT

 private slots:
  void boxes_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("shownIcon");
    // A plain box is a failure told: the warning sign.
    QTest::newRow("plain") << int(kIconNone) << int(AlertButtons::Ok) << int(QMessageBox::Ok) << int(AlertAnswer::Ok)
                           << int(QMessageBox::Warning);
    QTest::newRow("stop") << int(kIconStop) << int(AlertButtons::Ok) << int(QMessageBox::Ok) << int(AlertAnswer::Ok)
                          << int(QMessageBox::Critical);
    QTest::newRow("exclamation") << int(kIconExclamation) << int(AlertButtons::Ok) << int(QMessageBox::Ok)
                                 << int(AlertAnswer::Ok) << int(QMessageBox::Warning);
    QTest::newRow("information") << int(kIconInformation) << int(AlertButtons::Ok) << int(QMessageBox::Ok)
                                 << int(AlertAnswer::Ok) << int(QMessageBox::Information);
    QTest::newRow("yes") << int(kIconQuestion) << int(AlertButtons::YesNo) << int(QMessageBox::Yes)
                         << int(AlertAnswer::Yes) << int(QMessageBox::Question);
    QTest::newRow("no") << int(kIconQuestion) << int(AlertButtons::YesNo) << int(QMessageBox::No)
                        << int(AlertAnswer::No) << int(QMessageBox::Question);
    // A question asked without an icon gets the question mark.
    QTest::newRow("cancel") << int(kIconNone) << int(AlertButtons::YesNoCancel) << int(QMessageBox::Cancel)
                            << int(AlertAnswer::Cancel) << int(QMessageBox::Question);
    QTest::newRow("yes of three") << int(kIconNone) << int(AlertButtons::YesNoCancel) << int(QMessageBox::Yes)
                                  << int(AlertAnswer::Yes) << int(QMessageBox::Question);
    QTest::newRow("yes of two") << int(kIconNone) << int(AlertButtons::YesNo) << int(QMessageBox::Yes)
                                << int(AlertAnswer::Yes) << int(QMessageBox::Question);
  }
  void boxes() {
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, answer);
    QFETCH(int, shownIcon);
    Alert alert;
    alert.caption = "Brisol";
    alert.text = "Save this image?\n100% <sure>";
    alert.icon = icon;
    alert.buttons = AlertButtons(buttons);
    QString title, text;
    int seenIcon = -1;
    QMessageBox::StandardButtons offered;
    Qt::WindowModality modality = Qt::NonModal;
    test::WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      title = box->windowTitle();
      text = box->text();
      seenIcon = box->icon();
      offered = box->standardButtons();
      modality = box->windowModality();
      box->button(QMessageBox::StandardButton(press))->click();
    });
    QCOMPARE(int(MessageBoxAlertSink().Show(alert)), answer);
    QCOMPARE(title, QStringLiteral("Brisol"));
    QCOMPARE(text, QStringLiteral("Save this image?\n100% <sure>"));
    QCOMPARE(seenIcon, shownIcon);
    QCOMPARE(modality, Qt::ApplicationModal);
    const QMessageBox::StandardButtons expected =
        buttons == int(AlertButtons::Ok)      ? QMessageBox::StandardButtons(QMessageBox::Ok)
        : buttons == int(AlertButtons::YesNo) ? QMessageBox::Yes | QMessageBox::No
                                              : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QCOMPARE(offered, expected);
  }

  void escapeGivesTheCautiousAnswer() {
    Alert alert{"Brisol", "Continue ?", kIconNone, AlertButtons::YesNo, true};
    test::WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(int(MessageBoxAlertSink().Show(alert)), int(AlertAnswer::No));
  }

  void otherThreadsGetNoBox() {
    Alert alert{"Brisol", "from a worker", kIconNone, AlertButtons::YesNoCancel, true};
    AlertAnswer answer = AlertAnswer::Ok;
    std::thread worker([&] { answer = MessageBoxAlertSink().Show(alert); });
    worker.join();
    QCOMPARE(int(answer), int(AlertAnswer::Cancel));
  }
};

BRISOL_UI_TEST_MAIN(MessageBoxAlertSinkTest)
#include "MessageBoxAlertSink_test.moc"
