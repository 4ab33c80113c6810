#include "imageio/ImageLoad.h"

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
#include "imageio/Dib.h"
#include "imageio/PictureFormats.h"
#include "imageio/codecs/FileBuilding.h"
#include "imageio/codecs/MemoryBudget.h"
#include "raster/Types.h"

namespace brisol {
namespace {

using test::LogTail;
using test::ScopedAlertRecorder;
using test::TempDir;

std::string Str(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::string PngFile(const test::RgbPicture& p) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodePng(test::ToBgr24(p).Block(), file), kImgOk);
  return Str(file);
}

std::string JpegFile(const test::RgbPicture& p, int quality = 95) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodeJpeg(test::ToBgr24(p).Block(), quality, file), kImgOk);
  return Str(file);
}

void Put16(std::string& s, unsigned v) { s += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
void Put32(std::string& s, unsigned v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// Four colours and a 4 x 2 picture of their indices (top row first).
const std::uint8_t kPalette[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {250, 240, 230}};  // r, g, b
const int kIndices[2][4] = {{0, 1, 2, 3}, {3, 3, 1, 0}};

test::RgbPicture IndexedPicture() {
  test::RgbPicture p = test::MakeRgb(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) std::memcpy(p.At(x, y), kPalette[kIndices[y][x]], 3);
  return p;
}

// An 8-bit palette BMP of IndexedPicture.
std::string PaletteBmp() {
  std::string s = "BM";
  Put32(s, 14 + 40 + 16 + 8);
  Put32(s, 0);
  Put32(s, 14 + 40 + 16);
  Put32(s, 40);
  Put32(s, 4);
  Put32(s, 2);
  Put16(s, 1);
  Put16(s, 8);
  for (int i = 0; i < 4; ++i) Put32(s, 0);
  Put32(s, 4);  // colours used
  Put32(s, 0);
  for (const auto& c : kPalette) s += {static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0]), 0};
  for (int y = 1; y >= 0; --y)
    for (int x = 0; x < 4; ++x) s += static_cast<char>(kIndices[y][x]);
  return s;
}

// An 8-bit colour-mapped TGA (type 1) of IndexedPicture, rows top-down.
std::string PaletteTga() {
  std::string s = {0, 1, 1};
  Put16(s, 0);
  Put16(s, 4);
  s += static_cast<char>(24);
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, 4);
  Put16(s, 2);
  s += static_cast<char>(8);
  s += static_cast<char>(0x20);  // top-left origin
  for (const auto& c : kPalette) s += {static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0])};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) s += static_cast<char>(kIndices[y][x]);
  return s;
}

// An 8-bit PCX (version 5, run-length coded, 256-colour palette at the end).
std::string PalettePcx() {
  std::string s = {10, 5, 1, 8};
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, 3);
  Put16(s, 1);
  Put16(s, 72);
  Put16(s, 72);
  s += std::string(48, '\0');
  s += {0, 1};
  Put16(s, 4);  // bytes per line
  Put16(s, 1);
  s += std::string(128 - s.size(), '\0');
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) s += {static_cast<char>(0xC1), static_cast<char>(kIndices[y][x])};
  s += static_cast<char>(12);
  std::string palette(768, '\0');
  for (int i = 0; i < 4; ++i) palette.replace(3 * i, 3, reinterpret_cast<const char*>(kPalette[i]), 3);
  return s + palette;
}

// Lets ImageMagick write a variant of a file.
bool MagickFile(const std::string& from, const std::vector<std::string>& options, const std::string& to) {
  std::vector<std::string> args = {from};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(to);
  return test::RunMagick(args);
}

// The DIB as a picture (through the DIB utilities).
test::RgbPicture PictureOfDib(const ByteBuffer& dib) {
  auto surface = CreateBitmapDADC(dib, 0, 0);
  if (!surface) return {};
  return test::PictureOf(*surface);
}

void ExpectTwentyFourBitDib(const ByteBuffer& dib, int width, int height) {
  ASSERT_GE(dib.size(), 40u);
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biWidth, width);
  EXPECT_EQ(h.biHeight, height);
  EXPECT_EQ(dib.size(), 40u + static_cast<std::size_t>(BytesPerRow24(width)) * height);
}

