#include "app/PrintRendered.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <semaphore>
#include <stop_token>
#include <thread>

#include "app/Printing.h"
#include "effect/Runner.h"
#include "raster/Dadc.h"
#include "vector/VectorExport.h"

namespace brisol {

int BandRows(int pageWidth) {
  constexpr long long kBandBytes = 16ll << 20;
  return static_cast<int>(std::max<long long>(kBandBytes / (4ll * std::max(pageWidth, 1)), 1));
}

namespace {

// The progress dialog's steps: the objects' placement first, then the bands.
constexpr int kPlacementSteps = 100, kSteps = 1000;
// The resolutions the page can be drawn at.
constexpr double kMinDpi = 1, kMaxDpi = 10000;

QString Tr(const char* text) { return QCoreApplication::translate("brisol::PrintRendered", text); }

// How the page's pixels map onto the printer's: the resolution they are
// drawn at, and the device pixels one of them takes (1 unless the picture
// is so small on the page that it would need more than kMaxDpi).
struct PageScale {
  double dpi = 72;
  double scale = 1;
};

PageScale ScaleFor(const QRect& target, const SIZE& picture) {
  // The side that fills the page has the larger ratio; the other one was
  // rounded down to whole device pixels.
  const double factor = std::max(double(target.width()) / picture.cx, double(target.height()) / picture.cy);
  PageScale s;
  s.dpi = std::clamp(72 * factor, kMinDpi, kMaxDpi);
  s.scale = 72 * factor / s.dpi;
  return s;
}

// Where the printer writes a PDF file, and the name it is written under
// until the page is whole: a stopped or failed print leaves no partial file
// and keeps a file that was there.
class PdfTarget {
 public:
  explicit PdfTarget(QPrinter& printer) : m_printer(printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) return;
    m_final = printer.outputFileName();
    const QFileInfo info(m_final);
    m_partial = info.dir().filePath(QStringLiteral(".~") + info.fileName() + QStringLiteral(".part"));
    printer.setOutputFileName(m_partial);
  }
  ~PdfTarget() {
    if (!m_final.isEmpty()) m_printer.setOutputFileName(m_final);
  }
  bool IsFile() const { return !m_final.isEmpty(); }
  // The file the person chose (empty for a printer).
  const QString& Final() const { return m_final; }
  // Puts the whole file in place.
  Done Keep() {
    if (!IsFile()) return {};
    std::error_code error;
    std::filesystem::rename(m_partial.toStdString(), m_final.toStdString(), error);
    if (!error) return {};
    Drop();
    return Fail("the PDF file '" + m_final.toStdString() + "' could not be put in place: " + error.message());
  }
  void Drop() {
    if (!IsFile()) return;
    std::error_code ignored;
    std::filesystem::remove(m_partial.toStdString(), ignored);
  }

 private:
  QPrinter& m_printer;
  QString m_final, m_partial;
};

// The GUI thread's side of one print: what the drawing thread sends it.
struct PrintRun {
  QPainter* painter = nullptr;
  QRect target;
  PageScale scale;
  QProgressDialog* progress = nullptr;
  QEventLoop loop;
  // Stopped until the drawing tells otherwise: a loop ended by the
  // program's quitting ends the print unfinished.
  Done result = StoppedBy();
  bool stopping = false;
  int progressShown = -1;
  // Bands drawn and not yet painted: the drawing waits while two do.
  std::counting_semaphore<2> room{2};

  void Progress(int step) {
    if (step == progressShown || stopping) return;
    progressShown = step;
    progress->setValue(step);
  }
  void Band(int top, const QImage& band) {
    if (!stopping) {
      const double s = scale.scale;
      painter->drawImage(QRectF(target.x(), target.y() + top * s, band.width() * s, band.height() * s), band);
    }
    room.release();
  }
  void Finish(brisol::Done ended) {
    result = stopping ? StoppedBy() : std::move(ended);
    loop.quit();
  }
};

// Tells the GUI thread of the placement's progress as steps of the dialog.
class PlacementProgress final : public DrawObserver {
 public:
  explicit PlacementProgress(std::function<void(int)> tell) : m_tell(std::move(tell)) {}
  void Progress(std::size_t done, std::size_t total) override {
    const int step = total == 0 ? kPlacementSteps : static_cast<int>(done * kPlacementSteps / total);
    if (step != m_last) m_tell(m_last = step);
  }

