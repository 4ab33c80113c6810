// The "Coloring and Mixing" panel: colour sources and their swatches, the
// mix geometries with their default values and prompts, the reset button.
#include <QLabel>
#include <QPushButton>

#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "ui/ColMixDlg.h"
#include "ui/DlgHelpers.h"
#include "ui/NumberText.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

namespace {

const EffectParam& Param(const char* key) { return *FindEffectParam(key); }

QString Desc(const char* (*desc)(int), int value) { return QString::fromLatin1(desc(value)); }

}  // namespace

class ColMixDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<CColMixDlg> dlg;
  std::unique_ptr<CEffect> effect;
  test::CountingDocument doc;
  int chooserCalls = 0;
  COLORREF chooserAnswer = RGB(12, 34, 56);

  QSlider* Slider(int id) { return dlg->findChild<QSlider*>(QStringLiteral("sld%1").arg(id)); }
  QLineEdit* Edit(int id) { return dlg->findChild<QLineEdit*>(QStringLiteral("edt%1").arg(id)); }
  QComboBox* Combo(int id) { return dlg->findChild<QComboBox*>(QStringLiteral("cmb%1").arg(id)); }
  QString Prompt(int id) { return dlg->findChild<QLabel*>(QStringLiteral("txt%1").arg(id))->text(); }
  QRect SwatchRect(int id) {
    QRect rect;
    ControlRect(dlg.get(), id, rect);
    return rect;
  }
  QImage Shot() { return dlg->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // Types into an edit, presses Return and checks what it then shows.
  void TypeAndCheck(int edit, const QString& typed, const QString& shown) {
    test::TypeInto(Edit(edit), typed);
    QTest::keyClick(Edit(edit), Qt::Key_Return);
    QCOMPARE(Edit(edit)->text(), shown);
  }
  void ClickAt(int swatch, QPoint offset) {
    QWidget* frame = FindControl(dlg.get(), swatch);
    QTest::mouseClick(frame, Qt::LeftButton, {}, offset);
  }

 private slots:
  void init() {
    test::Alerts().Clear();
    dlg = std::make_unique<CColMixDlg>(nullptr);
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    effect = std::make_unique<CEffect>();
    doc = {};
    chooserCalls = 0;
    dlg->SetColorChooser([this](QWidget*, COLORREF& colour) {
      ++chooserCalls;
      colour = chooserAnswer;
      return true;
    });
  }
  void cleanup() {
    dlg.reset();
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  void controlsAsBuilt() {
    QCOMPARE(dlg->objectName(), QStringLiteral("COLMIXDLG"));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Coloring and Mixing"));
    // Sorted colour sources with enumerator 0 selected; background 1.
    for (int id : {1040, 1043}) {
      QCOMPARE(Combo(id)->count(), 3);
      QCOMPARE(Combo(id)->itemText(0), QStringLiteral("A single color"));
      QCOMPARE(Combo(id)->itemText(1), QStringLiteral("Colors from original image"));
      QCOMPARE(Combo(id)->itemText(2), QStringLiteral("Random colors"));
      QCOMPARE(Combo(id)->currentText(), Desc(GetColSrcDesc, 0));
    }
    QCOMPARE(Combo(1050)->itemText(0), QStringLiteral("Original Image"));
    QCOMPARE(Combo(1050)->currentText(), Desc(GetBkgTypeDesc, 1));
    // The geometries in enumerator order.
    QCOMPARE(Combo(1058)->count(), ikNumMixGeoms);
    for (int i = 0; i < ikNumMixGeoms; ++i) QCOMPARE(Combo(1058)->itemText(i), Desc(GetMixGeomDesc, i));
    QCOMPARE(Combo(1058)->currentIndex(), 0);
    for (int id : {1045, 1047, 1048}) QCOMPARE(Edit(id)->maxLength(), 10);
    for (int id : {1060, 1062}) QCOMPARE(Edit(id)->maxLength(), 8);
    QCOMPARE(dlg->findChild<QPushButton*>(QStringLiteral("btn1065"))->text(),
             QStringLiteral("Reset to Normal Settings"));
  }

  void loadingShowsTheEffect() {
    effect->SetSolidColSrc(eColSrcSingle);
    effect->SetLineColSrc(eColSrcRandom);
    effect->SetBkg(eBkgSolid);
    effect->SetMixGeom(eMixRectFrame);
    effect->SetMixSharpness(33);
    effect->SetMixVisible(66);
    effect->SetLineWidth(1.5);
    dlg->SetEffect(&doc, effect.get());
    QCOMPARE(Combo(1040)->currentText(), QStringLiteral("A single color"));
    QCOMPARE(Combo(1043)->currentText(), QStringLiteral("Random colors"));
    QCOMPARE(Combo(1050)->currentText(), QStringLiteral("Single Solid Color"));
    QCOMPARE(Combo(1058)->currentText(), QStringLiteral("Rectangular Frame"));
    QCOMPARE(Slider(1059)->value(), 33);
    QCOMPARE(Edit(1060)->text(), QStringLiteral("33"));
    QCOMPARE(Slider(1061)->value(), 66);
    QCOMPARE(Edit(1048)->text(), QStringLiteral("  1.50"));
    QCOMPARE(Slider(1049)->value(), 7500);
    QCOMPARE(Prompt(1063), QStringLiteral("mix sharpness(%)"));
    QCOMPARE(Prompt(1064), QStringLiteral("Original image visible(%)"));
    QVERIFY(doc.calls >= 1);
  }

  void randomColoursCrossOutTheSwatch() {
    effect->SetSolidColSrc(eColSrcSingle);
    effect->SetSolidColor(RGB(250, 0, 0));
    dlg->SetEffect(&doc, effect.get());
    QVERIFY(Slider(1044)->isEnabled());
    const QRect swatch = SwatchRect(1053);
    QCOMPARE(QColor(Shot().pixel(swatch.center())), QColor(250, 0, 0));

    test::Choose(Combo(1040), QStringLiteral("Random colors"));
    QCOMPARE(effect->GetSolidColSrc(), int(eColSrcRandom));
    QVERIFY(!Slider(1044)->isEnabled());
    QVERIFY(!Edit(1045)->isEnabled());
    const QImage shot = Shot();
    const QColor face = dlg->palette().button().color();
    const QColor ink = dlg->palette().windowText().color();
    // Button face inside, the two diagonals drawn over it.
    QCOMPARE(QColor(shot.pixel(swatch.left() + 3, swatch.center().y())), face);
    const int w = swatch.width(), h = swatch.height();
    const QPoint onDiagonal(swatch.left() + w / 2, swatch.top() + 1 + (h - 2) * (w / 2) / (w - 1));
    bool inked = false;
    for (int dy = -1; dy <= 1; ++dy) inked |= QColor(shot.pixel(onDiagonal + QPoint(0, dy))) == ink;
    QVERIFY(inked);
  }

  void enablingAgreesWithTheParameters_data() {
    QTest::addColumn<int>("solid");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("geometry");
    for (int s = 0; s < ikNumColSrcs; ++s)
      for (int l = 0; l < ikNumColSrcs; ++l)
        for (int b = 0; b < ikNumBkgTypes; ++b)
          for (int g : {int(eMixOff), int(eMixEven), int(eMixCircVignette)})
            QTest::addRow("%d %d %d %d", s, l, b, g) << s << l << b << g;
  }
  void enablingAgreesWithTheParameters() {
    QFETCH(int, solid);
    QFETCH(int, line);
    QFETCH(int, background);
    QFETCH(int, geometry);
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1040), Desc(GetColSrcDesc, solid));
    test::Choose(Combo(1043), Desc(GetColSrcDesc, line));
    test::Choose(Combo(1050), Desc(GetBkgTypeDesc, background));
    test::Choose(Combo(1058), Desc(GetMixGeomDesc, geometry));
    QCOMPARE(effect->GetSolidColSrc(), solid);
    QCOMPARE(effect->GetLineColSrc(), line);
    QCOMPARE(effect->GetBkgType(), background);
    QCOMPARE(effect->GetMix().m_eGeom, geometry);
    struct Control {
      const char* key;
      int slider, edit;
    };
    for (const Control& c : {Control{"fill-var", 1044, 1045}, Control{"line-var", 1046, 1047},
                             Control{"mix-sharpness", 1059, 1060}, Control{"mix-visible", 1061, 1062}}) {
      const bool active = Param(c.key).inactiveBecause(*effect) == nullptr;
      QCOMPARE(Slider(c.slider)->isEnabled(), active);
      QCOMPARE(Edit(c.edit)->isEnabled(), active);
    }
    // As described: a variation is off for random colours (2), sharpness
    // for no mix (0), visibility for no mix and an even one (1).
    QCOMPARE(Slider(1044)->isEnabled(), solid != 2);
    QCOMPARE(Slider(1046)->isEnabled(), line != 2);
    QCOMPARE(Slider(1059)->isEnabled(), geometry != 0);
    QCOMPARE(Slider(1061)->isEnabled(), geometry != 0 && geometry != 1);
    QVERIFY(Slider(1049)->isEnabled());
    // A swatch opens the chooser exactly when its colour is used.
    struct Swatch {
      const char* key;
      int id;
    };
    for (const Swatch& s : {Swatch{"background-color", 1052}, Swatch{"line-color", 1054}, Swatch{"fill-color", 1053}}) {
      const int before = chooserCalls;
      ClickAt(s.id, QPoint(5, 5));
      const bool active = Param(s.key).inactiveBecause(*effect) == nullptr;
      QCOMPARE(chooserCalls - before, active ? 1 : 0);
      // As described: the background swatch for a solid background (0),
      // the others for a single colour (1).
      const bool described = s.id == 1052 ? background == 0 : (s.id == 1054 ? line : solid) == 1;
      QCOMPARE(active, described);
    }
  }

  // The rows' ranges, formats and labels as the panel's description gives
  // them, written out here, and the table the panel reads agreeing.
  void rowsAsDescribed_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("edit");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("label");
    QTest::newRow("solid variation") << "fill-var" << 1044 << 1045 << 0.0 << 1.0 << "%6.2f"
                                     << "Variation in Solid Colors";
    QTest::newRow("outline variation") << "line-var" << 1046 << 1047 << 0.0 << 1.0 << "%6.2f"
                                       << "Variation in Outline Colors";
    QTest::newRow("line width") << "line-width" << 1049 << 1048 << 0.0 << 2.0 << "%6.2f"
                                << "Line Width";
    QTest::newRow("sharpness") << "mix-sharpness" << 1059 << 1060 << 1.0 << 99.0 << "%d"
                               << "mix sharpness(%)";
    QTest::newRow("visible") << "mix-visible" << 1061 << 1062 << 1.0 << 99.0 << "%d"
                             << "Original image visible(%)";
  }
  void rowsAsDescribed() {
    QFETCH(QString, key);
    QFETCH(int, slider);
    QFETCH(int, edit);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QString, format);
    QFETCH(QString, label);
    const EffectParam& p = Param(key.toLatin1().constData());
    QCOMPARE(p.panelMin, min);
    QCOMPARE(p.panelMax, max);
    QCOMPARE(QString::fromLatin1(p.format), format);
    QCOMPARE(QString::fromLatin1(p.label.data(), int(p.label.size())).trimmed(), label);
    effect->SetMixGeom(eMixCircVignette);
    dlg->SetEffect(&doc, effect.get());
    if (format == "%d") {
      QCOMPARE(Slider(slider)->minimum(), int(min));
      QCOMPARE(Slider(slider)->maximum(), int(max));
      TypeAndCheck(edit, "0", QString::number(int(min)));
      TypeAndCheck(edit, "100", QString::number(int(max)));
    } else {
      QCOMPARE(Slider(slider)->maximum(), 10000);
      TypeAndCheck(edit, "-5", FormatDouble(format.toStdString(), min));
      TypeAndCheck(edit, "50", FormatDouble(format.toStdString(), max));
    }
    // Each slider is named by a label beside it.
    bool labelled = false;
    for (QLabel* l : dlg->findChildren<QLabel*>())
      labelled = labelled || (l->buddy() == Edit(edit) && l->text() == label);
    QVERIFY2(labelled, qPrintable(label));
  }

  void geometryBringsItsDefaults_data() {
    QTest::addColumn<int>("geometry");
    QTest::addColumn<int>("sharpness");
    QTest::addColumn<int>("visible");
    QTest::newRow("Off") << int(eMixOff) << 33 << 44;
    QTest::newRow("Even") << int(eMixEven) << 10 << 44;
    for (int g :
         {eMixLeftRight, eMixRightLeft, eMixTopBottom, eMixBottomTop, eMixCircInOut, eMixCircVignette, eMixRectInOut})
      QTest::newRow(GetMixGeomDesc(g)) << g << 60 << 50;
    QTest::newRow("Elliptical In-Out") << int(eMixEllipInOut) << 80 << 55;
    QTest::newRow("Elliptical Vignette") << int(eMixEllipVignette) << 75 << 42;
    QTest::newRow("Rectangular Frame") << int(eMixRectFrame) << 50 << 70;
  }
  void geometryBringsItsDefaults() {
    QFETCH(int, geometry);
    QFETCH(int, sharpness);
    QFETCH(int, visible);
    effect->SetMixGeom(eMixCircInOut);
    effect->SetMixSharpness(33);
    effect->SetMixVisible(44);
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    test::Choose(Combo(1058), Desc(GetMixGeomDesc, geometry));
    QCOMPARE(effect->GetMix().m_eGeom, geometry);
    QCOMPARE(effect->GetMix().m_iSharpness, sharpness);
    QCOMPARE(effect->GetMix().m_iVisible, visible);
    QCOMPARE(Slider(1059)->value(), sharpness);
    QCOMPARE(Slider(1061)->value(), visible);
    QVERIFY(doc.calls >= 2);
  }

  void ellipticalVignetteThenEven() {
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1058), QStringLiteral("Elliptical Vignette"));
    QCOMPARE(Slider(1059)->value(), 75);
    QCOMPARE(Slider(1061)->value(), 42);
    QVERIFY(Slider(1061)->isEnabled());
    test::Choose(Combo(1058), QStringLiteral("Even"));
    QCOMPARE(Slider(1059)->value(), 10);
    QCOMPARE(Slider(1061)->value(), 42);
    QVERIFY(Slider(1059)->isEnabled());
    QVERIFY(!Slider(1061)->isEnabled());
    QVERIFY(!Edit(1062)->isEnabled());
    QCOMPARE(Prompt(1063), QStringLiteral("% of original"));
    QCOMPARE(Prompt(1064), QString());
  }

  void offDisablesBothAndKeepsTheValues() {
    effect->SetMixGeom(eMixRectFrame);
    effect->SetMixSharpness(22);
    effect->SetMixVisible(77);
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1058), QStringLiteral("Off (No Mix)"));
    for (int id : {1059, 1061}) QVERIFY(!Slider(id)->isEnabled());
    for (int id : {1060, 1062}) QVERIFY(!Edit(id)->isEnabled());
    QCOMPARE(effect->GetMix().m_iSharpness, 22);
    QCOMPARE(effect->GetMix().m_iVisible, 77);
    QCOMPARE(Slider(1059)->value(), 22);
    QCOMPARE(Slider(1061)->value(), 77);
  }

  void mixEditsKeepWithinOneAndNinetyNine_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("sharpness 0") << 1060 << QStringLiteral("0") << 1;
    QTest::newRow("sharpness 100") << 1060 << QStringLiteral("100") << 99;
    QTest::newRow("visible 0") << 1062 << QStringLiteral("0") << 1;
    QTest::newRow("visible 100") << 1062 << QStringLiteral("100") << 99;
    QTest::newRow("visible 37") << 1062 << QStringLiteral("37") << 37;
  }
  void mixEditsKeepWithinOneAndNinetyNine() {
    QFETCH(int, edit);
    QFETCH(QString, typed);
    QFETCH(int, stored);
    effect->SetMixGeom(eMixCircVignette);
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    test::TypeInto(Edit(edit), typed);
    const CImageMix& mix = effect->GetMix();
    QCOMPARE(edit == 1060 ? mix.m_iSharpness : mix.m_iVisible, stored);
    QCOMPARE(doc.calls, 1);
  }

  void slidersReachTheEffect() {
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    test::DragTo(Slider(1049), 5000);
    QCOMPARE(effect->GetLineWidth(), 1.0);
    test::DragTo(Slider(1046), 2500);
    QCOMPARE(effect->GetLineColVar(), 0.25);
    test::DragTo(Slider(1059), 40);
    QCOMPARE(effect->GetMix().m_iSharpness, 40);
    QVERIFY(doc.calls >= 3);
  }

  void backgroundSwatchWithOriginalImageDoesNothing() {
    dlg->SetEffect(&doc, effect.get());
    QCOMPARE(effect->GetBkgType(), int(eBkgOriginal));
    doc.calls = 0;
    ClickAt(1052, QPoint(5, 5));
    QCOMPARE(chooserCalls, 0);
    QCOMPARE(doc.calls, 0);
    QCOMPARE(effect->GetBkgColor(), CEffect::kDefaultBkgColor);

    test::Choose(Combo(1050), QStringLiteral("Single Solid Color"));
    doc.calls = 0;
    ClickAt(1052, QPoint(5, 5));
    QCOMPARE(chooserCalls, 1);
    QCOMPARE(effect->GetBkgColor(), chooserAnswer);
    QCOMPARE(doc.calls, 1);
    QCOMPARE(QColor(Shot().pixel(SwatchRect(1052).center())), QColor(12, 34, 56));
  }

  void clickOnTheSwatchEdgeDoesNothing() {
    effect->SetLineColSrc(eColSrcSingle);
    dlg->SetEffect(&doc, effect.get());
    ClickAt(1054, QPoint(0, 5));
    QCOMPARE(chooserCalls, 0);
    ClickAt(1054, QPoint(1, 1));
    QCOMPARE(chooserCalls, 1);
    QCOMPARE(effect->GetLineColor(), chooserAnswer);
  }

  void resetBringsTheNormalMix() {
    effect->SetSolidColVar(0.9);
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1058), QStringLiteral("Rectangular Frame"));
    QCOMPARE(effect->GetMix().m_iVisible, 70);
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btn1065")), Qt::LeftButton);
    QCOMPARE(effect->GetMix().m_eGeom, int(Param("mix").defaultValue));
    QCOMPARE(effect->GetMix().m_iSharpness, int(Param("mix-sharpness").defaultValue));
    QCOMPARE(effect->GetMix().m_iVisible, 70);  // nothing else is reset
    QCOMPARE(effect->GetSolidColVar(), 0.9);    // showing it again changed nothing
    QCOMPARE(Combo(1058)->currentText(), QStringLiteral("Even"));
    QCOMPARE(Slider(1059)->value(), 10);
  }

  // A combo box without a selection falls back to the first enumerator.
  void unreadableCombosAreReported_data() {
    QTest::addColumn<int>("combo");
    QTest::addColumn<QString>("message");
    QTest::newRow("solid") << 1040 << QStringLiteral("Could not get SolSrc string from CB");
    QTest::newRow("outline") << 1043 << QStringLiteral("Could not get SolSrc string from CB");
    QTest::newRow("background") << 1050 << QStringLiteral("Could not get BkgType string from CB");
    QTest::newRow("geometry") << 1058 << QStringLiteral("GetImageMixGeomFromCb: Could not get string selection");
  }
  void unreadableCombosAreReported() {
    QFETCH(int, combo);
    QFETCH(QString, message);
    effect->SetSolidColSrc(eColSrcRandom);
    effect->SetLineColSrc(eColSrcRandom);
    effect->SetBkg(eBkgOriginal);
    effect->SetMixGeom(eMixRectFrame);
    dlg->SetEffect(&doc, effect.get());
    Combo(combo)->setCurrentIndex(-1);
    emit Combo(combo)->activated(-1);
    QCOMPARE(test::TakeAlerts().value(0), message);
    test::Alerts().Clear();
    switch (combo) {
      case 1040:
        QCOMPARE(effect->GetSolidColSrc(), 0);
        break;
      case 1043:
        QCOMPARE(effect->GetLineColSrc(), 0);
        break;
      case 1050:
        QCOMPARE(effect->GetBkgType(), 0);
        break;
      default:
        QCOMPARE(effect->GetMix().m_eGeom, 0);
        break;
    }
  }

  void initWithoutBindingIsReported() {
    dlg->InitFromCurrentEffect();
    QCOMPARE(test::Alerts().Texts(), std::vector<std::string>{"InitFromCurrentEffect NULL m_pEffect or m_pBrisolDoc"});
    test::Alerts().Clear();
  }

  void unboundPanelChangesNothing() {
    dlg->SetEffect(&doc, effect.get());
    dlg->SetEffect(nullptr, nullptr);
    doc.calls = 0;
    test::TypeInto(Edit(1048), QStringLiteral("1.9"));
    test::DragTo(Slider(1059), 70);
    test::Choose(Combo(1058), QStringLiteral("Rectangular Frame"));
    QCOMPARE(effect->GetLineWidth(), 0.225);  // the binding read nothing back
    QCOMPARE(effect->GetMix().m_eGeom, int(eMixEven));
    QCOMPARE(doc.calls, 0);
  }
};

BRISOL_UI_TEST_MAIN(ColMixDlgTest)
#include "ColMixDlg_test.moc"
