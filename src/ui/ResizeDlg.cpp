#include "ui/ResizeDlg.h"

namespace brisol {

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent) {}
QString CResizeDlg::MemoryText(int width, int height) { return {}; }
void CResizeDlg::accept() { QDialog::accept(); }
void CResizeDlg::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
void CResizeDlg::OnPercentChanged() {}
void CResizeDlg::OnWidthChanged() {}
void CResizeDlg::OnHeightChanged() {}
void CResizeDlg::ShowMemory() {}

}  // namespace brisol
