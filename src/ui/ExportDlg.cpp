#include "ui/ExportDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <cmath>
#include <thread>

#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "raster/Dadc.h"
#include "ui/DlgHelpers.h"
#include "ui/FileFilters.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

constexpr int kProgressSteps = 1000;
constexpr int kProgressMs = 100;
constexpr double kMmPerPoint = 25.4 / 72.0;

QString Millimetres(double points) { return QString::number(std::round(points * kMmPerPoint)); }

}  // namespace

Outcome<PageOptions> PageOptionsOf(const ExportChoices& choices) {
  PageOptions made;
  made.names = SettingNames::Words;
  const QString page = choices.page.trimmed();
  if (!page.isEmpty()) {
    if (Done size = FindPageOption("--page")->apply(made, page.toStdString()); !size)
      return Fail("the page cannot be used: " + size.message());
    made.landscape = choices.landscape;
  }
  if (Done margin = FindPageOption("--margin")->apply(made, choices.margin.trimmed().toStdString()); !margin)
    return margin.failure();
  if (choices.dpi > 0) made.dpi = std::min<double>(choices.dpi, kMaxDpi);
  return made;
}

// One export on a thread of its own. The drawing tells its progress from
// its threads into two counters the dialog reads; the outcome goes to the
// dialog as a queued call.
class CExportDlg::Run : public DrawObserver {
 public:
  Run(CExportDlg* dialog, const ExportSource& source, std::string path, const PageOptions& page)
      : m_source(source), m_path(std::move(path)) {
    m_job.effect = m_source.effect.get();
    m_job.photo = m_source.photo.get();
    m_job.photoPath = m_source.photoPath;
    m_job.level = m_source.quality;
    m_job.page = page;
    m_job.metadata = m_source.metadata;
    m_thread = std::jthread([this, dialog](std::stop_token stop) {
      // What went wrong is told once, by the dialog; nothing pops up here.
      LogOnlyAlertSink quiet;
      const ScopedThreadAlertSink scoped(quiet);
      const Outcome<VectorWritten> result = WriteVectorFile(m_path, m_job, this, stop);
      QMetaObject::invokeMethod(
          dialog, [dialog, result] { dialog->OnEnded(result); }, Qt::QueuedConnection);
    });
  }
  void Stop() { m_thread.request_stop(); }
  bool Stopping() const { return m_thread.get_stop_token().stop_requested(); }

  void Progress(std::size_t done, std::size_t total) override {
    m_total = total;
    m_done = done;
  }
  // Parts per kProgressSteps of the step under way; -1 before any is told.
  int Done() const {
    const std::size_t total = m_total, done = m_done;
    if (total == 0) return -1;
    return static_cast<int>(std::min(done, total) * kProgressSteps / total);
  }

 private:
  ExportSource m_source;
  std::string m_path;
  VectorJob m_job;
  std::atomic<std::size_t> m_done{0}, m_total{0};
  std::jthread m_thread;  // last: stopped and joined before the rest goes
};

