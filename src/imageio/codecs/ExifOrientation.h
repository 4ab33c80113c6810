// The orientation a camera records in a JPEG's EXIF block, and turning a
// picture upright by it.
#pragma once

#include "imageio/codecs/ImageCodec.h"

namespace brisol {

// The values of the orientation tag: how the stored picture must be turned
// to be seen upright.
enum ExifOrientationValue : int {
  kOrientNormal = 1,
  kOrientMirror = 2,  // mirrored left to right
  kOrientRotate180 = 3,
  kOrientFlip = 4,        // mirrored top to bottom
  kOrientTranspose = 5,   // mirrored along the main diagonal
  kOrientRotate90 = 6,    // to be turned a quarter clockwise
  kOrientTransverse = 7,  // mirrored along the other diagonal
  kOrientRotate270 = 8,   // to be turned a quarter anticlockwise
};

// The orientation in the payload of an APP1 segment (starting with
// "Exif\0\0" and a TIFF header in either byte order): the value of tag 0x0112
// in the first image directory. kOrientNormal when the payload is not EXIF,
// has no such tag, is cut short or holds a value outside 1..8.
int ExifOrientation(Bytes app1);

// True for the orientations that swap width and height.
constexpr bool SwapsSides(int orientation) {
  return orientation >= kOrientTranspose && orientation <= kOrientRotate270;
}

// The picture turned upright: a new image (width and height swapped for
// 5..8). kImgErrNoMemory and the like when it cannot be had; src is then
// unchanged. kOrientNormal and unknown values give a plain copy.
int OrientUpright(const Bgr24Image& src, int orientation, Bgr24Image& out);

}  // namespace brisol
