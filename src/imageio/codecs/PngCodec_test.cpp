#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "MagickReference.h"
#include "RecordingAlertSink.h"
#include "imageio/codecs/ImageCodec.h"

namespace brisol {
namespace {

using Samples = std::vector<std::vector<int>>;  // rows of samples (all channels)

// --- a minimal PNG writer (stored deflate blocks) for exact test files -----

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutU32(std::string& s, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

std::string Chunk(const std::string& type, const std::string& data) {
  std::string out;
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  out += type + data;
  PutU32(out, Crc32(type + data));
  return out;
}

std::string ZlibStored(const std::string& raw) {
  std::string out = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    out += static_cast<char>(pos + n == raw.size() ? 1 : 0);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xFF);
    out += static_cast<char>((~n >> 8) & 0xFF);
    out += raw.substr(pos, n);
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutU32(out, b << 16 | a);
  return out;
}

struct PngRecipe {
  PngRecipe(int w, int h, int d, int type, Samples r, std::string palette = "", std::string transparency = "")
      : width(w),
        height(h),
        depth(d),
        colourType(type),
        rows(std::move(r)),
        plte(std::move(palette)),
        trns(std::move(transparency)) {}
  int width, height, depth, colourType;
  Samples rows;
  std::string plte;
  std::string trns;
};

std::string MakePng(const PngRecipe& recipe) {
  std::string ihdr;
  PutU32(ihdr, static_cast<std::uint32_t>(recipe.width));
  PutU32(ihdr, static_cast<std::uint32_t>(recipe.height));
  ihdr += static_cast<char>(recipe.depth);
  ihdr += static_cast<char>(recipe.colourType);
  ihdr += std::string("\0\0\0", 3);
  std::string raw;
  for (const std::vector<int>& row : recipe.rows) {
    raw += '\0';  // filter: none
    if (recipe.depth == 16) {
      for (int v : row) raw += std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
    } else {
      int acc = 0, bits = 0;
      for (int v : row) {
        acc = acc << recipe.depth | v;
        bits += recipe.depth;
        if (bits == 8) {
          raw += static_cast<char>(acc);
          acc = bits = 0;
        }
      }
      if (bits) raw += static_cast<char>(acc << (8 - bits));
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  png += Chunk("IHDR", ihdr);
  if (!recipe.plte.empty()) png += Chunk("PLTE", recipe.plte);
  if (!recipe.trns.empty()) png += Chunk("tRNS", recipe.trns);
  png += Chunk("IDAT", ZlibStored(raw));
  png += Chunk("IEND", "");
  return png;
}

Bytes AsBytes(const std::string& s) { return Bytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

// Top-left pixel's (r, g, b) of row y, column x.
std::array<int, 3> Rgb(const Bgr24Image& image, int x, int y) {
  const std::uint8_t* p = image.Block().Pixel(x, y);
  return {p[2], p[1], p[0]};
}

// --- round trips -------------------------------------------------------

TEST(PngCodec, RoundTripKeepsEveryPixel) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {5, 7}, {64, 17}}) {
    const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(w, h, static_cast<unsigned>(w * h)));
    std::vector<std::uint8_t> file;
    ASSERT_EQ(EncodePng(source.Block(), file), kImgOk);
    ImageInfo info;
    ASSERT_EQ(ReadPngInfo(file, info), kImgOk);
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    EXPECT_EQ(info.depth, 24);
    Bgr24Image back;
    ASSERT_EQ(DecodePng(file, back), kImgOk);
    EXPECT_EQ(test::MaxDifference(back, source), 0) << w << "x" << h;
  }
}

TEST(PngCodec, EncodeAppendsAndRefusesBadPictures) {
  const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(4, 4));
  std::vector<std::uint8_t> out = {1, 2, 3};
  ASSERT_EQ(EncodePng(source.Block(), out), kImgOk);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[3], 0x89);
  const std::size_t size = out.size();
  EXPECT_EQ(EncodePng(PixelBlock{}, out), kImgErrArgument);
  PixelBlock narrow = source.Block();
  narrow.stride = 2;
  EXPECT_EQ(EncodePng(narrow, out), kImgErrArgument);
  EXPECT_EQ(out.size(), size);
}

// --- every colour type and depth, exactly -------------------------------

struct ExactCase {
  const char* name;
  PngRecipe recipe;
  int depth;                               // as the information reports it
  std::vector<std::array<int, 3>> pixels;  // row-major, expected r, g, b
};

