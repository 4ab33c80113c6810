// brisol-cli render: a photo turned into a Brisol picture, reproducibly.
#include <cstdio>
#include <ctime>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "LookOptions.h"
#include "Making.h"
#include "PictureFiles.h"
#include "Progress.h"
#include "QuietAlerts.h"
#include "RenderOptions.h"
#include "effect/Effect.h"
#include "effect/WorkingPictureLimit.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "logger/Format.h"
#include "logger/RepeatFolder.h"
#include "raster/FileUtil.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RenderPhoto.h"
#include "vector/VectorExport.h"
#include "vector/VectorFormats.h"

namespace brisol::cli {
namespace {

// The page options of vector files, from their table.
std::string PageOptionsHelp() {
  std::string help =
      "Vector files (" + VectorExtensionsText() + "): the same objects as the picture, at any print size:\n";
  for (const PageOption& o : PageOptionTable())
    AppendHelpLine(help, std::string(o.option) + (o.value.empty() ? "" : " " + std::string(o.value)),
                   std::string(o.help));
  return help;
}

void PrintHelp() {
  const std::string pictures = PictureExtensionsText();
  std::printf(
      "Usage: brisol-cli render INPUT OUTPUT [options]\n\n"
      "Paints the picture INPUT (%s) anew with the shapes of an effect\n"
      "collection and writes OUTPUT in the format its extension names: a picture\n"
      "(%s) or a vector file (%s). The same\n"
      "input, options and seed give the same picture every time; a PNG or JPEG\n"
      "OUTPUT keeps the recipe that made it (see 'brisol-cli recipe'). OUTPUT must\n"
      "not be INPUT itself. Options are taken in order: a --recipe or --preset sets\n"
      "everything it holds, and the options after it change that.\n\n"
      "%s"
      "  --threads N            threads to draw and save with, 1..256 [the machine's\n"
      "                         cores]; the picture is the same with any number\n"
      "  --max-pixels N         the most pixels INPUT may have [200000000]; larger\n"
      "                         pictures are refused before they are read\n"
      "  --quiet                no progress line\n"
      "  --timings              one line per phase on standard error:\n"
      "                         'phase NAME MILLISECONDS' and 'pixels-written N'\n\n"
      "%s\n%s\n"
      "Exit status: 0 on success, 1 when the picture could not be made, 2 for a\n"
      "usage error.\n",
      pictures.c_str(), pictures.c_str(), VectorExtensionsText().c_str(),
      LookOptionsHelp("  --seed N|random        seed of all random choices [1]; random takes the time\n").c_str(),
      PageOptionsHelp().c_str(), EffectOptionsHelp().c_str());
}

int Usage(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli render: %s (see --help)\n", message.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fflush(stdout);
  FlushStderrRepeats();
  // A message of several lines (every bad line of a recipe) keeps the prefix on each.
  std::size_t start = 0;
  do {
    const std::size_t end = message.find('\n', start);
    std::fprintf(stderr, "brisol-cli render: %s\n", message.substr(start, end - start).c_str());
    start = end == std::string::npos ? end : end + 1;
  } while (start != std::string::npos);
  return 1;
}

void Notice(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli render: %s\n", message.c_str());
}

}  // namespace

int RunRender(Args args) {
  // The boxes of the steps below go to the log; what went wrong is told in
  // one line of this command's own.
  const QuietAlerts quietAlerts;
  std::vector<std::string_view> valueOptions = LookOptionNames();
  valueOptions.push_back("--threads");
  valueOptions.push_back("--max-pixels");
  // --reference-drawing (not in the help): the plain in-order drawing into a
  // whole working picture, slow and memory-hungry, for comparisons.
  std::vector<std::string_view> flagOptions = {"--quiet", "--timings", "--reference-drawing"};
  for (const PageOption& o : PageOptionTable()) (o.value.empty() ? flagOptions : valueOptions).push_back(o.option);
  const auto parsedArgs = ParseArgs(args, valueOptions, flagOptions);
  if (!parsedArgs) return Usage(parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    PrintHelp();
    return 0;
  }
  if (parsed.positionals.size() != 2) return Usage("expected INPUT and OUTPUT");
  const std::string input = parsed.positionals[0];
  const std::string output = parsed.positionals[1];
  if (Done name = CheckVectorName(output); !name) return Usage(name.message());
  const bool vectorOutput = VectorFormatOfName(output) != nullptr;
  if (PictureFormatOfName(output) == nullptr && !vectorOutput) {
    return Usage("cannot tell the format of " + QuotedName(output) + ": use " + PictureExtensionsText() + ", " +
                 VectorExtensionsText());
  }
  RenderFileOptions options;
  bool pageGiven = false;
  for (const std::string& flag : parsed.flags) {
    if (const PageOption* o = FindPageOption(flag)) {
      (void)o->apply(options.page, "");
      pageGiven = true;
    }
  }
  for (const auto& [name, value] : parsed.options) {
    if (const PageOption* o = FindPageOption(name)) {
      if (const Done applied = o->apply(options.page, value); !applied) return Usage(applied.message());
      pageGiven = true;
    }
  }
  if (pageGiven && !vectorOutput) {
    return Usage("the page options are for vector files (" + VectorExtensionsText() + "), not " + QuotedName(output));
  }
  bool quiet = false, timings = false;
  for (const std::string& flag : parsed.flags) {
    if (flag == "--quiet") quiet = true;
    if (flag == "--timings") timings = true;
    if (flag == "--reference-drawing") options.draw.reference = true;
  }
  options.load.raise = "--max-pixels N";
  for (const auto& [name, value] : parsed.options) {
    long long n = 0;
    if (name == "--max-pixels") {
      if (!ParseInteger(value, 1, kMaxImagePixels, n))
        return Usage("--max-pixels takes 1 to " + std::to_string(kMaxImagePixels));
      options.load.maxPixels = n;
    }
    if (name != "--threads") continue;
    if (!ParseInteger(value, 1, 256, n)) return Usage("--threads takes 1 to 256");
    options.draw.threads = static_cast<unsigned>(n);
    options.save.threads = options.draw.threads;
  }

  // What can be told before any work: the photo would be replaced, the
  // output cannot be written.
  if (const std::string same = OutputIsInput(input, output); !same.empty()) return Usage(same);
  if (!vectorOutput) {
    if (const Done target = CheckSaveTarget(output); !target.ok()) return Fail(target.message());
  }

  Look look;
  std::vector<std::string> notices;
  if (Done built = BuildLook(parsed, "random", look, notices); !built) {
    for (const std::string& notice : notices) Notice(notice);
    return built.status() == Status::Invalid ? Usage(built.message()) : Fail(built.message());
  }
  if (look.seedWord) {
    look.effect.SetSeed(static_cast<int>(std::time(nullptr)));
    notices.push_back("seed " + std::to_string(look.effect.GetSeed()));
  }
  if (look.recipe) {
    if (auto differs = PhotoDiffers(*look.recipe, input)) notices.push_back(*differs);
  }
  for (const std::string& notice : notices) Notice(notice);

  // A picture too large to draw, or too large for the output's format, is
  // told before it is read.
  std::string pixels;
  if (const PictureFormat* format = PictureFormatOfName(input)) {
    ImageInfo info;
    if (format->info(input.c_str(), info).ok()) {
      const SIZE size{info.width, info.height};
      pixels = " (" + std::to_string(size.cx) + " x " + std::to_string(size.cy) + " pixels at quality " +
               std::to_string(look.quality) + ")";
      if (vectorOutput) {
        if (Done file = CheckVectorFile(output, options.page, size); !file) return Fail(file.message());
      } else if (const Done target = CheckSaveTarget(output, size); !target.ok()) {
        return Fail(target.message());
      }
      const std::string tooLarge = WorkingPictureTooLarge(size, look.quality, !options.draw.reference);
      if (!tooLarge.empty()) return Fail(QuotedName(input) + ": " + tooLarge);
    }
  }

  RenderProgress progress(!quiet, timings);
  const Recipe recipe = RecipeOf(look.effect, look.quality);
  options.quality = look.quality;
  if (look.jpegQuality) options.save.jpegQuality = *look.jpegQuality;
  options.recipe = &recipe;
  options.observer = &progress;
  const Outcome<PhotoWritten> made = [&] {
    const Making making("the picture of " + QuotedName(input) + pixels);
    return RenderPhotoFile(look.effect, input, output, options);
  }();
  progress.Finish();
  if (!made.ok()) return Fail(made.message());
  // Told even with --quiet: the picture is painted from a damaged photo.
  if (!made->damage.empty()) Notice("warning: " + made->damage);
  if (made->rasterFallbacks > 0) {
    Notice(std::to_string(made->rasterFallbacks) +
           " objects have texts in a font without outlines and are written as pixels");
  }
  return 0;
}

}  // namespace brisol::cli
