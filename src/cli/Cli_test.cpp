// Runs the real brisol-cli identify and convert.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "imageio/codecs/ExifOrientation.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MagickReference.h"

namespace brisol {
namespace {

using test::TempDir;

using test::CliResult;
using test::RunCli;

std::vector<std::uint8_t> Encoded(const char* format, const test::RgbPicture& p) {
  const Bgr24Image image = test::ToBgr24(p);
  std::vector<std::uint8_t> file;
  const std::string f = format;
  int rc = kImgErrArgument;
  if (f == "png") rc = EncodePng(image.Block(), file);
  if (f == "jpg") rc = EncodeJpeg(image.Block(), 92, file);
  if (f == "bmp") rc = EncodeBmp(image.Block(), file);
  if (f == "tga") rc = EncodeTga(image.Block(), file);
  if (f == "pcx") rc = EncodePcx(image.Block(), file);
  EXPECT_EQ(rc, kImgOk) << format;
  return file;
}

// A JPEG whose EXIF block says it must be turned a quarter clockwise.
std::vector<std::uint8_t> RotatedJpeg(const test::RgbPicture& p) {
  const std::vector<std::uint8_t> jpeg = Encoded("jpg", p);
  const std::vector<std::uint8_t> app1 = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0,    0,    'M', 'M',
                                          0,    42,   0, 0,  0,   8,   0,   1,   0x01, 0x12, 0,   3,
                                          0,    0,    0, 1,  0,   6,   0,   0,   0,    0,    0,   0};
  std::vector<std::uint8_t> out = app1;
  out.insert(out.begin(), {0xFF, 0xD8});
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

TEST(CliIdentify, HelpAndUsage) {
  const CliResult help = RunCli({"identify", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: brisol-cli identify [--json] FILE...\n", 0), 0u) << help.out;
  EXPECT_EQ(RunCli({"identify"}).status, 2);
  EXPECT_EQ(RunCli({"identify", "--json"}).status, 2);
  const CliResult bogus = RunCli({"identify", "--bogus", "x.png"});
  EXPECT_EQ(bogus.status, 2);
  EXPECT_EQ(bogus.err, "brisol-cli identify: unknown option '--bogus' (see --help)\n");
  const CliResult top = RunCli({"--help"});
  EXPECT_NE(top.out.find("  identify "), std::string::npos);
  EXPECT_NE(top.out.find("  convert "), std::string::npos);
}

TEST(CliIdentify, EveryFormatAsTheInformationReadsIt) {
  TempDir dir;
  const test::RgbPicture picture = test::MakePhotoLike(30, 20);
  std::vector<std::string> args = {"identify"};
  for (const char* format : {"png", "jpg", "bmp", "tga", "pcx"}) {
    const std::string path = dir.File(std::string("a.") + format);
    ASSERT_TRUE(test::WriteBytes(path, Encoded(format, picture)));
    args.push_back(path);
  }
  ASSERT_TRUE(test::WriteBytes(dir.File("phone.JPG"), RotatedJpeg(picture)));
  args.push_back(dir.File("phone.JPG"));
  ASSERT_TRUE(test::WriteBytes(dir.File("no-extension"), Encoded("png", picture)));
  args.push_back(dir.File("no-extension"));
  const CliResult run = RunCli(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, dir.File("a.png") + ": PNG 30 x 20, 24 bits per pixel\n" +           //
                         dir.File("a.jpg") + ": JPEG 30 x 20, 24 bits per pixel\n" +      //
                         dir.File("a.bmp") + ": BMP 30 x 20, 24 bits per pixel\n" +       //
                         dir.File("a.tga") + ": TGA 30 x 20, 24 bits per pixel\n" +       //
                         dir.File("a.pcx") + ": PCX 30 x 20, 24 bits per pixel\n" +       //
                         dir.File("phone.JPG") + ": JPEG 20 x 30, 24 bits per pixel\n" +  // upright
                         dir.File("no-extension") + ": PNG 30 x 20, 24 bits per pixel\n");
}

TEST(CliIdentify, FailuresAreReportedPerFile) {
  TempDir dir;
  test::WriteFile(dir.File("cut.png"), std::string("\x89PNG\r\n\x1a\n\0\0", 10));
  test::WriteFile(dir.File("notes.txt"), "hello");
  const CliResult run = RunCli({"identify", dir.File("cut.png"), dir.File("missing.jpg"), dir.File("notes.txt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "brisol-cli identify: " + dir.File("cut.png") + ": the file is truncated or cannot be read\n" +
                         "brisol-cli identify: " + dir.File("missing.jpg") + ": No such file or directory\n" +
                         "brisol-cli identify: " + dir.File("notes.txt") + ": not a picture file of a known format\n");
}

TEST(CliIdentify, Json) {
  TempDir dir;
  const std::string good = dir.File("a \"quoted\"\\name.png");
  ASSERT_TRUE(test::WriteBytes(good, Encoded("png", test::MakePhotoLike(7, 5))));
  const CliResult run = RunCli({"identify", good, "--json", dir.File("missing.tga"), dir.File("notes")});
  EXPECT_EQ(run.status, 1);
  const std::string escaped = dir.File("a \\\"quoted\\\"\\\\name.png");
  EXPECT_EQ(run.out,
            "[\n"
            "  {\"file\": \"" +
                escaped +
                "\", \"format\": \"PNG\", \"width\": 7, \"height\": 5, \"depth\": 24, "
                "\"error\": null},\n"
                "  {\"file\": \"" +
                dir.File("missing.tga") +
                "\", \"format\": \"TGA\", \"width\": null, \"height\": "
                "null, \"depth\": null, \"error\": \"No such file or directory\"},\n"
                "  {\"file\": \"" +
                dir.File("notes") +
                "\", \"format\": null, \"width\": null, \"height\": null, "
                "\"depth\": null, \"error\": \"No such file or directory\"}\n"
                "]\n");
}

TEST(CliConvert, HelpAndUsageErrors) {
  const CliResult help = RunCli({"convert", "-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: brisol-cli convert INPUT OUTPUT [--resize WxH] [--quality N]\n", 0), 0u);
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"convert"}, "brisol-cli convert: expected INPUT and OUTPUT (see --help)\n"},
      {{"convert", "a.png"}, "brisol-cli convert: expected INPUT and OUTPUT (see --help)\n"},
      {{"convert", "a.png", "b.png", "c.png"}, "brisol-cli convert: unexpected argument 'c.png' (see --help)\n"},
      {{"convert", "a.png", "b.png", "--resize"}, "brisol-cli convert: --resize needs a value (see --help)\n"},
      {{"convert", "a.png", "b.png", "--resize", "0x5"},
       "brisol-cli convert: bad size '0x5', expected WIDTHxHEIGHT (see --help)\n"},
      {{"convert", "a.png", "b.png", "--resize=12"},
       "brisol-cli convert: bad size '12', expected WIDTHxHEIGHT (see --help)\n"},
      {{"convert", "a.png", "b.png", "--resize", "-3x5"},
       "brisol-cli convert: bad size '-3x5', expected WIDTHxHEIGHT (see --help)\n"},
      {{"convert", "a.png", "b.jpg", "--quality", "101"},
       "brisol-cli convert: bad quality '101', expected 1 to 100 (see --help)\n"},
      {{"convert", "a.png", "b.jpg", "--quality=9x"},
       "brisol-cli convert: bad quality '9x', expected 1 to 100 (see --help)\n"},
      {{"convert", "--fast", "a.png", "b.png"}, "brisol-cli convert: unknown option '--fast' (see --help)\n"},
  };
  for (const auto& c : cases) {
    const CliResult run = RunCli(c.args);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(CliConvert, ConvertsResizesAndSetsTheQuality) {
  TempDir dir;
  const test::RgbPicture picture = test::MakePhotoLike(64, 48);
  ASSERT_TRUE(test::WriteBytes(dir.File("in.png"), Encoded("png", picture)));
  for (const char* output : {"out.bmp", "out.TGA", "out.pcx", "out.png"}) {
    const CliResult run = RunCli({"convert", dir.File("in.png"), dir.File(output)});
    ASSERT_EQ(run.status, 0) << output << run.err;
    EXPECT_EQ(run.out + run.err, "");
  }
  Bgr24Image back;
  ASSERT_EQ(DecodePng(test::ReadBytes(dir.File("out.png")), back), kImgOk);
  EXPECT_EQ(test::MaxDifference(back, picture), 0);
  ASSERT_EQ(DecodeTga(test::ReadBytes(dir.File("out.TGA")), back), kImgOk);
  EXPECT_EQ(test::MaxDifference(back, picture), 0);

  ASSERT_EQ(RunCli({"convert", dir.File("in.png"), dir.File("small.jpg"), "--resize", "32x24"}).status, 0);
  ASSERT_EQ(DecodeJpeg(test::ReadBytes(dir.File("small.jpg")), back), kImgOk);
  EXPECT_EQ(back.width, 32);
  EXPECT_EQ(back.height, 24);

  ASSERT_EQ(RunCli({"convert", dir.File("in.png"), dir.File("q10.jpeg"), "--quality=10"}).status, 0);
  ASSERT_EQ(RunCli({"convert", dir.File("in.png"), dir.File("q95.jpg"), "--quality", "95"}).status, 0);
  EXPECT_LT(std::filesystem::file_size(dir.File("q10.jpeg")), std::filesystem::file_size(dir.File("q95.jpg")));

  // An upright phone photo.
  ASSERT_TRUE(test::WriteBytes(dir.File("phone.jpg"), RotatedJpeg(picture)));
  ASSERT_EQ(RunCli({"convert", dir.File("phone.jpg"), dir.File("phone.png")}).status, 0);
  ASSERT_EQ(DecodePng(test::ReadBytes(dir.File("phone.png")), back), kImgOk);
  EXPECT_EQ(back.width, 48);
  EXPECT_EQ(back.height, 64);
}

TEST(CliConvert, FailuresExitNonZeroAndKeepTheOutput) {
  TempDir dir;
  ASSERT_TRUE(test::WriteBytes(dir.File("in.png"), Encoded("png", test::MakePhotoLike(8, 8))));
  test::WriteFile(dir.File("keep.gif"), "precious");
  test::WriteFile(dir.File("keep.png"), "precious too");
  const std::string cut = test::ReadFile(dir.File("in.png")).substr(0, 60);
  test::WriteFile(dir.File("cut.png"), cut);
  test::WriteFile(dir.File("cut.jpg"), test::ReadFile(dir.File("in.png")));  // not a JPEG at all

  const CliResult unknown = RunCli({"convert", dir.File("in.png"), dir.File("keep.gif")});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "brisol-cli convert: Cannot save '" + dir.File("keep.gif") +
                             "': the picture type is not known by the name's extension (use bmp, tga, jpg, jpeg, "
                             "pcx or png)\n");
  // One line naming the file and the system's reason; the loader's box with
  // its internal code goes to the log.
  const CliResult missing = RunCli({"convert", dir.File("missing.png"), dir.File("keep.png")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "brisol-cli convert: cannot read '" + dir.File("missing.png") + "': No such file or directory\n");
  const CliResult truncated = RunCli({"convert", dir.File("cut.png"), dir.File("keep.png")});
  EXPECT_EQ(truncated.status, 1);
  EXPECT_EQ(truncated.err,
            "brisol-cli convert: cannot read '" + dir.File("cut.png") + "': the file is truncated or cannot be read\n");
  const CliResult notJpeg = RunCli({"convert", dir.File("cut.jpg"), dir.File("keep.png")});
  EXPECT_EQ(notJpeg.status, 1);
  EXPECT_EQ(notJpeg.err,
            "brisol-cli convert: cannot read '" + dir.File("cut.jpg") + "': not a JPEG file (it is a PNG file)\n");
  const CliResult tooLarge = RunCli({"convert", dir.File("in.png"), dir.File("keep.png"), "--resize", "30000x30000"});
  EXPECT_EQ(tooLarge.status, 1);
  EXPECT_EQ(tooLarge.err, "brisol-cli convert: cannot resize '" + dir.File("in.png") +
                              "': the size 30000 x 30000 has 900 megapixels; the most a picture may have is 400 "
                              "megapixels\n");
  EXPECT_EQ(test::ReadFile(dir.File("keep.gif")), "precious");
  EXPECT_EQ(test::ReadFile(dir.File("keep.png")), "precious too");
}

}  // namespace
}  // namespace brisol
