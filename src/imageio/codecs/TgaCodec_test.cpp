#include <gtest/gtest.h>

#include "RecordingAlertSink.h"
#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/CodecTestSupport.h"
#include "imageio/codecs/ImageCodec.h"

namespace brisol {
namespace {

using codectest::Bgr;
using codectest::FirstDifference;
using codectest::FromImage;
using codectest::MakeTestPicture;
using codectest::Picture;
using codectest::Put16;
using codectest::Put8;
using codectest::PutBytes;
using codectest::ToImage;
using Buffer = std::vector<std::uint8_t>;

struct TgaRecipe {
  std::string id;
  int colorMapType = 0;
  int type = 2;
  int mapFirst = 0;
  int mapLength = 0;
  int mapBits = 0;
  int width = 0;
  int height = 0;
  int bits = 24;
  int descriptor = 0;
  Buffer map;
  Buffer data;
};

Buffer BuildTga(const TgaRecipe& s) {
  Buffer f;
  Put8(f, static_cast<unsigned>(s.id.size()));
  Put8(f, static_cast<unsigned>(s.colorMapType));
  Put8(f, static_cast<unsigned>(s.type));
  Put16(f, static_cast<unsigned>(s.mapFirst));
  Put16(f, static_cast<unsigned>(s.mapLength));
  Put8(f, static_cast<unsigned>(s.mapBits));
  Put16(f, 0);
  Put16(f, 0);
  Put16(f, static_cast<unsigned>(s.width));
  Put16(f, static_cast<unsigned>(s.height));
  Put8(f, static_cast<unsigned>(s.bits));
  Put8(f, static_cast<unsigned>(s.descriptor));
  f.insert(f.end(), s.id.begin(), s.id.end());
  PutBytes(f, s.map);
  PutBytes(f, s.data);
  return f;
}

// The picture's pixels in the order a file with this descriptor stores them.
template <typename T>
std::vector<T> FileOrder(const std::vector<T>& topDownPixels, int w, int h, int descriptor) {
  std::vector<T> out;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) {
      const int x = (descriptor & 0x10) ? w - 1 - c : c;
      const int y = (descriptor & 0x20) ? r : h - 1 - r;
      out.push_back(topDownPixels[static_cast<std::size_t>(y) * w + x]);
    }
  return out;
}

// Run-length packets over the whole pixel sequence (so they cross rows).
Buffer RleEncode(const std::vector<Buffer>& pixels) {
  Buffer out;
  std::size_t i = 0;
  while (i < pixels.size()) {
    std::size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
    if (run > 1) {
      Put8(out, 0x80 | static_cast<unsigned>(run - 1));
      PutBytes(out, pixels[i]);
      i += run;
      continue;
    }
    std::size_t raw = 1;
    while (i + raw < pixels.size() && raw < 128 &&
           !(i + raw + 1 < pixels.size() && pixels[i + raw] == pixels[i + raw + 1]))
      ++raw;
    Put8(out, static_cast<unsigned>(raw - 1));
    for (std::size_t k = 0; k < raw; ++k) PutBytes(out, pixels[i + k]);
    i += raw;
  }
  return out;
}

Buffer Concat(const std::vector<Buffer>& pixels) {
  Buffer out;
  for (const Buffer& p : pixels) PutBytes(out, p);
  return out;
}

// A picture with runs: pixels repeat in blocks of three across rows.
Picture RunnyPicture(int w, int h) {
  const Picture base = MakeTestPicture(w * h, 1, 3);
  Picture p(w, h);
  for (int i = 0; i < w * h; ++i) p.pixels[i] = base.pixels[i / 3];
  return p;
}

Picture DecodeOk(const Buffer& file) {
  Bgr24Image image;
  const int rc = DecodeTga(file, image);
  EXPECT_EQ(rc, kImgOk);
  return rc == kImgOk ? FromImage(image) : Picture();
}

constexpr int kOrigins[] = {0x00, 0x10, 0x20, 0x30};

TEST(TgaCodec, TrueColourAndGreyInEveryOriginPlainAndRunLength) {
  const int w = 5, h = 4;
  const Picture picture = RunnyPicture(w, h);
  for (int origin : kOrigins) {
    for (bool rle : {false, true}) {
      for (int bits : {24, 32, 8}) {
        SCOPED_TRACE("origin " + std::to_string(origin) + (rle ? " RLE " : " ") + std::to_string(bits));
        std::vector<Buffer> pixels;
        Picture want = picture;
        for (const Bgr& c : FileOrder(picture.pixels, w, h, origin)) {
          if (bits == 8)
            pixels.push_back({c[1]});
          else if (bits == 24)
            pixels.push_back({c[0], c[1], c[2]});
          else
            pixels.push_back({c[0], c[1], c[2], 0x7F});
        }
        if (bits == 8)
          for (Bgr& c : want.pixels) c = {c[1], c[1], c[1]};
        TgaRecipe s;
        s.type = (bits == 8 ? 3 : 2) + (rle ? 8 : 0);
        s.width = w;
        s.height = h;
        s.bits = bits;
        s.descriptor = origin | (bits == 32 ? 8 : 0);
        s.data = rle ? RleEncode(pixels) : Concat(pixels);
        EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(s)), want), "");
      }
    }
  }
}

