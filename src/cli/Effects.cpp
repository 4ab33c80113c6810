// brisol-cli effects: the effect collections found, in lookup order.
#include <cstdio>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "Json.h"
#include "Making.h"
#include "QuietAlerts.h"
#include "effect/Effect.h"
#include "effect/EffectPaths.h"
#include "logger/Format.h"

namespace brisol::cli {

int RunEffects(Args args) {
  const auto parsedArgs = ParseArgs(args, {}, {"--json"});
  if (!parsedArgs) return UsageError("effects", parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    std::printf(
        "Usage: brisol-cli effects [--json]\n\n"
        "Lists the effect collections found, in lookup order: the user's own\n"
        "(%s/Effects), then those installed with the program.\n"
        "Each line gives the name, the number of usable shapes and the folder.\n"
        "With --json: a list of {\"name\": ..., \"directory\": ..., \"shapes\": N}.\n",
        MainDirectory().c_str());
    return 0;
  }
  if (!parsed.positionals.empty()) {
    std::fprintf(stderr, "brisol-cli effects: unexpected argument '%s'\n", parsed.positionals[0].c_str());
    return 2;
  }
  const bool json = !parsed.flags.empty();
  if (json) std::printf("[");
  bool first = true;
  for (const EffectCollection& collection : ListCollections()) {
    const Making making("the shapes of " + QuotedName(collection.directory));
    unsigned shapes;
    {
      // Rejected drawings are the collection's business here, not messages.
      QuietAlerts quiet;
      shapes = CEffect(collection.directory.c_str()).GetNumShapes();
    }
    if (json) {
      std::printf("%s\n  {\"name\": %s, \"directory\": %s, \"shapes\": %u}", first ? "" : ",",
                  JsonString(collection.name).c_str(), JsonString(collection.directory).c_str(), shapes);
    } else {
      std::printf("%-16s %4u  %s\n", collection.name.c_str(), shapes, collection.directory.c_str());
    }
    first = false;
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return 0;
}

}  // namespace brisol::cli
