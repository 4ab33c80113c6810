// The look of `render` and `batch`: the collection, every effect parameter,
// the seed and the quality, from options, recipes and presets taken in the
// order given, so that options after --recipe or --preset override its
// values and a recipe overrides the options before it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ArgParse.h"
#include "effect/Effect.h"
#include "recipe/Recipe.h"

namespace brisol::cli {

struct Look {
  CEffect effect;  // with its collection's shapes
  int quality = 1;
  std::optional<int> jpegQuality;
  // The word --seed was last given instead of a number ("random",
  // "from-name"), if it was.
  bool seedWord = false;
  // The preset's name, the recipe file's name without extension, or else
  // the collection's name.
  std::string name;
  // The last recipe or preset given (for the photo it was made from).
  std::optional<Recipe> recipe;
};

// The options that take a value and make the look.
std::vector<std::string_view> LookOptionNames();

// Builds the look from the options (others are passed over). seedWord is the
// word --seed takes besides a number. Notices collect what the user should
// know (values clamped, keys left out, drawings that differ from a recipe's).
// A bad option value is Status::Invalid (a usage error); a recipe, preset or
// collection that cannot be had fails with its own status.
Done BuildLook(const ParsedArgs& parsed, std::string_view seedWord, Look& look, std::vector<std::string>& notices);

// The help of the look's options besides the effect parameters.
std::string LookOptionsHelp(std::string_view seedHelp);

}  // namespace brisol::cli
