// libFuzzer target: CDxfFile::ReadFile on arbitrary bytes, then what the
// program asks of a drawing it read (counts, extents, the writer), and the
// drawing itself: every entity drawn as the effect draws a shape (filled,
// outlined, at two sizes and angles) and as the preview draws the list, into
// a picture inside a larger buffer whose border must stay untouched.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "dxf/DxfFile.h"
#include "dxf/Matrix.h"
#include "logger/Alerts.h"
#include "raster/DrawContext.h"
#include "raster/Types.h"

namespace {

class SilentAlertSink : public brisol::AlertSink {
 public:
  brisol::AlertAnswer Show(const brisol::Alert&) override { return brisol::AlertAnswer::Ok; }
};

const std::string& InputPath() {
  static const std::string path = "/tmp/brisol_dxf_fuzz_" + std::to_string(getpid()) + ".dxf";
  return path;
}

std::FILE* NullOutput() {
  static std::FILE* out = std::fopen("/dev/null", "w");
  return out;
}

constexpr int kWidth = 57, kHeight = 41, kGuard = 12;
constexpr std::uint8_t kCanary = 0xA5;

// Draws the drawing into a guarded picture and stops the run when a pixel
// outside the picture changed.
void DrawAndCheck(const brisol::CDxfFile& drawing, std::uint8_t seed) {
  using namespace brisol;
  const int stride = BytesPerRow24(kWidth + 2 * kGuard);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride) * (kHeight + 2 * kGuard), kCanary);
  DrawContext dc(PixelBlock{buffer.data() + kGuard * stride + 3 * kGuard, kWidth, kHeight, stride});
  struct Placement {
    double size, angle, x, y;
    int penWidth;
  };
  // A shape of unit size as the effect places it, and one far larger and
  // turned, reaching past the picture.
  const Placement placements[] = {{12.0, 0.3, 28, 20, seed % 2 ? 3 : 1}, {700.0, -2.1, 5, 38, 9}};
  for (const Placement& p : placements) {
    CMatrix m;
    m.MakeTransform(CVec(p.size, -p.size, 0), p.angle, CVec(p.x, p.y, 0));
    dc.SelectBrush(Brush::Solid(RGB(200, 30, 40)));
    dc.SelectPen(Pen::Solid(p.penWidth, RGB(0, 0, 90)));
    dc.SetPolyFillMode(seed & 2 ? WINDING : ALTERNATE);
    for (int i = 0; i < drawing.GetCount(); ++i) {
      if (const CDxfEntity* entity = drawing.GetEntity(i)) entity->DrawIntoDC(dc, m);
    }
    drawing.DrawIntoDC(dc, 0, m);
  }
  for (int row = 0; row < kHeight + 2 * kGuard; ++row)
    for (int i = 0; i < stride; ++i) {
      const bool inside = row >= kGuard && row < kGuard + kHeight && i >= 3 * kGuard && i < 3 * (kGuard + kWidth);
      if (!inside && buffer[static_cast<std::size_t>(row) * stride + i] != kCanary) std::abort();
    }
}

}  // namespace

// The installed fontconfig loses a few bytes while it parses its own
// configuration (texts are drawn too); the leak checker passes over that.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  brisol::SetAlertSink(std::make_shared<SilentAlertSink>());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = InputPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (!written) return 0;

  brisol::CDxfFile drawing;
  drawing.ReadFile(path.c_str(), (size > 0 && (data[0] & 1)) ? "A" : nullptr);
  int useful = 0;
  for (int t = 0; t < brisol::ikNumDxfEntityTypes; ++t) useful += drawing.CountOfType(t);
  brisol::CVec min, max;
  drawing.GetExtents(min, max);
  for (int i = 0; i < drawing.GetCount(); ++i) {
    const brisol::CDxfEntity* entity = drawing.GetEntity(i);
    if (entity != nullptr) entity->GetType();
  }
  if (std::FILE* out = NullOutput()) drawing.WriteDxf(out, drawing.GetFileTransform());
  DrawAndCheck(drawing, size > 1 ? data[1] : 0);
  return useful >= 0 ? 0 : 1;
}
