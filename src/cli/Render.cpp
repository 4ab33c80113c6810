// brisol-cli render: a photo turned into a Brisol picture, reproducibly.
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "EffectLoading.h"
#include "Making.h"
#include "PictureFiles.h"
#include "Progress.h"
#include "QuietAlerts.h"
#include "RenderOptions.h"
#include "effect/Effect.h"
#include "effect/EffectPaths.h"
#include "effect/WorkingPictureLimit.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Format.h"
#include "logger/Logger.h"
#include "logger/RepeatFolder.h"
#include "raster/FileUtil.h"

namespace brisol::cli {
namespace {

void PrintHelp() {
  const std::string extensions = PictureExtensionsText();
  std::printf(
      "Usage: brisol-cli render INPUT OUTPUT [options]\n\n"
      "Paints INPUT (%s) anew with the shapes of an effect\n"
      "collection and writes OUTPUT in the format its extension names. The same\n"
      "input, options and seed give the same picture every time. OUTPUT must not\n"
      "be INPUT itself.\n\n"
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
      extensions.c_str(), EffectOptionsHelp().c_str());
}

int Usage(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli render: %s (see --help)\n", message.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fflush(stdout);
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli render: %s\n", message.c_str());
  return 1;
}

void Notice(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli render: %s\n", message.c_str());
}

// A message on one line.
std::string OneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

}  // namespace

int RunRender(Args args) {
  // The boxes of the steps below go to the log; what went wrong is told in
  // one line of this command's own.
  const QuietAlerts quietAlerts;
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
  if (PictureFormatOfName(output) == nullptr) {
    return Usage("cannot tell the format of " + QuotedName(output) + ": use " + PictureExtensionsText());
  }
  bool quiet = false, timings = false;
  DrawSettings drawSettings;
  for (const std::string& flag : parsed.flags) {
    if (flag == "--quiet") quiet = true;
    if (flag == "--timings") timings = true;
    if (flag == "--reference-drawing") drawSettings.reference = true;
  }

  // The options that are not the effect's own first.
  std::string effectName;
  bool effectGiven = false;
  int level = 1;
  SaveOptions saveOptions;
  std::optional<std::string> seedText;
  std::vector<std::string> givenOptions;
  for (const auto& [name, value] : parsed.options) {
    givenOptions.push_back(name);
    long long n = 0;
    if (name == "--effect") {
      if (value.empty()) return Usage("--effect takes a collection name or a folder");
      effectName = value;
      effectGiven = true;
    } else if (name == "--quality") {
      if (!ParseInteger(value, 1, 2, n)) return Usage("--quality takes 1 or 2");
      level = static_cast<int>(n);
    } else if (name == "--jpeg-quality") {
      if (!ParseInteger(value, 1, 100, n)) return Usage("--jpeg-quality takes 1 to 100");
      saveOptions.jpegQuality = static_cast<int>(n);
    } else if (name == "--seed") {
      if (value.empty()) return Usage("--seed takes a whole number or 'random'");
      seedText = value;
    } else if (name == "--threads") {
      if (!ParseInteger(value, 1, 256, n)) return Usage("--threads takes 1 to 256");
      drawSettings.threads = static_cast<unsigned>(n);
      saveOptions.threads = drawSettings.threads;
    }
  }

  // What can be told before any work: the photo would be replaced, the
  // output cannot be written or cannot hold a picture of this size, the
  // picture is too large to draw.
  if (const std::string same = OutputIsInput(input, output); !same.empty()) return Usage(same);
  if (const SaveResult target = CheckSaveTarget(output); !target.ok()) return Fail(target.message);
  if (const PictureFormat* format = PictureFormatOfName(input)) {
    ImageInfo info;
    if (format->info(input.c_str(), info) == kImgOk) {
      const SIZE size{info.width, info.height};
      if (const SaveResult target = CheckSaveTarget(output, size); !target.ok()) return Fail(target.message);
      const std::string tooLarge = WorkingPictureTooLarge(size, level, !drawSettings.reference);
      if (!tooLarge.empty()) return Fail(QuotedName(input) + ": " + tooLarge);
    }
  }

  RenderProgress progress(!quiet, timings);
  std::vector<std::string> notices;
  CEffect effect;
  if (!effectGiven) effectName = DefaultCollection().directory;
  if (effectName.empty()) return Fail("no effect collection is installed");
  {
    const Making making("the shapes of the effect " + QuotedName(effectName));
    if (auto error = LoadEffectShapes(effectName, effect, notices)) return Fail(*error);
  }

  for (const auto& [name, value] : parsed.options) {
    if (name == "--effect" || name == "--quality" || name == "--jpeg-quality" || name == "--seed" ||
        name == "--threads")
      continue;
    if (auto error = ApplyEffectOption(effect, name, value, notices)) return Usage(*error);
  }
  for (std::string& notice : InactiveOptionNotices(effect, givenOptions)) notices.push_back(std::move(notice));
  for (const std::string& notice : notices) Notice(notice);
  if (seedText) {
    long long seed = 0;
    if (*seedText == "random") {
      seed = static_cast<int>(std::time(nullptr));
      Notice("seed " + std::to_string(seed));
    } else if (!ParseInteger(*seedText, -2147483648LL, 4294967295LL, seed)) {
      return Usage("--seed takes a whole number or 'random'");
    }
    effect.SetSeed(static_cast<int>(static_cast<std::uint32_t>(seed)));
  }

  progress.Begin("load");
  LoadResult loaded;
  {
    const Making making("reading " + QuotedName(input));
    loaded = LoadPicture(input);
  }
  progress.End("load");
  if (!loaded.ok()) return Fail(loaded.message);
  std::unique_ptr<CDADC> original = std::move(loaded.surface);
  const SIZE size = original->GetSize();
  const std::string pixels = std::to_string(size.cx) + " x " + std::to_string(size.cy) + " pixels";

  DrawResult drawn;
  CDADC picture(size);
  if (!picture.IsValid()) return Fail("not enough memory for a picture of the size of " + QuotedName(input));
  {
    const Making making("the picture of " + QuotedName(input) + " (" + pixels + " at quality " + std::to_string(level) +
                        ")");
    CEffectOutput target;
    target.SetUp(&picture, nullptr, size);
    drawn = effect.DrawIntoOutput(&target, original.get(), level, drawSettings, &progress);
    target.Close();
  }
  original.reset();  // not needed for saving
  if (!drawn.ok()) return Fail("the picture of " + QuotedName(input) + " could not be made: " + OneLine(drawn.message));

  progress.Begin("save");
  SaveResult saved;
  {
    const Making making("the file " + QuotedName(output) + " (" + pixels + ")");
    saved = SaveImageFile(picture, output, saveOptions);
  }
  progress.End("save");
  progress.Finish();
  if (!saved.ok()) return Fail(saved.message);
  return 0;
}

}  // namespace brisol::cli
