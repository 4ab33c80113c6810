#include "imageio/LoadPicture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "ImageioTestSupport.h"
#include "imageio/Imaging.h"
#include "imageio/codecs/FileBuilding.h"
#include "imageio/codecs/MemoryBudget.h"

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

// An 8-bit BMP of 4 x 2 pixels in four colours.
const std::uint8_t kPalette[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {250, 240, 230}};  // r, g, b
const int kIndices[2][4] = {{0, 1, 2, 3}, {3, 3, 1, 0}};

std::string PaletteBmp() {
  std::string s = "BM";
  for (std::uint32_t v : {14u + 40 + 16 + 8, 0u, 14u + 40 + 16, 40u, 4u, 2u})
    s.append(reinterpret_cast<const char*>(&v), 4);
  s += std::string("\x01\x00\x08\x00", 4) + std::string(16, '\0') + std::string("\x04\0\0\0\0\0\0\0", 8);
  for (const auto& c : kPalette) s += {static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0]), 0};
  for (int y = 1; y >= 0; --y)
    for (int x = 0; x < 4; ++x) s += static_cast<char>(kIndices[y][x]);
  return s;
}

// A palette picture arrives as a 24-bit surface; so does a BMP file the
// imaging layer refuses, through its own DIB.
TEST(LoadPicture, PalettePicturesAndRefusedBmpFilesArriveAs24BitSurfaces) {
  test::RgbPicture expected = test::MakeRgb(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) std::memcpy(expected.At(x, y), kPalette[kIndices[y][x]], 3);
  std::string odd = PaletteBmp();
  odd.replace(10, 4, "\x7F\x7F\x7F\x7F");  // pixel data offset far beyond the file
  TempDir dir;
  test::WriteFile(dir.File("palette.bmp"), PaletteBmp());
  test::WriteFile(dir.File("odd.bmp"), odd);
  for (const char* name : {"palette.bmp", "odd.bmp"}) {
    const LoadResult result = LoadPicture(dir.File(name));
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(test::PictureOf(**result).samples, expected.samples) << name;
  }
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
  test::WriteFile(dir.File("text.png"), "not a picture at all");
  struct Case {
    const char* name;
    Status status;
    const char* cause;
  } cases[] = {
      {"empty.png", Status::Damaged, "the file is empty (0 bytes)"},
      {"cut.png", Status::Damaged, "truncated"},
      {"jpeg.png", Status::Unsupported, "not a PNG file (it is a JPEG file)"},
      {"text.png", Status::Unsupported, "not a PNG file"},
      {"huge.bmp", Status::Failed, "megapixels"},
      {"text.txt", Status::Unsupported, "the name's extension is not one of"},
      {"folder.png", Status::Failed, "it is a folder"},
      {"missing.png", Status::NotFound, "No such file or directory"},
      {"missing/a.png", Status::NotFound, "No such file or directory"},
  };
  test::ScopedAlertRecorder alerts;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    const LoadResult result = LoadPicture(path);
    EXPECT_EQ(result.status(), c.status);
    EXPECT_EQ(result.message().rfind("cannot read '" + path + "': ", 0), 0u) << result.message();
    EXPECT_NE(result.message().find(c.cause), std::string::npos) << result.message();
    EXPECT_EQ(result.message().find('\n'), std::string::npos) << result.message();
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
  EXPECT_EQ(result.status(), Status::Failed);
  EXPECT_NE(result.message().find("Permission denied"), std::string::npos) << result.message();
}

// Runs the load on another thread; fails the test instead of hanging when
// it does not come back.
LoadResult LoadWithin(const std::string& path, std::chrono::seconds limit) {
  auto future = std::async(std::launch::async, [path] { return LoadPicture(path); });
  if (future.wait_for(limit) != std::future_status::ready) {
    ADD_FAILURE() << "loading " << path << " did not come back";
    // Let a reader waiting on a FIFO go: a writer comes and goes.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  return future.get();
}

TEST(LoadPicture, NamedPipesDevicesAndSocketsAreRefusedByWhatTheyAre) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo.png").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.File("zero.bmp").c_str()), 0);
  struct Case {
    std::string path;
    std::string cause;
  } cases[] = {
      {dir.File("fifo.png"), "it is a named pipe (FIFO), not a regular file"},
      {dir.File("zero.bmp"), "it is a character device, not a regular file"},
      {"/dev/null", "it is a character device, not a regular file"},
  };
  for (const Case& c : cases) {
    const LoadResult result = LoadWithin(c.path, std::chrono::seconds(20));
    EXPECT_EQ(result.status(), Status::Failed) << c.path;
    EXPECT_EQ(result.message(), "cannot read '" + c.path + "': " + c.cause);
    EXPECT_EQ(OpenProblem(c.path).message(), c.cause);
  }
}