TEST(ImageTypeFromExtension, TableAndMessages) {
  ScopedAlertRecorder rec;
  const struct {
    const char* name;
    int type;
  } cases[] = {
      {"a.png", 15}, {"a.PNG", 15}, {"a.jpg", 11},       {"PHOTO.JPG", 11}, {"x.TgA", 7},   {"x.pcx", 5},
      {"x.bmp", 9},  {"x.gif", -1}, {"dir.v1/x.bmp", 9}, {"x.png.bmp", 9},  {"a.jpeg", 11}, {"A.JPEG", 11},
  };
  for (const auto& c : cases) EXPECT_EQ(ImageTypeFromExtension(c.name), c.type) << c.name;
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_EQ(ImageTypeFromExtension("noext"), 0);
  EXPECT_EQ(ImageTypeFromExtension("dir.v1/noext"), 0);
  EXPECT_EQ(ImageTypeFromExtension("a.tiff"), 0);
  EXPECT_EQ(ImageTypeFromExtension("a."), 0);
  EXPECT_EQ(rec.Texts(),
            (std::vector<std::string>{"Missing extension from filename:\n'noext'",
                                      "Missing extension from filename:\n'dir.v1/noext'",
                                      "File name has bad extension:\n'a.tiff'", "File name has bad extension:\n'a.'"}));
}

TEST(ImageTypeFromExtension, EveryExtensionOfTheFormatTableIsRead) {
  ScopedAlertRecorder rec;
  for (const PictureFormat& format : PictureFormats())
    for (std::string_view e : format.extensions) {
      std::string name = "picture.";
      name.append(e);
      EXPECT_EQ(ImageTypeFromExtension(name.c_str()), format.imageType) << name;
    }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadImageFile, ExtensionsInAnyLetterCaseLoadAlike) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const test::RgbPicture picture = test::MakePhotoLike(21, 13);
  const std::string jpeg = JpegFile(picture);
  test::WriteFile(dir.File("PHOTO.JPG"), jpeg);
  test::WriteFile(dir.File("photo.jpg"), jpeg);
  const ByteBuffer upper = LoadImageFile(dir.File("PHOTO.JPG").c_str(), kImageTypeFromName);
  const ByteBuffer lower = LoadImageFile(dir.File("photo.jpg").c_str(), kImageTypeFromName);
  ExpectTwentyFourBitDib(upper, 21, 13);
  ASSERT_EQ(upper.size(), lower.size());
  EXPECT_EQ(std::memcmp(upper.data(), lower.data(), upper.size()), 0);
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadImageFile, JpegExtensionReadsLikeJpg) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const std::string jpeg = JpegFile(test::MakePhotoLike(8, 8));
  test::WriteFile(dir.File("photo.jpeg"), jpeg);
  test::WriteFile(dir.File("photo.jpg"), jpeg);
  const ByteBuffer a = LoadImageFile(dir.File("photo.jpeg").c_str(), kImageTypeFromName);
  const ByteBuffer b = LoadImageFile(dir.File("photo.jpg").c_str(), kImageTypeFromName);
  ExpectTwentyFourBitDib(a, 8, 8);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size()), 0);
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadImageFile, ExtensionOfAnotherLengthIsBadAndNothingOpens) {
  ScopedAlertRecorder rec;
  LogTail log;
  TempDir dir;
  test::WriteFile(dir.File("photo.tiff"), "II*");
  EXPECT_FALSE(LoadImageFile(dir.File("photo.tiff").c_str(), kImageTypeFromName));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"File name has bad extension:\n'" + dir.File("photo.tiff") + "'"});
  EXPECT_TRUE(log.Contains("VLIF: bad image type: 0\nImage:<" + dir.File("photo.tiff") + ">")) << log.NewText();
}

TEST(LoadImageFile, UnknownExtensionOpensNothingSilently) {
  ScopedAlertRecorder rec;
  LogTail log;
  TempDir dir;
  test::WriteFile(dir.File("a.gif"), "GIF89a");
  EXPECT_FALSE(LoadImageFile(dir.File("a.gif").c_str(), kImageTypeFromName));
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_EQ(log.NewText(), "");
}

