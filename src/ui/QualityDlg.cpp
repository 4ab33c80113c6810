#include "ui/QualityDlg.h"

#include <QRadioButton>

namespace brisol {

CQualityDlg::CQualityDlg(QWidget* parent) : QDialog(parent) {}
void CQualityDlg::showEvent(QShowEvent* event) { QDialog::showEvent(event); }

}  // namespace brisol
