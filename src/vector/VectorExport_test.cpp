// Writing a vector file: failures told in one line naming the file and the
// cause; a failed, stopped or interrupted export leaves no partial file and
// keeps the one it would have replaced; the PostScript files' first lines,
// and an EPS file's bounding box that programs placing it crop it to.
#include "vector/VectorExport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "VectorTestSupport.h"
#include "effect/Effect.h"
#include "effect/EffectTestUtil.h"
#include "effect/Runner.h"

namespace brisol::test {
namespace {

const char* const kFormats[] = {"svg", "pdf", "eps", "ps"};

// A collection of one square in a folder of its own.
std::string SquareCollection() {
  static const TempDir folder;
  WriteFile(folder.File("square.dxf"), SquareDxf());
  return folder.path().string();
}

// A job of the collection.
struct Job {
  explicit Job(SIZE size = {64, 48}) : photo(MakePhoto(size.cx, size.cy)), effect(SquareCollection().c_str()) {
    effect.SetNumObjects(300);
    job.effect = &effect;
    job.photo = &photo;
  }
  CDADC photo;
  CEffect effect;
  VectorJob job;
};

std::vector<std::string> FilesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Asks to stop at the nth report of progress: the first comes while the
// objects are gathered, later ones while the file is written.
struct StopPartWay final : DrawObserver {
  std::stop_source* source = nullptr;
  int at = 0;
  int calls = 0;
  void Progress(std::size_t done, std::size_t total) override {
    if (++calls == at) source->request_stop();
  }
};

TEST(VectorExport, FailuresAreOneLineNamingTheFileAndTheCause) {
  TempDir dir;
  Job job;
  std::filesystem::create_directory(dir.File("folder.pdf"));
  struct Case {
    std::string path;
    PageOptions page;
    const char* cause;  // a part of the line
  };
  PageOptions huge;
  huge.size = "300x300in";
  const Case cases[] = {
      {"/no/such/folder/poster.svg", {}, "folder"}, {dir.File("folder.pdf"), {}, "folder"},
      {dir.File("poster.ai"), {}, ".pdf or .svg"},  {dir.File("poster.docx"), {}, ".svg, .pdf, .eps, .ps"},
      {dir.File("poster.pdf"), huge, "200 inches"},
  };
  for (const Case& c : cases) {
    job.job.page = c.page;
    const Outcome<VectorWritten> r = WriteVectorFile(c.path, job.job);
    EXPECT_EQ(r.status(), Status::Failed) << c.path;
    EXPECT_NE(r.message().find("'" + c.path + "'"), std::string::npos) << r.message();
    EXPECT_NE(r.message().find(c.cause), std::string::npos) << r.message();
    EXPECT_EQ(r.message().find('\n'), std::string::npos) << r.message();
    // Told before any work, the same way.
    EXPECT_EQ(CheckVectorFile(c.path, c.page, job.photo.GetSize()).message(), r.message()) << c.path;
  }
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{}) << "no file was made";

  job.job.page = {};
  VectorJob bad = job.job;
  bad.photo = nullptr;
  EXPECT_NE(WriteVectorFile(dir.File("a.svg"), bad).message().find("no picture"), std::string::npos);
  bad = job.job;
  bad.level = 3;
  EXPECT_NE(WriteVectorFile(dir.File("a.svg"), bad).message().find("quality"), std::string::npos);
  CEffect empty;
  bad = job.job;
  bad.effect = &empty;
  EXPECT_NE(WriteVectorFile(dir.File("a.svg"), bad).message().find("no shapes"), std::string::npos);
}

TEST(VectorExport, AStoppedOrInterruptedExportKeepsTheOldFileAndLeavesNoOther) {
  for (const char* format : kFormats) {
    for (const int stopAt : {0, 1, 3}) {  // 0: before it starts
      TempDir dir;
      Job job;
      job.effect.SetNumObjects(1000);
      // A mix that keeps the objects in every format, so that each writer runs.
      job.effect.SetMixGeom(eMixRectFrame);
      const std::string path = dir.File(std::string("poster.") + format);
      WriteFile(path, "the old file");
      std::stop_source stop;
      StopPartWay observer;
      observer.source = &stop;
      observer.at = stopAt;
      if (stopAt == 0) stop.request_stop();
      const Outcome<VectorWritten> r = WriteVectorFile(path, job.job, &observer, stop.get_token());
      EXPECT_EQ(r.status(), Status::Stopped) << format << " stopped at " << stopAt;
      EXPECT_NE(r.message().find(path), std::string::npos) << r.message();
      EXPECT_EQ(ReadFile(path), "the old file") << format;
      EXPECT_EQ(FilesIn(dir), std::vector<std::string>{std::string("poster.") + format}) << format;
    }
  }
}

TEST(VectorExport, AWrittenFileReplacesTheOldOneWhole) {
  for (const char* format : kFormats) {
    TempDir dir;
    Job job;
    const std::string path = dir.File(std::string("poster.") + format);
    WriteFile(path, std::string(100000, 'x'));
    const Outcome<VectorWritten> r = WriteVectorFile(path, job.job);
    ASSERT_TRUE(r.ok()) << r.message();
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.size(), r->bytes);
    EXPECT_EQ(bytes.find('x' + std::string(99, 'x')), std::string::npos) << format;
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{std::string("poster.") + format});
  }
}

