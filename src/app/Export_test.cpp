// File > Export...: the picture in front written as a vector file is the
// file brisol-cli render writes with the same recipe and page, byte for
// byte; the page and the resolution are kept across a restart; Stop and
// closing the window leave no file and keep the one there; a page no format
// can hold or a name that is no vector file is told before any work; there
// is nothing to export without a picture.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>

#include "app/StepTestSupport.h"
#include "recipe/RecipeFile.h"
#include "ui/ExportDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

QString Folder() { return test::UiTestEnvironment::Get().Folder(); }

QStringList Files(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// What the user sets in the dialog.
void SetChoices(CExportDlg* dialog, const ExportChoices& c) {
  test::TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("exportPath")), c.path);
  auto* page = dialog->findChild<QComboBox*>(QStringLiteral("exportPage"));
  const int paper = page->findData(c.page);
  if (paper >= 0)
    page->setCurrentIndex(paper);
  else
    page->setEditText(c.page);
  dialog->findChild<QRadioButton*>(c.landscape ? QStringLiteral("exportLandscape") : QStringLiteral("exportPortrait"))
      ->setChecked(true);
  test::TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("exportMargin")), c.margin);
  dialog->findChild<QSpinBox*>(QStringLiteral("exportDpi"))->setValue(c.dpi);
}

void Click(CExportDlg* dialog, const char* name) {
  dialog->findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

// What one export through the window did.
struct Exported {
  bool shown = false;
  std::optional<Outcome<VectorWritten>> result;
  QString status;
  ExportChoices shownChoices;  // as the dialog came up
  bool stopEnabled = false;
};

}  // namespace

class ExportTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open(const std::string& name, int w, int h) {
    const std::string path = test::WritePictureFile(name, w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    return doc && test::WaitForPicture(doc) ? doc : nullptr;
  }

