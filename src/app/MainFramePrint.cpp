// The main window's printing commands, for the active view's picture.
#include <QCheckBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/PrintRendered.h"
#include "app/Printing.h"
#include "app/ScrollView.h"
#include "ui/Tell.h"

namespace brisol {

namespace {

// The print dialog's tab of Brisol's own options.
struct PrintOptionsTab {
  explicit PrintOptionsTab(bool atPrinterResolution) {
    tab.setObjectName(QStringLiteral("brisolPrintOptions"));
    tab.setWindowTitle(CMainFrame::tr("Picture"));
    atResolution.setObjectName(QStringLiteral("renderAtPrinterResolution"));
    atResolution.setChecked(atPrinterResolution);
    note.setWordWrap(true);
    note.setIndent(20);
    layout.addWidget(&atResolution);
    layout.addWidget(&note);
    layout.addStretch(1);
  }
  QWidget tab;
  QVBoxLayout layout{&tab};
  QCheckBox atResolution{CMainFrame::tr("&Render at printer resolution"), &tab};
  QLabel note{CMainFrame::tr("Draws the picture anew at the printer's dots instead of enlarging its pixels: "
                             "sharp edges on paper and in a PDF at any zoom. Takes longer."),
              &tab};
};

}  // namespace

void CMainFrame::OnFilePrint() {
  CBrisolScrollView* view = ActiveView();
  if (view == nullptr || (m_pRenderedPrint && !m_pRenderedPrint->IsFinished())) return;
  CAppSettings& settings = m_app.Settings();
  QPrintDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("printDialog"));
  PrintOptionsTab options(settings.m_bPrintAtPrinterResolution);
  dialog.setOptionTabs({&options.tab});
  if (dialog.exec() != QDialog::Accepted) return;
  settings.m_bPrintAtPrinterResolution = options.atResolution.isChecked();
  // What is printed is the newest exact picture (the view goes with its
  // document, and what waits with them).
  view->GetDocument()->WhenPictureReady([this, view, rendered = settings.m_bPrintAtPrinterResolution] {
    // The original photo has nothing to draw anew; it prints as it is.
    if (!rendered || view->GetShow() != 1 || !view->ShownEffect()) {
      TellFailure(PrintImage(Printer(), view->CurrentImage()));
      return;
    }
    if (m_pRenderedPrint && !m_pRenderedPrint->IsFinished()) return;  // one print at a time
    const CBrisolDoc* doc = view->GetDocument();
    m_pRenderedPrint = std::make_unique<CRenderedPrint>(
        Printer(), PictureSource{doc->SharedOriginal(), view->ShownEffect(), doc->ShownQuality()}, this);
    connect(m_pRenderedPrint.get(), &CRenderedPrint::Finished, this,
            [this] { TellFailure(m_pRenderedPrint->Result()); });
  });
}

void CMainFrame::OnFilePrintPreview() {
  CBrisolScrollView* view = ActiveView();
  if (view == nullptr) return;
  view->GetDocument()->WhenPictureReady([this, view] {
    QPrintPreviewDialog dialog(&Printer(), this);
    dialog.setObjectName(QStringLiteral("printPreviewDialog"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [view](QPrinter* printer) { TellFailure(PrintImage(*printer, view->CurrentImage())); });
    dialog.exec();
  });
}

void CMainFrame::OnFilePrintSetup() {
  QPageSetupDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("pageSetupDialog"));
  dialog.exec();
}

}  // namespace brisol
