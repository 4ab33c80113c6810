// A parameter's name in words for menus and steps ("object size", "where
// the objects go"): the first part of its help line in the parameter table,
// so that no name is written twice.
#pragma once

#include <QString>

namespace brisol {

struct EffectParam;

// The name in lower case, as it stands inside a sentence ("Undo object size").
QString ParamTitle(const EffectParam& param);
// The same beginning with a capital, for a list of choices.
QString ParamHeading(const EffectParam& param);

}  // namespace brisol
