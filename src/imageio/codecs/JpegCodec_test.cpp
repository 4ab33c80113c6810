#include <gtest/gtest.h>

// For writing CMYK test files, which the program itself never writes.
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MagickReference.h"
#include "ProcessLimits.h"
#include "RecordingAlertSink.h"
#include "imageio/codecs/ExifOrientation.h"
#include "imageio/codecs/ImageCodec.h"

namespace brisol {
namespace {

// JPEG is lossy and decoders round their inverse transforms differently:
// a smooth picture comes back within this many levels per sample.
constexpr int kRoundTripTolerance = 4;
// Against ImageMagick's decoding of the same file (same library family,
// possibly another transform or upsampling).
constexpr int kReferenceTolerance = 3;

std::vector<std::uint8_t> Encode(const Bgr24Image& image, int quality = 92) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodeJpeg(image.Block(), quality, file), kImgOk);
  return file;
}

// A smooth picture: JPEG's home ground.
Bgr24Image Smooth(int w, int h) {
  test::RgbPicture p = test::MakeRgb(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* s = p.At(x, y);
      s[0] = static_cast<std::uint8_t>(30 + (2 * x) % 200);
      s[1] = static_cast<std::uint8_t>(60 + (2 * y) % 180);
      s[2] = static_cast<std::uint8_t>(100 + (x + y) % 150);
    }
  return test::ToBgr24(p);
}

// The file with an APP1 EXIF segment holding the orientation right after SOI.
std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation, bool bigEndian) {
  std::vector<std::uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
  auto put16 = [&](unsigned v) {
    if (bigEndian)
      payload.insert(payload.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    else
      payload.insert(payload.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
  };
  auto put32 = [&](unsigned v) {
    put16(bigEndian ? v >> 16 : v & 0xFFFF);
    put16(bigEndian ? v & 0xFFFF : v >> 16);
  };
  payload.push_back(bigEndian ? 'M' : 'I');
  payload.push_back(bigEndian ? 'M' : 'I');
  put16(42);
  put32(8);
  put16(1);
  put16(0x0112);
  put16(3);
  put32(1);
  put16(static_cast<unsigned>(orientation));
  put16(0);
  put32(0);
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  const std::size_t length = payload.size() + 2;
  out.insert(out.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

TEST(JpegCodec, RoundTripIsClose) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {17, 9}, {64, 48}}) {
    const Bgr24Image source = Smooth(w, h);
    for (int quality : {75, 92, 100}) {
      const auto file = Encode(source, quality);
      ImageInfo info;
      ASSERT_EQ(ReadJpegInfo(file, info), kImgOk);
      EXPECT_EQ(info.width, w);
      EXPECT_EQ(info.height, h);
      EXPECT_EQ(info.depth, 24);
      Bgr24Image back;
      ASSERT_EQ(DecodeJpeg(file, back), kImgOk);
      EXPECT_LE(test::MaxDifference(back, source), kRoundTripTolerance) << w << "x" << h << " q" << quality;
    }
  }
}

TEST(JpegCodec, QualityChangesTheFileAndBadQualityIsRefused) {
  const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(64, 64));
  EXPECT_LT(Encode(source, 10).size(), Encode(source, 95).size());
  std::vector<std::uint8_t> out = {7};
  EXPECT_EQ(EncodeJpeg(source.Block(), 0, out), kImgErrArgument);
  EXPECT_EQ(EncodeJpeg(source.Block(), 101, out), kImgErrArgument);
  EXPECT_EQ(EncodeJpeg(PixelBlock{}, 92, out), kImgErrArgument);
  EXPECT_EQ(out, std::vector<std::uint8_t>{7});
  ASSERT_EQ(EncodeJpeg(source.Block(), 1, out), kImgOk);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 0xFF);
  EXPECT_EQ(out[2], 0xD8);
}

TEST(JpegCodec, ExifOrientationDeliversThePictureUpright) {
  const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(24, 16, 3));
  const auto plain = Encode(source, 100);
  Bgr24Image stored;
  ASSERT_EQ(DecodeJpeg(plain, stored), kImgOk);
  for (bool bigEndian : {false, true}) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      const auto file = WithOrientation(plain, orientation, bigEndian);
      ImageInfo info;
      ASSERT_EQ(ReadJpegInfo(file, info), kImgOk);
      const bool swapped = orientation >= 5;
      EXPECT_EQ(info.width, swapped ? 16 : 24) << orientation;
      EXPECT_EQ(info.height, swapped ? 24 : 16) << orientation;
      Bgr24Image upright;
      ASSERT_EQ(DecodeJpeg(file, upright), kImgOk);
      Bgr24Image expected;
      ASSERT_EQ(OrientUpright(stored, orientation, expected), kImgOk);
      EXPECT_EQ(test::MaxDifference(upright, expected), 0) << orientation << " " << bigEndian;
    }
  }
}

