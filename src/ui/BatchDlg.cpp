#include "ui/BatchDlg.h"

#include <strings.h>

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <thread>

#include "effect/Effect.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "recipe/Presets.h"
#include "recipe/RecipeEffect.h"
#include "ui/DlgHelpers.h"
#include "ui/FileFilters.h"

namespace brisol {

// One batch on a thread of its own. The batch's threads tell of each file,
// one at a time; each call goes on to the dialog as a queued call.
class CBatchDlg::Run : public BatchObserver {
 public:
  Run(CBatchDlg* dialog, std::unique_ptr<BatchJob> job) : m_pDialog(dialog), m_job(std::move(job)) {
    m_thread = std::jthread([this](std::stop_token stop) {
      // Each failure is told in the dialog's own words; nothing pops up.
      LogOnlyAlertSink quiet;
      const ScopedThreadAlertSink scoped(quiet);
      const BatchSummary summary = m_job->Run(this, stop);
      CBatchDlg* d = m_pDialog;
      QMetaObject::invokeMethod(
          d, [d, summary] { d->OnEnded(summary); }, Qt::QueuedConnection);
    });
  }
  void Stop() { m_thread.request_stop(); }

  void Started(std::size_t index, const BatchItem& item) override {
    CBatchDlg* d = m_pDialog;
    const QString photo = QString::fromStdString(item.photo);
    QMetaObject::invokeMethod(
        d, [d, index, photo] { d->OnStarted(index, photo); }, Qt::QueuedConnection);
  }
  void Finished(std::size_t index, const BatchItem& item, const FileResult& result) override {
    CBatchDlg* d = m_pDialog;
    const QString line = result || result.stopped() ? QString() : QString::fromStdString(result.message());
    QMetaObject::invokeMethod(
        d, [d, index, line] { d->OnFinished(index, line); }, Qt::QueuedConnection);
  }

