// The variations of a picture shown as a grid: nine effects, each the
// picture's own with one change (a new seed, or one parameter stepped
// around its value), and each cell's picture: the full picture of its
// values reduced to the cell's size.
//
// The reduction: the picture is drawn at its own size, exactly as the
// picture window or brisol-cli would draw it, and each pixel of the cell is
// the mean of the block of the picture's pixels it covers (the block of
// columns x*W/w up to (x+1)*W/w and rows y*H/h up to (y+1)*H/h, in whole
// pixels, each channel rounded to the nearest value). Drawing at the cell's
// size would give another picture: shapes, line widths and mixes would fall
// on other pixels.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

namespace brisol {

class CDADC;
class CEffect;
struct EffectParam;

inline constexpr int kVariationsPerPage = 9;

struct Variation {
  std::shared_ptr<const CEffect> effect;
  QString caption;  // "seed 1234", "object size 3.75", "Circular Vignette"
};

// The parameters a grid can step: numbers and choices that change the
// picture under the effect's other values (colours are not stepped).
std::vector<const EffectParam*> VariableParams(const CEffect& effect);

// The seed of cell index (counted over every page) of a picture whose seed
// is base: spread over the whole range, so that neighbouring cells share
// nothing of their arrangement.
int VariationSeed(int base, int index);

// The variations of a page: with no parameter, nine new seeds; with a
// number, nine values a step apart with the effect's among them, in the
// middle where the panel's range allows and moved inward by whole steps at
// its ends (a step of a 32nd of the range on page 0, two on page 1 ..., at
// most an 8th); with a choice, its next nine choices.
std::vector<Variation> MakeVariations(const CEffect& base, const EffectParam* param, int page);
// Whether a further page shows anything new.
bool HasMoreVariations(const CEffect& base, const EffectParam* param, int page);

// The size a picture of size picture is reduced to within box: as large as
// fits, the proportions kept, never enlarged, at least 1 x 1.
QSize ReducedSize(QSize picture, QSize box);
// The picture reduced to that size, as described above.
QImage ReducePicture(const CDADC& picture, QSize size);

}  // namespace brisol
