// Drawing-context figures and text from arbitrary input: whatever the
// coordinates, pen widths, fill modes and texts, nothing may be written
// outside the picture. The picture is the inside of a larger buffer whose
// border holds a canary that is checked after every input.
//
// Input: a sequence of commands, each an operation byte followed by its
// arguments as little-endian 32-bit integers (missing bytes read as 0).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "raster/DrawContext.h"
#include "raster/GdiObjects.h"
#include "raster/Types.h"

namespace {

using namespace brisol;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool More() const { return m_pos < m_size; }
  std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return static_cast<std::int32_t>(v);
  }
  // Small values are far more interesting than uniform 32-bit ones.
  std::int32_t Coordinate() {
    const std::uint8_t kind = Byte();
    if (kind < 200) return static_cast<std::int32_t>(kind) - 70;
    return Int();
  }
  std::string Text() {
    const int n = Byte() % 24;
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(Byte());
    return s;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

constexpr int kWidth = 61, kHeight = 47, kGuard = 16;
constexpr std::uint8_t kCanary = 0x5A;

}  // namespace

// The installed fontconfig loses a few bytes while it parses its own
// configuration; the leak checker passes over that.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int stride = BytesPerRow24(kWidth + 2 * kGuard);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride) * (kHeight + 2 * kGuard), kCanary);
  DrawContext dc(PixelBlock{buffer.data() + kGuard * stride + 3 * kGuard, kWidth, kHeight, stride});

  Reader in(data, size);
  std::vector<POINT> points;
  for (int step = 0; step < 64 && in.More(); ++step) {
    switch (in.Byte() % 9) {
      case 0: {
        const int kind = in.Byte() % 4;
        const std::int32_t width = in.Byte() < 240 ? in.Byte() % 40 : in.Int();
        dc.SelectPen(kind == 0 ? Pen::Null() : Pen::Solid(width, static_cast<COLORREF>(in.Int())));
        break;
      }
      case 1:
        dc.SelectBrush(in.Byte() % 3 == 0 ? Brush::Null() : Brush::Solid(static_cast<COLORREF>(in.Int())));
        break;
      case 2:
        dc.SetPolyFillMode(in.Byte() % 3);
        break;
      case 3: {
        const int n = in.Byte() % 40;
        points.clear();
        for (int i = 0; i < n; ++i) points.push_back({in.Coordinate(), in.Coordinate()});
        dc.Polygon(points);
        break;
      }
      case 4: {
        const int n = in.Byte() % 40;
        points.clear();
        for (int i = 0; i < n; ++i) points.push_back({in.Coordinate(), in.Coordinate()});
        dc.Polyline(points);
        break;
      }
      case 5: {
        const std::int32_t x0 = in.Coordinate(), y0 = in.Coordinate();
        dc.MoveTo(x0, y0);
        const std::int32_t x1 = in.Coordinate(), y1 = in.Coordinate();
        dc.LineTo(x1, y1);
        break;
      }
      case 6: {
        const std::int32_t l = in.Coordinate(), t = in.Coordinate(), r = in.Coordinate(), b = in.Coordinate();
        dc.Ellipse(l, t, r, b);
        break;
      }
      case 7: {
        LogFont f;
        f.height = static_cast<std::int32_t>(in.Byte()) - 100;
        f.weight = in.Byte() < 128 ? 400 : 700;
        f.italic = (in.Byte() & 1) != 0;
        dc.SelectFont(Font::Create(f));
        dc.SetBkMode(1 + in.Byte() % 2);
        break;
      }
      case 8: {
        const std::int32_t x = in.Coordinate(), y = in.Coordinate();
        const std::string text = in.Text();
        dc.GetTextExtentPoint32(text);
        dc.TextOut(x, y, text);
        break;
      }
    }
  }

  for (int row = 0; row < kHeight + 2 * kGuard; ++row)
    for (int i = 0; i < stride; ++i) {
      const bool inside = row >= kGuard && row < kGuard + kHeight && i >= 3 * kGuard && i < 3 * (kGuard + kWidth);
      if (!inside && buffer[static_cast<std::size_t>(row) * stride + i] != kCanary) std::abort();
    }
  return 0;
}
