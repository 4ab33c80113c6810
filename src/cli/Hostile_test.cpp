// brisol-cli against a hostile user: absurd sizes, special files, outputs
// that are the input, damaged and bomb-like pictures, shapes that draw
// nothing, failed writes. Every case ends with one line naming the file and
// the cause, never with a crash, a hang or a lost file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "imageio/ImageSave.h"
#include "imageio/codecs/FileBuilding.h"
#include "imageio/codecs/ImageCodec.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

using test::CliResult;
using test::RunCli;
using test::RunCliIn;
using test::TempDir;

// A run that could hang is ended after this long, and fails the test.
const std::string kWatchdog = "timeout -s KILL 60";

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The run failed with exactly one line on standard error, from the command,
// holding every part.
void ExpectOneLine(const CliResult& run, int status, const std::string& command,
                   const std::vector<std::string>& parts) {
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << ": " << run.err;
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_EQ(run.err.rfind("brisol-cli " + command + ": ", 0), 0u) << run.err;
  for (const std::string& part : parts) EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
}

// A picture of soft colour ramps, written in the format of the name.
std::string WritePicture(const std::string& path, int width = 48, int height = 32) {
  CDADC picture(SIZE{width, height});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.GetDC().SetPixel(x, y, RGB((x * 255) / width, (y * 255) / height, 128 + (x + y) % 64));
  EXPECT_TRUE(SaveImageFile(picture, path).ok()) << path;
  return path;
}

void PutU16(std::string& s, unsigned v) { s += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
void PutU32(std::string& s, std::uint32_t v) {
  PutU16(s, v & 0xFFFF);
  PutU16(s, v >> 16);
}

// An RLE8 BMP claiming width x height pixels, with a grey colour table of
// colours entries and the run-length data given.
std::string RleBmp(std::uint32_t width, std::uint32_t height, unsigned colours, const std::string& data) {
  std::string info;
  PutU32(info, 40);
  PutU32(info, width);
  PutU32(info, height);
  PutU16(info, 1);
  PutU16(info, 8);
  PutU32(info, 1);  // RLE8
  PutU32(info, static_cast<std::uint32_t>(data.size()));
  PutU32(info, 2835);
  PutU32(info, 2835);
  PutU32(info, colours);
  PutU32(info, 0);
  for (unsigned i = 0; i < colours; ++i) info += {char(i), char(i), char(i), 0};
  std::string file = "BM";
  PutU32(file, static_cast<std::uint32_t>(14 + info.size() + data.size()));
  PutU32(file, 0);
  PutU32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + data;
}

// A JPEG of a real picture whose frame header claims another size.
std::string JpegClaiming(int width, int height, int realWidth, int realHeight) {
  Bgr24Image image;
  EXPECT_EQ(AllocBgr24(image, realWidth, realHeight), kImgOk);
  for (int y = 0; y < realHeight; ++y)
    for (int x = 0; x < 3 * realWidth; ++x) image.Block().Row(y)[x] = static_cast<std::uint8_t>((x * 7 + y * 13) % 256);
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodeJpeg(image.Block(), 92, file), kImgOk);
  filebuilding::ClaimJpegSize(file, width, height);
  return std::string(file.begin(), file.end());
}

// DXF text of the groups.
std::string Groups(const std::vector<std::pair<int, std::string>>& groups) {
  std::string out;
  for (const auto& [code, value] : groups) out += std::to_string(code) + "\n" + value + "\n";
  return out;
}

// A shape file: a comment that brings it to the size shape files have, the
// layer table when given, and the entities.
std::string ShapeText(const std::string& entities, const std::string& tables = {}) {
  std::string text = Groups({{999, std::string(120, '-')}});
  if (!tables.empty()) text += Groups({{0, "SECTION"}, {2, "TABLES"}}) + tables + Groups({{0, "ENDSEC"}});
  return text + Groups({{0, "SECTION"}, {2, "ENTITIES"}}) + entities + Groups({{0, "ENDSEC"}, {0, "EOF"}});
}

std::string Square(double half, const std::string& layer = "0") {
  const std::string a = std::to_string(-half), b = std::to_string(half);
  return Groups({{0, "LWPOLYLINE"},
                 {8, layer},
                 {90, "4"},
                 {70, "1"},
                 {10, a},
                 {20, a},
                 {10, b},
                 {20, a},
                 {10, b},
                 {20, b},
                 {10, a},
                 {20, b}});
}