CExportDlg::CExportDlg(QWidget* parent, ExportSource source, const ExportChoices& choices)
    : QDialog(parent), m_source(std::move(source)) {
  setObjectName(QStringLiteral("exportDialog"));
  setWindowTitle(tr("Export"));
  auto* layout = new QVBoxLayout(this);

  auto* fileRow = new QHBoxLayout;
  m_pPath = new QLineEdit(choices.path, this);
  m_pPath->setObjectName(QStringLiteral("exportPath"));
  m_pPath->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
  m_pPath->setToolTip(
      tr("The file to write; its extension names the format (%1)").arg(QString::fromStdString(VectorExtensionsText())));
  auto* browse = new QPushButton(tr("&Browse..."), this);
  browse->setObjectName(QStringLiteral("exportBrowse"));
  browse->setAutoDefault(false);
  fileRow->addWidget(m_pPath, 1);
  fileRow->addWidget(browse);

  auto* fileForm = new QFormLayout;
  auto* fileLabel = new QLabel(tr("&File:"), this);
  fileLabel->setBuddy(m_pPath);
  fileForm->addRow(fileLabel, fileRow);
  layout->addLayout(fileForm);

  auto* page = new QGroupBox(tr("Page"), this);
  auto* form = new QFormLayout(page);
  m_pPage = new QComboBox(page);
  m_pPage->setObjectName(QStringLiteral("exportPage"));
  m_pPage->setEditable(true);
  m_pPage->setInsertPolicy(QComboBox::NoInsert);
  m_pPage->addItem(tr("Picture size"), QString());
  m_pPage->setItemData(0, tr("The page is the picture, one pixel a point (1/72 inch)"), Qt::ToolTipRole);
  for (const PaperSize& paper : PaperSizes()) {
    m_pPage->addItem(QStringLiteral("%1 (%2 x %3 mm)")
                         .arg(Latin1(paper.name), QString::number(paper.widthMm), QString::number(paper.heightMm)),
                     Latin1(paper.name));
  }
  m_pPage->setToolTip(tr("A paper, or a size of your own with a unit, such as 500x700mm or 20x30in"));
  form->addRow(tr("&Size:"), m_pPage);
  auto* orientation = new QHBoxLayout;
  m_pPortrait = new QRadioButton(tr("&Portrait"), page);
  m_pPortrait->setObjectName(QStringLiteral("exportPortrait"));
  m_pLandscape = new QRadioButton(tr("&Landscape"), page);
  m_pLandscape->setObjectName(QStringLiteral("exportLandscape"));
  orientation->addWidget(m_pPortrait);
  orientation->addWidget(m_pLandscape);
  orientation->addStretch(1);
  form->addRow(tr("Orientation:"), orientation);
  m_pMargin = new QLineEdit(choices.margin, page);
  m_pMargin->setObjectName(QStringLiteral("exportMargin"));
  m_pMargin->setToolTip(tr("Space between the page's edges and the picture, with a unit: mm, cm, in, pt or px"));
  form->addRow(tr("&Margin:"), m_pMargin);
  m_pDpi = new QSpinBox(page);
  m_pDpi->setObjectName(QStringLiteral("exportDpi"));
  m_pDpi->setRange(0, static_cast<int>(kMaxDpi));
  m_pDpi->setSingleStep(50);
  m_pDpi->setSuffix(tr(" dpi"));
  m_pDpi->setSpecialValueText(tr("The photo's own pixels"));
  m_pDpi->setValue(std::clamp(choices.dpi, 0, static_cast<int>(kMaxDpi)));
  m_pDpi->setToolTip(tr("Resolution of the photo and the mixing inside the file; the shapes are sharp at any size"));
  form->addRow(tr("Photo &resolution:"), m_pDpi);
  m_pLayout = new QLabel(page);
  m_pLayout->setObjectName(QStringLiteral("exportLayout"));
  m_pLayout->setWordWrap(true);
  form->addRow(m_pLayout);
  layout->addWidget(page);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setObjectName(QStringLiteral("exportProgress"));
  m_pProgress->setRange(0, kProgressSteps);
  m_pProgress->setValue(0);
  layout->addWidget(m_pProgress);
  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName(QStringLiteral("exportStatus"));
  m_pStatus->setWordWrap(true);
  layout->addWidget(m_pStatus);

  auto* buttons = new QDialogButtonBox(this);
  m_pExport = buttons->addButton(tr("&Export"), QDialogButtonBox::AcceptRole);
  m_pExport->setObjectName(QStringLiteral("exportStart"));
  m_pExport->setDefault(true);
  m_pStop = buttons->addButton(tr("S&top"), QDialogButtonBox::ActionRole);
  m_pStop->setObjectName(QStringLiteral("exportStop"));
  m_pClose = buttons->addButton(QDialogButtonBox::Close);
  m_pClose->setObjectName(QStringLiteral("exportClose"));
  layout->addWidget(buttons);

  // The choices as they were.
  const int paper = m_pPage->findData(choices.page.trimmed(), Qt::UserRole, Qt::MatchFixedString);
  if (paper >= 0)
    m_pPage->setCurrentIndex(paper);
  else
    m_pPage->setEditText(choices.page.trimmed());
  (choices.landscape ? m_pLandscape : m_pPortrait)->setChecked(true);
  m_settings = {m_pPath, browse, m_pPage, m_pPortrait, m_pLandscape, m_pMargin, m_pDpi};

  m_pProgressTimer = new QTimer(this);
  m_pProgressTimer->setInterval(kProgressMs);
  connect(m_pProgressTimer, &QTimer::timeout, this, &CExportDlg::OnProgress);
  connect(browse, &QPushButton::clicked, this, &CExportDlg::OnBrowse);
  connect(m_pExport, &QPushButton::clicked, this, &CExportDlg::OnExport);
  connect(m_pStop, &QPushButton::clicked, this, &CExportDlg::OnStop);
  connect(m_pClose, &QPushButton::clicked, this, &QDialog::reject);
  for (QLineEdit* edit : {m_pPath, m_pMargin}) connect(edit, &QLineEdit::textChanged, this, [this] { UpdateState(); });
  connect(m_pPage, &QComboBox::currentTextChanged, this, [this] { UpdateState(); });
  connect(m_pLandscape, &QRadioButton::toggled, this, [this] { UpdateState(); });
  connect(m_pDpi, &QSpinBox::valueChanged, this, [this] { UpdateState(); });
  UpdateState();
}

