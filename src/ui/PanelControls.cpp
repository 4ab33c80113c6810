#include "ui/PanelControls.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>

namespace brisol {

SliderRow AddSliderRow(QGridLayout* grid, int row, const QString& label, int sliderId, int editId, int maxChars) {
  QWidget* parent = grid->parentWidget();
  SliderRow widgets;
  if (!label.isEmpty()) {
    widgets.label = new QLabel(label.trimmed(), parent);
    grid->addWidget(widgets.label, row, 0);
  }
  widgets.slider = new QSlider(Qt::Horizontal, parent);
  widgets.slider->setObjectName(QStringLiteral("sld%1").arg(sliderId));
  widgets.slider->setMinimumWidth(140);
  // Without a label the slider takes the label's place too.
  if (widgets.label != nullptr)
    grid->addWidget(widgets.slider, row, 1);
  else
    grid->addWidget(widgets.slider, row, 0, 1, 2);

  widgets.edit = new QLineEdit(parent);
  widgets.edit->setObjectName(QStringLiteral("edt%1").arg(editId));
  widgets.edit->setMaxLength(maxChars);
  widgets.edit->setAlignment(Qt::AlignRight);
  const QFontMetrics metrics(widgets.edit->font());
  widgets.edit->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("-000.000")) + 14);
  grid->addWidget(widgets.edit, row, 2);
  if (widgets.label != nullptr) widgets.label->setBuddy(widgets.edit);
  return widgets;
}

void AlignFirstColumns(QWidget* panel) {
  QList<QGridLayout*> grids;
  int widest = 0;
  for (QGroupBox* group : panel->findChildren<QGroupBox*>()) {
    auto* grid = qobject_cast<QGridLayout*>(group->layout());
    if (grid == nullptr) continue;
    grids << grid;
    for (int i = 0; i < grid->count(); ++i) {
      int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
      if (column == 0 && columnSpan == 1 && grid->itemAt(i)->widget() != nullptr)
        widest = std::max(widest, grid->itemAt(i)->widget()->sizeHint().width());
    }
  }
  for (QGridLayout* grid : grids) grid->setColumnMinimumWidth(0, widest);
}

int TitleBarWidth(const QWidget* window) {
  QFont bold = window->font();
  bold.setBold(true);
  // The icon and the three buttons beside the title, with room to spare.
  constexpr int kButtons = 140;
  return QFontMetrics(bold).horizontalAdvance(window->windowTitle()) + kButtons;
}

QComboBox* MakeComboBox(QWidget* parent, int id) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QStringLiteral("cmb%1").arg(id));
  combo->setEditable(false);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return combo;
}

void AddSorted(QComboBox* combo, const QString& text) {
  int at = 0;
  while (at < combo->count() && QString::compare(combo->itemText(at), text, Qt::CaseInsensitive) <= 0) ++at;
  combo->insertItem(at, text);
}

void SelectByText(QComboBox* combo, const QString& text) {
  for (int i = 0; i < combo->count(); ++i) {
    if (QString::compare(combo->itemText(i), text, Qt::CaseInsensitive) == 0) {
      combo->setCurrentIndex(i);
      return;
    }
  }
  combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

bool SelectByPrefix(QComboBox* combo, const QString& text) {
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
      combo->setCurrentIndex(i);
      return true;
    }
  }
  return false;
}

QString SelectedText(const QComboBox* combo) {
  return combo->currentIndex() < 0 ? QString() : combo->itemText(combo->currentIndex());
}

}  // namespace brisol