  // File > Export... with the choices, Export clicked; the window closes
  // itself after writing and is closed here when the export was refused,
  // failed or stopped.
  Exported Export(const ExportChoices& choices) {
    auto done = std::make_shared<Exported>();
    test::DriveModal<CExportDlg>([done, choices](CExportDlg* dialog) {
      done->shown = true;
      done->shownChoices = dialog->Choices();
      SetChoices(dialog, choices);
      QObject::connect(dialog, &CExportDlg::ExportEnded, dialog, [done, dialog] {
        done->result = dialog->LastResult();
        done->status = dialog->StatusText();
        if (!done->result->ok()) QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
      });
      Click(dialog, "exportStart");
      done->stopEnabled = dialog->findChild<QPushButton*>(QStringLiteral("exportStop"))->isEnabled();
      if (!dialog->IsRunning()) {
        done->status = dialog->StatusText();
        dialog->reject();
      }
      return true;
    });
    m->Frame().Actions().exportPicture->trigger();
    return *done;
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

  void theFileIsTheCommandLinesFile_data() {
    QTest::addColumn<QString>("photo");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("margin");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("extension");
    QTest::newRow("SVG, picture size") << "svg.png"
                                       << "" << false << "0mm" << 0 << "svg";
    QTest::newRow("PDF, A4 landscape with a margin") << "pdf.png"
                                                     << "A4" << true << "10mm" << 0 << "pdf";
    QTest::newRow("PDF of a JPEG, at 150 dpi") << "jpeg.jpg"
                                               << "A5" << false << "0.5in" << 150 << "pdf";
    QTest::newRow("EPS, a page of its own") << "eps.png"
                                            << "300x200mm" << false << "0mm" << 0 << "eps";
  }
  void theFileIsTheCommandLinesFile() {
    QFETCH(QString, photo);
    QFETCH(QString, page);
    QFETCH(bool, landscape);
    QFETCH(QString, margin);
    QFETCH(int, dpi);
    QFETCH(QString, extension);
    CBrisolDoc* doc = Open(photo.toStdString(), 160, 120);
    QVERIFY(doc);
    test::DragTo(m->Frame().ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015")), 2500);
    m->Frame().Actions().randomize->trigger();
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(m->Frame().Actions().exportPicture->isEnabled());

    const QString out = Folder() + "/exported/" + QFileInfo(photo).completeBaseName() + '.' + extension;
    QDir().mkpath(Folder() + "/exported");
    const Exported done = Export({page, landscape, margin, dpi, out});
    QVERIFY(done.shown);
    QVERIFY2(done.result && done.result->ok(), qPrintable(done.status + "\n" + test::AlertsText().c_str()));
    QVERIFY(done.stopEnabled);
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
    QVERIFY(m->Frame().statusBar()->currentMessage().contains(out));

    const QString recipe = Folder() + "/exported.brisol";
    QVERIFY(SaveRecipeFile(*doc->ShownRecipe(), recipe.toStdString()).ok());
    const QString cli = Folder() + "/exported/cli-" + QFileInfo(photo).completeBaseName() + '.' + extension;
    QStringList args{"render",   "--quiet", QString::fromStdString(doc->ImageName()), cli, "--recipe", recipe,
                     "--margin", margin};
    if (!page.isEmpty()) args << "--page" << page;
    if (landscape) args << "--landscape";
    if (dpi > 0) args << "--dpi" << QString::number(dpi);
    QString log;
    QVERIFY2(test::RunCli(args, log) == 0, qPrintable(log));
    const QByteArray ours = test::FileBytes(out), theirs = test::FileBytes(cli);
    QVERIFY(ours.size() > 1000);
    QVERIFY2(ours == theirs, qPrintable(log + QStringLiteral("\n%1 and %2 bytes").arg(ours.size()).arg(theirs.size())));
    // The recipe is in the file (a PDF keeps it in a compressed stream).
    if (extension != QLatin1String("pdf")) QVERIFY(ours.contains(QByteArray::fromStdString(doc->ShownRecipe()->photo)));
  }

  void theChoicesAreKeptAcrossARestart() {
    QVERIFY(Open("kept.png", 120, 90));
    const QString out = Folder() + "/kept/poster.svg";
    QDir().mkpath(Folder() + "/kept");
    const Exported first = Export({QStringLiteral("A3"), true, QStringLiteral("12mm"), 200, out});
    QVERIFY(first.result && first.result->ok());
    // The first time: the photo's size, no margin, the photo's pixels.
    QCOMPARE(first.shownChoices.page, QString());
    QCOMPARE(first.shownChoices.margin, QStringLiteral("0mm"));
    QCOMPARE(first.shownChoices.dpi, 0);
    // Beside the photo, as a PDF.
    QCOMPARE(first.shownChoices.path, Folder() + "/pictures/kept.pdf");

    m->Frame().close();
    m->app->ExitInstance();
    QFile file(test::SettingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString settings = QString::fromUtf8(file.readAll());
    file.close();
    m.reset();
    test::WriteSettings(settings);
    m = std::make_unique<StartedApp>();
    QVERIFY(Open("again.png", 100, 80));
    const Exported second = Export({QStringLiteral("A3"), true, QStringLiteral("12mm"), 200, QString()});
    QCOMPARE(second.shownChoices.page, QStringLiteral("A3"));
    QVERIFY(second.shownChoices.landscape);
    QCOMPARE(second.shownChoices.margin, QStringLiteral("12mm"));
    QCOMPARE(second.shownChoices.dpi, 200);
    // The folder and the format of the last export, the name of this photo.
    QCOMPARE(second.shownChoices.path, Folder() + "/kept/again.svg");
    QVERIFY(!second.result);  // no file named: nothing started
  }

  // Stop, or closing the window, while the file is written: no file, no
  // part of one, and the file that was there stays as it was.
  void stopLeavesNoFile_data() {
    QTest::addColumn<bool>("close");
    QTest::newRow("Stop") << false;
    QTest::newRow("closing the window") << true;
  }
  void stopLeavesNoFile() {
    QFETCH(bool, close);
    m->app->m_iScreenWidth = 640;
    m->app->m_iScreenHeight = 480;
    test::Alerts().QueueAnswer(AlertAnswer::No);  // a picture larger than the screen kept at its size
    CBrisolDoc* doc = Open(close ? "closed.png" : "stopped.png", 1400, 1000);
    QVERIFY(doc);
    test::TakeAlerts();
    const QString folder = Folder() + (close ? "/closed" : "/stopped");
    QDir().mkpath(folder);
    const QString out = folder + "/big.pdf";
    {
      QFile old(out);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("the old file");
    }
    bool running = false, stopped = false;
    QString status;
    std::optional<Outcome<VectorWritten>> result;
    test::DriveModal<CExportDlg>([&, close](CExportDlg* dialog) {
      SetChoices(dialog, {QStringLiteral("A0"), false, QStringLiteral("0mm"), 0, out});
      test::Alerts().QueueAnswer(AlertAnswer::Yes);  // replace it
      Click(dialog, "exportStart");
      running = dialog->IsRunning();
      status = dialog->StatusText();
      if (!running) {
        dialog->reject();
        return true;
      }
      if (close) {
        dialog->reject();
        stopped = !dialog->IsRunning();
        return true;
      }
      QSignalSpy ended(dialog, &CExportDlg::ExportEnded);
      Click(dialog, "exportStop");
      stopped = ended.wait(60000);
      result = dialog->LastResult();
      dialog->reject();
      return true;
    });
    m->Frame().Actions().exportPicture->trigger();
    QVERIFY2(running, qPrintable(status + '\n' + test::AlertsText().c_str()));
    QVERIFY(stopped);
    if (!close) {
      QVERIFY(result);
      QVERIFY(result->stopped());
    }
    QCOMPARE(test::FileBytes(out), QByteArray("the old file"));
    QCOMPARE(Files(folder), QStringList{QStringLiteral("big.pdf")});
    QCOMPARE(test::TakeAlerts().size(), 1);  // the question about replacing it, nothing else
    QVERIFY(!m->Frame().statusBar()->currentMessage().startsWith(QStringLiteral("Exported")));
  }

  // What cannot be written is told, in words, before any work.
  void whatCannotBeWrittenIsToldFirst_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("margin");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("told");
    QTest::newRow("a PDF page over 200 inches") << "huge.pdf"
                                                << "6000x6000mm"
                                                << "0mm" << 0 << "larger than a PDF page can be";
    QTest::newRow("an Illustrator file") << "art.ai"
                                         << "A4"
                                         << "0mm" << 0 << "Illustrator (.ai) files are not written";
    QTest::newRow("no vector format") << "picture.png"
                                      << "A4"
                                      << "0mm" << 0 << "names no vector format";
    QTest::newRow("an unknown paper") << "paper.pdf"
                                      << "B7"
                                      << "0mm" << 0 << "unknown page 'B7'";
    QTest::newRow("a margin without a unit") << "margin.pdf"
                                             << "A4"
                                             << "10" << 0 << "The margin takes a length";
    QTest::newRow("margins wider than the page") << "wide.svg"
                                                 << "A5"
                                                 << "80mm" << 0 << "no room for the picture";
    QTest::newRow("a photo too large at its resolution") << "dense.pdf"
                                                         << "A0"
                                                         << "0mm" << 10000 << "choose a lower resolution for the photo";
  }
  void whatCannotBeWrittenIsToldFirst() {
    QFETCH(QString, name);
    QFETCH(QString, page);
    QFETCH(QString, margin);
    QFETCH(int, dpi);
    QFETCH(QString, told);
    QVERIFY(Open("refused.png", 120, 90));
    const QString folder = Folder() + "/refused";
    QDir().mkpath(folder);
    const Exported done = Export({page, false, margin, dpi, folder + '/' + name});
    QVERIFY(done.shown);
    QVERIFY(!done.result);  // nothing started
    const QStringList alerts = test::TakeAlerts();
    QCOMPARE(alerts.size(), 1);
    QVERIFY2(alerts[0].startsWith(QStringLiteral("The picture was not exported.\n")), qPrintable(alerts[0]));
    QVERIFY2(alerts[0].contains(told), qPrintable(alerts[0]));
    QVERIFY2(done.status.contains(told), qPrintable(done.status));
    QVERIFY(Files(folder).isEmpty());
  }

  // Browse... offers every vector format, the one of the name proposed
  // chosen, and puts the file chosen into the window.
  void browseOffersTheVectorFormats() {
    QVERIFY(Open("browse.png", 80, 60));
    QStringList filters;
    QString chosenFilter, field;
    const QString chosen = Folder() + "/browsed.svg";
    test::DriveModal<CExportDlg>([&](CExportDlg* dialog) {
      test::DriveModal<QFileDialog>([&](QFileDialog* files) {
        filters = files->nameFilters();
        chosenFilter = files->selectedNameFilter();
        test::AnswerFileDialog(chosen);
        return true;
      });
      dialog->OnBrowse();
      field = dialog->Choices().path;
      dialog->reject();
      return true;
    });
    m->Frame().Actions().exportPicture->trigger();
    QCOMPARE(filters,
             QStringList({"SVG (*.svg *.SVG)", "PDF (*.pdf *.PDF)", "EPS (*.eps *.EPS)", "PostScript (*.ps *.PS)"}));
    QCOMPARE(chosenFilter, QStringLiteral("PDF (*.pdf *.PDF)"));
    QCOMPARE(field, chosen);
  }

  void nothingToExportWithoutAPicture() {
    QAction* exportPicture = m->Frame().Actions().exportPicture;
    m->Frame().updateMenus();
    QVERIFY(!exportPicture->isEnabled());
    // The wizard cancelled: a photo without a picture drawn from it.
    test::AnswerWizard(QString());
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(test::WritePictureFile("none.png", 80, 60)));
    QVERIFY(doc && !doc->GetRunner());
    m->Frame().updateMenus();
    QVERIFY(!exportPicture->isEnabled());
    doc = Open("some.png", 80, 60);
    QVERIFY(doc);
    m->Frame().updateMenus();
    QVERIFY(exportPicture->isEnabled());
  }
};

BRISOL_APP_TEST_MAIN(ExportTest)
#include "Export_test.moc"
