// The recipe's text: what it holds, that it reads back to the same values,
// and how a bad, unknown, cut short or foreign text is told.
#include "recipe/Recipe.h"

#include <gtest/gtest.h>

#include "effect/EffectParams.h"

namespace brisol {
namespace {

const EffectParam& Param(const char* key) {
  const EffectParam* p = FindEffectParam(key);
  EXPECT_NE(p, nullptr) << key;
  return *p;
}

// A recipe with no value at its default, and awkward ones among them.
Recipe Unusual() {
  Recipe r;
  r.collection = "Stars";
  r.collectionSha256 = std::string(64, 'a');
  r.seed = -2147483647 - 1;
  r.quality = 2;
  r.jpegQuality = 77;
  r.photo = "rose garden.jpg";
  r.photoSha256 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  r.SetValue(Param("objects"), 10000);
  r.SetValue(Param("size"), 0.1);
  r.SetValue(Param("size-var"), 0.1 + 0.2);  // not short in decimal
  r.SetValue(Param("angle"), -180);
  r.SetValue(Param("angle-var"), 179.99999999999997);
  r.SetValue(Param("area"), 100);
  r.SetValue(Param("line-width"), 2);
  r.SetValue(Param("fill-var"), 1.0 / 3.0);
  r.SetValue(Param("line-var"), 0);
  r.SetValue(Param("size-reaction"), 1);
  r.SetValue(Param("angle-reaction"), 2);
  r.SetValue(Param("number-reaction"), 0);
  r.SetValue(Param("fill-source"), 2);
  r.SetValue(Param("line-source"), 1);
  r.SetValue(Param("fill-color"), 0x00123456);
  r.SetValue(Param("line-color"), 0x00FFFFFF);
  r.SetValue(Param("background"), 0);
  r.SetValue(Param("background-color"), 0x000000FF);
  r.SetValue(Param("mix"), 11);
  r.SetValue(Param("mix-sharpness"), 0);
  r.SetValue(Param("mix-visible"), 100);
  return r;
}

TEST(Recipe, TextReadsBackToTheSameValues) {
  for (const Recipe& recipe : {Recipe(), Unusual()}) {
    const std::string text = RecipeText(recipe);
    EXPECT_TRUE(text.starts_with("format = 1\n")) << text;
    const RecipeRead read = ParseRecipe(text);
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    EXPECT_TRUE(read.warnings.empty());
    EXPECT_EQ(*read.recipe, recipe) << text;
  }
}

TEST(Recipe, TextNamesEveryParameterByItsKey) {
  const std::string text = RecipeText(Unusual());
  for (const char* line :
       {"collection = Stars\n", "seed = -2147483648\n", "quality = 2\n", "objects = 10000\n", "size = 0.1\n",
        "mix = rect-frame\n", "fill-color = #563412\n", "background-color = #ff0000\n", "fill-source = random\n",
        "photo = rose garden.jpg\n", "jpeg-quality = 77\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  }
  for (const EffectParam& p : EffectParams())
    EXPECT_NE(text.find("\n" + std::string(p.key) + " = "), std::string::npos);
}

TEST(Recipe, MissingKeysKeepTheDefaultsAndLeaveSeedAndQualityOpen) {
  const RecipeRead read = ParseRecipe("format = 1\nsize = 12\n");
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  Recipe expected;
  expected.SetValue(Param("size"), 12);
  EXPECT_EQ(*read.recipe, expected);
  EXPECT_FALSE(read.recipe->seed.has_value());
  EXPECT_FALSE(read.recipe->quality.has_value());
  EXPECT_EQ(read.recipe->Value(Param("objects")), 3333);  // the effect's default
  EXPECT_EQ(read.recipe->Value(Param("size-var")), 0.5);
}

TEST(Recipe, HandWrittenTextIsRead) {
  const RecipeRead read = ParseRecipe(
      "# my look\r\n"
      "\r\n"
      "  format=1\r\n"
      "Size   =  7.25  \r\n"
      "\tmix = Circular Vignette\r\n"
      "fill-color = #FFaa00\r\n"
      "seed = 4294967295\r\n"
      "# the end, without a line end");
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  EXPECT_EQ(read.recipe->Value(Param("size")), 7.25);
  EXPECT_EQ(read.recipe->Value(Param("mix")), 7);  // the description's enumerator
  EXPECT_EQ(read.recipe->Value(Param("fill-color")), 0x0000AAFF);
  EXPECT_EQ(read.recipe->seed, -1);  // as --seed takes it: the same 32 bits
}

TEST(Recipe, BadValueGivesOneLineNamingKeyValueAndRange) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"size = 45", "line 2: bad value '45' for size (accepted: 0.1 to 30)"},
      {"size = 0.05", "line 2: bad value '0.05' for size (accepted: 0.1 to 30)"},
      {"size = big", "line 2: bad value 'big' for size (accepted: 0.1 to 30)"},
      {"size = nan", "line 2: bad value 'nan' for size (accepted: 0.1 to 30)"},
      {"angle = 181", "line 2: bad value '181' for angle (accepted: -180 to 180)"},
      {"objects = 10001", "line 2: bad value '10001' for objects (accepted: whole numbers 0 to 10000)"},
      {"objects = 3.5", "line 2: bad value '3.5' for objects (accepted: whole numbers 0 to 10000)"},
      {"mix-visible = -1", "line 2: bad value '-1' for mix-visible (accepted: whole numbers 0 to 100)"},
      {"size-reaction = sometimes",
       "line 2: bad value 'sometimes' for size-reaction (accepted: image, opposite or random)"},
      {"background = photo", "line 2: bad value 'photo' for background (accepted: color or original)"},
      {"fill-color = red", "line 2: bad value 'red' for fill-color (accepted: #rrggbb)"},
      {"quality = 3", "line 2: bad value '3' for quality (accepted: 1 or 2)"},
      {"seed = 1e3", "line 2: bad value '1e3' for seed (accepted: whole numbers -2147483648 to 4294967295)"},
      {"seed = 4294967296", "line 2: bad value '4294967296' for seed"},
      {"jpeg-quality = 0", "line 2: bad value '0' for jpeg-quality (accepted: whole numbers 1 to 100)"},
      {"collection = ../Stars", "line 2: bad value '../Stars' for collection"},
      {"collection =", "line 2: bad value '' for collection"},
      {"photo = a/b.jpg", "line 2: bad value 'a/b.jpg' for photo"},
      {"photo-sha256 = 1234", "line 2: bad value '1234' for photo-sha256 (accepted: 64 hexadecimal digits)"},
      {"just words", "line 2: 'just words' is not a 'key = value' line"},
      {"= 5", "line 2: '= 5' is not a 'key = value' line"},
  };
  for (const Case& c : cases) {
    const RecipeRead read = ParseRecipe(std::string("format = 1\n") + c.line + "\nsize-var = 0.25\n");
    EXPECT_FALSE(read.ok()) << c.line;
    ASSERT_EQ(read.errors.size(), 1u) << c.line;
    EXPECT_TRUE(read.errors[0].starts_with(c.message)) << read.errors[0];
    EXPECT_EQ(read.errors[0].find('\n'), std::string::npos);
  }
}

TEST(Recipe, EveryBadLineIsTold) {
  const RecipeRead read = ParseRecipe("format = 1\nsize = 45\nobjects = -1\nmix = off\nquality = 0\n");
  EXPECT_FALSE(read.ok());
  ASSERT_EQ(read.errors.size(), 3u);
  EXPECT_TRUE(read.errors[0].starts_with("line 2: ")) << read.errors[0];
  EXPECT_TRUE(read.errors[1].starts_with("line 3: ")) << read.errors[1];
  EXPECT_TRUE(read.errors[2].starts_with("line 5: ")) << read.errors[2];
}

TEST(Recipe, ATextBeginningWithAByteOrderMarkIsRead) {
  for (const char* text : {"\xEF\xBB\xBF"
                           "format = 1\nsize = 2\n",
                           "\xEF\xBB\xBF# saved by an editor\r\nformat=1\r\nsize=2"}) {
    const RecipeRead read = ParseRecipe(text);
    ASSERT_TRUE(read.ok()) << read.ErrorText();
    EXPECT_EQ(read.recipe->Value(Param("size")), 2);
  }
}

TEST(Recipe, UnknownKeyIsWarnedOfAndLeftOut) {
  const RecipeRead read = ParseRecipe("format = 1\nsparkle = 3\nsize = 2\n--size = 3\n");
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  ASSERT_EQ(read.warnings.size(), 2u);
  EXPECT_EQ(read.warnings[0], "line 2: unknown key 'sparkle' left out");
  EXPECT_EQ(read.warnings[1], "line 4: unknown key '--size' left out");
  EXPECT_EQ(read.recipe->Value(Param("size")), 2);
  EXPECT_EQ(RecipeText(*read.recipe).find("sparkle"), std::string::npos);
}

// A recipe of thousands of unknown keys gives a few warnings and a count,
// not a line each.
TEST(Recipe, ManyWarningsAreCappedAndCounted) {
  std::string text = "format = 1\n";
  while (text.size() + 4 <= kMaxRecipeBytes) text += "a=1\n";
  const RecipeRead read = ParseRecipe(text);
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  const std::size_t lines = (text.size() - 11) / 4;
  ASSERT_EQ(read.warnings.size(), 21u);
  EXPECT_EQ(read.warnings[19], "line 21: unknown key 'a' left out");
  EXPECT_EQ(read.warnings[20], "and " + std::to_string(lines - 20) + " more warnings like these");
}

TEST(Recipe, AKeyGivenTwiceKeepsTheLaterValueWithAWarning) {
  const RecipeRead read = ParseRecipe("format = 1\nsize = 2\nsize = 3\n");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.recipe->Value(Param("size")), 3);
  ASSERT_EQ(read.warnings.size(), 1u);
  EXPECT_EQ(read.warnings[0], "line 3: size is given again; this value is used");
}

