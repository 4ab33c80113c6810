// Recipes and effects: every parameter goes round, a recipe is applied in
// one step or not at all, and a changed collection or photo is noticed.
#include "recipe/RecipeEffect.h"

#include <gtest/gtest.h>

#include "RecipeTestSupport.h"
#include "effect/Effect.h"
#include "effect/EffectParams.h"

namespace brisol {
namespace {

using test::TempDir;

// An effect whose every parameter is away from its default.
void MakeUnusual(CEffect& e) {
  e.SetSeed(-12345);
  e.SetSize(17.125);
  e.SetSizeVar(0.3);
  e.SetAngle(-33.5);
  e.SetAngleVar(12);
  e.SetSolidColVar(0.7);
  e.SetLineColVar(0.01);
  e.SetLineWidth(1.5);
  e.SetNumObjects(777);
  e.SetAreaCovered(12.5);
  e.SetMixSharpness(33);
  e.SetMixVisible(66);
  e.SetMixGeom(eMixEllipVignette);
  e.SetSizeReaction(eReactOpposite);
  e.SetAngleReaction(eReactRandom);
  e.SetNumObjReaction(eReactImage);
  e.SetBkg(eBkgSolid);
  e.SetSolidColSrc(eColSrcSingle);
  e.SetLineColSrc(eColSrcRandom);
  e.SetBkgColor(RGB(1, 2, 3));
  e.SetSolidColor(RGB(200, 100, 50));
  e.SetLineColor(RGB(9, 8, 7));
}

class RecipeEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = main.Main() + "/Effects";
    mine = test::MakeCollection(root, "Mine", {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
    test::MakeCollection(root, "Other", {{"c.dxf", test::LineDxf()}});
    test::MakeCollection(root, "Useless", {{"t.dxf", test::TextOnlyDxf()}});
  }

  test::ScopedMainDirectory main;
  test::ScopedAlertRecorder alerts;
  std::string root, mine;
};

TEST_F(RecipeEffectTest, EveryParameterGoesRound) {
  CEffect effect(mine.c_str());
  MakeUnusual(effect);
  const Recipe recipe = RecipeOf(effect, 2);
  EXPECT_EQ(recipe.collection, "Mine");
  EXPECT_EQ(recipe.collectionSha256.size(), 64u);
  EXPECT_EQ(recipe.seed, -12345);
  EXPECT_EQ(recipe.quality, 2);

  // Through the text, into an effect holding the same shapes.
  const RecipeRead read = ParseRecipe(RecipeText(recipe));
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  CEffect back(mine.c_str());
  ApplyRecipeValues(*read.recipe, back);
  EXPECT_TRUE(back == effect);
  for (const EffectParam& p : EffectParams()) EXPECT_EQ(p.get(back), p.get(effect)) << p.key;
}

TEST_F(RecipeEffectTest, ApplyingLoadsTheCollectionAndSetsSeedAndQuality) {
  CEffect source(mine.c_str());
  MakeUnusual(source);
  const Recipe recipe = RecipeOf(source, 2);

  CEffect effect((root + "/Other").c_str());
  int quality = 1;
  const RecipeApplied applied = ApplyRecipe(recipe, effect, &quality);
  ASSERT_TRUE(applied.ok()) << applied.message();
  EXPECT_TRUE(applied->empty());
  EXPECT_EQ(effect.GetEffectDir(), mine);
  EXPECT_EQ(effect.GetNumShapes(), 2u);
  EXPECT_TRUE(effect == source);
  EXPECT_EQ(quality, 2);
}

TEST_F(RecipeEffectTest, WhatTheRecipeLeavesOpenStaysAsItWas) {
  CEffect effect((root + "/Other").c_str());
  effect.SetSeed(4242);
  int quality = 2;
  Recipe preset;  // no collection, seed or quality
  preset.SetValue(*FindEffectParam("size"), 3);
  const RecipeApplied applied = ApplyRecipe(preset, effect, &quality);
  ASSERT_TRUE(applied.ok()) << applied.message();
  EXPECT_EQ(effect.GetEffectDir(), root + "/Other");
  EXPECT_EQ(effect.GetNumShapes(), 1u);
  EXPECT_EQ(effect.GetSeed(), 4242);
  EXPECT_EQ(effect.GetSize(), 3);
  EXPECT_EQ(effect.GetSizeVar(), CEffect::kDefaultSizeVar);  // the recipe's, the default
  EXPECT_EQ(quality, 2);
}

TEST_F(RecipeEffectTest, AFailedApplicationChangesNothing) {
  struct Case {
    const char* collection;
    const char* message;
  };
  const Case cases[] = {
      {"Nowhere", "the collection 'Nowhere' is not installed"},
      {"Useless", "the collection 'Useless' has no usable drawing: '"},
  };
  for (const Case& c : cases) {
    CEffect effect(mine.c_str());
    MakeUnusual(effect);
    const auto before = effect.Snapshot();
    Recipe recipe;
    recipe.collection = c.collection;
    recipe.seed = 1;
    recipe.quality = 2;
    int quality = 1;
    const RecipeApplied applied = ApplyRecipe(recipe, effect, &quality);
    EXPECT_FALSE(applied.ok());
    EXPECT_TRUE(applied.message().starts_with(c.message)) << applied.message();
    EXPECT_TRUE(effect == *before) << c.collection;
    EXPECT_EQ(effect.GetShape(0), before->GetShape(0));
    EXPECT_EQ(quality, 1);
  }
}

TEST_F(RecipeEffectTest, CollectionHashFollowsTheDrawings) {
  const std::string first = CollectionSha256(CEffect(mine.c_str()));
  EXPECT_EQ(first.size(), 64u);
  EXPECT_EQ(CollectionSha256(CEffect(mine.c_str())), first);
  EXPECT_EQ(CollectionSha256(CEffect()), "");

  // The same drawings in another folder: the same hash.
  const std::string copy =
      test::MakeCollection(root, "Copy", {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
  EXPECT_EQ(CollectionSha256(CEffect(copy.c_str())), first);
  // A drawing changed, renamed, or one more: another hash.
  test::MakeCollection(root, "Copy", {{"b.dxf", test::LineDxf()}});
  EXPECT_NE(CollectionSha256(CEffect(copy.c_str())), first);
  const std::string renamed =
      test::MakeCollection(root, "Renamed", {{"a.dxf", test::SquareDxf()}, {"c.dxf", test::CircleDxf()}});
  EXPECT_NE(CollectionSha256(CEffect(renamed.c_str())), first);
  const std::string more = test::MakeCollection(
      root, "More", {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}, {"c.dxf", test::LineDxf()}});
  EXPECT_NE(CollectionSha256(CEffect(more.c_str())), first);
}

TEST_F(RecipeEffectTest, ChangedDrawingsAndPhotoAreToldAndThePictureStillMade) {
  TempDir dir;
  const std::string photo = test::WritePhoto(dir.File("photo.bmp"));
  const std::string other = test::WritePhoto(dir.File("other.bmp"), 48, 32, 2);
  CEffect source(mine.c_str());
  Recipe recipe = RecipeOf(source, 1);
  ASSERT_TRUE(SetRecipePhoto(recipe, photo));
  EXPECT_EQ(recipe.photo, "photo.bmp");

  CEffect effect;
  ApplyOptions same{photo};
  RecipeApplied applied = ApplyRecipe(recipe, effect, nullptr, same);
  ASSERT_TRUE(applied.ok());
  EXPECT_TRUE(applied->empty());

  test::MakeCollection(root, "Mine", {{"b.dxf", test::LineDxf()}});
  CEffect changed;
  applied = ApplyRecipe(recipe, changed, nullptr, ApplyOptions{other});
  ASSERT_TRUE(applied.ok()) << applied.message();
  ASSERT_EQ(applied->size(), 2u);
  EXPECT_EQ((*applied)[0],
            "the drawings of the collection 'Mine' are not those the recipe was made with, so the picture may differ");
  EXPECT_EQ((*applied)[1], "the photo 'other.bmp' is not the one the recipe was made with ('photo.bmp')");
  EXPECT_EQ(changed.GetNumShapes(), 2u);
}

}  // namespace
}  // namespace brisol
