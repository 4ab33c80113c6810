// File > Export...: the picture in front as a vector file (SVG, PDF, EPS,
// PostScript) at any print size. The user picks a page (a paper, a size of
// their own or the picture's own size, one pixel a point), its orientation,
// a margin and the resolution of the embedded photo, and the file; what
// cannot be written is told before any work, and the file is written on a
// thread of its own with progress and Stop, the window answering
// meanwhile. A stopped or failed export leaves no part of a file and keeps
// the one that was there.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "logger/Outcome.h"
#include "vector/PageLayout.h"
#include "vector/VectorExport.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace brisol {

class CDADC;
class CEffect;

// The page and the file as the dialog shows them and the settings keep them.
struct ExportChoices {
  QString page;  // a paper's name, "WxH" with a unit, or empty: the picture's own size
  bool landscape = false;
  QString margin = QStringLiteral("0mm");
  int dpi = 0;   // of the embedded photo and mask; 0: the photo's own pixels
  QString path;  // the file; its extension names the format
};

// What the picture on view was drawn from: the same objects go into the file.
struct ExportSource {
  std::shared_ptr<const CEffect> effect;
  std::shared_ptr<const CDADC> photo;
  std::string photoPath;  // the photo's file when the pixels are its own; else empty
  int quality = 1;
  std::string metadata;  // the picture's recipe, kept in the file
};

// The page options the choices give, or why they cannot give any (naming
// the settings in words).
Outcome<PageOptions> PageOptionsOf(const ExportChoices& choices);

class CExportDlg : public QDialog {
  Q_OBJECT
 public:
  CExportDlg(QWidget* parent, ExportSource source, const ExportChoices& choices);
  ~CExportDlg() override;

  ExportChoices Choices() const;
  // The choices of the last export started; none when nothing was started.
  const std::optional<ExportChoices>& StartedChoices() const { return m_started; }

  // What the buttons do (also for tests).
  void OnExport();
  void OnStop();
  void OnBrowse();

  bool IsRunning() const { return m_pRun != nullptr; }
  // The outcome of the last export that ended.
  const std::optional<Outcome<VectorWritten>>& LastResult() const { return m_result; }
  QString StatusText() const;

 signals:
  void ExportEnded();

 protected:
  void done(int result) override;

 private:
  class Run;
  void OnEnded(const Outcome<VectorWritten>& result);
  void OnProgress();
  void UpdateState();
  void UpdateLayoutText();
  QString PageText() const;

  ExportSource m_source;
  QLineEdit* m_pPath = nullptr;
  QComboBox* m_pPage = nullptr;
  QRadioButton* m_pPortrait = nullptr;
  QRadioButton* m_pLandscape = nullptr;
  QLineEdit* m_pMargin = nullptr;
  QSpinBox* m_pDpi = nullptr;
  QLabel* m_pLayout = nullptr;
  QProgressBar* m_pProgress = nullptr;
  QLabel* m_pStatus = nullptr;
  QPushButton* m_pExport = nullptr;
  QPushButton* m_pStop = nullptr;
  QPushButton* m_pClose = nullptr;
  QList<QWidget*> m_settings;
  QTimer* m_pProgressTimer = nullptr;
  std::optional<ExportChoices> m_started;
  std::optional<Outcome<VectorWritten>> m_result;
  std::unique_ptr<Run> m_pRun;
};

}  // namespace brisol
