#include "raster/FileUtil.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// Whatever is not a regular file is refused by what it is, and at once: a
// FIFO without a writer would make a plain open wait for ever.
TEST(FileUtil, OpenRegularFileRefusesWhatIsNoFileWithoutWaiting) {
  test::TempDir dir;
  test::WriteFile(dir.File("file.png"), "bytes");
  ASSERT_EQ(::mkfifo(dir.File("fifo.png").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(dir.File("gone.png").c_str(), dir.File("dangling.png").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("loop.png").c_str(), dir.File("loop.png").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("fifo.png").c_str(), dir.File("to-fifo.png").c_str()), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir.File("socket");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  struct Case {
    std::string path;
    std::string why;  // empty: opened
    bool special;
  } cases[] = {
      {dir.File("file.png"), "", false},
      {dir.path().string(), "it is a folder", false},
      {dir.File("fifo.png"), "it is a named pipe (FIFO), not a regular file", true},
      {dir.File("to-fifo.png"), "it is a named pipe (FIFO), not a regular file", true},
      {socketPath, "it is a socket, not a regular file", true},
      {"/dev/null", "it is a character device, not a regular file", true},
      {dir.File("missing.png"), "No such file or directory", false},
      {dir.File("dangling.png"), "No such file or directory", false},
      {dir.File("loop.png"), "Too many levels of symbolic links", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string why = "unchanged";
    bool special = !c.special;
    const int fd = OpenRegularFile(c.path.c_str(), &why, &special);
    if (c.why.empty()) {
      ASSERT_GE(fd, 0);
      char bytes[8] = {};
      EXPECT_EQ(::read(fd, bytes, sizeof bytes), 5);
      EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
      EXPECT_EQ(::fcntl(fd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
      ::close(fd);
      EXPECT_FALSE(special);
    } else {
      EXPECT_EQ(fd, -1);
      EXPECT_EQ(why, c.why);
      EXPECT_EQ(special, c.special);
    }
  }
  ::close(listener);
}

TEST(FileUtil, LastChar) {
  EXPECT_EQ(LastChar(nullptr), 0);
  EXPECT_EQ(LastChar(""), 0);
  EXPECT_EQ(LastChar("abc/"), '/');
}

}  // namespace
}  // namespace brisol
