#include "ui/OrigDlg.h"

#include <QFrame>

#include "raster/Dadc.h"

namespace brisol {

COrigDlg::COrigDlg(QWidget* parent) : CPanelDlg(parent, "ORIGDLG", QStringLiteral("Original Image")) {}
COrigDlg::~COrigDlg() = default;
void COrigDlg::SetImage(const CDADC* image) {}
void COrigDlg::HideImage() { hide(); }
void COrigDlg::paintEvent(QPaintEvent* event) { CPanelDlg::paintEvent(event); }

}  // namespace brisol