// Files that claim far more pixels than they hold, and pictures beyond the
// memory available, are refused with their sizes before anything is
// allocated; the decoders' own words reach the sentence.
TEST(LoadPicture, BombsAndPicturesBeyondTheMemoryAreRefusedWithTheirSizes) {
  TempDir dir;
  // An RLE8 BMP of 1 x 400,000,000 pixels in 62 bytes.
  std::string bmp = "BM";
  for (std::uint32_t v : {64u, 0u, 62u, 40u, 1u, 400'000'000u}) bmp.append(reinterpret_cast<const char*>(&v), 4);
  bmp += std::string("\x01\x00\x08\x00\x01\x00\x00\x00", 8) + std::string(20, '\0');
  bmp += std::string("\0\0\0\0\xff\xff\xff\0", 8) + std::string("\0\1", 2);
  test::WriteFile(dir.File("tall.bmp"), bmp);
  test::WriteFile(dir.File("plain.png"), PngBytes(2000, 1500));
  const LoadResult tall = LoadPicture(dir.File("tall.bmp"));
  EXPECT_EQ(tall.status(), Status::Damaged);
  EXPECT_EQ(tall.message(), "cannot read '" + dir.File("tall.bmp") +
                                "': the file holds 64 bytes, far too few for the 1 x 400000000 pixels it claims; it is "
                                "cut short or damaged");
  {
    const ScopedMemoryCeiling ceiling(10'000'000);
    const LoadResult plain = LoadPicture(dir.File("plain.png"));
    EXPECT_EQ(plain.status(), Status::NoMemory);
    // The file, and the picture twice: the loader's record and the decoder's.
    EXPECT_EQ(plain.message().rfind("cannot read '" + dir.File("plain.png") +
                                        "': not enough memory: its picture of 2000 x 1500 pixels needs ",
                                    0),
              0u)
        << plain.message();
    EXPECT_NE(plain.message().find(" MB of memory; 10 MB are available"), std::string::npos) << plain.message();
  }
  EXPECT_TRUE(LoadPicture(dir.File("plain.png")).ok());
}

// Pictures beyond the pixel limit are refused before they are decoded,
// saying their size, the limit and how to raise it; the limit can be raised.
TEST(LoadPicture, PicturesBeyondThePixelLimitAreRefusedUnlessItIsRaised) {
  TempDir dir;
  test::WriteFile(dir.File("huge.png"), filebuilding::BlackPng(20000, 20000));
  test::WriteFile(dir.File("six.png"), filebuilding::BlackPng(3000, 2000));
  struct Case {
    const char* file;
    long long maxPixels;
    const char* refusal;  // null: read
  } cases[] = {
      {"huge.png", kDefaultMaxPicturePixels,
       "its picture of 20000 x 20000 pixels (400 megapixels) is more than the 200 megapixels a picture is read "
       "with (--max-pixels N raises the limit)"},
      {"six.png", 5'500'000,
       "its picture of 3000 x 2000 pixels (6 megapixels) is more than the 5.5 megapixels a picture is read with "
       "(--max-pixels N raises the limit)"},
      {"six.png", 6'000'000, nullptr},
      {"six.png", kDefaultMaxPicturePixels, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.maxPixels));
    const auto start = std::chrono::steady_clock::now();
    const LoadResult read = LoadPicture(dir.File(c.file), {.maxPixels = c.maxPixels, .raise = "--max-pixels N"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    if (c.refusal == nullptr) {
      ASSERT_TRUE(read.ok()) << read.message();
      EXPECT_EQ((*read)->GetSize().cx, 3000);
    } else {
      EXPECT_EQ(read.status(), Status::Unsupported);
      EXPECT_EQ(read.message(), "cannot read '" + dir.File(c.file) + "': " + c.refusal);
    }
  }
}

TEST(LoadPicture, NamesWithLineBreaksAreWrittenWithEscapes) {
  TempDir dir;
  const std::string path = dir.File("two\nlines.png");
  const LoadResult result = LoadPicture(path);
  EXPECT_EQ(result.message().find('\n'), std::string::npos) << result.message();
  EXPECT_NE(result.message().find("two\\nlines.png': No such file or directory"), std::string::npos)
      << result.message();
}

TEST(LoadPicture, ReadsEveryFormatIntoASurfaceOfItsSize) {
  TempDir dir;
  test::WriteFile(dir.File("a.png"), PngBytes(33, 17));
  test::WriteFile(dir.File("a.jpeg"), JpegBytes(33, 17));
  for (const char* name : {"a.png", "a.jpeg"}) {
    SCOPED_TRACE(name);
    const LoadResult result = LoadPicture(dir.File(name));
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ((*result)->GetSize(), (SIZE{33, 17}));
  }
}

}  // namespace
}  // namespace brisol
