#include "ui/OpenImageDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

#include "ui/FileFilters.h"
#include "ui/NumberText.h"
#include "ui/OpenImagePreview.h"

namespace brisol {
namespace {

// Whether the dialog shows previews, for as long as the program runs.
bool g_showPreview = true;

}  // namespace

bool OpenDialogShowsPreview() { return g_showPreview; }
void SetOpenDialogShowsPreview(bool show) { g_showPreview = show; }

QString GetOpenImageName(QWidget* parent, const QString& title, const QString& directory, int& filterIndex) {
  // The file dialog shows its filters with their white space simplified.
  QStringList filters;
  for (const QString& filter : OpenImageFilters()) filters << filter.simplified();
  QFileDialog dialog(parent, title, directory);
  dialog.setObjectName(QStringLiteral("openImageDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);

  // The filters show their labels; the files they let through are the
  // table's extensions in any letter case.
  auto* model = dialog.findChild<QFileSystemModel*>();
  auto useFilter = [&](const QString& filter) {
    const int index = static_cast<int>(filters.indexOf(filter));
    if (model != nullptr && index >= 0) model->setNameFilters(OpenImagePatterns(index));
  };
  const int initial = std::clamp(filterIndex, 0, static_cast<int>(filters.size()) - 1);
  dialog.selectNameFilter(filters[initial]);
  useFilter(filters[initial]);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useFilter);

  auto* preview = new COpenImagePreview(&dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
  // Wide enough for the names, sizes and dates beside the preview, within
  // the screen.
  QSize size = dialog.sizeHint().expandedTo(QSize(860, 500));
  if (const QScreen* screen = dialog.screen()) size = size.boundedTo(screen->availableSize() * 0.9);
  dialog.resize(size);
  // In the detail view the name takes what the size, type and date leave.
  if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
      header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  // The preview follows the current item (clicks, keys) and the selection
  // (a name typed or chosen by the dialog), once per path.
  QString shown;
  auto select = [&shown, preview](const QString& path) {
    if (path == shown) return;
    shown = path;
    preview->OnSelChange(path);
  };
  QObject::connect(&dialog, &QFileDialog::currentChanged, preview, select);
  if (auto* list = dialog.findChild<QListView*>(QStringLiteral("listView")); list && list->selectionModel()) {
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, preview,
                     [&dialog, select] { select(dialog.selectedFiles().value(0)); });
  }

  if (dialog.exec() != QDialog::Accepted) return {};
  preview->Finish();
  const int used = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  if (used >= 0) filterIndex = used;
  return dialog.selectedFiles().value(0);
}

}  // namespace brisol
