// The vector files, drawn by renderers that are no part of Brisol, agree with
// the raster picture brisol-cli render makes of the same inputs: every
// bundled collection, background colour and photo, three mix geometries (a
// linear gradient, a radial gradient and a grey mask), quality 2. The SVG is
// well-formed XML and the PDF passes qpdf's check.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "VectorTestSupport.h"

namespace brisol::test {
namespace {

constexpr int kWidth = 160, kHeight = 120;
constexpr double kMinPsnr = 26.0;

struct Renderer {
  const char* format;  // the file's extension
  const char* tool;
  // The command that draws IN as a PNG OUT at the picture's size (one point a pixel).
  std::string (*command)(const std::string& in, const std::string& out);
};

const Renderer kRenderers[] = {
    {"svg", "rsvg-convert",
     [](const std::string& in, const std::string& out) {
       return "rsvg-convert -w " + std::to_string(kWidth) + " -h " + std::to_string(kHeight) + " -o " + Quoted(out) +
              " " + Quoted(in);
     }},
    {"pdf", "pdftoppm",
     [](const std::string& in, const std::string& out) {
       std::string stem = out.substr(0, out.size() - 4);
       return "pdftoppm -png -r 72 -singlefile " + Quoted(in) + " " + Quoted(stem);
     }},
    {"eps", "gs",
     [](const std::string& in, const std::string& out) {
       return "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -dGraphicsAlphaBits=4 -dTextAlphaBits=4 -r72 "
              "-dDEVICEWIDTHPOINTS=" +
              std::to_string(kWidth) + " -dDEVICEHEIGHTPOINTS=" + std::to_string(kHeight) +
              " -dFIXEDMEDIA -sOutputFile=" + Quoted(out) + " " + Quoted(in);
     }},
    {"ps", "gs",
     [](const std::string& in, const std::string& out) {
       return "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -dGraphicsAlphaBits=4 -dTextAlphaBits=4 -r72 "
              "-sOutputFile=" +
              Quoted(out) + " " + Quoted(in);
     }},
};

const char* const kMixes[] = {"left-right", "circle-vignette", "rect-frame"};

std::vector<std::string> Collections() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(BRISOL_SOURCE_RES_DIR "/Effects"))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class RenderersAgree : public ::testing::TestWithParam<std::string> {};

TEST_P(RenderersAgree, WithTheRasterPicture) {
  for (const Renderer& r : kRenderers)
    if (!HaveTool(r.tool)) GTEST_SKIP() << r.tool << " is not installed";
  const bool checkXml = HaveTool("xmllint"), checkPdf = HaveTool("qpdf");
  TempDir dir;
  const std::string collection = GetParam();
  const std::vector<std::string> all = Collections();
  const std::size_t index = std::find(all.begin(), all.end(), collection) - all.begin();
  // Half the collections start from a JPEG photo, embedded as its own bytes.
  const std::string photo = dir.File(index % 2 ? "photo.jpg" : "photo.png");
  ASSERT_TRUE(SaveImageFile(MakePhoto(kWidth, kHeight), photo).ok());

  for (const char* background : {"original", "color"}) {
    const std::string mix = kMixes[(index + (background[0] == 'c')) % 3];
    const std::string common = " --quiet --quality 2 --seed 7 --effect " + Quoted(collection) + " --background " +
                               background + " --background-color '#204060' --mix " + mix + " --mix-sharpness 20";
    const std::string raster = dir.File("raster.png");
    ASSERT_EQ(RunShell(Quoted(BRISOL_CLI_PATH) + " render " + Quoted(photo) + " " + Quoted(raster) + common), 0);
    const auto expected = Load(raster);
    ASSERT_TRUE(expected);
    // For scale: the same objects drawn at quality 1. A collection of
    // many sharp edges (texts on white cells) differs from itself by more
    // than the usual 27 dB; there the files must agree at least as well.
    const std::string rough = dir.File("raster-q1.png");
    ASSERT_EQ(RunShell(Quoted(BRISOL_CLI_PATH) + " render " + Quoted(photo) + " " + Quoted(rough) +
                       std::string(common).replace(common.find("--quality 2"), 11, "--quality 1")),
              0);
    const double selfPsnr = Psnr(*expected, *Load(rough));
    const double minPsnr = std::min(kMinPsnr, selfPsnr - 1.0);
    for (const Renderer& r : kRenderers) {
      const std::string file = dir.File(std::string("picture.") + r.format);
      const std::string drawn = dir.File(std::string("drawn-") + r.format + ".png");
      ASSERT_EQ(RunShell(Quoted(BRISOL_CLI_PATH) + " render " + Quoted(photo) + " " + Quoted(file) + common), 0);
      ASSERT_EQ(RunShell(r.command(file, drawn)), 0) << r.tool << " failed on " << file;
      const auto got = Load(drawn);
      ASSERT_TRUE(got) << drawn;
      const double psnr = Psnr(*expected, *got);
      std::printf("%-10s %-8s %-15s %-4s PSNR %.2f dB (quality 1: %.2f dB)\n", collection.c_str(), background,
                  mix.c_str(), r.format, psnr, selfPsnr);
      EXPECT_GE(psnr, minPsnr) << collection << " " << background << " " << mix << " " << r.format;
      if (std::string(r.format) == "svg" && checkXml) {
        EXPECT_EQ(RunShell("xmllint --noout " + Quoted(file)), 0);
      }
      if (std::string(r.format) == "pdf" && checkPdf) {
        EXPECT_EQ(RunShell("qpdf --check " + Quoted(file)), 0);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCollection, RenderersAgree, ::testing::ValuesIn(Collections()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace brisol::test
