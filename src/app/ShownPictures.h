// The pictures a view shows at its own size, and the preview.
//
// A view shows a large picture reduced (its zoom below 100 %, or a screen
// whose pixels are finer than the program's). Whatever it shows at that
// size is made on the drawing thread, never while painting: the photo and
// the exact picture reduced to the shown size, and, while the user changes
// values, a preview that comes before the exact picture. A preview is the
// same effect, with the same seed, drawn from the photo reduced to the
// shown size into a picture of that size; the exact picture at full size
// always replaces it.
//
// A reduction takes whole pixels: each shown pixel is the pixel under its
// centre, as the view has always shown a zoomed picture. So the reduced
// photo is the photo as the view shows it, and a reduced exact picture is
// what painting the full one at that size would show.
#pragma once

#include <QImage>
#include <QSize>
#include <deque>
#include <memory>

#include "raster/Types.h"

namespace brisol {

class CDADC;

// The size a picture is shown at, at a zoom in percent: its own size at
// 100 %, otherwise zoom x side / 100 in whole pixels.
QSize ZoomedSize(SIZE picture, unsigned zoom);

// The zoom a picture larger than room is first shown at: the largest step
// of 10 % (at least 10 %) at which it fits whole; 100 when it fits as it is.
unsigned FittingZoom(SIZE picture, QSize room);

// A drawing whose working picture has at most this many pixels (a
// 1920 x 1080 photo at quality 1) shows its exact picture soon enough
// without a preview.
inline constexpr long long kQuickWorkingPixels = 1920LL * 1080;

// Whether a change to a picture shown at this size (in the screen's pixels)
// draws a preview first: only when the shown picture has at most half the
// picture's pixels (below it, a preview costs nearly what the exact picture
// does) and the exact drawing is not quick anyway.
bool DrawsPreview(SIZE picture, QSize shown, int quality);

// The surface reduced to size, by whole pixels; null when it cannot be
// made (the failure is logged).
std::unique_ptr<CDADC> ReducedCopy(const CDADC& surface, QSize size);
// The surface reduced to size as an image for the screen; a surface of
// that size is converted as it is. A null image when it cannot be made.
QImage ReducedImage(const CDADC& surface, QSize size);

// The photo reduced to the sizes a view asked for, each made once and kept
// (the last few sizes): the preview is drawn from it and the view shows it.
// Used on one thread at a time.
class CReducedPhotos {
 public:
  struct Reduced {
    std::shared_ptr<const CDADC> photo;  // null when it could not be made
    QImage image;
  };
  Reduced Get(const std::shared_ptr<const CDADC>& photo, QSize size);
  // How many reductions were made so far (not found kept).
  int Made() const { return m_made; }

 private:
  static constexpr std::size_t kKept = 3;
  std::weak_ptr<const CDADC> m_source;
  std::deque<std::pair<QSize, Reduced>> m_kept;  // newest first
  int m_made = 0;
};

}  // namespace brisol
