// Conversions between the program's surfaces (24-bit blue-green-red,
// bottom-up, padded rows) and QImage.
#pragma once

#include <QImage>
#include <QRect>
#include <memory>

class QPainter;

namespace brisol {

class CDADC;

// A top-down RGB32 copy of the surface; a null image for an empty surface.
QImage ToQImage(const CDADC& surface);
// A surface holding the image (transparent parts over white); null for an
// empty image or when the surface cannot be made.
std::unique_ptr<CDADC> FromQImage(const QImage& image);
// Paints the surface into target, the picture at some zoom, straight from
// its pixel block (no copy is made): pixels are repeated or skipped, never
// smoothed.
void PaintDadc(QPainter& painter, const CDADC& surface, const QRect& target);

}  // namespace brisol
