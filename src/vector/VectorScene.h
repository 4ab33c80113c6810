// What a vector file of a Brisol picture holds, in drawing order, made from
// the same placement and the same entity geometry as the raster picture:
// the background (a colour or the photo), the objects (each drawing of the
// collection once, placed by its object's transform with the object's
// colours), and the mix (the photo over everything through a mask of the
// mix's weights). Coordinates are kept as the drawing computes them, in
// working pixels (the picture's pixels times the quality level).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "effect/ImageMix.h"
#include "effect/Placement.h"
#include "raster/Types.h"

namespace brisol {

class CDADC;
class CEffect;
struct DrawObserver;

// A path of moves, lines and cubic curves.
struct PathData {
  enum Op : std::uint8_t { Move, Line, Cubic, Close };
  std::vector<Op> ops;
  std::vector<double> xy;  // two numbers a move or line, six a cubic
  bool Empty() const { return ops.empty(); }
};

// One figure of an entity, drawn as the raster drawing draws it.
struct Figure {
  enum Kind : std::uint8_t {
    Open,    // the pen only
    Closed,  // filled with the brush (even-odd), then outlined with the pen
    Circle,  // filled with the brush, then outlined with the pen
    Text,    // glyph outlines filled (non-zero) in the text colour
    Cell,    // a text's cell filled with the text background colour (opaque texts)
  };
  Kind kind = Open;
  PathData path;                 // Open, Closed, Text
  double cx = 0, cy = 0, r = 0;  // Circle
};

// An object the writers cannot express, drawn by the raster drawing: its
// pixels in working pixels with the top-left corner at (left, top), as
// premultiplied 32-bit ARGB (alpha 0 or 255).
struct RasterPatch {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> argb;
};

// How an object is drawn beyond its drawing's reusable figures.
struct ObjectFigures {
  std::vector<Figure> figures;         // in working pixels, for drawings that are not reused
  std::shared_ptr<RasterPatch> patch;  // instead of the figures
};

// The mix of the photo over the picture: a constant, a gradient, or a grey
// mask of the original's weight per pixel.
struct MixMask {
  enum Kind { None, Even, Linear, Radial, Grey };
  Kind kind = None;
  double alpha = 0;  // Even
  // Linear: the weight along the segment (x0, y0)-(x1, y1) in picture pixels;
  // Radial: along the radius of an ellipse of half-axes (rx, ry) about (x0, y0).
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, rx = 0, ry = 0;
  std::vector<std::pair<double, double>> stops;  // (offset 0..1, weight 0..1)
};

struct VectorScene {
  SIZE picture{0, 0};  // the output picture's pixels
  int level = 1;       // working pixels per picture pixel
  bool photoBackground = false;
  COLORREF background = 0;
  const CDADC* photo = nullptr;  // not owned; lives as long as the scene
  // The drawings' figures in drawing units, one list per shape; empty for a
  // drawing with figures that depend on where it is placed (arcs, points,
  // texts), which its objects carry themselves.
  std::vector<std::vector<Figure>> symbols;
  std::vector<bool> reused;   // per shape: placed by reference
  std::vector<bool> circles;  // per shape: has circles
  std::vector<PlacedObject> objects;
  std::vector<ObjectFigures> extras;  // per object; empty for reused drawings
  COLORREF textColour = 0;
  COLORREF textBackground = 0;  // the cells' colour (Cell figures)
  MixMask mix;
  CImageMix mixSettings;            // what the mask is made from
  std::size_t rasterFallbacks = 0;  // objects drawn as pixels
};

// The box of figures (circles whole), or nothing when they have no points.
struct FigureBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
std::optional<FigureBox> BoxOf(const std::vector<Figure>& figures);

// How the files move an object's figures (all but its texts) from the
// numbers of its transform, in working pixels. The raster drawing makes
// each point v the whole pixel trunc(v) and fills from that pixel's edge,
// so a filled figure, a circle and a wide pen's stroke sit on average half
// a pixel up and left of their numbers. A one-pixel pen is drawn on the
// pixels of its whole-pixel path, centred on the numbers, and covers a
// fill's edge both ways; but around a circle it takes the circle's own
// boundary pixels, inside it, so the files draw that circle half a pixel
// smaller. Texts are put on whole pixels already.
struct FigureShift {
  double paths = 0;        // added to both coordinates of lines and polygons
  double circles = 0;      // added to both coordinates of a circle's centre
  double circleInset = 0;  // taken off a circle's radius
};
inline FigureShift ShiftFor(const PlacedObject& o) {
  return o.penWidth == 1 ? FigureShift{0.0, -0.5, 0.5} : FigureShift{-0.5, -0.5, 0.0};
}

// Whether the object places its drawing's figures by reference, in the
// drawing's own units, which one shift of the whole object cannot give a
// circle under a one-pixel pen.
bool PlacedByReference(const VectorScene& scene, const PlacedObject& o);

// One object as a writer draws it: as pixels, as its drawing placed by
// reference, or by figures of its own.
struct ObjectDrawing {
  const PlacedObject& object;
  const RasterPatch* patch = nullptr;            // drawn as these pixels when set
  const std::vector<Figure>* symbol = nullptr;   // the drawing's figures in its own units, when placed by reference
  const std::vector<Figure>* figures = nullptr;  // its own figures in working pixels otherwise
  double placement[6] = {1, 0, 0, 1, 0, 0};      // a b c d e f: the drawing's units to working pixels
  double penWidth = 0;                           // the outline's width in the units of the figures
};

// Hands the objects to draw, in drawing order, telling the observer the
// progress; false when a stop request ended it.
bool ForEachObject(const VectorScene& scene, DrawObserver* observer, const std::stop_token& stop,
                   const std::function<void(const ObjectDrawing&)>& draw);

// The scene without its objects: the picture, background and mix.
std::unique_ptr<VectorScene> BareVectorScene(const CEffect& effect, const CDADC& photo, int level);

// Whether the mix shows some of the photo in every pixel of the picture.
bool MixCoversPicture(const MixMask& mix);

// The scene of the effect drawn from the photo at the quality level. Stops
// early (with fewer objects) when asked to; progress goes to the observer.
std::unique_ptr<VectorScene> BuildVectorScene(const CEffect& effect, const CDADC& photo, int level,
                                              DrawObserver* observer, const std::stop_token& stop);

// The mask of a mix for a picture of the size (None for "Off").
MixMask MixMaskFor(const CImageMix& mix, const SIZE& picture);

// The original's weight at each pixel of a width x height grid laid over the
// picture (a grey mask), rows top to bottom, 0..255.
std::vector<std::uint8_t> GreyMask(const CImageMix& mix, const SIZE& picture, int width, int height);

}  // namespace brisol
