// The help window: the program's manual (docs/manual.md, built into the
// program) with its pictures, in a browser window beside the main window.
#pragma once

#include <QTextBrowser>
#include <QWidget>

class QTimer;

namespace brisol {

// The browser of the help window: pictures wider than the page are shown
// scaled to its width, and scaled again when the window's width changes.
class CHelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  explicit CHelpBrowser(QWidget* parent);
  QVariant loadResource(int type, const QUrl& name) override;
  // The widest a picture is shown.
  int PictureRoom() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Relayout();

  QTimer* m_pRelayout;
  int m_iLaidOutFor = 0;
};

// Escape closes it.
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
