// The grid's reduction written plainly from its description, for tests to
// compare cells with: each pixel of the reduced picture is the mean of the
// block of pixels it covers, rounded to the nearest value.
#pragma once

#include <QImage>
#include <cmath>

#include "raster/Dadc.h"

namespace brisol::test {

inline QImage PlainReduction(const CDADC& picture, int w, int h) {
  const int W = picture.GetWidth(), H = picture.GetHeight();
  QImage out(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double sum[3] = {0, 0, 0};
      int n = 0;
      for (int sy = y * H / h; sy < (y + 1) * H / h; ++sy) {
        for (int sx = x * W / w; sx < (x + 1) * W / w; ++sx) {
          const COLORREF c = picture.GetDC().GetPixel(sx, sy);
          sum[0] += GetRValue(c);
          sum[1] += GetGValue(c);
          sum[2] += GetBValue(c);
          ++n;
        }
      }
      auto mean = [&](int c) { return static_cast<int>(std::floor(sum[c] / n + 0.5)); };
      out.setPixel(x, y, qRgb(mean(0), mean(1), mean(2)));
    }
  }
  return out;
}

}  // namespace brisol::test
