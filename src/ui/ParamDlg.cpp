#include "ui/ParamDlg.h"

#include "effect/Effect.h"
#include "ui/EffectDocument.h"

namespace brisol {

struct CParamDlg::Impl {
  EffectDocument* doc = nullptr;
  CEffect* effect = nullptr;
};

CParamDlg::CParamDlg(QWidget* parent)
    : CPanelDlg(parent, "PARAMDLG", QStringLiteral("Size, Number and Angle")), m(std::make_unique<Impl>()) {}

CParamDlg::~CParamDlg() = default;

void CParamDlg::SetEffect(EffectDocument* doc, CEffect* effect) {
  m->doc = doc;
  m->effect = effect;
}

}  // namespace brisol
