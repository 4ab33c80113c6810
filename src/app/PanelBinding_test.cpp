// The panels always edit the picture in front: after a paste whose wizard
// was cancelled, after switching pictures with the keyboard in a panel's
// edit, after closing one of several pictures. Binding a panel, or showing
// a value, never changes the effect; a control moved back and forth asks
// for a picture only when the effect differs from the one last drawn.
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

#include "app/AppTestSupport.h"
#include "effect/EffectParams.h"
#include "ui/ColMixDlg.h"
#include "ui/OrigDlg.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

// What a document's effect holds, to tell whether anything changed it.
std::unique_ptr<CEffect> Copy(const CBrisolDoc* doc) { return doc->GetRunner()->GetEffect().Snapshot(); }

}  // namespace

class PanelBindingTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open(const std::string& name, int w = 60, int h = 40) {
    const std::string path = test::WritePictureFile(name, w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  QLineEdit* Edit(QWidget* panel, int id) { return panel->findChild<QLineEdit*>(QStringLiteral("edt%1").arg(id)); }
  QSlider* Slider(QWidget* panel, int id) { return panel->findChild<QSlider*>(QStringLiteral("sld%1").arg(id)); }
  QMdiSubWindow* FrameOf(CBrisolDoc* doc) {
    for (QMdiSubWindow* frame : m->Frame().MdiArea()->subWindowList())
      if (qobject_cast<CBrisolScrollView*>(frame->widget())->GetDocument() == doc) return frame;
    return nullptr;
  }
  void Activate() {
    m->Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->Frame()));
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
    QGuiApplication::clipboard()->clear();
    test::TakeAlerts();
  }

  // A pasted picture whose wizard was cancelled is in front: the panels
  // have no effect to edit, say why, and typing into them changes no
  // other picture.
  void aPictureWithoutCollectionTakesThePanels_data() {
    QTest::addColumn<int>("photos");
    QTest::newRow("one photo") << 1;
    QTest::newRow("two photos") << 2;
  }
  void aPictureWithoutCollectionTakesThePanels() {
    QFETCH(int, photos);
    std::vector<CBrisolDoc*> docs;
    std::vector<std::unique_ptr<CEffect>> before;
    std::vector<int> drawings;
    for (int i = 0; i < photos; ++i) {
      docs.push_back(Open("photo" + std::to_string(i) + ".png"));
      QVERIFY(docs.back() && docs.back()->GetRunner());
    }
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    QGuiApplication::clipboard()->setImage(image);
    test::AnswerWizard(QString());
    m->Frame().Actions().paste->trigger();
    CBrisolDoc* pasted = m->Doc();
    QVERIFY(pasted && pasted->Title() == QStringLiteral("From Clip Board") && !pasted->GetRunner());
    for (CBrisolDoc* doc : docs) {
      QVERIFY(test::WaitForPicture(doc));
      before.push_back(Copy(doc));
      drawings.push_back(doc->Renderer().DrawingsRequested());
    }
    CMainFrame& f = m->Frame();
    QCOMPARE(f.BoundDocument(), pasted);
    for (QWidget* panel : {static_cast<QWidget*>(f.ParamDlg()), static_cast<QWidget*>(f.ColMixDlg())}) {
      QVERIFY(!panel->isEnabled());
      QVERIFY2(panel->toolTip().contains(QStringLiteral("From Clip Board has no collection of shapes")),
               qPrintable(panel->toolTip()));
    }
    test::TypeInto(Edit(f.ParamDlg(), 1030), QStringLiteral("300"));
    test::DragTo(Slider(f.ColMixDlg(), 1049), 9000);
    for (std::size_t i = 0; i < docs.size(); ++i) {
      QVERIFY(docs[i]->GetRunner()->GetEffect() == *before[i]);
      QCOMPARE(docs[i]->Renderer().DrawingsRequested(), drawings[i]);
    }
    // The original-image panel shows the pasted picture.
    QVERIFY(f.OrigDlg()->Thumbnail());
    QCOMPARE(f.OrigDlg()->Thumbnail()->GetWidth(), COrigDlg::kFrameWidth);
  }

  // The keyboard stays in a panel's edit while another picture comes to the
  // front (from the Window menu, or with the next-window key): what is then
  // typed changes the picture in front, and only that one.
  void typingAfterASwitchEditsThePictureInFront_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("Window menu") << true;
    QTest::newRow("next window") << false;
  }
  void typingAfterASwitchEditsThePictureInFront() {
    QFETCH(bool, fromMenu);
    CBrisolDoc* first = Open("first.png");
    CBrisolDoc* second = Open("second.png");
    QVERIFY(first && second && first->GetRunner() && second->GetRunner());
    CMainFrame& f = m->Frame();
    QCOMPARE(m->Doc(), second);
    QLineEdit* number = Edit(f.ParamDlg(), 1030);
    f.ParamDlg()->activateWindow();
    number->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(f.ParamDlg()));
    const auto secondBefore = Copy(second);
    const int secondDrawings = second->Renderer().DrawingsRequested();

    if (fromMenu) {
      QMenu* window = nullptr;
      for (QAction* menu : f.menuBar()->actions())
        if (menu->text() == QStringLiteral("&Window")) window = menu->menu();
      QVERIFY(window);
      emit window->aboutToShow();
      QAction* item = nullptr;
      for (QAction* a : window->actions())
        if (a->text().endsWith(QStringLiteral("first.png"))) item = a;
      QVERIFY(item);
      item->trigger();
    } else {
      f.Actions().nextWindow->trigger();
    }
    QCOMPARE(m->Doc(), first);
    QCOMPARE(f.BoundDocument(), first);
    QCOMPARE(number->text(), QString::number(first->GetRunner()->GetEffect().GetNumObjects()));
    // The keyboard is back in the edit, as after a click into it.
    f.ParamDlg()->activateWindow();
    number->setFocus();
    test::TypeInto(number, QStringLiteral("300"));
    QCOMPARE(first->GetRunner()->GetEffect().GetNumObjects(), 300u);
    QVERIFY(test::WaitForPicture(first));
    QVERIFY(second->GetRunner()->GetEffect() == *secondBefore);
    QCOMPARE(second->Renderer().DrawingsRequested(), secondDrawings);
  }

  // Closing one of several pictures leaves the panels up, on the picture
  // that comes to the front; the last one takes them with it.
  void closingOnePictureKeepsThePanelsOnTheNext() {
    CBrisolDoc* first = Open("a.png");
    CBrisolDoc* second = Open("b.png");
    CBrisolDoc* third = Open("c.png");
    QVERIFY(first && second && third);
    Activate();
    CMainFrame& f = m->Frame();
    QCOMPARE(f.BoundDocument(), third);
    test::Alerts().QueueAnswer(AlertAnswer::No);
    QVERIFY(FrameOf(third)->close());
    QTRY_COMPARE(m->Documents(), 2);
    QVERIFY(f.BoundDocument() == first || f.BoundDocument() == second);
    QCOMPARE(f.BoundDocument(), m->Doc());
    QVERIFY(f.IsPanelShown(f.ParamDlg()) && f.IsPanelShown(f.ColMixDlg()) && f.IsPanelShown(f.OrigDlg()));
    QVERIFY(f.ParamDlg()->isEnabled());
    QCOMPARE(Edit(f.ParamDlg(), 1030)->text(), QString::number(m->Doc()->GetRunner()->GetEffect().GetNumObjects()));
    for (int left = 2; left > 0; --left) {
      test::Alerts().QueueAnswer(AlertAnswer::No);
      QVERIFY(m->Frame().ActiveFrame()->close());
      QTRY_COMPARE(m->Documents(), left - 1);
    }
    QVERIFY(!f.IsPanelShown(f.ParamDlg()) && !f.IsPanelShown(f.ColMixDlg()) && !f.IsPanelShown(f.OrigDlg()));
    QVERIFY(f.BoundDocument() == nullptr);
  }

  // With fresh settings every picture's effect holds the defaults exactly,
  // whichever was opened first: binding and showing read nothing back.
  void bindingNeverChangesTheEffect() {
    CBrisolDoc* first = Open("one.png");
    CBrisolDoc* second = Open("two.png");
    for (CBrisolDoc* doc : {first, second}) {
      const CEffect& e = doc->GetRunner()->GetEffect();
      QCOMPARE(e.GetLineWidth(), 0.225);
      QCOMPARE(e.GetSolidColVar(), 0.1);
      QCOMPARE(e.GetLineColVar(), 0.35);
      for (const EffectParam& p : EffectParams()) QVERIFY2(p.get(e) == p.defaultValue || p.key == "seed", p.key.data());
    }
    // Bound again and again, toggled, shown: still the same.
    const auto kept = Copy(first);
    CMainFrame& f = m->Frame();
    f.MdiArea()->setActiveSubWindow(FrameOf(first));
    f.Actions().settingsOnOff->trigger();
    f.Actions().settingsOnOff->trigger();
    f.ColMixDlg()->InitFromCurrentEffect();
    f.BindPanels(first);
    QVERIFY(first->GetRunner()->GetEffect() == *kept);
  }

  // Moving a control and back asks for a picture only when the effect then
  // differs from the one last drawn.
  void aControlMovedBackAndForthRedrawsOnlyWhenTheEffectDiffers() {
    CBrisolDoc* doc = Open("back.png");
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    QCOMPARE(f.BoundDocument(), doc);
    QSlider* number = Slider(f.ParamDlg(), 1029);
    QLineEdit* edit = Edit(f.ParamDlg(), 1030);
    const int start = number->value();
    const int before = doc->Renderer().DrawingsRequested();
    test::DragTo(number, start + 500);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    test::DragTo(number, start + 500);
    test::TypeInto(edit, QString::number(start + 500));
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    test::DragTo(number, start);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 2);
    test::DragTo(number, start);
    test::TypeInto(edit, QString::number(start));
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 2);
    QVERIFY(test::WaitForPicture(doc));
  }
};

BRISOL_APP_TEST_MAIN(PanelBindingTest)
#include "PanelBinding_test.moc"
