// brisol-cli convert: a picture file to another format, optionally resized,
// through the same loading, resizing and saving as the program.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ArgParse.h"
#include "Commands.h"
#include "Making.h"
#include "PictureFiles.h"
#include "QuietAlerts.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Format.h"

namespace brisol::cli {
namespace {

void PrintHelp() {
  const std::string extensions = PictureExtensionsText();
  std::printf(
      "Usage: brisol-cli convert INPUT OUTPUT [--resize WxH] [--quality N]\n\n"
      "Reads INPUT as the program opens pictures (%s, by the\n"
      "extension), optionally resizes it, and writes OUTPUT in the format its\n"
      "extension names (any letter case). An existing OUTPUT is replaced only\n"
      "once the new file is completely written.\n\n"
      "Options:\n"
      "  --resize WxH   resample to exactly W x H pixels (area-correct)\n"
      "  --quality N    JPEG quality, 1 to 100 (default 92)\n"
      "  --max-pixels N the most pixels INPUT may have (default 200000000)\n"
      "  -h, --help     show this help\n\n"
      "Exit status: 0 on success, 1 when the conversion failed, 2 for a usage error.\n",
      extensions.c_str());
}

int UsageError(const char* format, const char* value) {
  std::fprintf(stderr, "brisol-cli convert: ");
  std::fprintf(stderr, format, value);
  std::fprintf(stderr, " (see --help)\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "brisol-cli convert: %s\n", message.c_str());
  return 1;
}

}  // namespace

int RunConvert(Args args) {
  // The boxes of the steps go to the log; failures are told in one line.
  const QuietAlerts quietAlerts;
  const char* input = nullptr;
  const char* output = nullptr;
  bool resize = false;
  SIZE newSize;
  SaveOptions options;
  std::string damage;
  LoadOptions load{.raise = "--max-pixels N", .damage = &damage};
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (!optionsDone && IsHelp(a)) {
      PrintHelp();
      return 0;
    }
    if (!optionsDone && (a == "--resize" || a == "--quality" || a == "--max-pixels" || a.starts_with("--resize=") ||
                         a.starts_with("--quality=") || a.starts_with("--max-pixels="))) {
      const std::size_t eq = a.find('=');
      const std::string_view name = a.substr(0, eq);
      std::string_view value;
      if (eq != std::string_view::npos) {
        value = a.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return UsageError("%s needs a value", std::string(name).c_str());
      }
      const std::string v(value);
      if (name == "--resize") {
        if (!ParseSize(value, newSize)) return UsageError("bad size '%s', expected WIDTHxHEIGHT", v.c_str());
        resize = true;
      } else if (name == "--max-pixels") {
        long long n = 0;
        if (!ParseInteger(value, 1, kMaxImagePixels, n))
          return UsageError("bad --max-pixels '%s', expected 1 to 400000000", v.c_str());
        load.maxPixels = n;
      } else {
        long long quality = 0;
        if (!ParseInteger(value, 1, 100, quality)) return UsageError("bad quality '%s', expected 1 to 100", v.c_str());
        options.jpegQuality = static_cast<int>(quality);
      }
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
      return UsageError("unknown option '%s'", args[i]);
    } else if (input == nullptr) {
      input = args[i];
    } else if (output == nullptr) {
      output = args[i];
    } else {
      return UsageError("unexpected argument '%s'", args[i]);
    }
  }
  if (output == nullptr) return UsageError("%s", "expected INPUT and OUTPUT");
  if (const std::string same = OutputIsInput(input, output); !same.empty()) return UsageError("%s", same.c_str());
  if (const Done target = CheckSaveTarget(output, resize ? newSize : SIZE{0, 0}); !target.ok())
    return Fail(target.message());
  // A size no picture may have is refused before the input is read.
  if (resize) {
    if (const Done possible = CheckResize(SIZE{0, 0}, newSize); !possible)
      return Fail("cannot resize " + QuotedName(input) + ": " + possible.message());
  }

  LoadResult loaded = [&] {
    const Making making("reading " + QuotedName(input));
    return LoadPicture(input, load);
  }();
  if (!loaded.ok()) return Fail(loaded.message());
  if (!damage.empty()) std::fprintf(stderr, "brisol-cli convert: warning: %s\n", damage.c_str());
  std::unique_ptr<CDADC> surface = std::move(loaded).value();
  const SIZE size = surface->GetSize();
  if (resize) {
    // The resampler's buffers for these two sizes, and the memory, before
    // it starts.
    if (const Done possible = CheckResize(size, newSize); !possible)
      return Fail("cannot resize " + QuotedName(input) + ": " + possible.message());
    const Making making("the picture of " + QuotedName(input) + " resized to " + std::to_string(newSize.cx) + " x " +
                        std::to_string(newSize.cy) + " pixels");
    if (!ResizeImage(&surface, newSize)) {
      return Fail("cannot resize " + QuotedName(input) + " to " + std::to_string(newSize.cx) + " x " +
                  std::to_string(newSize.cy) + " pixels: not enough memory");
    }
  }
  const Done saved = SaveImageFile(*surface, output, options);
  if (!saved.ok()) return Fail(saved.message());
  return 0;
}

}  // namespace brisol::cli
