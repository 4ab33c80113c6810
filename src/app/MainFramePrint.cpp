// The main window's printing commands, for the active view's picture.
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/Printing.h"
#include "app/ScrollView.h"

namespace brisol {

void CMainFrame::OnFilePrint() {
  CBrisolScrollView* view = ActiveView();
  if (view == nullptr) return;
  QPrintDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("printDialog"));
  if (dialog.exec() != QDialog::Accepted) return;
  view->GetDocument()->WaitForDrawing();
  PrintImage(Printer(), view->CurrentImage());
}

void CMainFrame::OnFilePrintPreview() {
  CBrisolScrollView* view = ActiveView();
  if (view == nullptr) return;
  view->GetDocument()->WaitForDrawing();
  QPrintPreviewDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("printPreviewDialog"));
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [view](QPrinter* printer) { PrintImage(*printer, view->CurrentImage()); });
  dialog.exec();
}

void CMainFrame::OnFilePrintSetup() {
  QPageSetupDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("pageSetupDialog"));
  dialog.exec();
}

}  // namespace brisol
