// Rows of an axis-aligned ellipse sampled at pixel centres. The ellipse is
// the one inscribed in the box [left, right) x [top, bottom); it is described
// by the sums and sizes of the box's sides, which stay whole numbers when the
// box is grown or shrunk by a pen width on both sides.
#pragma once

namespace brisol {

struct EllipseBox {
  long long sumX = 0;   // left + right
  long long sizeX = 0;  // right - left
  long long sumY = 0;   // top + bottom
  long long sizeY = 0;  // bottom - top

  static EllipseBox FromRect(long long left, long long top, long long right, long long bottom) {
    return {left + right, right - left, top + bottom, bottom - top};
  }
  EllipseBox Grown(long long by) const { return {sumX, sizeX + by, sumY, sizeY + by}; }
  bool IsEmpty() const { return sizeX <= 0 || sizeY <= 0; }
  long long Top() const { return (sumY - sizeY) >> 1; }         // first row that can hold pixels
  long long Bottom() const { return (sumY + sizeY + 1) >> 1; }  // one past the last
};

// The inclusive pixel range [x0, x1] of row y whose centres lie inside the
// ellipse (boundary included); false when the row has none. Mirror-exact:
// the result is symmetric about the box's centre in both directions.
bool EllipseRow(const EllipseBox& box, long long y, long long& x0, long long& x1);

}  // namespace brisol
