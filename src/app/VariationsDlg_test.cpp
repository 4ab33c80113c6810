// Dialogs > Variations... on a real picture: each cell is the picture the
// window itself draws once the cell's values are taken, reduced; a click
// takes them as one step; "More" draws the next nine; Stop ends the
// drawing and the cells drawn stay.
#include <QAction>
#include <QPushButton>
#include <QToolButton>
#include <set>

#include "app/StepTestSupport.h"
#include "effect/EffectParams.h"
#include "ui/VariationsDlg.h"
#include "ui/VariationsTestSupport.h"

using namespace brisol;
using test::StartedApp;

class VariationsDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open(int w, int h) {
    const std::string path = test::WritePictureFile("grid.png", w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  // Runs the dialog from the menu, hands it to act, and closes it.
  void WithTheDialog(const std::function<void(CVariationsDlg*)>& act) {
    bool ran = false;
    test::DriveModal<CVariationsDlg>([&](CVariationsDlg* dialog) {
      act(dialog);
      ran = true;
      dialog->reject();
      return true;
    });
    m->Frame().updateMenus();
    QVERIFY(m->Frame().Actions().variations->isEnabled());
    m->Frame().Actions().variations->trigger();
    QVERIFY(ran);
  }
  static bool WaitForTheGrid(CVariationsDlg* dialog) {
    if (!dialog->IsDrawing()) return true;
    QSignalSpy ended(dialog, &CVariationsDlg::DrawingEnded);
    return ended.wait(120000);
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  // Each cell, its values taken, is what the window draws, reduced to the
  // cell's size; each taking is one step.
  void eachCellIsTheReducedPictureOfItsValues_data() {
    QTest::addColumn<QString>("vary");
    QTest::newRow("seeds") << QString();
    QTest::newRow("object size") << "size";
    QTest::newRow("mix") << "mix";
  }
  void eachCellIsTheReducedPictureOfItsValues() {
    QFETCH(QString, vary);
    CBrisolDoc* doc = Open(473, 331);
    QVERIFY(doc);
    int compared = 0;
    WithTheDialog([&](CVariationsDlg* dialog) {
      if (!vary.isEmpty()) dialog->Vary(FindEffectParam(vary.toStdString()));
      QVERIFY(WaitForTheGrid(dialog));
      QCOMPARE(dialog->CellCount(), 9);
      for (int i = 0; i < dialog->CellCount(); ++i) {
        const QImage cell = dialog->CellImage(i);
        QVERIFY2(!cell.isNull(), qPrintable(QString::number(i)));
        QVERIFY(cell.width() < 473 && cell.width() <= dialog->CellBox().width());
        dialog->Adopt(i);
        QVERIFY(doc->GetRunner()->GetEffect() == *dialog->CellVariation(i).effect);
        QVERIFY(!test::PictureOnView(doc).isEmpty());
        const QImage full = test::PlainReduction(*doc->GV()->GetCurrentDADC(), cell.width(), cell.height());
        QVERIFY2(cell == full, qPrintable(QStringLiteral("cell %1: %2").arg(i).arg(dialog->CellVariation(i).caption)));
        ++compared;
      }
    });
    QCOMPARE(compared, 9);
    QCOMPARE(doc->UndoStack().count(), 9);
  }

  // A click on a cell takes its values as one step; Undo takes them back.
  // "More" draws nine others.
  void clickingACellAndMore() {
    CBrisolDoc* doc = Open(120, 90);
    QVERIFY(doc);
    const QStringList before = test::Values(doc);
    std::set<int> seeds;
    WithTheDialog([&](CVariationsDlg* dialog) {
      QVERIFY(WaitForTheGrid(dialog));
      for (int i = 0; i < 9; ++i) seeds.insert(dialog->CellVariation(i).effect->GetSeed());
      QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("cell3")), Qt::LeftButton);
      QCOMPARE(doc->GetRunner()->GetEffect().GetSeed(), dialog->CellVariation(3).effect->GetSeed());
      QCOMPARE(doc->UndoStack().count(), 1);
      dialog->findChild<QPushButton*>(QStringLiteral("moreButton"))->click();
      QCOMPARE(dialog->Page(), 1);
      QVERIFY(WaitForTheGrid(dialog));
      for (int i = 0; i < 9; ++i) seeds.insert(dialog->CellVariation(i).effect->GetSeed());
    });
    QCOMPARE(seeds.size(), std::size_t(18));
    m->Frame().Actions().undo->trigger();
    QCOMPARE(test::Values(doc), before);
  }

  // Stop ends the drawing at once (the window never waits for it); the
  // cells not drawn cannot be taken.
  void stopEndsTheDrawing() {
    CBrisolDoc* doc = Open(1200, 900);
    QVERIFY(doc);
    doc->GetRunner()->GetEffect().SetNumObjects(10000);
    int drawn = -1;
    bool takenWhileUndrawn = true;
    WithTheDialog([&](CVariationsDlg* dialog) {
      QVERIFY(dialog->IsDrawing());
      QSignalSpy cells(dialog, &CVariationsDlg::CellDrawn);
      dialog->findChild<QPushButton*>(QStringLiteral("stopButton"))->click();
      QVERIFY(WaitForTheGrid(dialog));
      QVERIFY(!dialog->IsDrawing());
      drawn = static_cast<int>(cells.size());
      const int steps = doc->UndoStack().count();
      dialog->Adopt(8);
      takenWhileUndrawn = doc->UndoStack().count() != steps;
    });
    QVERIFY(drawn >= 0 && drawn < 9);
    QVERIFY(!takenWhileUndrawn);
  }
};

BRISOL_APP_TEST_MAIN(VariationsDlgTest)
#include "VariationsDlg_test.moc"
