// Where a picture goes in a frame: the full width when it is wider than
// high (else the full height), its proportions kept, centred the other way.
#pragma once

#include <QRect>
#include <QSize>

namespace brisol {

QRect FitPicture(QSize picture, QRect frame);

}  // namespace brisol
