#include "ui/PresetsMenu.h"

namespace brisol {

CPresetsMenu::CPresetsMenu(QWidget* parent) : QMenu(tr("&Presets"), parent), m_lister([] { return ListPresets(); }) {
  setObjectName(QStringLiteral("presetsMenu"));
  setToolTipsVisible(true);
  // Owned apart from the menu, whose clear() deletes the actions it owns.
  auto* kept = new QObject(this);
  m_pSave = new QAction(tr("&Save as Preset..."), kept);
  m_pSave->setStatusTip(tr("Keep the look of the picture in front as a preset of your own"));
  m_pManage = new QAction(tr("&Manage Presets..."), kept);
  m_pManage->setStatusTip(tr("Rename or delete your presets, or show their folder"));
  // Heard through the keeper: a menu cuts every connection of an action to
  // itself when the action is taken out of it, as each listing does.
  connect(m_pSave, &QAction::triggered, kept, [this] { emit SaveAsPresetRequested(); });
  connect(m_pManage, &QAction::triggered, kept, [this] { emit ManageRequested(); });
  connect(this, &QMenu::aboutToShow, this, &CPresetsMenu::Refill);
  Refill();
}

void CPresetsMenu::SetCanApply(bool can) {
  m_bCanApply = can;
  m_pSave->setEnabled(can);
  for (QAction* action : m_presetActions) action->setEnabled(can);
}

void CPresetsMenu::Refill() {
  clear();
  m_presetActions.clear();
  const std::vector<PresetInfo> presets = m_lister();
  bool userBefore = false;
  for (const PresetInfo& preset : presets) {
    // The user's own come first; a line parts them from the bundled ones.
    if (userBefore && !preset.user) addSeparator();
    userBefore = preset.user;
    const QString name = QString::fromStdString(preset.name);
    const QString path = QString::fromStdString(preset.path);
    QAction* action = addAction(name);
    action->setStatusTip(preset.user ? tr("Apply your preset %1 to the picture in front").arg(name)
                                     : tr("Apply the preset %1 to the picture in front").arg(name));
    action->setEnabled(m_bCanApply);
    connect(action, &QAction::triggered, this, [this, name, path] { emit PresetChosen(name, path); });
    m_presetActions << action;
  }
  if (presets.empty()) addAction(tr("(no presets found)"))->setEnabled(false);
  addSeparator();
  addAction(m_pSave);
  addAction(m_pManage);
}

}  // namespace brisol
