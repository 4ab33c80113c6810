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

// Every signal that ends the program and can be caught (the faults that
// the address sanitizer keeps for itself aside).
INSTANTIATE_TEST_SUITE_P(TemporaryFile, EndingSignal,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM,
                                           SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGXCPU, SIGXFSZ, SIGABRT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A killed save's file is removed by the next save into the folder at once
// (its process is gone: no lock), a living save's is not.
TEST(TemporaryFile, TheFileOfAKilledSaveGoesAtOnce) {
  TempDir dir;
  const std::string target = dir.File("photo.png");
  const pid_t child = ::fork();
  if (child == 0) {
    TemporaryFile killed(TemporaryPatternBeside(target, dir.path().string()));
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(KilledBy(status, SIGKILL));
  const TemporaryFile living(TemporaryPatternBeside(target, dir.path().string()));
  const auto aMinuteAgo = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    std::filesystem::last_write_time(entry.path(), aMinuteAgo);
    names.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(names.size(), 2u);
  for (const std::string& name : names) EXPECT_NE(name.find(".p"), std::string::npos) << name;
  const auto isPicture = [](std::string_view name) { return name.ends_with(".png"); };
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path().string(), std::chrono::hours(24), isPicture), 1);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{std::filesystem::path(living.path()).filename().string()});
}

// What saves that were killed left is removed by the next save into the
// folder, once it is a day old; nothing else is touched.
TEST(TemporaryFile, TheLeftoversOfKilledSavesAreRemovedWhenADayOld) {
  TempDir dir;
  const auto now = std::filesystem::file_time_type::clock::now();
  struct Entry {
    std::string name;
    std::chrono::hours age;
    bool removed;
  } entries[] = {
      {".~photo.png.Ab3dE9", std::chrono::hours(25), true},  {".~photo.PNG.zzzzzz", std::chrono::hours(24 * 30), true},
      {".~photo.png.Zz9yX1", std::chrono::hours(23), false},  // a save may still be writing it
      {".~notes.txt.Ab3dE9", std::chrono::hours(48), false},  // not a picture's
      {".~photo.png.Ab3dE", std::chrono::hours(48), false},   // five characters
      {".~photo.png.Ab3d-9", std::chrono::hours(48), false},  // not a letter or digit
      {".~lock.photo.png#", std::chrono::hours(48), false},   // another program's lock
      {"photo.png.Ab3dE9", std::chrono::hours(48), false},    // not hidden
      {".~.Ab3dE9", std::chrono::hours(48), false},           // no name
  };
  for (const Entry& e : entries) {
    test::WriteFile(dir.File(e.name), "partial");
    std::filesystem::last_write_time(dir.File(e.name), now - e.age);
  }
  // A folder and a link of the form are not files a save left.
  std::filesystem::create_directory(dir.File(".~folder.png.Ab3dE9"));
  std::filesystem::create_symlink(dir.File("photo.png"), dir.File(".~link.png.Ab3dE9"));
  const auto isPicture = [](std::string_view name) { return name.ends_with(".png") || name.ends_with(".PNG"); };
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path().string(), std::chrono::hours(24), isPicture), 2);
  for (const Entry& e : entries) EXPECT_EQ(std::filesystem::exists(dir.File(e.name)), !e.removed) << e.name;
  EXPECT_TRUE(std::filesystem::exists(dir.File(".~folder.png.Ab3dE9")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File(".~link.png.Ab3dE9")));
  // Another user's file is theirs to remove.
  if (::geteuid() == 0) {
    test::WriteFile(dir.File(".~theirs.png.Ab3dE9"), "x");
    std::filesystem::last_write_time(dir.File(".~theirs.png.Ab3dE9"), now - std::chrono::hours(48));
    ASSERT_EQ(::chown(dir.File(".~theirs.png.Ab3dE9").c_str(), 65534, 65534), 0);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path().string(), std::chrono::hours(24), isPicture), 0);
  }
  // The save itself does it.
  test::WriteFile(dir.File(".~photo.png.Qq1Qq1"), "partial");
  std::filesystem::last_write_time(dir.File(".~photo.png.Qq1Qq1"), now - std::chrono::hours(30));
  ASSERT_TRUE(SaveImageFile(*test::SurfaceOf(test::MakePhotoLike(4, 4)), dir.File("photo.png")).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.File(".~photo.png.Qq1Qq1")));
}

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

// Saves a 120 kB picture over the user's file in a child whose files may
// not grow beyond 4 kB, with SIGXFSZ's action as given; the child's status.
// The user's file is left as it was and no temporary file stays.
int SaveBeyondTheFileSizeLimit(const TempDir& dir, void (*action)(int), const std::string& message) {
  const std::string path = dir.File("photo.bmp");
  test::WriteFile(path, "the user's old picture");
  const auto surface = test::SurfaceOf(test::MakePhotoLike(200, 200));
  const int status = StatusOfChild([&] {
    ::signal(SIGXFSZ, action);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const Done saved = SaveImageFile(*surface, path);
    std::_Exit(saved.message() == message ? 0 : 1);
  });
  EXPECT_EQ(test::ReadFile(path), "the user's old picture");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"photo.bmp"});
  return status;
}

