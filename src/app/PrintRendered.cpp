#include "app/PrintRendered.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <stop_token>

#include "app/Printing.h"
#include "effect/Runner.h"
#include "raster/Dadc.h"
#include "vector/VectorExport.h"

namespace brisol {

namespace {

// The progress dialog's steps: the objects' placement first, then the bands.
constexpr int kPlacementSteps = 100, kSteps = 1000;

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

}  // namespace

// Where the printer writes a PDF file, and the name it is written under
// until the page is whole: a stopped or failed print leaves no partial file
// and keeps a file that was there.
class CRenderedPrint::PdfTarget {
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

namespace {

// The drawing thread: the page made ready, then its bands one by one, each
// handed to the GUI thread as a queued call; at most two wait there.
void DrawPage(std::stop_token stop, PictureSource source, double dpi, QObject* gui, std::counting_semaphore<2>& room,
              std::function<void(int top, QImage band, int step)> band, std::function<void(int)> progress,
              std::function<void(Done)> done) {
  auto post = [gui](auto f) { QMetaObject::invokeMethod(gui, std::move(f), Qt::QueuedConnection); };
  auto end = [&](Done ended) { post([done, ended = std::move(ended)]() mutable { done(std::move(ended)); }); };
  VectorJob job;
  job.effect = source.effect.get();
  job.photo = source.photo.get();
  job.level = source.quality;
  job.page.names = SettingNames::Words;  // told in a box, not on a command line
  PlacementProgress placement([&](int step) { post([progress, step] { progress(step); }); });
  auto prepared = PrintedPage::Prepare(job, dpi, &placement, stop);
  if (stop.stop_requested()) return end(StoppedBy());
  if (!prepared) return end(std::move(prepared).failure());
  const std::unique_ptr<PrintedPage> page = std::move(prepared).value();
  const SIZE size = page->PixelSize();
  const int rows = BandRows(size.cx);
  for (int top = 0; top < size.cy; top += rows) {
    while (!room.try_acquire_for(std::chrono::milliseconds(50))) {
      if (stop.stop_requested()) return end(StoppedBy());
    }
    QImage image(size.cx, std::min(rows, size.cy - top), QImage::Format_RGB32);
    if (image.isNull()) return end(Fail(Status::NoMemory, "not enough memory for a band of the page"));
    if (Done drawn = page->DrawBand(top, image.height(), image.bits(), static_cast<int>(image.bytesPerLine()), stop);
        !drawn)
      return end(std::move(drawn));
    const int step = kPlacementSteps + static_cast<int>(static_cast<long long>(top + image.height()) *
                                                        (kSteps - kPlacementSteps) / size.cy);
    post([band, top, image = std::move(image), step] { band(top, image, step); });
  }
  end({});
}

// Every failure of drawing the page, for the person who asked.
Failure NotPrinted(Failure failure) {
  failure.message = "The picture could not be printed at the printer's resolution: " + failure.message + ".";
  return failure;
}

}  // namespace

CRenderedPrint::CRenderedPrint(QPrinter& printer, PictureSource source, QWidget* parent)
    : QObject(parent), m_printer(printer), m_source(std::move(source)) {
  Start(parent);
}

void CRenderedPrint::Start(QWidget* parent) {
  // A print that cannot start tells so as a finished one does: later.
  auto cannot = [this](Failure failure) {
    QMetaObject::invokeMethod(
        this, [this, failure = std::move(failure)]() mutable { Finish(std::move(failure)); }, Qt::QueuedConnection);
  };
  if (!m_source.effect || !m_source.photo) return cannot(NotPrinted(Fail("there is no picture to print")));
  const SIZE picture = m_source.photo->GetSize();
  m_target = PrintPlacement(QSize(m_printer.width(), m_printer.height()), QSize(picture.cx, picture.cy));
  if (m_target.isEmpty()) return cannot(NotPrinted(Fail("the page has no room for the picture")));
  const PageScale scale = ScaleFor(m_target, picture);
  m_dpi = scale.dpi;
  m_scale = scale.scale;

  m_pdf = std::make_unique<PdfTarget>(m_printer);
  if (Done begun = BeginPrinting(m_painter, m_printer, m_pdf->Final()); !begun) {
    m_pdf->Drop();
    m_pdf.reset();  // the printer's own name back
    return cannot(std::move(begun).failure());
  }
  m_painter.setClipRect(m_target);
  m_painter.setRenderHint(QPainter::SmoothPixmapTransform, m_scale != 1);

  m_progress = std::make_unique<QProgressDialog>(Tr("Drawing the page at %1 dpi...").arg(m_printer.resolution()),
                                                 Tr("Stop"), 0, kSteps, parent);
  QProgressDialog& progress = *m_progress;
  progress.setObjectName(QStringLiteral("printProgress"));
  progress.setWindowTitle(Tr("Printing"));
  progress.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setMinimumDuration(0);
  progress.setMinimumWidth(progress.fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
  // Stop, Esc and closing the window all end the drawing.
  connect(&progress, &QProgressDialog::canceled, this, &CRenderedPrint::StopDrawing);
  connect(&progress, &QDialog::rejected, this, &CRenderedPrint::StopDrawing);
  progress.setValue(0);
  progress.open();

  m_drawing = std::jthread(
      DrawPage, m_source, m_dpi, this, std::ref(m_room),
      [this](int top, const QImage& band, int step) {
        Band(top, band);
        Progress(step);
      },
      [this](int step) { Progress(step); }, [this](Done ended) { Finish(std::move(ended)); });
}

CRenderedPrint::~CRenderedPrint() {
  if (m_finished) return;
  m_stopping = true;
  if (m_drawing.joinable()) {
    m_drawing.request_stop();
    m_drawing.join();
  }
  if (m_painter.isActive()) {
    if (!m_pdf->IsFile()) m_printer.abort();
    m_painter.end();
  }
  if (m_pdf) m_pdf->Drop();
}

void CRenderedPrint::StopDrawing() {
  m_stopping = true;
  m_drawing.request_stop();
}

void CRenderedPrint::Progress(int step) {
  if (step == m_progressShown || m_stopping || !m_progress) return;
  m_progressShown = step;
  m_progress->setValue(step);
}

void CRenderedPrint::Band(int top, const QImage& band) {
  if (!m_stopping) {
    const double s = m_scale;
    m_painter.drawImage(QRectF(m_target.x(), m_target.y() + top * s, band.width() * s, band.height() * s), band);
  }
  m_room.release();
}

void CRenderedPrint::Finish(Done ended) {
  if (m_drawing.joinable()) m_drawing.join();  // its last act was to send this
  Done result = m_stopping ? StoppedBy() : std::move(ended);
  if (m_progress) m_progress->hide();
  if (m_painter.isActive()) {
    if (result) {
      if (!m_painter.end()) result = Fail("the printer did not take the page");
      if (result) result = m_pdf->Keep();
    } else {
      if (!m_pdf->IsFile()) m_printer.abort();
      m_painter.end();
    }
    if (!result) m_pdf->Drop();
    if (!result && !result.stopped()) result = NotPrinted(std::move(result).failure());
  }
  m_pdf.reset();  // the printer's own name back
  m_result = std::move(result);
  m_finished = true;
  emit Finished();
}

int BandRows(int pageWidth) {
  constexpr long long kBandBytes = 16ll << 20;
  return static_cast<int>(std::max<long long>(kBandBytes / (4ll * std::max(pageWidth, 1)), 1));
}

}  // namespace brisol
