// Printing at the printer's resolution: the page drawn anew has edges that
// move a device pixel at a time where the enlarged bitmap steps by its
// pixels, in the same place and with the same picture; Stop leaves no PDF
// (and keeps one that was there); the option is remembered; without it the
// bitmap prints as before.
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "app/AppTestSupport.h"
#include "app/PrintRendered.h"
#include "app/Printing.h"
#include "app/StepTestSupport.h"

using namespace brisol;
using test::StartedApp;

namespace {

// A page of 800 x 1200 device pixels at 144 dpi, without margins: an 80 x
// 60 picture fills its width ten times enlarged, 300 pixels from the top.
constexpr int kDpi = 144;
constexpr int kEnlarged = 10;
const QRect kPlaced(0, 300, 800, 600);

void SetUpPdf(QPrinter& printer, const QString& path, int dpi = kDpi) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setResolution(dpi);
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
  printer.setPageSize(QPageSize(QSizeF(400, 600), QPageSize::Point, QStringLiteral("test"), QPageSize::ExactMatch));
}

// The PDF's first page as pixels, device pixel for device pixel.
QImage Rasterised(const QString& pdf) {
  const QString prefix = pdf + QStringLiteral(".raster");
  QProcess run;
  run.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, prefix});
  if (!run.waitForFinished(60000) || run.exitCode() != 0) return {};
  QImage page(prefix + QStringLiteral(".png"));
  QFile::remove(prefix + QStringLiteral(".png"));
  return page.convertToFormat(QImage::Format_RGB32);
}

int Difference(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Whether device pixel pos (of a picture placed from origin over length
// device pixels, count pixels of its own) begins another of its pixels, or
// lies next to where one does.
bool NearBorder(int pos, int origin, int length, int count) {
  auto pixel = [&](int p) { return (p - origin) * count / length; };
  for (int p = pos - 1; p <= pos + 1; ++p)
    if (p > origin && pixel(p) != pixel(p - 1)) return true;
  return false;
}

// Where the placed picture (picture pixels of its own) changes sharply
// between neighbouring device pixels, across and down, the share of those
// places that lie on the border of one of its enlarged pixels.
double ShareOfEdgesOnEnlargedPixels(const QImage& page, const QRect& placed = kPlaced, QSize picture = {80, 60}) {
  long long edges = 0, onBorders = 0;
  for (int y = placed.top() + 1; y <= placed.bottom(); ++y) {
    for (int x = placed.left() + 1; x <= placed.right(); ++x) {
      const QRgb here = page.pixel(x, y);
      const bool across = Difference(here, page.pixel(x - 1, y)) > 40;
      const bool down = Difference(here, page.pixel(x, y - 1)) > 40;
      edges += across + down;
      onBorders += (across && NearBorder(x, placed.left(), placed.width(), picture.width())) +
                   (down && NearBorder(y, placed.top(), placed.height(), picture.height()));
    }
  }
  return edges == 0 ? 1.0 : double(onBorders) / edges;
}

// The placed picture reduced to its own size by averaging each enlarged
// pixel: the same picture in the same place gives nearly the same values.
double MeanDifferenceOfReduced(const QImage& a, const QImage& b) {
  double sum = 0;
  int count = 0;
  for (int py = 0; py < kPlaced.height() / kEnlarged; ++py) {
    for (int px = 0; px < kPlaced.width() / kEnlarged; ++px) {
      for (int channel = 0; channel < 3; ++channel) {
        double mean[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
          const QImage& page = i == 0 ? a : b;
          for (int y = 0; y < kEnlarged; ++y) {
            for (int x = 0; x < kEnlarged; ++x) {
              const QRgb p = page.pixel(kPlaced.left() + px * kEnlarged + x, kPlaced.top() + py * kEnlarged + y);
              mean[i] += channel == 0 ? qRed(p) : channel == 1 ? qGreen(p) : qBlue(p);
            }
          }
        }
        sum += std::abs(mean[0] - mean[1]) / (kEnlarged * kEnlarged);
        ++count;
      }
    }
  }
  return sum / count;
}

bool WhiteOutside(const QImage& page) {
  for (int y = 0; y < page.height(); y += 3) {
    for (int x = 0; x < page.width(); x += 3) {
      if (!kPlaced.adjusted(-1, -1, 1, 1).contains(x, y) && Difference(page.pixel(x, y), qRgb(255, 255, 255)) > 8)
        return false;
    }
  }
  return true;
}

QString Folder() { return test::UiTestEnvironment::Get().Folder(); }

// Nothing but the files named is left in the folder of the PDF.
QStringList PartialFiles() { return QDir(Folder()).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden); }

}  // namespace

class PrintRenderedTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolScrollView* Open(int w, int h) {
    test::MakeCollection("Print");
    const std::string path = test::WritePictureFile("print.png", w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, QStringLiteral("Print"));
    if (doc == nullptr || !test::WaitForPicture(doc)) return nullptr;
    return doc->GV();
  }

  PictureSource SourceOf(CBrisolScrollView* view) {
    CBrisolDoc* doc = view->GetDocument();
    return {doc->SharedOriginal(), view->ShownEffect(), doc->ShownQuality()};
  }

  // How a print of the source ended, once it has.
  Done Print(QPrinter& printer, const PictureSource& source) {
    CRenderedPrint print(printer, source, &m->Frame());
    QSignalSpy finished(&print, &CRenderedPrint::Finished);
    return finished.wait(120000) ? print.Result() : Fail("the print did not finish");
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void bandsHoldAtMostSixteenMegabytes_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rows");
    QTest::newRow("A4 at 1200 dpi") << 9921 << 422;
    QTest::newRow("narrow") << 100 << 41943;
    QTest::newRow("wider than a band") << 5000000 << 1;
    QTest::newRow("no width") << 0 << 4194304;
  }
  void bandsHoldAtMostSixteenMegabytes() {
    QFETCH(int, width);
    QFETCH(int, rows);
    QCOMPARE(BandRows(width), rows);
  }

  // The same picture in the same place; drawn anew, its edges fall
  // anywhere, enlarged they fall on the borders of its pixels.
  void edgesMoveByDevicePixels() {
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    QCOMPARE(view->GetShow(), 1);

    const QString plainPdf = Folder() + "/plain.pdf", drawnPdf = Folder() + "/drawn.pdf";
    QPrinter plain(QPrinter::HighResolution), drawn(QPrinter::HighResolution);
    SetUpPdf(plain, plainPdf);
    SetUpPdf(drawn, drawnPdf);
    QCOMPARE(QSize(drawn.width(), drawn.height()), QSize(800, 1200));
    QCOMPARE(PrintPlacement(QSize(800, 1200), QSize(80, 60)), kPlaced);

    QVERIFY(PrintImage(plain, view->CurrentImage()));
    const Done result = Print(drawn, SourceOf(view));
    QVERIFY2(result.ok(), result.message().c_str());
    QCOMPARE(drawn.outputFileName(), drawnPdf);
    QVERIFY(PartialFiles().isEmpty());

    const QImage plainPage = Rasterised(plainPdf), drawnPage = Rasterised(drawnPdf);
    QCOMPARE(plainPage.size(), QSize(800, 1200));
    QCOMPARE(drawnPage.size(), QSize(800, 1200));
    const double plainShare = ShareOfEdgesOnEnlargedPixels(plainPage);
    const double drawnShare = ShareOfEdgesOnEnlargedPixels(drawnPage);
    const double difference = MeanDifferenceOfReduced(plainPage, drawnPage);
    qInfo("edges on enlarged pixels' borders: %.3f plain, %.3f drawn anew; reduced pictures differ by %.2f", plainShare,
          drawnShare, difference);
    QVERIFY2(plainShare > 0.95, qPrintable(QString::number(plainShare)));
    // Borders are one place in ten across and down.
    QVERIFY2(drawnShare < 0.3, qPrintable(QString::number(drawnShare)));
    QVERIFY2(difference < 16, qPrintable(QString::number(difference)));
    QVERIFY(WhiteOutside(plainPage));
    QVERIFY(WhiteOutside(drawnPage));
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  // Through the print dialog: the option's check box, remembered in the
  // settings, and the shown original printed as it is even with it.
  void theOptionIsRemembered() {
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    QVERIFY(!m->app->Settings().m_bPrintAtPrinterResolution);
    const QString pdf = Folder() + "/dialog.pdf";
    QFile::remove(pdf);
    for (const bool on : {true, false, true}) {
      bool wasChecked = !on;
      test::DriveModal<QPrintDialog>([&](QPrintDialog* dialog) {
        auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("renderAtPrinterResolution"));
        if (box == nullptr) return false;
        wasChecked = box->isChecked();
        box->setChecked(on);
        dialog->accept();
        return true;
      });
      SetUpPdf(m->Frame().Printer(), pdf);
      m->Frame().Actions().print->trigger();
      QTRY_VERIFY(QFileInfo(pdf).size() > 1000);
      QVERIFY(!QApplication::activeModalWidget());
      QCOMPARE(wasChecked, !on);
      QCOMPARE(m->app->Settings().m_bPrintAtPrinterResolution, on);
      QVERIFY(QFile::remove(pdf));
    }
    QVERIFY(m->app->Settings().Write());
    CAppSettings back(test::SettingsFile(), "/start");
    back.Read();
    QVERIFY(back.m_bPrintAtPrinterResolution);

    // The original has no objects to draw anew: its pixels print enlarged.
    view->OnViewOriginal();
    test::DriveModal<QPrintDialog>([](QPrintDialog* dialog) {
      dialog->accept();
      return true;
    });
    SetUpPdf(m->Frame().Printer(), pdf);
    m->Frame().Actions().print->trigger();
    // The dialog puts its own page in place.
    const QPrinter& printer = m->Frame().Printer();
    QCOMPARE(printer.resolution(), kDpi);
    const QRect paper = printer.pageLayout().paintRectPixels(kDpi);
    const QRect placed = PrintPlacement(paper.size(), QSize(80, 60)).translated(paper.topLeft());
    const QImage page = Rasterised(pdf);
    QVERIFY(page.rect().contains(placed));
    const double share = ShareOfEdgesOnEnlargedPixels(page, placed);
    QVERIFY2(share > 0.95, qPrintable(QString::number(share)));
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  // Stop (Esc in the progress dialog) while the page is drawn: the drawing
  // ends soon, no PDF is left and one that was there is kept.
  void stopLeavesNoPartialPdf_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("over a file") << true;
  }
  void stopLeavesNoPartialPdf() {
    QFETCH(bool, existing);
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    const QString pdf = Folder() + "/stopped.pdf";
    QFile::remove(pdf);
    if (existing) {
      QFile file(pdf);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("kept");
    }
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, pdf, 1200);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // Stopped once bands are being painted: the window kept answering
    // while the objects were placed and the first bands drawn.
    int progressSeen = -1;
    test::DriveModal<QProgressDialog>([&](QProgressDialog* progress) {
      if (progress->value() <= progress->maximum() / 10) return false;
      progressSeen = progress->value();
      QTest::keyClick(progress, Qt::Key_Escape);
      return true;
    });
    QElapsedTimer timer;
    timer.start();
    const Done result = Print(printer, SourceOf(view));
    qInfo("stopped at %d of 1000, after %lld ms", progressSeen, static_cast<long long>(timer.elapsed()));
    QVERIFY(progressSeen > 0 && progressSeen < 1000);
    QVERIFY(result.stopped());
    QCOMPARE(printer.outputFileName(), pdf);
    QCOMPARE(QFileInfo::exists(pdf), existing);
    if (existing) QCOMPARE(test::FileBytes(pdf), QByteArray("kept"));
    QVERIFY2(PartialFiles().isEmpty(), qPrintable(PartialFiles().join(',')));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  // Not a check: the times and sizes of an A4 page at 1200 dpi printed both
  // ways, interleaved, medians of five, for a person to compare (run with
  // BRISOL_PRINT_TIMES=1 PrintRendered_test measurePrintTimes).
  void measurePrintTimes() {
    if (qEnvironmentVariableIsEmpty("BRISOL_PRINT_TIMES")) QSKIP("BRISOL_PRINT_TIMES is not set");
    CBrisolScrollView* view = Open(640, 480);
    QVERIFY(view);
    std::vector<qint64> times[2], sizes[2];
    for (int run = 0; run < 5; ++run) {
      for (int drawn = 0; drawn < 2; ++drawn) {
        const QString pdf = Folder() + "/timed.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QElapsedTimer timer;
        timer.start();
        if (drawn == 1)
          QVERIFY(Print(printer, SourceOf(view)).ok());
        else
          QVERIFY(PrintImage(printer, view->CurrentImage()));
        times[drawn].push_back(timer.elapsed());
        sizes[drawn].push_back(QFileInfo(pdf).size());
      }
    }
    for (int drawn = 0; drawn < 2; ++drawn) {
      std::sort(times[drawn].begin(), times[drawn].end());
      qInfo("%s: median %lld ms, PDF %lld bytes", drawn ? "at the printer's resolution" : "the bitmap enlarged",
            static_cast<long long>(times[drawn][2]), static_cast<long long>(sizes[drawn][0]));
    }
  }

  // A printer that cannot start fails, naming it, and nothing is drawn.
  void aPrinterThatCannotStartFails() {
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, Folder() + "/no such folder/page.pdf");
    const Done result = Print(printer, SourceOf(view));
    QVERIFY2(result.message().find("no such folder/page.pdf") != std::string::npos, result.message().c_str());
    QVERIFY(PartialFiles().isEmpty());
  }

  // A page wider than Cairo draws (a large page at a fine resolution): the
  // print fails and the box tells why; it is not taken for a stop.
  void aBandCairoCannotDrawIsTold() {
    QVERIFY(Open(320, 240));
    m->app->Settings().m_bPrintAtPrinterResolution = true;
    test::DriveModal<QPrintDialog>([](QPrintDialog* dialog) {
      dialog->accept();
      return true;
    });
    const QString pdf = Folder() + "/wide.pdf";
    SetUpPdf(m->Frame().Printer(), pdf, 7200);
    m->Frame().Actions().print->trigger();
    QTRY_COMPARE(test::Alerts().Texts().size(), std::size_t{1});
    const QString told = test::TakeAlerts().front();
    QVERIFY2(
        told.startsWith("The picture could not be printed at the printer's resolution: Cairo could not draw rows 0 "),
        qPrintable(told));
    QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(PartialFiles().isEmpty());
  }
};

BRISOL_APP_TEST_MAIN(PrintRenderedTest)
#include "PrintRendered_test.moc"
