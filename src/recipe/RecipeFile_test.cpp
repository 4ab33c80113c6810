// Recipes read back from the pictures that hold them and from their own
// text files, and every file that holds none told as such in one line.
#include "recipe/RecipeFile.h"

#include <gtest/gtest.h>

#include "RecipeTestSupport.h"
#include "effect/EffectParams.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"

namespace brisol {
namespace {

using test::TempDir;

Recipe Sample() {
  Recipe r;
  r.collection = "Stars";
  r.collectionSha256 = std::string(64, 'c');
  r.seed = 99;
  r.quality = 2;
  r.photo = "rose.jpg";
  r.photoSha256 = std::string(64, 'e');
  r.SetValue(*FindEffectParam("size"), 12.5);
  r.SetValue(*FindEffectParam("mix"), 9);
  return r;
}

std::string SavePicture(const std::string& path, const Recipe* recipe) {
  SaveOptions options;
  if (recipe != nullptr) PutRecipe(options, *recipe);
  EXPECT_TRUE(SaveImageFile(test::MakePhoto(40, 30), path, options).ok()) << path;
  return path;
}

std::string OnlyError(const RecipeRead& read) {
  EXPECT_FALSE(read.ok());
  EXPECT_EQ(read.errors.size(), 1u);
  return read.errors.empty() ? std::string() : read.errors[0];
}

TEST(RecipeFile, PngJpegAndTextFilesGiveTheRecipeBack) {
  TempDir dir;
  const Recipe recipe = Sample();
  ASSERT_TRUE(SaveRecipeFile(recipe, dir.File("look.brisol")).ok());
  for (const std::string& path :
       {SavePicture(dir.File("p.png"), &recipe), SavePicture(dir.File("p.jpg"), &recipe), dir.File("look.brisol")}) {
    const RecipeRead read = ReadRecipeFile(path);
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    EXPECT_EQ(*read.recipe, recipe) << path;
    EXPECT_TRUE(read.warnings.empty());
  }
  // The file's own name does not matter; its bytes do.
  std::filesystem::copy_file(dir.File("p.png"), dir.File("picture.brisol"));
  EXPECT_TRUE(ReadRecipeFile(dir.File("picture.brisol")).ok());
}

TEST(RecipeFile, TheRecipeNeverChangesAPixel) {
  TempDir dir;
  const Recipe recipe = Sample();
  for (const char* ext : {"png", "jpg"}) {
    const LoadResult with = LoadPicture(SavePicture(dir.File(std::string("with.") + ext), &recipe));
    const LoadResult without = LoadPicture(SavePicture(dir.File(std::string("without.") + ext), nullptr));
    ASSERT_TRUE(with.ok() && without.ok()) << ext;
    const PixelBlock a = (*with)->GetBlock(), b = (*without)->GetBlock();
    ASSERT_EQ(a.height, b.height);
    for (int y = 0; y < a.height; ++y)
      EXPECT_EQ(std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(a.width) * 3), 0) << ext << " row " << y;
  }
}

TEST(RecipeFile, PicturesWithoutRoomForARecipeSaySo) {
  TempDir dir;
  const Recipe recipe = Sample();
  for (const char* name : {"p.bmp", "p.tga", "p.pcx"}) {
    const std::string path = SavePicture(dir.File(name), &recipe);
    EXPECT_EQ(test::ReadFile(path).find("format = 1"), std::string::npos) << name;
    const std::string error = OnlyError(ReadRecipeFile(path));
    EXPECT_NE(error.find("picture cannot hold a recipe; only PNG, JPEG, SVG, PDF, EPS and PS files can"),
              std::string::npos)
        << error;
    EXPECT_TRUE(error.starts_with("'" + path + "': a ")) << error;
  }
}

TEST(RecipeFile, FilesThatHoldNoRecipeAreToldInOneLine) {
  TempDir dir;
  const std::string png = SavePicture(dir.File("plain.png"), nullptr);
  const std::string jpg = SavePicture(dir.File("plain.jpg"), nullptr);
  test::WriteFile(dir.File("empty.brisol"), "");
  test::WriteFile(dir.File("notes.brisol"), "Just some notes.\n");
  test::WriteFile(dir.File("big.brisol"), "format = 1\n" + std::string(70000, '#'));
  std::filesystem::create_directories(dir.File("folder.brisol"));
  struct Case {
    std::string path;
    const char* message;
  };
  const Case cases[] = {
      {png, "the picture holds no Brisol recipe"},
      {jpg, "the picture holds no Brisol recipe"},
      {dir.File("missing.brisol"), "No such file or directory"},
      {dir.File("folder.brisol"), "it is a folder"},
      {dir.File("empty.brisol"), "the file is empty"},
      {dir.File("notes.brisol"), "not a Brisol recipe: it must begin with 'format = 1'"},
      {dir.File("big.brisol"), "too large for a recipe (70011 bytes; a recipe has at most 65536)"},
  };
  for (const Case& c : cases) {
    const std::string error = OnlyError(ReadRecipeFile(c.path));
    EXPECT_TRUE(error.starts_with("'" + c.path + "': ")) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(RecipeFile, MessagesOfTheTextNameTheFileAndLine) {
  TempDir dir;
  const std::string path = dir.File("hand.brisol");
  test::WriteFile(path, "format = 1\nglitter = 2\nsize = 99\n");
  const RecipeRead read = ReadRecipeFile(path);
  ASSERT_EQ(read.errors.size(), 1u);
  EXPECT_EQ(read.errors[0], "'" + path + "', line 3: bad value '99' for size (accepted: 0.1 to 30)");
  ASSERT_EQ(read.warnings.size(), 1u);
  EXPECT_EQ(read.warnings[0], "'" + path + "', line 2: unknown key 'glitter' left out");
}

TEST(RecipeFile, APictureCutShortStillGivesTheRecipeWrittenAtItsStart) {
  TempDir dir;
  const Recipe recipe = Sample();
  for (const char* name : {"cut.png", "cut.jpg"}) {
    const std::string whole = test::ReadFile(SavePicture(dir.File(name), &recipe));
    const std::size_t end = whole.find("photo-sha256") + 84;  // and a PNG chunk's checksum
    test::WriteFile(dir.File(name), whole.substr(0, end));
    const RecipeRead read = ReadRecipeFile(dir.File(name));
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    EXPECT_EQ(*read.recipe, recipe);
    // Cut inside the recipe: no recipe, and it says the file is cut short.
    test::WriteFile(dir.File(name), whole.substr(0, whole.find("size = ")));
    EXPECT_NE(OnlyError(ReadRecipeFile(dir.File(name))).find("cut short before any recipe"), std::string::npos);
  }
}

TEST(RecipeFile, TheRecipeIsFoundAmongOtherComments) {
  TempDir dir;
  const Recipe recipe = Sample();
  std::string jpeg = test::ReadFile(SavePicture(dir.File("p.jpg"), &recipe));
  const std::string theirs(
      "\xFF\xFE\x00\x0E"
      "format photo",
      16);
  jpeg.insert(2, theirs);
  test::WriteFile(dir.File("p.jpg"), jpeg);
  // Another program's comment, even one that begins like a recipe, is passed by.
  const RecipeRead read = ReadRecipeFile(dir.File("p.jpg"));
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  EXPECT_EQ(*read.recipe, recipe);
  // Alone, it is told as the broken recipe it seems to be.
  const std::string alone = test::ReadFile(SavePicture(dir.File("q.jpg"), nullptr)).insert(2, theirs);
  test::WriteFile(dir.File("q.jpg"), alone);
  const std::string error = OnlyError(ReadRecipeFile(dir.File("q.jpg")));
  EXPECT_NE(error.find("not a Brisol recipe"), std::string::npos) << error;
}

TEST(RecipeFile, SavingReplacesWholeAndTellsWhyNot) {
  TempDir dir;
  const std::string path = dir.File("look.brisol");
  test::WriteFile(path, "old");
  ASSERT_TRUE(SaveRecipeFile(Sample(), path).ok());
  EXPECT_EQ(test::ReadFile(path), RecipeText(Sample()));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string(), "look.brisol");
  const Done failed = SaveRecipeFile(Sample(), dir.File("no/such/folder/look.brisol"));
  EXPECT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find("No such file or directory"), std::string::npos) << failed.message();
}

}  // namespace
}  // namespace brisol