TEST(VectorExport, AFolderThatCannotBeWrittenKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into any folder";
  TempDir dir;
  Job job;
  std::filesystem::create_directory(dir.File("locked"));
  const std::string path = dir.File("locked/poster.pdf");
  WriteFile(path, "the old file");
  std::filesystem::permissions(dir.File("locked"),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const Outcome<VectorWritten> r = WriteVectorFile(path, job.job);
  std::filesystem::permissions(dir.File("locked"), std::filesystem::perms::owner_all);
  EXPECT_EQ(r.status(), Status::Failed);
  EXPECT_EQ(ReadFile(path), "the old file");
}

TEST(VectorExport, PostScriptFilesStartWithTheirTypesHeader) {
  struct Case {
    const char* name;
    SIZE picture;
    const char* page;
    const char* head;  // the file's first lines
  };
  const Case cases[] = {
      {"poster.ps", {640, 480}, "", "%!PS-Adobe-3.0\n%%Creator: Brisol\n"},
      {"poster.eps",
       {640, 480},
       "",
       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 640 480\n%%HiResBoundingBox: 0 0 640 480\n"},
      {"POSTER.EPS",
       {31, 17},
       "",
       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 31 17\n%%HiResBoundingBox: 0 0 31 17\n"},
      // An A4 page of 595.2756 x 841.8898 points: whole points rounded outward.
      {"a4.eps",
       {64, 48},
       "A4",
       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 596 842\n%%HiResBoundingBox: 0 0 595.276 841.89\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    Job job(c.picture);
    job.effect.SetNumObjects(20);
    job.job.page.size = c.page;
    const std::string path = dir.File(c.name);
    ASSERT_TRUE(WriteVectorFile(path, job.job).ok()) << c.name;
    EXPECT_TRUE(ReadFile(path).starts_with(c.head)) << c.name << ":\n" << ReadFile(path).substr(0, 80);
  }
}

// A PDF file keeps its recipe in an information entry of its own: viewers
// show the Subject as what the document is about.
TEST(VectorExport, APdfKeepsTheRecipeOutOfItsSubject) {
  TempDir dir;
  Job job;
  job.job.metadata = "format = 1\nseed = 7\n";
  const std::string path = dir.File("poster.pdf");
  ASSERT_TRUE(WriteVectorFile(path, job.job).ok());
  const std::string bytes = ReadFile(path);
  EXPECT_NE(bytes.find("/BrisolRecipe <FEFF"), std::string::npos);
  EXPECT_EQ(bytes.find("/Subject"), std::string::npos);
}

// Ghostscript and ps2pdf crop an EPS file to its bounding box: the page
// they give is the page the file was written for, within a point.
TEST(VectorExport, AnEpsFileIsCroppedToItsPage) {
  for (const char* tool : {"gs", "ps2pdf", "pdftoppm"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  struct Case {
    const char* page;
    bool landscape;
    const char* margin;
    const char* bleed;
    SIZE points;  // the page, rounded up
  };
  const Case cases[] = {
      {"", false, "0", "0", {64, 48}},
      {"A5", false, "10mm", "0", {420, 596}},
      {"A4", true, "20mm", "5mm", {871, 624}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    Job job;
    job.effect.SetNumObjects(50);
    job.job.page.size = c.page;
    job.job.page.landscape = c.landscape;
    ASSERT_TRUE(ParseLength(c.margin, job.job.page.margin) && ParseLength(c.bleed, job.job.page.bleed));
    const std::string eps = dir.File("poster.eps"), gsPng = dir.File("gs.png"), pdf = dir.File("poster.pdf");
    ASSERT_TRUE(WriteVectorFile(eps, job.job).ok()) << c.page;
    ASSERT_EQ(RunShell("gs -q -dNOPAUSE -dBATCH -dSAFER -dEPSCrop -sDEVICE=png16m -r72 -sOutputFile=" + Quoted(gsPng) +
                       " " + Quoted(eps)),
              0);
    ASSERT_EQ(RunShell("ps2pdf -dEPSCrop " + Quoted(eps) + " " + Quoted(pdf)), 0);
    ASSERT_EQ(RunShell("pdftoppm -png -r 72 -singlefile " + Quoted(pdf) + " " + Quoted(dir.File("pdf"))), 0);
    for (const std::string& png : {gsPng, dir.File("pdf.png")}) {
      const auto drawn = Load(png);
      ASSERT_TRUE(drawn) << png;
      EXPECT_LE(std::abs(drawn->GetWidth() - c.points.cx), 1) << c.page << " " << png;
      EXPECT_LE(std::abs(drawn->GetHeight() - c.points.cy), 1) << c.page << " " << png;
    }
  }
}

// The margin is measured from the trimmed page and the bleed lies outside
// it: on a PDF page drawn by poppler, the picture (the photo, nowhere white)
// is the margin away from the trim on the side where it fits, and with no
// margin its background runs on to the page's edge.
TEST(VectorExport, TheMarginIsMeasuredFromTheTrim) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed";
  constexpr double kDpi = 144, kMmPerPixel = 25.4 / kDpi;
  struct Case {
    const char* page;
    bool landscape;
    double marginMm, bleedMm;
  };
  const Case cases[] = {
      {"A4", true, 20, 5}, {"A5", false, 20, 5}, {"letter", false, 10, 3}, {"A4", false, 0, 5}, {"A3", true, 15, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    Job job;
    job.effect.SetNumObjects(50);
    job.job.page.size = c.page;
    job.job.page.landscape = c.landscape;
    job.job.page.margin = {c.marginMm, LengthUnit::Mm};
    job.job.page.bleed = {c.bleedMm, LengthUnit::Mm};
    const std::string pdf = dir.File("poster.pdf");
    ASSERT_TRUE(WriteVectorFile(pdf, job.job).ok()) << c.page;
    ASSERT_EQ(RunShell("pdftoppm -png -r 144 -singlefile " + Quoted(pdf) + " " + Quoted(dir.File("page"))), 0);
    const auto drawn = Load(dir.File("page.png"));
    ASSERT_TRUE(drawn);
    // The box of the pixels that are not white.
    const PixelBlock block = drawn->GetBlock();
    int x0 = block.width, y0 = block.height, x1 = -1, y1 = -1;
    for (int y = 0; y < block.height; ++y) {
      for (int x = 0; x < block.width; ++x) {
        const std::uint8_t* p = block.Pixel(x, y);
        if (p[0] > 245 && p[1] > 245 && p[2] > 245) continue;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
    }
    ASSERT_GE(x1, 0) << c.page;
    // From each edge of the trim to the picture, in millimetres.
    const double sides[] = {x0 * kMmPerPixel - c.bleedMm, (block.width - 1 - x1) * kMmPerPixel - c.bleedMm,
                            y0 * kMmPerPixel - c.bleedMm, (block.height - 1 - y1) * kMmPerPixel - c.bleedMm};
    const double nearest = *std::min_element(std::begin(sides), std::end(sides));
    const double expected = c.marginMm > 0 ? c.marginMm : -c.bleedMm;
    EXPECT_NEAR(nearest, expected, 0.5) << c.page << (c.landscape ? " landscape" : "") << " margin " << c.marginMm
                                        << "mm bleed " << c.bleedMm << "mm";
  }
}

}  // namespace
}  // namespace brisol::test
