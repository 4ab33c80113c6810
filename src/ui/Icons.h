// The program's pictures, drawn in code: the toolbar's icons (crisp at 16,
// 22, 24 and 32 pixels, on light and dark themes), the application's icon
// and the splash picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace brisol {

enum class IconId {
  OpenImage,
  SaveImage,
  Cut,
  Copy,
  Paste,
  Print,
  OriginalOnOff,
  SettingsOnOff,
  ColorsOnOff,
  ChooseObjects,
  Randomize,
  Quality,
  ZoomIn,
  ZoomOut,
  ZoomNormal,
  App,
};

QIcon BrisolIcon(IconId id);
// One size of an icon, drawn for that size.
QPixmap BrisolIconPixmap(IconId id, int size);
// The splash window's picture.
QPixmap SplashPicture();

}  // namespace brisol
