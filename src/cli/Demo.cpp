// brisol-cli demo: the demonstration picture. With a photo it paints that
// photo; without, a landscape made in code. Prints the path it wrote.
#include <cstdio>
#include <filesystem>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "DemoScene.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"

namespace brisol::cli {

int RunDemo(Args args) {
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

  std::unique_ptr<CDADC> photo;
  if (parsed.positionals.empty()) {
    photo = std::make_unique<CDADC>(MakeDemoScene(1600, 1000));
  } else {
    photo = LoadImageSurface(parsed.positionals[0].c_str());
  }
  if (!photo || !photo->IsValid()) {
    std::fprintf(stderr, "brisol-cli demo: cannot read '%s'\n", parsed.positionals[0].c_str());
    return 1;
  }
  const std::string directory = FindCollection(effectName);
  CEffect effect(directory.c_str());
  if (effect.GetNumShapes() == 0) {
    std::fprintf(stderr, "brisol-cli demo: the effect '%s' has no usable shapes\n", effectName.c_str());
    return 1;
  }
  effect.SetNumObjects(6000);
  effect.SetSize(2.5);
  effect.SetAngleReaction(eReactRandom);
  effect.SetSeed(2026);

  CDADC picture(photo->GetSize());
  CEffectOutput target;
  target.SetUp(&picture, nullptr, photo->GetSize());
  effect.DrawIntoOutput(&target, photo.get(), 2);
  const SaveResult saved = SaveImageFile(picture, output);
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
