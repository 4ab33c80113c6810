// Runs the real brisol-cli render, effects and demo.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "CliTestSupport.h"
#include "raster/BmpFile.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::RunCli;
using test::TempDir;

// A small photo-like picture written as a BMP file.
std::string WritePhoto(const TempDir& dir) {
  CDADC photo(SIZE{160, 100});
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 160; ++x)
      photo.GetDC().SetPixel(x, y, RGB((x * 3 + y) % 256, (y * 2 + 40) % 256, (255 - x) % 256));
  const std::string path = dir.File("photo.bmp");
  EXPECT_TRUE(WriteBmpFile(photo, path));
  return path;
}

TEST(CliRender, SameCommandTwiceGivesTheSameBytes) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  for (const char* quality : {"1", "2"}) {
    const std::vector<std::string> base = {"render", photo,       "",      "--effect",  "Stars", "--seed",
                                           "5",      "--quality", quality, "--objects", "800",   "--quiet"};
    std::vector<std::string> a = base, b = base;
    a[2] = dir.File("a.png");
    b[2] = dir.File("b.png");
    ASSERT_EQ(RunCli(a).status, 0);
    ASSERT_EQ(RunCli(b).status, 0);
    const std::string bytesA = test::ReadFile(dir.File("a.png"));
    EXPECT_FALSE(bytesA.empty());
    EXPECT_TRUE(test::SameBytes(bytesA, test::ReadFile(dir.File("b.png")))) << "quality " << quality;
  }
}

TEST(CliRender, OptionsAreCheckedAndClamped) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const std::string out = dir.File("out.bmp");
  const auto clamped =
      RunCli({"render", photo, out, "--size", "50", "--mix-visible", "-3", "--objects", "20", "--quiet"});
  EXPECT_EQ(clamped.status, 0) << clamped.err;
  EXPECT_NE(clamped.err.find("--size 50 is out of range; using 30"), std::string::npos) << clamped.err;
  // A negative count is below every minimum, not a huge number.
  EXPECT_NE(clamped.err.find("--mix-visible -3 is out of range; using 0"), std::string::npos) << clamped.err;

  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"--mix", "diagonal"}, 2, "unknown value 'diagonal' for --mix"},
      {{"--size", "big"}, 2, "bad number 'big' for --size"},
      {{"--fill-color", "red"}, 2, "bad colour 'red' for --fill-color"},
      {{"--quality", "3"}, 2, "--quality takes 1 or 2"},
      {{"--effect", "NoSuchCollection"}, 1, "unknown effect 'NoSuchCollection'"},
      {{"--frobnicate", "1"}, 2, "unknown option '--frobnicate'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", photo, out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST(CliRender, AcceptsTheDescriptionTexts) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const auto run = RunCli({"render", photo, dir.File("o.tga"), "--mix", "Circular Vignette", "--size-reaction",
                           "depends on opposite of image", "--background", "color", "--background-color", "#102030",
                           "--objects", "50", "--quiet"});
  EXPECT_EQ(run.status, 0) << run.err;
}

// The help names as inputs only the pictures render reads; vector files are
// outputs.
TEST(CliRender, HelpTellsTheInputsItReads) {
  const auto help = RunCli({"render", "--help"});
  ASSERT_EQ(help.status, 0);
  const std::size_t at = help.out.find("INPUT (");
  ASSERT_NE(at, std::string::npos) << help.out;
  const std::string inputs = help.out.substr(at, help.out.find(')', at) - at);
  for (const char* vector : {"svg", "pdf", "eps", ".ps"}) EXPECT_EQ(inputs.find(vector), std::string::npos) << inputs;
  const std::string outputs = help.out.substr(at, help.out.find("\n\n", at) - at);
  for (const char* vector : {".svg", ".pdf", ".eps", ".ps"}) EXPECT_NE(outputs.find(vector), std::string::npos);
}

TEST(CliRender, FailuresLeaveNoFileBehind) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"render", dir.File("missing.png"), dir.File("x.png")}, "cannot read"},
      {{"render", photo, dir.File("x.gif")}, "cannot tell the format"},
      {{"render", photo, dir.File("no/such/dir/x.png"), "--objects", "10"}, "x.png"},
      {{"render", photo, dir.File("x.png"), "--effect", dir.File("empty-collection")}, "holds no .dxf files"},
  };
  std::filesystem::create_directory(dir.path() / "empty-collection");
  for (const Case& c : cases) {
    const auto run = RunCli(c.args);
    EXPECT_NE(run.status, 0) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST(CliRender, TimingsNameEveryPhase) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const auto run = RunCli({"render", photo, dir.File("t.png"), "--timings", "--objects", "100"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* phase : {"load", "forcefield", "background", "placement", "drawing", "mix", "save"})
    EXPECT_NE(run.err.find(std::string("phase ") + phase + " "), std::string::npos) << phase << "\n" << run.err;
  EXPECT_NE(run.err.find("pixels-written "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("pixels-written 0\n"), std::string::npos) << run.err;
}

TEST(CliRender, PixelsWrittenCountsShapesDrawnOnlyAsLines) {
  // Open polylines and lines, drawn with a pen one pixel wide on a small
  // picture (thin lines), and with a wide one on a larger picture.
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  std::filesystem::create_directory(dir.File("lines"));
  test::WriteFile(dir.File("lines/zigzag.dxf"),
                  "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n10\n-0.5\n20\n-0.5\n10\n0\n20\n0.5\n10\n0.5\n20\n-0.5\n"
                  "0\nLINE\n10\n-0.5\n20\n0\n11\n0.5\n21\n0\n0\nENDSEC\n0\nEOF\n");
  for (const char* width : {"1", "2"}) {  // 1 and 3 pixels on 160
    const auto run = RunCli({"render", photo, dir.File("t.png"), "--effect", dir.File("lines"), "--timings",
                             "--objects", "300", "--line-width", width, "--size", "20"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("pixels-written "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("pixels-written 0\n"), std::string::npos) << width << "\n" << run.err;
  }
}

TEST(CliEffects, ListsTheBundledCollections) {
  const auto text = RunCli({"effects"});
  ASSERT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("Stars"), std::string::npos);
  const auto json = RunCli({"effects", "--json"});
  ASSERT_EQ(json.status, 0);
  EXPECT_EQ(json.out.front(), '[');
  EXPECT_NE(json.out.find("{\"name\": \"Circles\", \"directory\": "), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"shapes\": 12}"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace brisol

namespace brisol {
namespace {

// A fixed photo, collection, seed and quality always give this picture.
// Change the number only when the picture is meant to change, and say why
// in the commit.
TEST(CliRender, PinnedPicture) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const std::string out = dir.File("pinned.bmp");
  const auto run = RunCli(
      {"render", photo, out, "--effect", "Stars", "--seed", "5", "--quality", "2", "--objects", "800", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  char hex[32];
  std::snprintf(hex, sizeof hex, "%016llx", test::Fingerprint(test::ReadFile(out)));
  EXPECT_STREQ(hex, "420141362519a4b9");
}

}  // namespace
}  // namespace brisol
