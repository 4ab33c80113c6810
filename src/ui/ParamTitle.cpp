#include "ui/ParamTitle.h"

#include "effect/EffectParams.h"

namespace brisol {

QString ParamTitle(const EffectParam& param) {
  QString help = QString::fromUtf8(param.help.data(), static_cast<qsizetype>(param.help.size()));
  // "object size, percent of the width": the unit is not part of the name,
  // nor is a remark in brackets.
  for (const QChar cut : {QChar(','), QChar('(')}) {
    const qsizetype at = help.indexOf(cut);
    if (at >= 0) help.truncate(at);
  }
  help = help.trimmed();
  return help.isEmpty() ? QString::fromUtf8(param.key.data(), static_cast<qsizetype>(param.key.size())) : help;
}

QString ParamHeading(const EffectParam& param) {
  QString title = ParamTitle(param);
  if (!title.isEmpty()) title[0] = title[0].toUpper();
  return title;
}

}  // namespace brisol
