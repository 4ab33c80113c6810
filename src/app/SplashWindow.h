// The splash window: the program's picture, centred over the main window
// for 8 seconds. Any key press or mouse click anywhere in the program
// closes it sooner, and that key or click does nothing else.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace brisol {

class CSplashWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShowMilliseconds = 8000;

  CSplashWindow(const QPixmap& picture, QWidget* owner);
  ~CSplashWindow() override;

  // Closes the splash and repaints its owner.
  void Dismiss();
  const QTimer& Timer() const { return m_timer; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap m_picture;
  QTimer m_timer;
  bool m_bDismissed = false;
};

}  // namespace brisol
