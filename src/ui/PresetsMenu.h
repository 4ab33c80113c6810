// The Presets menu: the user's own presets and the bundled ones, listed
// afresh each time the menu opens, then Save as Preset... and Manage
// Presets.... It only tells what was chosen; the main window applies it.
#pragma once

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "recipe/Presets.h"

namespace brisol {

class CPresetsMenu : public QMenu {
  Q_OBJECT
 public:
  explicit CPresetsMenu(QWidget* parent);

  // Whether a preset can be applied and saved now (a picture with a
  // collection is in front).
  void SetCanApply(bool can);
  // Where the list comes from (the recipe library's presets unless
  // replaced).
  void SetLister(std::function<std::vector<PresetInfo>()> lister) { m_lister = std::move(lister); }
  // Lists the presets again (done whenever the menu opens).
  void Refill();

  QAction* SaveAsPresetAction() const { return m_pSave; }
  QAction* ManageAction() const { return m_pManage; }

 signals:
  void PresetChosen(const QString& name, const QString& path);
  void SaveAsPresetRequested();
  void ManageRequested();

 private:
  QAction* m_pSave = nullptr;
  QAction* m_pManage = nullptr;
  QList<QAction*> m_presetActions;
  bool m_bCanApply = false;
  std::function<std::vector<PresetInfo>()> m_lister;
};

}  // namespace brisol
