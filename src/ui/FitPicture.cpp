#include "ui/FitPicture.h"

namespace brisol {

QRect FitPicture(QSize picture, QRect frame) {
  const int bw = picture.width(), bh = picture.height();
  const int fw = frame.width(), fh = frame.height();
  if (bw < 1 || bh < 1 || fw < 1 || fh < 1) return {};
  if (bw > bh) {
    const int h = static_cast<int>(static_cast<double>(bh) / bw * fw);
    return {frame.left(), frame.top() + (fh - h) / 2, fw, h};
  }
  const int w = static_cast<int>(static_cast<double>(bw) / bh * fh);
  return {frame.left() + (fw - w) / 2, frame.top(), w, fh};
}

}  // namespace brisol
