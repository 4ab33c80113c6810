// brisol-cli dxf-info: reads DXF drawings as the effects do and reports what
// the reader kept.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "DxfInfoReport.h"
#include "Making.h"
#include "logger/Format.h"
#include "logger/RepeatFolder.h"

namespace brisol::cli {

int RunDxfInfo(Args args) {
  bool json = false;
  bool optionsDone = false;
  std::vector<const char*> files;
  for (char* const arg : args) {
    const std::string_view a = arg;
    if (optionsDone) {
      files.push_back(arg);
      continue;
    }
    if (a == "--") {
      optionsDone = true;
      continue;
    }
    if (IsHelp(a)) {
      std::printf(
          "Usage: brisol-cli dxf-info [--json] [--] FILE...\n\n"
          "Reads each DXF drawing as an effect reads its shapes and reports what was\n"
          "kept: the top-level entities by type (LWPOLYLINE counts as POLYLINE), the\n"
          "layers, the blocks, the extents, whether an effect would use the drawing\n"
          "(it needs a LINE, POLYLINE or CIRCLE of some size on a layer that is on) and\n"
          "every message of the read.\n\n"
          "  --json   one JSON object per file, one per line\n"
          "  --       the arguments after it are files, also those beginning with -\n\n"
          "Exit status: 0 when every file was read up to EOF, 1 otherwise, 2 for bad\n"
          "arguments.\n");
      return 0;
    }
    if (a == "--json") {
      json = true;
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "brisol-cli dxf-info: unknown option %s\n", QuotedName(arg).c_str());
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "brisol-cli dxf-info: expected FILE... [--json]\n");
    return 2;
  }
  bool allRead = true;
  for (const char* file : files) {
    const Making making("the report on " + QuotedName(file));
    const DxfInfoReport report = ReadDxfInfo(file);
    FlushStderrRepeats();  // the shape library's own output of this file, told in full
    allRead = allRead && report.readOk;
    const std::string text = json ? DxfInfoJson(report) + "\n" : DxfInfoText(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  std::fflush(stdout);
  return allRead ? 0 : 1;
}

}  // namespace brisol::cli
