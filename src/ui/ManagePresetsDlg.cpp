#include "ui/ManagePresetsDlg.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "logger/Alerts.h"
#include "recipe/Presets.h"

namespace brisol {
namespace {

constexpr int kUserRole = Qt::UserRole;

}  // namespace

CManagePresetsDlg::CManagePresetsDlg(QWidget* parent)
    : QDialog(parent),
      m_opener([](const QString& folder) { return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }) {
  setObjectName(QStringLiteral("managePresetsDialog"));
  setWindowTitle(tr("Manage Presets"));
  m_asker = [this](const QString& current) {
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Rename Preset"), tr("New name of the preset:"),
                                               QLineEdit::Normal, current, &ok);
    return ok ? name : QString();
  };
  auto* layout = new QVBoxLayout(this);
  auto* explain = new QLabel(tr("Your own presets, to rename or delete. The presets that come with Brisol "
                                "cannot be changed, but one of yours with the same name is used instead."),
                             this);
  explain->setWordWrap(true);
  layout->addWidget(explain);
  auto* row = new QHBoxLayout;
  m_pList = new QListWidget(this);
  m_pList->setObjectName(QStringLiteral("presetList"));
  row->addWidget(m_pList, 1);
  auto* buttons = new QVBoxLayout;
  m_pRename = new QPushButton(tr("&Rename..."), this);
  m_pRename->setObjectName(QStringLiteral("renamePreset"));
  m_pDelete = new QPushButton(tr("&Delete"), this);
  m_pDelete->setObjectName(QStringLiteral("deletePreset"));
  auto* show = new QPushButton(tr("Show &Folder"), this);
  show->setObjectName(QStringLiteral("showPresetFolder"));
  show->setToolTip(tr("Open the folder of your presets in the file manager"));
  for (QPushButton* b : {m_pRename, m_pDelete, show}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  row->addLayout(buttons);
  layout->addLayout(row, 1);
  m_pFolder = new QLabel(this);
  m_pFolder->setObjectName(QStringLiteral("presetFolder"));
  m_pFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_pFolder->setWordWrap(true);
  layout->addWidget(m_pFolder);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  layout->addWidget(close);

  connect(m_pRename, &QPushButton::clicked, this, &CManagePresetsDlg::OnRename);
  connect(m_pDelete, &QPushButton::clicked, this, &CManagePresetsDlg::OnDelete);
  connect(show, &QPushButton::clicked, this, &CManagePresetsDlg::OnShowFolder);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pList, &QListWidget::currentRowChanged, this, &CManagePresetsDlg::UpdateButtons);
  connect(m_pList, &QListWidget::itemDoubleClicked, this, [this] {
    if (!SelectedUserPreset().isEmpty()) OnRename();
  });
  resize(460, 380);
  Refill();
}

void CManagePresetsDlg::Refill() {
  const QString selected = SelectedUserPreset();
  m_pList->clear();
  for (const PresetInfo& p : ListPresets()) {
    if (!p.user) continue;
    auto* item = new QListWidgetItem(QString::fromStdString(p.name), m_pList);
    item->setData(kUserRole, true);
    item->setToolTip(QString::fromStdString(p.path));
    if (item->text() == selected) m_pList->setCurrentItem(item);
  }
  if (m_pList->count() == 0) {
    auto* none = new QListWidgetItem(tr("(none yet: Presets > Save as Preset... makes one)"), m_pList);
    none->setFlags(Qt::NoItemFlags);
  }
  m_pFolder->setText(tr("Your presets are kept in %1").arg(QString::fromStdString(UserPresetFolder())));
  UpdateButtons();
}

QString CManagePresetsDlg::SelectedUserPreset() const {
  const QListWidgetItem* item = m_pList->currentItem();
  return item != nullptr && item->data(kUserRole).toBool() ? item->text() : QString();
}

void CManagePresetsDlg::UpdateButtons() {
  const bool user = !SelectedUserPreset().isEmpty();
  m_pRename->setEnabled(user);
  m_pDelete->setEnabled(user);
}

void CManagePresetsDlg::OnRename() {
  const QString from = SelectedUserPreset();
  if (from.isEmpty()) return;
  const QString to = m_asker(from);
  if (to.isEmpty() || to == from) return;
  const Done renamed = RenamePreset(from.toStdString(), to.toStdString());
  if (!renamed) {
    WalertBox(kIconExclamation, "The preset was not renamed: %s.", renamed.message().c_str());
    return;
  }
  Refill();
  for (QListWidgetItem* item : m_pList->findItems(to, Qt::MatchExactly))
    if (item->data(kUserRole).toBool()) m_pList->setCurrentItem(item);
}

void CManagePresetsDlg::OnDelete() {
  const QString name = SelectedUserPreset();
  if (name.isEmpty()) return;
  if (AskYesNo("Delete your preset \"%s\"?", name.toUtf8().constData()) != AlertAnswer::Yes) return;
  const Done deleted = DeletePreset(name.toStdString());
  if (!deleted) WalertBox(kIconExclamation, "The preset was not deleted: %s.", deleted.message().c_str());
  Refill();
}

void CManagePresetsDlg::OnShowFolder() {
  const QString folder = QString::fromStdString(UserPresetFolder());
  // Shown even before the first preset is saved: the folder is made.
  if (!QDir().mkpath(folder)) {
    WalertBox(kIconExclamation, "The folder of your presets could not be made:\n%s", folder.toUtf8().constData());
    return;
  }
  if (!m_opener(folder))
    WalertBox(kIconExclamation, "No file manager could show the folder:\n%s", folder.toUtf8().constData());
}

}  // namespace brisol
