// Drawing speed of the drawing context on a recorded stream of filled and
// outlined shapes (polygons and circles on an 8000 x 6000 surface), and the
// construction of a force field.
//
// The stream is read from $BRISOL_STREAM, else /tmp/bench/stream.txt; the
// shape benchmarks skip when neither exists. Records, one a line ('#' starts
// a comment):
//   canvas W H
//   P FILL OW OC N x0 y0 ... x(N-1) y(N-1)   closed polygon
//   C FILL OW OC CX CY R                     circle
// FILL and OC are hexadecimal 0xRRGGBB, OW the outline width (0: none).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effect/ForceField.h"
#include "raster/Dadc.h"
#include "raster/FigureScratch.h"
#include "raster/Random.h"

namespace brisol {
namespace {

struct Record {
  bool circle = false;
  COLORREF fill = 0;
  COLORREF outline = 0;
  int width = 0;
  double cx = 0, cy = 0, r = 0;
  std::vector<POINT> points;
};

struct ShapeStream {
  int width = 0;
  int height = 0;
  std::vector<Record> records;
  std::string error;
};

COLORREF FromHexRgb(const std::string& text) {
  const unsigned long v = std::strtoul(text.c_str(), nullptr, 16);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

ShapeStream ReadStream() {
  ShapeStream s;
  const char* env = std::getenv("BRISOL_STREAM");
  const std::string path = env && *env ? env : "/tmp/bench/stream.txt";
  std::ifstream file(path);
  if (!file) {
    s.error = "no shape stream at " + path + " (set BRISOL_STREAM)";
    return s;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::string tag;
    if (!(in >> tag)) continue;
    if (tag == "canvas") {
      in >> s.width >> s.height;
      continue;
    }
    Record r;
    std::string fill, outline;
    in >> fill >> r.width >> outline;
    r.fill = FromHexRgb(fill);
    r.outline = FromHexRgb(outline);
    if (tag == "C") {
      r.circle = true;
      in >> r.cx >> r.cy >> r.r;
    } else {
      int n = 0;
      in >> n;
      for (int i = 0; i < n; ++i) {
        double x = 0, y = 0;
        in >> x >> y;
        r.points.push_back({static_cast<int>(x), static_cast<int>(y)});  // truncated
      }
    }
    if (!in) {
      s.error = "bad record: " + line;
      return s;
    }
    s.records.push_back(std::move(r));
  }
  if (s.width <= 0 || s.height <= 0) s.error = "no canvas line in " + path;
  return s;
}

const ShapeStream& TheStream() {
  static const ShapeStream stream = ReadStream();
  return stream;
}

void DrawRecords(DrawContext& dc, const std::vector<Record>& records, std::size_t count) {
  for (std::size_t i = 0; i < count && i < records.size(); ++i) {
    const Record& r = records[i];
    const Brush oldBrush = dc.SelectBrush(Brush::Solid(r.fill));
    const Pen oldPen = dc.SelectPen(r.width > 0 ? Pen::Solid(r.width, r.outline) : Pen::Null());
    if (r.circle) {
      dc.Ellipse(static_cast<int>(r.cx - r.r), static_cast<int>(r.cy - r.r), static_cast<int>(r.cx + r.r),
                 static_cast<int>(r.cy + r.r));
    } else {
      dc.Polygon(r.points);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
  }
}

// state.range(0): how many records of the stream to draw.
void BM_DrawStream(benchmark::State& state) {
  const ShapeStream& stream = TheStream();
  if (!stream.error.empty()) {
    state.SkipWithError(stream.error.c_str());
    return;
  }
  CDADC surface(SIZE{stream.width, stream.height});
  if (!surface.IsValid()) {
    state.SkipWithError("no memory for the surface");
    return;
  }
  // Touch every page before timing, as a picture in use would be.
  surface.GetDC().FillSolidRect(0, 0, stream.width, stream.height, RGB(255, 255, 255));
  const std::size_t count = static_cast<std::size_t>(state.range(0));
  const std::uint64_t before = TheFigureScratch().filler.Written();
  for (auto _ : state) {
    DrawRecords(surface.GetDC(), stream.records, count);
    benchmark::ClobberMemory();
  }
  const double pixels = static_cast<double>(TheFigureScratch().filler.Written() - before);
  state.counters["shapes"] = static_cast<double>(std::min(count, stream.records.size()));
  state.counters["Mpx_written"] = benchmark::Counter(pixels / 1e6 / state.iterations());
  state.counters["px_per_s"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawStream)
    ->Arg(3333)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false)
    ->UseRealTime();

// The force field of a 4000 x 3000 picture of noise over a gradient.
void BM_ForceField(benchmark::State& state) {
  CDADC picture(SIZE{4000, 3000});
  if (!picture.IsValid()) {
    state.SkipWithError("no memory for the picture");
    return;
  }
  CRandomSource random(7);
  const PixelBlock block = picture.GetBlock();
  for (int y = 0; y < block.height; ++y) {
    std::uint8_t* p = block.Row(y);
    for (int x = 0; x < block.width; ++x, p += 3) {
      const int noise = random.Draw() & 63;
      p[0] = static_cast<std::uint8_t>((x * 191 / block.width + noise) & 0xFF);
      p[1] = static_cast<std::uint8_t>((y * 191 / block.height + noise) & 0xFF);
      p[2] = static_cast<std::uint8_t>(((x + y) * 127 / (block.width + block.height) + noise) & 0xFF);
    }
  }
  for (auto _ : state) {
    CForceField field(picture);
    benchmark::DoNotOptimize(field.GetForce(1, 1));
  }
  state.counters["Mpx_per_s"] = benchmark::Counter(static_cast<double>(block.width) * block.height / 1e6,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ForceField)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brisol