CExportDlg::~CExportDlg() = default;

QString CExportDlg::PageText() const {
  const int index = m_pPage->currentIndex();
  if (index >= 0 && m_pPage->itemText(index) == m_pPage->currentText()) return m_pPage->itemData(index).toString();
  return m_pPage->currentText().trimmed();
}

ExportChoices CExportDlg::Choices() const {
  ExportChoices choices;
  choices.page = PageText();
  choices.landscape = m_pLandscape->isChecked();
  choices.margin = m_pMargin->text().trimmed();
  choices.dpi = m_pDpi->value();
  choices.path = m_pPath->text().trimmed();
  return choices;
}

QString CExportDlg::StatusText() const { return m_pStatus->text(); }

void CExportDlg::OnBrowse() {
  const QStringList filters = VectorFormatFilters();
  const auto formats = VectorFormats();
  const QString current = m_pPath->text().trimmed();
  QFileDialog dialog(this, tr("Export"), current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath());
  dialog.setObjectName(QStringLiteral("exportFileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  const VectorFormat* format = VectorFormatOfName(current.toStdString());
  const int start = format != nullptr ? static_cast<int>(format - formats.data()) : 1;
  dialog.selectNameFilter(filters[start]);
  dialog.setDefaultSuffix(Latin1(formats[static_cast<std::size_t>(start)].extension));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    const auto index = filters.indexOf(filter);
    if (index >= 0) dialog.setDefaultSuffix(Latin1(formats[static_cast<std::size_t>(index)].extension));
  });
  if (!current.isEmpty()) dialog.selectFile(QFileInfo(current).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  m_pPath->setText(dialog.selectedFiles().front());
}

void CExportDlg::OnExport() {
  if (IsRunning()) return;
  ExportChoices choices = Choices();
  if (choices.path.isEmpty()) {
    m_pStatus->setText(tr("Choose the file to write first."));
    return;
  }
  // A name without a folder goes to the home folder, not where the program runs.
  choices.path = QDir(QDir::homePath()).absoluteFilePath(choices.path);
  const Outcome<PageOptions> page = PageOptionsOf(choices);
  if (!page) {
    const QString why = Sentence(page.message());
    m_pStatus->setText(why);
    WalertBox(kIconExclamation, "The picture was not exported.\n%s", why.toUtf8().constData());
    return;
  }
  const std::string path = choices.path.toStdString();
  if (const Done file = CheckVectorFile(path, *page, m_source.photo->GetSize()); !file) {
    m_pStatus->setText(QString::fromStdString(file.message()));
    WalertBox(kIconExclamation, "The picture was not exported.\n%s", file.message().c_str());
    return;
  }
  if (QFileInfo::exists(choices.path) &&
      AskYesNo("%s already exists.\nDo you want to replace it?", path.c_str()) != AlertAnswer::Yes) {
    return;
  }
  m_started = choices;
  m_result.reset();
  m_pProgress->setValue(0);
  m_pStatus->setText(tr("Writing %1...").arg(QFileInfo(choices.path).fileName()));
  m_pRun = std::make_unique<Run>(this, m_source, path, *page);
  m_pProgressTimer->start();
  UpdateState();
}

void CExportDlg::OnStop() {
  if (!m_pRun) return;
  m_pRun->Stop();
  m_pStatus->setText(tr("Stopping..."));
  UpdateState();
}

void CExportDlg::OnProgress() {
  if (!m_pRun) return;
  const int done = m_pRun->Done();
  if (done >= 0) m_pProgress->setValue(done);
}

void CExportDlg::OnEnded(const Outcome<VectorWritten>& result) {
  if (!m_pRun) return;  // closed meanwhile: the outcome was told then
  m_pRun.reset();
  m_pProgressTimer->stop();
  m_result = result;
  const QString name = m_started ? QFileInfo(m_started->path).fileName() : QString();
  if (result.ok()) {
    m_pProgress->setValue(kProgressSteps);
    m_pStatus->setText(
        tr("%1 written: %2 objects, %3 KB.").arg(name).arg(result->objects).arg((result->bytes + 1023) / 1024));
  } else if (result.stopped()) {
    m_pProgress->setValue(0);
    m_pStatus->setText(tr("Stopped; %1 was not written.").arg(name));
  } else {
    m_pProgress->setValue(0);
    m_pStatus->setText(QString::fromStdString(result.message()));
    WalertBox(kIconExclamation, "The picture was not exported.\n%s", result.message().c_str());
  }
  UpdateState();
  emit ExportEnded();
  if (result.ok()) accept();
}

void CExportDlg::UpdateLayoutText() {
  const Outcome<PageOptions> options = PageOptionsOf(Choices());
  if (!options) {
    m_pLayout->setText(Sentence(options.message()));
    return;
  }
  const VectorFormat* format = VectorFormatOfName(Choices().path.toStdString());
  const SIZE picture = m_source.photo->GetSize();
  const auto laid = LayOutPage(*options, picture, format ? *format : VectorFormatOf(VectorKind::Pdf));
  if (!laid) {
    m_pLayout->setText(Sentence(laid.message()));
    return;
  }
  const PageLayout& page = *laid;
  const double inches = page.scale * picture.cx / 72.0;
  m_pLayout->setText(tr("Page %1 x %2 mm; the picture %3 x %4 mm, its photo %5 x %6 pixels (%7 dpi).")
                         .arg(Millimetres(page.width), Millimetres(page.height))
                         .arg(Millimetres(page.scale * picture.cx), Millimetres(page.scale * picture.cy))
                         .arg(page.raster.cx)
                         .arg(page.raster.cy)
                         .arg(std::lround(page.raster.cx / inches)));
}

void CExportDlg::UpdateState() {
  const bool running = IsRunning();
  for (QWidget* w : m_settings) w->setEnabled(!running);
  // The picture's own size has no orientation.
  const bool paper = !PageText().isEmpty();
  m_pPortrait->setEnabled(!running && paper);
  m_pLandscape->setEnabled(!running && paper);
  m_pExport->setEnabled(!running);
  m_pStop->setEnabled(running && !m_pRun->Stopping());
  UpdateLayoutText();
}

void CExportDlg::done(int result) {
  // Closing the window while the file is written stops it: nothing is left
  // half written.
  if (m_pRun) {
    m_pRun->Stop();
    m_pRun.reset();
    m_pProgressTimer->stop();
    m_pStatus->setText(tr("Stopped."));
    UpdateState();
  }
  QDialog::done(result);
}

}  // namespace brisol
