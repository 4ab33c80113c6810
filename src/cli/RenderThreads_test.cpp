// render --threads: any number of threads gives the bytes of the reference
// drawing, and a process that may not start threads still renders them.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CliTestSupport.h"
#include "raster/BmpFile.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::RunCli;

constexpr int kNobody = 65534;

std::string WritePhoto(const std::string& path, int w = 170, int h = 90) {
  CDADC photo(SIZE{w, h});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) photo.GetDC().SetPixel(x, y, RGB((x * 5 + y) % 256, (y * 3) % 256, (255 - x) % 256));
  EXPECT_TRUE(WriteBmpFile(photo, path));
  return path;
}

std::vector<std::string> RenderArgs(const std::string& photo, const std::string& out) {
  return {"render",    photo, out,         "--effect", "Leaves",       "--seed", "11",
          "--quality", "2",   "--objects", "1500",     "--line-width", "1",      "--quiet"};
}

TEST(CliRenderThreads, AnyNumberOfThreadsGivesTheReferenceBytes) {
  test::TempDir dir;
  const std::string photo = WritePhoto(dir.File("photo.bmp"));
  std::vector<std::string> reference = RenderArgs(photo, dir.File("reference.bmp"));
  reference.push_back("--reference-drawing");
  ASSERT_EQ(RunCli(reference).status, 0);
  const std::string expected = test::ReadFile(dir.File("reference.bmp"));
  for (const char* threads : {"1", "2", "3"}) {
    std::vector<std::string> args = RenderArgs(photo, dir.File("banded.bmp"));
    args.insert(args.end(), {"--threads", threads});
    const auto run = RunCli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("banded.bmp")), expected)) << threads << " threads";
  }
  for (const char* bad : {"0", "257", "two", "-1"}) {
    std::vector<std::string> args = RenderArgs(photo, dir.File("x.bmp"));
    args.insert(args.end(), {"--threads", bad});
    const auto run = RunCli(args);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find("--threads takes 1 to 256"), std::string::npos) << run.err;
  }
}

// As an unprivileged user allowed a single process, no thread can start:
// the render must not abort, and gives the same bytes. The picture is large
// enough for several bands, and PNG saving shares out its rows too.
TEST(CliRenderThreads, AProcessThatMayNotStartThreadsStillRenders) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user with a process limit";
  if (access("/usr/bin/setpriv", X_OK) != 0 || access("/usr/bin/prlimit", X_OK) != 0)
    GTEST_SKIP() << "needs setpriv and prlimit (package util-linux)";
  char folder[] = "/tmp/brisol-nproc-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chmod(folder, 0777), 0);
  const std::string dir = folder;
  // The build may sit in a folder that only its owner may enter.
  if (const std::string why = test::WhyUserCannotRunIn(kNobody, dir); !why.empty()) {
    std::system(("rm -rf " + test::ShellQuote(dir)).c_str());
    GTEST_SKIP() << why;
  }
  const std::string photo = WritePhoto(dir + "/photo.bmp", 1200, 900);
  ASSERT_EQ(chmod(photo.c_str(), 0644), 0);
  ASSERT_EQ(RunCli(RenderArgs(photo, dir + "/expected.png")).status, 0);
  // A sanitizer build's leak checker needs a thread of its own at exit.
  std::string command = "ASAN_OPTIONS=detect_leaks=0 /usr/bin/setpriv --reuid=" + std::to_string(kNobody) +
                        " --regid=" + std::to_string(kNobody) +
                        " --clear-groups /usr/bin/prlimit "
                        "--nproc=1 -- " +
                        test::ShellQuote(BRISOL_CLI_PATH);
  for (const std::string& a : RenderArgs(photo, dir + "/limited.png")) command += " " + test::ShellQuote(a);
  command += " --threads 4 2>" + test::ShellQuote(dir + "/err");
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << " " << test::ReadFile(dir + "/err");
  EXPECT_TRUE(test::SameFileBytes(dir + "/limited.png", dir + "/expected.png"));
  std::system(("rm -rf " + test::ShellQuote(dir)).c_str());
}

}  // namespace
}  // namespace brisol
