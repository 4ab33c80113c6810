// A view of a 24-bit blue-green-red pixel block whose rows are stored
// bottom-up: picture row y (0 = top) starts at (height - 1 - y) * stride.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brisol {

struct PixelBlock {
  std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;

  bool IsValid() const { return bits != nullptr && width > 0 && height > 0; }
  std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride; }
  std::uint8_t* Pixel(int x, int y) const { return Row(y) + 3 * static_cast<std::ptrdiff_t>(x); }
};

}  // namespace brisol
