// The open-image dialog: the Qt file dialog with a preview of the selected
// picture, its width, height, colours and file size, and "Show Preview"
// (remembered while the program runs).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace brisol {

// Runs the dialog; the chosen path, or empty on cancel. filterIndex is read
// (0..5: BMP, TGA, JPG, PCX, PNG, all pictures) and set to the filter used.
QString GetOpenImageName(QWidget* parent, const QString& title, const QString& directory, int& filterIndex);

// Whether the dialog shows previews; starts true, kept until the program
// ends.
bool OpenDialogShowsPreview();
void SetOpenDialogShowsPreview(bool show);

}  // namespace brisol
