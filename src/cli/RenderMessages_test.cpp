// What brisol-cli render tells a person: every failure ends with one line
// naming the file and the cause, told before any work where it can be;
// options that change nothing get a notice.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "raster/BmpFile.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::CliResult;
using test::RunCli;
using test::TempDir;

std::string WritePhoto(const TempDir& dir, const std::string& name = "photo.bmp") {
  CDADC photo(SIZE{40, 30}, RGB(90, 140, 200));
  const std::string path = dir.File(name);
  EXPECT_TRUE(WriteBmpFile(photo, path));
  return path;
}

// A collection of one square.
std::string WriteCollection(const TempDir& dir, const std::string& name) {
  const std::string folder = dir.File(name);
  std::filesystem::create_directory(folder);
  test::WriteFile(folder + "/square.dxf",
                  "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n70\n1\n10\n-0.5\n20\n-0.5\n10\n0.5\n20\n-0.5\n10\n0.5\n"
                  "20\n0.5\n10\n-0.5\n20\n0.5\n0\nENDSEC\n0\nEOF\n");
  return folder;
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The run failed with exactly one line on standard error, holding every part.
void ExpectOneLine(const CliResult& run, int status, const std::vector<std::string>& parts) {
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_EQ(run.err.rfind("brisol-cli render: ", 0), 0u) << run.err;
  for (const std::string& part : parts) EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
}

TEST(CliRenderMessages, OutputThatIsTheInputIsRefusedBeforeAnyWork) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const std::string before = test::ReadFile(photo);
  std::filesystem::create_directory(dir.File("sub"));
  ASSERT_EQ(::symlink(photo.c_str(), dir.File("link.bmp").c_str()), 0);
  ASSERT_EQ(::link(photo.c_str(), dir.File("hard.bmp").c_str()), 0);
  for (const std::string& output : {photo, dir.File("sub/../photo.bmp"), dir.File("link.bmp"), dir.File("hard.bmp")}) {
    const CliResult run = RunCli({"render", photo, output, "--objects", "10"});
    ExpectOneLine(run, 2, {"'" + output + "' is the input picture itself"});
    EXPECT_EQ(test::ReadFile(photo), before) << output;
  }
  EXPECT_EQ(test::ReadFile(photo), before);
}

TEST(CliRenderMessages, EachFailureIsOneLineNamingTheFileAndTheCause) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  // A JPEG named .png, a picture of 20000 x 15000 pixels (its header only),
  // a shape file too large to be one, a folder of no shape files.
  test::WriteFile(dir.File("fake.png"), std::string("\xFF\xD8\xFF\xE0", 4) + std::string(60, '\0'));
  std::string header = "BM";
  for (std::uint32_t v : {54u + 3u * 20000u * 15000u, 0u, 54u, 40u, 20000u, 15000u})
    header.append(reinterpret_cast<const char*>(&v), 4);
  header.append("\x01\x00\x18\x00", 4).append(24, '\0');
  test::WriteFile(dir.File("huge.bmp"), header);
  const std::string big = WriteCollection(dir, "big");
  test::WriteFile(big + "/square.dxf", std::string(120000, '\n'));
  std::filesystem::create_directory(dir.File("nothing"));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> parts;
  } cases[] = {
      {{"render", dir.File("missing.png"), dir.File("o.png")},
       1,
       {"'" + dir.File("missing.png") + "'", "No such file or directory"}},
      {{"render", dir.File("fake.png"), dir.File("o.png")},
       1,
       {"'" + dir.File("fake.png") + "'", "not a PNG file (it is a JPEG file)"}},
      {{"render", dir.File("huge.bmp"), dir.File("o.png"), "--quality", "2", "--reference-drawing"},
       1,
       {"'" + dir.File("huge.bmp") + "'", "too large", "1200 megapixels", "the most is 700 megapixels"}},
      {{"render", photo, dir.File("o.png"), "--effect", big},
       1,
       {"'" + big + "/square.dxf' is 120000 bytes; a shape file must be 100 to 100000 bytes"}},
      {{"render", photo, dir.File("o.png"), "--effect", dir.File("no-such")},
       1,
       {"'" + dir.File("no-such") + "': no such folder"}},
      {{"render", photo, dir.File("o.png"), "--effect", dir.File("nothing")},
       1,
       {"'" + dir.File("nothing") + "' holds no .dxf files"}},
      {{"render", photo, dir.File("o.png"), "--effect", ""}, 2, {"--effect takes a collection name or a folder"}},
      {{"render", photo, dir.File("no-such/o.png")},
       1,
       {"Cannot save '" + dir.File("no-such/o.png") + "'", "No such file or directory"}},
  };
  for (const Case& c : cases) {
    const CliResult run = RunCli(c.args);
    ExpectOneLine(run, c.status, c.parts);
    // Internal codes are for the log.
    EXPECT_EQ(run.err.find("error: -"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Brisol: "), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("o.png")));
}

TEST(CliRenderMessages, VectorFilesRefusedBeforeAnyWorkInOneLine) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> parts;
  } cases[] = {
      {{"render", photo, dir.File("poster.ai")}, 2, {"'" + dir.File("poster.ai") + "'", "use .pdf or .svg"}},
      {{"render", photo, dir.File("o.png"), "--page", "A4"},
       2,
       {"page options are for vector files", "'" + dir.File("o.png") + "'"}},
      {{"render", photo, dir.File("o.jpg"), "--landscape"}, 2, {"page options are for vector files"}},
      {{"render", photo, dir.File("o.pdf"), "--page", "300x300in"},
       1,
       {"'" + dir.File("o.pdf") + "'", "larger than a PDF page can be", "200 inches"}},
      {{"render", photo, dir.File("o.pdf"), "--page", "B5"}, 2, {"unknown page 'B5'", "A4"}},
      {{"render", photo, dir.File("o.svg"), "--margin", "10"}, 2, {"--margin takes a length"}},
      {{"render", photo, dir.File("o.eps"), "--page", "A4", "--margin", "150mm"}, 1, {"no room for the picture"}},
  };
  for (const Case& c : cases) ExpectOneLine(RunCli(c.args), c.status, c.parts);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"photo.bmp"}) << "no file was made";
}

