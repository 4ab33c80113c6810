// The collection lookup with a main directory of the caller's choosing.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingAlertSink.h"
#include "effect/EffectPaths.h"

namespace brisol {
namespace {

namespace fs = std::filesystem;

TEST(EffectPaths, MainDirectoryEffectsComeFirstAndHideInstalledNames) {
  test::TempDir main;
  fs::create_directories(main.path() / "Effects" / "circles");  // the user's copy of a bundled name
  fs::create_directories(main.path() / "Effects" / "Zebra");
  fs::create_directories(main.path() / "Effects" / ".hidden");
  test::WriteFile((main.path() / "Effects" / "notes.txt").string(), "x");

  const std::vector<std::string> roots = EffectRoots(main.path().string());
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(roots.front(), (main.path() / "Effects").string());

  const std::vector<EffectCollection> all = ListCollections(main.path().string());
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[0].name, "circles");
  EXPECT_EQ(all[0].directory, (main.path() / "Effects" / "circles").string());
  EXPECT_EQ(all[1].name, "Zebra");
  for (const EffectCollection& c : all) {
    EXPECT_NE(c.name, ".hidden");
    EXPECT_NE(c.name, "notes.txt");
    if (&c != &all[0]) {
      EXPECT_NE(c.name, "Circles") << "the user's copy hides the installed one";
    }
  }
}

TEST(EffectPaths, ListsOnlyTheGivenRoots) {
  test::TempDir a, b;
  fs::create_directories(a.path() / "beta");
  fs::create_directories(a.path() / "Alpha");
  fs::create_directories(b.path() / "BETA");
  fs::create_directories(b.path() / "gamma");
  const auto list = ListCollectionsIn({a.path().string(), b.path().string()});
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name, "Alpha");
  EXPECT_EQ(list[1].name, "beta");
  EXPECT_EQ(list[1].directory, (a.path() / "beta").string());
  EXPECT_EQ(list[2].name, "gamma");
  EXPECT_TRUE(ListCollectionsIn({(a.path() / "missing").string()}).empty());
}

TEST(EffectPaths, WithoutArgumentsUsesTheProgramsMainDirectory) {
  EXPECT_EQ(EffectRoots(), EffectRoots(MainDirectory()));
}

}  // namespace
}  // namespace brisol
