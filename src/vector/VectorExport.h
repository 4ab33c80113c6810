// Vector files of a Brisol picture at any print size, and the page drawn at
// a printer's resolution: what the command line's render and the desktop
// program's Export... and printing call. One function, one result; a stop
// token and a progress observer as DrawIntoOutput takes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "logger/Outcome.h"
#include "raster/Types.h"
#include "vector/PageLayout.h"

namespace brisol {

class CDADC;
class CEffect;
struct DrawObserver;
struct VectorScene;
struct CairoImages;

struct VectorJob {
  const CEffect* effect = nullptr;  // the collection and parameters
  const CDADC* photo = nullptr;     // the original picture
  std::string photoPath;            // its file, if any: a JPEG's own bytes are embedded
  int level = 1;                    // quality 1 or 2, as for the raster picture
  PageOptions page;
  std::string
      metadata;  // a text embedded as it is (SVG <metadata>, PDF information entry /BrisolRecipe, PostScript comments)
};

// What a written vector file holds.
struct VectorWritten {
  std::uintmax_t bytes = 0;
  std::size_t objects = 0;
  std::size_t rasterFallbacks = 0;  // objects written as pixels
};

// What can be told before any work: the format by the name (".ai" refused),
// the page, the target file, each failure in one line naming the file.
Done CheckVectorFile(const std::string& path, const PageOptions& page, const SIZE& picture);

// Writes the file the extension of path names, atomically: a failure or a
// stop leaves no partial file and keeps an existing one. A failure's message
// is one line naming the file and the cause.
Outcome<VectorWritten> WriteVectorFile(const std::string& path, const VectorJob& job, DrawObserver* observer = nullptr,
                                       std::stop_token stop = {});

// The page drawn as pixels at a printer's resolution (for printing without
// enlarging the shown bitmap), band by band, through the same drawing as
// the PDF file.
class PrintedPage {
 public:
  // The page of the job at the resolution, or why the job cannot give one.
  static Outcome<std::unique_ptr<PrintedPage>> Prepare(const VectorJob& job, double dpi,
                                                       DrawObserver* observer = nullptr, std::stop_token stop = {});
  ~PrintedPage();

  SIZE PixelSize() const { return m_pixels; }
  // Draws rows [top, top + rows) of the page into 32-bit pixels (0xFFRRGGBB
  // words, stride bytes a row). Stopped by a stop request; Failed, with
  // Cairo's word for why, when Cairo cannot draw the band (a page wider
  // than its surfaces may be).
  Done DrawBand(int top, int rows, std::uint8_t* pixels, int stride, std::stop_token stop = {}) const;

 private:
  PrintedPage() = default;
  std::unique_ptr<VectorScene> m_scene;
  std::unique_ptr<CairoImages> m_images;
  PageLayout m_layout;
  double m_dpi = 72;
  SIZE m_pixels{0, 0};
};

}  // namespace brisol
