// The page of a PDF or PostScript file as drawing operators (ContentStream):
// the way from the page's points to the picture's pixels, the objects in
// drawing order, and the drawings placed by reference. The formats differ
// only in how a drawing is called (a form XObject or a procedure), which
// the caller writes.
#pragma once

#include <functional>
#include <stop_token>
#include <vector>

#include "raster/Types.h"
#include "vector/ContentStream.h"

namespace brisol {

struct VectorScene;
struct PageLayout;
struct DrawObserver;

// The page's own space (points, y up from the bottom-left corner) made the
// picture's pixels (y down from the picture's top-left corner on the page).
void PictureSpace(ContentStream& out, const PageLayout& page);

// The picture's edges run on into the bleed where the picture meets the
// trim (PageLayout::bleedX, bleedY): drawPicture draws an image into the
// unit square, which this maps onto the picture grown by that much on each
// side. Nothing without such a bleed; false when drawPicture fails.
bool WriteBleed(ContentStream& out, const PageLayout& page, const SIZE& picture,
                const std::function<bool(ContentStream&)>& drawPicture);

// Digits after the point that place a figure's coordinates, in working
// pixels (level a picture pixel), to a hundredth of a point on the page.
int FigureDecimals(const PageLayout& page, int level);

// The background, run on into the bleed: the colour, or (photo: when the
// scene has it) the photo as drawPhoto draws an image into the unit square,
// which this maps onto the picture. False when drawPhoto fails.
bool WriteBackground(ContentStream& out, const VectorScene& scene, const PageLayout& page, bool photo,
                     const std::function<bool(ContentStream&)>& drawPhoto);

// Which drawings are placed by reference, with an outline and without one.
struct SymbolUse {
  std::vector<bool> filled;    // per shape: placed by objects without an outline
  std::vector<bool> outlined;  // per shape: placed by objects with one
};
SymbolUse UsedSymbols(const VectorScene& scene);

// A drawing's own content, in drawing units: its figures painted with the
// fill colour, stroke colour and line width in force where it is placed.
void WriteSymbol(ContentStream& out, const VectorScene& scene, int shape, bool outlined);

// Calls drawing `shape`, with or without its outline, in the space and with
// the colours set before the call.
using PlaceSymbol = std::function<void(ContentStream& out, int shape, bool outlined)>;

// The objects in drawing order, in the picture's pixels and clipped to the
// picture, with the line joins and ends of the raster drawing. False, with
// the content unfinished, when a stop request ended it.
bool WriteObjects(ContentStream& out, const VectorScene& scene, const PlaceSymbol& place, DrawObserver* observer,
                  const std::stop_token& stop);

}  // namespace brisol