TEST(CliRenderMessages, VectorFileOnAPageIsWritten) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  const std::string svg = dir.File("poster.svg");
  const CliResult run =
      RunCli({"render", photo, svg, "--page", "A4", "--landscape", "--margin", "10mm", "--objects", "50", "--quiet"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string text = test::ReadFile(svg);
  // A4 turned: 297 x 210 millimetres in points.
  EXPECT_NE(text.find("width=\"841.88976377952"), std::string::npos) << text.substr(0, 300);
  EXPECT_NE(text.find("height=\"595.275590551181"), std::string::npos) << text.substr(0, 300);
}

TEST(CliRenderMessages, UnwritableOutputIsFoundBeforeTheInputIsRead) {
  TempDir dir;
  // The input does not exist either: the output is checked first.
  const CliResult run = RunCli({"render", dir.File("missing.png"), dir.File("no-such/o.png")});
  ExpectOneLine(run, 1, {"Cannot save '" + dir.File("no-such/o.png") + "'"});
}

TEST(CliRenderMessages, InternalDetailsGoToTheLogWhenOneIsKept) {
  TempDir dir;
  const std::string log = dir.File("brisol.log");
  // A PNG signature over nothing: the decoder's step and code are logged.
  test::WriteFile(dir.File("fake.png"), std::string("\x89PNG\r\n\x1A\n", 8) + std::string(60, '\0'));
  const std::string command = "BRISOL_LOG=" + test::ShellQuote(log) + " " + test::ShellQuote(BRISOL_CLI_PATH) +
                              " render " + test::ShellQuote(dir.File("fake.png")) + " " +
                              test::ShellQuote(dir.File("o.png")) + " 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_NE(test::ReadFile(log).find("PNG image data error: -"), std::string::npos) << test::ReadFile(log);
}

TEST(CliRenderMessages, FolderNamedRelativeToTheCurrentFolderIsUsed) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  WriteCollection(dir, "MyShapes");
  const CliResult run =
      RunCli({"render", photo, "out.png", "--effect", "MyShapes", "--objects", "20", "--quiet"}, dir.path().string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.png")));
}

TEST(CliRenderMessages, OptionsThatChangeNothingGetANotice) {
  TempDir dir;
  const std::string photo = WritePhoto(dir);
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> notices;
  } cases[] = {
      {{"--area", "20"}, {"--area has no effect: the number of objects does not depend on the image"}},
      {{"--area", "20", "--number-reaction", "image"}, {}},
      {{"--mix-visible", "30"}, {"--mix-visible has no effect: the even mix shows the original everywhere alike"}},
      {{"--mix-visible", "30", "--mix", "left-right"}, {}},
      {{"--mix", "off", "--mix-sharpness", "30"},
       {"--mix-sharpness has no effect: the picture is not mixed with the original"}},
      {{"--angle-reaction", "random", "--angle", "30", "--angle-var", "5"},
       {"--angle has no effect: the angle is random", "--angle-var has no effect: the angle is random"}},
      {{"--fill-color", "#ff0000"}, {"--fill-color has no effect: the fill colours do not come from a single colour"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", photo, dir.File("o.png"), "--objects", "10", "--quiet"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliResult run = RunCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.err), c.notices.size()) << run.err;
    for (const std::string& notice : c.notices)
      EXPECT_NE(run.err.find("brisol-cli render: " + notice + "\n"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace brisol
