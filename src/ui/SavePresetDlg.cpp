#include "ui/SavePresetDlg.h"

#include <strings.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "logger/Alerts.h"
#include "recipe/Presets.h"
#include "ui/PanelControls.h"

namespace brisol {
namespace {

// The preset of that name (letter case ignored) among the listed ones.
const PresetInfo* Named(const std::vector<PresetInfo>& presets, const std::string& name, bool user) {
  for (const PresetInfo& p : presets)
    if (p.user == user && strcasecmp(p.name.c_str(), name.c_str()) == 0) return &p;
  return nullptr;
}

}  // namespace

CSavePresetDlg::CSavePresetDlg(QWidget* parent, Recipe recipe) : QDialog(parent), m_recipe(std::move(recipe)) {
  setObjectName(QStringLiteral("savePresetDialog"));
  setWindowTitle(tr("Save as Preset"));
  auto* layout = new QVBoxLayout(this);
  auto* prompt = new QLabel(tr("&Name of the preset:"), this);
  m_pName = new QLineEdit(this);
  m_pName->setObjectName(QStringLiteral("presetName"));
  prompt->setBuddy(m_pName);
  m_pProblem = new QLabel(this);
  m_pProblem->setObjectName(QStringLiteral("nameProblem"));
  m_pProblem->setWordWrap(true);
  m_pKeepSeed = new QCheckBox(tr("&Keep the seed: every picture of this preset gets the same arrangement"), this);
  m_pKeepSeed->setObjectName(QStringLiteral("keepSeed"));
  m_pKeepSeed->setToolTip(tr("Without the seed, each picture keeps its own arrangement and takes the rest"));
  auto* what = new QLabel(tr("The preset keeps the collection, every setting of both panels and the quality, "
                             "but not the photo."),
                          this);
  what->setWordWrap(true);
  m_pButtons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
  layout->addWidget(prompt);
  layout->addWidget(m_pName);
  layout->addWidget(m_pProblem);
  layout->addWidget(m_pKeepSeed);
  layout->addWidget(what);
  layout->addWidget(m_pButtons);
  connect(m_pButtons, &QDialogButtonBox::accepted, this, &CSavePresetDlg::accept);
  connect(m_pButtons, &QDialogButtonBox::rejected, this, &CSavePresetDlg::reject);
  connect(m_pName, &QLineEdit::textChanged, this, &CSavePresetDlg::CheckName);
  setMinimumWidth(std::max(380, TitleBarWidth(this)));
  CheckName();
}

void CSavePresetDlg::CheckName() {
  const std::string name = m_pName->text().toStdString();
  const Done named = CheckPresetName(name);
  const std::vector<PresetInfo> presets = ListPresets();
  QString note;
  if (!named) {
    // An empty field needs no scolding: the Save button says enough.
    if (!name.empty()) note = QString::fromStdString(named.message());
  } else if (Named(presets, name, true) != nullptr) {
    note = tr("You have a preset of that name: saving replaces it.");
  } else if (Named(presets, name, false) != nullptr) {
    note = tr("A bundled preset has that name: yours will be used instead of it.");
  }
  m_pProblem->setText(note);
  m_pProblem->setVisible(!note.isEmpty());
  m_pButtons->button(QDialogButtonBox::Save)->setEnabled(named.ok());
}

void CSavePresetDlg::accept() {
  const std::string name = m_pName->text().toStdString();
  if (!CheckPresetName(name)) return;
  const std::vector<PresetInfo> presets = ListPresets();
  const PresetInfo* existing = Named(presets, name, true);
  if (existing != nullptr &&
      AskYesNo("You have a preset named \"%s\" already.\nReplace it?", existing->name.c_str()) != AlertAnswer::Yes) {
    return;
  }
  const Done saved = SavePreset(m_recipe, name, m_pKeepSeed->isChecked(), existing != nullptr);
  if (!saved) {
    WalertBox(kIconExclamation, "The preset was not saved: %s.", saved.message().c_str());
    return;
  }
  // The old one differed in letter case only: the new name takes its place.
  // The look is saved either way; an old file left behind is only listed
  // beside it.
  if (existing != nullptr && existing->name != name) (void)DeletePreset(existing->name);
  m_saved = QString::fromStdString(name);
  QDialog::accept();
}

}  // namespace brisol
