// PDF, PostScript and EPS files of a scene through Cairo's vector surfaces.
// The PostScript files start with the header lines the PostScript writer
// gives every file of its type (imageio/PsOp.h) in place of Cairo's own.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "vector/VectorFormats.h"

namespace brisol {

struct VectorScene;
struct PageLayout;
struct EmbeddedImages;
struct DrawObserver;

struct CairoFileResult {
  std::vector<std::uint8_t> bytes;
  std::string error;     // Cairo's words when it failed
  bool stopped = false;  // a stop request ended it
};

CairoFileResult WriteCairoFile(VectorKind kind, const VectorScene& scene, const PageLayout& page,
                               const EmbeddedImages& images, const std::string& metadata, DrawObserver* observer,
                               const std::stop_token& stop);

// The PostScript header of the type (PsOp's) put in place of the first
// line and the bounding boxes of a PostScript text that Cairo wrote.
void ReplacePostScriptHeader(std::vector<std::uint8_t>& file, int psType, double widthPoints, double heightPoints);

}  // namespace brisol
