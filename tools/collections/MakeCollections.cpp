// Writes the bundled effect collections: one folder of DXF drawings per
// collection, each drawing about one unit across and centred on the origin.
//
//   brisol-make-collections OUTDIR
//
// The drawings are written with the shape library's own writer, so every
// file is one the program reads back. The output is the same on every run.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dxf/DxfArc.h"
#include "dxf/DxfCircle.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfLine.h"
#include "dxf/DxfPolyline.h"
#include "dxf/DxfText.h"
#include "dxf/DxfWriter.h"

namespace brisol {
namespace {

constexpr double kTau = 6.283185307179586;

// A small deterministic generator for the shapes' variety.
class Dice {
 public:
  explicit Dice(unsigned seed) : m_state(seed * 2654435761u + 1u) {}
  double Uniform(double a, double b) {
    m_state = m_state * 1664525u + 1013904223u;
    return a + (b - a) * ((m_state >> 8) / 16777216.0);
  }

 private:
  unsigned m_state;
};

struct Layer {
  std::string name;
  int colour;
};

// One drawing: its layers (besides "0") and its entities.
struct Drawing {
  std::vector<Layer> layers;
  std::vector<std::unique_ptr<CDxfEntity>> entities;
  std::vector<std::unique_ptr<CDxfLayer>> layerObjects;

