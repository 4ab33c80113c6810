// The slider pairs and the dialog helpers: the pairs' arithmetic, what the
// user types read back, a value shown never read back, every refusal with
// its message.
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <clocale>

#include "ui/DlgHelpers.h"
#include "ui/NumberText.h"
#include "ui/SliderPair.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

namespace {

// A dialog with one slider and its edit, routing them like the panels do.
struct IntHarness {
  QDialog dialog;
  QSlider* slider = new QSlider(Qt::Horizontal, &dialog);
  QLineEdit* edit = new QLineEdit(&dialog);
  QString buddy;
  Cisp pair;
  std::vector<int> fromScroll, fromEdit;

  IntHarness() {
    QObject::connect(slider, &QAbstractSlider::actionTriggered, &dialog, [this] {
      pair.OnScroll();
      fromScroll.push_back(pair.GetIntVal());
    });
    QObject::connect(edit, &QLineEdit::textEdited, &dialog, [this] {
      if (pair.OnEditChange()) fromEdit.push_back(pair.GetIntVal());
    });
    QObject::connect(edit, &QLineEdit::editingFinished, &dialog, [this] { pair.ShowValueInUse(); });
  }
};

struct DoubleHarness {
  QDialog dialog;
  QSlider* slider = new QSlider(Qt::Horizontal, &dialog);
  QLineEdit* edit = new QLineEdit(&dialog);
  QString buddy;
  CDblSldrPair pair;
  std::vector<double> fromScroll, fromEdit;

  DoubleHarness() {
    QObject::connect(slider, &QAbstractSlider::actionTriggered, &dialog, [this] {
      pair.OnScroll();
      fromScroll.push_back(pair.GetVal());
    });
    QObject::connect(edit, &QLineEdit::textEdited, &dialog, [this] {
      if (pair.OnEditChange()) fromEdit.push_back(pair.GetVal());
    });
    QObject::connect(edit, &QLineEdit::editingFinished, &dialog, [this] { pair.ShowValueInUse(); });
  }
};

using test::TakeAlerts;
using test::Texts;

}  // namespace

class SliderPairTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { test::Alerts().Clear(); }

  void intInitShowsTheValue() {
    IntHarness h;
    QVERIFY(h.pair.Init(50, 1, 99, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(h.slider->minimum(), 1);
    QCOMPARE(h.slider->maximum(), 99);
    QCOMPARE(h.slider->value(), 50);
    QCOMPARE(h.edit->text(), QStringLiteral("50"));
    QCOMPARE(h.buddy, QStringLiteral("50"));
    QCOMPARE(h.pair.GetIntVal(), 50);
    QVERIFY(TakeAlerts().isEmpty());
  }

  void intTypedText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("white space removed") << QStringLiteral("  4 2") << 42;
    QTest::newRow("above the maximum") << QStringLiteral("150") << 99;
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("no number") << QStringLiteral("abc") << 1;
    QTest::newRow("number then junk") << QStringLiteral("7xyz") << 7;
    QTest::newRow("below the minimum") << QStringLiteral("-5") << 1;
    QTest::newRow("zero") << QStringLiteral("0") << 1;
    QTest::newRow("tab inside") << QStringLiteral("3\t3") << 33;
    QTest::newRow("plus sign") << QStringLiteral("+12") << 12;
    QTest::newRow("huge") << QStringLiteral("99999999") << 99;
  }
  void intTypedText() {
    QFETCH(QString, typed);
    QFETCH(int, stored);
    IntHarness h;
    h.edit->setMaxLength(8);
    QVERIFY(h.pair.Init(50, 1, 99, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, typed);
    QCOMPARE(h.pair.GetIntVal(), stored);
    QCOMPARE(h.slider->value(), stored);
    QCOMPARE(h.edit->text(), typed);  // the text is left as typed
    QVERIFY(TakeAlerts().isEmpty());
  }

  void intOutOfSixteenBitsLeavesTheSliderAlone() {
    IntHarness h;
    h.slider->setRange(0, 20);
    h.slider->setValue(7);
    h.edit->setText(QStringLiteral("seven"));
    QCOMPARE(h.pair.Init(5, 1, 32001, &h.buddy, h.edit, h.slider, &h.dialog).message(),
             "USP : min(1) max(32001) out of 16 bit slider range : \n");
    QCOMPARE(h.slider->maximum(), 20);
    QCOMPARE(h.slider->value(), 7);
    QCOMPARE(h.edit->text(), QStringLiteral("seven"));
  }

  void intRefusals_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no value") << 0 << QStringLiteral("USP m_piVal error.");
    QTest::newRow("no dialog") << 1 << QStringLiteral("USP : m_pDlg==NULL");
    QTest::newRow("no slider") << 2 << QStringLiteral("USP : m_pSld==NULL");
    QTest::newRow("no buddy") << 3 << QStringLiteral("USP : m_pcsBuddy==NULL");
    QTest::newRow("no edit") << 4 << QStringLiteral("USP : m_pcsBuddy==NULL");
    QTest::newRow("max not above min") << 5 << QStringLiteral("USP : min max errors : \n5 <= 5 ");
    QTest::newRow("below 16 bits") << 6 << QStringLiteral("USP : min(-32001) max(5) out of 16 bit slider range : \n");
    QTest::newRow("format without %") << 7 << QStringLiteral("Cisp::USP : Format error: <d>");
    QTest::newRow("format for doubles") << 8 << QStringLiteral("Cisp::USP : Format error: <%6.2f>");
    QTest::newRow("two conversions") << 9 << QStringLiteral("Cisp::USP : Format error: <%s%d>");
  }
  void intRefusals() {
    QFETCH(int, fault);
    QFETCH(QString, message);
    IntHarness h;
    int value = 3;
    int* pValue = fault == 0 ? nullptr : &value;
    QWidget* dlg = fault == 1 ? nullptr : &h.dialog;
    QSlider* slider = fault == 2 ? nullptr : h.slider;
    QString* buddy = fault == 3 ? nullptr : &h.buddy;
    QLineEdit* edit = fault == 4 ? nullptr : h.edit;
    const int min = fault == 5 ? 5 : fault == 6 ? -32001 : 1;
    const int max = 5;
    const char* format = fault == 7 ? "d" : fault == 8 ? "%6.2f" : fault == 9 ? "%s%d" : "%d";
    QCOMPARE(QString::fromStdString(h.pair.Init(pValue, min, max, buddy, edit, slider, dlg, format).message()),
             message);
    // What it was given is kept (the controls are not touched): the value
    // is the one bound, when one was.
    QCOMPARE(h.pair.GetIntVal(), fault == 0 ? 0 : 3);
    QCOMPARE(h.pair.Min(), min);
    QCOMPARE(h.pair.Max(), max);
    QCOMPARE(TakeAlerts(), fault == 0 ? Texts({"GetIntVal on empty Int Slider Pair"}) : QStringList());
    QCOMPARE(h.edit->text(), QString());
  }

  // Init from a value that fails still binds the pair to its copy.
  void aFailedInitFromAValueKeepsTheValue() {
    IntHarness h;
    QCOMPARE(h.pair.Init(77, 10, 5, &h.buddy, h.edit, h.slider, &h.dialog).message(),
             "USP : min max errors : \n5 <= 10 ");
    QCOMPARE(h.pair.GetIntVal(), 77);
    QCOMPARE(h.slider->maximum(), 99);  // the slider's own default, untouched
    DoubleHarness d;
    QCOMPARE(d.pair.Init(0.25, 1.0, 1.0, &d.buddy, d.edit, d.slider, &d.dialog, "%6.3f").message(),
             "Dsp5 :  1.000 <=  1.000 ");
    QCOMPARE(d.pair.GetVal(), 0.25);
    QVERIFY(d.edit->text().isEmpty());
    // The new format was taken too: a valid binding later keeps it.
    QVERIFY(d.pair.Init(0.25, 0.0, 1.0, &d.buddy, d.edit, d.slider, &d.dialog));
    QCOMPARE(d.edit->text(), QStringLiteral(" 0.250"));
  }

  void intScrollStoresAndShows() {
    IntHarness h;
    QVERIFY(h.pair.Init(50, 1, 99, &h.buddy, h.edit, h.slider, &h.dialog));
    test::DragTo(h.slider, 30);
    QCOMPARE(h.pair.GetIntVal(), 30);
    QCOMPARE(h.edit->text(), QStringLiteral("30"));
    // The text shown is not read back.
    QVERIFY(h.fromEdit.empty());
    QCOMPARE(h.fromScroll, std::vector<int>{30});
  }

  // Once the user is done with the edit, it shows the value in use.
  void theEditShowsTheValueInUseWhenDone_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no number") << QStringLiteral("abc") << QStringLiteral("1");
    QTest::newRow("beyond int") << QStringLiteral("99999999999") << QStringLiteral("10000");
    QTest::newRow("not a number") << QStringLiteral("nan") << QStringLiteral("1");
    QTest::newRow("infinite") << QStringLiteral("inf") << QStringLiteral("1");
    QTest::newRow("exponent") << QStringLiteral("1e30") << QStringLiteral("1");
    QTest::newRow("junk after") << QStringLiteral("  300x") << QStringLiteral("300");
  }
  void theEditShowsTheValueInUseWhenDone() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    IntHarness h;
    h.edit->setMaxLength(12);
    QVERIFY(h.pair.Init(50, 1, 10000, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, typed);
    QCOMPARE(h.edit->text(), typed);  // left alone while typing
    QTest::keyClick(h.edit, Qt::Key_Return);
    QCOMPARE(h.edit->text(), shown);
    QCOMPARE(QString::number(h.pair.GetIntVal()), shown);
  }

  void theDoubleEditShowsTheValueInUseWhenDone() {
    DoubleHarness h;
    QVERIFY(h.pair.Init(0.225, 0.0, 2.0, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, QStringLiteral("10.8"));
    QCOMPARE(h.pair.GetVal(), 2.0);
    QCOMPARE(h.edit->text(), QStringLiteral("10.8"));
    QTest::keyClick(h.edit, Qt::Key_Enter);
    QCOMPARE(h.edit->text(), QStringLiteral("  2.00"));
    QCOMPARE(h.pair.GetVal(), 2.0);
  }

  void intSetValShowsWithoutStoring() {
    IntHarness h;
    int bound = 40;
    QVERIFY(h.pair.Init(&bound, 1, 99, &h.buddy, h.edit, h.slider, &h.dialog));
    QObject::disconnect(h.edit, nullptr, &h.dialog, nullptr);
    h.pair.SetVal(200);
    QCOMPARE(h.slider->value(), 99);
    QCOMPARE(h.edit->text(), QStringLiteral("99"));
    QCOMPARE(bound, 40);
    h.pair.SetVal(-3);
    QCOMPARE(h.edit->text(), QStringLiteral("1"));
    QCOMPARE(bound, 40);
  }

  void intBoundToAVariable() {
    IntHarness h;
    int bound = 12;
    QVERIFY(h.pair.Init(&bound, 10, 400, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, QStringLiteral("321"));
    QCOMPARE(bound, 321);
  }

  void doubleScrollAtQuarter() {
    DoubleHarness h;
    QVERIFY(h.pair.Init(1.0, 0.0, 2.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(h.slider->maximum(), 10000);
    QCOMPARE(h.slider->value(), 5000);
    QCOMPARE(h.edit->text(), QStringLiteral("  1.00"));
    test::DragTo(h.slider, 2500);
    QCOMPARE(h.pair.GetVal(), 0.5);
    QCOMPARE(h.edit->text(), QStringLiteral("  0.50"));
  }

  void doubleSetValClamps() {
    DoubleHarness h;
    double bound = 10.0;
    QVERIFY(h.pair.Init(&bound, -180.0, 180.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(h.slider->value(), 5277);  // trunc(190 * 10000 / 360)
    QObject::disconnect(h.edit, nullptr, &h.dialog, nullptr);
    h.pair.SetVal(200.0);
    QCOMPARE(h.slider->value(), 10000);
    QCOMPARE(h.edit->text(), QStringLiteral("180.00"));
    QCOMPARE(bound, 10.0);
    QCOMPARE(h.pair.GetVal(), 10.0);
  }

  void doubleTypedText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("position");
    QTest::newRow("plain") << QStringLiteral("0.5") << 0.5 << 2500;
    QTest::newRow("as shown") << QStringLiteral("  0.50") << 0.5 << 2500;
    QTest::newRow("no number") << QStringLiteral("abc") << 0.0 << 0;
    QTest::newRow("empty") << QString() << 0.0 << 0;
    QTest::newRow("not a number") << QStringLiteral("nan") << 0.0 << 0;
    QTest::newRow("above") << QStringLiteral("5") << 2.0 << 10000;
    QTest::newRow("infinite") << QStringLiteral("inf") << 2.0 << 10000;
    QTest::newRow("below") << QStringLiteral("-1") << 0.0 << 0;
    QTest::newRow("number then junk") << QStringLiteral("1.5xy") << 1.5 << 7500;
    QTest::newRow("single precision") << QStringLiteral("0.1") << double(0.1f) << 500;
    QTest::newRow("exponent") << QStringLiteral("1e-1") << double(0.1f) << 500;
    QTest::newRow("comma is not a point") << QStringLiteral("1,5") << 1.0 << 5000;
  }
  void doubleTypedText() {
    QFETCH(QString, typed);
    QFETCH(double, stored);
    QFETCH(int, position);
    DoubleHarness h;
    h.edit->setMaxLength(10);
    QVERIFY(h.pair.Init(1.25, 0.0, 2.0, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, typed);
    QCOMPARE(h.pair.GetVal(), stored);
    QCOMPARE(h.slider->value(), position);
    QCOMPARE(h.edit->text(), typed);
  }

  void doubleNoNumberGivesTheMinimum() {
    DoubleHarness h;
    QVERIFY(h.pair.Init(0.0, -180.0, 180.0, &h.buddy, h.edit, h.slider, &h.dialog));
    test::TypeInto(h.edit, QStringLiteral("xyz"));
    QCOMPARE(h.pair.GetVal(), -180.0);
    QCOMPARE(h.slider->value(), 0);
  }

  // A drag step reaches the owner once, from the slider, with the slider's
  // exact value; the printed text is never read back.
  void doubleDragStepKeepsTheSlidersExactValue() {
    DoubleHarness h;
    QVERIFY(h.pair.Init(5.0, 0.1, 30.0, &h.buddy, h.edit, h.slider, &h.dialog));
    test::DragTo(h.slider, 1806);
    QCOMPARE(h.edit->text(), QStringLiteral("  5.50"));
    QVERIFY(h.fromEdit.empty());
    QCOMPARE(h.fromScroll.size(), std::size_t{1});
    QCOMPARE(h.fromScroll[0], 0.1 + 29.9 * 1806 * 0.0001);
    QCOMPARE(h.pair.GetVal(), 0.1 + 29.9 * 1806 * 0.0001);
  }

  // Setting a pair up shows its value and changes nothing: a value that
  // prints with fewer decimals keeps all of its own.
  void showingAValueNeverChangesIt() {
    DoubleHarness h;
    double bound = 0.225;
    QVERIFY(h.pair.Init(&bound, 0.0, 2.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(h.edit->text(), QStringLiteral("  0.23"));
    QCOMPARE(bound, 0.225);
    QVERIFY(h.fromEdit.empty());
    h.pair.ShowValueInUse();
    QCOMPARE(bound, 0.225);
  }

  void doubleSameTextRaisesNothing() {
    DoubleHarness h;
    QVERIFY(h.pair.Init(0.5, 0.0, 1.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QSignalSpy changes(h.edit, &QLineEdit::textChanged);
    QVERIFY(h.pair.Init(0.501, 0.0, 1.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(changes.count(), 0);
  }

  void doubleRefusals_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no value") << 0 << QStringLiteral("Dsp1 : pVal==NULL");
    QTest::newRow("no dialog") << 1 << QStringLiteral("Dsp2 : pDlg==NULL");
    QTest::newRow("no slider") << 2 << QStringLiteral("Dsp3 : pSld==NULL");
    QTest::newRow("no buddy") << 3 << QStringLiteral("Dsp4 : pcsBuddy==NULL");
    QTest::newRow("max not above min") << 4 << QStringLiteral("Dsp5 :  1.000 <=  2.000 ");
    QTest::newRow("format without %") << 5 << QStringLiteral("Dsp6 : Format=<6.2f>");
    QTest::newRow("format for ints") << 6 << QStringLiteral("Dsp:Format=<%6d>");
    QTest::newRow("infinite bound") << 7 << QStringLiteral("Dsp5 :    inf <=  0.000 ");
  }
  void doubleRefusals() {
    QFETCH(int, fault);
    QFETCH(QString, message);
    DoubleHarness h;
    double value = 0.5;
    double* pValue = fault == 0 ? nullptr : &value;
    QWidget* dlg = fault == 1 ? nullptr : &h.dialog;
    QSlider* slider = fault == 2 ? nullptr : h.slider;
    QString* buddy = fault == 3 ? nullptr : &h.buddy;
    const double min = fault == 4 ? 2.0 : 0.0;
    const double max = fault == 7 ? HUGE_VAL : 1.0;
    const char* format = fault == 5 ? "6.2f" : fault == 6 ? "%6d" : "%6.2f";
    QCOMPARE(QString::fromStdString(h.pair.Init(pValue, min, max, buddy, h.edit, slider, dlg, format).message()),
             message);
    QCOMPARE(h.pair.GetVal(), fault == 0 ? 0.0 : 0.5);
    QCOMPARE(TakeAlerts(), fault == 0 ? Texts({"GetVal on empty double slider pair"}) : QStringList());
    QVERIFY(h.edit->text().isEmpty());
  }

  void formatsIgnoreTheUsersLocale() {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
      if (std::setlocale(LC_NUMERIC, name) != nullptr) {
        german = name;
        break;
      }
    if (german == nullptr) QSKIP("no locale with a decimal comma installed");
    DoubleHarness h;
    QVERIFY(h.pair.Init(0.5, 0.0, 1.0, &h.buddy, h.edit, h.slider, &h.dialog));
    QCOMPARE(h.edit->text(), QStringLiteral("  0.50"));
    test::TypeInto(h.edit, QStringLiteral("0.75"));
    QCOMPARE(h.pair.GetVal(), 0.75);
    std::setlocale(LC_NUMERIC, previous.c_str());
  }

  void numberScanning_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("scans");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << QStringLiteral("42") << true << 42;
    QTest::newRow("leading blanks") << QStringLiteral("   7") << true << 7;
    QTest::newRow("negative") << QStringLiteral("-13x") << true << -13;
    QTest::newRow("letters") << QStringLiteral("x13") << false << 0;
    QTest::newRow("sign only") << QStringLiteral("-") << false << 0;
    QTest::newRow("beyond int") << QStringLiteral("99999999999") << true << INT_MAX;
    QTest::newRow("below int") << QStringLiteral("-99999999999") << true << INT_MIN;
  }
  void numberScanning() {
    QFETCH(QString, text);
    QFETCH(bool, scans);
    QFETCH(int, value);
    const std::optional<int> scanned = ScanInt(text);
    QCOMPARE(scanned.has_value(), scans);
    if (scans) QCOMPARE(*scanned, value);
  }

  void conversionsAreChecked_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("isD");
    QTest::addColumn<bool>("isF");
    QTest::newRow("%d") << QStringLiteral("%d") << true << false;
    QTest::newRow("%6.2f") << QStringLiteral("%6.2f") << false << true;
    QTest::newRow("%-8.3f") << QStringLiteral("%-8.3f") << false << true;
    QTest::newRow("%s%d") << QStringLiteral("%s%d") << false << false;
    QTest::newRow("%n%f") << QStringLiteral("%n%f") << false << false;
    QTest::newRow("%ld") << QStringLiteral("%ld") << false << false;
    QTest::newRow("empty") << QString() << false << false;
  }
  void conversionsAreChecked() {
    QFETCH(QString, format);
    QFETCH(bool, isD);
    QFETCH(bool, isF);
    QCOMPARE(IsSingleConversion(format.toStdString(), 'd'), isD);
    QCOMPARE(IsSingleConversion(format.toStdString(), 'f'), isF);
  }

  // --- dialog helpers ------------------------------------------------------------

  void controlTextIsFormatted() {
    QDialog dialog;
    auto* label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("txt1063"));
    SetControlTxt(&dialog, 1063, "%% of original");
    QCOMPARE(label->text(), QStringLiteral("% of original"));
    SetControlTxt(&dialog, 1063, "Width: %d pixels", 640);
    QCOMPARE(label->text(), QStringLiteral("Width: 640 pixels"));
    QVERIFY(TakeAlerts().isEmpty());

    SetControlTxt(&dialog, 1064, "x");
    SetControlTxt(nullptr, 7, "x");
    const std::string tooLong(5000, 'a');
    SetControlTxt(&dialog, 1063, "%s", tooLong.c_str());  // a long result is cut, not refused
    QCOMPARE(label->text().size(), 4999);
    SetControlTxt(&dialog, 1063, tooLong.c_str());
    QCOMPARE(label->text().size(), 4999);
    QCOMPARE(TakeAlerts(), Texts({"Bad Ctl pointer in\nSetControlTxt(1064)", "Bad Dlg pointer in \nSetControlTxt(7)",
                                  "PDIT called with long string"}));
  }

  void missingControlsAreReported() {
    QDialog dialog;
    auto* button = new QPushButton(&dialog);
    button->setObjectName(QStringLiteral("btn1065"));
    EnableDlgItemInput(&dialog, 1065, false);
    QVERIFY(!button->isEnabled());
    QVERIFY(TakeAlerts().isEmpty());
    EnableDlgItemInput(&dialog, 99, true);
    QImage canvas(10, 10, QImage::Format_RGB32);
    QPainter painter(&canvas);
    PaintColorRect(&dialog, 98, painter, RGB(1, 2, 3));
    const auto alerts = test::Alerts().Alerts();
    QCOMPARE(alerts.size(), std::size_t{2});
    QCOMPARE(alerts[0].text, std::string("EnableDlgItemInput(99,1) failed"));
    QCOMPARE(alerts[0].icon, int(kIconInformation));
    QCOMPARE(alerts[1].text, std::string("PaintColorRect 98 failed"));
    QCOMPARE(alerts[1].icon, int(kIconExclamation));
    QRect rect;
    QVERIFY(!ControlRect(&dialog, 98, rect));
  }

  void colorRectIsPainted() {
    QWidget dialog;
    dialog.resize(100, 80);
    auto* swatch = new QFrame(&dialog);
    swatch->setObjectName(QStringLiteral("swatch1053"));
    swatch->setGeometry(20, 10, 30, 20);
    QImage canvas(100, 80, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
      QPainter painter(&canvas);
      PaintColorRect(&dialog, 1053, painter, RGB(200, 10, 20));
    }
    QCOMPARE(canvas.pixel(20, 10), qRgb(200, 10, 20));
    QCOMPARE(canvas.pixel(49, 29), qRgb(200, 10, 20));
    QCOMPARE(canvas.pixel(50, 29), qRgb(255, 255, 255));
    QCOMPARE(canvas.pixel(19, 10), qRgb(255, 255, 255));
  }

  void colorPickOnlyStrictlyInside_data() {
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<bool>("opens");
    QTest::newRow("inside") << QPoint(30, 20) << true;
    QTest::newRow("one inside the corner") << QPoint(21, 11) << true;
    QTest::newRow("last pixel inside") << QPoint(49, 29) << true;
    QTest::newRow("left edge") << QPoint(20, 20) << false;
    QTest::newRow("top edge") << QPoint(30, 10) << false;
    QTest::newRow("right edge") << QPoint(50, 20) << false;
    QTest::newRow("bottom edge") << QPoint(30, 30) << false;
    QTest::newRow("outside") << QPoint(70, 70) << false;
  }
  void colorPickOnlyStrictlyInside() {
    QFETCH(QPoint, click);
    QFETCH(bool, opens);
    QWidget dialog;
    auto* swatch = new QFrame(&dialog);
    swatch->setObjectName(QStringLiteral("swatch1052"));
    swatch->setGeometry(20, 10, 30, 20);
    int asked = 0;
    COLORREF start = 0;
    const ColorChooser chooser = [&](QWidget*, COLORREF& c) {
      ++asked;
      start = c;
      c = RGB(9, 8, 7);
      return true;
    };
    COLORREF colour = RGB(1, 2, 3);
    QCOMPARE(PickColorOnClick(&dialog, 1052, click, colour, chooser), opens);
    QCOMPARE(asked, opens ? 1 : 0);
    QCOMPARE(colour, opens ? RGB(9, 8, 7) : RGB(1, 2, 3));
    if (opens) QCOMPARE(start, RGB(1, 2, 3));
  }

  void colorPickCancelledKeepsTheColour() {
    QWidget dialog;
    auto* swatch = new QFrame(&dialog);
    swatch->setObjectName(QStringLiteral("swatch1052"));
    swatch->setGeometry(0, 0, 30, 20);
    COLORREF colour = RGB(1, 2, 3);
    QVERIFY(!PickColorOnClick(&dialog, 1052, QPoint(5, 5), colour, [](QWidget*, COLORREF& c) {
      c = RGB(50, 50, 50);
      return false;
    }));
    QCOMPARE(colour, RGB(1, 2, 3));
  }

  // The platform's chooser starts from the colour and gives what was chosen.
  void colorDialogStartsFromTheColour() {
    QColor shown;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QColorDialog*>(modal);
      QVERIFY(dialog != nullptr);
      shown = dialog->currentColor();
      dialog->setCurrentColor(QColor(10, 20, 30));
      dialog->accept();
    });
    COLORREF colour = RGB(200, 100, 50);
    QVERIFY(ChooseColorWithDialog(nullptr, colour));
    QCOMPARE(shown, QColor(200, 100, 50));
    QCOMPARE(colour, RGB(10, 20, 30));

    test::WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QVERIFY(!ChooseColorWithDialog(nullptr, colour));
    QCOMPARE(colour, RGB(10, 20, 30));
  }
};

BRISOL_UI_TEST_MAIN(SliderPairTest)
#include "SliderPair_test.moc"