 private:
  CBatchDlg* m_pDialog;
  std::unique_ptr<BatchJob> m_job;
  std::jthread m_thread;  // last: stopped and joined before the rest goes
};

CBatchDlg::CBatchDlg(QWidget* parent, std::string mainDirectory)
    : QDialog(parent), m_mainDirectory(std::move(mainDirectory)) {
  setObjectName(QStringLiteral("batchDialog"));
  setWindowTitle(tr("Batch"));
  auto* layout = new QVBoxLayout(this);
  // The settings scroll when the screen is too low for them (a small
  // screen, large fonts), so that the progress and the buttons stay in
  // reach.
  auto* settingsPage = new QWidget;
  auto* settings = new QVBoxLayout(settingsPage);
  settings->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("batchSettings"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* photos = new QGroupBox(tr("Photos"), this);
  auto* photosRow = new QHBoxLayout(photos);
  m_pInputs = new QListWidget(photos);
  m_pInputs->setObjectName(QStringLiteral("batchInputs"));
  m_pInputs->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_pInputs->setToolTip(tr("Photos, and folders whose pictures are all painted (not their sub-folders)"));
  auto* photoButtons = new QVBoxLayout;
  auto* addPhotos = new QPushButton(tr("Add &Photos..."), photos);
  auto* addFolder = new QPushButton(tr("Add &Folder..."), photos);
  m_pRemove = new QPushButton(tr("&Remove"), photos);
  for (QPushButton* b : {addPhotos, addFolder, m_pRemove}) {
    b->setAutoDefault(false);
    photoButtons->addWidget(b);
  }
  photoButtons->addStretch(1);
  photosRow->addWidget(m_pInputs, 1);
  photosRow->addLayout(photoButtons);
  settings->addWidget(photos, 1);

  auto* look = new QGroupBox(tr("Look"), this);
  auto* lookGrid = new QGridLayout(look);
  m_pUsePicture = new QRadioButton(tr("The recipe of the picture in front"), look);
  m_pUsePicture->setObjectName(QStringLiteral("usePicture"));
  m_pUsePreset = new QRadioButton(tr("The p&reset"), look);
  m_pUsePreset->setObjectName(QStringLiteral("usePreset"));
  m_pPreset = new QComboBox(look);
  m_pPreset->setObjectName(QStringLiteral("presetCombo"));
  for (const PresetInfo& p : ListPresets())
    m_pPreset->addItem(QString::fromStdString(p.name), QString::fromStdString(p.path));
  lookGrid->addWidget(m_pUsePicture, 0, 0, 1, 2);
  lookGrid->addWidget(m_pUsePreset, 1, 0);
  lookGrid->addWidget(m_pPreset, 1, 1);
  lookGrid->setColumnStretch(1, 1);
  settings->addWidget(look);

  auto* out = new QGroupBox(tr("Pictures"), this);
  auto* form = new QFormLayout(out);
  auto* folderRow = new QHBoxLayout;
  m_pOutput = new QLineEdit(out);
  m_pOutput->setObjectName(QStringLiteral("outputFolder"));
  auto* browse = new QPushButton(tr("&Browse..."), out);
  browse->setAutoDefault(false);
  folderRow->addWidget(m_pOutput, 1);
  folderRow->addWidget(browse);
  auto* folderLabel = new QLabel(tr("&Into the folder:"), out);
  folderLabel->setBuddy(m_pOutput);
  form->addRow(folderLabel, folderRow);
  m_pFormat = new QComboBox(out);
  m_pFormat->setObjectName(QStringLiteral("formatCombo"));
  for (const PictureFormat& format : PictureFormats())
    m_pFormat->addItem(Latin1(format.name), Latin1(format.extensions.front()));
  ChooseFormat(QStringLiteral("png"));
  form->addRow(tr("F&ormat:"), m_pFormat);
  m_pNames = new QLineEdit(QStringLiteral("{stem}.{ext}"), out);
  m_pNames->setObjectName(QStringLiteral("nameTemplate"));
  m_pNames->setToolTip(
      tr("{stem}: the photo's name without its extension; {preset}: the look's name; "
         "{seed}: the seed; {ext}: the format's extension"));
  form->addRow(tr("&Names:"), m_pNames);
  m_pSeed = new QComboBox(out);
  m_pSeed->setObjectName(QStringLiteral("seedCombo"));
  m_pSeed->addItem(tr("The look's seed for every photo"));
  m_pSeed->addItem(tr("A seed made from each photo's name"));
  form->addRow(tr("&Seed:"), m_pSeed);
  m_pOverwrite = new QCheckBox(tr("Replace pictures that exist already"), out);
  m_pOverwrite->setObjectName(QStringLiteral("overwrite"));
  form->addRow(QString(), m_pOverwrite);
  m_pJobs = new QSpinBox(out);
  m_pJobs->setObjectName(QStringLiteral("jobs"));
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  m_pJobs->setRange(1, cores);
  m_pJobs->setValue(std::min(2, cores));
  m_pJobs->setToolTip(tr("The cores are shared out between the photos painted at once"));
  form->addRow(tr("Photos &at once:"), m_pJobs);
  settings->addWidget(out);
  scroll->setWidget(settingsPage);
  layout->addWidget(scroll, 1);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setObjectName(QStringLiteral("batchProgress"));
  m_pProgress->setFormat(tr("%v of %m"));
  m_pProgress->setRange(0, 1);
  m_pProgress->setValue(0);
  m_pProgress->setTextVisible(false);  // until there is something to count
  m_pCurrent = new QLabel(this);
  m_pCurrent->setObjectName(QStringLiteral("batchCurrent"));
  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName(QStringLiteral("batchStatus"));
  m_pStatus->setWordWrap(true);
  m_pLog = new QPlainTextEdit(this);
  m_pLog->setObjectName(QStringLiteral("batchLog"));
  m_pLog->setReadOnly(true);
  m_pLog->setMaximumBlockCount(10000);
  m_pLog->setPlaceholderText(tr("Photos that could not be painted are listed here, each with the reason."));
  m_pLog->setFixedHeight(90);
  layout->addWidget(m_pProgress);
  layout->addWidget(m_pCurrent);
  layout->addWidget(m_pLog);
  layout->addWidget(m_pStatus);

  auto* buttons = new QDialogButtonBox(this);
  m_pStart = buttons->addButton(tr("S&tart"), QDialogButtonBox::ActionRole);
  m_pStart->setObjectName(QStringLiteral("startBatch"));
  m_pStop = buttons->addButton(tr("Sto&p"), QDialogButtonBox::ActionRole);
  m_pStop->setObjectName(QStringLiteral("stopBatch"));
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);

  m_settings = {photos, look, out};
  connect(addPhotos, &QPushButton::clicked, this, &CBatchDlg::OnAddPhotos);
  connect(addFolder, &QPushButton::clicked, this, &CBatchDlg::OnAddFolder);
  connect(m_pRemove, &QPushButton::clicked, this, [this] {
    qDeleteAll(m_pInputs->selectedItems());
    UpdateState();
  });
  connect(m_pInputs, &QListWidget::itemSelectionChanged, this, &CBatchDlg::UpdateState);
  connect(browse, &QPushButton::clicked, this, &CBatchDlg::OnBrowseOutput);
  connect(m_pStart, &QPushButton::clicked, this, &CBatchDlg::OnStart);
  connect(m_pStop, &QPushButton::clicked, this, &CBatchDlg::OnStop);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pPreset, &QComboBox::activated, this, [this] { m_pUsePreset->setChecked(true); });
  connect(m_pNames, &QLineEdit::textChanged, this, &CBatchDlg::UpdateState);
  // As tall as the settings want, within the screen's room (less the
  // window manager's frame).
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  const int room = screen != nullptr ? screen->availableGeometry().height() - 48 : 640;
  resize(560, std::min(std::max(640, sizeHint().height()), std::max(room, minimumSizeHint().height())));
  SetPicture(std::nullopt);
}