  CDxfLayer* LayerNamed(const std::string& name) {
    for (auto& layer : layerObjects)
      if (layer->GetName() == name) return layer.get();
    return nullptr;
  }
  template <class T>
  T& Add(std::unique_ptr<T> entity, const std::string& layer = "") {
    T& ref = *entity;
    if (!layer.empty()) ref.SetLayer(LayerNamed(layer));
    entities.push_back(std::move(entity));
    return ref;
  }
};

using Points = std::vector<std::pair<double, double>>;

std::unique_ptr<CDxfPolyline> Poly(const Points& points, bool closed) {
  auto poly = std::make_unique<CDxfPolyline>();
  for (const auto& [x, y] : points) poly->AddVertex(CVec(x, y, 0));
  poly->SetClosed(closed);
  return poly;
}

Points Regular(int sides, double radius, double turn = 0.0, double cx = 0, double cy = 0) {
  Points p;
  for (int i = 0; i < sides; ++i) {
    const double a = turn + kTau * i / sides;
    p.emplace_back(cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
  return p;
}

Points Star(int points, double outer, double inner, double turn = kTau / 4) {
  Points p;
  for (int i = 0; i < 2 * points; ++i) {
    const double a = turn + kTau * i / (2 * points);
    const double r = i % 2 == 0 ? outer : inner;
    p.emplace_back(r * std::cos(a), r * std::sin(a));
  }
  return p;
}

Points Heart(double width, int steps = 48) {
  Points p;
  double maxR = 0;
  for (int i = 0; i < steps; ++i) {
    const double t = kTau * i / steps;
    const double x = 16 * std::pow(std::sin(t), 3) * width;
    const double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t) + 2;
    p.emplace_back(x, y);
    maxR = std::max(maxR, std::hypot(x, y));
  }
  for (auto& [x, y] : p) {
    x *= 0.5 / maxR;
    y *= 0.5 / maxR;
  }
  return p;
}

Points Leaf(double width, double bend, int steps = 40) {
  Points p;
  for (int i = 0; i < steps; ++i) {
    const double t = kTau * i / steps;
    const double x = 0.5 * std::cos(t);
    const double y = 0.5 * width * std::sin(t) * std::pow(std::fabs(std::sin(t)), 0.35) + bend * (0.25 - x * x);
    p.emplace_back(x, y);
  }
  return p;
}

Points Wave(double amplitude, double cycles, int steps, double phase = 0) {
  Points p;
  for (int i = 0; i <= steps; ++i) {
    const double x = -0.5 + static_cast<double>(i) / steps;
    p.emplace_back(x, amplitude * std::sin(kTau * cycles * (x + 0.5) + phase));
  }
  return p;
}

void Rotate(Points& p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (auto& [x, y] : p) {
    const double nx = x * c - y * s, ny = x * s + y * c;
    x = nx;
    y = ny;
  }
}

std::unique_ptr<CDxfCircle> Circle(double cx, double cy, double r) {
  return std::make_unique<CDxfCircle>(CVec(cx, cy, 0), r);
}

std::unique_ptr<CDxfArc> Arc(double cx, double cy, double r, double start, double end) {
  auto arc = std::make_unique<CDxfArc>();
  arc->SetCentre(CVec(cx, cy, 0));
  arc->SetRadius(r);
  arc->SetStartAngle(start);
  arc->SetEndAngle(end);
  return arc;
}

std::unique_ptr<CDxfLine> Line(double x0, double y0, double x1, double y1) {
  return std::make_unique<CDxfLine>(CVec(x0, y0, 0), CVec(x1, y1, 0));
}

// --- the collections ---------------------------------------------------------

using Maker = std::function<void(Drawing&, int index, Dice& dice)>;

struct Collection {
  const char* name;
  const char* file;  // drawing file name stem
  int count;
  Maker make;
};

void Circles(Drawing& d, int i, Dice& dice) {
  switch (i % 6) {
    case 0:
      d.Add(Circle(0, 0, 0.5));
      break;
    case 1:
      d.Add(Circle(0, 0, 0.5));
      d.Add(Circle(0, 0, 0.3));
      break;
    case 2:
      d.Add(Circle(-0.15, 0, 0.35));
      d.Add(Circle(0.2, 0.05, 0.3));
      break;
    case 3:
      for (int k = 0; k < 3; ++k) d.Add(Circle(0.22 * std::cos(kTau * k / 3), 0.22 * std::sin(kTau * k / 3), 0.25));
      break;
    case 4:
      d.Add(Circle(0, 0, 0.5));
      d.Add(Circle(0, 0, 0.33));
      d.Add(Circle(0, 0, 0.16));
      break;
    default:
      d.Add(Circle(dice.Uniform(-0.1, 0.1), dice.Uniform(-0.1, 0.1), dice.Uniform(0.3, 0.5)));
      break;
  }
}

void Squares(Drawing& d, int i, Dice& dice) {
  switch (i % 6) {
    case 0:
      d.Add(Poly(Regular(4, 0.5 * std::sqrt(2.0), kTau / 8), true));
      break;
    case 1:
      d.Add(Poly({{-0.5, -0.25}, {0.5, -0.25}, {0.5, 0.25}, {-0.5, 0.25}}, true));
      break;
    case 2:
      d.Add(Poly(Regular(4, 0.5, 0), true));
      break;
    case 3:
      d.Add(Poly(Regular(4, 0.68, kTau / 8), true));
      d.Add(Poly(Regular(4, 0.38, kTau / 8), true));
      break;
    case 4: {
      Points p = {{-0.5, -0.35}, {0.45, -0.5}, {0.5, 0.4}, {-0.4, 0.5}};
      d.Add(Poly(p, true));
      break;
    }
    default: {
      const double w = dice.Uniform(0.5, 1.0), h = dice.Uniform(0.3, 0.8);
      d.Add(Poly({{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}}, true));
      break;
    }
  }
}

void Triangles(Drawing& d, int i, Dice& dice) {
  switch (i % 5) {
    case 0:
      d.Add(Poly(Regular(3, 0.55, kTau / 4), true));
      break;
    case 1:
      d.Add(Poly({{-0.5, -0.5}, {0.5, -0.5}, {-0.5, 0.5}}, true));
      break;
    case 2:
      d.Add(Poly({{-0.2, -0.5}, {0.2, -0.5}, {0, 0.55}}, true));
      break;
    case 3:
      d.Add(Poly(Regular(3, 0.55, -kTau / 4), true));
      break;
    default: {
      Points p = {{dice.Uniform(-0.6, -0.3), dice.Uniform(-0.5, -0.2)},
                  {dice.Uniform(0.3, 0.6), dice.Uniform(-0.5, -0.1)},
                  {dice.Uniform(-0.2, 0.2), dice.Uniform(0.3, 0.6)}};
      d.Add(Poly(p, true));
      break;
    }
  }
}

void Polygons(Drawing& d, int i, Dice&) {
  const int sides[] = {6, 6, 5, 8, 7, 6, 10, 12};
  const int n = sides[i % 8];
  d.Add(Poly(Regular(n, 0.5, i % 2 ? 0 : kTau / (2 * n)), true));
  if (i % 8 == 5) d.Add(Poly(Regular(6, 0.25, 0), true));
}

void Stars(Drawing& d, int i, Dice& dice) {
  const int points[] = {5, 6, 8, 4, 12, 5, 7, 16};
  const double inner[] = {0.2, 0.28, 0.3, 0.15, 0.35, 0.38, 0.22, 0.4};
  d.Add(Poly(Star(points[i % 8], 0.5, inner[i % 8], kTau / 4 + dice.Uniform(0, 0.001)), true));
}

void Hearts(Drawing& d, int i, Dice&) {
  const double widths[] = {1.0, 0.8, 1.15, 0.9, 1.05};
  Points p = Heart(widths[i % 5]);
  if (i >= 5) Rotate(p, (i % 2 ? 1 : -1) * 0.35);
  d.Add(Poly(p, true));
}

void Leaves(Drawing& d, int i, Dice& dice) {
  if (i % 4 == 3) {  // a flower of petals
    for (int k = 0; k < 5; ++k) {
      Points petal = Leaf(0.45, 0, 24);
      for (auto& [x, y] : petal) {
        x = x * 0.5 + 0.25;
        y *= 0.5;
      }
      Rotate(petal, kTau * k / 5);
      d.Add(Poly(petal, true));
    }
    d.Add(Circle(0, 0, 0.08));
    return;
  }
  Points p = Leaf(dice.Uniform(0.35, 0.6), dice.Uniform(-0.25, 0.25));
  Rotate(p, dice.Uniform(-0.4, 0.4));
  d.Add(Poly(p, true));
  if (i % 2 == 0) d.Add(Line(-0.45, 0, 0.45, 0));  // the vein
}

void Strokes(Drawing& d, int i, Dice& dice) {
  switch (i % 5) {
    case 0:
      d.Add(Poly(Wave(0.12, 1.0, 24, dice.Uniform(0, kTau)), false));
      break;
    case 1:  // a bow with a short tail
      d.Add(Arc(0, -0.3, 0.55, 30, 150));
      d.Add(Poly({{0.48, -0.02}, {0.5, -0.2}}, false));
      break;
    case 2:
      d.Add(Poly(Wave(0.2, 1.5, 30, dice.Uniform(0, kTau)), false));
      break;
    case 3:
      d.Add(Arc(-0.25, 0, 0.25, 0, 180));
      d.Add(Arc(0.25, 0, 0.25, 180, 360));
      d.Add(Line(-0.5, 0, -0.5, -0.1));
      break;
    default: {
      Points p;
      double x = -0.5, y = dice.Uniform(-0.1, 0.1);
      for (int k = 0; k <= 8; ++k, x += 0.125) p.emplace_back(x, y += dice.Uniform(-0.08, 0.08));
      d.Add(Poly(p, false));
      break;
    }
  }
}

void Dots(Drawing& d, int i, Dice& dice) {
  if (i < 4) {
    d.Add(Circle(0, 0, 0.15 + 0.05 * i));
    return;
  }
  const int n = 2 + i % 4;
  for (int k = 0; k < n; ++k)
    d.Add(Circle(dice.Uniform(-0.35, 0.35), dice.Uniform(-0.35, 0.35), dice.Uniform(0.08, 0.16)));
}

void Scales(Drawing& d, int i, Dice&) {
  // A fish scale: the lower half of a disc, closed by its chord.
  const double depth[] = {1.0, 0.8, 1.2, 0.9, 1.1, 1.0};
  Points p;
  for (int k = 0; k <= 24; ++k) {
    const double a = kTau / 2 + kTau / 2 * k / 24;
    p.emplace_back(0.5 * std::cos(a), 0.5 * depth[i % 6] * std::sin(a) + 0.2);
  }
  d.Add(Poly(p, true));
  if (i % 3 == 1) d.Add(Arc(0, 0.2, 0.3, 200, 340));
}

void Mosaic(Drawing& d, int, Dice& dice) {
  const int sides = dice.Uniform(0, 1) < 0.6 ? 4 : 5;
  Points p;
  for (int k = 0; k < sides; ++k) {
    const double a = kTau * k / sides + dice.Uniform(-0.3, 0.3);
    const double r = dice.Uniform(0.42, 0.58);
    p.emplace_back(r * std::cos(a), r * std::sin(a));
  }
  d.Add(Poly(p, true));
}

void Confetti(Drawing& d, int i, Dice& dice) {
  const double s = dice.Uniform(0.25, 0.45);
  Points p;
  switch (i % 4) {
    case 0:
      p = {{-s, -s / 3}, {s, -s / 3}, {s, s / 3}, {-s, s / 3}};
      break;
    case 1:
      p = Regular(3, s, dice.Uniform(0, kTau));
      break;
    case 2:
      p = {{-s, -s / 5}, {s, -s / 2}, {s * 0.8, s / 4}, {-s * 0.9, s / 3}};
      break;
    default:
      d.Add(Circle(0, 0, s * 0.6));
      return;
  }
  Rotate(p, dice.Uniform(0, kTau));
  d.Add(Poly(p, true));
}

void Hatching(Drawing& d, int i, Dice&) {
  const int lines = 3 + i % 4;
  const bool cross = i % 3 == 2;
  for (int k = 0; k < lines; ++k) {
    const double t = -0.4 + 0.8 * k / (lines - 1);
    d.Add(Line(-0.5, t - 0.15, 0.5, t + 0.15));
    if (cross) d.Add(Line(t - 0.15, 0.5, t + 0.15, -0.5));
  }
}

void Mixed(Drawing& d, int i, Dice& dice) {
  d.layers = {{"Shapes", 1}, {"Lines", 5}, {"Letters", 3}};
  for (const Layer& layer : d.layers) {
    auto object = std::make_unique<CDxfLayer>();
    object->SetName(layer.name.c_str());
    object->SetColourIndex(layer.colour, 0);
    d.layerObjects.push_back(std::move(object));
  }
  static const char* kLetters[] = {"A", "B", "Z", "&", "@", "Q", "R", "K"};
  switch (i % 4) {
    case 0:
      d.Add(Poly(Regular(4, 0.45, kTau / 8), true), "Shapes");
      d.Add(Line(-0.5, -0.5, 0.5, 0.5), "Lines");
      break;
    case 1:
      d.Add(Circle(0, 0, 0.45), "Shapes");
      d.Add(Circle(0, 0, 0.2), "Lines");
      break;
    case 2:
      d.Add(Poly(Star(5, 0.5, 0.25), true), "Shapes");
      break;
    default:
      d.Add(Poly(Regular(3, 0.5, kTau / 4), true), "Shapes");
      break;
  }
  auto text = std::make_unique<CDxfText>();
  text->SetText(kLetters[i % 8]);
  text->SetHeight(dice.Uniform(0.35, 0.6));
  text->SetInsertionPoint(CVec(0, 0, 0));
  d.Add(std::move(text), "Letters");
}

const Collection kCollections[] = {
    {"Circles", "circle", 12, Circles}, {"Confetti", "confetti", 20, Confetti},   {"Dots", "dot", 10, Dots},
    {"Hatching", "hatch", 9, Hatching}, {"Hearts", "heart", 8, Hearts},           {"Leaves", "leaf", 12, Leaves},
    {"Mixed", "mixed", 8, Mixed},       {"Mosaic", "tile", 24, Mosaic},           {"Polygons", "polygon", 8, Polygons},
    {"Scales", "scale", 6, Scales},     {"Squares", "square", 12, Squares},       {"Stars", "star", 8, Stars},
    {"Strokes", "stroke", 10, Strokes}, {"Triangles", "triangle", 10, Triangles},
};

void WriteLayerTable(std::FILE* file, const std::vector<Layer>& layers) {
  WriteTextGroup(file, 0, "SECTION");
  WriteTextGroup(file, 2, "TABLES");
  WriteTextGroup(file, 0, "TABLE");
  WriteTextGroup(file, 2, "LAYER");
  WriteIntGroup(file, 70, static_cast<int>(layers.size()) + 1);
  auto layer = [file](const char* name, int colour) {
    WriteTextGroup(file, 0, "LAYER");
    WriteTextGroup(file, 2, name);
    WriteIntGroup(file, 70, 0);
    WriteIntGroup(file, 62, colour);
    WriteTextGroup(file, 6, "CONTINUOUS");
  };
  layer("0", 7);
  for (const Layer& l : layers) layer(l.name.c_str(), l.colour);
  WriteTextGroup(file, 0, "ENDTAB");
  WriteTextGroup(file, 0, "ENDSEC");
}

bool WriteDrawing(const std::string& path, const Drawing& drawing) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const DxfFileTransform identity;
  if (!drawing.layers.empty()) WriteLayerTable(file, drawing.layers);
  WriteTextGroup(file, 0, "SECTION");
  WriteTextGroup(file, 2, "ENTITIES");
  for (const auto& entity : drawing.entities) entity->WriteDxf(file, identity);
  WriteTextGroup(file, 0, "ENDSEC");
  WriteTextGroup(file, 0, "EOF");
  return std::fclose(file) == 0;
}

}  // namespace
}  // namespace brisol

int main(int argc, char** argv) {
  using namespace brisol;
  if (argc != 2) {
    std::fprintf(stderr, "Usage: brisol-make-collections OUTDIR\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  int written = 0;
  unsigned seed = 1;
  for (const Collection& collection : kCollections) {
    const std::filesystem::path dir = root / collection.name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Dice dice(seed++);
    for (int i = 0; i < collection.count; ++i) {
      Drawing drawing;
      collection.make(drawing, i, dice);
      char name[64];
      std::snprintf(name, sizeof name, "%s_%02d.dxf", collection.file, i + 1);
      if (!WriteDrawing((dir / name).string(), drawing)) {
        std::fprintf(stderr, "brisol-make-collections: cannot write %s\n", (dir / name).c_str());
        return 1;
      }
      ++written;
    }
  }
  std::printf("%d drawings in %zu collections under %s\n", written, std::size(kCollections), root.c_str());
  return 0;
}
