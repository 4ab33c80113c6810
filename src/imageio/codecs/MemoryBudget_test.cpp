// The memory budget and the refusal of decompression bombs: files far too
// small for the picture they claim are refused before the picture is
// allocated, real pictures at the edge of the bounds are not, and the memory
// available follows the process's limits.
#include "imageio/codecs/MemoryBudget.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "ProcessLimits.h"
#include "imageio/codecs/FileBuilding.h"

namespace brisol {
namespace {

using filebuilding::File;
using filebuilding::Put16LE;
using filebuilding::Put32LE;

// A BMP of run-length pixels (compression 1: RLE8, 2: RLE4, and 4 with an
// OS/2 header: RLE24) claiming width x height, with the data given and a
// colour table of colours entries.
File RleBmp(std::uint32_t width, std::uint32_t height, int compression, const File& data, std::uint32_t colours = 2) {
  const bool os2 = compression == 4;
  const int bits = compression == 1 ? 8 : compression == 2 ? 4 : 24;
  if (bits > 8) colours = 0;
  File info;
  Put32LE(info, os2 ? 64 : 40);
  Put32LE(info, width);
  Put32LE(info, height);
  Put16LE(info, 1);
  Put16LE(info, static_cast<unsigned>(bits));
  Put32LE(info, static_cast<std::uint32_t>(compression));
  Put32LE(info, static_cast<std::uint32_t>(data.size()));
  Put32LE(info, 0);
  Put32LE(info, 0);
  Put32LE(info, colours);
  Put32LE(info, 0);
  if (os2) info.resize(64, 0);
  for (std::uint32_t i = 0; i < colours; ++i) Put32LE(info, i * 0x00FFFFFF);
  File file = {'B', 'M'};
  Put32LE(file, static_cast<std::uint32_t>(14 + info.size() + data.size()));
  Put32LE(file, 0);
  Put32LE(file, static_cast<std::uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// RLE8 data as ordinary encoders write a one-colour picture: runs of 255
// and an end of line per row, then the end of the picture.
File PlainRle8(int width, int height) {
  File data;
  for (int y = 0; y < height; ++y) {
    for (int left = width; left > 0; left -= 255) data.insert(data.end(), {std::uint8_t(std::min(left, 255)), 1});
    data.insert(data.end(), {0, 0});
  }
  data.insert(data.end(), {0, 1});
  return data;
}

// A PNG of a one-colour picture whose header is made to claim another
// size: its data is the small picture's.
File PngClaiming(std::uint32_t width, std::uint32_t height) {
  Bgr24Image image;
  EXPECT_EQ(AllocBgr24(image, 64, 64), kImgOk);
  File file;
  EXPECT_EQ(EncodePng(image.Block(), file), kImgOk);
  filebuilding::ClaimPngSize(file, width, height);
  return file;
}

// A JPEG of a small real picture whose frame claims another size.
File JpegClaiming(int width, int height) {
  Bgr24Image image;
  EXPECT_EQ(AllocBgr24(image, 320, 240), kImgOk);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 3 * 320; ++x) image.Block().Row(y)[x] = static_cast<std::uint8_t>((x * 7 + y * 13) % 256);
  File file;
  EXPECT_EQ(EncodeJpeg(image.Block(), 92, file), kImgOk);
  filebuilding::ClaimJpegSize(file, width, height);
  return file;
}

// Decoding the file under a small memory ceiling: a decoder that allocated
// the picture first would be refused for memory, not for its data.
int DecodeUnderCeiling(int (*decode)(Bytes, Bgr24Image&), const File& file) {
  const ScopedMemoryCeiling ceiling(32u << 20);
  Bgr24Image image;
  const int rc = decode(file, image);
  EXPECT_EQ(image.IsValid(), rc == kImgOk);
  return rc;
}

TEST(DecompressionBombs, FilesFarTooSmallForTheirPictureAreRefusedBeforeItIsAllocated) {
  File runs;
  for (int i = 0; i < 480; ++i) runs.insert(runs.end(), {0xFF, 1});
  runs.insert(runs.end(), {0, 1});
  const File endAtOnce = {0, 1};
  struct Case {
    const char* name;
    File file;
    int (*decode)(Bytes, Bgr24Image&);
    int (*info)(Bytes, ImageInfo&);
  } cases[] = {
      {"RLE8 BMP, 1 x 400,000,000, 1,080 bytes", RleBmp(1, 400'000'000, 1, endAtOnce, 256), DecodeBmp, ReadBmpInfo},
      {"RLE8 BMP, 20000 x 20000, 1 kB", RleBmp(20000, 20000, 1, runs), DecodeBmp, ReadBmpInfo},
      {"RLE4 BMP, 20000 x 20000", RleBmp(20000, 20000, 2, runs), DecodeBmp, ReadBmpInfo},
      {"OS/2 RLE24 BMP, 20000 x 20000", RleBmp(20000, 20000, 4, endAtOnce), DecodeBmp, ReadBmpInfo},
      {"JPEG claiming 20000 x 20000", JpegClaiming(20000, 20000), DecodeJpeg, ReadJpegInfo},
      {"JPEG claiming 65000 x 6000", JpegClaiming(65000, 6000), DecodeJpeg, ReadJpegInfo},
      {"PNG claiming 20000 x 20000", PngClaiming(20000, 20000), DecodePng, ReadPngInfo},
      {"PNG claiming 1 x 400,000,000", PngClaiming(1, 400'000'000), DecodePng, ReadPngInfo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageInfo info;
    ASSERT_EQ(c.info(c.file, info), kImgOk);  // the header is fine
    EXPECT_GT(info.leastFileBytes, c.file.size());
    EXPECT_EQ(DecodeUnderCeiling(c.decode, c.file), kImgErrTooLittleData);
  }
  EXPECT_EQ(cases[0].file.size(), 1080u);
}

// Pictures of one colour as ordinary encoders write them, just past the
// size from which the bounds apply, still decode.
TEST(DecompressionBombs, PlainPicturesPastTheBoundsStillDecode) {
  constexpr int kWidth = 5000, kHeight = 4000;  // 20 megapixels
  static_assert(static_cast<long long>(kWidth) * kHeight > kSmallPicturePixels);
  Bgr24Image plain;
  ASSERT_EQ(AllocBgr24(plain, kWidth, kHeight), kImgOk);
  File png, jpeg;
  ASSERT_EQ(EncodePng(plain.Block(), png), kImgOk);
  ASSERT_EQ(EncodeJpeg(plain.Block(), 50, jpeg), kImgOk);
  plain = Bgr24Image{};
  const File bmp = RleBmp(kWidth, kHeight, 1, PlainRle8(kWidth, kHeight));
  struct Case {
    const char* name;
    const File& file;
    int (*decode)(Bytes, Bgr24Image&);
    int (*info)(Bytes, ImageInfo&);
  } cases[] = {
      {"PNG", png, DecodePng, ReadPngInfo},
      {"JPEG", jpeg, DecodeJpeg, ReadJpegInfo},
      {"RLE8 BMP", bmp, DecodeBmp, ReadBmpInfo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.file.size()) + " bytes");
    ImageInfo info;
    ASSERT_EQ(c.info(c.file, info), kImgOk);
    EXPECT_LE(info.leastFileBytes, c.file.size());
    Bgr24Image image;
    EXPECT_EQ(c.decode(c.file, image), kImgOk);
    EXPECT_EQ(image.width, kWidth);
  }
}

TEST(MemoryBudget, WhatPicturesCost) {
  EXPECT_EQ(PictureBytes(1, 1), 4u);
  EXPECT_EQ(PictureBytes(5, 3), 3u * 16);
  EXPECT_EQ(PictureBytes(20000, 20000), 1'200'000'000u);
  EXPECT_EQ(PictureBytes(0, 5), 0u);
  const auto most = std::numeric_limits<int>::max();
  EXPECT_EQ(PictureBytes(most, most), (static_cast<std::uint64_t>(most) * 3 + 3) / 4 * 4 * most);
  // Loading holds the file, the picture twice and the decoder's work.
  ImageInfo info;
  info.width = 100;
  info.height = 10;
  info.workBytes = 7;
  EXPECT_EQ(DecodeMemoryNeed(info, 1000), 1000u + 2 * 3000 + 7);
  info.width = info.height = most;
  info.workBytes = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(DecodeMemoryNeed(info, 1), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(LeastDataBytes(kSmallPicturePixels), 0u);
  EXPECT_EQ(LeastDataBytes(400'000'000), 400'000'000u / kMaxPixelsPerFileByte);
}

TEST(MemoryBudget, SizesForPeople) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0 bytes"},      {1, "1 byte"},           {999, "999 bytes"},
      {1000, "1.0 KB"},    {48'000, "48 KB"},       {2'400'000'000, "2.4 GB"},
      {999'999, "1.0 MB"}, {150'400'000, "150 MB"}, {std::numeric_limits<std::uint64_t>::max(), "18 EB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(MemoryText(bytes), text) << bytes;
}

TEST(MemoryBudget, TheCeilingBoundsWhatIsAvailable) {
  const std::uint64_t before = AvailableMemory();
  {
    const ScopedMemoryCeiling ceiling(5'000'000);
    EXPECT_LE(AvailableMemory(), 5'000'000u);
    {
      const ScopedMemoryCeiling inner(1000);
      EXPECT_LE(AvailableMemory(), 1000u);
    }
    EXPECT_LE(AvailableMemory(), 5'000'000u);
    ImageInfo info;
    info.width = info.height = 2000;
    EXPECT_EQ(MemoryBudgetProblem(info, 0).rfind("its picture of 2000 x 2000 pixels needs 24 MB of memory; ", 0), 0u)
        << MemoryBudgetProblem(info, 0);
    Bgr24Image image;
    EXPECT_EQ(AllocBgr24(image, 4000, 3000), kImgErrNoMemory);
    EXPECT_FALSE(image.IsValid());
  }
  // Nothing beyond what the system has.
  std::FILE* meminfo = std::fopen("/proc/meminfo", "r");
  ASSERT_NE(meminfo, nullptr);
  char line[256];
  std::uint64_t kilobytes = 0;
  while (std::fgets(line, sizeof line, meminfo) != nullptr)
    if (std::sscanf(line, "MemAvailable: %" SCNu64, &kilobytes) == 1) break;
  std::fclose(meminfo);
  EXPECT_LT(AvailableMemory(), kilobytes * 1024 + (256u << 20));
  EXPECT_GT(before, 0u);
}

// Under an address-space limit the budget is what is left below it.
TEST(MemoryBudget, TheAddressSpaceLimitBoundsWhatIsAvailable) {
  if (test::kSanitizedBuild) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (!test::LimitAddressSpaceTo(64u << 20)) std::_Exit(3);
    const std::uint64_t available = AvailableMemory();
    if (available > (64u << 20) || available < (32u << 20)) std::_Exit(4);
    Bgr24Image image;
    if (AllocBgr24(image, 6000, 4000) != kImgErrNoMemory) std::_Exit(5);  // 72 MB
    if (AllocBgr24(image, 3000, 2000) != kImgOk) std::_Exit(6);           // 18 MB
    std::_Exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
// The unified group is found wherever its line stands, at the place
// cgroup2 is mounted.
TEST(MemoryBudget, TheUnifiedControlGroupIsFoundInEveryHierarchy) {
  const std::string v1Mounts =
      "31 23 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
      "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n";
  struct Case {
    const char* name;
    std::string cgroups, mountinfo;
    ControlGroup expected;
  } cases[] = {
      {"unified",
       "0::/user.slice/a.scope\n",
       "29 1 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n",
       {"/sys/fs/cgroup", "/user.slice/a.scope"}},
      {"hybrid",
       "9:name=systemd:/x\n8:pids:/x\n0::/user.slice/b.scope\n",
       v1Mounts + "36 31 0:31 / /sys/fs/cgroup/unified rw,nosuid shared:10 - cgroup2 cgroup2 rw,nsdelegate\n",
       {"/sys/fs/cgroup/unified", "/user.slice/b.scope"}},
      {"v1 only", "9:name=systemd:/\n8:pids:/\n", v1Mounts, {}},
      {"no cgroup2 mounted", "0::/\n", v1Mounts, {}},
  };
  for (const Case& c : cases) {
    const ControlGroup found = UnifiedControlGroup(c.cgroups, c.mountinfo);
    EXPECT_EQ(found.mount, c.expected.mount) << c.name;
    EXPECT_EQ(found.group, c.expected.group) << c.name;
  }
}

}  // namespace brisol
