#include "imageio/ImageSave.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/LoadPicture.h"

namespace brisol {
namespace {

using test::Entries;
using test::ScopedAlertRecorder;
using test::TempDir;

// Saves, loads back through the loader.
std::unique_ptr<CDADC> SaveAndLoad(const CDADC& surface, const std::string& path, const SaveOptions& options = {}) {
  const Done saved = SaveImageFile(surface, path, options);
  EXPECT_TRUE(saved.ok()) << saved.message();
  LoadResult read = LoadPicture(path);
  return read ? std::move(read).value() : nullptr;
}

TEST(SaveImageFile, EveryFormatReadsBackTheSamePixels) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const struct {
    const char* name;
    int tolerance;
  } formats[] = {{"a.bmp", 0}, {"a.tga", 0}, {"a.pcx", 0}, {"a.png", 0}, {"a.jpg", 6},
                 {"B.BMP", 0}, {"B.Tga", 0}, {"B.PCX", 0}, {"B.pNg", 0}, {"B.JPG", 6}};
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {37, 21}, {128, 96}}) {
    // JPEG's tolerance holds for smooth pictures; the others get noise too.
    const test::RgbPicture picture = test::MakePhotoLike(w, h, static_cast<unsigned>(w));
    test::RgbPicture smooth = test::MakeRgb(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        smooth.At(x, y)[0] = static_cast<std::uint8_t>(40 + x);
        smooth.At(x, y)[1] = static_cast<std::uint8_t>(90 + y);
        smooth.At(x, y)[2] = static_cast<std::uint8_t>(160 - (x + y) / 3);
      }
    for (const auto& f : formats) {
      const test::RgbPicture& source = f.tolerance ? smooth : picture;
      const auto surface = test::SurfaceOf(source);
      const auto back = SaveAndLoad(*surface, dir.File(f.name));
      ASSERT_TRUE(back) << f.name << " " << w << "x" << h;
      EXPECT_LE(test::MaxDifference(*back, source), f.tolerance) << f.name << " " << w << "x" << h;
    }
  }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(SaveImageFile, JpegQualityIsSettableAndJpegExtensionWorks) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(96, 64));
  ASSERT_TRUE(SaveImageFile(*surface, dir.File("low.jpeg"), SaveOptions{10}).ok());
  ASSERT_TRUE(SaveImageFile(*surface, dir.File("default.jpg")).ok());
  ASSERT_TRUE(SaveImageFile(*surface, dir.File("high.JPEG"), SaveOptions{100}).ok());
  const auto low = std::filesystem::file_size(dir.File("low.jpeg"));
  const auto normal = std::filesystem::file_size(dir.File("default.jpg"));
  const auto high = std::filesystem::file_size(dir.File("high.JPEG"));
  EXPECT_LT(low, normal);
  EXPECT_LT(normal, high);
  Bgr24Image image;
  EXPECT_EQ(DecodeJpeg(test::ReadBytes(dir.File("low.jpeg")), image), kImgOk);

  const Done bad = SaveImageFile(*surface, dir.File("bad.jpg"), SaveOptions{0});
  EXPECT_FALSE(bad.ok());
  EXPECT_EQ(bad.message(), "Cannot save '" + dir.File("bad.jpg") + "': JPEG quality 0 is not within 1 to 100");
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.jpg")));
}

TEST(SaveImageFile, ReplacesAnExistingFileKeepingItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("picture.png");
  test::WriteFile(path, "the user's old picture");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const test::RgbPicture picture = test::MakePhotoLike(10, 10);
  ASSERT_TRUE(SaveImageFile(*test::SurfaceOf(picture), path).ok());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  Bgr24Image image;
  ASSERT_EQ(DecodePng(test::ReadBytes(path), image), kImgOk);
  EXPECT_EQ(test::MaxDifference(image, picture), 0);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"picture.png"});  // no temporary left behind
}

