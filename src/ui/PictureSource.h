// What a picture is drawn from: the photo, a snapshot of the effect and the
// quality. The windows that draw a picture anew away from its document
// (the variations grid, printing at the printer's resolution) take one, so
// the document may change meanwhile.
#pragma once

#include <memory>

namespace brisol {

class CDADC;
class CEffect;

struct PictureSource {
  std::shared_ptr<const CDADC> photo;
  std::shared_ptr<const CEffect> effect;
  int quality = 1;
};

}  // namespace brisol
