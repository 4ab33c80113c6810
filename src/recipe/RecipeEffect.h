// Between recipes and effects: the recipe of an effect, and a recipe put
// into an effect as one step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "recipe/Recipe.h"

#include "logger/Outcome.h"

namespace brisol {

class CEffect;

// The recipe of an effect drawn at a quality: the collection's name (its
// folder's last part) and the hash of its drawings, every parameter, the
// seed and the quality. No photo.
Recipe RecipeOf(const CEffect& effect, int quality);

// A SHA-256 over the drawings the effect holds, in its order: for each, the
// file name without its folder, a zero byte, the size as 8 bytes (most
// significant first) and the contents. Empty when the effect holds none or
// a file cannot be read any more.
std::string CollectionSha256(const CEffect& effect);

// Puts the photo's file name (without its folder) and SHA-256 into the
// recipe; false, with the system's reason in why, when it cannot be read
// (the recipe then names the photo without a hash).
bool SetRecipePhoto(Recipe& recipe, const std::string& photoPath, std::string* why = nullptr);

// Sets every parameter of the recipe, and the seed when it gives one, in
// the effect; its shapes stay as they are.
void ApplyRecipeValues(const Recipe& recipe, CEffect& effect);

// The folder of the collection of that name (letter case ignored), in the
// lookup order of the effect collections (with mainDirectory's own first,
// when one is given); empty when none has it.
std::string FindCollectionByName(const std::string& name, const std::string& mainDirectory = {});

// What the user should hear when a collection's drawings or a photo are not
// those the recipe was made with; nothing when they are, or the recipe
// keeps no hash of them.
std::optional<std::string> CollectionDiffers(const Recipe& recipe, const CEffect& effect);
std::optional<std::string> PhotoDiffers(const Recipe& recipe, const std::string& photoPath);

struct ApplyOptions {
  // The photo of the picture the recipe is applied to, compared with the
  // recipe's; empty: not compared.
  std::string photoPath;
  // The main directory whose own collections are looked in first (the
  // desktop program's may be set by hand); empty: the usual one.
  std::string mainDirectory = {};
};

// What applying a recipe has to tell besides: the collection or photo
// differ, drawings left out.
using RecipeNotices = std::vector<std::string>;
// Applied with its notices, or why it could not be (NotFound for a
// collection that is not installed).
using RecipeApplied = Outcome<RecipeNotices>;

// Applies the recipe to the effect in one step: the collection it names is
// loaded (unless the effect holds that one already), then every parameter,
// the seed and, when quality is given, the quality are set. A recipe without
// a collection keeps the effect's, one without a seed or quality keeps
// those. When the collection cannot be found or has no usable drawing, the
// effect and the quality are left as they were and message says why.
RecipeApplied ApplyRecipe(const Recipe& recipe, CEffect& effect, int* quality, const ApplyOptions& options = {});

}  // namespace brisol
