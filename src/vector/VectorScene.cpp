#include "vector/VectorScene.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "dxf/DeviceCoords.h"
#include "dxf/DxfEntity.h"
#include "dxf/DxfFile.h"
#include "dxf/FigureSink.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "logger/Logger.h"
#include "logger/Trace.h"
#include "raster/Dadc.h"
#include "raster/DrawContext.h"
#include "raster/FontEngine.h"

namespace brisol {
namespace {

// The entities whose figures turn and scale with the object's transform, so
// that a drawing of them only can be written once and placed by reference.
// Arcs (whose radius follows only the transform's first entry), points (a
// cross of fixed pixels) and texts (upright, in a whole-pixel font) are
// worked out for each placement.
bool FollowsTransform(int type) {
  switch (type) {
    case kDxfLine:
    case kDxfPolyline:
    case kDxfCircle:
    case kDxfEllipse:
    case kDxfInsert:
    case kDxfPolyfaceMesh:
    case kDxfPolygonMesh:
      return true;  // the last four draw nothing
    default:
      return false;
  }
}

// Glyph outlines into a path.
struct PathOutline final : OutlineSink {
  PathData& path;
  explicit PathOutline(PathData& p) : path(p) {}
  void MoveTo(double x, double y) override {
    path.ops.push_back(PathData::Move);
    path.xy.insert(path.xy.end(), {x, y});
  }
  void LineTo(double x, double y) override {
    path.ops.push_back(PathData::Line);
    path.xy.insert(path.xy.end(), {x, y});
  }
  void CubicTo(double x1, double y1, double x2, double y2, double x, double y) override {
    path.ops.push_back(PathData::Cubic);
    path.xy.insert(path.xy.end(), {x1, y1, x2, y2, x, y});
  }
  void ClosePath() override { path.ops.push_back(PathData::Close); }
};

// The entities' figures as they come, at full precision. A text whose font
// has no outlines cannot be written: the recorder says so.
class FigureRecorder final : public FigureSink {
 public:
  // opaque: texts fill their cells first, as the working picture draws them;
  // shift: how the figures that are not texts move.
  FigureRecorder(std::vector<Figure>& out, bool opaque, const FigureShift& shift)
      : m_out(out), m_opaque(opaque), m_shift(shift) {}
  bool Expressible() const { return m_expressible; }

  void Polyline(std::span<const CVec> points) override { Poly(points, Figure::Open); }
  void Polygon(std::span<const CVec> points) override { Poly(points, Figure::Closed); }
  void Circle(const CVec& c, double r) override {
    Figure f;
    f.kind = Figure::Circle;
    f.cx = c.x + m_shift.circles;
    f.cy = c.y + m_shift.circles;
    f.r = std::max(0.0, r - m_shift.circleInset);
    m_out.push_back(std::move(f));
  }
  void Text(std::string_view text, const LogFont& description, const CVec& p) override {
    const Font font = Font::Create(description);
    if (!font.IsValid()) return;  // the raster drawing draws nothing either
    const SIZE extent = FontTextExtent(*font.face(), text);
    const int w = extent.cx;
    // A text sits on whole pixels of the working picture, in a font of
    // whole pixels, as the raster drawing puts it.
    const double x = ToDevice(p.x - (w / 2)), y = ToDevice(p.y - description.height);
    if (m_opaque) {
      const CVec cell[4] = {CVec(x, y, 0), CVec(x + w, y, 0), CVec(x + w, y + extent.cy, 0), CVec(x, y + extent.cy, 0)};
      Poly(cell, Figure::Cell);
    }
    Figure f;
    f.kind = Figure::Text;
    PathOutline outline(f.path);
    if (!FontTextOutline(*font.face(), x, y, text, outline)) {
      m_expressible = false;
      // The cell, so that the object's box takes it in.
      const CVec cell[2] = {CVec(x, y, 0), CVec(x + w, p.y, 0)};
      Poly(cell, Figure::Open);
      return;
    }
    if (!f.path.Empty()) m_out.push_back(std::move(f));
  }

 private:
  void Poly(std::span<const CVec> points, Figure::Kind kind) {
    if (points.empty()) return;
    for (const CVec& p : points)
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;  // the raster drawing draws nothing
    Figure f;
    f.kind = kind;
    const double shift = kind == Figure::Cell ? 0.0 : m_shift.paths;
    for (std::size_t i = 0; i < points.size(); ++i) {
      f.path.ops.push_back(i == 0 ? PathData::Move : PathData::Line);
      f.path.xy.insert(f.path.xy.end(), {points[i].x + shift, points[i].y + shift});
    }
    if (kind == Figure::Closed || kind == Figure::Cell) f.path.ops.push_back(PathData::Close);
    m_out.push_back(std::move(f));
  }

