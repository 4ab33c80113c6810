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
using codectest::FromRgb;
using codectest::MakeTestPicture;
using codectest::Picture;
using codectest::Put16;
using codectest::Put8;
using codectest::PutBytes;
using codectest::ToImage;
using Buffer = std::vector<std::uint8_t>;

constexpr unsigned kEga[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                               0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

struct PcxRecipe {
  int version = 5;
  int encoding = 1;
  int bits = 8;
  int planes = 1;
  int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  int bytesPerLine = 0;
  Buffer headerColours = Buffer(48, 0);
  Buffer data;
};

Buffer BuildPcx(const PcxRecipe& s) {
  Buffer f;
  Put8(f, 0x0A);
  Put8(f, static_cast<unsigned>(s.version));
  Put8(f, static_cast<unsigned>(s.encoding));
  Put8(f, static_cast<unsigned>(s.bits));
  Put16(f, static_cast<unsigned>(s.xMin));
  Put16(f, static_cast<unsigned>(s.yMin));
  Put16(f, static_cast<unsigned>(s.xMax));
  Put16(f, static_cast<unsigned>(s.yMax));
  Put16(f, 72);
  Put16(f, 72);
  PutBytes(f, s.headerColours);
  Put8(f, 0);
  Put8(f, static_cast<unsigned>(s.planes));
  Put16(f, static_cast<unsigned>(s.bytesPerLine));
  Put16(f, 1);
  f.resize(128, 0);
  PutBytes(f, s.data);
  return f;
}

// Run-length coding of the whole byte stream: runs go on across planes and
// scan lines wherever the bytes repeat.
Buffer RleAcross(const Buffer& raw) {
  Buffer out;
  std::size_t i = 0;
  while (i < raw.size()) {
    std::size_t run = 1;
    while (i + run < raw.size() && run < 63 && raw[i + run] == raw[i]) ++run;
    if (run == 1 && raw[i] < 0xC0) {
      out.push_back(raw[i]);
    } else {
      out.push_back(static_cast<std::uint8_t>(0xC0 | run));
      out.push_back(raw[i]);
    }
    i += run;
  }
  return out;
}

// Scan lines of an indexed picture: `planes` planes of `bits` bits each.
Buffer IndexLines(const std::vector<unsigned>& indices, int w, int h, int bits, int planes, int bpl) {
  Buffer raw(static_cast<std::size_t>(bpl) * planes * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned index = indices[static_cast<std::size_t>(y) * w + x];
      std::uint8_t* line = raw.data() + static_cast<std::size_t>(y) * bpl * planes;
      if (planes == 1) {
        const int bit = x * bits;
        line[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits - bit % 8));
      } else {
        for (int k = 0; k < planes; ++k)
          if ((index >> k) & 1) line[k * bpl + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  return raw;
}

std::vector<unsigned> Indices(int w, int h, unsigned range) {
  std::vector<unsigned> v;
  for (int i = 0; i < w * h; ++i) v.push_back(static_cast<unsigned>((i / 2 + i / w) % range));
  return v;
}

Buffer HeaderColours(int n) {
  Buffer c(48, 0);
  for (int i = 0; i < n; ++i) {
    c[3 * i] = static_cast<std::uint8_t>(20 + i * 15);
    c[3 * i + 1] = static_cast<std::uint8_t>(250 - i * 9);
    c[3 * i + 2] = static_cast<std::uint8_t>(i * 31);
  }
  return c;
}

Bgr HeaderColour(const Buffer& c, unsigned i) { return {c[3 * i + 2], c[3 * i + 1], c[3 * i]}; }

Picture DecodeOk(const Buffer& file) {
  Bgr24Image image;
  const int rc = DecodePcx(file, image);
  EXPECT_EQ(rc, kImgOk);
  return rc == kImgOk ? FromImage(image) : Picture();
}

TEST(PcxCodec, OneBitInOneToFourPlanes) {
  const int w = 21, h = 5;
  for (int planes = 1; planes <= 4; ++planes) {
    // Version 3 files with a colour table in the header use it as the others
    // do; only an all-zero table stands for the default EGA colours.
    for (int version : {2, 3, 5}) {
      for (const bool emptyTable : {false, true}) {
        SCOPED_TRACE(std::to_string(planes) + " planes, version " + std::to_string(version) +
                     (emptyTable ? ", all-zero header colours" : ""));
        const auto indices = Indices(w, h, 1u << planes);
        PcxRecipe s;
        s.version = version;
        s.bits = 1;
        s.planes = planes;
        s.xMax = w - 1;
        s.yMax = h - 1;
        s.bytesPerLine = 4;  // 3 needed, lines padded to even
        s.headerColours = emptyTable ? Buffer(48, 0) : HeaderColours(16);
        s.data = RleAcross(IndexLines(indices, w, h, 1, planes, s.bytesPerLine));
        Picture want(w, h);
        for (int i = 0; i < w * h; ++i) {
          if (planes == 1)
            want.pixels[i] = indices[i] ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
          else if (version == 3 && emptyTable)
            want.pixels[i] = FromRgb(kEga[indices[i]]);
          else
            want.pixels[i] = HeaderColour(s.headerColours, indices[i]);
        }
        EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), want), "");
      }
    }
  }
}

