#include "recipe/RenderPhoto.h"

#include "imageio/ImageLoad.h"
#include "imageio/LoadPicture.h"
#include "imageio/PictureFormats.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol {
namespace {

std::string OneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

PhotoRendered Failed(std::string why) { return {PhotoRendered::Outcome::Failed, OneLine(std::move(why))}; }

}  // namespace

PhotoRendered RenderPhotoFile(const CEffect& effect, const std::string& photo, const std::string& output,
                              const RenderFileOptions& options, std::stop_token stop) {
  RenderObserver none;
  RenderObserver& observer = options.observer != nullptr ? *options.observer : none;
  SaveOptions save = options.save;
  if (options.recipe != nullptr) {
    Recipe recipe = *options.recipe;
    recipe.seed = effect.GetSeed();
    recipe.quality = options.quality;
    SetRecipePhoto(recipe, photo);
    PutPictureRecipe(save, std::move(recipe), output);
  }

  observer.Begin("load");
  LoadResult loaded = LoadPicture(photo);
  observer.End("load");
  if (!loaded.ok()) return Failed(loaded.message);
  if (stop.stop_requested()) return {PhotoRendered::Outcome::Stopped, {}};

  std::unique_ptr<CDADC> original = std::move(loaded.surface);
  CDADC picture(original->GetSize());
  if (!picture.IsValid()) return Failed("not enough memory for a picture of the size of '" + photo + "'");
  CEffectOutput target;
  target.SetUp(&picture, nullptr, original->GetSize());
  const DrawResult drawn =
      effect.DrawIntoOutput(&target, original.get(), options.quality, options.draw, &observer, stop);
  target.Close();
  original.reset();  // not needed for saving
  if (drawn.outcome == DrawResult::Outcome::Stopped) return {PhotoRendered::Outcome::Stopped, {}};
  if (!drawn.ok()) return Failed("the picture of '" + photo + "' could not be made: " + drawn.message);

  observer.Begin("save");
  const SaveResult saved = SaveImageFile(picture, output, save);
  observer.End("save");
  if (!saved.ok()) return Failed(saved.message);
  return {};
}

}  // namespace brisol
