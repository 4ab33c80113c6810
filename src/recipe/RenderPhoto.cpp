#include "recipe/RenderPhoto.h"

#include "effect/DrawJob.h"
#include "imageio/ImageLoad.h"
#include "imageio/LoadPicture.h"
#include "imageio/PictureFormats.h"
#include "logger/Format.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"
#include "vector/VectorExport.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

std::string OneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

Failure Failed(std::string why) { return Fail(OneLine(std::move(why))); }

}  // namespace

Outcome<PhotoWritten> RenderPhotoFile(const CEffect& effect, const std::string& photo, const std::string& output,
                                      const RenderFileOptions& options, std::stop_token stop) {
  RenderObserver none;
  RenderObserver& observer = options.observer != nullptr ? *options.observer : none;
  SaveOptions save = options.save;
  const bool vectorOutput = VectorFormatOfName(output) != nullptr;
  if (options.recipe != nullptr) {
    Recipe recipe = *options.recipe;
    recipe.seed = effect.GetSeed();
    recipe.quality = options.quality;
    SetRecipePhoto(recipe, photo);
    PutPictureRecipe(save, std::move(recipe), output);
  }

  observer.Begin("load");
  std::string damage;
  LoadOptions load = options.load;
  load.damage = &damage;
  LoadResult loaded = LoadPicture(photo, load);
  observer.End("load");
  if (!loaded.ok()) return Failed(loaded.message());
  if (stop.stop_requested()) return StoppedBy();

  std::unique_ptr<CDADC> original = std::move(loaded).value();
  if (vectorOutput) {
    VectorJob job;
    job.effect = &effect;
    job.photo = original.get();
    job.photoPath = photo;
    job.level = options.quality;
    job.page = options.page;
    job.metadata = save.text;
    observer.Begin("vector");
    const Outcome<VectorWritten> written = WriteVectorFile(output, job, &observer, stop);
    observer.End("vector");
    if (written.stopped()) return StoppedBy();
    if (!written.ok()) return Failed(written.message());
    return PhotoWritten{written->rasterFallbacks, std::move(damage)};
  }
  // The output's rows are encoded and written as the drawing completes them;
  // for a format that streams, the picture never exists whole.
  PictureSaver saver(output, save);
  const bool whole = options.draw.reference || !PictureSaver::Streams(output);
  struct SaveRows final : OutputRowsSink {
    SaveRows(PictureSaver& s, const SIZE& z) : saver(s), size(z) {}
    void RowsReady(const PixelBlock& rows, int first, int last) override { saver.RowsReady(size, rows, first, last); }
    bool Work() override { return saver.Work(); }
    PictureSaver& saver;
    SIZE size;
  } saveRows(saver, original->GetSize());
  DrawJob job(effect, *original, options.quality, &observer, stop);
  job.settings = options.draw;
  job.settings.outputRows = &saveRows;
  std::unique_ptr<CDADC> picture;
  const Done drawn = [&]() -> Done {
    if (!whole) return DrawPictureRows(job);
    auto made = DrawPicture(job);
    if (!made) return std::move(made).failure();
    picture = std::move(*made);
    return {};
  }();
  original.reset();  // not needed for saving
  if (drawn.stopped()) return StoppedBy();
  if (!drawn.ok()) return Failed("the picture of " + QuotedName(photo) + " could not be made: " + drawn.message());

  observer.Begin("save");
  const Done saved = saver.Finish(picture.get());
  observer.End("save");
  if (!saved.ok()) return Failed(saved.message());
  return PhotoWritten{0, std::move(damage)};
}

}  // namespace brisol