TEST(TgaCodec, ColourMappedInEveryOriginWithMapKinds) {
  const int w = 6, h = 3;
  const int first = 5;  // the map's first entry stands for index 5
  const Picture colours = MakeTestPicture(8, 1, 9);
  std::vector<int> indices;
  for (int i = 0; i < w * h; ++i) indices.push_back(first + (i / 2) % 8);
  for (int mapBits : {15, 16, 24, 32}) {
    for (int origin : kOrigins) {
      for (bool rle : {false, true}) {
        SCOPED_TRACE("map " + std::to_string(mapBits) + " origin " + std::to_string(origin) + (rle ? " RLE" : ""));
        TgaRecipe s;
        s.colorMapType = 1;
        s.type = rle ? 9 : 1;
        s.mapFirst = first;
        s.mapLength = 8;
        s.mapBits = mapBits;
        s.width = w;
        s.height = h;
        s.bits = 8;
        s.descriptor = origin;
        std::vector<Bgr> entries;
        for (const Bgr& c : colours.pixels) {
          if (mapBits <= 16) {
            const unsigned v = (c[0] >> 3) | ((c[1] >> 3) << 5) | ((c[2] >> 3) << 10) | 0x8000;
            Put16(s.map, v);
            auto widen = [](unsigned f) { return static_cast<std::uint8_t>((f << 3) | (f >> 2)); };
            entries.push_back({widen(c[0] >> 3), widen(c[1] >> 3), widen(c[2] >> 3)});
          } else {
            PutBytes(s.map, {c[0], c[1], c[2]});
            if (mapBits == 32) Put8(s.map, 0x40);
            entries.push_back(c);
          }
        }
        Picture want(w, h);
        for (int i = 0; i < w * h; ++i) want.pixels[i] = entries[indices[i] - first];
        std::vector<Buffer> pixels;
        for (int index : FileOrder(indices, w, h, origin)) pixels.push_back({static_cast<std::uint8_t>(index)});
        s.data = rle ? RleEncode(pixels) : Concat(pixels);
        EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(s)), want), "");
      }
    }
  }
}

TEST(TgaCodec, SixteenBitColoursAndIdField) {
  TgaRecipe s;
  s.id = "made by a test";
  s.colorMapType = 1;  // a map in a true-colour file is skipped
  s.mapLength = 3;
  s.mapBits = 24;
  s.map.assign(9, 0xEE);
  s.width = 32;
  s.height = 1;
  for (int bits : {15, 16}) {
    s.bits = bits;
    s.data.clear();
    Picture want(32, 1);
    for (int v = 0; v < 32; ++v) {
      const unsigned r = v, g = 31 - v, b = (v * 7) % 32;
      Put16(s.data, b | (g << 5) | (r << 10) | (v % 2 ? 0x8000 : 0));
      auto widen = [](unsigned f) { return static_cast<std::uint8_t>((f << 3) | (f >> 2)); };
      want.at(v, 0) = {widen(b), widen(g), widen(r)};
    }
    EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(s)), want), "") << bits << " bits";
  }
}

