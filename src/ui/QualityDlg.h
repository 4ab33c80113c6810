// "Image Quality Settings (anti-alias)": normal (1) or high (2) quality.
#pragma once

#include <QDialog>

class QRadioButton;

namespace brisol {

class CQualityDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CQualityDlg(QWidget* parent);

  // Set before the dialog is shown; read after OK.
  int m_iQuality = 1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QRadioButton* m_pNormal = nullptr;
  QRadioButton* m_pHigh = nullptr;
};

}  // namespace brisol
