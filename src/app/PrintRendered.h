// Printing the picture drawn anew at the printer's resolution: the effect's
// objects are drawn at the page's device pixels instead of the shown bitmap
// being enlarged, so edges stay sharp on paper and in a PDF at any zoom.
//
// The page is drawn in bands on a worker thread; each band is painted on
// the printer, in the GUI thread, as it comes, in the place the plain print
// gives the bitmap. A progress dialog with Stop (Esc) stays up meanwhile
// and the GUI keeps answering.
#pragma once

#include <memory>

#include "logger/Outcome.h"
#include "ui/PictureSource.h"

class QPrinter;
class QWidget;

namespace brisol {

class CDADC;
class CEffect;

// Prints one page. A stopped print ends the job: a printer's job is
// aborted, and a PDF file is not left behind (an existing file of that name
// is kept). A failure says why, for the caller to tell.
Done PrintRendered(QPrinter& printer, const PictureSource& source, QWidget* parent);

// The rows of the page drawn in one band for a page this many pixels wide:
// at most about 16 MB of pixels, at least one row.
int BandRows(int pageWidth);

}  // namespace brisol