// A collection folder holding the shape files given by name.
std::string WriteCollection(const TempDir& dir, const std::string& name,
                            const std::vector<std::pair<std::string, std::string>>& shapes) {
  const std::string folder = dir.File(name);
  std::filesystem::create_directories(folder);
  for (const auto& [file, text] : shapes) test::WriteFile(folder + "/" + file, text);
  return folder;
}

std::vector<std::string> Render(const std::string& in, const std::string& out, const std::string& effect) {
  return {"render", in, out, "--effect", effect, "--seed", "7", "--objects", "300", "--quiet"};
}

// --- 1: sizes whose resampling buffers overflow ---------------------------

TEST(CliHostile, ResizeSizesWhoseBuffersOverflowAreRefusedInOneLine) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("photo.png"), 160, 100);
  for (const char* size : {"1x300000000", "400000000x1", "2x200000000"}) {
    SCOPED_TRACE(size);
    const CliResult run = RunCli({"convert", photo, dir.File("out.bmp"), "--resize", size});
    ExpectOneLine(run, 1, "convert", {"cannot resize '" + photo + "'", "the most"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.bmp")));
  }
  // A tall picture shrunk by a little: the resampler would take days.
  const std::string tall = WritePicture(dir.File("tall.png"), 1, 200000);
  ExpectOneLine(RunCli({"convert", tall, dir.File("out.bmp"), "--resize", "1x199999"}), 1, "convert",
                {"cannot resize '" + tall + "'", "billion steps; the most it is given is 10 billion"});
  // A size the resampler can take still resizes.
  ASSERT_EQ(RunCli({"convert", photo, dir.File("out.bmp"), "--resize", "3x2000"}).status, 0);
  EXPECT_EQ(RunCli({"identify", dir.File("out.bmp")}).out, dir.File("out.bmp") + ": BMP 3 x 2000, 24 bits per pixel\n");
}

// --- 5: named pipes, devices and sockets ----------------------------------

TEST(CliHostile, SpecialFilesAreRefusedWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.File("fifo.png"), fifoDxf = dir.File("fifo.dxf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(fifoDxf.c_str(), 0600), 0);
  const std::string socketPath = dir.File("socket.png");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::string out = dir.File("out.png");
  test::WriteFile(out, "old");
  struct Case {
    std::vector<std::string> args;
    std::string command;
    std::string named;  // the file the line names
    std::string kind;
  } cases[] = {
      {{"identify", fifo}, "identify", fifo, "named pipe (FIFO)"},
      {{"render", fifo, out}, "render", fifo, "named pipe (FIFO)"},
      {{"convert", fifo, out}, "convert", fifo, "named pipe (FIFO)"},
      {{"demo", fifo, "--output", out}, "demo", fifo, "named pipe (FIFO)"},
      {{"convert", "/dev/zero", out}, "convert", "/dev/zero", "character device"},
      {{"render", socketPath, out}, "render", socketPath, "socket"},
      {{"identify", "/dev/null"}, "identify", "/dev/null", "character device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const auto start = std::chrono::steady_clock::now();
    const CliResult run = RunCliIn({}, c.args, {}, {}, kWatchdog);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    ExpectOneLine(run, 1, c.command, {c.named, c.kind, "not a regular file"});
    EXPECT_EQ(test::ReadFile(out), "old");
  }
  // The shape reader and the shape loader alike.
  const CliResult info = RunCliIn({}, {"dxf-info", fifoDxf}, {}, {}, kWatchdog);
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("cannot open DXF file " + fifoDxf + ": it is a named pipe (FIFO), not a regular file"),
            std::string::npos)
      << info.out;
  const std::string effect = WriteCollection(dir, "Shapes", {{"square.dxf", ShapeText(Square(0.5))}});
  ASSERT_EQ(::mkfifo((effect + "/pipe.dxf").c_str(), 0600), 0);
  const CliResult render =
      RunCliIn({}, Render(WritePicture(dir.File("photo.bmp")), dir.File("r.bmp"), effect), {}, {}, kWatchdog);
  EXPECT_EQ(render.status, 0) << render.err;
  EXPECT_NE(render.err.find("'" + effect + "/pipe.dxf' is a named pipe (FIFO), not a shape file"), std::string::npos)
      << render.err;
  ::close(listener);
}

// --- 6: the photo is never the output -------------------------------------

TEST(CliHostile, NoCommandWritesOverItsInput) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("v.png"));
  const std::string before = test::ReadFile(photo);
  ASSERT_EQ(::symlink(photo.c_str(), dir.File("link.png").c_str()), 0);
  for (const std::string& output : {photo, dir.File("link.png"), dir.File("./v.png")}) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"demo", photo, "--output", output},
                                                 {"convert", photo, output},
                                                 {"render", photo, output, "--objects", "10"}}) {
      SCOPED_TRACE(args[0] + " to " + output);
      const CliResult run = RunCli(args);
      ExpectOneLine(run, 2, args[0], {"the output '" + output + "' is the input picture itself"});
      EXPECT_TRUE(test::SameBytes(test::ReadFile(photo), before));
    }
  }
}

