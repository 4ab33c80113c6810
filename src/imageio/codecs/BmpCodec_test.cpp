#include <gtest/gtest.h>

#include "RecordingAlertSink.h"
#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/CodecTestSupport.h"
#include "imageio/codecs/ImageCodec.h"
#include "raster/Types.h"

namespace brisol {
namespace {

using codectest::FirstDifference;
using codectest::FromImage;
using codectest::MakeTestPicture;
using codectest::Picture;
using codectest::ToImage;
using Buffer = std::vector<std::uint8_t>;

TEST(BmpCodec, WrittenFilesReadBackToTheSamePixels) {
  const int sizes[][2] = {{1, 1}, {2, 3}, {5, 4}, {64, 1}, {1, 64}, {37, 23}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    const Picture picture = MakeTestPicture(size[0], size[1]);
    const Bgr24Image image = ToImage(picture);
    Buffer file;
    ASSERT_EQ(EncodeBmp(image.Block(), file), kImgOk);
    const std::uint32_t stride = (static_cast<std::uint32_t>(size[0]) * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * size[1]);
    EXPECT_EQ(LoadU32LE(file.data() + 2), file.size());
    EXPECT_EQ(LoadU32LE(file.data() + 10), 54u);
    EXPECT_EQ(LoadU16LE(file.data() + 28), 24);                            // bits per pixel
    EXPECT_EQ(LoadU32LE(file.data() + 30), 0u);                            // BI_RGB
    EXPECT_GT(static_cast<std::int32_t>(LoadU32LE(file.data() + 22)), 0);  // bottom-up
    Bgr24Image back;
    ASSERT_EQ(DecodeBmp(file, back), kImgOk);
    EXPECT_EQ(FirstDifference(FromImage(back), picture), "");
    ImageInfo info;
    ASSERT_EQ(ReadBmpInfo(file, info), kImgOk);
    EXPECT_EQ(info.width, size[0]);
    EXPECT_EQ(info.height, size[1]);
    EXPECT_EQ(info.depth, 24);
  }
}

TEST(BmpCodec, EncoderAppendsAndRefusesBadPictures) {
  const Bgr24Image image = ToImage(MakeTestPicture(3, 2));
  Buffer out = {1, 2, 3};
  ASSERT_EQ(EncodeBmp(image.Block(), out), kImgOk);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[3], 'B');
  Bgr24Image back;
  EXPECT_EQ(DecodeBmp(Bytes(out).subspan(3), back), kImgOk);

