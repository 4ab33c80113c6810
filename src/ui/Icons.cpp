#include "ui/Icons.h"

namespace brisol {

QIcon BrisolIcon(IconId id) { return {}; }
QPixmap BrisolIconPixmap(IconId id, int size) { return {}; }
QPixmap SplashPicture() { return {}; }

}  // namespace brisol