 private:
  std::function<void(int)> m_tell;
  int m_last = -1;
};

// The drawing thread: the page made ready, then its bands one by one.
void DrawPage(std::stop_token stop, const PictureSource& source, PageScale scale, QObject* gui, PrintRun& run) {
  auto post = [gui](auto f) { QMetaObject::invokeMethod(gui, std::move(f), Qt::QueuedConnection); };
  auto done = [&](Done ended = {}) {
    post([&run, ended = std::move(ended)]() mutable { run.Finish(std::move(ended)); });
  };
  VectorJob job;
  job.effect = source.effect.get();
  job.photo = source.photo.get();
  job.level = source.quality;
  PlacementProgress placement([&](int step) { post([&run, step] { run.Progress(step); }); });
  std::string why;
  const auto page = PrintedPage::Prepare(job, scale.dpi, why, &placement, stop);
  if (stop.stop_requested()) return done(StoppedBy());
  if (!page) return done(Fail(why));
  const SIZE size = page->PixelSize();
  const int rows = BandRows(size.cx);
  for (int top = 0; top < size.cy; top += rows) {
    while (!run.room.try_acquire_for(std::chrono::milliseconds(50))) {
      if (stop.stop_requested()) return done(StoppedBy());
    }
    QImage band(size.cx, std::min(rows, size.cy - top), QImage::Format_RGB32);
    if (band.isNull()) {
      run.room.release();
      return done(Fail(Status::NoMemory, "not enough memory for a band of the page"));
    }
    if (Done drawn = page->DrawBand(top, band.height(), band.bits(), static_cast<int>(band.bytesPerLine()), stop);
        !drawn) {
      run.room.release();
      return done(std::move(drawn));
    }
    const int step = kPlacementSteps + static_cast<int>(static_cast<long long>(top + band.height()) *
                                                        (kSteps - kPlacementSteps) / size.cy);
    post([&run, top, band = std::move(band), step] {
      run.Band(top, band);
      run.Progress(step);
    });
  }
  done();
}

}  // namespace

Done PrintRendered(QPrinter& printer, const PictureSource& source, QWidget* parent) {
  // Every failure of drawing the page, for the person who asked.
  auto failed = [](Failure failure) {
    failure.message = "The picture could not be printed at the printer's resolution: " + failure.message + ".";
    return failure;
  };
  if (!source.effect || !source.photo) return failed(Fail("there is no picture to print"));
  const SIZE picture = source.photo->GetSize();
  PrintRun run;
  run.target = PrintPlacement(QSize(printer.width(), printer.height()), QSize(picture.cx, picture.cy));
  if (run.target.isEmpty()) return failed(Fail("the page has no room for the picture"));
  run.scale = ScaleFor(run.target, picture);

  PdfTarget pdf(printer);
  QPainter painter;
  if (Done begun = BeginPrinting(painter, printer, pdf.Final()); !begun) {
    pdf.Drop();
    return begun;
  }
  painter.setClipRect(run.target);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, run.scale.scale != 1);
  run.painter = &painter;

  QProgressDialog progress(Tr("Drawing the page at %1 dpi...").arg(printer.resolution()), Tr("Stop"), 0, kSteps,
                           parent);
  progress.setObjectName(QStringLiteral("printProgress"));
  progress.setWindowTitle(Tr("Printing"));
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setMinimumDuration(0);
  progress.setMinimumWidth(progress.fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
  run.progress = &progress;
  progress.setValue(0);
  progress.show();

  {
    QObject gui;  // what the drawing thread's messages go to; gone with them after the join
    std::jthread drawing(DrawPage, source, run.scale, &gui, std::ref(run));
    auto stop = [&] {
      run.stopping = true;
      drawing.request_stop();
    };
    // Stop, Esc and closing the window all end the drawing.
    QObject::connect(&progress, &QProgressDialog::canceled, &gui, stop);
    QObject::connect(&progress, &QDialog::rejected, &gui, stop);
    run.loop.exec();
  }
  progress.hide();

  if (run.result) {
    if (!painter.end()) run.result = Fail("the printer did not take the page");
    if (run.result) run.result = pdf.Keep();
  } else {
    if (!pdf.IsFile()) printer.abort();
    painter.end();
  }
  if (!run.result) pdf.Drop();
  if (!run.result && !run.result.stopped()) return failed(std::move(run.result).failure());
  return std::move(run.result);
}

}  // namespace brisol
