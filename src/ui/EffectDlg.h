// "Select Objects": the objects wizard. Lists the effect collections (the
// user's own in the main directory's "Effects" folder and those installed
// with the program, one entry per name, the user's copy first), previews a
// randomly chosen shape of the selected one, and on OK loads the collection
// into an effect: a new one, or the preset effect whose shapes are reloaded.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "effect/EffectPaths.h"
#include "raster/Random.h"

class QComboBox;

namespace brisol {

class CBrisol;
class CDADC;
class CEffect;
class CObjectPreview;

// The shape files of a collection directory the preview picks from: the
// "*.dxf" entries (any letter case) that are not directories, in name order,
// at most 100. The pattern message names "<directory>/*.DXF".
struct ShapeFileList {
  bool anyMatch = false;           // some entry's name matched
  std::vector<std::string> files;  // full paths
};
ShapeFileList ListShapeFiles(const std::string& directory);

// The last component of a collection's name or path.
std::string CollectionNameOf(const std::string& nameOrPath);

class CEffectDlg : public QDialog {
  Q_OBJECT
 public:
  // mainDirectory: the program's main directory. presetEffect: the effect
  // to reload (not owned), or null to make a new one. preselect: the
  // collection to select first.
  CEffectDlg(QWidget* parent, std::string mainDirectory, CEffect* presetEffect, std::string preselect);
  ~CEffectDlg() override;

  // The new effect after OK (null when an effect was preset).
  std::unique_ptr<CEffect> TakeEffect();
  // The chosen collection's name after OK.
  const std::string& EffectName() const { return m_szEffectName; }
  // The shape file the preview shows, or empty.
  const std::string& PreviewFile() const { return m_szPreviewFile; }

  // Looks for collections in these folders instead of the main directory's
  // and the installed ones (for tests).
  void SetEffectRoots(std::vector<std::string> roots);

 public slots:
  // Picks another shape of the selected collection for the preview.
  void PickPreview();
  void OnOK();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ListCollections();
  std::string SelectedName() const;
  const EffectCollection* SelectedCollection() const;
  std::string EffectsDirectory() const;
  void ShowPreview(const std::string& path);

  std::string m_mainDirectory;
  CEffect* m_pEffect = nullptr;
  std::unique_ptr<CEffect> m_pNewEffect;
  std::string m_szEffectName;
  std::string m_szPreviewFile;
  std::vector<std::string> m_roots;
  bool m_bRootsGiven = false;
  std::vector<EffectCollection> m_collections;
  CRandomSource m_random;
  QComboBox* m_pCombo = nullptr;
  CObjectPreview* m_pPreview = nullptr;
};

// Runs the wizard for a newly opened original: a new effect runner, or null
// when the user cancelled or no effect could be made. defaultEffect is the
// collection to preselect (a name or a path; its last part counts) and, on
// success, becomes the chosen collection's name.
std::unique_ptr<CBrisol> RunObjectsWizard(QWidget* parent, std::shared_ptr<const CDADC> original,
                                          const std::string& mainDirectory, std::string& defaultEffect);

}  // namespace brisol
