// brisol-cli identify: each picture file's format, size and depth as the
// imaging layer's information operation reads them.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "Json.h"
#include "Making.h"
#include "PictureFiles.h"
#include "imageio/LoadPicture.h"
#include "logger/Format.h"

namespace brisol::cli {
namespace {

void PrintHelp() {
  std::printf(
      "Usage: brisol-cli identify [--json] FILE...\n\n"
      "Tells each picture file's format, width, height and bits per pixel as the\n"
      "file states them, without reading its pixels. The format follows the file\n"
      "name's extension (%s; any letter case); other\n"
      "names are recognised by their first bytes (not TGA, which has none).\n"
      "A JPEG photo with an EXIF orientation reports its upright size.\n\n"
      "Options:\n"
      "  --json      print a JSON array, one object per file with the keys\n"
      "              file, format, width, height, depth and error (null on success)\n"
      "  -h, --help  show this help\n\n"
      "Exit status: 0 when every file was identified, 1 when some were not,\n"
      "2 for a usage error.\n",
      PictureExtensionsText().c_str());
}

struct Result {
  std::string file;
  std::string format;  // empty when unknown
  ImageInfo info;
  std::string error;  // empty on success
};

Result Identify(const char* path) {
  Result r;
  r.file = path;
  const PictureFormat* format = FormatOfFile(path);
  const std::string openProblem = OpenProblem(path).message();
  if (format == nullptr) {
    r.error = openProblem.empty() ? "not a picture file of a known format" : openProblem;
    return r;
  }
  r.format = std::string(format->name);
  const int rc = format->info(path, r.info).code;
  if (rc != kImgOk) {
    const bool cannotOpen = rc == kImgErrOpen || rc == kImgErrNotRegular;
    r.error = cannotOpen && !openProblem.empty() ? openProblem : ImgResultText(rc);
  }
  return r;
}

void PrintJson(const std::vector<Result>& results) {
  std::printf("[");
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Result& r = results[i];
    const bool ok = r.error.empty();
    std::printf("%s\n  {\"file\": %s, \"format\": %s, ", i ? "," : "", JsonString(r.file).c_str(),
                r.format.empty() ? "null" : JsonString(r.format).c_str());
    if (ok) {
      std::printf("\"width\": %d, \"height\": %d, \"depth\": %d, \"error\": null}", r.info.width, r.info.height,
                  r.info.depth);
    } else {
      std::printf("\"width\": null, \"height\": null, \"depth\": null, \"error\": %s}", JsonString(r.error).c_str());
    }
  }
  std::printf("%s]\n", results.empty() ? "" : "\n");
}

}  // namespace

int RunIdentify(Args args) {
  bool json = false;
  bool optionsDone = false;
  std::vector<const char*> files;
  for (char* arg : args) {
    const std::string_view a = arg;
    if (!optionsDone && IsHelp(a)) {
      PrintHelp();
      return 0;
    }
    if (!optionsDone && a == "--json") {
      json = true;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "brisol-cli identify: unknown option '%s' (see --help)\n", arg);
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "brisol-cli identify: no file given (see --help)\n");
    return 2;
  }
  std::vector<Result> results;
  bool allOk = true;
  for (const char* file : files) {
    const Making making("the information of " + QuotedName(file));
    results.push_back(Identify(file));
    allOk = allOk && results.back().error.empty();
  }
  if (json) {
    PrintJson(results);
  } else {
    for (const Result& r : results) {
      if (r.error.empty()) {
        std::printf("%s: %s %d x %d, %d bits per pixel\n", OneLineText(r.file).c_str(), r.format.c_str(), r.info.width,
                    r.info.height, r.info.depth);
      } else {
        std::fflush(stdout);
        std::fprintf(stderr, "brisol-cli identify: %s: %s\n", OneLineText(r.file).c_str(), r.error.c_str());
      }
    }
  }
  return allOk ? 0 : 1;
}

}  // namespace brisol::cli
