#include "ui/PanelDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/EffectDocument.h"

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

void CPanelDlg::ReportFinishedEdits(std::function<EffectDocument*()> doc) {
  auto finished = [doc] {
    if (EffectDocument* d = doc()) d->EditFinished();
  };
  for (QSlider* slider : findChildren<QSlider*>()) {
    // A drag is one step, ended when the slider is let go; a click beside
    // the handle, a key or the wheel moves it by one step of its own.
    connect(slider, &QAbstractSlider::sliderReleased, this, finished);
    connect(slider, &QAbstractSlider::actionTriggered, this, [slider, finished] {
      if (!slider->isSliderDown()) finished();
    });
  }
  for (QLineEdit* edit : findChildren<QLineEdit*>()) connect(edit, &QLineEdit::editingFinished, this, finished);
  for (QComboBox* combo : findChildren<QComboBox*>()) connect(combo, &QComboBox::activated, this, finished);
  for (QPushButton* button : findChildren<QPushButton*>()) connect(button, &QPushButton::clicked, this, finished);
}

}  // namespace brisol