TEST(Recipe, TextThatIsNoRecipeIsToldInOneLine) {
  const std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x01\x02", 18);
  for (const std::string& text : {std::string(), std::string("\n\n# only a comment\n"), std::string("size = 3\n"),
                                  std::string("hello world"), binary, std::string("formatting = 1\n")}) {
    const RecipeRead read = ParseRecipe(text);
    EXPECT_FALSE(read.ok());
    ASSERT_EQ(read.errors.size(), 1u) << text;
    EXPECT_EQ(read.errors[0], "not a Brisol recipe: it must begin with 'format = 1'") << text;
  }
}

TEST(Recipe, ANewerFormatIsRefused) {
  const RecipeRead read = ParseRecipe("format = 2\nsize = 3\nfancy = yes\n");
  EXPECT_FALSE(read.ok());
  ASSERT_EQ(read.errors.size(), 1u);
  EXPECT_NE(read.errors[0].find("format 2 is newer than this Brisol reads (1)"), std::string::npos);
  EXPECT_TRUE(read.warnings.empty());
}

TEST(Recipe, OversizedTextIsRefusedUnread) {
  std::string text = "format = 1\n";
  while (text.size() <= kMaxRecipeBytes) text += "# padding padding padding padding\n";
  const RecipeRead read = ParseRecipe(text);
  EXPECT_FALSE(read.ok());
  ASSERT_EQ(read.errors.size(), 1u);
  EXPECT_EQ(read.errors[0], "the recipe is longer than 65536 bytes");
}