TEST(JpegCodec, ExifOrientationAgreesWithImageMagick) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  test::TempDir dir;
  const Bgr24Image source = test::ToBgr24(test::MakePhotoLike(24, 16, 5));
  const auto plain = Encode(source, 95);
  for (int orientation : {2, 3, 4, 5, 6, 7, 8}) {
    const std::string jpg = dir.File(std::to_string(orientation) + "o.jpg");
    const std::string ppm = dir.File(std::to_string(orientation) + "o.ppm");
    ASSERT_TRUE(test::WriteBytes(jpg, WithOrientation(plain, orientation, orientation % 2 == 0)));
    ASSERT_TRUE(test::RunMagick({jpg, "-auto-orient", "-depth", "8", ppm}));
    const auto reference = test::ReadPpm(ppm);
    ASSERT_TRUE(reference);
    Bgr24Image ours;
    ASSERT_EQ(DecodeJpeg(test::ReadBytes(jpg), ours), kImgOk);
    EXPECT_LE(test::MaxDifference(ours, *reference), kReferenceTolerance) << orientation;
  }
}

TEST(JpegCodec, MatchesImageMagickOnItsVariants) {
  if (!test::MagickAvailable()) GTEST_SKIP() << "ImageMagick (package imagemagick) is not installed";
  test::TempDir dir;
  const std::string source = dir.File("source.ppm");
  ASSERT_TRUE(test::WritePnm(source, test::MakePhotoLike(45, 31, 11)));
  const struct {
    const char* name;
    std::vector<std::string> options;
    int depth;
  } variants[] = {
      {"baseline", {"-quality", "90"}, 24},
      {"progressive", {"-interlace", "JPEG", "-quality", "85"}, 24},
      {"greyscale", {"-colorspace", "Gray"}, 8},
      {"progressive greyscale", {"-colorspace", "Gray", "-interlace", "JPEG"}, 8},
      {"4:4:4", {"-sampling-factor", "1x1"}, 24},
      {"4:2:2", {"-sampling-factor", "2x1"}, 24},
      {"adobe cmyk", {"-colorspace", "CMYK"}, 32},
      {"progressive cmyk", {"-colorspace", "CMYK", "-interlace", "JPEG"}, 32},
  };
  int n = 0;
  for (const auto& v : variants) {
    const std::string jpg = dir.File(std::to_string(n) + "v.jpg");
    const std::string ppm = dir.File(std::to_string(n++) + "v.ppm");
    std::vector<std::string> args = {source};
    args.insert(args.end(), v.options.begin(), v.options.end());
    args.push_back(jpg);
    ASSERT_TRUE(test::RunMagick(args)) << v.name;
    const auto reference = test::MagickDecode(jpg, ppm);
    ASSERT_TRUE(reference) << v.name;
    const auto bytes = test::ReadBytes(jpg);
    ImageInfo info;
    ASSERT_EQ(ReadJpegInfo(bytes, info), kImgOk) << v.name;
    EXPECT_EQ(info.depth, v.depth) << v.name;
    Bgr24Image image;
    ASSERT_EQ(DecodeJpeg(bytes, image), kImgOk) << v.name;
    EXPECT_LE(test::MaxDifference(image, *reference), kReferenceTolerance) << v.name;
  }
}