TEST(SaveImageFile, ThroughASymbolicLinkTheLinkStays) {
  TempDir dir;
  test::WriteFile(dir.File("real.bmp"), "old");
  std::filesystem::create_symlink(dir.File("real.bmp"), dir.File("link.bmp"));
  ASSERT_TRUE(SaveImageFile(*test::SurfaceOf(test::MakePhotoLike(4, 4)), dir.File("link.bmp")).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bmp")));
  EXPECT_EQ(test::ReadFile(dir.File("real.bmp")).substr(0, 2), "BM");
}

struct SaveFailure {
  const char* name;
  std::string path;
  std::string message;
};

TEST(SaveImageFile, FailuresLeaveTheUsersFileUntouched) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(8, 8));
  test::WriteFile(dir.File("keep.gif"), "precious");
  std::filesystem::create_directory(dir.File("folder.png"));
  const std::vector<SaveFailure> cases = {
      {"unknown extension", dir.File("keep.gif"),
       "Cannot save '" + dir.File("keep.gif") +
           "': the picture type is not known by the name's extension (use bmp, tga, jpg, jpeg, pcx or png)"},
      {"no extension", dir.File("noext"), ""},
      {"dot in a folder name only", dir.File("v1.0/pic"), ""},
      {"missing folder", dir.File("missing/pic.png"),
       "Cannot save '" + dir.File("missing/pic.png") +
           "': cannot create a file in its folder (No such file or directory)"},
      {"a folder in the way", dir.File("folder.png"),
       "Cannot save '" + dir.File("folder.png") + "': it is not a regular file"},
  };
  for (const SaveFailure& c : cases) {
    test::LogTail log;
    const Done result = SaveImageFile(*surface, c.path);
    EXPECT_FALSE(result.ok()) << c.name;
    EXPECT_EQ(result.status(), Status::Failed) << c.name;
    if (!c.message.empty()) {
      EXPECT_EQ(result.message(), c.message) << c.name;
    }
    EXPECT_FALSE(result.message().empty()) << c.name;
    EXPECT_TRUE(log.Contains(result.message())) << c.name;
  }
  EXPECT_EQ(test::ReadFile(dir.File("keep.gif")), "precious");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder.png", "keep.gif"}));

  const Done empty = SaveImageFile(CDADC{}, dir.File("x.png"));
  EXPECT_EQ(empty.message(), "Cannot save '" + dir.File("x.png") + "': there is no picture");
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

// Caps the size of files this process may write, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_handler);
  }

 private:
  rlimit m_previous{};
  void (*m_handler)(int) = nullptr;
};

TEST(SaveImageFile, FullDiskLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("photo.bmp");
  test::WriteFile(path, "the user's old picture");
  const auto surface = test::SurfaceOf(test::MakePhotoLike(200, 200));  // 120 kB as BMP
  Done result;
  {
    FileSizeLimit limit(4096);
    result = SaveImageFile(*surface, path);
  }
  EXPECT_EQ(result.status(), Status::Failed);
  EXPECT_EQ(result.message().rfind("Cannot save '" + path + "': writing failed (", 0), 0u) << result.message();
  EXPECT_EQ(test::ReadFile(path), "the user's old picture");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"photo.bmp"});
}

// The user the permission tests act as when they run as the superuser, whom
// permissions do not stop.
constexpr uid_t kNobody = 65534;

// Why the tests cannot act as an ordinary user here; empty when they can.
std::string CannotActAsOrdinaryUser() {
  if (::geteuid() != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) std::_Exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? 0 : 1);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return "the superuser cannot become user 65534 here";
  return {};
}

// Whether every folder from the root down to path lets others through.
bool OthersCanReach(std::filesystem::path path) {
  for (;; path = path.parent_path()) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0) return false;
    if (path == path.root_path() || !path.has_parent_path()) return true;
  }
}

// A folder that an ordinary user may enter and write in: under the tests'
// own folder when others can reach it, else under /tmp (the checkout may lie
// inside a folder only its owner may enter).
class OpenFolder {
 public:
  OpenFolder() {
    for (const std::filesystem::path& base : {std::filesystem::path(m_dir.path()), std::filesystem::path("/tmp")}) {
      if (!OthersCanReach(base)) continue;
      std::string pattern = (base / "open-XXXXXX").string();
      if (::mkdtemp(pattern.data()) == nullptr) continue;
      m_path = pattern;
      ::chmod(m_path.c_str(), 0777);  // anyone may create and rename within it
      return;
    }
  }
  ~OpenFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;

