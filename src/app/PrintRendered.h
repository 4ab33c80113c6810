// Printing the picture drawn anew at the printer's resolution: the effect's
// objects are drawn at the page's device pixels instead of the shown bitmap
// being enlarged, so edges stay sharp on paper and in a PDF at any zoom.
//
// The page is drawn in bands on a thread of the print's own; each band is
// painted on the printer, in the GUI thread, as it comes, in the place the
// plain print gives the bitmap. A progress dialog with Stop (Esc) stays up
// meanwhile and the GUI keeps answering; nothing waits in a loop of its own.
#pragma once

#include <QObject>
#include <QPainter>
#include <memory>
#include <semaphore>
#include <thread>

#include "logger/Outcome.h"
#include "ui/PictureSource.h"

class QImage;
class QPrinter;
class QProgressDialog;
class QWidget;

namespace brisol {

// One page printed. A stopped print ends the job: a printer's job is
// aborted, and a PDF file is not left behind (an existing file of that name
// is kept). The printer must outlive the print.
class CRenderedPrint : public QObject {
  Q_OBJECT
 public:
  // Starts the print; Finished follows, later, whether it printed or not.
  CRenderedPrint(QPrinter& printer, PictureSource source, QWidget* parent);
  // A print still under way is stopped (and Finished is not sent).
  ~CRenderedPrint() override;

  bool IsFinished() const { return m_finished; }
  // How it ended, once finished; a failure says why, for the caller to tell.
  const Done& Result() const { return m_result; }

 signals:
  void Finished();

 private:
  class PdfTarget;
  void Start(QWidget* parent);
  // The GUI thread's side: what the drawing thread sends.
  void Progress(int step);
  void Band(int top, const QImage& band);
  void Finish(Done ended);
  void StopDrawing();

  QPrinter& m_printer;
  PictureSource m_source;
  std::unique_ptr<PdfTarget> m_pdf;
  QPainter m_painter;
  QRect m_target;
  double m_dpi = 72;
  double m_scale = 1;  // device pixels a pixel of the page takes
  std::unique_ptr<QProgressDialog> m_progress;
  int m_progressShown = -1;
  bool m_stopping = false;
  bool m_finished = false;
  Done m_result;
  // Bands drawn and not yet painted: the drawing waits while two are.
  std::counting_semaphore<2> m_room{2};
  std::jthread m_drawing;  // last: stopped and joined first
};

// The rows of the page drawn in one band for a page this many pixels wide:
// at most about 16 MB of pixels, at least one row.
int BandRows(int pageWidth);

}  // namespace brisol
