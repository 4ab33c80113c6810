#include "app/SaveImage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

#include "imageio/ImageSave.h"
#include "imageio/PictureFormats.h"
#include "ui/FileFilters.h"

namespace brisol {

QString ProposedSaveName(const QString& name, int typeIndex) {
  const auto formats = PictureFormats();
  if (typeIndex < 0 || typeIndex >= static_cast<int>(formats.size())) return name;
  QString stem = QFileInfo(name).fileName();
  // A picture's extension gives way to the type's; another is part of the name.
  if (PictureFormatOfName(stem.toStdString()) != nullptr) stem = stem.left(stem.lastIndexOf('.'));
  if (stem.isEmpty()) stem = QStringLiteral("picture");
  return stem + '.' + Latin1(formats[static_cast<std::size_t>(typeIndex)].extensions.front());
}

QString GetSaveImageName(QWidget* parent, const QString& directory, const QString& name, int& typeIndex) {
  const QStringList filters = PictureFormatFilters();
  const auto formats = PictureFormats();
  // A folder that is gone (moved, or on a removed disk) starts at home.
  QFileDialog dialog(parent, QObject::tr("Save as Image"), QDir(directory).exists() ? directory : QDir::homePath());
  dialog.setObjectName(QStringLiteral("saveImageDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  const int start = typeIndex >= 0 && typeIndex < filters.size() ? typeIndex : 2;
  auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto useFilter = [&](const QString& filter) {
    const int index = static_cast<int>(filters.indexOf(filter));
    if (index < 0) return;
    dialog.setDefaultSuffix(Latin1(formats[static_cast<std::size_t>(index)].extensions.front()));
    // The name in the field takes the type's extension.
    const QString typed = nameEdit != nullptr ? nameEdit->text() : QString();
    const QString proposed = ProposedSaveName(typed.isEmpty() ? name : typed, index);
    if (nameEdit != nullptr)
      nameEdit->setText(proposed);
    else
      dialog.selectFile(proposed);
  };
  dialog.selectNameFilter(filters[start]);
  useFilter(filters[start]);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useFilter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  typeIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  if (typeIndex < 0) typeIndex = start;
  return dialog.selectedFiles().front();
}

Done WritePicture(const CDADC& surface, const QString& path) { return WritePicture(surface, path, SaveOptions{}); }

Done WritePicture(const CDADC& surface, const QString& path, const SaveOptions& options) {
  const Done result = SaveImageFile(surface, path.toStdString(), options);
  if (result.ok()) return {};
  return Fail("The image was not saved.\n" + result.message());
}

}  // namespace brisol
