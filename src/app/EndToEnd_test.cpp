// From opening a picture to the picture on screen, compared byte for byte
// with what brisol-cli render makes of the same inputs: the command comes
// from "Copy as Command Line" and runs in a shell.
#include <QClipboard>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>

#include "app/AppTestSupport.h"
#include "imageio/LoadPicture.h"
#include "ui/ColMixDlg.h"
#include "ui/DadcImage.h"
#include "ui/ParamDlg.h"
#include "ui/QualityDlg.h"
#include "ui/ResizeDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

std::unique_ptr<CDADC> ReadPicture(const QString& path) {
  LoadResult read = LoadPicture(path.toStdString());
  return read ? std::move(read).value() : nullptr;
}

// The folder the copied command runs in, as a shell opened anywhere.
QString RunFolder() { return test::UiTestEnvironment::Get().Folder() + QStringLiteral("/shell"); }

// Runs the copied command with the CLI of this build in its own folder;
// false with its output.
bool RunCopiedCommand(QString& output) {
  QString line = QGuiApplication::clipboard()->text();
  const QString cli = qEnvironmentVariable("BRISOL_CLI_PATH");
  if (cli.isEmpty()) {
    output = "BRISOL_CLI_PATH is not set";
    return false;
  }
  line.replace(QRegularExpression(QStringLiteral("(^|&& )brisol-cli ")), QStringLiteral("\\1") + cli + ' ');
  QDir().mkpath(RunFolder());
  QProcess shell;
  shell.setWorkingDirectory(RunFolder());
  shell.setProcessChannelMode(QProcess::MergedChannels);
  shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
  const bool ok = shell.waitForFinished(240000) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
  output = line + "\n" + QString::fromLocal8Bit(shell.readAll());
  return ok;
}

}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  // The user's steps after the wizard: a slider, the mix, a colour source.
  void ChangeTheSettings() {
    CMainFrame& f = m->Frame();
    auto* size = f.ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015"));
    auto* number = f.ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1029"));
    auto* mix = f.ColMixDlg()->findChild<QComboBox*>(QStringLiteral("cmb1058"));
    auto* angle = f.ParamDlg()->findChild<QComboBox*>(QStringLiteral("cmb1038"));
    QVERIFY(size && number && mix && angle);
    test::DragTo(size, size->value() + 731);
    test::DragTo(number, 2500);
    size->triggerAction(QAbstractSlider::SliderPageStepAdd);
    test::Choose(mix, QStringLiteral("Circular Vignette"));
    test::Choose(angle, QStringLiteral("is random"));
  }

  // The command is copied once the picture is there, unless it was already.
  void CompareWithTheCommandLine(CBrisolDoc* doc, bool copied = false) {
    QVERIFY(test::WaitForPicture(doc));
    CBrisolScrollView* view = doc->GV();
    QCOMPARE(view->GetShow(), 1);
    if (!copied) m->Frame().Actions().copyCommandLine->trigger();
    QString log;
    QVERIFY2(RunCopiedCommand(log), qPrintable(log));
    // No option the tool would call useless.
    QVERIFY2(!log.contains(QStringLiteral("has no effect")), qPrintable(log));
    // Written where the command ran, not beside the photo.
    const QString name = QFileInfo(QString::fromStdString(doc->ImageName())).completeBaseName() + "-brisol.png";
    QVERIFY(!QFile::exists(QFileInfo(QString::fromStdString(doc->ImageName())).absolutePath() + "/" + name));
    const QString output = RunFolder() + "/" + name;
    const std::unique_ptr<CDADC> made = ReadPicture(output);
    QVERIFY2(made, qPrintable(output));
    QVERIFY2(test::Pixels(*made) == test::Pixels(*view->GetCurrentDADC()), qPrintable(log));
    QVERIFY(ToQImage(*made) == view->CurrentImage());
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

  void thePictureOnScreenIsTheCommandLinesPicture() {
    const std::string path = test::WritePictureFile("end to end.png", 200, 150);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    QVERIFY(doc && doc->GetRunner());
    ChangeTheSettings();
    CompareWithTheCommandLine(doc);
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
  }

  void atHighQualityToo() {
    const std::string path = test::WritePictureFile("quality.bmp", 150, 100);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    QVERIFY(doc && doc->GetRunner());
    test::AnswerHighQuality();
    m->Frame().Actions().imageQuality->trigger();
    QCOMPARE(doc->Quality(), 2);
    m->Frame().Actions().randomize->trigger();
    ChangeTheSettings();
    CompareWithTheCommandLine(doc);
  }

  void aShrunkPictureIsShrunkTheSameWay() {
    m->app->m_iScreenWidth = 180;
    m->app->m_iScreenHeight = 180;
    const std::string path = test::WritePictureFile("shrunk.png", 300, 200);
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    test::DriveModal<CResizeDlg>([](CResizeDlg* dialog) {
      test::AnswerWizard("Tests");
      dialog->accept();
      return true;
    });
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QVERIFY(doc && doc->GetRunner());
    QCOMPARE(doc->GetOriginal()->GetWidth(), 179);
    CompareWithTheCommandLine(doc);
  }

  // A camera-sized picture shown reduced: each change shows its preview
  // first, and the command copied right after the change, before the exact
  // picture came, makes the exact picture the window then has.
  void aPictureShownWithAPreviewFirst() {
    const std::string path = test::WritePictureFile("large end to end.png", 1800, 1200);
    test::Alerts().QueueAnswer(AlertAnswer::No);  // kept at its size
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    QVERIFY(doc && doc->GetRunner());
    QCOMPARE(test::TakeAlerts(), QStringList{"The image is larger than your screen\nWould you like to resize it?"});
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(doc->GV()->Zoom() < 100);
    QSignalSpy previews(&doc->Renderer(), &CRenderController::PreviewReady);
    ChangeTheSettings();
    m->Frame().Actions().copyCommandLine->trigger();
    CompareWithTheCommandLine(doc, true);
    QVERIFY(!previews.isEmpty());
    QVERIFY(doc->GV()->Preview().isNull());
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }
};

BRISOL_APP_TEST_MAIN(EndToEndTest)
#include "EndToEnd_test.moc"
