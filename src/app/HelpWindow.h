// The help window: the program's manual (docs/manual.md, built into the
// program) with its pictures, in a browser window beside the main window.
#pragma once

#include <QTextBrowser>
#include <QWidget>

namespace brisol {

// The browser of the help window: pictures wider than the page are shown
// scaled to its width.
class CHelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl& name) override;
};

class CHelpWindow : public QWidget {
  Q_OBJECT
 public:
  // The manual's address inside the program.
  static constexpr const char* kManualUrl = "qrc:/docs/manual.md";

  explicit CHelpWindow(QWidget* owner);
  CHelpBrowser* Browser() const { return m_pBrowser; }

 private:
  CHelpBrowser* m_pBrowser;
};

}  // namespace brisol
