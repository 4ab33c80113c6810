#include "raster/FileUtil.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(FileUtil, SplitPath) {
  struct Case {
    const char* path;
    const char* dir;
    const char* name;
    const char* ext;
  };
  const Case cases[] = {
      {"/home/u/photo.jpg", "/home/u/", "photo", ".jpg"},
      {"photo.tar.gz", "", "photo.tar", ".gz"},
      {"/etc/", "/etc/", "", ""},
      {"noext", "", "noext", ""},
      {"/a.b/c", "/a.b/", "c", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    std::string drive = "x", dir, name, ext;
    MySplitPath(&drive, &dir, &name, &ext, c.path);
    EXPECT_EQ(drive, "") << c.path;
    EXPECT_EQ(dir, c.dir) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
    EXPECT_EQ(ext, c.ext) << c.path;
  }
  std::string onlyExt;
  MySplitPath(nullptr, nullptr, nullptr, &onlyExt, "/x/y.PNG");
  EXPECT_EQ(onlyExt, ".PNG");
}

TEST(FileUtil, SplitPathTakesLongPathsAndRefusesNull) {
  test::ScopedAlertRecorder rec;
  const std::string longPath = std::string(300, 'd').append("/").append(300, 'n').append(".png");
  std::string dir = "old", name = "old", ext = "old";
  MySplitPath(nullptr, &dir, &name, &ext, longPath.c_str());
  EXPECT_EQ(dir, std::string(300, 'd').append("/"));
  EXPECT_EQ(name, std::string(300, 'n'));
  EXPECT_EQ(ext, ".png");
  EXPECT_TRUE(rec.Texts().empty());
  MySplitPath(nullptr, &dir, &name, nullptr, nullptr);
  EXPECT_EQ(dir, "");
  EXPECT_EQ(name, "");
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"BadStringPointer in MySplitPath"});
}

TEST(FileUtil, SameFileThroughLinksAndOtherPaths) {
  test::TempDir dir;
  const std::string file = dir.File("photo.png");
  test::WriteFile(file, "x");
  test::WriteFile(dir.File("other.png"), "x");
  ASSERT_EQ(::symlink(file.c_str(), dir.File("soft.png").c_str()), 0);
  ASSERT_EQ(::link(file.c_str(), dir.File("hard.png").c_str()), 0);
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_TRUE(SameFile(file, file));
  EXPECT_TRUE(SameFile(file, dir.File("sub/../photo.png")));
  EXPECT_TRUE(SameFile(file, dir.File("soft.png")));
  EXPECT_TRUE(SameFile(dir.File("hard.png"), file));
  EXPECT_FALSE(SameFile(file, dir.File("other.png")));
  EXPECT_FALSE(SameFile(file, dir.File("missing.png")));
  EXPECT_FALSE(SameFile(dir.File("missing.png"), dir.File("missing.png")));
}

TEST(FileUtil, FileTests) {
  test::TempDir dir;
  const std::string file = dir.File("a.txt");
  test::WriteFile(file, "12345");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_EQ(FileSize(file), 5u);
  EXPECT_TRUE(IsDirectory(dir.path().string()));
  EXPECT_TRUE(FileExists(dir.path().string()));
  EXPECT_FALSE(FileExists(dir.File("missing")));
  EXPECT_EQ(FileSize(dir.File("missing")), 0u);
}

TEST(FileUtil, LastChar) {
  EXPECT_EQ(LastChar(nullptr), 0);
  EXPECT_EQ(LastChar(""), 0);
  EXPECT_EQ(LastChar("abc/"), '/');
}

}  // namespace
}  // namespace brisol
