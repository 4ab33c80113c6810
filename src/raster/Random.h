// The random source: a linear congruential generator whose exact arithmetic
// decides what picture a seed gives. state = state * 214013 + 2531011
// (mod 2^32); each draw is bits 16..30 of the new state, 0..32767.
//
// Each drawing owns its source and seeds it, so drawings on different
// threads never share one.
#pragma once

#include <cstdint>

#include "raster/Types.h"

namespace brisol {

class CRandomSource {
 public:
  static constexpr int kMaxDraw = 32767;

  CRandomSource() = default;
  explicit CRandomSource(std::uint32_t seed) : m_state(seed) {}

  void Seed(std::uint32_t seed) { m_state = seed; }
  std::uint32_t State() const { return m_state; }

  // One draw, 0..32767.
  int Draw() {
    m_state = m_state * 214013u + 2531011u;
    return static_cast<int>((m_state >> 16) & 0x7FFFu);
  }

  // a + r * (1/32767) * (b - a): a <= result <= b.
  double RandomDouble(double a, double b) { return a + Draw() * 3.051850947599719e-05 * (b - a); }

  // a + ((b - a + 1) * r') / 32767 with r' = min(r, 32766): a <= result <= b.
  int RandomInt(int a, int b) { return MapToInt(a, b, Draw()); }

  // Red, green and blue drawn in that order, each RandomInt(0, 255).
  COLORREF RandomColor() {
    const int r = RandomInt(0, 255);
    const int g = RandomInt(0, 255);
    const int b = RandomInt(0, 255);
    return RGB(r, g, b);
  }

  // The mapping of RandomInt for a given draw.
  static int MapToInt(int a, int b, int draw) {
    const long long r = draw == kMaxDraw ? kMaxDraw - 1 : draw;
    const long long span = static_cast<long long>(b) - a + 1;
    return static_cast<int>(a + (span * r) / kMaxDraw);
  }

 private:
  std::uint32_t m_state = 1;
};

}  // namespace brisol
