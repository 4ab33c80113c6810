// brisol-cli testcard: a picture that exercises every drawing operation.
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ArgParse.h"
#include "Commands.h"
#include "Making.h"
#include "imageio/ImageSave.h"
#include "imageio/codecs/MemoryBudget.h"
#include "logger/Format.h"
#include "raster/Dadc.h"

namespace brisol::cli {
namespace {

void DrawTestcard(CDADC& surface, const Font& font) {
  DrawContext& dc = surface.GetDC();
  const int w = surface.GetWidth(), h = surface.GetHeight();
  // A vertical colour ramp as the background.
  for (int y = 0; y < h; ++y) {
    const unsigned t = static_cast<unsigned>(255 * y / std::max(1, h - 1));
    dc.FillSolidRect(0, y, w, 1, RGB(40 + t / 3, 60 + t / 2, 255 - t / 2));
  }
  // Filled and outlined figures of several pen widths.
  const COLORREF fills[] = {RGB(230, 60, 60), RGB(250, 200, 40), RGB(60, 180, 90), RGB(70, 90, 220)};
  for (int i = 0; i < 4; ++i) {
    const int cx = w * (2 * i + 1) / 8, cy = h / 3, r = std::min(w / 10, h / 5);
    dc.SelectBrush(Brush::Solid(fills[i]));
    dc.SelectPen(i == 0 ? Pen::Null() : Pen::Solid(i * 3, RGB(20, 20, 20)));
    std::vector<POINT> star;
    for (int k = 0; k < 10; ++k) {
      const double a = k * 3.14159265358979 / 5 - 3.14159265358979 / 2;
      const double rr = (k % 2 == 0) ? r : r * 0.45;
      star.push_back({cx + static_cast<int>(rr * std::cos(a)), cy + static_cast<int>(rr * std::sin(a))});
    }
    dc.Polygon(star);
    dc.Ellipse(cx - r / 2, 2 * h / 3 - r / 2, cx + r / 2, 2 * h / 3 + r / 2);
  }
  // Lines fanning out from a corner.
  for (int i = 0; i < 12; ++i) {
    dc.SelectPen(Pen::Solid(1 + i % 4, RGB(255, 255, 255)));
    dc.MoveTo(10, h - 10);
    dc.LineTo(10 + (w / 3) * std::cos(i * 0.13), h - 10 - (h / 4) * std::sin(i * 0.13));
  }
  // Text.
  if (font.IsValid()) {
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    const char* title = "Brisol drawing context";
    const SIZE extent = dc.GetTextExtentPoint32(title);
    dc.TextOut((w - extent.cx) / 2, h / 20, title);
  }
}

// The memory fontconfig is given to read its configuration in.
constexpr std::uint64_t kFontHeadroom = 4u << 20;

int Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "brisol-cli testcard: %s\n", message.c_str());
  return 1;
}

}  // namespace

int RunTestcard(Args args) {
  if (!args.empty() && IsHelp(args[0])) {
    std::printf(
        "Usage: brisol-cli testcard OUTPUT.bmp [WIDTHxHEIGHT]\n\n"
        "Draws a test picture of filled and outlined figures, lines and text through\n"
        "the drawing context and writes it as a 24-bit BMP file (default 800x600), or\n"
        "in the format another extension names. An existing OUTPUT is replaced only\n"
        "once the new file is completely written.\n");
    return 0;
  }
  if (args.empty() || args.size() > 2) {
    std::fprintf(stderr, "brisol-cli testcard: expected OUTPUT.bmp [WIDTHxHEIGHT]\n");
    return 2;
  }
  const std::string output = args[0];
  SIZE size{800, 600};
  if (args.size() == 2 && !ParseSize(args[1], size)) {
    std::fprintf(stderr, "brisol-cli testcard: bad size '%s', expected WIDTHxHEIGHT\n", OneLineText(args[1]).c_str());
    return 2;
  }
  // Whether the file can be written, before the picture is drawn.
  if (const Done target = CheckSaveTarget(output, size); !target.ok()) return Fail(target.message());
  const std::string pixels = std::to_string(size.cx) + " x " + std::to_string(size.cy) + " pixels";
  const Making making("the test picture (" + pixels + ")");
  // The title's font first: fontconfig does not survive running out of
  // memory while it reads its configuration, so it is asked only with some
  // memory to spare.
  if (AvailableMemory() < kFontHeadroom) return Fail("not enough memory for the test picture's font");
  LogFont lf;
  lf.height = std::max(12, size.cy / 12);
  lf.weight = 700;
  const Font font = Font::Create(lf);
  CDADC surface(size);
  if (!surface.IsValid()) {
    if (static_cast<long long>(PictureBytes(size.cx, size.cy)) > kMaxSurfaceBytes)
      return Fail("a picture of " + pixels + " is too large: a picture may take at most " +
                  MemoryText(kMaxSurfaceBytes));
    return Fail("not enough memory for a picture of " + pixels);
  }
  DrawTestcard(surface, font);
  if (const Done saved = SaveImageFile(surface, output); !saved.ok()) return Fail(saved.message());
  std::printf("%s\n", OneLineText(output).c_str());
  return 0;
}

}  // namespace brisol::cli
