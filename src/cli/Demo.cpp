// brisol-cli demo: the demonstration picture. With a photo it paints that
// photo; without, a landscape made in code. Prints the path it wrote.
#include <cstdio>
#include <filesystem>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "DemoScene.h"
#include "EffectLoading.h"
#include "Making.h"
#include "PictureFiles.h"
#include "QuietAlerts.h"
#include "effect/DrawJob.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Format.h"
#include "logger/Logger.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol::cli {
namespace {

constexpr int kSceneWidth = 1600, kSceneHeight = 1000;
constexpr int kQuality = 2;

int Fail(const std::string& message, int status = 1) {
  std::fflush(stdout);
  std::fprintf(stderr, "brisol-cli demo: %s\n", message.c_str());
  return status;
}

}  // namespace

int RunDemo(Args args) {
  // The boxes of the steps go to the log; failures are told in one line.
  const QuietAlerts quietAlerts;
  const auto parsedArgs = ParseArgs(args, {"--output", "--effect"}, {});
  if (!parsedArgs) return UsageError("demo", parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
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

  if (effectName.empty()) return Fail("--effect takes a collection name or a folder", 2);
  // The photo is never replaced by its own demonstration picture.
  if (!parsed.positionals.empty()) {
    if (const std::string same = OutputIsInput(parsed.positionals[0], output); !same.empty()) return Fail(same, 2);
  }
  if (const Done target = CheckSaveTarget(output); !target.ok()) return Fail(target.message());
  std::unique_ptr<CDADC> photo;
  if (parsed.positionals.empty()) {
    const Making making("the demonstration scene (" + std::to_string(kSceneWidth) + " x " +
                        std::to_string(kSceneHeight) + " pixels)");
    photo = std::make_unique<CDADC>(MakeDemoScene(kSceneWidth, kSceneHeight));
    if (!photo->IsValid()) return Fail("not enough memory for the demonstration scene");
  } else {
    const std::string& input = parsed.positionals[0];
    LoadResult loaded = [&] {
      const Making making("reading " + QuotedName(input));
      return LoadPicture(input);
    }();
    if (!loaded.ok()) return Fail(loaded.message());
    photo = std::move(loaded).value();
  }
  const SIZE size = photo->GetSize();
  if (const Done target = CheckSaveTarget(output, size); !target.ok()) return Fail(target.message());
  const std::string pixels = std::to_string(size.cx) + " x " + std::to_string(size.cy) + " pixels";
  CEffect effect;
  std::vector<std::string> notices;
  {
    const Making making("the shapes of the effect " + QuotedName(effectName));
    if (Done loaded = LoadEffectShapes(effectName, effect, notices); !loaded) return Fail(loaded.message());
  }
  for (const std::string& notice : notices) std::fprintf(stderr, "brisol-cli demo: %s\n", notice.c_str());
  effect.SetNumObjects(6000);
  effect.SetSize(2.5);
  effect.SetAngleReaction(eReactRandom);
  effect.SetSeed(2026);

  std::unique_ptr<CDADC> picture;
  {
    const Making making("the demonstration picture (" + pixels + " at quality " + std::to_string(kQuality) + ")");
    Outcome<std::unique_ptr<CDADC>> drawn = DrawPicture({effect, *photo, kQuality});
    if (!drawn) {
      std::string why = drawn.message();
      for (char& c : why)
        if (c == '\n') c = ' ';
      return Fail("the picture could not be made: " + why);
    }
    picture = std::move(*drawn);
  }
  photo.reset();  // not needed for saving
  // The picture keeps its recipe, as every picture Brisol makes (the scene
  // made in code has no photo to name).
  Recipe recipe = RecipeOf(effect, kQuality);
  if (!parsed.positionals.empty()) SetRecipePhoto(recipe, parsed.positionals[0]);
  SaveOptions options;
  PutRecipe(options, recipe);
  Done saved;
  {
    const Making making("the file " + QuotedName(output) + " (" + pixels + ")");
    saved = SaveImageFile(*picture, output, options);
  }
  if (!saved.ok()) return Fail(saved.message());
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(output, ignored);
  std::printf("%s\n", OneLineText(absolute.string()).c_str());
  return 0;
}

}  // namespace brisol::cli