TEST(LoadImageFile, NameWithoutAnyDot) {
  ScopedAlertRecorder rec;
  LogTail log;
  EXPECT_FALSE(LoadImageFile("/tmp/noextension", kImageTypeFromName));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"Filename has no extension:</tmp/noextension>"});
  EXPECT_EQ(log.NewText(), "");
}

TEST(LoadImageFile, LongNamesLoadAndNullNamesAreRefused) {
  ScopedAlertRecorder rec;
  LogTail log;
  TempDir dir;
  // A path of about 600 characters through folders of 200-character names.
  std::string folder = dir.path();
  for (int i = 0; i < 3; ++i) {
    folder.append("/").append(200, static_cast<char>('a' + i));
    ASSERT_TRUE(std::filesystem::create_directory(folder));
  }
  const std::string longName = std::string(folder).append("/").append(240, 'p').append(".png");
  ASSERT_GT(longName.size(), 256u);
  test::WriteFile(longName, PngFile(test::MakePhotoLike(5, 4)));
  ExpectTwentyFourBitDib(LoadImageFile(longName.c_str(), kImageTypeFromName), 5, 4);
  EXPECT_FALSE(VicLoadImageFile(nullptr, kImageTypeFromName));
  EXPECT_FALSE(LoadImageFile(nullptr, kImageTypeFromName));
  EXPECT_TRUE(rec.Texts().empty());
  const std::string text = log.NewText();
  std::size_t count = 0;
  for (std::size_t at = text.find("VicLoadImageFile, bad filename\n"); at != std::string::npos;
       at = text.find("VicLoadImageFile, bad filename\n", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, 2u) << text;
}

TEST(VicLoadImageFile, TypeCodeOutsideTheTable) {
  ScopedAlertRecorder rec;
  LogTail log;
  EXPECT_FALSE(VicLoadImageFile("x.png", 4));
  EXPECT_TRUE(log.Contains("VLIF: bad image type: 4\nImage:<x.png>"));
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadImageFile, PaletteFilesArriveAs24BitPictures) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const test::RgbPicture expected = IndexedPicture();
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {{"p.bmp", PaletteBmp()}, {"p.tga", PaletteTga()}, {"p.pcx", PalettePcx()}};
  for (const auto& f : files) {
    test::WriteFile(dir.File(f.name), f.bytes);
    const ByteBuffer dib = LoadImageFile(dir.File(f.name).c_str(), kImageTypeFromName);
    ExpectTwentyFourBitDib(dib, 4, 2);
    const test::RgbPicture got = PictureOfDib(dib);
    ASSERT_EQ(got.width, 4) << f.name;
    EXPECT_EQ(got.samples, expected.samples) << f.name;
  }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadImageFile, PalettePngAndGreyscaleJpegArriveAs24BitPictures) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  ScopedAlertRecorder rec;
  TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(test::WritePnm(source, test::MakePhotoLike(23, 17)));
  ASSERT_TRUE(MagickFile(source, {"-colors", "16"}, "PNG8:" + dir.File("p.png")));
  ASSERT_TRUE(MagickFile(source, {"-colorspace", "Gray"}, dir.File("g.jpg")));
  for (const char* name : {"p.png", "g.jpg"}) {
    const std::string path = dir.File(name);
    const auto reference = test::MagickDecode(path, dir.File("ref.ppm"));
    ASSERT_TRUE(reference);
    const ByteBuffer dib = LoadImageFile(path.c_str(), kImageTypeFromName);
    ExpectTwentyFourBitDib(dib, 23, 17);
    auto surface = CreateBitmapDADC(dib, 0, 0);
    ASSERT_TRUE(surface);
    EXPECT_LE(test::MaxDifference(*surface, *reference), name[0] == 'p' ? 0 : 3) << name;
  }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadJpgImage, ShortFileHasABadHeader) {
  ScopedAlertRecorder rec;
  LogTail log;
  TempDir dir;
  const std::string name = dir.File("short.jpg");
  test::WriteFile(name, JpegFile(test::MakePhotoLike(8, 8)).substr(0, 49));
  EXPECT_FALSE(IsJpegFile(name.c_str()));
  EXPECT_FALSE(LoadImageFile(name.c_str(), kImageTypeFromName));
  EXPECT_TRUE(log.Contains("ERROR: " + name + " Bad JPG header\n")) << log.NewText();
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(IsJpegFile, NeedsFiftyBytesStartingWithTheMarker) {
  TempDir dir;
  test::WriteFile(dir.File("a"), std::string("\xFF\xD8") + std::string(48, '\0'));
  test::WriteFile(dir.File("b"), std::string("\xFF\xD9") + std::string(48, '\0'));
  EXPECT_TRUE(IsJpegFile(dir.File("a").c_str()));
  EXPECT_FALSE(IsJpegFile(dir.File("b").c_str()));
  EXPECT_FALSE(IsJpegFile(dir.File("missing").c_str()));
  EXPECT_FALSE(IsJpegFile(nullptr));
}

TEST(LoadJpgImage, FailuresOnlyGoToTheLog) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const test::RgbPicture picture = test::MakePhotoLike(160, 120);
  const std::string colour = JpegFile(picture);
  const struct {
    const char* file;
    std::string bytes;
    std::string entry;  // after the file name
  } cases[] = {
      {"garbage.jpg", std::string("\xFF\xD8\x00", 3) + std::string(60, 'x'), ": Jpeg data error: -3"},
      {"cut.jpg", colour.substr(0, colour.size() / 2), ": loagjpg error: -2"},
  };
  for (const auto& c : cases) {
    LogTail log;
    const std::string name = dir.File(c.file);
    test::WriteFile(name, c.bytes);
    EXPECT_FALSE(LoadImageFile(name.c_str(), kImageTypeFromName)) << c.file;
    EXPECT_TRUE(log.Contains(name + c.entry)) << log.NewText();
  }
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(LoadPngImage, FailuresAreShownWithTheFailingStep) {
  TempDir dir;
  const std::string colour = PngFile(test::MakePhotoLike(40, 30));
  const struct {
    const char* file;
    std::string bytes;
    std::string alert;
  } cases[] = {
      {"garbage.png", "not a png at all", "PNG image data error: -3"},
      {"cut.png", colour.substr(0, colour.size() - 40), "24 bit loadpng error: -2"},
  };
  for (const auto& c : cases) {
    ScopedAlertRecorder rec;
    const std::string name = dir.File(c.file);
    test::WriteFile(name, c.bytes);
    EXPECT_FALSE(LoadImageFile(name.c_str(), kImageTypeFromName)) << c.file;
    EXPECT_EQ(rec.Texts(), std::vector<std::string>{c.alert}) << c.file;
  }
}

TEST(LoadPngImage, OtherDepthFailuresNameTheirStep) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(test::WritePnm(source, test::MakePhotoLike(80, 60)));
  ASSERT_TRUE(MagickFile(source, {"-colors", "16"}, "PNG8:" + dir.File("p.png")));
  const std::string bytes = test::ReadFile(dir.File("p.png"));
  test::WriteFile(dir.File("cut.png"), bytes.substr(0, bytes.find("IDAT") + 100));
  ScopedAlertRecorder rec;
  EXPECT_FALSE(LoadImageFile(dir.File("cut.png").c_str(), kImageTypeFromName));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"n bit loadpng error: -2"});
}