TEST(PcxCodec, TwoBitWithHeaderColoursOrCgaFields) {
  const int w = 9, h = 3;
  const auto indices = Indices(w, h, 4);
  PcxRecipe s;
  s.bits = 2;
  s.xMax = w - 1;
  s.yMax = h - 1;
  s.bytesPerLine = 4;
  s.data = RleAcross(IndexLines(indices, w, h, 2, 1, 4));

  s.headerColours = HeaderColours(4);
  Picture want(w, h);
  for (int i = 0; i < w * h; ++i) want.pixels[i] = HeaderColour(s.headerColours, indices[i]);
  EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), want), "") << "header colours";

  struct CgaCase {
    std::uint8_t background, flags;
    unsigned colours[3];
  };
  const CgaCase cga[] = {
      {0x00, 0x00, {0x00AA00, 0xAA0000, 0xAA5500}},  // palette 0, dim
      {0x10, 0x20, {0x55FF55, 0xFF5555, 0xFFFF55}},  // palette 0, bright
      {0x90, 0x40, {0x00AAAA, 0xAA00AA, 0xAAAAAA}},  // palette 1, dim
      {0xF0, 0x60, {0x55FFFF, 0xFF55FF, 0xFFFFFF}},  // palette 1, bright
      {0x30, 0x80, {0x00AAAA, 0xAA0000, 0xAAAAAA}},  // colour burst off
  };
  for (const CgaCase& c : cga) {
    SCOPED_TRACE("CGA background " + std::to_string(c.background) + " flags " + std::to_string(c.flags));
    s.headerColours.assign(48, 0);
    s.headerColours[0] = c.background;
    s.headerColours[3] = c.flags;
    Picture cgaWant(w, h);
    for (int i = 0; i < w * h; ++i)
      cgaWant.pixels[i] = FromRgb(indices[i] == 0 ? kEga[c.background >> 4] : c.colours[indices[i] - 1]);
    EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), cgaWant), "");
  }
}

TEST(PcxCodec, FourBitPacked) {
  const int w = 7, h = 4;
  const auto indices = Indices(w, h, 16);
  for (int version : {3, 5}) {
    for (const bool emptyTable : {false, true}) {
      PcxRecipe s;
      s.version = version;
      s.bits = 4;
      s.xMax = w - 1;
      s.yMax = h - 1;
      s.bytesPerLine = 5;  // odd, one byte of padding
      s.headerColours = emptyTable ? Buffer(48, 0) : HeaderColours(16);
      s.data = RleAcross(IndexLines(indices, w, h, 4, 1, 5));
      Picture want(w, h);
      for (int i = 0; i < w * h; ++i) {
        want.pixels[i] =
            version == 3 && emptyTable ? FromRgb(kEga[indices[i]]) : HeaderColour(s.headerColours, indices[i]);
      }
      EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), want), "")
          << "version " << version << (emptyTable ? ", all-zero header colours" : "");
    }
  }
}