std::vector<ExactCase> ExactCases() {
  const std::string plte = std::string("\x10\x20\x30\xF0\xE0\xD0\x00\xFF\x00\x7F\x7F\x7F", 12);
  return {
      {"grey 1 bit", {3, 1, 1, 0, {{1, 0, 1}}}, 1, {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}}},
      {"grey 2 bit", {4, 1, 2, 0, {{0, 1, 2, 3}}}, 2, {{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}}},
      {"grey 4 bit", {2, 1, 4, 0, {{1, 15}}}, 4, {{17, 17, 17}, {255, 255, 255}}},
      {"grey 8 bit", {2, 1, 8, 0, {{7, 200}}}, 8, {{7, 7, 7}, {200, 200, 200}}},
      {"grey 16 bit keeps the high byte",
       {2, 1, 16, 0, {{0x12FF, 0xAB01}}},
       16,
       {{0x12, 0x12, 0x12}, {0xAB, 0xAB, 0xAB}}},
      {"grey with tRNS stays as stored",
       {2, 1, 8, 0, {{9, 10}}, "", std::string("\0\x09", 2)},
       8,
       {{9, 9, 9}, {10, 10, 10}}},
      {"grey alpha 8", {2, 1, 8, 4, {{50, 0, 60, 255}}}, 16, {{50, 50, 50}, {60, 60, 60}}},
      {"grey alpha 16", {1, 1, 16, 4, {{0x80FF, 0x0000}}}, 32, {{0x80, 0x80, 0x80}}},
      {"rgb 8", {2, 1, 8, 2, {{1, 2, 3, 250, 251, 252}}}, 24, {{1, 2, 3}, {250, 251, 252}}},
      {"rgb 16 keeps the high byte", {1, 1, 16, 2, {{0x01FF, 0x7F80, 0xFE01}}}, 48, {{0x01, 0x7F, 0xFE}}},
      {"rgba 8, alpha dropped, colour as stored",
       {2, 1, 8, 6, {{10, 20, 30, 0, 40, 50, 60, 128}}},
       32,
       {{10, 20, 30}, {40, 50, 60}}},
      {"rgba 16", {1, 1, 16, 6, {{0xFFFF, 0x0100, 0x8000, 0x0000}}}, 64, {{0xFF, 0x01, 0x80}}},
      {"palette 1 bit",
       {3, 1, 1, 3, {{0, 1, 1}}, plte.substr(0, 6)},
       1,
       {{0x10, 0x20, 0x30}, {0xF0, 0xE0, 0xD0}, {0xF0, 0xE0, 0xD0}}},
      {"palette 2 bit with tRNS",
       {4, 1, 2, 3, {{3, 2, 1, 0}}, plte, std::string("\0\0\0\0", 4)},
       2,
       {{0x7F, 0x7F, 0x7F}, {0, 255, 0}, {0xF0, 0xE0, 0xD0}, {0x10, 0x20, 0x30}}},
      {"palette 4 bit",
       {2, 2, 4, 3, {{2, 1}, {0, 3}}, plte},
       4,
       {{0, 255, 0}, {0xF0, 0xE0, 0xD0}, {0x10, 0x20, 0x30}, {0x7F, 0x7F, 0x7F}}},
      {"palette 8 bit", {1, 2, 8, 3, {{1}, {2}}, plte}, 8, {{0xF0, 0xE0, 0xD0}, {0, 255, 0}}},
  };
}

TEST(PngCodec, EveryColourTypeAndDepthArrivesAs24Bit) {
  for (const ExactCase& c : ExactCases()) {
    const std::string file = MakePng(c.recipe);
    ImageInfo info;
    ASSERT_EQ(ReadPngInfo(AsBytes(file), info), kImgOk) << c.name;
    EXPECT_EQ(info.width, c.recipe.width) << c.name;
    EXPECT_EQ(info.height, c.recipe.height) << c.name;
    EXPECT_EQ(info.depth, c.depth) << c.name;
    Bgr24Image image;
    ASSERT_EQ(DecodePng(AsBytes(file), image), kImgOk) << c.name;
    ASSERT_EQ(image.width, c.recipe.width);
    ASSERT_EQ(image.height, c.recipe.height);
    for (int i = 0; i < static_cast<int>(c.pixels.size()); ++i) {
      EXPECT_EQ(Rgb(image, i % image.width, i / image.width), c.pixels[i]) << c.name << " pixel " << i;
    }
  }
}

// --- refusals ---------------------------------------------------------------