// --- 7, 14: the test card's save, the file-size limit ---------------------

TEST(CliHostile, TestcardSavesAsEveryCommandSaves) {
  TempDir dir;
  const std::string card = dir.File("card.bmp");
  test::WriteFile(card, "the old card");
  // A device is not a file to write over, by its name or through a link.
  ExpectOneLine(RunCli({"testcard", "/dev/full", "800x600"}), 1, "testcard", {"'/dev/full'"});
  const std::string device = dir.File("device.bmp");
  ASSERT_EQ(::symlink("/dev/full", device.c_str()), 0);
  ExpectOneLine(RunCli({"testcard", device, "800x600"}), 1, "testcard", {"'" + device + "'", "not a regular file"});
  ExpectOneLine(RunCli({"testcard", dir.File("card.gif")}), 1, "testcard", {"picture type is not known"});
  EXPECT_EQ(RunCli({"testcard", card, "100000x100000"}).status, 1);
  EXPECT_EQ(RunCli({"testcard", card, "-5x600"}).status, 2);
  EXPECT_EQ(RunCli({"testcard", card, "99999999999x2"}).status, 2);
  // The disk fills up (the file-size limit stands in for it): the old card
  // stays whole and no partial file is left.
  const CliResult full = RunCliIn("ulimit -f 100; ", {"testcard", card, "800x600"});
  ExpectOneLine(full, 1, "testcard", {"Cannot save '" + card + "'", "File too large"});
  EXPECT_EQ(test::ReadFile(card), "the old card");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // the card and the link
  ASSERT_EQ(RunCli({"testcard", card, "80x60"}).status, 0);
  EXPECT_EQ(test::ReadFile(card).substr(0, 2), "BM");
}

