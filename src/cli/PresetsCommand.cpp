// brisol-cli presets: the presets found, the user's first.
#include <cstdio>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "Json.h"
#include "recipe/Presets.h"

namespace brisol::cli {

int RunPresets(Args args) {
  const auto parsedArgs = ParseArgs(args, {}, {"--json"});
  if (!parsedArgs) return UsageError("presets", parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    std::printf(
        "Usage: brisol-cli presets [--json]\n\n"
        "Lists the presets that 'render --preset' and 'batch --preset' take: your\n"
        "own (%s), then those installed with the program. One of\n"
        "yours hides a bundled one of the same name. Each line gives the name,\n"
        "'user' or 'bundled', and the file.\n"
        "With --json: a list of {\"name\": ..., \"user\": true|false, \"path\": ...}.\n",
        UserPresetFolder().c_str());
    return 0;
  }
  if (!parsed.positionals.empty()) {
    std::fprintf(stderr, "brisol-cli presets: unexpected argument '%s'\n", parsed.positionals[0].c_str());
    return 2;
  }
  const bool json = !parsed.flags.empty();
  if (json) std::printf("[");
  bool first = true;
  for (const PresetInfo& p : ListPresets()) {
    if (json) {
      std::printf("%s\n  {\"name\": %s, \"user\": %s, \"path\": %s}", first ? "" : ",", JsonString(p.name).c_str(),
                  p.user ? "true" : "false", JsonString(p.path).c_str());
    } else {
      std::printf("%-24s %-8s %s\n", p.name.c_str(), p.user ? "user" : "bundled", p.path.c_str());
    }
    first = false;
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return 0;
}

}  // namespace brisol::cli