CBatchDlg::~CBatchDlg() { m_pRun.reset(); }

void CBatchDlg::SetPicture(std::optional<PictureLook> picture) {
  m_picture = std::move(picture);
  m_pUsePicture->setEnabled(m_picture.has_value());
  m_pUsePicture->setText(m_picture ? tr("The recipe of %1").arg(m_picture->title)
                                   : tr("The recipe of the picture in front (none is open)"));
  // The picture in front is what the batch is opened for; without one, a
  // preset.
  (m_picture ? m_pUsePicture : m_pUsePreset)->setChecked(true);
  UpdateState();
}

void CBatchDlg::AddInputs(const QStringList& paths) {
  for (const QString& path : paths) {
    if (path.isEmpty() || !m_pInputs->findItems(path, Qt::MatchExactly).isEmpty()) continue;
    m_pInputs->addItem(path);
  }
  UpdateState();
}

void CBatchDlg::SetOutputFolder(const QString& folder) { m_pOutput->setText(folder); }

void CBatchDlg::ChooseLook(const QString& presetName) {
  if (presetName.isEmpty()) {
    m_pUsePicture->setChecked(true);
    return;
  }
  const int index = m_pPreset->findText(presetName, Qt::MatchFixedString);
  if (index >= 0) m_pPreset->setCurrentIndex(index);
  m_pUsePreset->setChecked(true);
}

void CBatchDlg::ChooseFormat(const QString& extension) {
  const int index = m_pFormat->findData(extension.toLower());
  if (index >= 0) m_pFormat->setCurrentIndex(index);
}

void CBatchDlg::OnAddPhotos() {
  const QStringList files = QFileDialog::getOpenFileNames(
      this, tr("Photos to Paint"), QDir::homePath(), AllPicturesFilter(), nullptr, QFileDialog::DontUseNativeDialog);
  AddInputs(files);
}

void CBatchDlg::OnAddFolder() {
  AddInputs({QFileDialog::getExistingDirectory(this, tr("A Folder of Photos"), QDir::homePath(),
                                               QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog)});
}