TEST(CliHostile, TheFileSizeLimitIsToldAsFileTooLarge) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"), 300, 200);
  const std::string out = dir.File("out.bmp");  // 180 kB
  test::WriteFile(out, "old");
  const CliResult run = RunCliIn("ulimit -f 50; ", {"render", photo, out, "--objects", "20", "--quiet"});
  ExpectOneLine(run, 1, "render", {"Cannot save '" + out + "'", "File too large"});
  EXPECT_EQ(test::ReadFile(out), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// --- 8: what a killed save left ------------------------------------------

TEST(CliHostile, TheNextSaveRemovesWhatAKilledSaveLeft) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"));
  // As a save killed by SIGKILL leaves them: hidden, beside the output.
  const std::string old = dir.File(".~out.png.Ab3dE9"), fresh = dir.File(".~out.png.Zz9yX1");
  const std::string otherProgram = dir.File(".~notes.txt.Ab3dE9"), lock = dir.File(".~lock.out.png#");
  for (const std::string& f : {old, fresh, otherProgram, lock}) test::WriteFile(f, std::string(1000, 'x'));
  const auto twoDaysAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
  for (const std::string& f : {old, otherProgram, lock}) std::filesystem::last_write_time(f, twoDaysAgo);
  ASSERT_EQ(RunCli({"convert", photo, dir.File("out.png")}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(old));
  for (const std::string& kept : {fresh, otherProgram, lock}) EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
}

// --- 9, 15: damaged pictures and the decoder's own words ------------------

// A damaged photo is painted as far as it could be read, with one warning
// line in the decoder's words (even with --quiet) and status 0; one cut
// before a single whole row is refused.
TEST(CliHostile, DamagedPhotosArePaintedWithAWarningInTheDecodersWords) {
  TempDir dir;
  const std::string jpeg = JpegClaiming(320, 240, 320, 240);
  // Cut in the middle of its coded data, with and without its end marker.
  test::WriteFile(dir.File("cut.jpg"), jpeg.substr(0, jpeg.size() / 2));
  test::WriteFile(dir.File("marked.jpg"), jpeg.substr(0, jpeg.size() / 2) + "\xFF\xD9");
  test::WriteFile(dir.File("early.jpg"), jpeg.substr(0, 700));
  struct Case {
    std::vector<std::string> args;
    std::string warning;
  } cases[] = {
      {{"convert", dir.File("marked.jpg"), dir.File("o.png")},
       "brisol-cli convert: warning: '" + dir.File("marked.jpg") +
           "' is damaged and read as far as it could be: Corrupt JPEG data: premature end of data segment; the "
           "file is cut short: "},
      {{"convert", dir.File("cut.jpg"), dir.File("o.png")}, "brisol-cli convert: warning: '" + dir.File("cut.jpg")},
      {{"render", dir.File("cut.jpg"), dir.File("r.png"), "--objects", "10", "--quiet"},
       "brisol-cli render: warning: '" + dir.File("cut.jpg") + "' is damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const CliResult run = RunCli(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind(c.warning, 0), 0u) << run.err;
    EXPECT_NE(run.err.find(" of its 240 rows are missing\n"), std::string::npos) << run.err;
    EXPECT_EQ(RunCli({"identify", c.args[2]}).status, 0);
  }
  const CliResult early = RunCli({"convert", dir.File("early.jpg"), dir.File("e.png")});
  ExpectOneLine(early, 1, "convert", {"'" + dir.File("early.jpg") + "'", "truncated"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("e.png")));
}

// --- 10: decompression bombs ----------------------------------------------

TEST(CliHostile, DecompressionBombsAreRefusedBeforeAnythingIsAllocated) {
  TempDir dir;
  // 1,080 bytes claiming 1 x 400,000,000 pixels: the end-of-picture mark
  // right away would leave them all black.
  const std::string tall = RleBmp(1, 400'000'000, 256, std::string("\0\1", 2));
  ASSERT_EQ(tall.size(), 1080u);
  test::WriteFile(dir.File("tall.bmp"), tall);
  std::string runs;
  for (int i = 0; i < 480; ++i) runs += std::string("\xFF\x01", 2);
  test::WriteFile(dir.File("square.bmp"), RleBmp(20000, 20000, 2, runs + std::string("\0\1", 2)));
  std::string jpeg = JpegClaiming(20000, 20000, 400, 300);
  test::WriteFile(dir.File("claims.jpg"), jpeg);
  const std::string out = dir.File("out.png");
  test::WriteFile(out, "old");
  for (const char* bomb : {"tall.bmp", "square.bmp", "claims.jpg"}) {
    SCOPED_TRACE(bomb);
    const auto start = std::chrono::steady_clock::now();
    // Under a limit far below the picture: refused before allocating it.
    const std::string limit = test::kSanitizedBuild ? std::string() : "ulimit -v 400000; ";
    const CliResult run = RunCliIn(limit, {"render", dir.File(bomb), out, "--quiet"});
    ExpectOneLine(run, 1, "render", {"'" + dir.File(bomb) + "'", "far too few", "it claims"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(test::ReadFile(out), "old");
  }
}

TEST(CliHostile, APictureBeyondTheMemoryAvailableIsRefusedWithItsNeed) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  TempDir dir;
  // A valid PNG of one colour: 5000 x 5000 pixels in a few tens of kB.
  Bgr24Image image;
  ASSERT_EQ(AllocBgr24(image, 5000, 5000), kImgOk);
  std::vector<std::uint8_t> png;
  ASSERT_EQ(EncodePng(image.Block(), png), kImgOk);
  test::WriteFile(dir.File("plain.png"), std::string(png.begin(), png.end()));
  const CliResult run = RunCliIn("ulimit -v 120000; ", {"identify", dir.File("plain.png")});
  EXPECT_EQ(run.status, 0) << run.err;  // the header alone is read
  const CliResult render = RunCliIn("ulimit -v 120000; ", {"render", dir.File("plain.png"), dir.File("o.png")});
  ExpectOneLine(render, 1, "render",
                {"cannot read '" + dir.File("plain.png") +
                     "': not enough memory: its picture of 5000 x 5000 pixels "
                     "needs 150 MB of memory;",
                 "available"});
}

// --- 11, 12: shapes that draw nothing, layers that are off or frozen ------

TEST(CliHostile, ShapesThatDrawNothingAreRefusedWithTheirOwnWords) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"));
  const std::string zeroLine = Groups({{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "1"}, {21, "2"}});
  const std::string tinyLine = Groups({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1e-300"}, {21, "1e-300"}});
  const std::string dot = Groups({{0, "CIRCLE"}, {10, "3"}, {20, "4"}, {40, "0"}});
  const std::string onePoint = Groups({{0, "LWPOLYLINE"}, {90, "1"}, {10, "5"}, {20, "5"}});
  for (const std::string& entities : {zeroLine, tinyLine, dot, onePoint, dot + zeroLine + onePoint}) {
    const std::string effect = WriteCollection(dir, "Nothing", {{"nothing.dxf", ShapeText(entities)}});
    const CliResult run = RunCli(Render(photo, dir.File("o.png"), effect));
    ExpectOneLine(run, 1, "render",
                  {"no usable shapes in '" + effect + "'", "nothing.dxf' draws nothing: ", "have no size"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.png")));
    const CliResult info = RunCli({"dxf-info", effect + "/nothing.dxf"});
    EXPECT_NE(info.out.find("useful:   no (its LINE, POLYLINE and CIRCLE entities have no size)"), std::string::npos)
        << info.out;
  }
}

TEST(CliHostile, LayersThatAreOffOrFrozenAreNotDrawn) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"), 120, 80);
  const std::string layers = Groups({{0, "TABLE"},
                                     {2, "LAYER"},
                                     {0, "LAYER"},
                                     {2, "OFF"},
                                     {62, "-3"},
                                     {70, "0"},
                                     {0, "LAYER"},
                                     {2, "FROZEN"},
                                     {62, "5"},
                                     {70, "1"},
                                     {0, "ENDTAB"}});
  const std::string shown = Square(0.5);
  const std::string plain = WriteCollection(dir, "Plain", {{"s.dxf", ShapeText(shown)}});
  const std::string hidden =
      WriteCollection(dir, "Hidden", {{"s.dxf", ShapeText(shown + Square(3, "OFF") + Square(2, "FROZEN"), layers)}});
  // BMP files: they hold no recipe, whose hash of the drawings would differ.
  ASSERT_EQ(RunCli(Render(photo, dir.File("plain.bmp"), plain)).status, 0);
  const CliResult run = RunCli(Render(photo, dir.File("hidden.bmp"), hidden));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(test::SameFileBytes(dir.File("plain.bmp"), dir.File("hidden.bmp")));
  // Only hidden entities: refused, and dxf-info tells the same.
  const std::string onlyHidden =
      WriteCollection(dir, "OnlyHidden", {{"h.dxf", ShapeText(Square(3, "OFF") + Square(2, "FROZEN"), layers)}});
  ExpectOneLine(RunCli(Render(photo, dir.File("o.png"), onlyHidden)), 1, "render",
                {"h.dxf' draws nothing: its LINE, POLYLINE and CIRCLE entities are all on layers that are off or "
                 "frozen"});
  const CliResult info = RunCli({"dxf-info", onlyHidden + "/h.dxf"});
  EXPECT_NE(info.out.find("extents:  none"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("useful:   no (its LINE, POLYLINE and CIRCLE entities are all on layers that are off"),
            std::string::npos)
      << info.out;
}

// --- 13: standard output --------------------------------------------------

TEST(CliHostile, AFailedWriteToStandardOutputEndsWithStatus1) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"));
  const std::string drawing = dir.File("d.dxf");
  test::WriteFile(drawing, ShapeText(Square(1)));
  const std::vector<std::vector<std::string>> commands = {
      {"identify", photo}, {"identify", "--json", photo}, {"effects", "--json"},
      {"effects"},         {"dxf-info", drawing},         {"testcard", dir.File("card.bmp"), "40x30"},
      {"--help"}};
  for (const std::string& redirection : {std::string(">/dev/full"), std::string(">&-")}) {
    for (const auto& args : commands) {
      SCOPED_TRACE(args[0] + " " + redirection);
      const CliResult run = RunCliIn({}, args, redirection);
      EXPECT_EQ(run.status, 1) << run.err;
      EXPECT_EQ(Lines(run.err), 1u) << run.err;
      EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
    }
  }
  // The demonstration, whose picture is written before its path is told.
  const CliResult demo = RunCliIn({}, {"demo", photo, "--output", dir.File("d.png")}, ">/dev/full");
  EXPECT_EQ(demo.status, 1) << demo.err;
  EXPECT_NE(demo.err.find("brisol-cli demo: cannot write to standard output: No space left on device"),
            std::string::npos)
      << demo.err;
  // A closed standard output is never taken by a file the command opens.
  ASSERT_EQ(RunCliIn({}, {"convert", photo, dir.File("c.bmp")}, ">&-").status, 0);
  EXPECT_EQ(test::ReadFile(dir.File("c.bmp")).substr(0, 2), "BM");
}

// --- 15: messages that name the right cause --------------------------------

TEST(CliHostile, ShapeFilesThatCannotBeReadAreToldByTheirRealCause) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"));
  const std::string effect = WriteCollection(dir, "Odd", {{"good.dxf", ShapeText(Square(0.5))}});
  ASSERT_EQ(::symlink((effect + "/gone.dxf").c_str(), (effect + "/dangling.dxf").c_str()), 0);
  ASSERT_EQ(::symlink((effect + "/loop.dxf").c_str(), (effect + "/loop.dxf").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", (effect + "/zero.dxf").c_str()), 0);
  const CliResult run = RunCli(Render(photo, dir.File("o.png"), effect));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("0 bytes"), std::string::npos) << run.err;
  for (const char* told : {"dangling.dxf': No such file or directory", "loop.dxf': Too many levels of symbolic links",
                           "zero.dxf' is a character device, not a shape file"}) {
    EXPECT_NE(run.err.find(told), std::string::npos) << told << "\n" << run.err;
  }
  // dxf-info gives the reason a file cannot be opened.
  const CliResult info = RunCli({"dxf-info", effect + "/dangling.dxf"});
  EXPECT_NE(info.out.find("cannot open DXF file " + effect + "/dangling.dxf: No such file or directory"),
            std::string::npos)
      << info.out;
  if (::geteuid() != 0) {
    // A folder that may not be searched.
    const std::string locked = WriteCollection(dir, "Locked", {{"a.dxf", ShapeText(Square(0.5))}});
    ASSERT_EQ(::chmod(locked.c_str(), 0600), 0);
    const CliResult denied = RunCli(Render(photo, dir.File("o.png"), locked));
    ::chmod(locked.c_str(), 0700);
    EXPECT_NE(denied.err.find("Permission denied"), std::string::npos) << denied.err;
    EXPECT_EQ(denied.err.find("0 bytes"), std::string::npos) << denied.err;
  }
}

TEST(CliHostile, AnOutputTooLargeForItsFormatIsRefusedBeforeTheWork) {
  TempDir dir;
  const std::string wide = WritePicture(dir.File("wide.png"), 70000, 1);
  for (const auto& [name, limit] : {std::pair<std::string, std::string>{"o.jpg", "a JPEG file holds at most 65500"},
                                    {"o.tga", "a TGA file holds at most 65535"},
                                    {"o.pcx", "a PCX file holds at most 65534"}}) {
    SCOPED_TRACE(name);
    const CliResult run = RunCli({"render", wide, dir.File(name), "--timings", "--quiet"});
    ExpectOneLine(run, 1, "render", {"Cannot save '" + dir.File(name) + "'", limit, "the picture is 70000 x 1"});
    EXPECT_EQ(run.err.find("phase"), std::string::npos) << "the picture was drawn first";
  }
}

TEST(CliHostile, TheOverflowingBlockTableIsToldNamingItsFile) {
  TempDir dir;
  std::string blocks = Groups({{0, "SECTION"}, {2, "BLOCKS"}});
  for (int i = 0; i < 1600; ++i)
    blocks += Groups({{0, "BLOCK"}, {2, "B" + std::to_string(i)}, {0, "LINE"}, {0, "ENDBLK"}});
  blocks += Groups({{0, "ENDSEC"}});
  const std::string effect = WriteCollection(dir, "Blocks", {{"many.dxf", blocks + ShapeText(Square(0.5))}});
  const CliResult run = RunCli(Render(WritePicture(dir.File("p.png")), dir.File("o.png"), effect));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "Block buffer overflow: 100 blocks of " + effect + "/many.dxf beyond the first 1500 were left out\n");
}

TEST(CliHostile, NamesWithLineBreaksStayOnOneLine) {
  TempDir dir;
  const std::string odd = dir.File("two\nlines.png");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"render", odd, dir.File("o.png")},
        {"convert", odd, dir.File("o.png")},
        {"identify", odd},
        {"convert", WritePicture(dir.File("p.png")), dir.File("bad\ndir/o.png")}}) {
    SCOPED_TRACE(args[0]);
    const CliResult run = RunCli(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_NE(run.err.find("\\n"), std::string::npos) << run.err;
  }
}

// --- 16: links and options --------------------------------------------------

TEST(CliHostile, LinksAndOptionsAreTakenAsElsewhere) {
  TempDir dir;
  const std::string photo = WritePicture(dir.File("p.png"));
  // A link to a file not made yet: the save makes the file, the link stays.
  std::filesystem::create_directory(dir.File("real"));
  ASSERT_EQ(::symlink("real/target.png", dir.File("link.png").c_str()), 0);
  ASSERT_EQ(RunCli({"convert", photo, dir.File("link.png")}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.png")));
  EXPECT_EQ(test::ReadFile(dir.File("real/target.png")).substr(1, 3), "PNG");
  // dxf-info takes "--" before names that begin with "-".
  test::WriteFile(dir.File("-minus.dxf"), ShapeText(Square(1)));
  const CliResult info = RunCli({"dxf-info", "--", "-minus.dxf"}, dir.path().string());
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out.rfind("-minus.dxf: read to EOF", 0), 0u) << info.out;
  // An empty seed is an error, as an empty effect is.
  for (const char* option : {"--seed", "--effect"}) {
    const CliResult run = RunCli({"render", photo, dir.File("o.png"), option, ""});
    ExpectOneLine(run, 2, "render", {option});
  }
}

// --- recipes read from named pipes ------------------------------------------

TEST(CliHostile, RecipesInNamedPipesAreRefusedWithoutWaiting) {
  TempDir dir;
  const std::string presets = dir.File("data/Brisol/Presets");
  std::filesystem::create_directories(presets);
  const std::string photo = WritePicture(dir.File("photo.png"));
  std::filesystem::create_directories(dir.File("out"));
  for (const char* name : {"pipe.brisol", "pipe.png", "pipe.jpg", "pipe.svg", "pipe.pdf", "pipe.eps", "pipe.ps"})
    ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((presets + "/Piped.brisol").c_str(), 0600), 0);
  const std::string inPresets = presets + "/Piped.brisol";
  struct Case {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"recipe", dir.File("pipe.brisol")}, dir.File("pipe.brisol")},
      {{"recipe", dir.File("pipe.png")}, dir.File("pipe.png")},
      {{"recipe", dir.File("pipe.jpg")}, dir.File("pipe.jpg")},
      {{"recipe", dir.File("pipe.svg")}, dir.File("pipe.svg")},
      {{"recipe", dir.File("pipe.pdf")}, dir.File("pipe.pdf")},
      {{"recipe", dir.File("pipe.eps")}, dir.File("pipe.eps")},
      {{"recipe", dir.File("pipe.ps")}, dir.File("pipe.ps")},
      {{"render", photo, dir.File("r.png"), "--recipe", dir.File("pipe.brisol")}, dir.File("pipe.brisol")},
      {{"render", photo, dir.File("r.png"), "--preset", dir.File("pipe.png")}, dir.File("pipe.png")},
      {{"render", photo, dir.File("r.png"), "--preset", "piped"}, inPresets},
      {{"batch", photo, "--out", dir.File("out"), "--recipe", dir.File("pipe.jpg")}, dir.File("pipe.jpg")},
      {{"batch", photo, "--out", dir.File("out"), "--preset", dir.File("pipe.brisol")}, dir.File("pipe.brisol")},
  };
  const std::string env = "export XDG_DATA_HOME=" + test::ShellQuote(dir.File("data")) + "; ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const auto start = std::chrono::steady_clock::now();
    const CliResult run = RunCliIn(env, c.args, {}, {}, "timeout -s KILL 5");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_NE(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("named pipe (FIFO), not a regular file"), std::string::npos) << run.err;
  }
}

