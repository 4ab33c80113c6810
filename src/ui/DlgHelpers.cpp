#include "ui/DlgHelpers.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <cstdarg>
#include <cstring>

#include "logger/Alerts.h"
#include "logger/Format.h"

namespace brisol {
namespace {

// The longest text SetControlTxt takes, terminator included.
constexpr std::size_t kControlTextLimit = 5000;

bool HasNumber(const QObject* object, int id) {
  static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_]+(\\d+)$"));
  const QRegularExpressionMatch match = pattern.match(object->objectName());
  return match.hasMatch() && match.captured(1).toInt() == id;
}

}  // namespace

QWidget* FindControl(const QWidget* dialog, int id) {
  if (dialog == nullptr) return nullptr;
  const QList<QWidget*> children = dialog->findChildren<QWidget*>();
  for (QWidget* child : children)
    if (HasNumber(child, id)) return child;
  return nullptr;
}

bool ControlRect(const QWidget* dialog, int id, QRect& rect) {
  const QWidget* control = FindControl(dialog, id);
  if (control == nullptr) return false;
  rect = QRect(control->mapTo(dialog, QPoint(0, 0)), control->size());
  return true;
}

void PaintColorRect(const QWidget* dialog, int id, QPainter& painter, COLORREF colour) {
  QRect rect;
  if (!ControlRect(dialog, id, rect)) {
    WalertBox(kIconExclamation, "PaintColorRect %d failed", id);
    return;
  }
  painter.fillRect(rect, QColor(static_cast<int>(GetRValue(colour)), static_cast<int>(GetGValue(colour)),
                                static_cast<int>(GetBValue(colour))));
}

void EnableDlgItemInput(QWidget* dialog, int id, bool enable) {
  QWidget* control = FindControl(dialog, id);
  if (control == nullptr) {
    WalertBox(kIconInformation, "EnableDlgItemInput(%d,%d) failed", id, enable ? 1 : 0);
    return;
  }
  control->setEnabled(enable);
}

void SetControlTxt(QWidget* dialog, int id, const char* format, ...) {
  if (dialog == nullptr) {
    WalertBox(kIconExclamation, "Bad Dlg pointer in \nSetControlTxt(%d)", id);
    return;
  }
  QWidget* control = FindControl(dialog, id);
  if (control == nullptr) {
    WalertBox(kIconExclamation, "Bad Ctl pointer in\nSetControlTxt(%d)", id);
    return;
  }
  if (format == nullptr || std::strlen(format) >= kControlTextLimit) {
    AlertBox("PDIT called with long string");
    return;
  }
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  if (text.size() >= kControlTextLimit) text.resize(kControlTextLimit - 1);
  const QString qtext = QString::fromStdString(text);
  if (auto* label = qobject_cast<QLabel*>(control))
    label->setText(qtext);
  else if (auto* edit = qobject_cast<QLineEdit*>(control))
    edit->setText(qtext);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setText(qtext);
  else if (auto* group = qobject_cast<QGroupBox*>(control))
    group->setTitle(qtext);
  else
    control->setWindowTitle(qtext);
}

bool ChooseColorWithDialog(QWidget* parent, COLORREF& colour) {
  const QColor initial(static_cast<int>(GetRValue(colour)), static_cast<int>(GetGValue(colour)),
                       static_cast<int>(GetBValue(colour)));
  const QColor chosen = QColorDialog::getColor(initial, parent);
  if (!chosen.isValid()) return false;
  colour = RGB(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
               static_cast<unsigned>(chosen.blue()));
  return true;
}

bool PickColorOnClick(QWidget* dialog, int id, QPoint point, COLORREF& colour, const ColorChooser& chooser) {
  QRect rect;
  if (!ControlRect(dialog, id, rect)) return false;
  // Strictly inside: the rectangle's edges do not count. QRect's right and
  // bottom are the last pixels inside, one short of the exclusive edges.
  const int right = rect.left() + rect.width(), bottom = rect.top() + rect.height();
  if (!(rect.left() < point.x() && point.x() < right && rect.top() < point.y() && point.y() < bottom)) return false;
  COLORREF chosen = colour;
  if (!(chooser ? chooser(dialog, chosen) : ChooseColorWithDialog(dialog, chosen))) return false;
  colour = chosen;
  return true;
}

QString Sentence(const std::string& message) {
  QString text = QString::fromStdString(message);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text + '.';
}

}  // namespace brisol