void CBatchDlg::OnBrowseOutput() {
  const QString folder = QFileDialog::getExistingDirectory(
      this, tr("Folder for the Pictures"), m_pOutput->text().isEmpty() ? QDir::homePath() : m_pOutput->text(),
      QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (!folder.isEmpty()) m_pOutput->setText(folder);
}

void CBatchDlg::Refuse(const QString& why) {
  m_pStatus->setText(why);
  UpdateState();
}

void CBatchDlg::OnStart() {
  if (IsRunning()) return;
  std::vector<std::string> inputs;
  for (int i = 0; i < m_pInputs->count(); ++i) inputs.push_back(m_pInputs->item(i)->text().toStdString());
  if (inputs.empty()) return Refuse(tr("Add the photos to paint first."));
  const QString outDir = m_pOutput->text().trimmed();
  if (outDir.isEmpty()) return Refuse(tr("Choose the folder the pictures go into."));
  BatchPlanOptions plan;
  plan.outDir = outDir.toStdString();
  plan.nameTemplate = m_pNames->text().toStdString();
  plan.extension = m_pFormat->currentData().toString().toStdString();
  plan.seedFromName = m_pSeed->currentIndex() == 1;
  if (const Done names = CheckOutputNames(plan); !names)
    return Refuse(tr("The names cannot be made: %1.").arg(QString::fromStdString(names.message())));

  // The look, taken now: the picture may go on changing while the batch runs.
  auto effect = std::make_unique<CEffect>();
  BatchLook look;
  if (m_pUsePicture->isChecked() && m_picture) {
    effect->AssignShared(*m_picture->effect);
    look.quality = m_picture->quality;
    look.jpegQuality = m_picture->jpegQuality;
    look.name = QFileInfo(m_picture->title).completeBaseName().toStdString();
  } else {
    const QString path = m_pPreset->currentData().toString();
    if (path.isEmpty()) return Refuse(tr("Choose a preset, or open a picture to use its recipe."));
    const RecipeRead read = ReadPresetFile(path.toStdString());
    if (!read.ok()) return Refuse(tr("The preset could not be read: %1").arg(QString::fromStdString(read.ErrorText())));
    if (m_picture) {
      effect->AssignShared(*m_picture->effect);
      look.quality = m_picture->quality;
    }
    ApplyOptions options;
    options.mainDirectory = m_mainDirectory;
    const RecipeApplied applied = ApplyRecipe(*read.recipe, *effect, &look.quality, options);
    if (!applied.ok())
      return Refuse(tr("The preset cannot be used: %1.").arg(QString::fromStdString(applied.message())));
    if (effect->GetNumShapes() == 0)
      return Refuse(tr("The preset names no collection of shapes: open a picture with one, or choose another."));
    look.jpegQuality = read.recipe->jpegQuality;
    look.name = m_pPreset->currentText().toStdString();
  }
  look.effect = std::move(effect);

  BatchRunOptions run;
  run.jobs = static_cast<unsigned>(m_pJobs->value());
  run.overwrite = m_pOverwrite->isChecked();
  auto job = std::make_unique<BatchJob>(std::move(look), inputs, std::move(plan), run);
  m_pLog->clear();
  for (const std::string& problem : job->Problems()) m_pLog->appendPlainText(QString::fromStdString(problem));
  if (const Done ready = job->Prepare(); !ready) return Refuse(Sentence(ready.message()));

  const std::size_t items = job->Items().size();
  m_summary = {};
  m_pProgress->setRange(0, static_cast<int>(items));
  m_pProgress->setTextVisible(true);
  m_pProgress->setValue(0);
  m_pCurrent->clear();
  m_pStatus->setText(tr("Painting %1 photos...").arg(items));
  m_pRun = std::make_unique<Run>(this, std::move(job));
  UpdateState();
}

void CBatchDlg::OnStop() {
  if (!m_pRun) return;
  m_pRun->Stop();
  m_pStatus->setText(tr("Stopping: the photos being painted are left unwritten..."));
}

void CBatchDlg::OnStarted(std::size_t, const QString& photo) {
  if (IsRunning()) m_pCurrent->setText(tr("Painting %1").arg(QFileInfo(photo).fileName()));
}

void CBatchDlg::OnFinished(std::size_t, const QString& line) {
  m_pProgress->setValue(m_pProgress->value() + 1);
  if (!line.isEmpty()) m_pLog->appendPlainText(line);
}

void CBatchDlg::OnEnded(const BatchSummary& summary) {
  m_pRun.reset();
  m_summary = summary;
  m_pCurrent->clear();
  m_pStatus->setText(QString::fromStdString(SummaryText(summary)));
  UpdateState();
  emit BatchEnded();
}

QString CBatchDlg::StatusText() const { return m_pStatus->text(); }

void CBatchDlg::UpdateState() {
  const bool running = IsRunning();
  for (QWidget* w : m_settings) w->setEnabled(!running);
  m_pUsePicture->setEnabled(!running && m_picture.has_value());
  m_pRemove->setEnabled(!m_pInputs->selectedItems().isEmpty());
  m_pStart->setEnabled(!running);
  m_pStop->setEnabled(running);
}

void CBatchDlg::done(int result) {
  // Closing the window while the batch runs stops it: nothing is left half
  // written.
  if (m_pRun) {
    m_pRun->Stop();
    m_pRun.reset();
    m_pStatus->setText(tr("Stopped."));
    UpdateState();
  }
  QDialog::done(result);
}

}  // namespace brisol
