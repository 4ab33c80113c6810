// The help window: the program's manual (docs/manual.md, built into the
// program) with its pictures, in a browser window beside the main window.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace brisol {

class CHelpWindow : public QWidget {
  Q_OBJECT
 public:
  // The manual's address inside the program.
  static constexpr const char* kManualUrl = "qrc:/docs/manual.md";

  explicit CHelpWindow(QWidget* owner);
  QTextBrowser* Browser() const { return m_pBrowser; }

 private:
  QTextBrowser* m_pBrowser;
};

}  // namespace brisol
