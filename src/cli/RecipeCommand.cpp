// brisol-cli recipe: the recipe a picture or a .brisol file holds.
#include <cstdio>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "Json.h"
#include "recipe/RecipeFile.h"

namespace brisol::cli {
namespace {

// The recipe as one JSON object with the file's keys: numbers as numbers,
// names, choices, colours and hashes as strings.
std::string RecipeJson(const Recipe& recipe) {
  std::string json = "{";
  for (const RecipeEntry& entry : RecipeEntries(recipe)) {
    json.append(json.size() == 1 ? "\n  " : ",\n  ").append(JsonString(std::string(entry.key))).append(": ");
    json.append(entry.number ? entry.value : JsonString(entry.value));
  }
  return json + "\n}\n";
}

}  // namespace

int RunRecipe(Args args) {
  const auto parsedArgs = ParseArgs(args, {}, {"--json"});
  if (!parsedArgs) return UsageError("recipe", parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    std::printf(
        "Usage: brisol-cli recipe PICTURE|FILE|- [--json]\n\n"
        "Prints the recipe of a picture Brisol made (PNG, JPEG, or a vector file:\n"
        "SVG, PDF, EPS, PS), or of a .brisol file (- reads either from standard\n"
        "input): the collection and a SHA-256 of\n"
        "its drawings, every setting, the seed, the quality and the photo with its\n"
        "SHA-256, as 'key = value' lines (a .brisol file's text) or, with --json,\n"
        "as one JSON object with the same keys. Unknown keys are warned of on\n"
        "standard error and left out.\n\n"
        "Exit status: 0 with a recipe, 1 when the file holds none or a bad one, 2\n"
        "for a usage error.\n");
    return 0;
  }
  if (parsed.positionals.size() != 1) {
    std::fprintf(stderr, "brisol-cli recipe: expected one PICTURE or FILE (see --help)\n");
    return 2;
  }
  const RecipeRead read = ReadRecipeFile(parsed.positionals[0]);
  for (const std::string& warning : read.warnings) std::fprintf(stderr, "brisol-cli recipe: %s\n", warning.c_str());
  for (const std::string& error : read.errors) std::fprintf(stderr, "brisol-cli recipe: %s\n", error.c_str());
  if (!read.ok()) return 1;
  const std::string text = parsed.flags.empty() ? RecipeText(*read.recipe) : RecipeJson(*read.recipe);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

}  // namespace brisol::cli
