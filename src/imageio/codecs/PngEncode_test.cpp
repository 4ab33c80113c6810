// The PNG writer's files read back identically with libpng (our decoder),
// ImageMagick and Pillow, whatever the width, height, content, number of
// threads and pieces compressed apart; the bytes never depend on the
// threads; files whose stream is long come in several IDAT chunks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RecordingAlertSink.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MagickReference.h"
#include "imageio/codecs/PngEncode.h"

namespace brisol {
namespace {

// Debian's Python with Pillow (package python3-pil).
const char* kPython = "/usr/bin/python3";

bool PillowAvailable() {
  if (access(kPython, X_OK) != 0) return false;
  return std::system((std::string(kPython) + " -c 'import PIL.Image' 2>/dev/null").c_str()) == 0;
}

// Pillow's decoding of the file as red-green-blue samples, rows top-down.
std::optional<test::RgbPicture> PillowDecode(const std::string& png, const std::string& raw) {
  const std::string command = std::string(kPython) +
                              " -c 'import sys, PIL.Image as I; p = I.open(sys.argv[1]); p.load(); "
                              "open(sys.argv[2], \"wb\").write(p.convert(\"RGB\").tobytes()); "
                              "print(p.size[0], p.size[1])' '" +
                              png + "' '" + raw + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  int w = 0, h = 0;
  const bool sized = std::fscanf(pipe, "%d %d", &w, &h) == 2;
  if (pclose(pipe) != 0 || !sized) return std::nullopt;
  test::RgbPicture p = test::MakeRgb(w, h);
  const std::vector<std::uint8_t> bytes = test::ReadBytes(raw);
  if (bytes.size() != p.samples.size()) return std::nullopt;
  p.samples = bytes;
  return p;
}

// Noise: a stream that hardly compresses, so several IDAT chunks.
test::RgbPicture MakeNoise(int w, int h) {
  test::RgbPicture p = test::MakeRgb(w, h);
  unsigned state = 77;
  for (std::uint8_t& s : p.samples) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<std::uint8_t>(state >> 24);
  }
  return p;
}

struct Recipe {
  const char* name;
  test::RgbPicture picture;
};

std::vector<Recipe> Recipes() {
  return {{"1x1", test::MakePhotoLike(1, 1)},
          {"odd width", test::MakePhotoLike(33, 7, 3)},
          {"one column", test::MakePhotoLike(1, 40, 4)},
          {"one row", test::MakePhotoLike(257, 1, 5)},
          {"photo-like", test::MakePhotoLike(321, 203, 6)},
          {"noise, several chunks", MakeNoise(700, 600)}};
}

TEST(PngEncode, ReadsBackIdenticallyWithLibpng) {
  for (const Recipe& r : Recipes()) {
    const Bgr24Image image = test::ToBgr24(r.picture);
    for (unsigned threads : {1u, 2u, 5u}) {
      std::vector<std::uint8_t> file;
      ASSERT_EQ(EncodePngOnThreads(image.Block(), file, threads), kImgOk) << r.name;
      Bgr24Image back;
      ASSERT_EQ(DecodePng(file, back), kImgOk) << r.name;
      EXPECT_EQ(test::MaxDifference(back, r.picture), 0) << r.name << " threads " << threads;
      std::vector<std::uint8_t> again;
      ASSERT_EQ(EncodePngOnThreads(image.Block(), again, 1), kImgOk);
      EXPECT_EQ(file, again) << r.name << ": the file depends on the threads";
    }
  }
}

// Pieces of a few rows each: many joins in one stream.
std::vector<std::uint8_t> InSmallPieces(const test::RgbPicture& picture) {
  const Bgr24Image image = test::ToBgr24(picture);
  PngPieces pieces(image.width, image.height, 700);
  EXPECT_GT(pieces.Count(), 20u);
  for (std::size_t k = pieces.Count(); k-- > 0;) pieces.Encode(k, image.Block());  // any order
  std::vector<std::uint8_t> file;
  EXPECT_EQ(pieces.Finish(file), kImgOk);
  return file;
}

TEST(PngEncode, ManySmallPiecesReadBackIdentically) {
  const test::RgbPicture picture = test::MakePhotoLike(321, 203, 8);
  const std::vector<std::uint8_t> file = InSmallPieces(picture);
  Bgr24Image back;
  ASSERT_EQ(DecodePng(file, back), kImgOk);
  EXPECT_EQ(test::MaxDifference(back, picture), 0);
  test::TempDir dir;
  const std::string png = dir.File("p.png");
  ASSERT_TRUE(test::WriteBytes(png, file));
  if (test::MagickAvailable()) {
    const auto magick = test::MagickDecode(png, dir.File("p.ppm"));
    ASSERT_TRUE(magick.has_value());
    EXPECT_EQ(magick->samples, picture.samples);
  }
  if (PillowAvailable()) {
    const auto pillow = PillowDecode(png, dir.File("p.raw"));
    ASSERT_TRUE(pillow.has_value());
    EXPECT_EQ(pillow->samples, picture.samples);
  }
}

TEST(PngEncode, LongStreamsComeInSeveralChunks) {
  const Bgr24Image image = test::ToBgr24(MakeNoise(700, 600));
  std::vector<std::uint8_t> file;
  ASSERT_EQ(EncodePng(image.Block(), file), kImgOk);
  int idat = 0;
  for (std::size_t at = 8; at + 8 <= file.size();) {
    const std::uint32_t n = std::uint32_t{file[at]} << 24 | std::uint32_t{file[at + 1]} << 16 |
                            std::uint32_t{file[at + 2]} << 8 | file[at + 3];
    idat += std::string(reinterpret_cast<const char*>(&file[at + 4]), 4) == "IDAT";
    at += 12 + n;
  }
  EXPECT_GE(idat, 2);
}

TEST(PngEncode, ReadsBackIdenticallyWithImageMagick) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  test::TempDir dir;
  for (const Recipe& r : Recipes()) {
    std::vector<std::uint8_t> file;
    ASSERT_EQ(EncodePng(test::ToBgr24(r.picture).Block(), file), kImgOk);
    const std::string png = dir.File("p.png");
    ASSERT_TRUE(test::WriteBytes(png, file));
    const auto back = test::MagickDecode(png, dir.File("p.ppm"));
    ASSERT_TRUE(back.has_value()) << r.name;
    EXPECT_EQ(back->samples, r.picture.samples) << r.name;
  }
}

TEST(PngEncode, ReadsBackIdenticallyWithPillow) {
  if (!PillowAvailable()) GTEST_SKIP() << "Pillow (package python3-pil) is not installed";
  test::TempDir dir;
  for (const Recipe& r : Recipes()) {
    std::vector<std::uint8_t> file;
    ASSERT_EQ(EncodePng(test::ToBgr24(r.picture).Block(), file), kImgOk);
    const std::string png = dir.File("p.png");
    ASSERT_TRUE(test::WriteBytes(png, file));
    const auto back = PillowDecode(png, dir.File("p.raw"));
    ASSERT_TRUE(back.has_value()) << r.name;
    EXPECT_EQ(back->width, r.picture.width) << r.name;
    EXPECT_EQ(back->samples, r.picture.samples) << r.name;
  }
}

}  // namespace
}  // namespace brisol
