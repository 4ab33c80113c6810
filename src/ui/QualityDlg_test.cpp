// The quality dialog: the radio buttons show the quality and choose it.
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>

#include "ui/QualityDlg.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

class QualityDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void choosesTheQuality_data() {
    QTest::addColumn<int>("initial");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("result");
    QTest::newRow("high to normal") << 2 << QStringLiteral("rad1053") << true << 1;
    QTest::newRow("normal to high") << 1 << QStringLiteral("rad1054") << true << 2;
    QTest::newRow("same") << 1 << QStringLiteral("rad1053") << true << 1;
    QTest::newRow("cancelled") << 2 << QStringLiteral("rad1053") << false << 0;
  }
  void choosesTheQuality() {
    QFETCH(int, initial);
    QFETCH(QString, click);
    QFETCH(bool, ok);
    QFETCH(int, result);
    CQualityDlg dlg(nullptr);
    QCOMPARE(dlg.m_iQuality, 1);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Image Quality Settings (anti-alias)"));
    dlg.m_iQuality = initial;
    bool checkedAsShown = false;
    test::WhenModal([&](QWidget* modal) {
      const QString shown = initial == 2 ? QStringLiteral("rad1054") : QStringLiteral("rad1053");
      checkedAsShown = modal->findChild<QRadioButton*>(shown)->isChecked();
      QTest::mouseClick(modal->findChild<QRadioButton*>(click), Qt::LeftButton);
      auto* buttons = modal->findChild<QDialogButtonBox*>();
      QTest::mouseClick(buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    const int code = dlg.exec();
    QVERIFY(checkedAsShown);
    QCOMPARE(code, ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (ok) QCOMPARE(dlg.m_iQuality, result);
  }

  void texts() {
    CQualityDlg dlg(nullptr);
    QCOMPARE(dlg.findChild<QRadioButton*>(QStringLiteral("rad1053"))->text(),
             QStringLiteral("&Normal quality (fastest and uses less memory)"));
    QCOMPARE(dlg.findChild<QRadioButton*>(QStringLiteral("rad1054"))->text(),
             QStringLiteral("&High quality (slowest and uses more memory)"));
  }
};

BRISOL_UI_TEST_MAIN(QualityDlgTest)
#include "QualityDlg_test.moc"