// --- compressed text in photos ----------------------------------------------

// A 16 x 16 PNG with `chunks` zTXt chunks of 15 MB each once inflated.
std::string PngWithTextBombs(int chunks) {
  using namespace filebuilding;
  Bgr24Image image;
  EXPECT_EQ(AllocBgr24(image, 16, 16), kImgOk);
  std::vector<std::uint8_t> plain;
  EXPECT_EQ(EncodePng(image.Block(), plain), kImgOk);
  const std::string keyword("Comment\0\0", 9);  // the keyword, then deflate
  File text = ZlibZeros(15u << 20);
  text.insert(text.begin(), keyword.begin(), keyword.end());
  File chunk;
  PutPngChunk(chunk, "zTXt", text);
  File png(plain.begin(), plain.begin() + 33);  // the signature and IHDR
  for (int i = 0; i < chunks; ++i) png.insert(png.end(), chunk.begin(), chunk.end());
  png.insert(png.end(), plain.begin() + 33, plain.end());
  return std::string(png.begin(), png.end());
}

TEST(CliHostile, CompressedTextInAPhotoIsNeverInflated) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  TempDir dir;
  const std::string photo = dir.File("texts.png");
  test::WriteFile(photo, PngWithTextBombs(60));  // 900 MB of text once inflated
  for (const std::vector<std::string>& args : {std::vector<std::string>{"identify", photo},
                                               {"convert", photo, dir.File("o.bmp")},
                                               {"render", photo, dir.File("r.png"), "--objects", "10", "--quiet"}}) {
    SCOPED_TRACE(args[0]);
    const auto start = std::chrono::steady_clock::now();
    const CliResult run = RunCliIn("ulimit -v 300000; ", args, {}, {}, kWatchdog);
    EXPECT_EQ(run.status, 0) << run.err;
    // Inflating the text takes seconds (render took 12 s).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  EXPECT_EQ(RunCli({"identify", dir.File("o.bmp")}).out, dir.File("o.bmp") + ": BMP 16 x 16, 24 bits per pixel\n");
}

