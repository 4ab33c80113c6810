#include "ui/QualityDlg.h"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/PanelControls.h"

namespace brisol {

CQualityDlg::CQualityDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("QUALITYDLG"));
  setWindowTitle(QStringLiteral("Image Quality Settings (anti-alias)"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  m_pNormal = new QRadioButton(QStringLiteral("&Normal quality (fastest and uses less memory)"), this);
  m_pNormal->setObjectName(QStringLiteral("rad1053"));
  m_pHigh = new QRadioButton(QStringLiteral("&High quality (slowest and uses more memory)"), this);
  m_pHigh->setObjectName(QStringLiteral("rad1054"));
  layout->addWidget(m_pNormal);
  layout->addWidget(m_pHigh);
  layout->addSpacing(8);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);

  connect(m_pNormal, &QRadioButton::toggled, this, [this](bool on) {
    if (on) m_iQuality = 1;
  });
  connect(m_pHigh, &QRadioButton::toggled, this, [this](bool on) {
    if (on) m_iQuality = 2;
  });
  // Wide enough for its whole title in the window manager's title bar.
  setMinimumWidth(TitleBarWidth(this));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CQualityDlg::showEvent(QShowEvent* event) {
  if (event->spontaneous()) {
    QDialog::showEvent(event);
    return;
  }
  if (m_iQuality == 2)
    m_pHigh->setChecked(true);
  else
    m_pNormal->setChecked(true);
  QDialog::showEvent(event);
}

}  // namespace brisol
