#include "ui/MessageBoxAlertSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace brisol {
namespace {

// Every box carries the icon of its level: a question the question mark,
// and a plain box, which in this program always tells of something that
// failed or cannot be done, the warning sign.
QMessageBox::Icon BoxIcon(int icon, AlertButtons buttons) {
  if (icon == kIconNone) return buttons == AlertButtons::Ok ? QMessageBox::Warning : QMessageBox::Question;
  switch (icon) {
    case kIconStop:
      return QMessageBox::Critical;
    case kIconQuestion:
      return QMessageBox::Question;
    case kIconExclamation:
      return QMessageBox::Warning;
    case kIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons BoxButtons(AlertButtons buttons) {
  switch (buttons) {
    case AlertButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case AlertButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case AlertButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

AlertAnswer Answer(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return AlertAnswer::Yes;
    case QMessageBox::No:
      return AlertAnswer::No;
    case QMessageBox::Cancel:
      return AlertAnswer::Cancel;
    default:
      return AlertAnswer::Ok;
  }
}

}  // namespace

AlertAnswer MessageBoxAlertSink::Show(const Alert& alert) {
  if (qApp == nullptr || QThread::currentThread() != qApp->thread()) return StderrAlertSink().Show(alert);
  // Centred over the window the user works in, yet blocking every window.
  QMessageBox box(BoxIcon(alert.icon, alert.buttons), QString::fromStdString(alert.caption),
                  QString::fromStdString(alert.text), BoxButtons(alert.buttons), QApplication::activeWindow());
  box.setObjectName(QStringLiteral("alertBox"));
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  const int result = box.exec();
  // A question closed without an answer takes the cautious one.
  if (result != QMessageBox::Yes && result != QMessageBox::No && result != QMessageBox::Ok &&
      result != QMessageBox::Cancel) {
    if (alert.buttons == AlertButtons::YesNo) return AlertAnswer::No;
    if (alert.buttons == AlertButtons::YesNoCancel) return AlertAnswer::Cancel;
  }
  return Answer(result);
}

}  // namespace brisol