  Buffer untouched = {9};
  EXPECT_EQ(EncodeBmp(PixelBlock{}, untouched), kImgErrArgument);
  PixelBlock shortRows = image.Block();
  shortRows.stride = 5;  // less than 3 bytes per pixel
  EXPECT_EQ(EncodeBmp(shortRows, untouched), kImgErrArgument);
  EXPECT_EQ(untouched, Buffer{9});
}

// A BMP file around a JPEG or PNG stream.
Buffer WrapInBmp(const Buffer& stream, std::uint32_t compression, int w, int h) {
  Buffer f;
  codectest::Put16(f, 0x4D42);
  codectest::Put32(f, static_cast<std::uint32_t>(54 + stream.size()));
  codectest::Put32(f, 0);
  codectest::Put32(f, 54);
  codectest::Put32(f, 40);
  codectest::Put32(f, static_cast<std::uint32_t>(w));
  codectest::Put32(f, static_cast<std::uint32_t>(h));
  codectest::Put16(f, 1);
  codectest::Put16(f, 0);
  codectest::Put32(f, compression);
  codectest::Put32(f, static_cast<std::uint32_t>(stream.size()));
  for (int i = 0; i < 4; ++i) codectest::Put32(f, 0);
  codectest::PutBytes(f, stream);
  return f;
}

TEST(BmpCodec, EmbeddedPngIsDecodedByThePngCodec) {
  const Picture picture = MakeTestPicture(19, 7);
  Buffer png;
  ASSERT_EQ(EncodePng(ToImage(picture).Block(), png), kImgOk);
  const Buffer bmp = WrapInBmp(png, BI_PNG, 19, 7);
  Bgr24Image image;
  ASSERT_EQ(DecodeBmp(bmp, image), kImgOk);
  EXPECT_EQ(FirstDifference(FromImage(image), picture), "");
  ImageInfo info, direct;
  ASSERT_EQ(ReadBmpInfo(bmp, info), kImgOk);
  ASSERT_EQ(ReadPngInfo(png, direct), kImgOk);
  EXPECT_EQ(info.width, 19);
  EXPECT_EQ(info.height, 7);
  EXPECT_EQ(info.depth, direct.depth);
  // The packed form, as the clipboard might hold it.
  ASSERT_EQ(DecodePackedDib(Bytes(bmp).subspan(14), image), kImgOk);
  EXPECT_EQ(FirstDifference(FromImage(image), picture), "");
}

TEST(BmpCodec, EmbeddedJpegIsDecodedByTheJpegCodec) {
  const Picture picture = MakeTestPicture(24, 16);
  Buffer jpeg;
  ASSERT_EQ(EncodeJpeg(ToImage(picture).Block(), 90, jpeg), kImgOk);
  Bgr24Image direct;
  ASSERT_EQ(DecodeJpeg(jpeg, direct), kImgOk);
  Bgr24Image image;
  ASSERT_EQ(DecodeBmp(WrapInBmp(jpeg, BI_JPEG, 24, 16), image), kImgOk);
  EXPECT_EQ(FirstDifference(FromImage(image), FromImage(direct)), "");
  // Damaged embedded data fails through the JPEG codec.
  jpeg.resize(jpeg.size() / 3);
  EXPECT_NE(DecodeBmp(WrapInBmp(jpeg, BI_JPEG, 24, 16), image), kImgOk);
}

// --- against ImageMagick ----------------------------------------------------------

struct MagickVariant {
  const char* name;
  std::vector<std::string> options;
  const char* format;
  int depth;  // expected bits per pixel as stored
};

TEST(BmpCodec, MatchesImageMagickOnItsOwnFiles) {
  if (!codectest::MagickAvailable()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const MagickVariant variants[] = {
      {"24-bit info header", {}, "BMP3", 24},
      {"8-bit palette", {"-colors", "200", "-type", "Palette", "-compress", "None"}, "BMP3", 8},
      {"4-bit palette", {"-colors", "16", "-type", "Palette"}, "BMP3", 4},
      {"1-bit palette", {"-colors", "2", "-type", "Palette"}, "BMP3", 1},
      {"RLE8", {"-colors", "200", "-type", "Palette", "-compress", "RLE"}, "BMP3", 8},
      {"core header 24-bit", {}, "BMP2", 24},
      {"core header palette", {"-colors", "100", "-type", "Palette"}, "BMP2", 8},
      {"V5 header 24-bit", {}, "BMP", 24},
      {"V5 header 32-bit with alpha", {"-alpha", "set", "-channel", "A", "-fx", "0.5"}, "BMP", 32},
      {"16-bit 565", {"-define", "bmp:subtype=RGB565"}, "BMP", 16},
      {"16-bit 555", {"-define", "bmp:subtype=RGB555"}, "BMP", 16},
  };
  test::TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(codectest::WriteAll(source, codectest::ToPpm(MakeTestPicture(37, 23, 3))));
  for (const MagickVariant& v : variants) {
    SCOPED_TRACE(v.name);
    const std::string file = dir.File("variant.bmp");
    std::vector<std::string> args = {source};
    args.insert(args.end(), v.options.begin(), v.options.end());
    args.push_back(std::string(v.format) + ":" + file);
    ASSERT_TRUE(codectest::RunMagick(args));
    const Buffer bytes = codectest::ReadAll(file);
    ImageInfo info;
    ASSERT_EQ(ReadBmpInfo(bytes, info), kImgOk);
    EXPECT_EQ(info.depth, v.depth);
    Bgr24Image ours;
    ASSERT_EQ(DecodeBmp(bytes, ours), kImgOk);
    const auto theirs = codectest::MagickDecode(file, dir.File("theirs.ppm"));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(FirstDifference(FromImage(ours), *theirs), "");
  }
}

TEST(BmpCodec, ImageMagickReadsOurFiles) {
  if (!codectest::MagickAvailable()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  test::TempDir dir;
  const Picture picture = MakeTestPicture(31, 9, 5);
  Buffer file;
  ASSERT_EQ(EncodeBmp(ToImage(picture).Block(), file), kImgOk);
  ASSERT_TRUE(codectest::WriteAll(dir.File("ours.bmp"), file));
  const auto theirs = codectest::MagickDecode(dir.File("ours.bmp"), dir.File("theirs.ppm"));
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(*theirs, picture), "");
}

}  // namespace
}  // namespace brisol
