// "About Brisol": the program's icon and version.
#pragma once

#include <QDialog>

namespace brisol {

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CAboutDlg(QWidget* parent, const QString& version);
};

}  // namespace brisol