// --- the pixel limit ----------------------------------------------------------

TEST(CliHostile, PicturesBeyondThePixelLimitAreRefusedInOneLineUnlessRaised) {
  TempDir dir;
  const std::string huge = dir.File("huge.png"), six = dir.File("six.png");
  test::WriteFile(huge, filebuilding::BlackPng(20000, 20000));  // 49 KB
  test::WriteFile(six, filebuilding::BlackPng(3000, 2000));
  const std::string limit = "is more than the 200 megapixels a picture is read with (--max-pixels N raises the limit)";
  for (const std::string command : {"render", "convert"}) {
    SCOPED_TRACE(command);
    const auto start = std::chrono::steady_clock::now();
    ExpectOneLine(RunCli({command, huge, dir.File("o.bmp")}), 1, command,
                  {"cannot read '" + huge + "': its picture of 20000 x 20000 pixels (400 megapixels) " + limit});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ExpectOneLine(RunCli({command, six, dir.File("o.bmp"), "--max-pixels", "5999999"}), 1, command,
                  {"(6 megapixels) is more than the 5999999 pixels"});
    const CliResult raised = RunCli({command, six, dir.File("o.bmp"), "--max-pixels", "6000000"});
    EXPECT_EQ(raised.status, 0) << raised.err;
  }
}

// --- the texts of a photo read for its recipe ---------------------------------

TEST(CliHostile, OtherTextsOfAPhotoAreNotKeptWhileItsRecipeIsLookedFor) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  TempDir dir;
  const std::string card = dir.File("card.jpg");
  ASSERT_EQ(RunCli({"testcard", card, "64x48"}).status, 0);
  ASSERT_EQ(RunCli({"render", card, dir.File("made.jpg"), "--objects", "5", "--quiet"}).status, 0);
  std::string jpeg = test::ReadFile(dir.File("made.jpg"));
  // 3,000 comments of 64 KB (192 MB) before the recipe.
  const std::string comment = std::string("\xFF\xFE\xFF\xFF", 4) + std::string(65533, 'c');
  std::string comments;
  for (int i = 0; i < 3000; ++i) comments += comment;
  jpeg.insert(2, comments);
  test::WriteFile(dir.File("comments.jpg"), jpeg);
  const CliResult run = RunCliIn("ulimit -v 120000; ", {"recipe", dir.File("comments.jpg")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("format = 1\n", 0), 0u) << run.out.substr(0, 200);
}

}  // namespace
}  // namespace brisol
