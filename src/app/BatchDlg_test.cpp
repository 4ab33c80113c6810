// File > Batch...: the look of the picture in front or a preset applied to
// a folder of photos on a thread of its own, each picture the file
// brisol-cli batch writes with the same look, byte for byte; a failed photo
// is one line and the batch goes on; a second run keeps what is there;
// Stop and closing the window leave nothing half written.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "app/StepTestSupport.h"
#include "imageio/LoadPicture.h"
#include "recipe/RecipeFile.h"
#include "ui/BatchDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

QString Folder() { return test::UiTestEnvironment::Get().Folder(); }

using test::FileBytes;
using test::RunCli;

// A folder of photos, the last of them broken.
QString PhotoFolder(const QString& name, int count, int w = 120, int h = 90) {
  const QString folder = Folder() + "/pictures/" + name;
  for (int i = 0; i < count; ++i)
    test::WritePictureFile((name + QStringLiteral("/photo%1.png").arg(i)).toStdString(), w + i, h);
  QFile broken(folder + "/zz-broken.png");
  broken.open(QIODevice::WriteOnly);
  broken.write("\x89PNG\r\n\x1a\nthis is no picture");
  return folder;
}

QStringList Files(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

class BatchDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBatchDlg* Dialog() {
    m->Frame().Actions().batch->trigger();
    CBatchDlg* dialog = m->Frame().BatchDialog();
    return dialog && dialog->isVisible() ? dialog : nullptr;
  }
  static bool Run(CBatchDlg* dialog) {
    QSignalSpy ended(dialog, &CBatchDlg::BatchEnded);
    dialog->findChild<QPushButton*>(QStringLiteral("startBatch"))->click();
    return dialog->IsRunning() && ended.wait(240000) && !dialog->IsRunning();
  }
  // Every file of the two folders the same, byte for byte.
  static void SameFiles(const QString& a, const QString& b) {
    QCOMPARE(Files(a), Files(b));
    for (const QString& name : Files(a))
      QVERIFY2(FileBytes(a + '/' + name) == FileBytes(b + '/' + name), qPrintable(name));
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

  void theRecipeOfThePictureInFront() {
    const QString photos = PhotoFolder("many", 5);
    const std::string path = test::WritePictureFile("front.png", 100, 80);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    QVERIFY(doc && test::WaitForPicture(doc));
    test::DragTo(m->Frame().ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015")), 2500);
    CBatchDlg* dialog = Dialog();
    QVERIFY(dialog);
    QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("usePicture"))->isChecked());
    const QString out = Folder() + "/out";
    dialog->AddInputs({photos});
    dialog->SetOutputFolder(out);
    dialog->ChooseFormat(QStringLiteral("jpg"));
    QVERIFY(Run(dialog));
    QCOMPARE(dialog->Summary().written, std::size_t(5));
    QCOMPARE(dialog->Summary().failed, std::size_t(1));
    const QStringList log =
        dialog->findChild<QPlainTextEdit*>(QStringLiteral("batchLog"))->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(log.size(), 1);
    QVERIFY2(log[0].contains(QStringLiteral("zz-broken.png")), qPrintable(log[0]));
    QCOMPARE(dialog->findChild<QProgressBar*>(QStringLiteral("batchProgress"))->value(), 6);
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());

    // The command line with the picture's recipe writes the same files.
    const QString recipe = Folder() + "/front.brisol";
    QVERIFY(SaveRecipeFile(doc->CurrentRecipe(), recipe.toStdString()).ok());
    QString output;
    QCOMPARE(
        RunCli({"batch", "--quiet", "--recipe", recipe, photos, "--out", Folder() + "/cli", "--format", "jpg"}, output),
        1);
    SameFiles(out, Folder() + "/cli");

    // Again: what is there is kept.
    QVERIFY(Run(dialog));
    QCOMPARE(dialog->Summary().kept, std::size_t(5));
    QCOMPARE(dialog->Summary().written, std::size_t(0));
  }

  // Without a picture, a preset; seeds made from the photos' names. The
  // window sums the batch up as the command line does, an input that is not
  // there counted as failed.
  void aPresetWithSeedsFromTheNamesAsTheCommandLine() {
    const QString photos = PhotoFolder("preset", 3);
    const QString gone = Folder() + "/pictures/gone.png";
    CBatchDlg* dialog = Dialog();
    QVERIFY(dialog);
    QVERIFY(!dialog->findChild<QRadioButton*>(QStringLiteral("usePicture"))->isEnabled());
    dialog->AddInputs({photos, gone});
    dialog->SetOutputFolder(Folder() + "/out-preset");
    dialog->ChooseLook(QStringLiteral("Pointillist"));
    dialog->findChild<QComboBox*>(QStringLiteral("seedCombo"))->setCurrentIndex(1);
    test::TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("nameTemplate")),
                   QStringLiteral("{stem}-{seed}.{ext}"));
    QVERIFY(Run(dialog));
    QString output;
    QCOMPARE(RunCli({"batch", "--quiet", "--preset", "Pointillist", "--seed", "from-name", "--name",
                     "{stem}-{seed}.{ext}", photos, gone, "--out", Folder() + "/cli-preset"},
                    output),
             1);
    SameFiles(Folder() + "/out-preset", Folder() + "/cli-preset");
    static const QRegularExpression time(QStringLiteral(" in [0-9.]+ s$"));
    const QString shown = dialog->StatusText().remove(time);
    QCOMPARE(shown, QStringLiteral("3 written, 0 kept, 2 failed"));
    QCOMPARE(output.trimmed().section('\n', -1).remove(time), "brisol-cli batch: " + shown);
  }

  // What the user did wrong is told in the window, and nothing starts.
  void whatIsMissingIsTold() {
    CBatchDlg* dialog = Dialog();
    QVERIFY(dialog);
    dialog->findChild<QPushButton*>(QStringLiteral("startBatch"))->click();
    QCOMPARE(dialog->StatusText(), QStringLiteral("Add the photos to paint first."));
    dialog->AddInputs({PhotoFolder("told", 1)});
    dialog->findChild<QPushButton*>(QStringLiteral("startBatch"))->click();
    QCOMPARE(dialog->StatusText(), QStringLiteral("Choose the folder the pictures go into."));
    dialog->SetOutputFolder(Folder() + "/told-out");
    test::TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("nameTemplate")), QStringLiteral("same.{ext}"));
    dialog->findChild<QPushButton*>(QStringLiteral("startBatch"))->click();
    QVERIFY2(dialog->StatusText().startsWith(QStringLiteral("The names cannot be made: ")),
             qPrintable(dialog->StatusText()));
    QVERIFY(!dialog->IsRunning());
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  // Stop, and closing the window, end the batch: the photos being painted
  // are not written, no part of a file is left, every file there is whole.
  void stopAndCloseLeaveNothingHalfWritten_data() {
    QTest::addColumn<bool>("close");
    QTest::newRow("Stop") << false;
    QTest::newRow("closing the window") << true;
  }
  void stopAndCloseLeaveNothingHalfWritten() {
    QFETCH(bool, close);
    const QString photos = PhotoFolder(close ? "closed" : "stopped", 30, 700, 500);
    CBatchDlg* dialog = Dialog();
    QVERIFY(dialog);
    const QString out = Folder() + (close ? "/closed-out" : "/stopped-out");
    dialog->AddInputs({photos});
    dialog->SetOutputFolder(out);
    QSignalSpy ended(dialog, &CBatchDlg::BatchEnded);
    dialog->findChild<QPushButton*>(QStringLiteral("startBatch"))->click();
    QVERIFY(dialog->IsRunning());
    auto* progress = dialog->findChild<QProgressBar*>(QStringLiteral("batchProgress"));
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 1, 120000);
    if (close) {
      dialog->reject();
      QVERIFY(!dialog->IsRunning());
    } else {
      dialog->findChild<QPushButton*>(QStringLiteral("stopBatch"))->click();
      QVERIFY(ended.wait(120000));
      QVERIFY(dialog->Summary().stopped);
      QVERIFY(dialog->Summary().notDone > 0);
    }
    const QStringList files = Files(out);
    QVERIFY(files.size() < 30);
    for (const QString& name : files) {
      QVERIFY2(!name.startsWith(QStringLiteral(".~")), qPrintable(name));
      QVERIFY2(LoadPicture((out + '/' + name).toStdString()).ok(), qPrintable(name));
    }
  }
};

BRISOL_APP_TEST_MAIN(BatchDlgTest)
#include "BatchDlg_test.moc"
