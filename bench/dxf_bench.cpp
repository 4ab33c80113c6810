// The shape library's two hot paths: reading a drawing, and drawing a shape
// many times as the effect's placement loop does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "dxf/DxfFile.h"
#include "dxf/Matrix.h"
#include "raster/Dadc.h"
#include "raster/Random.h"

namespace brisol {
namespace {

std::string Group(int code, const std::string& value) { return std::to_string(code) + "\n" + value + "\n"; }
std::string Num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", v);
  return buffer;
}

// A drawing of about targetBytes bytes in the R12 layout: a layer table, a
// block, and entities of every kind the reader keeps, repeated.
std::string MakeDrawing(std::size_t targetBytes) {
  std::string text = Group(0, "SECTION") + Group(2, "HEADER") + Group(9, "$ACADVER") + Group(1, "AC1009") +
                     Group(0, "ENDSEC") + Group(0, "SECTION") + Group(2, "TABLES") + Group(0, "TABLE") +
                     Group(2, "LAYER") + Group(70, "2") + Group(0, "LAYER") + Group(2, "Outline") + Group(62, "1") +
                     Group(0, "LAYER") + Group(2, "Fill") + Group(62, "3") + Group(0, "ENDTAB") + Group(0, "ENDSEC") +
                     Group(0, "SECTION") + Group(2, "BLOCKS") + Group(0, "BLOCK") + Group(2, "DOT") +
                     Group(0, "CIRCLE") + Group(40, "0.1") + Group(0, "ENDBLK") + Group(0, "ENDSEC") +
                     Group(0, "SECTION") + Group(2, "ENTITIES");
  const std::string tail = Group(0, "ENDSEC") + Group(0, "EOF");
  for (int i = 0; text.size() + tail.size() < targetBytes; ++i) {
    const double x = (i % 37) * 0.1, y = (i % 23) * 0.1;
    switch (i % 6) {
      case 0:
        text += Group(0, "LINE") + Group(8, "Outline") + Group(10, Num(x)) + Group(20, Num(y)) + Group(30, "0.0") +
                Group(11, Num(x + 0.5)) + Group(21, Num(y + 0.25)) + Group(31, "0.0");
        break;
      case 1:
        text += Group(0, "LWPOLYLINE") + Group(8, "Fill") + Group(90, "4") + Group(70, "1") + Group(10, Num(x)) +
                Group(20, Num(y)) + Group(10, Num(x + 0.3)) + Group(20, Num(y)) + Group(10, Num(x + 0.3)) +
                Group(20, Num(y + 0.2)) + Group(10, Num(x)) + Group(20, Num(y + 0.2));
        break;
      case 2:
        text += Group(0, "CIRCLE") + Group(8, "Fill") + Group(10, Num(x)) + Group(20, Num(y)) + Group(30, "0.0") +
                Group(40, "0.125");
        break;
      case 3:
        text += Group(0, "ARC") + Group(8, "Outline") + Group(10, Num(x)) + Group(20, Num(y)) + Group(30, "0.0") +
                Group(40, "0.2") + Group(50, "10.0") + Group(51, "200.0");
        break;
      case 4:
        text += Group(0, "POLYLINE") + Group(8, "Outline") + Group(66, "1") + Group(70, "1");
        for (int k = 0; k < 5; ++k) {
          text += Group(0, "VERTEX") + Group(8, "Outline") + Group(10, Num(x + std::cos(k * 1.2566) * 0.2)) +
                  Group(20, Num(y + std::sin(k * 1.2566) * 0.2)) + Group(30, "0.0");
        }
        text += Group(0, "SEQEND");
        break;
      default:
        text += Group(0, "INSERT") + Group(8, "0") + Group(2, "DOT") + Group(10, Num(x)) + Group(20, Num(y)) +
                Group(41, "1.0") + Group(42, "1.0") + Group(50, "0.0");
        break;
    }
  }
  return text + tail;
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const std::string path = "/tmp/brisol_dxf_bench_" + std::to_string(getpid()) + "_" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "";
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

void BM_ReadDrawing100k(benchmark::State& state) {
  const std::string bytes = MakeDrawing(100000);
  const std::string path = WriteTemp("read.dxf", bytes);
  if (path.empty()) {
    state.SkipWithError("cannot write the drawing");
    return;
  }
  int entities = 0;
  for (auto _ : state) {
    CDxfFile drawing;
    if (!drawing.ReadFile(path.c_str(), nullptr)) {
      state.SkipWithError("the drawing did not read");
      break;
    }
    entities = drawing.GetCount();
    benchmark::DoNotOptimize(entities);
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["entities"] = entities;
}
BENCHMARK(BM_ReadDrawing100k)->Unit(benchmark::kMillisecond);

// A 40-entity shape about one drawing unit across: 20 closed polylines,
// 10 circles, 6 lines and 4 arcs.
std::string MakeShape() {
  std::string text = Group(0, "SECTION") + Group(2, "ENTITIES");
  for (int i = 0; i < 20; ++i) {
    const double a = i * 0.314159, r = 0.3 + 0.02 * (i % 5);
    const double cx = std::cos(a) * r, cy = std::sin(a) * r;
    text += Group(0, "LWPOLYLINE") + Group(70, "1");
    for (int k = 0; k < 4 + i % 3; ++k) {
      const double b = a + k * 6.283185 / (4 + i % 3);
      text += Group(10, Num(cx + std::cos(b) * 0.08)) + Group(20, Num(cy + std::sin(b) * 0.08));
    }
  }
  for (int i = 0; i < 10; ++i) {
    text += Group(0, "CIRCLE") + Group(10, Num((i - 5) * 0.06)) + Group(20, Num((i % 3) * 0.05)) +
            Group(40, Num(0.03 + 0.005 * i));
  }
  for (int i = 0; i < 6; ++i) {
    text += Group(0, "LINE") + Group(10, Num(-0.5 + i * 0.2)) + Group(20, "-0.5") + Group(11, Num(0.5 - i * 0.2)) +
            Group(21, "0.5");
  }
  for (int i = 0; i < 4; ++i) {
    text +=
        Group(0, "ARC") + Group(40, Num(0.1 + i * 0.05)) + Group(50, Num(i * 90.0)) + Group(51, Num(i * 90.0 + 135.0));
  }
  return text + Group(0, "ENDSEC") + Group(0, "EOF");
}

void BM_DrawShape10000Times(benchmark::State& state) {
  const std::string path = WriteTemp("shape.dxf", MakeShape());
  CDxfFile shape;
  if (path.empty() || !shape.ReadFile(path.c_str(), nullptr) || shape.GetCount() != 40) {
    state.SkipWithError("the shape did not read");
    return;
  }
  std::remove(path.c_str());
  CDADC surface(SIZE{8000, 6000});
  if (!surface.IsValid()) {
    state.SkipWithError("no 8000 x 6000 surface");
    return;
  }
  DrawContext& dc = surface.GetDC();
  CRandomSource random(12345);
  for (auto _ : state) {
    for (int n = 0; n < 10000; ++n) {
      CMatrix matrix;
      const double angle = random.RandomDouble(0.0, 6.283185307179586);
      matrix.MakeTransform(CVec(300.0, -300.0, 0.0), angle,
                           CVec(random.RandomDouble(0.0, 8000.0), random.RandomDouble(0.0, 6000.0), 0.0));
      const Brush oldBrush = dc.SelectBrush(Brush::Solid(random.RandomColor()));
      const Pen oldPen = dc.SelectPen(Pen::Solid(1 + n % 3, random.RandomColor()));
      shape.DrawEntitiesIntoDC(dc, matrix);
      dc.SelectPen(oldPen);
      dc.SelectBrush(oldBrush);
    }
    benchmark::ClobberMemory();
  }
  state.counters["shapes/s"] =
      benchmark::Counter(10000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawShape10000Times)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace brisol
