// Save as Preset...: a name, checked as it is typed, and whether the seed
// is kept (so that every picture of the preset gets the same arrangement).
// Saving a name one of the user's presets has already asks first.
#pragma once

#include <QDialog>

#include "recipe/Recipe.h"

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace brisol {

class CSavePresetDlg : public QDialog {
  Q_OBJECT
 public:
  // recipe: the look to keep (its photo is left out).
  CSavePresetDlg(QWidget* parent, Recipe recipe);

  // The name saved under once the dialog is accepted.
  QString SavedName() const { return m_saved; }

  void accept() override;

 private:
  void CheckName();

  Recipe m_recipe;
  QLineEdit* m_pName = nullptr;
  QLabel* m_pProblem = nullptr;
  QCheckBox* m_pKeepSeed = nullptr;
  QDialogButtonBox* m_pButtons = nullptr;
  QString m_saved;
};

}  // namespace brisol
