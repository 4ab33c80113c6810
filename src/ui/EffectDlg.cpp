#include "ui/EffectDlg.h"

#include <dirent.h>
#include <strings.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "effect/Effect.h"
#include "effect/Runner.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"
#include "ui/ObjectPreview.h"
#include "ui/PanelControls.h"
#include "ui/WaitCursor.h"

namespace brisol {
namespace {

constexpr int kPreviewId = 1055;
constexpr int kPreviewSide = 180;
constexpr std::size_t kMaxPreviewFiles = CEffect::kMaxShapes;

bool HasDxfExtension(const std::string& name) {
  return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".dxf") == 0;
}

}  // namespace

ShapeFileList ListShapeFiles(const std::string& directory) {
  ShapeFileList list;
  std::vector<std::string> names;
  if (DIR* dir = opendir(directory.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (HasDxfExtension(name)) names.push_back(name);
    }
    closedir(dir);
  }
  list.anyMatch = !names.empty();
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
  });
  for (const std::string& name : names) {
    const std::string path = directory + "/" + name;
    if (IsDirectory(path)) continue;
    list.files.push_back(path);
    if (list.files.size() == kMaxPreviewFiles) break;
  }
  return list;
}

std::string CollectionNameOf(const std::string& nameOrPath) {
  std::string path = nameOrPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

CEffectDlg::CEffectDlg(QWidget* parent, std::string mainDirectory, CEffect* presetEffect, std::string preselect)
    : QDialog(parent),
      m_mainDirectory(std::move(mainDirectory)),
      m_pEffect(presetEffect),
      m_szEffectName(std::move(preselect)),
      m_random(static_cast<std::uint32_t>(std::time(nullptr))) {
  setObjectName(QStringLiteral("EFFECTDLG"));
  setWindowTitle(QStringLiteral("Select Objects"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(
      new QLabel(QStringLiteral("Select the sort of object collection to use to create the image"), this));
  m_pCombo = MakeComboBox(this, 1034);
  m_pCombo->setMinimumWidth(220);
  m_pCombo->setMaxVisibleItems(20);
  layout->addWidget(m_pCombo, 0, Qt::AlignLeft);

  auto* middle = new QHBoxLayout;
  m_pPreview = new CObjectPreview(this, kPreviewId);
  m_pPreview->setFixedSize(kPreviewSide, kPreviewSide);
  middle->addWidget(m_pPreview);
  auto* side = new QVBoxLayout;
  auto* previewButton = new QPushButton(QStringLiteral("Object Preview"), this);
  previewButton->setObjectName(QStringLiteral("btn1056"));
  previewButton->setAutoDefault(false);
  side->addWidget(previewButton);
  side->addWidget(
      new QLabel(QStringLiteral("Click on the button above to\nsee the sort of objects in\nthe collection"), this));
  side->addStretch(1);
  middle->addLayout(side);
  layout->addLayout(middle);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btn1010"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("btn2"));
  layout->addWidget(buttons);

  connect(m_pCombo, &QComboBox::activated, this, &CEffectDlg::PickPreview);
  connect(previewButton, &QPushButton::clicked, this, &CEffectDlg::PickPreview);
  connect(ok, &QPushButton::clicked, this, &CEffectDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &CEffectDlg::reject);
}

CEffectDlg::~CEffectDlg() = default;

std::unique_ptr<CEffect> CEffectDlg::TakeEffect() { return std::move(m_pNewEffect); }

void CEffectDlg::SetEffectRoots(std::vector<std::string> roots) {
  m_roots = std::move(roots);
  m_bRootsGiven = true;
}

std::string CEffectDlg::EffectsDirectory() const { return m_mainDirectory + "/Effects"; }

void CEffectDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  ListCollections();
  // Without any collection there is nothing to preview either.
  if (m_pCombo->count() > 0) PickPreview();
}

void CEffectDlg::ListCollections() {
  m_pCombo->clear();
  std::vector<std::string> roots;
  for (const std::string& root : m_bRootsGiven ? m_roots : EffectRoots(m_mainDirectory))
    if (IsDirectory(root)) roots.push_back(root);
  if (roots.empty()) {
    TheLogger().Log(kLogError, "There are no effect sub directories in\n<%s>", EffectsDirectory().c_str());
    m_collections.clear();
    return;
  }
  m_collections = ListCollectionsIn(roots);
  for (const EffectCollection& c : m_collections) AddSorted(m_pCombo, QString::fromStdString(c.name));
  if (m_collections.empty()) {
    TheLogger().Log(kLogError, "No effect directories in\n%s", EffectsDirectory().c_str());
    return;
  }
  SelectByText(m_pCombo, QString::fromStdString(CollectionNameOf(m_szEffectName)));
}

std::string CEffectDlg::SelectedName() const {
  const QString text = SelectedText(m_pCombo);
  if (text.isEmpty()) {
    TheLogger().Log(kLogError, "Could not get Effect string from CB");
    return {};
  }
  return text.toStdString();
}

const EffectCollection* CEffectDlg::SelectedCollection() const {
  const std::string name = SelectedName();
  if (name.empty()) return nullptr;
  for (const EffectCollection& c : m_collections)
    if (c.name == name) return &c;
  return nullptr;
}

void CEffectDlg::ShowPreview(const std::string& path) {
  m_szPreviewFile = path;
  m_pPreview->SetPicture(path.empty() ? QImage() : LoadShapePreview(path, m_pPreview->size()));
}

void CEffectDlg::PickPreview() {
  const EffectCollection* collection = SelectedCollection();
  if (collection == nullptr) {
    ShowPreview({});
    return;
  }
  const ShapeFileList shapes = ListShapeFiles(collection->directory);
  if (!shapes.anyMatch) {
    ShowPreview({});
    TheLogger().Log(kLogError, "No shape files in %s (1)", (collection->directory + "/*.DXF").c_str());
    return;
  }
  if (shapes.files.empty()) {
    ShowPreview({});
    TheLogger().Log(kLogError, "No shape files in %s (2)", collection->directory.c_str());
    return;
  }
  const int n = static_cast<int>(shapes.files.size());
  ShowPreview(shapes.files[static_cast<std::size_t>(m_random.RandomInt(0, n - 1))]);
}

void CEffectDlg::OnOK() {
  const EffectCollection* collection = SelectedCollection();
  if (collection == nullptr) {
    TheLogger().Log(kLogError, "Please choose an effect");
    return;
  }
  const std::string& directory = collection->directory;
  TheLogger().Log(kLogInfo, "OnNextBut, szEffectDir=%s\n", directory.c_str());
  const std::string name = CollectionNameOf(directory);

  if (m_pEffect != nullptr) {
    {
      WaitCursor wait;
      m_pEffect->LoadShapes(directory.c_str());
    }
    m_szEffectName = name;
    accept();
    return;
  }
  std::unique_ptr<CEffect> effect;
  {
    WaitCursor wait;
    effect = std::make_unique<CEffect>(directory.c_str());
  }
  if (effect->GetNumShapes() == 0) {
    TheLogger().Log(kLogError, "The effect in directory\n%s\ndoes not contain any shapes", directory.c_str());
    return;
  }
  m_szEffectName = name;
  m_pNewEffect = std::move(effect);
  accept();
}

std::unique_ptr<CBrisol> RunObjectsWizard(QWidget* parent, std::shared_ptr<const CDADC> original,
                                          const std::string& mainDirectory, std::string& defaultEffect) {
  CEffectDlg dialog(parent, mainDirectory, nullptr, CollectionNameOf(defaultEffect));
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  std::unique_ptr<CEffect> effect = dialog.TakeEffect();
  if (!effect) {
    TheLogger().Log(kLogError, "EffectDlg.m_pEffect = NULL in Wizard");
    return nullptr;
  }
  std::unique_ptr<CBrisol> runner;
  {
    WaitCursor wait;
    runner = std::make_unique<CBrisol>(std::move(original), effect.get());
  }
  defaultEffect = dialog.EffectName();
  return runner;
}

}  // namespace brisol