// A JPEG written by the library itself with settings the program's own
// encoder never uses: configure sets them after the defaults, fill makes
// each row of samples (components a pixel, in the input colour space).
template <typename Configure, typename Fill>
std::vector<std::uint8_t> LibraryJpeg(int width, int height, int components, J_COLOR_SPACE space, Configure configure,
                                      Fill fill) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * static_cast<std::size_t>(components));
  while (cinfo.next_scanline < cinfo.image_height) {
    fill(static_cast<int>(cinfo.next_scanline), row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

// A 16 x 16 JPEG of one stored CMYK value, with or without the Adobe marker.
std::vector<std::uint8_t> FlatCmykJpeg(std::array<std::uint8_t, 4> cmyk, bool adobeMarker) {
  return LibraryJpeg(
      16, 16, 4, JCS_CMYK,
      [adobeMarker](jpeg_compress_struct& cinfo) {
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        cinfo.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
        jpeg_set_quality(&cinfo, 100, TRUE);
      },
      [cmyk](int, std::vector<std::uint8_t>& row) {
        for (std::size_t x = 0; x < row.size(); ++x) row[x] = cmyk[x % 4];
      });
}

TEST(JpegCodec, CmykIsInvertedWithTheAdobeMarkerAndPlainWithout) {
  const std::array<std::uint8_t, 4> stored = {200, 100, 50, 230};
  const struct {
    bool adobe;
    double r, g, b;
  } cases[] = {
      {true, 200 * 230 / 255.0, 100 * 230 / 255.0, 50 * 230 / 255.0},  // inks stored inverted
      {false, 55 * 25 / 255.0, 155 * 25 / 255.0, 205 * 25 / 255.0},    // (255 - C)(255 - K) / 255
  };
  for (const auto& c : cases) {
    const auto file = FlatCmykJpeg(stored, c.adobe);
    ImageInfo info;
    ASSERT_EQ(ReadJpegInfo(file, info), kImgOk);
    EXPECT_EQ(info.depth, 32);
    Bgr24Image image;
    ASSERT_EQ(DecodeJpeg(file, image), kImgOk);
    const std::uint8_t* p = image.Block().Pixel(7, 9);
    EXPECT_NEAR(p[2], c.r, 2) << c.adobe;
    EXPECT_NEAR(p[1], c.g, 2) << c.adobe;
    EXPECT_NEAR(p[0], c.b, 2) << c.adobe;
  }
}

// A file cut short is read as far as it goes, as other readers of photos
// read it, with the decoder's words and the rows missing; one cut before a
// single row is whole is refused and leaves the output alone.
TEST(JpegCodec, CutFilesAreReadAsFarAsTheyGoWithTheRowsMissing) {
  const auto file = Encode(test::ToBgr24(test::MakePhotoLike(40, 24)), 90);
  const Bgr24Image previous = test::ToBgr24(test::MakePhotoLike(2, 2));
  int read = 0;
  for (std::size_t n = 0; n + 2 < file.size(); n += (n < 700 ? 1 : 37)) {
    Bgr24Image out = test::ToBgr24(test::MakePhotoLike(2, 2));
    const DecodeResult result = DecodeJpegWithWords(std::span(file.data(), n), out);
    if (result.ok()) {
      ++read;
      EXPECT_EQ(out.width, 40) << n;
      EXPECT_NE(result.words.find("rows are missing"), std::string::npos) << n << ": " << result.words;
    } else {
      EXPECT_EQ(test::MaxDifference(out, previous), 0) << n;
    }
  }
  EXPECT_GT(read, 0);
  Bgr24Image out;
  const DecodeResult early = DecodeJpegWithWords(std::span(file.data(), 700), out);
  EXPECT_EQ(early.code, kImgErrRead) << early.words;
}

// A file cut in the middle of its coded data that still ends with the end
// marker: the rows the data holds are kept, the rest is grey, and the
// decoder's words say so with how many rows are missing.
TEST(JpegCodec, ACutScanEndingWithItsEndMarkerIsReadWithItsDamage) {
  const auto file = Encode(test::ToBgr24(test::MakePhotoLike(160, 120)), 90);
  Bgr24Image whole;
  const DecodeResult result = DecodeJpegWithWords(file, whole);
  EXPECT_EQ(result.code, kImgOk);
  EXPECT_EQ(result.words, "");
  for (const std::size_t keep : {file.size() / 3, file.size() / 2, file.size() - 200}) {
    std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep));
    cut.insert(cut.end(), {0xFF, 0xD9});
    Bgr24Image image;
    const DecodeResult damaged = DecodeJpegWithWords(cut, image);
    ASSERT_EQ(damaged.code, kImgOk) << keep;
    EXPECT_TRUE(damaged.words.starts_with("Corrupt JPEG data: premature end of data segment; the file is cut short: "))
        << damaged.words;
    EXPECT_TRUE(damaged.words.ends_with(" of its 120 rows are missing")) << damaged.words;
    // The first rows are the photo's own.
    EXPECT_EQ(std::memcmp(image.Block().Row(0), whole.Block().Row(0), 160 * 3), 0) << keep;
  }
}

// Stray bytes before a restart marker: the photo is read whole, with the
// decoder's words for the damage.
TEST(JpegCodec, StrayBytesBeforeARestartMarkerAreReadWithTheDecodersWords) {
  auto file = LibraryJpeg(
      64, 64, 3, JCS_RGB, [](jpeg_compress_struct& cinfo) { cinfo.restart_interval = 2; },
      [](int y, std::vector<std::uint8_t>& row) {
        for (std::size_t x = 0; x < row.size(); ++x) row[x] = static_cast<std::uint8_t>(x * 3 + y * 5);
      });
  const std::vector<std::uint8_t> restart{0xFF, 0xD0};
  const auto at = std::search(file.begin() + 2, file.end(), restart.begin(), restart.end());
  ASSERT_NE(at, file.end());
  file.insert(at, 1214, 0x55);
  Bgr24Image image;
  const DecodeResult result = DecodeJpegWithWords(file, image);
  EXPECT_EQ(result.code, kImgOk);
  EXPECT_EQ(result.words, "Corrupt JPEG data: 1214 extraneous bytes before marker 0xd0");
  EXPECT_EQ(image.height, 64);
}

