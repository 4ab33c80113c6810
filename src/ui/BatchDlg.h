// File > Batch...: one look applied to many photos. The user picks photos
// or folders, a look (the recipe of the picture in front, or a preset), an
// output folder, a format and how the pictures are named; the batch runs on
// a thread of its own with progress and Stop, the window (and the rest of
// the program) going on meanwhile, and ends with the count of pictures
// written, kept and failed, each failure in one line.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "recipe/Batch.h"
#include "recipe/Recipe.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace brisol {

class CEffect;

// The look of the picture in front, taken when the batch starts.
struct PictureLook {
  std::shared_ptr<const CEffect> effect;
  int quality = 1;
  QString title;
  std::optional<int> jpegQuality;  // of the recipe the picture took its look from
};

class CBatchDlg : public QDialog {
  Q_OBJECT
 public:
  // mainDirectory: where the collections a preset names are looked for first.
  CBatchDlg(QWidget* parent, std::string mainDirectory);
  ~CBatchDlg() override;

  // The picture whose recipe the batch may use, chosen as the look (none:
  // only presets).
  void SetPicture(std::optional<PictureLook> picture);

  // What the user does (also for tests).
  void AddInputs(const QStringList& paths);
  void SetOutputFolder(const QString& folder);
  // By the preset's name; an empty name chooses the picture's recipe.
  void ChooseLook(const QString& presetName);
  void ChooseFormat(const QString& extension);
  void OnStart();
  void OnStop();

  bool IsRunning() const { return m_pRun != nullptr; }
  const BatchSummary& Summary() const { return m_summary; }
  QString StatusText() const;

 signals:
  void BatchEnded();

 protected:
  void done(int result) override;

 private:
  class Run;
  void OnAddPhotos();
  void OnAddFolder();
  void OnBrowseOutput();
  void OnStarted(std::size_t index, const QString& photo);
  void OnFinished(std::size_t index, const QString& line);
  void OnEnded(const BatchSummary& summary);
  void Refuse(const QString& why);
  void UpdateState();

  std::string m_mainDirectory;
  std::optional<PictureLook> m_picture;
  QListWidget* m_pInputs = nullptr;
  QPushButton* m_pRemove = nullptr;
  QRadioButton* m_pUsePicture = nullptr;
  QRadioButton* m_pUsePreset = nullptr;
  QComboBox* m_pPreset = nullptr;
  QLineEdit* m_pOutput = nullptr;
  QComboBox* m_pFormat = nullptr;
  QLineEdit* m_pNames = nullptr;
  QComboBox* m_pSeed = nullptr;
  QCheckBox* m_pOverwrite = nullptr;
  QSpinBox* m_pJobs = nullptr;
  QProgressBar* m_pProgress = nullptr;
  QLabel* m_pCurrent = nullptr;
  QLabel* m_pStatus = nullptr;
  QPlainTextEdit* m_pLog = nullptr;
  QPushButton* m_pStart = nullptr;
  QPushButton* m_pStop = nullptr;
  QList<QWidget*> m_settings;
  BatchSummary m_summary;
  std::unique_ptr<Run> m_pRun;
};

}  // namespace brisol
