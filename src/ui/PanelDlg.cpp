#include "ui/PanelDlg.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace brisol {
namespace {

// Ctrl+C and Ctrl+V in a panel's edit belong to the main window: the edit
// neither claims them as its own shortcuts nor handles the key itself.
class CopyPasteForwarder : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool ctrlOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
      if (ctrlOnly && (key->key() == Qt::Key_C || key->key() == Qt::Key_V)) {
        event->ignore();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

CPanelDlg::CPanelDlg(QWidget* parent, const char* objectName, const QString& title) : QDialog(parent, Qt::Tool) {
  setObjectName(QString::fromLatin1(objectName));
  setWindowTitle(title);
  setModal(false);
}

void CPanelDlg::reject() { HidePanel(); }

void CPanelDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  HidePanel();
}

QWidget* CPanelDlg::Host() const {
  if (isWindow()) return const_cast<CPanelDlg*>(this);
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget())
    if (auto* dock = qobject_cast<QDockWidget*>(w)) return dock;
  return const_cast<CPanelDlg*>(this);
}

bool CPanelDlg::IsShown() const { return !Host()->isHidden(); }

void CPanelDlg::HidePanel() { Host()->hide(); }

void CPanelDlg::ForwardCopyPaste(QLineEdit* edit) {
  auto* forwarder = findChild<QObject*>(QStringLiteral("copyPasteForwarder"), Qt::FindDirectChildrenOnly);
  if (forwarder == nullptr) {
    forwarder = new CopyPasteForwarder(this);
    forwarder->setObjectName(QStringLiteral("copyPasteForwarder"));
  }
  edit->installEventFilter(forwarder);
}

QGridLayout* CPanelDlg::AddGroup(QVBoxLayout* column, const char* title) {
  auto* group = new QGroupBox(QString::fromLatin1(title), this);
  auto* grid = new QGridLayout(group);
  grid->setColumnStretch(1, 1);
  column->addWidget(group);
  return grid;
}

}  // namespace brisol
