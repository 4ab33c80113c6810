// brisol-cli: batch work, checks and benchmarks without the GUI.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "Commands.h"
#include "logger/Logger.h"

namespace brisol::cli {
namespace {

constexpr Command kCommands[] = {
    {"render", "paint a photo anew with the shapes of an effect collection", RunRender},
    {"batch", "paint many photos alike, on several cores or machines", RunBatch},
    {"recipe", "print the recipe of a picture Brisol made or of a .brisol file", RunRecipe},
    {"presets", "list the presets found", RunPresets},
    {"effects", "list the effect collections found", RunEffects},
    {"demo", "make the demonstration picture (of a photo, or of a scene made in code)", RunDemo},
    {"identify", "tell the format, size and depth of picture files", RunIdentify},
    {"convert", "convert a picture file to another format, optionally resized", RunConvert},
    {"dxf-info", "read DXF drawings and report what the reader kept", RunDxfInfo},
    {"testcard", "draw a test picture through the drawing context into a BMP file", RunTestcard},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: brisol-cli COMMAND [ARGS...]\n"
               "       brisol-cli COMMAND --help\n\n"
               "Commands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-12.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.summary.size()), command.summary.data());
  }
  std::fprintf(out,
               "\nEnvironment:\n"
               "  BRISOL_LOG=FILE  keep a log of internal details (codes, messages) in FILE\n"
               "  BRISOL_TRACE=1   show the DXF reader's traces on standard error\n");
}

}  // namespace

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

}  // namespace brisol::cli

int main(int argc, char** argv) {
  using namespace brisol::cli;
  // The log of internal details (codes, the boxes a command keeps out of
  // sight) is kept only when asked for.
  if (const char* log = std::getenv("BRISOL_LOG"); log != nullptr && *log != '\0') {
    brisol::TheLogger().SetToFile(log, false);
  }
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string_view name = argv[1];
  if (IsHelp(name)) {
    PrintUsage(stdout);
    return 0;
  }
  for (const Command& command : kCommands) {
    if (command.name == name) return command.run(Args(argv + 2, static_cast<std::size_t>(argc - 2)));
  }
  std::fprintf(stderr, "brisol-cli: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