TEST(PcxCodec, EightBitWithAndWithoutTheEndPalette) {
  const int w = 11, h = 6;
  const auto indices = Indices(w, h, 256);
  PcxRecipe s;
  s.xMin = 100;
  s.yMin = 7;
  s.xMax = 100 + w - 1;
  s.yMax = 7 + h - 1;
  s.bytesPerLine = 12;
  s.data = RleAcross(IndexLines(indices, w, h, 8, 1, 12));
  Picture grey(w, h);
  for (int i = 0; i < w * h; ++i)
    grey.pixels[i] = {std::uint8_t(indices[i]), std::uint8_t(indices[i]), std::uint8_t(indices[i])};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), grey), "") << "without the end palette";

  const Picture colours = MakeTestPicture(256, 1, 4);
  Put8(s.data, 0x0C);
  for (const Bgr& c : colours.pixels) PutBytes(s.data, {c[2], c[1], c[0]});
  Picture want(w, h);
  for (int i = 0; i < w * h; ++i) want.pixels[i] = colours.pixels[indices[i]];
  EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), want), "") << "with the end palette";
}

TEST(PcxCodec, TrueColourPlanes) {
  const int w = 9, h = 4;
  const Picture picture = MakeTestPicture(w, h, 8);
  for (int planes : {3, 4}) {
    for (int bpl : {10, 11}) {
      for (int encoding : {0, 1}) {
        SCOPED_TRACE(std::to_string(planes) + " planes, " + std::to_string(bpl) + " bytes per line, encoding " +
                     std::to_string(encoding));
        Buffer raw;
        for (int y = 0; y < h; ++y)
          for (int k = 0; k < planes; ++k)
            for (int x = 0; x < bpl; ++x) raw.push_back(x >= w ? 0 : k == 3 ? 0x33 : picture.at(x, y)[2 - k]);
        PcxRecipe s;
        s.encoding = encoding;
        s.planes = planes;
        s.xMax = w - 1;
        s.yMax = h - 1;
        s.bytesPerLine = bpl;
        s.data = encoding ? RleAcross(raw) : raw;
        EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), picture), "");
      }
    }
  }
}

TEST(PcxCodec, RunsCrossPlanesAndScanLines) {
  PcxRecipe s;
  s.planes = 3;
  s.xMax = 1;
  s.yMax = 1;
  s.bytesPerLine = 2;
  // 12 bytes in all. A run of 3 crosses from the red plane into the green;
  // a run of 5 from green through blue into the next line's red plane.
  s.data = {0xC3, 10, 0xC5, 20, 30, 0xC3, 40};
  Picture want(2, 2);
  want.at(0, 0) = {20, 10, 10};
  want.at(1, 0) = {20, 20, 10};
  want.at(0, 1) = {40, 30, 20};
  want.at(1, 1) = {40, 40, 20};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildPcx(s)), want), "");
}

struct PcxRefusal {
  const char* name;
  PcxRecipe recipe;
  int expected;
};

