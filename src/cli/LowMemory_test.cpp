// brisol-cli when memory runs out: under a ladder of address-space limits,
// every command either does its work or ends with one line that tells what
// it could not make, with status 1 and the old output left as it was;
// never an abort or another signal.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "imageio/ImageSave.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::CliResult;
using test::RunCliIn;
using test::TempDir;

std::string Limit(int kilobytes) { return "ulimit -v " + std::to_string(kilobytes) + "; "; }

// The smallest address-space limit, in KiB as ulimit -v takes it, under
// which the program starts at all (its libraries need some); 0 when none.
int StartingLimit() {
  for (int kilobytes = 2000; kilobytes <= 400000; kilobytes += 1000) {
    if (RunCliIn(Limit(kilobytes), {"--help"}).status == 0) return kilobytes;
  }
  return 0;
}

// The lines of standard error that are the program's own: fontconfig, whose
// configuration cannot be parsed without memory, complains on its own.
std::size_t OwnLines(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (text.compare(start, 11, "Fontconfig ") != 0) ++lines;
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

// The program's own last line.
std::string LastLine(const std::string& text) {
  const std::size_t end = text.empty() || text.back() != '\n' ? text.size() : text.size() - 1;
  const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1);
}

struct Outcomes {
  int succeeded = 0;
  int refused = 0;  // ended with its one line about memory
};

// Runs the command under limits from start up, kilobytes apart, until it
// has succeeded twice in a row (or the ladder ends). output, when given,
// holds "old" before each run and must still hold it after a failure.
Outcomes Climb(const std::vector<std::string>& args, int start, int step, int steps, const std::string& output) {
  Outcomes seen;
  int successesInARow = 0;
  for (int i = 0; i < steps && successesInARow < 2; ++i) {
    const int kilobytes = start + i * step;
    if (!output.empty()) test::WriteFile(output, "old");
    const CliResult run = RunCliIn(Limit(kilobytes), args, ">/dev/null");
    SCOPED_TRACE(args[0] + " under " + std::to_string(kilobytes) + " KiB");
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << ": " << run.err;
    if (run.status == 0) {
      ++seen.succeeded;
      ++successesInARow;
      continue;
    }
    successesInARow = 0;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(OwnLines(run.err), 1u) << run.err;
    const std::string line = LastLine(run.err);
    EXPECT_EQ(line.rfind("brisol-cli " + args[0] + ": ", 0), 0u) << run.err;
    const bool aboutMemory = line.find("memory") != std::string::npos;
    EXPECT_TRUE(aboutMemory) << run.err;
    if (aboutMemory) ++seen.refused;
    if (!output.empty()) {
      EXPECT_EQ(test::ReadFile(output), "old");
    }
  }
  return seen;
}

class CliLowMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
    m_start = StartingLimit();
    if (m_start == 0) GTEST_SKIP() << "the program does not start under any address-space limit tried";
  }
  int m_start = 0;
};

// Without a photo the demonstration makes its scene: when even that cannot
// be had, one line says so.
TEST_F(CliLowMemory, DemoWithoutAPhotoEndsInOneLine) {
  TempDir dir;
  // The drawing's threads take more or less address space as they happen
  // to meet, so the ladder reaches well above what one run needs.
  const Outcomes seen = Climb({"demo", "--output", dir.File("demo.png")}, m_start, 2000, 40, dir.File("demo.png"));
  EXPECT_GT(seen.refused, 0);
  EXPECT_GT(seen.succeeded, 0);
}

TEST_F(CliLowMemory, EveryCommandEndsInOneLineAndKeepsTheOldOutput) {
  TempDir dir;
  CDADC photo(SIZE{600, 400});
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) photo.GetDC().SetPixel(x, y, RGB(x % 256, y % 256, (x * y) % 256));
  ASSERT_TRUE(SaveImageFile(photo, dir.File("photo.png")).ok());
  const std::string drawing = dir.File("shape.dxf");
  test::WriteFile(drawing, "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n0\n20\n0\n40\n1\n0\nENDSEC\n0\nEOF\n");
  struct Case {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {
      {{"render", dir.File("photo.png"), dir.File("out.png"), "--objects", "5000", "--quality", "2", "--quiet"},
       dir.File("out.png")},
      {{"convert", dir.File("photo.png"), dir.File("out.bmp"), "--resize", "1500x1000"}, dir.File("out.bmp")},
      {{"testcard", dir.File("card.bmp"), "1600x1200"}, dir.File("card.bmp")},
      {{"effects"}, {}},
      {{"identify", dir.File("photo.png")}, {}},
      {{"dxf-info", drawing}, {}},
  };
  int refused = 0;
  for (const Case& c : cases) refused += Climb(c.args, m_start, 1000, 40, c.output).refused;
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace brisol
