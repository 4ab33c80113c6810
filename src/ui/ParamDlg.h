// The "Size, Number and Angle" panel: how big the objects are, how many are
// placed and how they are turned, and how each follows the original image.
// Every change goes into the bound effect at once and asks the document for
// a new picture.
#pragma once

#include <memory>

#include "ui/PanelDlg.h"

class QComboBox;

namespace brisol {

template <typename Pair>
struct ParamRow;
class CDblSldrPair;

class CEffect;
class EffectDocument;

class CParamDlg : public CPanelDlg {
  Q_OBJECT
 public:
  explicit CParamDlg(QWidget* parent);
  ~CParamDlg() override;

  // Without a document: forget the document. With a document but no effect:
  // forget the effect. With both: bind them and load every control.
  void SetEffect(EffectDocument* doc, CEffect* effect);

 private:
  void LoadFromEffect();
  void ApplyEnabling();
  void OnHScroll();
  void OnRealEdit(ParamRow<CDblSldrPair>& row);
  void OnNumberEdit();
  void OnReaction(QComboBox* combo, const char* key);

  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace brisol
