// File > Export...: the picture in front written as a vector file with the
// page the user chooses, the choices kept in the settings.
#pragma once

#include <QString>

class QWidget;

namespace brisol {

class CAppSettings;
class CBrisolDoc;

// Whether the document shows a picture drawn from its photo, which an
// export writes again as objects.
bool CanExport(CBrisolDoc* doc);

// Asks for the page and the file and writes the picture on view (the
// newest one: called once it is, see CBrisolDoc::WhenPictureReady); the choices of an export started are kept in the
// settings. What was written, for the status bar; empty when nothing was.
QString ExportPicture(QWidget* parent, CBrisolDoc& doc, CAppSettings& settings);

}  // namespace brisol