// A progressive file keeps the coefficients of the whole picture while it
// decodes: twice the picture's memory for colour at full resolution.
std::vector<std::uint8_t> ProgressiveJpeg(int width, int height) {
  return LibraryJpeg(
      width, height, 3, JCS_RGB,
      [](jpeg_compress_struct& cinfo) {
        for (int c = 0; c < 3; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
        jpeg_simple_progression(&cinfo);
      },
      [](int y, std::vector<std::uint8_t>& row) {
        for (std::size_t x = 0; x < row.size(); ++x) row[x] = static_cast<std::uint8_t>(x * 3 + y);
      });
}

TEST(JpegCodec, TheMemoryAProgressiveFileNeedsIsKnownFromItsHeader) {
  ImageInfo progressive, baseline;
  ASSERT_EQ(ReadJpegInfo(ProgressiveJpeg(640, 480), progressive), kImgOk);
  ASSERT_EQ(ReadJpegInfo(Encode(Smooth(640, 480)), baseline), kImgOk);
  // The coefficients, 2 bytes each, on top of the rows both need.
  EXPECT_GE(progressive.workBytes, baseline.workBytes + 640u * 480 * 3 * 2);
  EXPECT_LT(baseline.workBytes, 2u << 20);
}

// When the library itself runs out of memory (here: the coefficients of a
// progressive file under an address-space limit the picture fits in), its
// own words are kept and the failure is told as memory.
TEST(JpegCodec, TheLibraryRunningOutOfMemoryIsToldInItsWords) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  const auto file = ProgressiveJpeg(2400, 2400);  // picture 17 MB, coefficients 35 MB
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (!test::LimitAddressSpaceTo(30u << 20)) std::_Exit(3);
    Bgr24Image image;
    const DecodeResult result = DecodeJpegWithWords(file, image);
    const std::string report = std::to_string(result.code) + " " + result.words;
    if (::write(pipe[1], report.data(), report.size()) < 0) std::_Exit(4);
    std::_Exit(0);
  }
  ::close(pipe[1]);
  std::string report;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<std::size_t>(n));
  ::close(pipe[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(report.rfind(std::to_string(kImgErrNoMemory) + " Insufficient memory", 0), 0u) << report;
}

TEST(JpegCodec, HugeDimensionsAreRefusedBeforeAllocation) {
  auto file = Encode(Smooth(8, 8));
  for (std::size_t i = 2; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) {  // SOF0: length, precision, height, width
      file[i + 5] = file[i + 7] = 0xFD;
      file[i + 6] = file[i + 8] = 0xE8;  // 65000 x 65000
      break;
    }
  }
  ImageInfo info;
  EXPECT_EQ(ReadJpegInfo(file, info), kImgErrTooLarge);
  Bgr24Image image;
  EXPECT_EQ(DecodeJpeg(file, image), kImgErrTooLarge);
  EXPECT_FALSE(image.IsValid());
}

TEST(JpegCodec, NotAJpegIsRefused) {
  ImageInfo info;
  Bgr24Image image;
  const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  EXPECT_EQ(ReadJpegInfo(png, info), kImgErrSignature);
  EXPECT_EQ(DecodeJpeg(Bytes(), image), kImgErrSignature);
  const std::vector<std::uint8_t> soiOnly = {0xFF, 0xD8, 0xFF, 0xD9};
  EXPECT_LT(DecodeJpeg(soiOnly, image), 0);
  EXPECT_FALSE(image.IsValid());
}

TEST(JpegCodec, DamagedDataNeverCrashes) {
  auto file = Encode(test::ToBgr24(test::MakePhotoLike(32, 32)), 80);
  unsigned state = 12345;
  for (int round = 0; round < 300; ++round) {
    auto damaged = file;
    for (int k = 0; k < 4; ++k) {
      state = state * 1103515245u + 12345u;
      damaged[2 + (state >> 8) % (damaged.size() - 2)] = static_cast<std::uint8_t>(state >> 24);
    }
    Bgr24Image image;
    const int rc = DecodeJpeg(damaged, image);
    EXPECT_EQ(rc == kImgOk, image.IsValid());
  }
}

}  // namespace
}  // namespace brisol
