// The document: the wizard's path, Randomize, the quality, choosing other
// objects, the question before closing (with a cancelled or failed save
// keeping the document), the save command, and closing while a picture is
// being drawn.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>

#include "app/AppTestSupport.h"
#include "app/SaveImage.h"
#include "imageio/LoadPicture.h"
#include "ui/QualityDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

void AnswerSaveDialog(const QString& path) { test::AnswerFileDialog(path); }

// The question asked before a picture's window closes, naming the picture.
QString SaveQuestion(const QString& name) { return QStringLiteral("Save this image?\n") + name; }

// Answers the questions in order, noting each one's text and the picture
// whose window was in front when it was asked.
class FrontNotingSink : public AlertSink {
 public:
  FrontNotingSink(CMainFrame& frame, std::vector<AlertAnswer> answers) : m_frame(frame), m_answers(answers) {}
  AlertAnswer Show(const Alert& alert) override {
    CBrisolDoc* front = m_frame.ActiveDocument();
    asked << QString::fromStdString(alert.text);
    inFront << (front ? QString::fromStdString(front->ImageName()) : QString());
    boundTo << (m_frame.BoundDocument() ? QString::fromStdString(m_frame.BoundDocument()->ImageName()) : QString());
    if (m_answers.empty()) return AlertAnswer::No;
    const AlertAnswer answer = m_answers.front();
    m_answers.erase(m_answers.begin());
    return answer;
  }
  QStringList asked, inFront, boundTo;

 private:
  CMainFrame& m_frame;
  std::vector<AlertAnswer> m_answers;
};

// The pixels of a picture file as the program reads it.
QByteArray FilePixels(const QString& path) {
  const LoadResult read = LoadPicture(path.toStdString());
  return read.ok() ? test::Pixels(**read) : QByteArray();
}

QByteArray DrawInPlace(const CBrisolDoc& doc) {
  const auto picture = test::DrawInPlace(*doc.GetOriginal(), doc.GetRunner()->GetEffect(), doc.Quality());
  return picture ? test::Pixels(*picture) : QByteArray();
}

}  // namespace

class DocumentTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;
  QString m_folder;

  QString DocQuestion() const { return SaveQuestion(m_folder + "/pictures/doc.png"); }

  CBrisolDoc* Open(const QString& collection, int w = 120, int h = 80) {
    const std::string path = test::WritePictureFile("doc.png", w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, collection);
    if (doc) test::WaitForPicture(doc);
    return doc;
  }

 private slots:
  void initTestCase() {
    test::QuietOffscreenNotes();
    m_folder = test::UiTestEnvironment::Get().Folder();
  }
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

  void theWizardMakesTheRunnerAndTheFirstPicture() {
    CBrisolDoc* doc = Open("Tests");
    QVERIFY(doc && doc->GetRunner());
    QCOMPARE(QString::fromStdString(doc->GetRunner()->GetEffect().GetEffectDir()),
             QString::fromStdString(test::MainDir() + "/Effects/Tests"));
    QCOMPARE(m->app->DefaultEffect(), std::string("Tests"));
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GV()->GetShow(), 1);
    QCOMPARE(test::Pixels(*doc->GV()->GetOutputDADC()), DrawInPlace(*doc));
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  void randomizeTwiceWithinASecondDrawsOnce() {
    CBrisolDoc* doc = Open("Tests");
    doc->SetClock([] { return std::time_t{1700000000}; });
    const int before = doc->Renderer().DrawingsRequested();
    m->Frame().Actions().randomize->trigger();
    m->Frame().Actions().randomize->trigger();
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    QCOMPARE(doc->GetRunner()->GetEffect().GetSeed(), 1700000000);
    doc->SetClock([] { return std::time_t{1700000001}; });
    m->Frame().Actions().randomize->trigger();
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 2);
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(test::Pixels(*doc->GV()->GetOutputDADC()), DrawInPlace(*doc));
  }

  void anUnchangedEffectIsNotDrawnAgain() {
    CBrisolDoc* doc = Open("Tests");
    CEffect& effect = doc->GetRunner()->GetEffect();
    const int before = doc->Renderer().DrawingsRequested();
    const double size = effect.GetSize();
    effect.SetSize(size + 1);
    doc->UpdateImage(false);
    effect.SetSize(size);
    doc->UpdateImage(false);
    doc->UpdateImage(false);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 2);
    QVERIFY(test::WaitForPicture(doc));
  }

  void theQualityRedrawsOnlyWhenItChanges() {
    CBrisolDoc* doc = Open("Tests");
    const int before = doc->Renderer().DrawingsRequested();
    auto choose = [](bool high, bool ok) {
      test::DriveModal<CQualityDlg>([high, ok](CQualityDlg* dialog) {
        dialog->findChild<QRadioButton*>(high ? QStringLiteral("rad1054") : QStringLiteral("rad1053"))->click();
        if (ok)
          dialog->accept();
        else
          dialog->reject();
        return true;
      });
    };
    choose(false, true);  // normal again: nothing to do
    m->Frame().Actions().imageQuality->trigger();
    QCOMPARE(doc->Renderer().DrawingsRequested(), before);
    choose(true, false);  // cancelled
    m->Frame().Actions().imageQuality->trigger();
    QCOMPARE(doc->Quality(), 1);
    choose(true, true);
    m->Frame().Actions().imageQuality->trigger();
    QCOMPARE(doc->Quality(), 2);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(test::Pixels(*doc->GV()->GetOutputDADC()), DrawInPlace(*doc));
  }

  void choosingOtherObjectsReloadsTheEffect() {
    CBrisolDoc* doc = Open("Tests");
    CEffect& effect = doc->GetRunner()->GetEffect();
    const int before = doc->Renderer().DrawingsRequested();
    test::AnswerWizard("Others");
    m->Frame().Actions().chooseObjects->trigger();
    QCOMPARE(QString::fromStdString(effect.GetEffectDir()),
             QString::fromStdString(test::MainDir() + "/Effects/Others"));
    QCOMPARE(m->app->DefaultEffect(), test::MainDir() + "/Effects/Others");
    QCOMPARE(effect.GetNumShapes(), 2u);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
    QVERIFY(test::WaitForPicture(doc));

    test::AnswerWizard(QString());  // cancelled: the effect keeps its collection
    m->Frame().Actions().chooseObjects->trigger();
    QCOMPARE(QString::fromStdString(effect.GetEffectDir()),
             QString::fromStdString(test::MainDir() + "/Effects/Others"));
    QCOMPARE(effect.GetNumShapes(), 2u);
    QCOMPARE(doc->Renderer().DrawingsRequested(), before + 1);
  }

  void aCancelledWizardCanBeRunAgainFromChooseObjects() {
    CBrisolDoc* doc = Open(QString());
    QVERIFY(doc && !doc->GetRunner());
    QCOMPARE(doc->GV()->GetShow(), 0);
    test::AnswerWizard("Tests");
    m->Frame().Actions().chooseObjects->trigger();
    QVERIFY(doc->GetRunner());
    QVERIFY(m->Frame().Actions().randomize->isEnabled());
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(doc->GV()->GetShow(), 1);
  }

  void closingAsksEvenWithoutAPicture() {
    Open(QString());
    test::Alerts().QueueAnswer(AlertAnswer::Cancel);
    QVERIFY(!m->Frame().ActiveFrame()->close());
    QCOMPARE(test::TakeAlerts(), QStringList{DocQuestion()});
    QCOMPARE(m->Documents(), 1);
    test::Alerts().QueueAnswer(AlertAnswer::No);
    QVERIFY(m->Frame().ActiveFrame()->close());
    QCOMPARE(test::TakeAlerts(), QStringList{DocQuestion()});
    QTRY_COMPARE(m->Documents(), 0);
  }

  void yesSavesTheShownPictureAndCloses() {
    CBrisolDoc* doc = Open("Tests");
    const QByteArray shown = test::Pixels(*doc->GV()->GetCurrentDADC());
    const QString path = m_folder + "/saved/result";  // the chosen type's extension is added
    QDir().mkpath(m_folder + "/saved");
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    AnswerSaveDialog(path);
    QVERIFY(m->Frame().ActiveFrame()->close());
    QCOMPARE(test::TakeAlerts(), QStringList{DocQuestion()});
    QTRY_COMPARE(m->Documents(), 0);
    // The default type is JPEG (index 2): lossy, so compare the size only.
    QVERIFY(QFile::exists(path + ".jpg"));
    QCOMPARE(FilePixels(path + ".jpg").size(), shown.size());
    QCOMPARE(m->app->Settings().m_szImageWriteDir, (m_folder + "/saved").toStdString());
  }

  void aCancelledSaveKeepsTheDocument() {
    Open("Tests");
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    AnswerSaveDialog(QString());
    QVERIFY(!m->Frame().ActiveFrame()->close());
    QCOMPARE(test::TakeAlerts(), QStringList{DocQuestion()});
    QCOMPARE(m->Documents(), 1);
  }

  void aFailedSaveKeepsTheDocumentAndSaysWhy_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown type") << (m_folder + "/picture.xyz") << "the picture type is not known";
  }
  void aFailedSaveKeepsTheDocumentAndSaysWhy() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    Open("Tests");
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    AnswerSaveDialog(path);
    QVERIFY(!m->Frame().ActiveFrame()->close());
    const QStringList alerts = test::TakeAlerts();
    QCOMPARE(alerts.size(), 2);
    QCOMPARE(alerts[0], DocQuestion());
    QVERIFY2(
        alerts[1].startsWith("The image was not saved.\n") && alerts[1].contains(path) && alerts[1].contains(reason),
        qPrintable(alerts[1]));
    QCOMPARE(m->Documents(), 1);
    QVERIFY(!QFile::exists(path));
  }

  void noClosesWithoutSaving() {
    Open("Tests");
    test::Alerts().QueueAnswer(AlertAnswer::No);
    QVERIFY(m->Frame().ActiveFrame()->close());
    QTRY_COMPARE(m->Documents(), 0);
    QVERIFY(QDir(m_folder + "/saved-no").isEmpty());
  }

  // The save dialog proposes the picture's name with the chosen type's
  // extension, and follows another type chosen.
  void theSaveDialogProposesThePicturesName() {
    Open("Tests");
    QStringList shown;
    test::DriveModal<QFileDialog>([&](QFileDialog* dialog) {
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      if (name == nullptr || types == nullptr) return false;
      shown << name->text();
      while (types->currentIndex() < 4) QTest::keyClick(types, Qt::Key_Down);  // PNG
      shown << name->text();
      name->setText(QStringLiteral("mine.jpeg"));
      while (types->currentIndex() > 0) QTest::keyClick(types, Qt::Key_Up);  // BMP
      shown << name->text();
      dialog->reject();
      return true;
    });
    m->Frame().Actions().saveImage->trigger();
    QCOMPARE(shown, (QStringList{"doc.jpg", "doc.png", "mine.bmp"}));
  }

  void proposedNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("file") << "/photos/rose.jpg" << 4 << "rose.png";
    QTest::newRow("upper case") << "/photos/ROSE.JPEG" << 0 << "ROSE.bmp";
    QTest::newRow("dots in the name") << "/p/my.trip.png" << 2 << "my.trip.jpg";
    QTest::newRow("not a picture's extension") << "notes.v2" << 1 << "notes.v2.tga";
    QTest::newRow("pasted") << "From Clip Board" << 3 << "From Clip Board.pcx";
  }
  void proposedNames() {
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(QString, proposed);
    QCOMPARE(ProposedSaveName(name, type), proposed);
  }

  void theSaveCommandWritesTheFormatOfTheName() {
    CBrisolDoc* doc = Open("Tests");
    const QString path = m_folder + "/exact.png";
    AnswerSaveDialog(path);
    m->Frame().Actions().saveImage->trigger();
    QCOMPARE(FilePixels(path), test::Pixels(*doc->GV()->GetCurrentDADC()));
    QCOMPARE(m->app->Settings().m_iImageWriteType, 4);
    // The original is saved when it is shown.
    m->Frame().Actions().viewOriginal->trigger();
    AnswerSaveDialog(m_folder + "/original.bmp");
    m->Frame().Actions().saveImage->trigger();
    QCOMPARE(FilePixels(m_folder + "/original.bmp"), test::Pixels(*doc->GetOriginal()));
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  // Yes while a drawing runs: the newest picture is what gets saved.
  void savingWhileDrawingWaitsForTheNewestPicture() {
    CBrisolDoc* doc = Open("Tests", 400, 300);
    CEffect& effect = doc->GetRunner()->GetEffect();
    effect.SetNumObjects(10000);
    effect.SetSize(9);
    doc->UpdateImage(true);
    QVERIFY(doc->Renderer().IsBusy());
    const QByteArray expected = DrawInPlace(*doc);
    const QString path = m_folder + "/newest.png";
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    AnswerSaveDialog(path);
    m->Frame().ActiveFrame()->close();  // once the newest picture is saved
    QTRY_COMPARE(m->Documents(), 0);
    QCOMPARE(FilePixels(path), expected);
  }

  // No while a drawing runs: the drawing is stopped and waited for.
  void closingWhileDrawingStopsTheDrawing() {
    CBrisolDoc* doc = Open("Tests", 400, 300);
    QPointer<CBrisolDoc> guard(doc);
    doc->GetRunner()->GetEffect().SetNumObjects(10000);
    doc->GetRunner()->GetEffect().SetSeed(99);
    doc->UpdateImage(true);
    QTRY_VERIFY(doc->Renderer().DrawingsStarted() > 0);
    test::Alerts().QueueAnswer(AlertAnswer::No);
    QVERIFY(m->Frame().ActiveFrame()->close());
    QVERIFY(!doc->Renderer().IsBusy());
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(test::TakeAlerts(), QStringList{DocQuestion()});
  }

  // Quitting asks for every picture by its name, each with its own window
  // in front (and the panels on it) while the question is up.
  void exitAsksForEveryDocumentByName() {
    const QString rose = QString::fromStdString(test::WritePictureFile("rose.png", 60, 40));
    const QString tree = QString::fromStdString(test::WritePictureFile("tree.bmp", 50, 40));
    for (const QString& path : {rose, tree}) {
      CBrisolDoc* doc = test::OpenWithCollection(*m, path.toStdString(), "Tests");
      QVERIFY(doc && test::WaitForPicture(doc));
    }
    // The second picture is in front; the first is asked about first.
    QCOMPARE(QString::fromStdString(m->Doc()->ImageName()), tree);
    FrontNotingSink sink(m->Frame(), {AlertAnswer::No, AlertAnswer::Cancel});
    {
      const ScopedThreadAlertSink answer(sink);
      QVERIFY(!m->Frame().close());
    }
    QCOMPARE(sink.asked, (QStringList{SaveQuestion(rose), SaveQuestion(tree)}));
    QCOMPARE(sink.inFront, (QStringList{rose, tree}));
    QCOMPARE(sink.boundTo, (QStringList{rose, tree}));
    QTRY_COMPARE(m->Documents(), 1);
    QVERIFY(m->Frame().isVisible());
  }
};

BRISOL_APP_TEST_MAIN(DocumentTest)
#include "Document_test.moc"
