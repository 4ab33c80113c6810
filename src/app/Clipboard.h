// The shown picture to the clipboard, and a clipboard picture back as a
// packed DIB, the form a picture read from a file takes.
#pragma once

#include <QImage>

#include "raster/ByteBuffer.h"

namespace brisol {

// Puts the image on the clipboard in one step: the clipboard is not touched
// unless the picture is ready to go on it. False (reported) otherwise.
bool CopyImageToClipboard(const QImage& image);

// A 24-bit packed DIB of the image (transparent parts over white), made by
// the imaging layer as for a loaded file; empty when it cannot be made.
ByteBuffer DibFromImage(const QImage& image);

}  // namespace brisol
