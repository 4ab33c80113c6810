#include "imageio/ImageSave.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;
using test::TempDir;

std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Saves, loads back through the loader and the DIB utilities.
std::unique_ptr<CDADC> SaveAndLoad(const CDADC& surface, const std::string& path, const SaveOptions& options = {}) {
  const SaveResult saved = SaveImageFile(surface, path, options);
  EXPECT_TRUE(saved.ok()) << saved.message;
  const ByteBuffer dib = LoadImageFile(path.c_str(), kImageTypeFromName);
  if (!dib) return nullptr;
  return CreateBitmapDADC(dib, 0, 0);
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

  const SaveResult bad = SaveImageFile(*surface, dir.File("bad.jpg"), SaveOptions{0});
  EXPECT_FALSE(bad.ok());
  EXPECT_EQ(bad.message, "Cannot save '" + dir.File("bad.jpg") + "': JPEG quality 0 is not within 1 to 100");
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

struct Failure {
  const char* name;
  std::string path;
  std::string message;
};

TEST(SaveImageFile, FailuresLeaveTheUsersFileUntouched) {
  TempDir dir;
  const auto surface = test::SurfaceOf(test::MakePhotoLike(8, 8));
  test::WriteFile(dir.File("keep.gif"), "precious");
  std::filesystem::create_directory(dir.File("folder.png"));
  const std::vector<Failure> cases = {
      {"unknown extension", dir.File("keep.gif"),
       "Cannot save '" + dir.File("keep.gif") +
           "': the picture type is not known by the name's extension (use .bmp, .tga, .jpg, .pcx or .png)"},
      {"no extension", dir.File("noext"), ""},
      {"dot in a folder name only", dir.File("v1.0/pic"), ""},
      {"missing folder", dir.File("missing/pic.png"),
       "Cannot save '" + dir.File("missing/pic.png") +
           "': cannot create a file in its folder (No such file or directory)"},
      {"a folder in the way", dir.File("folder.png"),
       "Cannot save '" + dir.File("folder.png") + "': it is not a regular file"},
  };
  for (const Failure& c : cases) {
    test::LogTail log;
    const SaveResult result = SaveImageFile(*surface, c.path);
    EXPECT_FALSE(result.ok()) << c.name;
    EXPECT_LT(result.code, 0) << c.name;
    if (!c.message.empty()) {
      EXPECT_EQ(result.message, c.message) << c.name;
    }
    EXPECT_FALSE(result.message.empty()) << c.name;
    EXPECT_TRUE(log.Contains(result.message)) << c.name;
  }
  EXPECT_EQ(test::ReadFile(dir.File("keep.gif")), "precious");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder.png", "keep.gif"}));

  const SaveResult empty = SaveImageFile(CDADC{}, dir.File("x.png"));
  EXPECT_EQ(empty.message, "Cannot save '" + dir.File("x.png") + "': there is no picture");
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
  SaveResult result;
  {
    FileSizeLimit limit(4096);
    result = SaveImageFile(*surface, path);
  }
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.message.rfind("Cannot save '" + path + "': writing failed (", 0), 0u) << result.message;
  EXPECT_EQ(test::ReadFile(path), "the user's old picture");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"photo.bmp"});
}

// Runs the check in a child process as an ordinary user (nobody, when the
// tests run as the superuser, whom permissions do not stop).
template <typename Check>
void AsOrdinaryUser(Check check) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
        std::_Exit(check() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SaveImageFileDeathTest, NoPermissionToWriteTheFolder) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  const std::string folder = dir.File("locked");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/pic.png";
  test::WriteFile(path, "old");
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  ::chmod(path.c_str(), 0666);
  const auto surface = test::SurfaceOf(test::MakePhotoLike(4, 4));
  AsOrdinaryUser([&] {
    const SaveResult result = SaveImageFile(*surface, path);
    return !result.ok() &&
           result.message == "Cannot save '" + path + "': cannot create a file in its folder (Permission denied)";
  });
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(test::ReadFile(path), "old");
}

TEST(SaveImageFileDeathTest, WriteProtectedFileIsNotReplaced) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // anyone may rename within it
  const std::string path = dir.File("keep.png");
  test::WriteFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const auto surface = test::SurfaceOf(test::MakePhotoLike(4, 4));
  AsOrdinaryUser([&] {
    const SaveResult result = SaveImageFile(*surface, path);
    return !result.ok() && result.message == "Cannot save '" + path + "': the file is write-protected (Permission denied)";
  });
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"keep.png"});
}

}  // namespace
}  // namespace brisol
