// SVG written by hand: each reusable drawing of the collection once as a
// <symbol>, each object a <use> with its own transform, fill, outline and
// pen width; numbers at full precision (the shortest text that reads back
// to the same double).
#pragma once

#include <stop_token>
#include <string>

namespace brisol {

struct VectorScene;
struct PageLayout;
struct EmbeddedImages;
struct DrawObserver;

// The document; empty when a stop request ended it.
std::string WriteSvg(const VectorScene& scene, const PageLayout& page, const EmbeddedImages& images,
                     const std::string& metadata, DrawObserver* observer, const std::stop_token& stop);

}  // namespace brisol
