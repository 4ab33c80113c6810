#include "LookOptions.h"

#include <filesystem>

#include "EffectLoading.h"
#include "RenderOptions.h"
#include "effect/EffectParams.h"
#include "effect/EffectPaths.h"
#include "recipe/Presets.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol::cli {
namespace {

constexpr std::string_view kLookOptions[] = {"--effect",       "--quality", "--seed",
                                             "--jpeg-quality", "--recipe",  "--preset"};

std::string Stem(const std::string& path) { return std::filesystem::path(path).stem().string(); }

// Where the shapes come from: a collection named by a recipe (looked up by
// name only), or by --effect (a name or a folder).
struct CollectionChoice {
  std::string nameOrFolder;
  bool fromRecipe = false;
  std::string recipeSha256;
};

Done ReadLookFile(const std::string& path, bool preset, Look& look, CollectionChoice& collection,
                  std::vector<std::string>& notices) {
  RecipeRead read = preset ? ReadPresetFile(path) : ReadRecipeFile(path);
  for (std::string& w : read.warnings) notices.push_back(std::move(w));
  if (!read.ok()) {
    std::string message;
    for (const std::string& e : read.errors) message += (message.empty() ? "" : "\n") + e;
    return Fail(message);
  }
  const Recipe& recipe = *read.recipe;
  ApplyRecipeValues(recipe, look.effect);
  if (recipe.seed) look.seedWord = false;
  if (recipe.quality) look.quality = *recipe.quality;
  if (recipe.jpegQuality) look.jpegQuality = recipe.jpegQuality;
  if (!recipe.collection.empty()) collection = {recipe.collection, true, recipe.collectionSha256};
  look.name = Stem(path);
  look.recipe = recipe;
  return {};
}

}  // namespace

std::vector<std::string_view> LookOptionNames() {
  std::vector<std::string_view> names = EffectOptionNames();
  names.insert(names.end(), std::begin(kLookOptions), std::end(kLookOptions));
  return names;
}

Done BuildLook(const ParsedArgs& parsed, std::string_view seedWord, Look& look, std::vector<std::string>& notices) {
  CollectionChoice collection;
  std::vector<std::string> givenOptions;
  for (const auto& [name, value] : parsed.options) {
    long long n = 0;
    if (name == "--recipe" || name == "--preset") {
      const bool preset = name == "--preset";
      const std::string path = preset ? FindPreset(value) : value;
      if (path.empty()) return Fail(Status::NotFound, "unknown preset '" + value + "' (see 'brisol-cli presets')");
      if (Done read = ReadLookFile(path, preset, look, collection, notices); !read) return read;
    } else if (name == "--effect") {
      if (value.empty()) return Fail(Status::Invalid, "--effect takes a collection name or a folder");
      collection = {value, false, {}};
    } else if (name == "--quality") {
      if (!ParseInteger(value, Recipe::kMinQuality, Recipe::kMaxQuality, n))
        return Fail(Status::Invalid, "--quality takes 1 or 2");
      look.quality = static_cast<int>(n);
    } else if (name == "--jpeg-quality") {
      if (!ParseInteger(value, 1, 100, n)) return Fail(Status::Invalid, "--jpeg-quality takes 1 to 100");
      look.jpegQuality = static_cast<int>(n);
    } else if (name == "--seed") {
      if (value == seedWord) {
        look.seedWord = true;
      } else if (ParseInteger(value, -2147483648LL, 4294967295LL, n)) {
        look.effect.SetSeed(static_cast<int>(static_cast<std::uint32_t>(n)));
        look.seedWord = false;
      } else {
        return Fail(Status::Invalid, "--seed takes a whole number or '" + std::string(seedWord) + "'");
      }
    } else if (FindEffectParam(name) != nullptr) {
      givenOptions.push_back(name);
      if (Done applied = ApplyEffectOption(look.effect, name, value, notices); !applied) return applied;
    }
  }

  std::string folder = collection.nameOrFolder;
  if (collection.fromRecipe) {
    folder = FindCollectionByName(collection.nameOrFolder);
    if (folder.empty()) {
      return Fail(Status::NotFound,
                  "the recipe's collection '" + collection.nameOrFolder +
                      "' is not installed (see 'brisol-cli effects'); give --effect after it to use another");
    }
  } else if (folder.empty()) {
    folder = DefaultCollection().directory;
    if (folder.empty()) return Fail(Status::NotFound, "no effect collection is installed");
  }
  if (Done loaded = LoadEffectShapes(folder, look.effect, notices); !loaded) return loaded;
  if (collection.fromRecipe) {
    Recipe expected;
    expected.collectionSha256 = collection.recipeSha256;
    if (auto differs = CollectionDiffers(expected, look.effect)) notices.push_back(*differs);
  }
  if (look.name.empty()) look.name = Stem(look.effect.GetEffectDir());
  for (std::string& notice : InactiveOptionNotices(look.effect, givenOptions)) notices.push_back(std::move(notice));
  return {};
}

std::string LookOptionsHelp(std::string_view seedHelp) {
  return "  --preset NAME|FILE     a preset's look (see 'brisol-cli presets')\n"
         "  --recipe PICTURE|FILE  the look of a picture Brisol made (PNG, JPEG, SVG,\n"
         "                         PDF, EPS, PS) or of a .brisol file, - for standard\n"
         "                         input: collection, settings, seed and quality\n"
         "                         (options after it override its values)\n"
         "  --effect NAME|DIR      collection by name (see 'brisol-cli effects') or folder\n"
         "                         [the first bundled collection]\n"
         "  --quality 1|2          1 draws at the picture's size, 2 at twice the size and\n"
         "                         averages down (smoother edges) [1]\n" +
         std::string(seedHelp) + "  --jpeg-quality N       JPEG output quality, 1..100 [92]\n";
}

}  // namespace brisol::cli