TEST(LoadBmpImage, RefusedFileIsStillOpenedThroughItsDib) {
  TempDir dir;
  std::string bmp = PaletteBmp();
  bmp[10] = bmp[11] = bmp[12] = bmp[13] = '\x7F';  // pixel data offset far beyond the file
  const std::string name = dir.File("odd.bmp");
  test::WriteFile(name, bmp);
  ScopedAlertRecorder rec;
  const ByteBuffer dib = LoadImageFile(name.c_str(), kImageTypeFromName);
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_TRUE(rec.Texts()[0].rfind("BMP data error: ", 0) == 0 || rec.Texts()[0].rfind("loadbmp error: ", 0) == 0 ||
              rec.Texts()[0].rfind("allocimage", 0) == 0)
      << rec.Texts()[0];
  ASSERT_EQ(dib.size(), bmp.size());  // the file's own DIB, 14 spare bytes at the end
  EXPECT_EQ(std::memcmp(dib.data(), bmp.data() + 14, bmp.size() - 14), 0);
  EXPECT_EQ(PictureOfDib(dib).samples, IndexedPicture().samples);
}

TEST(LoadBmpImage, NotABmpOpensNothing) {
  TempDir dir;
  const std::string name = dir.File("fake.bmp");
  test::WriteFile(name, "GIF89a, certainly not a bitmap");
  ScopedAlertRecorder rec;
  EXPECT_FALSE(LoadImageFile(name.c_str(), kImageTypeFromName));
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_EQ(rec.Texts()[0].rfind("BMP data error: ", 0), 0u) << rec.Texts()[0];
}