TEST(Recipe, ManyBadLinesStopAfterAFew) {
  std::string text = "format = 1\n";
  for (int i = 0; i < 1000; ++i) text += "size = x\n";
  const RecipeRead read = ParseRecipe(text);
  EXPECT_FALSE(read.ok());
  EXPECT_LE(read.errors.size(), 20u);
}

TEST(Recipe, TextCutShortAtALineEndKeepsTheLinesBefore) {
  const Recipe full = Unusual();
  const std::string text = RecipeText(full);
  const Recipe defaults;
  for (std::size_t n = 0; n < text.size(); ++n) {
    const RecipeRead read = ParseRecipe(text.substr(0, n));
    for (const std::string& e : read.errors) EXPECT_EQ(e.find('\n'), std::string::npos);
    if (n == 0 || text[n - 1] != '\n') continue;
    ASSERT_TRUE(read.ok()) << n;
    const std::string kept = "\n" + text.substr(0, n);
    for (const EffectParam& p : EffectParams()) {
      const bool there = kept.find("\n" + std::string(p.key) + " = ") != std::string::npos;
      EXPECT_EQ(read.recipe->Value(p), there ? full.Value(p) : defaults.Value(p)) << p.key << " cut at " << n;
    }
  }
}

TEST(Recipe, NamesAreKeptToOnePrintableLine) {
  Recipe r;
  r.photo =
      "two\nlines\x01\xC2\x9B"
      "2J.jpg";  // the last a C1 control (CSI)
  r.collection = std::string("Caf\xC3\xA9 \xFF", 7);
  const std::string text = RecipeText(r);
  const RecipeRead read = ParseRecipe(text);
  ASSERT_TRUE(read.ok()) << read.ErrorText() << "\n" << text;
  EXPECT_EQ(read.recipe->photo, "two?lines??2J.jpg");
  EXPECT_EQ(read.recipe->collection, "Caf\xC3\xA9 ?");
  // A name that cannot be written is left out rather than made unreadable.
  r.photo = "a/b.jpg";
  EXPECT_EQ(RecipeText(r).find("photo ="), std::string::npos);
  // A name longer than any file's is refused, and quoted shortened.
  const RecipeRead longName = ParseRecipe("format = 1\ncollection = " + std::string(60000, 'x') + "\n");
  ASSERT_EQ(longName.errors.size(), 1u);
  EXPECT_LT(longName.errors[0].size(), 200u) << longName.errors[0].substr(0, 300);
  EXPECT_NE(longName.errors[0].find("at most 255 bytes"), std::string::npos) << longName.errors[0].substr(0, 300);
}

}  // namespace
}  // namespace brisol
