#include "app/SplashWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace brisol {

CSplashWindow::CSplashWindow(const QPixmap& picture, QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_picture(picture) {
  setObjectName(QStringLiteral("splash"));
  setAttribute(Qt::WA_DeleteOnClose);
  setCursor(Qt::ArrowCursor);
  const QSize size = m_picture.deviceIndependentSize().toSize();
  setFixedSize(size);
  // Centred on the owner when it is on screen, else on the screen.
  QRect around = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
  if (around.isEmpty()) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) around = screen->availableGeometry();
  }
  if (!around.isEmpty()) move(around.center() - QPoint(size.width() / 2, size.height() / 2));
  m_timer.setSingleShot(true);
  m_timer.setInterval(kShowMilliseconds);
  connect(&m_timer, &QTimer::timeout, this, &CSplashWindow::Dismiss);
  qApp->installEventFilter(this);
  m_timer.start();
  show();
  raise();
}

CSplashWindow::~CSplashWindow() { qApp->removeEventFilter(this); }

void CSplashWindow::Dismiss() {
  if (m_bDismissed) return;
  m_bDismissed = true;
  m_timer.stop();
  qApp->removeEventFilter(this);
  if (QWidget* owner = parentWidget()) owner->update();
  close();
}

bool CSplashWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Keeps the key from triggering a shortcut: it only closes the splash.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress: {
      if (auto* mouse = dynamic_cast<QMouseEvent*>(event)) {
        const Qt::MouseButton b = mouse->button();
        if (b != Qt::LeftButton && b != Qt::RightButton && b != Qt::MiddleButton) break;
      }
      Dismiss();
      return true;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void CSplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_picture);
}

}  // namespace brisol
