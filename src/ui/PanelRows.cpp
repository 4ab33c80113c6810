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

}  // namespace brisol
