// One photo made into a picture file with an effect: load, draw, save, and
// the recipe written into the picture.
#pragma once

#include <stop_token>
#include <string>

#include "effect/DrawSettings.h"
#include "effect/Runner.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Outcome.h"
#include "recipe/Recipe.h"
#include "vector/PageLayout.h"

namespace brisol {

// Told about the steps of making a picture: the drawing's own, and the
// loading and saving around it ("load", "save"). Every call comes from the
// thread that makes the picture.
struct RenderObserver : DrawObserver {
  virtual void Begin(const char* step) {}
  virtual void End(const char* step) {}
};

struct RenderFileOptions {
  int quality = 1;
  DrawSettings draw;
  SaveOptions save;
  // The page of a vector file (SVG, PDF, EPS, PS); not used for pictures.
  PageOptions page;
  // How the photo is read: its pixel limit.
  LoadOptions load;
  // The look's recipe (RecipeOf the effect): with the effect's seed, the
  // photo's name and hash and the JPEG quality added, it goes into PNG and
  // JPEG pictures. Null: the picture holds none.
  const Recipe* recipe = nullptr;
  RenderObserver* observer = nullptr;
};

// What a written picture file holds.
struct PhotoWritten {
  // Objects of a vector file written as pixels (texts in a font without outlines).
  std::size_t rasterFallbacks = 0;
  // The photo was damaged and painted as far as it could be read: how.
  std::string damage;
};

// Reads the photo, draws it with the effect and saves the picture to
// output in the format its extension names, a picture or a vector file
// (atomically: an existing file is replaced only by a complete new one). A
// stop request ends it without writing anything. A failure's message is one
// line naming the file and the cause.
Outcome<PhotoWritten> RenderPhotoFile(const CEffect& effect, const std::string& photo, const std::string& output,
                                      const RenderFileOptions& options, std::stop_token stop = {});

}  // namespace brisol
