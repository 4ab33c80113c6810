// brisol-cli render: a photo turned into a Brisol picture, reproducibly.
#include <strings.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "PictureFiles.h"
#include "Progress.h"
#include "RenderOptions.h"
#include "effect/EffectPaths.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "logger/Logger.h"

namespace brisol::cli {
namespace {

void PrintHelp() {
  std::printf(
      "Usage: brisol-cli render INPUT OUTPUT [options]\n\n"
      "Paints INPUT (bmp, jpg, tga, pcx or png) anew with the shapes of an effect\n"
      "collection and writes OUTPUT in the format its extension names (bmp, tga,\n"
      "jpg or jpeg, pcx, png). The same input, options and seed give the same\n"
      "picture every time.\n\n"
      "  --effect NAME|DIR      collection by name (see 'brisol-cli effects') or folder\n"
      "                         [the first bundled collection]\n"
      "  --quality 1|2          1 draws at the picture's size, 2 at twice the size and\n"
      "                         averages down (smoother edges) [1]\n"
      "  --jpeg-quality N       JPEG output quality, 1..100 [92]\n"
      "  --threads N            threads to draw and save with, 1..256 [the machine's\n"
      "                         cores]; the picture is the same with any number\n"
      "  --quiet                no progress line\n"
      "  --timings              one line per phase on standard error:\n"
      "                         'phase NAME MILLISECONDS' and 'pixels-written N'\n\n"
      "%s\n"
      "Exit status: 0 on success, 1 when the picture could not be made, 2 for a\n"
      "usage error.\n",
      EffectOptionsHelp().c_str());
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "brisol-cli render: %s (see --help)\n", message.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "brisol-cli render: %s\n", message.c_str());
  return 1;
}

bool SavableExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  const std::string ext = path.substr(dot + 1);
  for (const char* known : {"bmp", "tga", "jpg", "jpeg", "pcx", "png"})
    if (strcasecmp(ext.c_str(), known) == 0) return true;
  return false;
}

}  // namespace

int RunRender(Args args) {
  std::vector<std::string_view> valueOptions = EffectOptionNames();
  valueOptions.insert(valueOptions.end(), {"--effect", "--quality", "--seed", "--jpeg-quality", "--threads"});
  ParsedArgs parsed;
  // --reference-drawing (not in the help): the plain in-order drawing into a
  // whole working picture, slow and memory-hungry, for comparisons.
  if (auto error = ParseArgs(args, valueOptions, {"--quiet", "--timings", "--reference-drawing"}, parsed))
    return Usage(*error);
  if (parsed.help) {
    PrintHelp();
    return 0;
  }
  if (parsed.positionals.size() != 2) return Usage("expected INPUT and OUTPUT");
  const std::string input = parsed.positionals[0];
  const std::string output = parsed.positionals[1];
  if (!SavableExtension(output)) {
    return Usage("cannot tell the format of '" + output + "': use .bmp, .tga, .jpg, .jpeg, .pcx or .png");
  }
  bool quiet = false, timings = false;
  DrawSettings drawSettings;
  for (const std::string& flag : parsed.flags) {
    if (flag == "--quiet") quiet = true;
    if (flag == "--timings") timings = true;
    if (flag == "--reference-drawing") drawSettings.reference = true;
  }

  // The effect: options that are not the effect's own first.
  std::string effectName;
  int level = 1;
  SaveOptions saveOptions;
  std::string seedText;
  for (const auto& [name, value] : parsed.options) {
    long long n = 0;
    if (name == "--effect") {
      effectName = value;
    } else if (name == "--quality") {
      if (!ParseInteger(value, 1, 2, n)) return Usage("--quality takes 1 or 2");
      level = static_cast<int>(n);
    } else if (name == "--jpeg-quality") {
      if (!ParseInteger(value, 1, 100, n)) return Usage("--jpeg-quality takes 1 to 100");
      saveOptions.jpegQuality = static_cast<int>(n);
    } else if (name == "--seed") {
      seedText = value;
    } else if (name == "--threads") {
      if (!ParseInteger(value, 1, 256, n)) return Usage("--threads takes 1 to 256");
      drawSettings.threads = static_cast<unsigned>(n);
      saveOptions.threads = drawSettings.threads;
    }
  }
  std::string directory;
  if (effectName.empty()) {
    const EffectCollection collection = DefaultCollection();
    if (collection.directory.empty()) return Fail("no effect collection is installed");
    directory = collection.directory;
    effectName = collection.name;
  } else {
    directory = FindCollection(effectName);
    if (directory.empty()) return Fail("unknown effect '" + effectName + "' (see 'brisol-cli effects')");
  }

  RenderProgress progress(!quiet, timings);
  CEffect effect(directory.c_str());
  if (effect.GetNumShapes() == 0) return Fail("the collection '" + effectName + "' has no usable shapes");

  std::vector<std::string> notices;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--effect" || name == "--quality" || name == "--jpeg-quality" || name == "--seed" ||
        name == "--threads")
      continue;
    if (auto error = ApplyEffectOption(effect, name, value, notices)) return Usage(*error);
  }
  for (const std::string& notice : notices) std::fprintf(stderr, "brisol-cli render: %s\n", notice.c_str());
  if (!seedText.empty()) {
    long long seed = 0;
    if (seedText == "random") {
      seed = static_cast<int>(std::time(nullptr));
      std::fprintf(stderr, "brisol-cli render: seed %lld\n", seed);
    } else if (!ParseInteger(seedText, -2147483648LL, 4294967295LL, seed)) {
      return Usage("--seed takes a whole number or 'random'");
    }
    effect.SetSeed(static_cast<int>(static_cast<std::uint32_t>(seed)));
  }

  progress.Begin("load");
  std::unique_ptr<CDADC> original = LoadImageSurface(input.c_str());
  progress.End("load");
  if (!original) {
    const std::string why = WhyUnreadable(input.c_str());
    return Fail("cannot read '" + input + "'" + (why.empty() ? "" : ": " + why));
  }

  TheLogger().TakePendingError();
  CDADC picture(original->GetSize());
  if (!picture.IsValid()) return Fail("not enough memory for a picture of this size");
  CEffectOutput target;
  target.SetUp(&picture, nullptr, original->GetSize());
  effect.DrawIntoOutput(&target, original.get(), level, drawSettings, &progress);
  target.Close();
  original.reset();  // not needed for saving
  if (const std::string error = TheLogger().TakePendingError(); !error.empty()) {
    return Fail("the picture could not be made: " + error);
  }

  progress.Begin("save");
  const SaveResult saved = SaveImageFile(picture, output, saveOptions);
  progress.End("save");
  progress.Finish();
  if (!saved.ok()) return Fail(saved.message);
  return 0;
}

}  // namespace brisol::cli