TEST(LoadTgaAndPcx, DataErrorsAreShown) {
  TempDir dir;
  const struct {
    const char* file;
    const char* prefix;
  } cases[] = {{"bad.tga", "TGA data error: "}, {"bad.pcx", "PCX image file data error: "}};
  for (const auto& c : cases) {
    test::WriteFile(dir.File(c.file), "\x01\x02");
    ScopedAlertRecorder rec;
    EXPECT_FALSE(LoadImageFile(dir.File(c.file).c_str(), kImageTypeFromName));
    ASSERT_EQ(rec.Texts().size(), 1u) << c.file;
    EXPECT_EQ(rec.Texts()[0].rfind(c.prefix, 0), 0u) << rec.Texts()[0];
  }
}

// The loader of the windows (the open dialog's preview too) never waits on
// a named pipe: each format refuses it at once, as a file that cannot be
// opened.
TEST(VicLoadImageFile, NamedPipesAreRefusedWithoutWaiting) {
  TempDir dir;
  for (const char* name : {"pipe.png", "pipe.bmp", "pipe.jpg", "pipe.tga", "pipe.pcx"}) {
    const std::string path = dir.File(name);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    ScopedAlertRecorder rec;
    auto load = std::async(std::launch::async, [path] { return VicLoadImageFile(path.c_str(), kImageTypeFromName); });
    if (load.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << name << " was waited on";
      const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // let the reader go
      if (fd >= 0) ::close(fd);
    }
    EXPECT_FALSE(load.get()) << name;
    for (const std::string& text : rec.Texts()) EXPECT_NE(text.find(": -11"), std::string::npos) << text;
  }
}

// A file far too small for the picture it claims is refused by the windows'
// loader before its image record is allocated, as bad data.
TEST(LoadPngImage, AFileFarTooSmallForItsPictureIsBadData) {
  TempDir dir;
  std::string png = PngFile(test::MakePhotoLike(8, 8));
  filebuilding::ClaimPngSize(png, 20000, 20000);
  test::WriteFile(dir.File("claims.png"), png);
  const ScopedMemoryCeiling ceiling(64u << 20);  // an allocation first would fail for memory
  ScopedAlertRecorder rec;
  EXPECT_FALSE(LoadImageFile(dir.File("claims.png").c_str(), kImageTypeFromName));
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"PNG image data error: -12"});
}

TEST(LoadImageFile, MissingFilesAreReportedByTheirLoader) {
  const struct {
    const char* file;
    const char* alert;  // null: log only
  } cases[] = {{"m.png", "PNG image data error: -1"},
               {"m.tga", "TGA data error: -1"},
               {"m.pcx", "PCX image file data error: -1"},
               {"m.bmp", "BMP data error: -1"},
               {"m.jpg", nullptr}};
  TempDir dir;
  for (const auto& c : cases) {
    ScopedAlertRecorder rec;
    EXPECT_FALSE(LoadImageFile(dir.File(c.file).c_str(), kImageTypeFromName));
    EXPECT_EQ(rec.Texts(), c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{}) << c.file;
  }
}

}  // namespace
}  // namespace brisol
