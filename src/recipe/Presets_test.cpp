// Presets: listed from the user's folder before the bundled ones, saved,
// renamed and deleted in the user's folder only, and the bundled ones all
// readable and usable.
#include "recipe/Presets.h"

#include <gtest/gtest.h>

#include "RecipeTestSupport.h"
#include "effect/EffectParams.h"
#include "recipe/RecipeEffect.h"

namespace brisol {
namespace {

using test::TempDir;

std::vector<std::string> Names(const std::vector<PresetInfo>& presets) {
  std::vector<std::string> names;
  for (const PresetInfo& p : presets) names.push_back(p.name + (p.user ? " (user)" : ""));
  return names;
}

TEST(Presets, TheUsersHideBundledOnesOfTheSameName) {
  TempDir dir;
  const std::string user = dir.File("user"), bundled = dir.File("bundled");
  std::filesystem::create_directories(user);
  std::filesystem::create_directories(bundled + "/Folder.brisol");
  for (const char* f : {"Zebra.brisol", "apple.BRISOL", ".hidden.brisol", "notes.txt"})
    test::WriteFile(user + "/" + f, "format = 1\n");
  for (const char* f : {"Bold.brisol", "ZEBRA.brisol", "calm.brisol"})
    test::WriteFile(bundled + "/" + f, "format = 1\n");
  const std::vector<PresetInfo> presets = ListPresetsIn({user, bundled, dir.File("missing")}, user);
  EXPECT_EQ(Names(presets), (std::vector<std::string>{"apple (user)", "Zebra (user)", "Bold", "calm"}));
  EXPECT_EQ(presets[1].path, user + "/Zebra.brisol");
}

TEST(Presets, SavedRenamedAndDeletedInTheUsersFolder) {
  TempDir dir;
  const std::string folder = dir.File("Presets");  // made when first needed
  Recipe recipe;
  recipe.collection = "Stars";
  recipe.seed = 5;
  recipe.photo = "rose.jpg";
  recipe.photoSha256 = std::string(64, 'a');
  recipe.jpegQuality = 80;
  ASSERT_TRUE(SavePresetIn(folder, recipe, "Night Sky", false, false).ok());
  RecipeRead read = ReadRecipeFile(folder + "/Night Sky.brisol");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.recipe->collection, "Stars");
  EXPECT_EQ(read.recipe->photo, "");
  EXPECT_EQ(read.recipe->photoSha256, "");
  EXPECT_FALSE(read.recipe->seed.has_value());
  EXPECT_FALSE(read.recipe->jpegQuality.has_value());

  EXPECT_EQ(SavePresetIn(folder, recipe, "Night Sky", true, false).message(),
            "a preset named 'Night Sky' exists already");
  ASSERT_TRUE(SavePresetIn(folder, recipe, "Night Sky", true, true).ok());
  EXPECT_EQ(ReadRecipeFile(folder + "/Night Sky.brisol").recipe->seed, 5);