// Writing beyond the limit raises SIGXFSZ, whose default action ends the
// program in the middle of the write.
TEST(SaveImageFile, FileSizeLimitSignalInTheMiddleOfWritingLeavesNoTemporary) {
  TempDir dir;
  const int status = SaveBeyondTheFileSizeLimit(dir, SIG_DFL, {});
  EXPECT_TRUE(KilledBy(status, SIGXFSZ)) << status;
}

// With SIGXFSZ ignored, as the programs have it, a write beyond the limit
// fails with "File too large" and is told as other failed writes are.
TEST(SaveImageFile, AWriteBeyondTheFileSizeLimitIsToldAsFileTooLarge) {
  TempDir dir;
  const int status = SaveBeyondTheFileSizeLimit(
      dir, SIG_IGN, "Cannot save '" + dir.File("photo.bmp") + "': writing failed (File too large)");
  EXPECT_TRUE(ExitedWith(status, 0)) << status;
}

// A link whose target does not exist yet: the target is made, as other
// programs' saves do, and the link stays; a link that leads in a circle is
// told.
TEST(SaveImageFile, ALinkToAFileNotMadeYetGetsItsFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("pictures"));
  std::filesystem::create_symlink("pictures/new.png", dir.File("first.png"));
  std::filesystem::create_symlink("first.png", dir.File("second.png"));
  const auto surface = test::SurfaceOf(test::MakePhotoLike(5, 4));
  ASSERT_TRUE(SaveImageFile(*surface, dir.File("second.png")).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("first.png")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("second.png")));
  EXPECT_EQ(test::ReadFile(dir.File("pictures/new.png")).substr(1, 3), "PNG");
  std::filesystem::create_symlink("loop.png", dir.File("loop.png"));
  EXPECT_EQ(SaveImageFile(*surface, dir.File("loop.png")).message(),
            "Cannot save '" + dir.File("loop.png") +
                "': its symbolic link cannot be followed (Too many levels of symbolic links)");
  std::filesystem::create_symlink("missing/new.png", dir.File("nowhere.png"));
  EXPECT_EQ(
      SaveImageFile(*surface, dir.File("nowhere.png")).message(),
      "Cannot save '" + dir.File("nowhere.png") + "': cannot create a file in its folder (No such file or directory)");
}

// The sides each format's file can hold, told before anything is drawn.
TEST(CheckSaveTarget, PicturesLargerThanTheFormatHoldsAreRefusedFirst) {
  TempDir dir;
  struct Case {
    const char* name;
    SIZE size;
    const char* refusal;  // null: fine
  } cases[] = {
      {"a.jpg", {65500, 1}, nullptr},
      {"a.jpg", {70000, 1}, "a JPEG file holds at most 65500 x 65500 pixels; the picture is 70000 x 1"},
      {"a.jpeg", {3, 65501}, "a JPEG file holds at most 65500 x 65500 pixels; the picture is 3 x 65501"},
      {"a.tga", {65535, 65535}, nullptr},
      {"a.tga", {65536, 2}, "a TGA file holds at most 65535 x 65535 pixels; the picture is 65536 x 2"},
      {"a.pcx", {65534, 65536}, nullptr},
      {"a.pcx", {65535, 2}, "a PCX file holds at most 65534 x 65536 pixels; the picture is 65535 x 2"},
      {"a.bmp", {100000, 30000}, nullptr},
      {"a.png", {400000000, 1}, nullptr},
  };
  for (const Case& c : cases) {
    const Done result = CheckSaveTarget(dir.File(c.name), c.size);
    EXPECT_EQ(result.message(), c.refusal ? "Cannot save '" + dir.File(c.name) + "': " + c.refusal : std::string())
        << c.name;
  }
  // Writing the picture checks the same.
  EXPECT_EQ(SaveImageFile(CDADC(SIZE{65536, 1}), dir.File("wide.tga")).message(),
            "Cannot save '" + dir.File("wide.tga") +
                "': a TGA file holds at most 65535 x 65535 pixels; the picture is 65536 x 1");
  EXPECT_TRUE(Entries(dir).empty());
}

TEST(SaveImageFile, LongestNamesTheFolderTakesCanBeWritten) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(6, 5));
  const long longest = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(longest, 20);
  for (long length = longest - 12; length <= longest; ++length) {
    const std::string name = std::string(static_cast<std::size_t>(length) - 4, 'n').append(".png");
    const Done saved = SaveImageFile(*surface, dir.File(name));
    EXPECT_TRUE(saved.ok()) << length << ": " << saved.message();
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
    const Done result = CheckSaveTarget(c.path);
    EXPECT_EQ(result.message(), c.message) << c.path;
    EXPECT_EQ(result.ok(), c.message.empty()) << c.path;
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"file", "folder.png"}));
}

}  // namespace
}  // namespace brisol