  std::vector<Figure>& m_out;
  bool m_opaque;
  FigureShift m_shift;
  bool m_expressible = true;
};

// The figures of a shape through a matrix, in entity order; false when one
// cannot be written. A missing entity ends the shape, as in the raster drawing.
bool RecordShape(const CDxfFile& shape, const CMatrix& matrix, bool opaqueText, const FigureShift& shift,
                 std::vector<Figure>& figures) {
  FigureRecorder recorder(figures, opaqueText, shift);
  for (int i = 0; i < shape.GetCount(); ++i) {
    const CDxfEntity* entity = shape.GetEntity(i);
    if (entity == nullptr) break;
    entity->DrawFigures(recorder, matrix);
  }
  return recorder.Expressible();
}

bool AllFollowTransform(const CDxfFile& shape) {
  for (int i = 0; i < shape.GetCount(); ++i) {
    const CDxfEntity* entity = shape.GetEntity(i);
    if (entity == nullptr) break;
    if (!FollowsTransform(entity->GetType())) return false;
  }
  return true;
}

// The box of the figures in whole working pixels, widened by the pen; texts
// count with their whole cells.
RECT FigureBounds(const std::vector<Figure>& figures, int penWidth) {
  const FigureBox box = BoxOf(figures).value_or(FigureBox{});
  const double pad = penWidth + 2.0;
  auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
  return RECT{clampInt(std::floor(box.x0 - pad)), clampInt(std::floor(box.y0 - pad)), clampInt(std::ceil(box.x1 + pad)),
              clampInt(std::ceil(box.y1 + pad))};
}

// The object drawn by the raster drawing on black and on white: where both
// agree the object covers the pixel.
std::shared_ptr<RasterPatch> DrawAsPixels(const CEffect& effect, const PlacedObject& object, RECT box,
                                          const SIZE& work) {
  box.left = std::max(box.left, 0);
  box.top = std::max(box.top, 0);
  box.right = std::min(box.right, work.cx);
  box.bottom = std::min(box.bottom, work.cy);
  auto patch = std::make_shared<RasterPatch>();
  if (box.right <= box.left || box.bottom <= box.top) return patch;
  const SIZE size{box.right - box.left, box.bottom - box.top};
  CDADC onBlack(size, RGB(0, 0, 0)), onWhite(size, RGB(255, 255, 255));
  if (!onBlack.IsValid() || !onWhite.IsValid()) return patch;
  PlacedObject moved = object;
  moved.transform.setval(0, 3, object.transform.at(0, 3) - box.left);
  moved.transform.setval(1, 3, object.transform.at(1, 3) - box.top);
  const PlacedObject one[1] = {moved};
  DrawPlacedObjects(effect, one, onBlack.GetDC());
  DrawPlacedObjects(effect, one, onWhite.GetDC());
  patch->left = box.left;
  patch->top = box.top;
  patch->width = size.cx;
  patch->height = size.cy;
  patch->argb.assign(static_cast<std::size_t>(size.cx) * size.cy, 0);
  const PixelBlock a = onBlack.GetBlock(), b = onWhite.GetBlock();
  for (int y = 0; y < size.cy; ++y) {
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint32_t* out = patch->argb.data() + static_cast<std::size_t>(y) * size.cx;
    for (int x = 0; x < size.cx; ++x, pa += 3, pb += 3) {
      if (pa[0] != pb[0] || pa[1] != pb[1] || pa[2] != pb[2]) continue;
      out[x] = 0xFF000000u | (std::uint32_t{pa[2]} << 16) | (std::uint32_t{pa[1]} << 8) | pa[0];
    }
  }
  return patch;
}

}  // namespace

std::optional<FigureBox> BoxOf(const std::vector<Figure>& figures) {
  std::optional<FigureBox> box;
  auto take = [&box](double x, double y) {
    if (!box) box = FigureBox{x, y, x, y};
    box->x0 = std::min(box->x0, x);
    box->y0 = std::min(box->y0, y);
    box->x1 = std::max(box->x1, x);
    box->y1 = std::max(box->y1, y);
  };
  for (const Figure& f : figures) {
    if (f.kind == Figure::Circle) {
      take(f.cx - f.r, f.cy - f.r);
      take(f.cx + f.r, f.cy + f.r);
    }
    for (std::size_t i = 0; i + 1 < f.path.xy.size(); i += 2) take(f.path.xy[i], f.path.xy[i + 1]);
  }
  return box;
}

bool PlacedByReference(const VectorScene& scene, const PlacedObject& o) {
  if (o.shape < 0 || static_cast<std::size_t>(o.shape) >= scene.reused.size()) return false;
  const auto s = static_cast<std::size_t>(o.shape);
  return scene.reused[s] && !(o.penWidth == 1 && scene.circles[s]);
}

bool ForEachObject(const VectorScene& scene, DrawObserver* observer, const std::stop_token& stop,
                   const std::function<void(const ObjectDrawing&)>& draw) {
  const std::size_t total = scene.objects.size();
  for (std::size_t k = 0; k < total; ++k) {
    if ((k & 255) == 0) {
      if (stop.stop_requested()) return false;
      if (observer && k > 0) observer->Progress(k, total);
    }
    const PlacedObject& o = scene.objects[k];
    const ObjectFigures& extra = scene.extras[k];
    ObjectDrawing drawing{o};
    if (extra.patch) {
      drawing.patch = extra.patch.get();
    } else if (PlacedByReference(scene, o)) {
      const CMatrix& m = o.transform;
      drawing.symbol = &scene.symbols[static_cast<std::size_t>(o.shape)];
      const double placement[6] = {m.at(0, 0),
                                   m.at(1, 0),
                                   m.at(0, 1),
                                   m.at(1, 1),
                                   m.at(0, 3) + ShiftFor(o).paths,
                                   m.at(1, 3) + ShiftFor(o).paths};
      std::copy(placement, placement + 6, drawing.placement);
      // The placement scales the drawing's units, the pen's width with them.
      drawing.penWidth = o.penWidth / std::hypot(m.at(0, 0), m.at(1, 0));
    } else {
      drawing.figures = &extra.figures;
      drawing.penWidth = o.penWidth;
    }
    draw(drawing);
  }
  if (observer) observer->Progress(total, total);
  return true;
}

MixMask MixMaskFor(const CImageMix& mix, const SIZE& picture) {
  MixMask mask;
  const double w = picture.cx, h = picture.cy;
  switch (mix.m_eGeom) {
    case eMixOff:
      return mask;
    case eMixEven:
      mask.kind = MixMask::Even;
      mask.alpha = MixWeight(mix, 0, 0, picture.cx, picture.cy, 1.0);
      return mask;
    case eMixLeftRight:
    case eMixRightLeft:
    case eMixTopBottom:
    case eMixBottomTop:
    case eMixCircInOut:
    case eMixCircVignette:
    case eMixEllipInOut:
    case eMixEllipVignette:
      break;
    default:
      mask.kind = MixMask::Grey;
      return mask;
  }
  // A pixel (j, i) takes the weight at its top-left corner; renderers sample
  // a pixel at its centre, so the gradients sit half a pixel right and down.
  const int g = mix.m_eGeom;
  const bool rising = g == eMixRightLeft || g == eMixBottomTop || g == eMixCircVignette || g == eMixEllipVignette;
  double span = 1.0;  // the raw weight's change from offset 0 to offset 1
  if (g <= eMixBottomTop) {
    mask.kind = MixMask::Linear;
    const bool across = g == eMixLeftRight || g == eMixRightLeft;
    mask.x0 = 0.5;
    mask.y0 = 0.5;
    mask.x1 = across ? w + 0.5 : 0.5;
    mask.y1 = across ? 0.5 : h + 0.5;
  } else {
    mask.kind = MixMask::Radial;
    mask.x0 = 0.5 * w + 0.5;
    mask.y0 = 0.5 * h + 0.5;
    if (g == eMixCircInOut || g == eMixCircVignette) {
      // Offset 1 at the half diagonal, where the raw weight has changed by 1.
      mask.rx = mask.ry = std::sqrt(w * w + h * h) * 0.5;
    } else {
      // u = |((x - cx) / (w / 2), (y - cy) / (h / 2))| / 2: offset 1 where u is 1.
      mask.rx = w;
      mask.ry = h;
    }
  }
  // The raw weight at an offset t, and the offsets where the shaped weight bends.
  auto raw = [&](double t) { return rising ? t * span : 1.0 - t * span; };
  std::vector<double> offsets = {0.0, 1.0};
  for (double b : MixShapeBends(mix)) offsets.push_back(rising ? b : 1.0 - b);
  std::sort(offsets.begin(), offsets.end());
  constexpr double kSide = 1e-9;
  for (double t : offsets) {
    const double before = MixShape(mix, raw(std::max(0.0, t - kSide)));
    const double after = MixShape(mix, raw(std::min(1.0, t + kSide)));
    const double at = MixShape(mix, raw(t));
    if (t > 0.0 && std::fabs(before - at) > 1e-6) mask.stops.push_back({t, before});
    mask.stops.push_back({t, at});
    if (t < 1.0 && std::fabs(after - at) > 1e-6) mask.stops.push_back({t, after});
  }
  return mask;
}

std::vector<std::uint8_t> GreyMask(const CImageMix& mix, const SIZE& picture, int width, int height) {
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
  const double radius = std::sqrt(double(picture.cx) * picture.cx + double(picture.cy) * picture.cy) * 0.5;
  if (width == picture.cx && height == picture.cy) {
    const MixRowWeights rows(mix, width, height);
    std::vector<double> weights(static_cast<std::size_t>(width));
    for (int i = 0; i < height; ++i) {
      rows.Row(i, weights.data());
      for (int j = 0; j < width; ++j)
        grey[static_cast<std::size_t>(i) * width + j] = static_cast<std::uint8_t>(std::lround(weights[j] * 255.0));
    }
    return grey;
  }
  // Another resolution: each cell takes the weight of the picture pixel under its centre.
  for (int i = 0; i < height; ++i) {
    const int pi = std::min(picture.cy - 1, static_cast<int>((i + 0.5) * picture.cy / height));
    for (int j = 0; j < width; ++j) {
      const int pj = std::min(picture.cx - 1, static_cast<int>((j + 0.5) * picture.cx / width));
      grey[static_cast<std::size_t>(i) * width + j] =
          static_cast<std::uint8_t>(std::lround(MixWeight(mix, pj, pi, picture.cx, picture.cy, radius) * 255.0));
    }
  }
  return grey;
}

std::unique_ptr<VectorScene> BareVectorScene(const CEffect& effect, const CDADC& photo, int level) {
  auto scene = std::make_unique<VectorScene>();
  scene->picture = photo.GetSize();
  scene->level = level;
  scene->photoBackground = effect.GetBkgType() == eBkgOriginal;
  scene->background = effect.GetBkgColor();
  scene->photo = &photo;
  // What the working picture draws texts with: its context's text colour and background.
  const CDADC sample(SIZE{1, 1});
  scene->textColour = sample.GetDC().GetTextColor();
  scene->textBackground = sample.GetDC().GetBkColor();
  scene->mix = MixMaskFor(effect.GetMix(), scene->picture);
  scene->mixSettings = effect.GetMix();
  return scene;
}

bool MixCoversPicture(const MixMask& mix) { return mix.kind == MixMask::Even && mix.alpha > 0; }

std::unique_ptr<VectorScene> BuildVectorScene(const CEffect& effect, const CDADC& photo, int level,
                                              DrawObserver* observer, const std::stop_token& stop) {
  std::unique_ptr<VectorScene> scene = BareVectorScene(effect, photo, level);
  const CDADC sample(SIZE{1, 1});
  const bool opaqueText = sample.GetDC().GetBkMode() == OPAQUE;

  const auto start = std::chrono::steady_clock::now();
  EffectObjects placed = PlaceEffectObjects(effect, photo, level);
  if (observer) {
    observer->Phase("placement",
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  const SIZE work = placed.geometry.size;

  // Each drawing whose figures follow the transform, once, in drawing units.
  const unsigned shapes = effect.GetNumShapes();
  scene->symbols.resize(shapes);
  scene->reused.assign(shapes, false);
  scene->circles.assign(shapes, false);
  CMatrix identity;
  identity.MakeTransform(CVec(1, 1, 1), 0.0, CVec(0, 0, 0));
  for (unsigned s = 0; s < shapes; ++s) {
    const CDxfFile* shape = effect.GetShape(s);
    if (shape == nullptr || !AllFollowTransform(*shape)) continue;
    scene->reused[s] = RecordShape(*shape, identity, opaqueText, FigureShift{}, scene->symbols[s]);
    for (const Figure& f : scene->symbols[s]) scene->circles[s] = scene->circles[s] || f.kind == Figure::Circle;
  }

  scene->objects = std::move(placed.objects);
  scene->extras.resize(scene->objects.size());
  const std::size_t total = scene->objects.size();
  for (std::size_t k = 0; k < total; ++k) {
    if ((k & 255) == 0) {
      if (stop.stop_requested()) {
        scene->objects.resize(k);
        scene->extras.resize(k);
        return scene;
      }
      if (observer && k > 0) observer->Progress(k, total);
    }
    const PlacedObject& object = scene->objects[k];
    const auto index = static_cast<unsigned>(object.shape);
    if (PlacedByReference(*scene, object)) continue;
    const CDxfFile* shape = effect.GetShape(index);
    if (shape == nullptr) continue;
    ObjectFigures& extra = scene->extras[k];
    if (RecordShape(*shape, object.transform, opaqueText, ShiftFor(object), extra.figures)) continue;
    // A figure the files cannot hold: the object is drawn as the raster
    // drawing draws it, as pixels.
    TraceMsg("vector: object %zu (shape %d) has a text without outlines; drawn as pixels\n", k, object.shape);
    extra.patch = DrawAsPixels(effect, object, FigureBounds(extra.figures, object.penWidth), work);
    extra.figures.clear();
    ++scene->rasterFallbacks;
  }
  if (observer) observer->Progress(total, total);
  return scene;
}

}  // namespace brisol
