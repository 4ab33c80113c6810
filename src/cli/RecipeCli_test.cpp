// Runs the real brisol-cli: a picture's recipe read back and rendered again
// gives the same picture; options around --recipe and --preset; presets.
#include <gtest/gtest.h>
#include <unistd.h>

#include "CliTestSupport.h"
#include "effect/Effect.h"
#include "imageio/LoadPicture.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"
#include "recipe/RecipeTestSupport.h"
#include "recipe/RenderPhoto.h"

namespace brisol {
namespace {

using test::RunCli;
using test::TempDir;

// The pixels of a picture file, row after row.
std::string Pixels(const std::string& path) {
  const LoadResult loaded = LoadPicture(path);
  EXPECT_TRUE(loaded.ok()) << loaded.message();
  if (!loaded.ok()) return {};
  const PixelBlock b = (*loaded)->GetBlock();
  std::string pixels;
  for (int y = 0; y < b.height; ++y)
    pixels.append(reinterpret_cast<const char*>(b.Row(y)), static_cast<std::size_t>(b.width) * 3);
  return pixels;
}

class RecipeCli : public ::testing::Test {
 protected:
  test::ScopedMainDirectory main;  // no presets or collections of the user running the tests
  TempDir dir;
  std::string photo = test::WritePhoto(dir.File("photo.bmp"), 120, 80);
};

TEST_F(RecipeCli, RenderingFromAPicturesRecipeGivesThePictureAgain) {
  const std::vector<std::vector<std::string>> looks = {
      {"--effect", "Stars", "--seed", "5", "--objects", "400"},
      {"--effect", "Leaves", "--seed", "-77", "--quality", "2", "--objects", "300", "--size", "3.3", "--mix",
       "ellipse-vignette", "--angle-reaction", "random"},
      {"--effect", "Mosaic", "--seed", "4000000000", "--fill-source", "single", "--fill-color", "#336699",
       "--background", "color", "--background-color", "#102030", "--line-width", "0", "--objects", "500"},
  };
  for (const char* ext : {"png", "jpg"}) {
    for (std::size_t i = 0; i < looks.size(); ++i) {
      const std::string first = dir.File("first." + std::string(ext)), again = dir.File("again." + std::string(ext));
      std::vector<std::string> render = {"render", photo, first, "--quiet"};
      render.insert(render.end(), looks[i].begin(), looks[i].end());
      ASSERT_EQ(RunCli(render).status, 0);

      const auto printed = RunCli({"recipe", first});
      ASSERT_EQ(printed.status, 0) << printed.err;
      EXPECT_TRUE(printed.out.starts_with("format = 1\n")) << printed.out;
      EXPECT_NE(printed.out.find("photo = photo.bmp\n"), std::string::npos) << printed.out;
      test::WriteFile(dir.File("look.brisol"), printed.out);

      for (const std::string& source : {first, dir.File("look.brisol")}) {
        const auto rerun = RunCli({"render", photo, again, "--recipe", source, "--quiet"});
        ASSERT_EQ(rerun.status, 0) << rerun.err;
        EXPECT_EQ(rerun.err, "");  // same photo, same drawings: nothing to say
        EXPECT_EQ(Pixels(again), Pixels(first)) << ext << " look " << i;
        EXPECT_EQ(test::ReadFile(again), test::ReadFile(first)) << ext << " look " << i;
      }
    }
  }
}

TEST_F(RecipeCli, AVectorFilesRecipeMakesItsPicturesAgain) {
  test::MakeCollection(main.Main() + "/Effects", "Mine", {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
  const std::vector<std::vector<std::string>> looks = {
      {"--effect", "Mine", "--seed", "5", "--objects", "200"},
      {"--effect", "Mine", "--seed", "-77", "--quality", "2", "--objects", "150", "--size", "3.3", "--mix",
       "ellipse-vignette"},
      {"--effect", "Mine", "--seed", "4000000000", "--fill-source", "single", "--fill-color", "#336699", "--background",
       "color", "--background-color", "#102030", "--objects", "250"},
  };
  auto render = [&](const std::string& out, const std::vector<std::string>& options) {
    std::vector<std::string> args = {"render", photo, out, "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    return RunCli(args);
  };
  for (std::size_t i = 0; i < looks.size(); ++i) {
    const std::string direct = dir.File("direct.png");
    ASSERT_EQ(render(direct, looks[i]).status, 0);
    const auto directRecipe = RunCli({"recipe", direct}), directJson = RunCli({"recipe", direct, "--json"});
    for (const std::string ext : {"svg", "pdf", "eps", "ps"}) {
      const std::string first = dir.File("first." + ext);
      ASSERT_EQ(render(first, looks[i]).status, 0);
      const auto printed = RunCli({"recipe", first});
      ASSERT_EQ(printed.status, 0) << printed.err;
      EXPECT_EQ(printed.out, directRecipe.out) << ext << " look " << i;
      EXPECT_EQ(RunCli({"recipe", first, "--json"}).out, directJson.out) << ext << " look " << i;

      // The picture of the vector file's recipe is the one drawn directly, to the byte.
      const std::string picture = dir.File("from-" + ext + ".png");
      const auto rerun = render(picture, {"--recipe", first});
      ASSERT_EQ(rerun.status, 0) << rerun.err;
      EXPECT_EQ(rerun.err, "");
      EXPECT_EQ(Pixels(picture), Pixels(direct)) << ext << " look " << i;
      EXPECT_EQ(test::ReadFile(picture), test::ReadFile(direct)) << ext << " look " << i;
      // The vector file drawn again from its recipe is the same file: nothing in it depends on the time.
      const std::string again = dir.File("again." + ext);
      ASSERT_EQ(render(again, {"--recipe", first}).status, 0);
      EXPECT_EQ(test::ReadFile(again), test::ReadFile(first)) << ext << " look " << i;
    }
  }
  // A vector file without a recipe is told so in one line.
  ASSERT_EQ(RunCli({"render", photo, dir.File("cut.pdf"), "--effect", "Mine", "--quiet"}).status, 0);
  const std::string pdf = test::ReadFile(dir.File("cut.pdf"));
  test::WriteFile(dir.File("cut.pdf"), pdf.substr(0, pdf.size() / 2));
  const auto cut = RunCli({"recipe", dir.File("cut.pdf")});
  EXPECT_EQ(cut.status, 1);
  EXPECT_EQ(cut.err, "brisol-cli recipe: '" + dir.File("cut.pdf") + "': the PDF file is cut short before any recipe\n");
}

TEST_F(RecipeCli, TheLibrarysApplyingGivesThePictureOfTheCommandLine) {
  // What the desktop program does with a recipe: read it, apply it to an
  // effect in one step, paint.
  const std::string a = dir.File("a.png");
  ASSERT_EQ(RunCli({"render", photo, a, "--effect", "Hearts", "--seed", "31", "--quality", "2", "--objects", "500",
                    "--mix", "rect-frame", "--quiet"})
                .status,
            0);
  const RecipeRead read = ReadRecipeFile(a);
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  test::ScopedAlertRecorder alerts;
  CEffect effect;
  int quality = 1;
  const RecipeApplied applied = ApplyRecipe(*read.recipe, effect, &quality, ApplyOptions{photo});
  ASSERT_TRUE(applied.ok()) << applied.message();
  EXPECT_TRUE(applied->empty());
  EXPECT_EQ(quality, 2);
  const Recipe look = RecipeOf(effect, quality);
  RenderFileOptions options;
  options.quality = quality;
  options.recipe = &look;
  ASSERT_TRUE(RenderPhotoFile(effect, photo, dir.File("b.png"), options).ok());
  EXPECT_EQ(test::ReadFile(dir.File("b.png")), test::ReadFile(a));
}

TEST_F(RecipeCli, OptionsAfterTheRecipeOverrideItAndThoseBeforeDoNot) {
  const std::string a = dir.File("a.png");
  ASSERT_EQ(RunCli({"render", photo, a, "--effect", "Stars", "--seed", "9", "--objects", "300", "--quiet"}).status, 0);
  const std::string before = dir.File("before.png"), after = dir.File("after.png");
  ASSERT_EQ(
      RunCli({"render", photo, before, "--size", "9", "--seed", "1", "--effect", "Dots", "--recipe", a, "--quiet"})
          .status,
      0);
  EXPECT_EQ(test::ReadFile(before), test::ReadFile(a));
  ASSERT_EQ(RunCli({"render", photo, after, "--recipe", a, "--size", "9", "--seed", "2", "--quiet"}).status, 0);
  const std::string text = RunCli({"recipe", after}).out;
  EXPECT_NE(text.find("size = 9\n"), std::string::npos) << text;
  EXPECT_NE(text.find("seed = 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("collection = Stars\n"), std::string::npos) << text;
  EXPECT_NE(text.find("objects = 300\n"), std::string::npos) << text;
}

// "-" reads the recipe, or a picture holding one, from standard input, for
// recipe and render --recipe alike.
TEST_F(RecipeCli, RecipesAreReadFromStandardInput) {
  const std::string a = dir.File("a.png");
  ASSERT_EQ(RunCli({"render", photo, a, "--effect", "Hearts", "--seed", "3", "--quiet"}).status, 0);
  const test::CliResult text = RunCli({"recipe", a});
  ASSERT_EQ(text.status, 0) << text.err;
  test::WriteFile(dir.File("look.brisol"), text.out);
  const auto from = [](const std::string& file) {
    return "sh -c " + test::ShellQuote("exec \"$0\" \"$@\" <" + test::ShellQuote(file));
  };
  for (const std::string& input : {a, dir.File("look.brisol")}) {
    SCOPED_TRACE(input);
    const test::CliResult read = test::RunCliIn({}, {"recipe", "-"}, {}, {}, from(input));
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, text.out);
  }
  const test::CliResult again = test::RunCliIn({}, {"render", photo, dir.File("b.png"), "--recipe", "-", "--quiet"}, {},
                                               {}, from(dir.File("look.brisol")));
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("b.png")), test::ReadFile(a)));
  // The help of both commands that take --recipe says which files it reads.
  for (const char* command : {"render", "batch"}) {
    const std::string help = RunCli({command, "--help"}).out;
    EXPECT_NE(
        help.find("(PNG, JPEG, SVG,\n                         PDF, EPS, PS) or of a .brisol file, - for standard"),
        std::string::npos)
        << command << help;
  }
}

TEST_F(RecipeCli, RecipeCommandPrintsJsonAndTellsFilesWithoutOne) {
  const std::string a = dir.File("a.jpg");
  ASSERT_EQ(RunCli({"render", photo, a, "--effect", "Hearts", "--seed", "3", "--jpeg-quality", "70", "--quiet"}).status,
            0);
  const auto json = RunCli({"recipe", a, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  for (const char* part : {"\"format\": 1", "\"collection\": \"Hearts\"", "\"seed\": 3", "\"jpeg-quality\": 70",
                           "\"mix\": \"even\"", "\"size\": 5.5", "\"photo\": \"photo.bmp\""})
    EXPECT_NE(json.out.find(part), std::string::npos) << part << " in " << json.out;
  // A real JSON parser reads it, where there is one.
  if (std::system("/usr/bin/python3 -c 'import json' 2>/dev/null") == 0) {
    test::WriteFile(dir.File("r.json"), json.out);
    EXPECT_EQ(std::system(("/usr/bin/python3 -c 'import json,sys; json.load(open(sys.argv[1]))' " +
                           test::ShellQuote(dir.File("r.json")))
                              .c_str()),
              0);
  }

  const auto bmp = RunCli({"recipe", photo});
  EXPECT_EQ(bmp.status, 1);
  EXPECT_EQ(bmp.err, "brisol-cli recipe: '" + photo +
                         "': a BMP picture cannot hold a recipe; only PNG, JPEG, SVG, PDF, EPS and PS files can\n");
  test::WriteFile(dir.File("bad.brisol"), "format = 1\nsize = 31\nsparkle = yes\n");
  const auto bad = RunCli({"recipe", dir.File("bad.brisol")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("'" + dir.File("bad.brisol") + "', line 3: unknown key 'sparkle' left out\n"),
            std::string::npos);
  EXPECT_NE(bad.err.find("'" + dir.File("bad.brisol") + "', line 2: bad value '31' for size (accepted: 0.1 to 30)\n"),
            std::string::npos)
      << bad.err;
  const auto renderBad = RunCli({"render", photo, dir.File("x.png"), "--recipe", dir.File("bad.brisol")});
  EXPECT_EQ(renderBad.status, 1);
  EXPECT_NE(renderBad.err.find("brisol-cli render: '" + dir.File("bad.brisol") + "', line 2: bad value '31'"),
            std::string::npos)
      << renderBad.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

TEST_F(RecipeCli, ChangedPhotoOrDrawingsAreToldAndThePictureIsStillMade) {
  const std::string effects = main.Main() + "/Effects";
  test::MakeCollection(effects, "Mine", {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
  const std::string a = dir.File("a.png");
  ASSERT_EQ(RunCli({"render", photo, a, "--effect", "Mine", "--quiet"}).status, 0);
  test::MakeCollection(effects, "Mine", {{"b.dxf", test::LineDxf()}});
  const std::string other = test::WritePhoto(dir.File("other.bmp"), 120, 80, 3);
  const auto run = RunCli({"render", other, dir.File("b.png"), "--recipe", a, "--quiet"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("the drawings of the collection 'Mine' are not those the recipe was made with"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("the photo 'other.bmp' is not the one the recipe was made with ('photo.bmp')"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("b.png")));
  // As a preset, a picture's look is for any photo: nothing to say of the photo.
  const auto preset = RunCli({"render", other, dir.File("p.png"), "--preset", a, "--quiet"});
  EXPECT_EQ(preset.status, 0);
  EXPECT_EQ(preset.err.find("the photo"), std::string::npos) << preset.err;

  // A recipe whose collection is not installed names it.
  test::WriteFile(dir.File("gone.brisol"), "format = 1\ncollection = Vanished\n");
  const auto gone = RunCli({"render", photo, dir.File("c.png"), "--recipe", dir.File("gone.brisol")});
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("the recipe's collection 'Vanished' is not installed"), std::string::npos) << gone.err;
  EXPECT_EQ(
      RunCli({"render", photo, dir.File("c.png"), "--recipe", dir.File("gone.brisol"), "--effect", "Stars", "--quiet"})
          .status,
      0);
}

TEST_F(RecipeCli, PresetsAreListedAndUsedByName) {
  const auto listed = RunCli({"presets"});
  ASSERT_EQ(listed.status, 0);
  const std::size_t bundled = static_cast<std::size_t>(std::count(listed.out.begin(), listed.out.end(), '\n'));
  EXPECT_GE(bundled, 10u) << listed.out;

  std::filesystem::create_directories(main.Main() + "/Presets");
  test::WriteFile(main.Main() + "/Presets/Tiny Stars.brisol",
                  "format = 1\ncollection = Stars\nsize = 1.5\nobjects = 900\n");
  const auto mine = RunCli({"presets", "--json"});
  EXPECT_NE(mine.out.find("{\"name\": \"Tiny Stars\", \"user\": true, \"path\": "), std::string::npos) << mine.out;

  const std::string a = dir.File("a.png"), b = dir.File("b.png");
  ASSERT_EQ(RunCli({"render", photo, a, "--preset", "tiny stars", "--seed", "4", "--quiet"}).status, 0);
  ASSERT_EQ(
      RunCli({"render", photo, b, "--effect", "Stars", "--size", "1.5", "--objects", "900", "--seed", "4", "--quiet"})
          .status,
      0);
  EXPECT_EQ(Pixels(a), Pixels(b));
  const auto unknown = RunCli({"render", photo, dir.File("c.png"), "--preset", "Nope"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("unknown preset 'Nope' (see 'brisol-cli presets')"), std::string::npos);
}

// Presets that cannot be used are listed with why; names are escaped and
// padded by characters.
TEST_F(RecipeCli, PresetsThatCannotBeUsedAreListedWithWhy) {
  const std::string folder = main.Main() + "/Presets";
  std::filesystem::create_directories(folder);
  const std::string good = "format = 1\ncollection = Stars\n";
  test::WriteFile(folder + "/Caf\xC3\xA9.brisol", good);
  test::WriteFile(folder + "/two\nlines.brisol", good);
  test::WriteFile(folder + "/Notes.brisol", "just notes\n");
  ASSERT_EQ(::symlink((folder + "/gone").c_str(), (folder + "/Gone.brisol").c_str()), 0);
  const std::string out = RunCli({"presets"}).out;
  struct Case {
    std::string line;  // its start
  } cases[] = {
      {"Caf\xC3\xA9                     user     " + folder + "/Caf\xC3\xA9.brisol\n"},
      {"Gone                     user     " + folder + "/Gone.brisol  (cannot be used: No such file or directory)\n"},
      {"Notes                    user     " + folder + "/Notes.brisol  (cannot be used: not a Brisol recipe"},
      {"two\\nlines               user     " + folder + "/two\\nlines.brisol\n"},
  };
  for (const Case& c : cases) EXPECT_NE(out.find(c.line), std::string::npos) << c.line << "\nin\n" << out;
  const std::string json = RunCli({"presets", "--json"}).out;
  EXPECT_NE(json.find("\"path\": \"" + folder + "/Gone.brisol\"" + ", \"problem\": \"No such file or directory\"}"),
            std::string::npos)
      << json;
}

}  // namespace
}  // namespace brisol
