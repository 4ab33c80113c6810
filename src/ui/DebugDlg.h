// The "Debug Dialog" panel: a text field and a large empty area, shown and
// hidden like the other panels.
#pragma once

#include "ui/PanelDlg.h"

namespace brisol {

class CDebugDlg : public CPanelDlg {
  Q_OBJECT
 public:
  explicit CDebugDlg(QWidget* parent);
};

}  // namespace brisol