TEST(PngCodec, PaletteIndexBeyondThePaletteReadsBlack) {
  // As libpng's own expansion of a palette reads it (and the decoders built
  // on it): the entries past the file's PLTE are black.
  for (int depth : {8, 4, 2, 1}) {
    const int beyond = depth == 1 ? 1 : 3;
    const std::string plte = depth == 1 ? std::string("\7\10\11", 3) : std::string("\1\2\3\4\5\6", 6);
    const std::string file = MakePng({3, 1, depth, 3, {{0, beyond, 0}}, plte});
    Bgr24Image image;
    ASSERT_EQ(DecodePng(AsBytes(file), image), kImgOk) << depth;
    EXPECT_EQ(Rgb(image, 0, 0), (std::array<int, 3>{plte[0], plte[1], plte[2]})) << depth;
    EXPECT_EQ(Rgb(image, 1, 0), (std::array<int, 3>{0, 0, 0})) << depth;
    EXPECT_EQ(Rgb(image, 2, 0), (std::array<int, 3>{plte[0], plte[1], plte[2]})) << depth;
  }
}

TEST(PngCodec, HugeDimensionsAreRefusedBeforeAllocation) {
  const std::string file = MakePng({100000, 100000, 8, 2, {{1, 2, 3}}});
  ImageInfo info;
  EXPECT_EQ(ReadPngInfo(AsBytes(file), info), kImgErrTooLarge);
  Bgr24Image image;
  EXPECT_EQ(DecodePng(AsBytes(file), image), kImgErrTooLarge);
  EXPECT_FALSE(image.IsValid());
}

TEST(PngCodec, NotAPngAndEmptyInputs) {
  ImageInfo info;
  Bgr24Image image;
  EXPECT_EQ(ReadPngInfo(Bytes(), info), kImgErrSignature);
  EXPECT_EQ(DecodePng(AsBytes("GIF89a......"), image), kImgErrSignature);
  EXPECT_EQ(DecodePng(AsBytes(std::string("\x89PNG\r\n\x1a\n", 8)), image), kImgErrRead);
}

TEST(PngCodec, TruncatedFilesAreRefusedAndLeaveTheOutputAlone) {
  const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(13, 9));
  std::vector<std::uint8_t> file;
  ASSERT_EQ(EncodePng(source.Block(), file), kImgOk);
  Bgr24Image previous = test::ToBgr24(test::MakePhotoLike(2, 2));
  for (std::size_t n = 0; n + 12 < file.size(); ++n) {  // everything up to the IEND chunk
    Bgr24Image out = test::ToBgr24(test::MakePhotoLike(2, 2));
    const int rc = DecodePng(Bytes(file.data(), n), out);
    EXPECT_LT(rc, 0) << n;
    EXPECT_EQ(test::MaxDifference(out, previous), 0) << n;
  }
}

// The compressed rows end before the picture does, in a file whose chunks
// are all whole: the library's own reason is kept.
TEST(PngCodec, AStreamCutShortIsToldInTheLibrarysWords) {
  Samples rows(40, std::vector<int>(3 * 30));
  for (int y = 0; y < 40; ++y)
    for (int i = 0; i < 3 * 30; ++i) rows[y][i] = (i * 7 + y * 3) % 256;
  const std::string whole = MakePng({30, 40, 8, 2, rows});
  const std::size_t idat = whole.find("IDAT") - 4;
  const std::size_t length =
      static_cast<unsigned char>(whole[idat + 2]) << 8 | static_cast<unsigned char>(whole[idat + 3]);
  const std::string data = whole.substr(idat + 8, length / 2);
  const std::string cut = whole.substr(0, idat) + Chunk("IDAT", data) + Chunk("IEND", "");
  Bgr24Image image;
  const DecodeResult damaged = DecodePngWithWords(AsBytes(cut), image);
  EXPECT_EQ(damaged.code, kImgErrDecoder);
  EXPECT_EQ(damaged.words, "Not enough image data");
  EXPECT_FALSE(image.IsValid());
  // A file that simply ends is told as cut short, without more words.
  const DecodeResult ended = DecodePngWithWords(AsBytes(whole.substr(0, whole.size() / 2)), image);
  EXPECT_EQ(ended.code, kImgErrRead);
  EXPECT_EQ(ended.words, "");
}

