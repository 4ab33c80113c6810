#include "imageio/LoadPicture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/Imaging.h"

namespace brisol {
namespace {

using test::TempDir;

std::string PngBytes(int width, int height) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodePng(test::ToBgr24(test::MakePhotoLike(width, height)).Block(), file), kImgOk);
  return std::string(file.begin(), file.end());
}

std::string JpegBytes(int width, int height) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodeJpeg(test::ToBgr24(test::MakePhotoLike(width, height)).Block(), 90, file), kImgOk);
  return std::string(file.begin(), file.end());
}

// A BMP header claiming 30000 x 30000 pixels, with no pixels behind it.
std::string HugeBmpHeader() {
  std::string header = "BM";
  for (std::uint32_t v : {54u, 0u, 54u, 40u, 30000u, 30000u}) header.append(reinterpret_cast<const char*>(&v), 4);
  header += std::string("\x01\x00\x18\x00", 4) + std::string(24, '\0');
  return header;
}

TEST(LoadPicture, EachFailureIsOneSentenceNamingTheFileAndItsCause) {
  TempDir dir;
  const std::string png = PngBytes(32, 24);
  test::WriteFile(dir.File("empty.png"), "");
  test::WriteFile(dir.File("cut.png"), png.substr(0, png.size() / 2));
  test::WriteFile(dir.File("jpeg.png"), JpegBytes(16, 16));
  test::WriteFile(dir.File("huge.bmp"), HugeBmpHeader());
  test::WriteFile(dir.File("text.txt"), "not a picture");
  std::filesystem::create_directory(dir.File("folder.png"));
  struct Case {
    const char* name;
    int code;
    const char* cause;
  } cases[] = {
      {"empty.png", kImgErrRead, "the file is empty (0 bytes)"},
      {"cut.png", kImgErrRead, "truncated"},
      {"jpeg.png", kImgErrSignature, "not a PNG file (it is a JPEG file)"},
      {"huge.bmp", kImgErrTooLarge, "megapixels"},
      {"text.txt", kImgErrArgument, "the name's extension is not one of"},
      {"folder.png", kImgErrOpen, "it is a folder"},
      {"missing.png", kImgErrOpen, "No such file or directory"},
  };
  test::ScopedAlertRecorder alerts;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    const LoadResult result = LoadPicture(path);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.message.rfind("cannot read '" + path + "': ", 0), 0u) << result.message;
    EXPECT_NE(result.message.find(c.cause), std::string::npos) << result.message;
    EXPECT_EQ(result.message.find('\n'), std::string::npos) << result.message;
  }
  // Nothing is shown: the caller tells the user.
  EXPECT_TRUE(alerts.Texts().empty());
}

TEST(LoadPicture, AFileThatCannotBeOpenedGivesTheSystemsReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, every file can be opened";
  TempDir dir;
  const std::string path = dir.File("locked.png");
  test::WriteFile(path, PngBytes(8, 8));
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  const LoadResult result = LoadPicture(path);
  EXPECT_EQ(result.code, kImgErrOpen);
  EXPECT_NE(result.message.find("Permission denied"), std::string::npos) << result.message;
}

TEST(LoadPicture, ReadsEveryFormatIntoASurfaceOfItsSize) {
  TempDir dir;
  test::WriteFile(dir.File("a.png"), PngBytes(33, 17));
  test::WriteFile(dir.File("a.jpeg"), JpegBytes(33, 17));
  for (const char* name : {"a.png", "a.jpeg"}) {
    SCOPED_TRACE(name);
    const LoadResult result = LoadPicture(dir.File(name));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.code, kImgOk);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.surface->GetSize(), (SIZE{33, 17}));
  }
}

}  // namespace
}  // namespace brisol
