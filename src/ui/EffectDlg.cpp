#include "ui/EffectDlg.h"

#include "effect/Effect.h"
#include "effect/Runner.h"

namespace brisol {

class CObjectPreview {};

CEffectDlg::CEffectDlg(QWidget* parent, std::string mainDirectory, CEffect* presetEffect, std::string preselect)
    : QDialog(parent), m_mainDirectory(std::move(mainDirectory)), m_pEffect(presetEffect),
      m_szEffectName(std::move(preselect)) {}
CEffectDlg::~CEffectDlg() = default;
std::unique_ptr<CEffect> CEffectDlg::TakeEffect() { return std::move(m_pNewEffect); }
void CEffectDlg::SetEffectRoots(std::vector<std::string> roots) {
  m_roots = std::move(roots);
  m_bRootsGiven = true;
}
void CEffectDlg::PickPreview() {}
void CEffectDlg::OnOK() {}
void CEffectDlg::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
void CEffectDlg::ListCollections() {}
std::string CEffectDlg::SelectedName() const { return {}; }
const EffectCollection* CEffectDlg::SelectedCollection() const { return nullptr; }
std::string CEffectDlg::EffectsDirectory() const { return m_mainDirectory + "/Effects"; }

std::unique_ptr<CBrisol> RunObjectsWizard(QWidget* parent, const CDADC& original, const std::string& mainDirectory,
                                          std::string& defaultEffect) {
  return nullptr;
}

}  // namespace brisol
