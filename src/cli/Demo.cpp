// brisol-cli demo: the demonstration picture. With a photo it paints that
// photo; without, a landscape made in code. Prints the path it wrote.
#include <cstdio>
#include <filesystem>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "DemoScene.h"
#include "EffectLoading.h"
#include "PictureFiles.h"
#include "QuietAlerts.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Logger.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol::cli {

int RunDemo(Args args) {
  // The boxes of the steps go to the log; failures are told in one line.
  const QuietAlerts quietAlerts;
  ParsedArgs parsed;
  if (auto error = ParseArgs(args, {"--output", "--effect"}, {}, parsed)) {
    std::fprintf(stderr, "brisol-cli demo: %s (see --help)\n", error->c_str());
    return 2;
  }
  if (parsed.help) {
    std::printf(
        "Usage: brisol-cli demo [PHOTO] [--output FILE] [--effect NAME|DIR]\n\n"
        "Makes the demonstration picture: PHOTO painted with an effect collection\n"
        "(default: Leaves), or without PHOTO a landscape made in code. Writes FILE\n"
        "(default: brisol-demo.png in the current folder) and prints its path.\n");
    return 0;
  }
  if (parsed.positionals.size() > 1) {
    std::fprintf(stderr, "brisol-cli demo: expected at most one PHOTO\n");
    return 2;
  }
  std::string output = "brisol-demo.png", effectName = "Leaves";
  for (const auto& [name, value] : parsed.options) {
    if (name == "--output") output = value;
    if (name == "--effect") effectName = value;
  }

  if (const SaveResult target = CheckSaveTarget(output); !target.ok()) {
    std::fprintf(stderr, "brisol-cli demo: %s\n", target.message.c_str());
    return 1;
  }
  std::unique_ptr<CDADC> photo;
  if (parsed.positionals.empty()) {
    photo = std::make_unique<CDADC>(MakeDemoScene(1600, 1000));
  } else {
    LoadResult loaded = LoadPicture(parsed.positionals[0]);
    if (!loaded.ok()) {
      std::fprintf(stderr, "brisol-cli demo: %s\n", loaded.message.c_str());
      return 1;
    }
    photo = std::move(loaded.surface);
  }
  if (!photo->IsValid()) {
    std::fprintf(stderr, "brisol-cli demo: not enough memory for the demonstration scene\n");
    return 1;
  }
  CEffect effect;
  std::vector<std::string> notices;
  if (auto error = LoadEffectShapes(effectName, effect, notices)) {
    std::fprintf(stderr, "brisol-cli demo: %s\n", error->c_str());
    return 1;
  }
  for (const std::string& notice : notices) std::fprintf(stderr, "brisol-cli demo: %s\n", notice.c_str());
  effect.SetNumObjects(6000);
  effect.SetSize(2.5);
  effect.SetAngleReaction(eReactRandom);
  effect.SetSeed(2026);

  CDADC picture(photo->GetSize());
  CEffectOutput target;
  target.SetUp(&picture, nullptr, photo->GetSize());
  if (DrawResult drawn = effect.DrawIntoOutput(&target, photo.get(), 2); !drawn.ok()) {
    for (char& c : drawn.message)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "brisol-cli demo: the picture could not be made: %s\n", drawn.message.c_str());
    return 1;
  }
  // The picture keeps its recipe, as every picture Brisol makes (the scene
  // made in code has no photo to name).
  Recipe recipe = RecipeOf(effect, 2);
  if (!parsed.positionals.empty()) SetRecipePhoto(recipe, parsed.positionals[0]);
  SaveOptions options;
  PutRecipe(options, recipe);
  const SaveResult saved = SaveImageFile(picture, output, options);
  if (!saved.ok()) {
    std::fprintf(stderr, "brisol-cli demo: %s\n", saved.message.c_str());
    return 1;
  }
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(output, ignored);
  std::printf("%s\n", absolute.c_str());
  return 0;
}

}  // namespace brisol::cli
