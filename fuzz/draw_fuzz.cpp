// Drawing-context figures and text from arbitrary input: whatever the
// coordinates, pen widths, fill modes and texts, nothing may be written
// outside the picture. The picture is the inside of a larger buffer whose
// border holds a canary that is checked after every input.
//
// The same commands are then drawn the other way: recorded a band of rows
// at a time (bands as high as the input says) and replayed from the last
// command to the first into coverage bands, the canary colour laid under
// what nothing covered. The picture must be the same to the byte, and the
// bounds a recorder notes for each command must hold every pixel it draws.
//
// Input: a sequence of commands, each an operation byte followed by its
// arguments as little-endian 32-bit integers (missing bytes read as 0).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "raster/CoverageBand.h"
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

// One command of the input: whether it draws, and what it does to a context.
struct Command {
  bool draws = false;
  std::function<void(DrawContext&)> run;
};

std::vector<Command> ReadCommands(Reader& in) {
  std::vector<Command> commands;
  for (int step = 0; step < 64 && in.More(); ++step) {
    Command c;
    switch (in.Byte() % 9) {
      case 0: {
        const int kind = in.Byte() % 4;
        const std::int32_t width = in.Byte() < 240 ? in.Byte() % 40 : in.Int();
        const Pen pen = kind == 0 ? Pen::Null() : Pen::Solid(width, static_cast<COLORREF>(in.Int()));
        c.run = [pen](DrawContext& dc) { dc.SelectPen(pen); };
        break;
      }
      case 1: {
        const Brush brush = in.Byte() % 3 == 0 ? Brush::Null() : Brush::Solid(static_cast<COLORREF>(in.Int()));
        c.run = [brush](DrawContext& dc) { dc.SelectBrush(brush); };
        break;
      }
      case 2: {
        const int mode = in.Byte() % 3;
        c.run = [mode](DrawContext& dc) { dc.SetPolyFillMode(mode); };
        break;
      }
      case 3:
      case 4: {
        const bool polygon = in.Byte() % 2 == 0;
        const int n = in.Byte() % 40;
        std::vector<POINT> points;
        for (int i = 0; i < n; ++i) points.push_back({in.Coordinate(), in.Coordinate()});
        c.draws = true;
        c.run = [points, polygon](DrawContext& dc) {
          if (polygon)
            dc.Polygon(points);
          else
            dc.Polyline(points);
        };
        break;
      }
      case 5: {
        const std::int32_t x0 = in.Coordinate(), y0 = in.Coordinate();
        const std::int32_t x1 = in.Coordinate(), y1 = in.Coordinate();
        c.draws = true;
        c.run = [=](DrawContext& dc) {
          dc.MoveTo(x0, y0);
          dc.LineTo(x1, y1);
        };
        break;
      }
      case 6: {
        const std::int32_t l = in.Coordinate(), t = in.Coordinate(), r = in.Coordinate(), b = in.Coordinate();
        c.draws = true;
        c.run = [=](DrawContext& dc) { dc.Ellipse(l, t, r, b); };
        break;
      }
      case 7: {
        LogFont f;
        f.height = static_cast<std::int32_t>(in.Byte()) - 100;
        f.weight = in.Byte() < 128 ? 400 : 700;
        f.italic = (in.Byte() & 1) != 0;
        const Font font = Font::Create(f);
        const int mode = 1 + in.Byte() % 2;
        c.run = [font, mode](DrawContext& dc) {
          dc.SelectFont(font);
          dc.SetBkMode(mode);
        };
        break;
      }
      default: {
        const std::int32_t x = in.Coordinate(), y = in.Coordinate();
        const std::string text = in.Text();
        const COLORREF colour = static_cast<COLORREF>(in.Int());
        c.draws = true;
        c.run = [=](DrawContext& dc) {
          dc.GetTextExtentPoint32(text);
          dc.SetTextColor(colour);
          dc.TextOut(x, y, text);
          dc.FillSolidRect(x, y, x / 4, y / 4, colour ^ 0x123456u);
          dc.SetPixel(y, x, colour);
        };
        break;
      }
    }
    commands.push_back(std::move(c));
  }
  return commands;
}

// Command i run on dc in the state the commands before it leave.
void RunInState(const std::vector<Command>& commands, std::size_t i, DrawContext& dc) {
  for (std::size_t k = 0; k < i; ++k)
    if (!commands[k].draws) commands[k].run(dc);
  commands[i].run(dc);
}

}  // namespace

// The installed fontconfig loses a few bytes while it parses its own
// configuration; the leak checker passes over that.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int stride = BytesPerRow24(kWidth + 2 * kGuard);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride) * (kHeight + 2 * kGuard), kCanary);
  const PixelBlock picture{buffer.data() + kGuard * stride + 3 * kGuard, kWidth, kHeight, stride};
  DrawContext dc(picture);

  Reader in(data, size);
  const int bandRows = 1 + in.Byte() % kHeight;
  const std::vector<Command> commands = ReadCommands(in);
  for (const Command& c : commands) c.run(dc);

  for (int row = 0; row < kHeight + 2 * kGuard; ++row)
    for (int i = 0; i < stride; ++i) {
      const bool inside = row >= kGuard && row < kGuard + kHeight && i >= 3 * kGuard && i < 3 * (kGuard + kWidth);
      if (!inside && buffer[static_cast<std::size_t>(row) * stride + i] != kCanary) std::abort();
    }

  // Each drawing command's bounds hold its pixels.
  SpanRecorder bounds, runs;
  bounds.KeepBoundsOnly(true);
  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (!commands[i].draws) continue;
    bounds.Clear();
    runs.Clear();
    DrawContext boundsDc(kWidth, kHeight, bounds), runsDc(kWidth, kHeight, runs);
    RunInState(commands, i, boundsDc);
    RunInState(commands, i, runsDc);
    const RECT& b = bounds.Bounds();
    for (const ColourRun& r : runs.Runs())
      if (r.y < b.top || r.y >= b.bottom || r.x0 < b.left || r.x1 > b.right) std::abort();
  }

  // Topmost first, a band at a time: the same picture.
  CoverageBand band;
  SpanRecorder recorder;
  for (int top = 0; top < kHeight; top += bandRows) {
    const int bottom = std::min(kHeight, top + bandRows);
    if (!band.Start(kWidth, top, bottom)) std::abort();
    recorder.KeepRows(top, bottom);
    for (std::size_t i = commands.size(); i-- > 0;) {
      if (!commands[i].draws) continue;
      recorder.Clear();
      DrawContext bandDc(kWidth, bottom, recorder);
      RunInState(commands, i, bandDc);
      band.WriteTopmostFirst(recorder.Runs());
    }
    const PixelBlock pixels = band.Block();
    band.ForEachUncovered([&](int y, int x0, int x1) { std::memset(pixels.Pixel(x0, y), kCanary, 3 * (x1 - x0)); });
    for (int y = top; y < bottom; ++y)
      if (std::memcmp(pixels.Row(y), picture.Row(y), 3 * kWidth) != 0) std::abort();
  }
  return 0;
}
