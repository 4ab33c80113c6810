#include "ui/PanelRows.h"

#include <QLineEdit>
#include <QSlider>

namespace brisol {

const EffectParam& PanelParam(const char* key) { return *FindEffectParam(key); }

QString PanelLabel(const char* key) {
  const std::string_view label = PanelParam(key).label;
  return QString::fromLatin1(label.data(), static_cast<int>(label.size()));
}

void EnableForParam(const char* key, const CEffect& effect, std::initializer_list<QWidget*> controls) {
  const auto inactive = PanelParam(key).inactiveBecause;
  const char* reason = inactive != nullptr ? inactive(effect) : nullptr;
  const QString tip = reason != nullptr ? QStringLiteral("Not used: %1").arg(QString::fromLatin1(reason)) : QString();
  for (QWidget* control : controls) {
    control->setEnabled(reason == nullptr);
    control->setToolTip(tip);
  }
}

void EnableForParam(const char* key, const CEffect& effect, const SliderRow& row) {
  EnableForParam(key, effect, {row.slider, row.edit});
}

void DescribeParam(const char* key, const SliderRow& row) {
  const EffectParam& p = PanelParam(key);
  QString text = PanelLabel(key).trimmed();
  if (!p.help.empty()) {
    const QString help = QString::fromLatin1(p.help.data(), static_cast<int>(p.help.size()));
    text = text.isEmpty() ? help : text + QStringLiteral(": ") + help;
  }
  for (QWidget* control : {static_cast<QWidget*>(row.slider), static_cast<QWidget*>(row.edit)})
    if (control != nullptr) control->setWhatsThis(text);
}

}  // namespace brisol
