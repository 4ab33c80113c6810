// A PDF file of a scene, written by hand: one page whose objects place each
// reusable drawing of the collection, written once as a form XObject, by
// reference (a form that sets no colour or line width takes those set
// before it is called); the photo once (a JPEG as its own bytes), the mix
// as the photo through a soft mask of a shading or a grey image.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "logger/Outcome.h"

namespace brisol {

struct VectorScene;
struct PageLayout;
struct EmbeddedImages;
struct DrawObserver;

// The file's bytes; NoMemory or Stopped when it could not be made.
Outcome<std::string> WritePdf(const VectorScene& scene, const PageLayout& page, const EmbeddedImages& images,
                              const std::string& metadata, DrawObserver* observer, const std::stop_token& stop);

// A text as a PDF text string: UTF-16 with its byte order mark, in hex.
std::string PdfTextString(const std::string& utf8);

}  // namespace brisol
