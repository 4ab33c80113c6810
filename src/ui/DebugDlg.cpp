#include "ui/DebugDlg.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brisol {

CDebugDlg::CDebugDlg(QWidget* parent) : CPanelDlg(parent, "DBGDLG", QStringLiteral("Debug Dialog")) {
  auto* layout = new QVBoxLayout(this);
  auto* xy = new QLineEdit(this);
  xy->setObjectName(QStringLiteral("IDC_XY_TXT"));
  xy->setReadOnly(true);
  ForwardCopyPaste(xy);
  layout->addWidget(xy);

  auto* area = new QFrame(this);
  area->setObjectName(QStringLiteral("frm1001"));
  area->setFrameShape(QFrame::StyledPanel);
  area->setFrameShadow(QFrame::Sunken);
  area->setMinimumSize(240, 160);
  layout->addWidget(area, 1);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("btnClose"));
  connect(buttons, &QDialogButtonBox::rejected, this, &CDebugDlg::reject);
  layout->addWidget(buttons);
}

}  // namespace brisol
