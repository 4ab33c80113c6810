// The "Size, Number and Angle" panel: loading, enabling, typing and
// dragging, and what reaches the effect and the document.
#include <QLabel>
#include <cmath>

#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "ui/NumberText.h"
#include "ui/ParamDlg.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

namespace {

struct Row {
  const char* key;
  int slider, edit;
  // What the panel's description gives each row, written out here rather
  // than taken from the table the panel reads.
  double min, max;
  const char* format;
  const char* label;
};
// The panel's slider rows.
constexpr Row kRows[] = {{"size", 1015, 1016, 0.1, 30.0, "%6.2f", "Size"},
                         {"size-var", 1019, 1020, 0.0, 1.0, "%6.2f", "Size Variation"},
                         {"objects", 1029, 1030, 0, 10000, "%d", "Number of Objects"},
                         {"area", 1035, 1036, 0.0, 100.0, "%6.2f", "Area Covered"},
                         {"angle", 1023, 1024, -180.0, 180.0, "%6.2f", "Angle"},
                         {"angle-var", 1027, 1028, -180.0, 180.0, "%6.2f", "Variation"}};

const EffectParam& Param(const char* key) { return *FindEffectParam(key); }

}  // namespace

class ParamDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<CParamDlg> dlg;
  std::unique_ptr<CEffect> effect;
  test::CountingDocument doc;

  QSlider* Slider(int id) { return dlg->findChild<QSlider*>(QStringLiteral("sld%1").arg(id)); }
  QLineEdit* Edit(int id) { return dlg->findChild<QLineEdit*>(QStringLiteral("edt%1").arg(id)); }
  QComboBox* Combo(int id) { return dlg->findChild<QComboBox*>(QStringLiteral("cmb%1").arg(id)); }

 private slots:
  void init() {
    test::Alerts().Clear();
    dlg = std::make_unique<CParamDlg>(nullptr);
    effect = std::make_unique<CEffect>();
    doc = {};
  }
  void cleanup() {
    dlg.reset();
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  void namesAndTitle() {
    QCOMPARE(dlg->objectName(), QStringLiteral("PARAMDLG"));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Size, Number and Angle"));
    QVERIFY(dlg->windowFlags() & Qt::Tool);
    QVERIFY(!dlg->isVisible());
    for (const Row& row : kRows) {
      QVERIFY(Slider(row.slider) != nullptr);
      QVERIFY(Edit(row.edit) != nullptr);
      QCOMPARE(Edit(row.edit)->maxLength(), 10);
    }
    for (int id : {1037, 1038, 1039}) {
      QComboBox* combo = Combo(id);
      QCOMPARE(combo->count(), 3);
      QCOMPARE(combo->itemText(0), QStringLiteral("depends on image"));
      QCOMPARE(combo->itemText(1), QStringLiteral("depends on opposite of image"));
      QCOMPARE(combo->itemText(2), QStringLiteral("is random"));
      QCOMPARE(combo->currentIndex(), 0);
    }
  }

  // Every row shows the table's range, format and the effect's value.
  void rowsFollowTheTable_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kRows)); ++i) QTest::newRow(kRows[i].key) << i;
  }
  void rowsFollowTheTable() {
    QFETCH(int, row);
    const Row& r = kRows[row];
    const EffectParam& p = Param(r.key);
    // The table holds the panel's ranges, formats and labels as described.
    QCOMPARE(p.panelMin, r.min);
    QCOMPARE(p.panelMax, r.max);
    QCOMPARE(QString::fromLatin1(p.format), QString::fromLatin1(r.format));
    QCOMPARE(QString::fromLatin1(p.label.data(), int(p.label.size())).trimmed(), QString::fromLatin1(r.label));
    bool labelled = false;
    for (QLabel* l : dlg->findChildren<QLabel*>())
      labelled = labelled || (l->buddy() == Edit(r.edit) && l->text() == r.label);
    QVERIFY2(labelled, r.label);

    dlg->SetEffect(&doc, effect.get());
    const double value = p.get(*effect);
    if (p.kind == ParamKind::Count) {
      QCOMPARE(Slider(r.slider)->minimum(), int(r.min));
      QCOMPARE(Slider(r.slider)->maximum(), int(r.max));
      QCOMPARE(Slider(r.slider)->value(), int(value));
      QCOMPARE(Edit(r.edit)->text(), FormatInt(r.format, int(value)));
    } else {
      QCOMPARE(Slider(r.slider)->maximum(), 10000);
      QCOMPARE(Slider(r.slider)->value(), int(std::trunc((value - r.min) * 10000 / (r.max - r.min))));
      QCOMPARE(Edit(r.edit)->text(), FormatDouble(r.format, value));
    }
  }

  void loadingSelectsTheReactions_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("number");
    QTest::newRow("0 1 2") << 0 << 1 << 2;
    QTest::newRow("2 0 1") << 2 << 0 << 1;
    QTest::newRow("1 2 0") << 1 << 2 << 0;
  }
  void loadingSelectsTheReactions() {
    QFETCH(int, size);
    QFETCH(int, angle);
    QFETCH(int, number);
    effect->SetSizeReaction(size);
    effect->SetAngleReaction(angle);
    effect->SetNumObjReaction(number);
    dlg->SetEffect(&doc, effect.get());
    QCOMPARE(Combo(1037)->currentText(), QString::fromLatin1(GetReactionDesc(size)));
    QCOMPARE(Combo(1038)->currentText(), QString::fromLatin1(GetReactionDesc(angle)));
    QCOMPARE(Combo(1039)->currentText(), QString::fromLatin1(GetReactionDesc(number)));
    QVERIFY(doc.calls >= 1);
    QCOMPARE(doc.forced, 0);
  }

  void angleControlsFollowTheAngleReaction() {
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1038), QStringLiteral("is random"));
    QCOMPARE(effect->GetAngleReaction(), int(eReactRandom));
    for (int id : {1023, 1027}) QVERIFY(!Slider(id)->isEnabled());
    for (int id : {1024, 1028}) QVERIFY(!Edit(id)->isEnabled());
    QVERIFY(!Edit(1024)->toolTip().isEmpty());
    test::Choose(Combo(1038), QStringLiteral("depends on image"));
    QCOMPARE(effect->GetAngleReaction(), int(eReactImage));
    for (int id : {1023, 1027}) QVERIFY(Slider(id)->isEnabled());
    for (int id : {1024, 1028}) QVERIFY(Edit(id)->isEnabled());
  }

  // The enabling agrees with the parameters' own account of when they matter.
  void enablingAgreesWithTheParameters_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("number");
    for (int s = 0; s < 3; ++s)
      for (int a = 0; a < 3; ++a)
        for (int n = 0; n < 3; ++n) QTest::addRow("%d %d %d", s, a, n) << s << a << n;
  }
  void enablingAgreesWithTheParameters() {
    QFETCH(int, size);
    QFETCH(int, angle);
    QFETCH(int, number);
    dlg->SetEffect(&doc, effect.get());
    test::Choose(Combo(1037), QString::fromLatin1(GetReactionDesc(size)));
    test::Choose(Combo(1038), QString::fromLatin1(GetReactionDesc(angle)));
    test::Choose(Combo(1039), QString::fromLatin1(GetReactionDesc(number)));
    QCOMPARE(effect->GetSizeReaction(), size);
    QCOMPARE(effect->GetAngleReaction(), angle);
    QCOMPARE(effect->GetNumObjReaction(), number);
    for (const Row& row : kRows) {
      const auto why = Param(row.key).inactiveBecause;
      const bool active = why == nullptr || why(*effect) == nullptr;
      QCOMPARE(Slider(row.slider)->isEnabled(), active);
      QCOMPARE(Edit(row.edit)->isEnabled(), active);
    }
    // As described: the area follows the number's reaction, both angles the
    // angle's; size and number are always there. ("is random" is 2.)
    for (const Row& row : kRows) {
      bool expected = true;
      if (std::string(row.key) == "area") expected = number != 2;
      if (std::string(row.key) == "angle" || std::string(row.key) == "angle-var") expected = angle != 2;
      QCOMPARE(Slider(row.slider)->isEnabled(), expected);
    }
  }

  void unreadableReactionIsReported() {
    effect->SetAngleReaction(eReactRandom);
    dlg->SetEffect(&doc, effect.get());
    Combo(1038)->setCurrentIndex(-1);
    emit Combo(1038)->activated(-1);
    QCOMPARE(test::TakeAlerts(), QStringList{QStringLiteral("Could not get reaction selection")});
    QCOMPARE(effect->GetAngleReaction(), 0);
    QVERIFY(Slider(1023)->isEnabled());
  }

  void typedSizeIsClamped() {
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    test::TypeInto(Edit(1016), QStringLiteral("45"));
    QCOMPARE(effect->GetSize(), 30.0);
    QCOMPARE(Slider(1015)->value(), 10000);
    QCOMPARE(Edit(1016)->text(), QStringLiteral("45"));
    QVERIFY(doc.calls >= 1);
  }

  void smallSizeVariationIsStoredQuietly() {
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    test::TypeInto(Edit(1020), QStringLiteral("0.05"));
    QCOMPARE(effect->GetSizeVar(), double(0.05f));
    QCOMPARE(doc.calls, 0);
    test::TypeInto(Edit(1020), QStringLiteral("0.5"));
    QCOMPARE(effect->GetSizeVar(), 0.5);
    QCOMPARE(doc.calls, 1);
  }

  void draggingRedrawsAtEveryStep() {
    dlg->SetEffect(&doc, effect.get());
    doc.calls = 0;
    int steps = 0;
    for (int position = 100; position <= 900; position += 100) {
      const int before = doc.calls;
      test::DragTo(Slider(1019), position);
      ++steps;
      QVERIFY2(doc.calls > before, qPrintable(QString::number(position)));
      // The slider's own value, not its printed text.
      QCOMPARE(effect->GetSizeVar(), position * 0.0001);
      QCOMPARE(Edit(1020)->text(), FormatC("%6.2f", position * 0.0001));
    }
    QVERIFY(doc.calls >= steps);
  }

  void everyRowReachesTheEffect_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::newRow("size") << 0 << QStringLiteral("12.5") << 12.5;
    QTest::newRow("size below") << 0 << QStringLiteral("0") << double(0.1f);
    QTest::newRow("size var") << 1 << QStringLiteral("0.75") << 0.75;
    QTest::newRow("objects") << 2 << QStringLiteral("1234") << 1234.0;
    QTest::newRow("objects above") << 2 << QStringLiteral("20000") << 10000.0;
    QTest::newRow("area") << 3 << QStringLiteral("25") << 25.0;
    QTest::newRow("angle") << 4 << QStringLiteral("-90") << -90.0;
    QTest::newRow("angle var") << 5 << QStringLiteral("200") << 180.0;
  }
  void everyRowReachesTheEffect() {
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    dlg->SetEffect(&doc, effect.get());
    test::TypeInto(Edit(kRows[row].edit), typed);
    QCOMPARE(Param(kRows[row].key).get(*effect), stored);
  }

  // A drag of one slider writes every row's slider value into the effect.
  void scrollWritesEveryRow() {
    effect->SetAngleVar(10.0);
    dlg->SetEffect(&doc, effect.get());
    test::DragTo(Slider(1029), 500);
    QCOMPARE(effect->GetNumObjects(), 500u);
    // The angle variation now holds its slider position's value.
    const int position = Slider(1027)->value();
    const double fromSlider = -180.0 + 360.0 * position * 0.0001;
    QVERIFY(std::abs(effect->GetAngleVar() - fromSlider) < 1e-9 ||
            effect->GetAngleVar() == double(Edit(1028)->text().trimmed().toFloat()));
  }

  void unboundPanelChangesNothing() {
    dlg->SetEffect(&doc, effect.get());
    dlg->SetEffect(nullptr, effect.get());  // forgets document and effect
    doc.calls = 0;
    const double size = effect->GetSize();
    test::TypeInto(Edit(1016), QStringLiteral("20"));
    test::DragTo(Slider(1015), 9000);
    test::Choose(Combo(1038), QStringLiteral("is random"));
    QCOMPARE(effect->GetSize(), size);
    QCOMPARE(effect->GetAngleReaction(), int(CEffect::kDefaultAngleReaction));
    QCOMPARE(doc.calls, 0);

    dlg->SetEffect(&doc, nullptr);  // a document without an effect
    test::TypeInto(Edit(1016), QStringLiteral("21"));
    QCOMPARE(effect->GetSize(), size);
    QCOMPARE(doc.calls, 0);
  }

  void closingOnlyHides() {
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    dlg->close();
    QVERIFY(!dlg->isVisible());
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QVERIFY(!dlg->isVisible());
  }
};

BRISOL_UI_TEST_MAIN(ParamDlgTest)
#include "ParamDlg_test.moc"
