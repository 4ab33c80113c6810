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

#include "imageio/PictureFormats.h"
#include "ui/NumberText.h"
#include "ui/OpenImagePreview.h"

namespace brisol {
namespace {

// Whether the dialog shows previews, for as long as the program runs.
bool g_showPreview = true;

// "*.[jJ][pP][gG]": the extension in any letter case.
QString AnyCasePattern(std::string_view extension) {
  QString pattern = QStringLiteral("*.");
  for (const char c : extension) {
    const QChar ch = QLatin1Char(c);
    if (ch.isLetter())
      pattern += QLatin1Char('[') + ch.toLower() + ch.toUpper() + QLatin1Char(']');
    else
      pattern += ch;
  }
  return pattern;
}

// The patterns behind filter index i: one format, or all of them.
QStringList FilterPatterns(int index) {
  QStringList patterns;
  const auto formats = PictureFormats();
  for (int i = 0; i < static_cast<int>(formats.size()); ++i) {
    if (index != i && index != static_cast<int>(formats.size())) continue;
    for (std::string_view extension : formats[static_cast<std::size_t>(i)].extensions)
      patterns << AnyCasePattern(extension);
  }
  return patterns;
}

}  // namespace

bool OpenDialogShowsPreview() { return g_showPreview; }
void SetOpenDialogShowsPreview(bool show) { g_showPreview = show; }

QStringList OpenImageFilters() {
  QStringList filters;
  for (const PictureFormat& format : PictureFormats()) {
    const std::string label(format.filterLabel);
    QString extension =
        QString::fromLatin1(format.extensions.front().data(), static_cast<int>(format.extensions.front().size()))
            .toUpper();
    filters << FormatC("%-9s(*.%s)", label.c_str(), extension.toLatin1().constData());
  }
  filters << QStringLiteral("All Files(*.*)");
  return filters;
}

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
    if (model != nullptr && index >= 0) model->setNameFilters(FilterPatterns(index));
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
