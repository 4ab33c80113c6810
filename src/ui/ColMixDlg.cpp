#include "ui/ColMixDlg.h"

#include <QEvent>

#include "effect/Effect.h"
#include "ui/EffectDocument.h"

namespace brisol {

struct CColMixDlg::Impl {
  EffectDocument* doc = nullptr;
  CEffect* effect = nullptr;
  ColorChooser chooser;
};

CColMixDlg::CColMixDlg(QWidget* parent)
    : CPanelDlg(parent, "COLMIXDLG", QStringLiteral("Coloring and Mixing")), m(std::make_unique<Impl>()) {}

CColMixDlg::~CColMixDlg() = default;

void CColMixDlg::SetEffect(EffectDocument* doc, CEffect* effect) {
  m->doc = doc;
  m->effect = effect;
}
void CColMixDlg::InitFromCurrentEffect() {}
void CColMixDlg::SetColorChooser(ColorChooser chooser) { m->chooser = std::move(chooser); }
void CColMixDlg::paintEvent(QPaintEvent* event) { CPanelDlg::paintEvent(event); }
void CColMixDlg::mousePressEvent(QMouseEvent* event) { CPanelDlg::mousePressEvent(event); }
bool CColMixDlg::event(QEvent* event) { return CPanelDlg::event(event); }

}  // namespace brisol
