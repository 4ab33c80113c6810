// The save dialog and the writing of the shown picture.
#pragma once

#include <QString>

#include "logger/Outcome.h"

class QWidget;

namespace brisol {

class CDADC;
struct SaveOptions;

// The Qt file dialog for saving a picture, starting in directory with the
// filter typeIndex (0..4: BMP, TGA, JPG, PCX, PNG) chosen and the name
// proposed with that type's extension; choosing another type changes the
// name's extension. A name without a picture extension gets the chosen
// filter's. Empty on cancel; typeIndex is set to the filter used.
QString GetSaveImageName(QWidget* parent, const QString& directory, const QString& name, int& typeIndex);

// The name proposed for a picture: its file's name with the extension
// belonging to the type (0..4), "rose.jpg" giving "rose.png" for PNG.
QString ProposedSaveName(const QString& name, int typeIndex);

// Writes the surface to path, by the path's extension. A failure says that
// the image was not saved, naming the file and the reason.
Done WritePicture(const CDADC& surface, const QString& path);
// The same with options (a recipe to keep in the picture).
Done WritePicture(const CDADC& surface, const QString& path, const SaveOptions& options);

}  // namespace brisol
