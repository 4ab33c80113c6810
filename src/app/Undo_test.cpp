// Undo and redo as a user meets them: every kind of change of a picture is
// one step, a drag is one step, and going back and forth returns every
// value, what the panels show and the picture exactly.
#include <QAction>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/StepTestSupport.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"
#include "ui/QualityDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

// One state of the picture: its values, what the panels show, its pixels.
struct Seen {
  QStringList values;
  QStringList panels;
  QByteArray picture;
};

}  // namespace

class UndoTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open(const char* name = "undo.png") {
    const std::string path = test::WritePictureFile(name, 160, 120);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  template <typename T>
  T* In(QWidget* panel, const char* name) {
    return panel->findChild<T*>(QString::fromLatin1(name));
  }
  QSlider* Slider(const char* name) { return In<QSlider>(m->Frame().ParamDlg(), name); }
  // What the user sees now. Expected states are taken with the panels
  // bound afresh: a slider let go between two of its steps shows, once
  // bound again, the step its value falls on.
  Seen Look(CBrisolDoc* doc, bool bindAfresh = false) {
    Seen seen;
    if (bindAfresh) {
      m->Frame().BindPanels(nullptr);
      m->Frame().BindPanels(doc);
    }
    seen.picture = test::PictureOnView(doc);
    seen.values = test::Values(doc);
    seen.panels = test::PanelsShow(m->Frame());
    return seen;
  }
  void Compare(const Seen& now, const Seen& expected, const QString& where) {
    QVERIFY2(!now.picture.isEmpty(), qPrintable(where));
    QCOMPARE(now.values, expected.values);
    QCOMPARE(now.panels, expected.panels);
    QVERIFY2(now.picture == expected.picture, qPrintable(where + ": the picture differs"));
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    test::MakeCollection("Others");
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void theKeysAndTheEditMenu() {
    const MainActions& a = m->Frame().Actions();
    QVERIFY(a.undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QVERIFY(a.undo->shortcuts().contains(QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    QVERIFY(a.redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    QVERIFY(a.redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    QMenu* edit = nullptr;
    for (QAction* menu : m->Frame().menuBar()->actions())
      if (menu->text() == QStringLiteral("&Edit")) edit = menu->menu();
    QVERIFY(edit);
    QCOMPARE(edit->actions().value(0), a.undo);
    QCOMPARE(edit->actions().value(1), a.redo);
    // Nothing to take back before a picture is open.
    m->Frame().updateMenus();
    QVERIFY(!a.undo->isEnabled());
    QVERIFY(!a.redo->isEnabled());
  }

  // A slider dragged across its whole range, drawing at every step, is one
  // step; its undo brings back the value and the picture.
  void aDragIsOneStep() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc && doc->GetRunner());
    const Seen before = Look(doc);
    QCOMPARE(doc->UndoStack().count(), 0);
    QSlider* size = Slider("sld1015");
    size->setSliderDown(true);
    for (int position = 0; position <= size->maximum(); position += size->maximum() / 25)
      size->setSliderPosition(position);
    size->setSliderPosition(3000);
    QCOMPARE(doc->UndoStack().count(), 1);  // still held: one open step
    size->setSliderDown(false);
    QCOMPARE(doc->UndoStack().count(), 1);
    m->Frame().updateMenus();
    QCOMPARE(m->Frame().Actions().undo->text(), QStringLiteral("&Undo object size"));
    const Seen dragged = Look(doc, true);
    QVERIFY(dragged.values != before.values);
    m->Frame().Actions().undo->trigger();
    Compare(Look(doc), before, "after undo");
    m->Frame().Actions().redo->trigger();
    Compare(Look(doc), dragged, "after redo");
    QCOMPARE(doc->UndoStack().count(), 1);
  }

  // A value typed key by key, drawn at every key, is one step once the
  // edit is left; a slider moved by a click or a key is a step at once.
  void aValueTypedIsOneStep() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc);
    auto* edit = In<QLineEdit>(m->Frame().ParamDlg(), "edt1030");
    edit->selectAll();
    for (const char* key : {"1", "2", "3", "4"}) QTest::keyClicks(edit, QString::fromLatin1(key));
    QCOMPARE(doc->GetRunner()->GetEffect().GetNumObjects(), 1234u);
    QCOMPARE(doc->UndoStack().count(), 1);  // open until the edit is left
    QVERIFY(doc->CanUndo());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(doc->UndoStack().count(), 1);
    QSlider* angle = Slider("sld1023");
    angle->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(doc->UndoStack().count(), 2);
    doc->Undo();
    doc->Undo();
    QCOMPARE(doc->GetRunner()->GetEffect().GetNumObjects(), CEffect::kDefaultNumObjects);
  }

  // A change not yet a step (the slider still held) is what Undo takes
  // back first; Redo then puts it back.
  void undoWhileASliderIsHeld() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc);
    const Seen before = Look(doc);
    QSlider* size = Slider("sld1015");
    size->setSliderDown(true);
    size->setSliderPosition(9000);
    const QStringList held = test::Values(doc);
    m->Frame().updateMenus();
    QVERIFY(m->Frame().Actions().undo->isEnabled());
    m->Frame().Actions().undo->trigger();
    size->setSliderDown(false);
    Compare(Look(doc), before, "after undo");
    m->Frame().Actions().redo->trigger();
    QCOMPARE(test::Values(doc), held);
  }