  bool Ok() const { return !m_path.empty(); }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  TempDir m_dir;
  std::string m_path;
};

// Skips the test, with the reason, when it cannot act as an ordinary user
// or find a folder such a user can reach.
#define SKIP_UNLESS_ORDINARY_USER_POSSIBLE(folder)                                            \
  do {                                                                                        \
    if (const std::string why = CannotActAsOrdinaryUser(); !why.empty()) GTEST_SKIP() << why; \
    if (!(folder).Ok()) GTEST_SKIP() << "no folder that an ordinary user can reach";          \
  } while (false)

// Runs the check in a child process as an ordinary user.
template <typename Check>
void AsOrdinaryUser(Check check) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) std::_Exit(3);
        std::_Exit(check() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SaveImageFileDeathTest, NoPermissionToWriteTheFolder) {
  OpenFolder open;
  SKIP_UNLESS_ORDINARY_USER_POSSIBLE(open);
  const std::string folder = open.File("locked");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/pic.png";
  test::WriteFile(path, "old");
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  ::chmod(path.c_str(), 0666);
  const auto surface = test::SurfaceOf(test::MakePhotoLike(4, 4));
  AsOrdinaryUser([&] {
    const Done result = SaveImageFile(*surface, path);
    return result.status() == Status::Failed &&
           result.message() == "Cannot save '" + path + "': cannot create a file in its folder (Permission denied)";
  });
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(test::ReadFile(path), "old");
}

TEST(SaveImageFileDeathTest, WriteProtectedFileIsNotReplaced) {
  OpenFolder open;
  SKIP_UNLESS_ORDINARY_USER_POSSIBLE(open);
  const std::string path = open.File("keep.png");
  test::WriteFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const auto surface = test::SurfaceOf(test::MakePhotoLike(4, 4));
  AsOrdinaryUser([&] {
    const Done result = SaveImageFile(*surface, path);
    return !result.ok() &&
           result.message() == "Cannot save '" + path + "': the file is write-protected (Permission denied)";
  });
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(open.Entries(), std::vector<std::string>{"keep.png"});
}

// Hands rows [first, last) of the surface on as a drawing without an
// output picture does: copied into a block of their own.
void HandOn(PictureSaver& saver, const CDADC& surface, int first, int last, bool copied) {
  const PixelBlock whole = surface.GetBlock();
  if (!copied) return saver.RowsReady(surface.GetSize(), whole, first, last);
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(whole.stride) * static_cast<std::size_t>(last - first), 0xAB);
  const PixelBlock block{rows.data(), whole.width, last, whole.stride};
  for (int y = first; y < last; ++y) std::memcpy(block.Row(y), whole.Row(y), 3 * static_cast<std::size_t>(whole.width));
  saver.RowsReady(surface.GetSize(), block, first, last);
}

// A save handed its rows while the picture is made gives the file of a
// save of the whole picture, for the formats that stream and for those
// that do not, whatever the steps, from the picture or from rows of their
// own.
TEST(PictureSaver, RowsHandedOnInStepsGiveTheFileOfAWholeSave) {
  TempDir dir;
  // Four PNG pieces of 349 rows.
  const auto surface = test::SurfaceOf(test::MakePhotoLike(1000, 1200, 4));
  for (const char* name : {"s.png", "s.jpg", "s.bmp"}) {
    const std::string whole = dir.File(std::string("whole-") + name);
    ASSERT_TRUE(SaveImageFile(*surface, whole).ok());
    for (const std::vector<int>& steps : {std::vector<int>{1, 10, 349, 350, 700, 1199, 1200}, {1200}, {5, 1047}}) {
      for (bool copied : {false, true}) {
        if (copied && (steps.back() != 1200 || !PictureSaver::Streams(name))) continue;
        const std::string path = dir.File(name);
        PictureSaver saver(path, SaveOptions{});
        int first = 0;
        for (int last : steps) {
          HandOn(saver, *surface, first, last, copied);
          first = last;
        }
        const Done saved = saver.Finish(copied ? nullptr : surface.get());
        ASSERT_TRUE(saved.ok()) << saved.message();
        EXPECT_EQ(test::ReadFile(path), test::ReadFile(whole))
            << name << " in " << steps.size() << " steps" << (copied ? ", rows of their own" : "");
      }
    }
  }
}