TEST(PcxCodec, RefusedHeaders) {
  auto recipe = [](int bits, int planes, int xMax = 3, int yMax = 3, int bpl = 4) {
    PcxRecipe s;
    s.bits = bits;
    s.planes = planes;
    s.xMax = xMax;
    s.yMax = yMax;
    s.bytesPerLine = bpl;
    s.data.assign(200, 0);
    return s;
  };
  std::vector<PcxRefusal> cases = {
      {"2 bits in 2 planes", recipe(2, 2), kImgErrUnsupported},
      {"8 bits in 2 planes", recipe(8, 2), kImgErrUnsupported},
      {"4 bits in 4 planes", recipe(4, 4), kImgErrUnsupported},
      {"16 bits", recipe(16, 1), kImgErrUnsupported},
      {"65536 x 65536", recipe(8, 1, 65535, 65535, 65535), kImgErrTooLarge},
      {"lines too short", recipe(8, 3, 9, 3, 4), kImgErrCorrupt},
      {"no bytes per line", recipe(8, 1, 3, 3, 0), kImgErrCorrupt},
  };
  PcxRefusal xBack{"xmax below xmin", recipe(8, 1), kImgErrDimensions};
  xBack.recipe.xMin = 5;
  cases.push_back(xBack);
  PcxRefusal yBack{"ymax below ymin", recipe(8, 1), kImgErrDimensions};
  yBack.recipe.yMin = 4;
  cases.push_back(yBack);
  PcxRefusal version{"version 6", recipe(8, 1), kImgErrSignature};
  version.recipe.version = 6;
  cases.push_back(version);
  PcxRefusal version1{"version 1", recipe(8, 1), kImgErrSignature};
  version1.recipe.version = 1;
  cases.push_back(version1);
  PcxRefusal encoding{"encoding 2", recipe(8, 1), kImgErrSignature};
  encoding.recipe.encoding = 2;
  cases.push_back(encoding);
  for (const PcxRefusal& c : cases) {
    SCOPED_TRACE(c.name);
    Bgr24Image image;
    ImageInfo info;
    EXPECT_EQ(DecodePcx(BuildPcx(c.recipe), image), c.expected);
    EXPECT_EQ(ReadPcxInfo(BuildPcx(c.recipe), info), c.expected);
    EXPECT_FALSE(image.IsValid());
  }
  Buffer notPcx = BuildPcx(recipe(8, 1));
  notPcx[0] = 0x0B;
  Bgr24Image image;
  EXPECT_EQ(DecodePcx(notPcx, image), kImgErrSignature);
}

TEST(PcxCodec, EveryTruncationIsRefused) {
  const Picture picture = MakeTestPicture(6, 3, 2);
  Buffer file;
  ASSERT_EQ(EncodePcx(ToImage(picture).Block(), file), kImgOk);
  PcxRecipe mono;
  mono.bits = 1;
  mono.planes = 4;
  mono.xMax = 9;
  mono.yMax = 2;
  mono.bytesPerLine = 2;
  mono.data = RleAcross(IndexLines(Indices(10, 3, 16), 10, 3, 1, 4, 2));
  for (const Buffer& full : {file, BuildPcx(mono)}) {
    Bgr24Image whole;
    ASSERT_EQ(DecodePcx(full, whole), kImgOk);
    for (std::size_t n = 0; n < full.size(); ++n) {
      Bgr24Image cut;
      EXPECT_EQ(DecodePcx(Bytes(full.data(), n), cut), kImgErrRead) << "cut to " << n;
      EXPECT_FALSE(cut.IsValid());
    }
  }
}

TEST(PcxCodec, InformationGivesTheStoredDepth) {
  const int layouts[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {4, 1}, {8, 1}, {8, 3}, {8, 4}};
  for (const auto& layout : layouts) {
    PcxRecipe s;
    s.bits = layout[0];
    s.planes = layout[1];
    s.xMax = 799;
    s.yMax = 599;
    s.bytesPerLine = 800;
    ImageInfo info;
    ASSERT_EQ(ReadPcxInfo(BuildPcx(s), info), kImgOk);
    EXPECT_EQ(info.width, 800);
    EXPECT_EQ(info.height, 600);
    EXPECT_EQ(info.depth, layout[0] * layout[1]);
  }
}