  // Every kind of change, one after another: each is one step; undoing
  // them all and redoing them all passes through every state exactly.
  void everyKindOfChangeGoesBackAndForth() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc && doc->GetRunner());
    CMainFrame& f = m->Frame();
    doc->SetClock([] { return std::time_t(777777); });
    f.ColMixDlg()->SetColorChooser([](QWidget*, COLORREF& colour) {
      colour = RGB(12, 200, 99);
      return true;
    });
    // A recipe file to open, made from other values.
    const std::string recipePath = (test::UiTestEnvironment::Get().Folder() + "/look.brisol").toStdString();
    {
      CEffect other(test::MakeCollection("Others").c_str());
      other.SetSize(2.5);
      other.SetSeed(4242);
      QVERIFY(SaveRecipeFile(RecipeOf(other, 1), recipePath).ok());
    }

    const std::vector<std::pair<QString, std::function<void()>>> changes = {
        {"drag", [&] { test::DragTo(Slider("sld1015"), 6100); }},
        {"typed",
         [&] {
           auto* edit = In<QLineEdit>(f.ParamDlg(), "edt1024");
           test::TypeInto(edit, QStringLiteral("33.5"));
           emit edit->editingFinished();
         }},
        {"choice", [&] { test::Choose(In<QComboBox>(f.ParamDlg(), "cmb1038"), QStringLiteral("is random")); }},
        {"mix", [&] { test::Choose(In<QComboBox>(f.ColMixDlg(), "cmb1058"), QStringLiteral("Circular Vignette")); }},
        {"background",
         [&] { test::Choose(In<QComboBox>(f.ColMixDlg(), "cmb1050"), QStringLiteral("Single Solid Color")); }},
        {"colour", [&] { QTest::mouseClick(In<QFrame>(f.ColMixDlg(), "swatch1052"), Qt::LeftButton); }},
        {"randomize", [&] { f.Actions().randomize->trigger(); }},
        {"quality",
         [&] {
           test::AnswerHighQuality();
           f.Actions().imageQuality->trigger();
         }},
        {"collection",
         [&] {
           test::AnswerWizard(QStringLiteral("Others"));
           f.Actions().chooseObjects->trigger();
         }},
        {"reset", [&] { In<QPushButton>(f.ColMixDlg(), "btn1065")->click(); }},
        {"recipe", [&] { QVERIFY(doc->ApplyRecipeFile(recipePath, false, QStringLiteral("recipe look.brisol"))); }},
    };
    std::vector<Seen> seen{Look(doc)};
    for (const auto& [name, change] : changes) {
      change();
      QVERIFY2(test::WaitForPicture(doc), qPrintable(name));
      QCOMPARE(doc->UndoStack().count(), static_cast<int>(seen.size()));
      seen.push_back(Look(doc, true));
      QVERIFY2(seen.back().values != seen[seen.size() - 2].values, qPrintable(name + " changed nothing"));
    }
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
    for (std::size_t i = seen.size() - 1; i > 0; --i) {
      f.Actions().undo->trigger();
      Compare(Look(doc), seen[i - 1], QStringLiteral("undo of %1").arg(changes[i - 1].first));
    }
    f.updateMenus();
    QVERIFY(!f.Actions().undo->isEnabled());
    for (std::size_t i = 1; i < seen.size(); ++i) {
      f.Actions().redo->trigger();
      Compare(Look(doc), seen[i], QStringLiteral("redo of %1").arg(changes[i - 1].first));
    }
    // Taking back never made the picture unmodified: closing still asks.
    QVERIFY(doc->IsModified());
  }

  // The steps belong to their picture; leaving a picture with a change not
  // yet a step makes it one.
  void eachPictureHasItsOwnSteps() {
    CBrisolDoc* first = Open("first.png");
    QSlider* size = Slider("sld1015");
    size->setSliderDown(true);
    size->setSliderPosition(8000);
    CBrisolDoc* second = Open("second.png");
    QVERIFY(first && second && first != second);
    size->setSliderDown(false);
    QCOMPARE(first->UndoStack().count(), 1);
    QCOMPARE(second->UndoStack().count(), 0);
    m->Frame().updateMenus();
    QVERIFY(!m->Frame().Actions().undo->isEnabled());
    m->Frame().MdiArea()->setActiveSubWindow(m->Frame().MdiArea()->subWindowList().front());
    QCOMPARE(m->Doc(), first);
    m->Frame().updateMenus();
    QVERIFY(m->Frame().Actions().undo->isEnabled());
  }
};

BRISOL_APP_TEST_MAIN(UndoTest)
#include "Undo_test.moc"