  ASSERT_TRUE(SavePresetIn(folder, recipe, "Day", false, false).ok());
  EXPECT_EQ(RenamePresetIn(folder, "Day", "Night Sky").message(), "a preset named 'Night Sky' exists already");
  ASSERT_TRUE(RenamePresetIn(folder, "Day", "DAY").ok());  // only the letter case
  ASSERT_TRUE(RenamePresetIn(folder, "DAY", "Morning").ok());
  EXPECT_EQ(Names(ListPresetsIn({folder}, folder)), (std::vector<std::string>{"Morning (user)", "Night Sky (user)"}));
  ASSERT_TRUE(DeletePresetIn(folder, "Morning").ok());
  EXPECT_EQ(DeletePresetIn(folder, "Morning").message(), "there is no preset of yours named 'Morning'");
  EXPECT_EQ(RenamePresetIn(folder, "Gone", "Here").message(), "there is no preset of yours named 'Gone'");
  EXPECT_EQ(Names(ListPresetsIn({folder}, folder)), (std::vector<std::string>{"Night Sky (user)"}));
}

TEST(Presets, APresetFileIsReadWithoutItsPhoto) {
  TempDir dir;
  Recipe recipe;
  recipe.seed = 12;
  recipe.photo = "rose.jpg";
  recipe.photoSha256 = std::string(64, 'b');
  recipe.jpegQuality = 90;
  ASSERT_TRUE(SaveRecipeFile(recipe, dir.File("look.brisol")).ok());
  const RecipeRead read = ReadPresetFile(dir.File("look.brisol"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.recipe->seed, 12);
  EXPECT_EQ(read.recipe->photo, "");
  EXPECT_EQ(read.recipe->photoSha256, "");
  EXPECT_FALSE(read.recipe->jpegQuality.has_value());
  EXPECT_FALSE(ReadPresetFile(dir.File("missing.brisol")).ok());
}

TEST(Presets, NamesThatCannotBeFilesAreRefused) {
  TempDir dir;
  struct Case {
    std::string name;
    const char* problem;
  };
  const Case cases[] = {
      {"", "a preset needs a name"},
      {"a/b", "a preset's name cannot hold '/'"},
      {"..", "a preset's name cannot begin with '.'"},
      {".hidden", "a preset's name cannot begin with '.'"},
      {" padded", "a preset's name cannot begin or end with a space"},
      {"tab\there", "a preset's name cannot hold control characters"},
      {std::string(101, 'x'), "a preset's name has at most 100 bytes"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckPresetName(c.name).message(), c.problem);
    EXPECT_EQ(SavePresetIn(dir.path().string(), Recipe(), c.name, false, true).message(), c.problem);
  }
  EXPECT_TRUE(CheckPresetName("Soft Glow (v2) \xC3\xA9").ok());
}

TEST(Presets, FoundByNameOrFile) {
  test::ScopedMainDirectory main;
  ASSERT_TRUE(SavePreset(Recipe(), "My Look", false, false).ok());
  EXPECT_EQ(UserPresetFolder(), main.Main() + "/Presets");
  EXPECT_EQ(FindPreset("my look"), main.Main() + "/Presets/My Look.brisol");
  EXPECT_EQ(FindPreset("./elsewhere.brisol"), "./elsewhere.brisol");
  EXPECT_EQ(FindPreset("No Such Look"), "");
  const std::vector<PresetInfo> all = ListPresets();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().name, "My Look");
  EXPECT_TRUE(all.front().user);
}

TEST(Presets, TheBundledOnesAreAtLeastTenAndAllUsable) {
  test::ScopedMainDirectory main;  // no user presets
  test::ScopedAlertRecorder alerts;
  const std::vector<PresetInfo> presets = ListPresets();
  EXPECT_GE(presets.size(), 10u);
  std::vector<std::string> collections, mixes;
  for (const PresetInfo& p : presets) {
    EXPECT_FALSE(p.user);
    const RecipeRead read = ReadRecipeFile(p.path);
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    EXPECT_TRUE(read.warnings.empty()) << p.name << ": " << read.warnings.front();
    EXPECT_EQ(read.recipe->photo, "") << p.name;
    EXPECT_FALSE(read.recipe->seed.has_value()) << p.name;
    EXPECT_FALSE(read.recipe->collection.empty()) << p.name;
    // Its collection is one that comes with the program, and it applies.
    CEffect effect;
    const RecipeApplied applied = ApplyRecipe(*read.recipe, effect, nullptr);
    EXPECT_TRUE(applied.ok()) << p.name << ": " << applied.message();
    EXPECT_TRUE(applied->empty()) << p.name << ": " << applied->front();
    collections.push_back(read.recipe->collection);
    mixes.push_back(FormatParamValue(*FindEffectParam("mix"), read.recipe->Value(*FindEffectParam("mix"))));
  }
  // They show the range: many collections and many mixes.
  std::sort(collections.begin(), collections.end());
  std::sort(mixes.begin(), mixes.end());
  EXPECT_GE(std::unique(collections.begin(), collections.end()) - collections.begin(), 8);
  EXPECT_GE(std::unique(mixes.begin(), mixes.end()) - mixes.begin(), 6);
}

}  // namespace
}  // namespace brisol