TEST(TgaCodec, GreyWithAlphaAndMapIndicesOutsideTheMap) {
  TgaRecipe grey;
  grey.type = 3;
  grey.width = 2;
  grey.height = 1;
  grey.bits = 16;
  grey.data = {10, 255, 200, 0};  // grey then alpha
  Picture want(2, 1);
  want.at(0, 0) = {10, 10, 10};
  want.at(1, 0) = {200, 200, 200};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(grey)), want), "");

  TgaRecipe mapped;
  mapped.colorMapType = 1;
  mapped.type = 1;
  mapped.mapFirst = 2;
  mapped.mapLength = 2;
  mapped.mapBits = 24;
  mapped.map = {1, 2, 3, 4, 5, 6};
  mapped.width = 5;
  mapped.height = 1;
  mapped.bits = 8;
  mapped.descriptor = 0x20;
  mapped.data = {0, 2, 3, 4, 255};
  Picture mappedWant(5, 1);
  mappedWant.at(1, 0) = {1, 2, 3};
  mappedWant.at(2, 0) = {4, 5, 6};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(mapped)), mappedWant), "");
}

TEST(TgaCodec, RunPacketGoesOnIntoTheNextRow) {
  TgaRecipe s;
  s.type = 10;
  s.width = 3;
  s.height = 2;
  s.descriptor = 0x20;                               // top row first
  s.data = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};  // 4 x (1,2,3) over both rows, then 2 raw
  Picture want(3, 2);
  want.at(0, 0) = want.at(1, 0) = want.at(2, 0) = want.at(0, 1) = {1, 2, 3};
  want.at(1, 1) = {4, 5, 6};
  want.at(2, 1) = {7, 8, 9};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildTga(s)), want), "");

  s.data = {0x83, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // raw packet one pixel too long
  Bgr24Image image;
  EXPECT_EQ(DecodeTga(BuildTga(s), image), kImgErrCorrupt);
  s.data = {0x86, 1, 2, 3};  // run of 7 in a 6-pixel picture
  EXPECT_EQ(DecodeTga(BuildTga(s), image), kImgErrCorrupt);
  EXPECT_FALSE(image.IsValid());
}

struct TgaRefusal {
  const char* name;
  TgaRecipe recipe;
  int expected;
};

TEST(TgaCodec, RefusedHeaders) {
  auto recipe = [](int type, int bits, int w = 4, int h = 4) {
    TgaRecipe s;
    s.type = type;
    s.bits = bits;
    s.width = w;
    s.height = h;
    s.data.assign(64, 0);
    return s;
  };
  std::vector<TgaRefusal> cases = {
      {"no picture", recipe(0, 24), kImgErrUnsupported},
      {"Huffman", recipe(32, 8), kImgErrUnsupported},
      {"unknown type", recipe(7, 24), kImgErrSignature},
      {"colour-mapped without a map", recipe(1, 8), kImgErrCorrupt},
      {"12-bit true colour", recipe(2, 12), kImgErrUnsupported},
      {"24-bit grey", recipe(3, 24), kImgErrUnsupported},
      {"zero width", recipe(2, 24, 0, 4), kImgErrDimensions},
      {"zero height", recipe(2, 24, 4, 0), kImgErrDimensions},
      {"65535 x 65535", recipe(2, 24, 65535, 65535), kImgErrTooLarge},
      {"65535 x 65535 run-length", recipe(10, 24, 65535, 65535), kImgErrTooLarge},
  };
  TgaRefusal mapType{"colour map type 2", recipe(2, 24), kImgErrSignature};
  mapType.recipe.colorMapType = 2;
  cases.push_back(mapType);
  TgaRefusal mapBits{"8-bit map entries", recipe(1, 8), kImgErrUnsupported};
  mapBits.recipe.colorMapType = 1;
  mapBits.recipe.mapLength = 4;
  mapBits.recipe.mapBits = 8;
  cases.push_back(mapBits);
  TgaRefusal interleaved{"interleaved rows", recipe(2, 24), kImgErrUnsupported};
  interleaved.recipe.descriptor = 0x40;
  cases.push_back(interleaved);
  TgaRefusal mapPastEnd{"map beyond the file", recipe(1, 8), kImgErrRead};
  mapPastEnd.recipe.colorMapType = 1;
  mapPastEnd.recipe.mapLength = 5000;
  mapPastEnd.recipe.mapBits = 24;
  cases.push_back(mapPastEnd);
  for (const TgaRefusal& c : cases) {
    SCOPED_TRACE(c.name);
    Bgr24Image image;
    ImageInfo info;
    EXPECT_EQ(DecodeTga(BuildTga(c.recipe), image), c.expected);
    EXPECT_EQ(ReadTgaInfo(BuildTga(c.recipe), info), c.expected);
    EXPECT_FALSE(image.IsValid());
  }
}

