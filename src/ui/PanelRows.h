// A panel's row for one effect parameter: its slider pair, the pair's buddy
// string and its widgets, loaded from and stored into the effect through the
// parameter table.
#pragma once

#include <QLineEdit>
#include <QString>
#include <initializer_list>
#include <type_traits>

#include "effect/EffectParams.h"
#include "ui/PanelControls.h"
#include "ui/SliderPair.h"

namespace brisol {

// The table's row of a key the panels know exists.
const EffectParam& PanelParam(const char* key);
QString PanelLabel(const char* key);

// Enables the controls when the parameter matters under the effect's other
// parameters; a disabled control tells why in its tooltip.
void EnableForParam(const char* key, const CEffect& effect, std::initializer_list<QWidget*> controls);
// The same for a slider row's slider and edit.
void EnableForParam(const char* key, const CEffect& effect, const SliderRow& row);
// Gives the row's controls the parameter's description for context help.
void DescribeParam(const char* key, const SliderRow& row);

template <typename Pair>
struct ParamRow {
  const char* key;
  int sliderId;
  int editId;
  Pair pair{};
  QString buddy{};
  SliderRow widgets{};

  // Binds the pair to a copy of the effect's value with the table's range
  // and format.
  Done Load(const CEffect& effect, QWidget* dlg) {
    const EffectParam& p = PanelParam(key);
    if constexpr (std::is_same_v<Pair, Cisp>) {
      return pair.Init(static_cast<int>(p.get(effect)), static_cast<int>(p.panelMin), static_cast<int>(p.panelMax),
                       &buddy, widgets.edit, widgets.slider, dlg, p.format);
    } else {
      return pair.Init(p.get(effect), p.panelMin, p.panelMax, &buddy, widgets.edit, widgets.slider, dlg, p.format);
    }
  }
  // The pair's value into the effect (whose setter keeps it in range).
  void Store(CEffect& effect) const {
    if constexpr (std::is_same_v<Pair, Cisp>)
      PanelParam(key).set(effect, pair.GetIntVal());
    else
      PanelParam(key).set(effect, pair.GetVal());
  }
  void Enable(const CEffect& effect) const { EnableForParam(key, effect, widgets); }
  // What Shift+F1 tells of the row's slider and edit.
  void Describe() const { DescribeParam(key, widgets); }
  // Routes what the user types into the edit to onEdit and, once the user
  // is done with it, shows the value in use instead of the text typed.
  template <typename OnEdit>
  void RouteEdit(QObject* owner, OnEdit onEdit) {
    QObject::connect(widgets.edit, &QLineEdit::textEdited, owner, onEdit);
    QObject::connect(widgets.edit, &QLineEdit::editingFinished, owner, [this] { pair.ShowValueInUse(); });
  }
};

using RealRow = ParamRow<CDblSldrPair>;
using CountRow = ParamRow<Cisp>;

}  // namespace brisol