TEST(PngCodec, DamagedImageDataIsRefused) {
  std::string file = MakePng({2, 1, 8, 2, {{1, 2, 3, 4, 5, 6}}});
  const std::size_t idat = file.find("IDAT");
  file[idat + 8] ^= 0x40;  // a data byte: the chunk's CRC no longer matches
  Bgr24Image image;
  EXPECT_LT(DecodePng(AsBytes(file), image), 0);
  EXPECT_FALSE(image.IsValid());
}

// --- against ImageMagick ----------------------------------------------------

TEST(PngCodec, MatchesImageMagickOnItsVariants) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  test::TempDir dir;
  const std::string rgb = dir.File("source.ppm");
  const std::string rgba = dir.File("source.pam");
  ASSERT_TRUE(test::WritePnm(rgb, test::MakePhotoLike(37, 23, 7)));
  ASSERT_TRUE(test::WritePnm(rgba, test::MakePhotoLike(37, 23, 9, 4)));
  struct Variant {
    const char* name;
    bool alpha;
    std::vector<std::string> options;
    std::string prefix;
    int bitDepth, colourType;  // what the file must be
  };
  const std::string grey = "png:color-type=0";
  const Variant variants[] = {
      {"rgb8", false, {}, "PNG24:", 8, 2},
      {"rgb16", false, {"-depth", "16"}, "PNG48:", 16, 2},
      {"rgba8", true, {}, "PNG32:", 8, 6},
      {"rgba16", true, {"-depth", "16"}, "PNG64:", 16, 6},
      {"palette8", false, {"-colors", "50"}, "PNG8:", 8, 3},
      {"palette4", false, {"-colors", "8", "-define", "png:bit-depth=4", "-define", "png:color-type=3"}, "", 4, 3},
      {"palette2", false, {"-colors", "2", "-define", "png:bit-depth=2", "-define", "png:color-type=3"}, "", 2, 3},
      {"palette with tRNS", true, {"-colors", "30"}, "PNG8:", 8, 3},
      {"grey8", false, {"-colorspace", "Gray", "-define", grey, "-depth", "8"}, "", 8, 0},
      {"grey16", false, {"-colorspace", "Gray", "-define", grey, "-depth", "16"}, "", 16, 0},
      {"grey4", false, {"-colorspace", "Gray", "-depth", "4", "-define", "png:bit-depth=4", "-define", grey}, "", 4, 0},
      {"grey2", false, {"-colorspace", "Gray", "-depth", "2", "-define", "png:bit-depth=2", "-define", grey}, "", 2, 0},
      {"grey1", false, {"-colorspace", "Gray", "-depth", "1", "-define", "png:bit-depth=1", "-define", grey}, "", 1, 0},
      {"greyalpha8", true, {"-colorspace", "Gray", "-define", "png:color-type=4"}, "", 8, 4},
      {"greyalpha16", true, {"-colorspace", "Gray", "-depth", "16", "-define", "png:color-type=4"}, "", 16, 4},
      {"interlaced rgb", false, {"-interlace", "PNG"}, "PNG24:", 8, 2},
      {"interlaced rgba16", true, {"-interlace", "PNG", "-depth", "16"}, "PNG64:", 16, 6},
      {"interlaced palette", false, {"-interlace", "PNG", "-colors", "20"}, "PNG8:", 8, 3},
      {"interlaced grey2",
       false,
       {"-interlace", "PNG", "-colorspace", "Gray", "-depth", "2", "-define", "png:bit-depth=2", "-define", grey},
       "",
       2,
       0},
  };
  int n = 0;
  for (const Variant& v : variants) {
    const std::string png = dir.File(std::to_string(n) + "v.png");
    const std::string ppm = dir.File(std::to_string(n++) + "v.ppm");
    std::vector<std::string> args = {v.alpha ? rgba : rgb};
    args.insert(args.end(), v.options.begin(), v.options.end());
    args.push_back(v.prefix + png);
    const bool made = test::RunMagick(args);
    ASSERT_TRUE(made) << v.name;
    const std::vector<std::uint8_t> bytes = test::ReadBytes(png);
    ASSERT_GT(bytes.size(), 29u);
    EXPECT_EQ(bytes[24], v.bitDepth) << v.name;
    EXPECT_EQ(bytes[25], v.colourType) << v.name;
    const auto reference = test::MagickDecode(png, ppm);
    ASSERT_TRUE(reference) << v.name;
    Bgr24Image image;
    ASSERT_EQ(DecodePng(bytes, image), kImgOk) << v.name;
    EXPECT_EQ(test::MaxDifference(image, *reference), 0) << v.name;
  }
}

}  // namespace
}  // namespace brisol