TEST(PcxCodec, WrittenFilesReadBackToTheSamePixels) {
  const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {130, 2}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    Picture picture = MakeTestPicture(size[0], size[1]);
    for (int x = 0; x < size[0] / 2; ++x) picture.at(x, 0) = {0xC5, 0xC5, 0xC5};  // runs and bytes >= 0xC0
    Buffer file = {7};
    ASSERT_EQ(EncodePcx(ToImage(picture).Block(), file), kImgOk);
    const Bytes pcx = Bytes(file).subspan(1);
    EXPECT_EQ(pcx[1], 5);                          // version
    EXPECT_EQ(pcx[2], 1);                          // run-length encoded
    EXPECT_EQ(pcx[3], 8);                          // bits per plane
    EXPECT_EQ(pcx[65], 3);                         // planes
    EXPECT_EQ(LoadU16LE(pcx.data() + 66) % 2, 0);  // even line length
    Bgr24Image back;
    ASSERT_EQ(DecodePcx(pcx, back), kImgOk);
    EXPECT_EQ(FirstDifference(FromImage(back), picture), "");
  }
  Buffer out;
  EXPECT_EQ(EncodePcx(PixelBlock{}, out), kImgErrArgument);
  Bgr24Image wide;
  ASSERT_EQ(AllocBgr24(wide, 70000, 1), kImgOk);
  EXPECT_EQ(EncodePcx(wide.Block(), out), kImgErrDimensions);
  EXPECT_TRUE(out.empty());
}

TEST(PcxCodec, MatchesImageMagick) {
  if (!codectest::MagickAvailable()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  test::TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(codectest::WriteAll(source, codectest::ToPpm(MakeTestPicture(27, 13, 6))));
  const std::vector<std::vector<std::string>> variants = {
      {}, {"-colors", "100", "-type", "Palette"}, {"-colors", "16", "-type", "Palette"}, {"-colorspace", "Gray"}};
  for (const auto& options : variants) {
    std::vector<std::string> args = {source};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("PCX:" + dir.File("variant.pcx"));
    ASSERT_TRUE(codectest::RunMagick(args));
    Bgr24Image ours;
    ASSERT_EQ(DecodePcx(codectest::ReadAll(dir.File("variant.pcx")), ours), kImgOk);
    const auto theirs = codectest::MagickDecode(dir.File("variant.pcx"), dir.File("theirs.ppm"));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(FirstDifference(FromImage(ours), *theirs), "") << options.size() << " options";
  }

  // Files built here, where ImageMagick reads them the same way (it takes
  // 1 bit in 1 plane with 0 as white, and knows no EGA or CGA defaults).
  std::vector<Buffer> built;
  for (int planes = 2; planes <= 4; ++planes) {
    PcxRecipe s;
    s.bits = 1;
    s.planes = planes;
    s.xMax = 20;
    s.yMax = 4;
    s.bytesPerLine = 4;
    s.headerColours = HeaderColours(16);
    s.data = RleAcross(IndexLines(Indices(21, 5, 1u << planes), 21, 5, 1, planes, 4));
    built.push_back(BuildPcx(s));
  }
  PcxRecipe packed;
  packed.bits = 4;
  packed.xMax = 6;
  packed.yMax = 3;
  packed.bytesPerLine = 4;
  packed.headerColours = HeaderColours(16);
  packed.data = RleAcross(IndexLines(Indices(7, 4, 16), 7, 4, 4, 1, 4));
  built.push_back(BuildPcx(packed));
  PcxRecipe twoBit = packed;
  twoBit.bits = 2;
  twoBit.data = RleAcross(IndexLines(Indices(7, 4, 4), 7, 4, 2, 1, 4));
  built.push_back(BuildPcx(twoBit));
  for (std::size_t i = 0; i < built.size(); ++i) {
    ASSERT_TRUE(codectest::WriteAll(dir.File("built.pcx"), built[i]));
    const auto theirs = codectest::MagickDecode(dir.File("built.pcx"), dir.File("theirs.ppm"));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(FirstDifference(DecodeOk(built[i]), *theirs), "") << "built file " << i;
  }

  const Picture picture = MakeTestPicture(33, 7);
  Buffer file;
  ASSERT_EQ(EncodePcx(ToImage(picture).Block(), file), kImgOk);
  ASSERT_TRUE(codectest::WriteAll(dir.File("ours.pcx"), file));
  const auto theirs = codectest::MagickDecode(dir.File("ours.pcx"), dir.File("theirs.ppm"));
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(*theirs, picture), "");
}

}  // namespace
}  // namespace brisol