TEST(TgaCodec, EveryTruncationIsRefused) {
  const Picture picture = RunnyPicture(5, 3);
  std::vector<Buffer> pixels;
  for (const Bgr& c : FileOrder(picture.pixels, 5, 3, 0)) pixels.push_back({c[0], c[1], c[2]});
  TgaRecipe plain;
  plain.id = "id";
  plain.width = 5;
  plain.height = 3;
  plain.data = Concat(pixels);
  TgaRecipe rle = plain;
  rle.type = 10;
  rle.data = RleEncode(pixels);
  for (const TgaRecipe& s : {plain, rle}) {
    const Buffer full = BuildTga(s);
    Bgr24Image image;
    ASSERT_EQ(DecodeTga(full, image), kImgOk);
    for (std::size_t n = 0; n < full.size(); ++n) {
      Bgr24Image cut;
      EXPECT_EQ(DecodeTga(Bytes(full.data(), n), cut), kImgErrRead) << "type " << s.type << " cut to " << n;
      EXPECT_FALSE(cut.IsValid());
    }
  }
}

TEST(TgaCodec, InformationGivesTheStoredDepth) {
  for (int bits : {15, 16, 24, 32}) {
    TgaRecipe s;
    s.width = 640;
    s.height = 480;
    s.bits = bits;
    ImageInfo info;
    ASSERT_EQ(ReadTgaInfo(BuildTga(s), info), kImgOk);
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 480);
    EXPECT_EQ(info.depth, bits);
  }
}

TEST(TgaCodec, WrittenFilesReadBackToTheSamePixels) {
  const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {300, 2}};
  for (const auto& size : sizes) {
    const Picture picture = MakeTestPicture(size[0], size[1]);
    Buffer file = {0xAB};
    ASSERT_EQ(EncodeTga(ToImage(picture).Block(), file), kImgOk);
    EXPECT_EQ(file[0], 0xAB);
    const Bytes tga = Bytes(file).subspan(1);
    EXPECT_EQ(tga[2], 2);  // uncompressed true colour
    EXPECT_EQ(tga[16], 24);
    EXPECT_EQ(tga[17] & 0x30, 0);  // bottom-left origin
    Bgr24Image back;
    ASSERT_EQ(DecodeTga(tga, back), kImgOk);
    EXPECT_EQ(FirstDifference(FromImage(back), picture), "");
  }
  Buffer out;
  EXPECT_EQ(EncodeTga(PixelBlock{}, out), kImgErrArgument);
  Bgr24Image wide;
  ASSERT_EQ(AllocBgr24(wide, 70000, 1), kImgOk);
  EXPECT_EQ(EncodeTga(wide.Block(), out), kImgErrDimensions);
  EXPECT_TRUE(out.empty());
}

TEST(TgaCodec, MatchesImageMagick) {
  if (!codectest::MagickAvailable()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::vector<std::vector<std::string>> variants = {
      {},
      {"-compress", "RLE"},
      {"-colors", "100", "-type", "Palette"},
      {"-colors", "100", "-type", "Palette", "-compress", "RLE"},
      {"-colorspace", "Gray"},
      {"-colorspace", "Gray", "-compress", "RLE"},
      {"-orient", "TopLeft"},
      {"-alpha", "set"},
  };
  test::TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(codectest::WriteAll(source, codectest::ToPpm(RunnyPicture(29, 17))));
  for (const auto& options : variants) {
    std::string name;
    for (const std::string& o : options) name += o + " ";
    SCOPED_TRACE(name);
    std::vector<std::string> args = {source};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("TGA:" + dir.File("variant.tga"));
    ASSERT_TRUE(codectest::RunMagick(args));
    Bgr24Image ours;
    ASSERT_EQ(DecodeTga(codectest::ReadAll(dir.File("variant.tga")), ours), kImgOk);
    const auto theirs = codectest::MagickDecode(dir.File("variant.tga"), dir.File("theirs.ppm"));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(FirstDifference(FromImage(ours), *theirs), "");
  }
  // And ImageMagick reads what we write.
  const Picture picture = MakeTestPicture(23, 11);
  Buffer file;
  ASSERT_EQ(EncodeTga(ToImage(picture).Block(), file), kImgOk);
  ASSERT_TRUE(codectest::WriteAll(dir.File("ours.tga"), file));
  const auto theirs = codectest::MagickDecode(dir.File("ours.tga"), dir.File("theirs.ppm"));
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(*theirs, picture), "");
}

}  // namespace
}  // namespace brisol
