// The temporary file of a save: gone after any failure, and when a signal
// ends the program in the middle of a save.
#include "imageio/TemporaryFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/ImageSave.h"

namespace brisol {
namespace {

using test::Entries;
using test::TempDir;

// Runs body in a child process (forked, so it sees this process's folders)
// and returns how the child ended, as waitpid tells it.
template <typename Body>
int StatusOfChild(Body body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    std::_Exit(0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return status;
}

bool KilledBy(int status, int signal) { return WIFSIGNALED(status) && WTERMSIG(status) == signal; }
bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

TEST(TemporaryFile, GoesAwayUnlessKept) {
  TempDir dir;
  std::string kept;
  {
    TemporaryFile dropped(dir.File(".~a.XXXXXX"));
    ASSERT_GE(dropped.fd(), 0);
    ASSERT_EQ(::write(dropped.fd(), "abc", 3), 3);
    TemporaryFile keep(dir.File(".~b.XXXXXX"));
    ASSERT_GE(keep.fd(), 0);
    EXPECT_TRUE(keep.Close());
    ASSERT_EQ(::rename(keep.path().c_str(), dir.File("b").c_str()), 0);
    keep.Keep();
  }
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"b"});
}

TEST(TemporaryFile, FolderThatIsMissingGivesTheReason) {
  TempDir dir;
  TemporaryFile file(dir.File("missing/.~a.XXXXXX"));
  EXPECT_LT(file.fd(), 0);
  EXPECT_EQ(file.error(), ENOENT);
}

class EndingSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignal, RemovesTheFileAndStillEndsTheProgram) {
  TempDir dir;
  test::WriteFile(dir.File("photo.png"), "old");
  const int signal = GetParam();
  const int status = StatusOfChild([&] {
    TemporaryFile file(dir.File(".~photo.png.XXXXXX"));
    if (file.fd() < 0 || ::write(file.fd(), "partial", 7) != 7) std::_Exit(3);
    ::raise(signal);
    std::_Exit(4);  // not reached: the signal ends the program
  });
  EXPECT_TRUE(KilledBy(status, signal)) << status;
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"photo.png"});
  EXPECT_EQ(test::ReadFile(dir.File("photo.png")), "old");
}

INSTANTIATE_TEST_SUITE_P(TemporaryFile, EndingSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST(TemporaryFile, OthersHandlersAndIgnoredSignalsAreLeftAlone) {
  TempDir dir;
  const int status = StatusOfChild([&] {
    ::signal(SIGINT, SIG_IGN);
    static volatile sig_atomic_t seen = 0;
    ::signal(SIGTERM, [](int) { seen = 1; });
    {
      TemporaryFile file(dir.File(".~x.XXXXXX"));
      ::raise(SIGINT);   // ignored: the save goes on
      ::raise(SIGTERM);  // the program's own handler runs
      if (seen != 1 || ::access(file.path().c_str(), F_OK) != 0) std::_Exit(1);
    }
    // Afterwards the dispositions are what the program made them.
    struct sigaction action {};
    ::sigaction(SIGINT, nullptr, &action);
    std::_Exit(action.sa_handler == SIG_IGN ? 0 : 2);
  });
  EXPECT_TRUE(ExitedWith(status, 0)) << status;
  EXPECT_TRUE(Entries(dir).empty());
}

TEST(SaveImageFile, FileSizeLimitSignalInTheMiddleOfWritingLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("photo.bmp");
  test::WriteFile(path, "the user's old picture");
  const auto surface = test::SurfaceOf(test::MakePhotoLike(200, 200));  // 120 kB as BMP
  const int status = StatusOfChild([&] {
    // Writing beyond the limit raises SIGXFSZ, whose action ends the program
    // in the middle of the write.
    ::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    SaveImageFile(*surface, path);
    std::_Exit(4);
  });
  EXPECT_TRUE(KilledBy(status, SIGXFSZ)) << status;
  EXPECT_EQ(test::ReadFile(path), "the user's old picture");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"photo.bmp"});
}

TEST(SaveImageFile, LongestNamesTheFolderTakesCanBeWritten) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(6, 5));
  const long longest = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(longest, 20);
  for (long length = longest - 12; length <= longest; ++length) {
    const std::string name = std::string(static_cast<std::size_t>(length) - 4, 'n').append(".png");
    const SaveResult saved = SaveImageFile(*surface, dir.File(name));
    EXPECT_TRUE(saved.ok()) << length << ": " << saved.message;
    // Written twice: the second save replaces the first through a temporary.
    EXPECT_TRUE(SaveImageFile(*surface, dir.File(name)).ok()) << length;
    EXPECT_EQ(Entries(dir), std::vector<std::string>{name});
    std::filesystem::remove(dir.File(name));
  }
}

TEST(CheckSaveTarget, TellsBeforeAnythingIsWritten) {
  TempDir dir;
  test::WriteFile(dir.File("file"), "x");
  std::filesystem::create_directory(dir.File("folder.png"));
  struct Case {
    std::string path;
    std::string message;  // empty: fine
  } cases[] = {
      {dir.File("new.png"), ""},
      {dir.File("file"), "Cannot save '" + dir.File("file") +
                             "': the picture type is not known by the name's extension (use bmp, tga, jpg, jpeg, "
                             "pcx or png)"},
      {dir.File("missing/new.png"), "Cannot save '" + dir.File("missing/new.png") +
                                        "': cannot create a file in its folder (No such file or directory)"},
      {dir.File("file/new.png"),
       "Cannot save '" + dir.File("file/new.png") + "': cannot create a file in its folder (Not a directory)"},
      {dir.File("folder.png"), "Cannot save '" + dir.File("folder.png") + "': it is not a regular file"},
  };
  for (const Case& c : cases) {
    const SaveResult result = CheckSaveTarget(c.path);
    EXPECT_EQ(result.message, c.message) << c.path;
    EXPECT_EQ(result.ok(), c.message.empty()) << c.path;
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"file", "folder.png"}));
}

}  // namespace
}  // namespace brisol