// Pieces compressed on other threads while rows are handed on make the
// same file.
TEST(PictureSaver, PiecesCompressedOnOtherThreadsGiveTheSameFile) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(1000, 1200, 5));
  const std::string whole = dir.File("whole.png");
  ASSERT_TRUE(SaveImageFile(*surface, whole).ok());
  for (int round = 0; round < 3; ++round) {
    const std::string path = dir.File("s.png");
    PictureSaver saver(path, SaveOptions{});
    std::atomic<bool> handing{true};
    std::thread helper([&] {
      while (handing) saver.Work();
    });
    for (int first = 0; first < 1200; first += 37) HandOn(saver, *surface, first, std::min(1200, first + 37), true);
    handing = false;
    helper.join();
    const Done saved = saver.Finish(nullptr);
    ASSERT_TRUE(saved.ok()) << saved.message();
    EXPECT_EQ(test::ReadFile(path), test::ReadFile(whole)) << round;
  }
}

TEST(PictureSaver, ASaveLeftUnfinishedLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(1000, 800, 2));
  for (const char* name : {"photo.png", "photo.jpg"}) {
    const std::string path = dir.File(name);
    test::WriteFile(path, "the user's old picture");
    {
      PictureSaver saver(path, SaveOptions{});
      HandOn(saver, *surface, 0, 500, true);  // then the drawing fails
    }
    EXPECT_EQ(test::ReadFile(path), "the user's old picture") << name;
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"photo.jpg", "photo.png"}));
}

TEST(PictureSaver, AFullDiskWhileStreamingIsToldAtTheEnd) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(1000, 800, 3));
  for (const char* name : {"photo.png", "photo.jpg"}) {
    const std::string path = dir.File(name);
    test::WriteFile(path, "the user's old picture");
    Done result;
    {
      FileSizeLimit limit(4096);
      PictureSaver saver(path, SaveOptions{});
      for (int rows = 0; rows < 800; rows += 100) HandOn(saver, *surface, rows, rows + 100, true);
      result = saver.Finish(nullptr);
    }
    EXPECT_FALSE(result.ok()) << name;
    EXPECT_EQ(result.message().rfind("Cannot save '" + path + "': writing failed (", 0), 0u) << result.message();
    EXPECT_EQ(test::ReadFile(path), "the user's old picture");
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"photo.jpg", "photo.png"}));
}

TEST(PictureSaver, StreamedRowsThatFindNoPlaceTellWhy) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(64, 48, 4));
  std::filesystem::create_directories(dir.File("folder.png"));
  std::filesystem::create_symlink(dir.File("nowhere/x.png"), dir.File("dangling.png"));
  const std::pair<const char*, const char*> cases[] = {{"folder.png", "it is not a regular file"},
                                                       {"dangling.png", "cannot create a file in its folder"}};
  for (const auto& [name, why] : cases) {
    PictureSaver saver(dir.File(name), SaveOptions{});
    HandOn(saver, *surface, 0, 48, true);
    EXPECT_NE(saver.Finish(nullptr).message().find(why), std::string::npos) << name;
  }
}

TEST(SaveImageFile, ALinkIsReplacedOnlyWhenAsked) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(32, 24, 5));
  test::WriteFile(dir.File("target.bmp"), "old");
  std::filesystem::create_symlink(dir.File("target.bmp"), dir.File("link.bmp"));
  std::filesystem::create_symlink(dir.File("missing.bmp"), dir.File("dangling.bmp"));
  SaveOptions replace;
  replace.replaceLink = true;
  for (const char* name : {"link.bmp", "dangling.bmp"}) {
    ASSERT_TRUE(SaveImageFile(*surface, dir.File(name), replace).ok()) << name;
    EXPECT_FALSE(std::filesystem::is_symlink(dir.File(name))) << name;
  }
  EXPECT_EQ(test::ReadFile(dir.File("target.bmp")), "old");
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.bmp")));
}

}  // namespace
}  // namespace brisol
