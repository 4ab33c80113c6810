// The memory budget of pictures: what a picture costs, what the machine and
// the process can still give, and whether a picture's decoding fits. A
// picture that does not fit is refused before anything is allocated, with
// words, instead of ending in the kernel's out-of-memory killer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imageio/codecs/ImageCodec.h"

namespace brisol {

// The bytes of a 24-bit picture as the imaging layer and the surfaces keep
// it: 3 bytes a pixel, rows padded to 4 bytes. Exact for every int size.
std::uint64_t PictureBytes(long long width, long long height);

// The memory that can still be had: the system's available memory
// (MemAvailable of /proc/meminfo), the room left under the process's
// address-space and data limits (RLIMIT_AS, RLIMIT_DATA) and under its
// control group's memory limit, and under the ceiling set below; the
// smallest of them. UINT64_MAX when none is known.
std::uint64_t AvailableMemory();

// The process's unified (v2) control group, from the texts of
// /proc/self/cgroup (its "0::" line, wherever it stands: a hybrid hierarchy
// lists the v1 controllers first) and /proc/self/mountinfo (where cgroup2
// is mounted: /sys/fs/cgroup, or /sys/fs/cgroup/unified beside v1). Both
// empty when there is none.
struct ControlGroup {
  std::string mount;  // "/sys/fs/cgroup/unified"
  std::string group;  // "/user.slice/session-2.scope"
};
ControlGroup UnifiedControlGroup(std::string_view cgroups, std::string_view mountinfo);

// What loading the picture through the imaging layer costs at its peak: the
// file's bytes (held whole while decoding), the 24-bit picture twice (the
// image record is allocated before the decoder makes its own) and the
// decoder's work (info.workBytes). Saturates instead of overflowing.
std::uint64_t DecodeMemoryNeed(const ImageInfo& info, std::uint64_t fileBytes);

// Why the picture cannot be decoded within the memory available, in words
// ("its picture of 20000 x 20000 pixels needs 2.4 GB of memory; 1.1 GB are
// available"); empty when it fits.
std::string MemoryBudgetProblem(const ImageInfo& info, std::uint64_t fileBytes);

// Files that claim far more pixels than their data can hold (decompression
// bombs) are refused before the picture is allocated (ImageInfo's
// leastFileBytes, kImgErrTooLittleData). Where the format puts a least size
// on the data of a pixel (PNG's deflate makes at most 1032 bytes of one
// stored byte; PCX and TGA runs), a file below it cannot be whole. JPEG and
// run-length BMP have no such size: a progressive or arithmetic-coded JPEG
// codes a plain block in a fraction of a bit, and a BMP's end-of-picture
// and skip codes leave pixels black without any data. For these, a picture
// of more than kSmallPicturePixels whose data holds less than a byte per
// kMaxPixelsPerFileByte pixels is refused: ordinary encoders stay far below
// that (a one-colour baseline JPEG with the usual tables: 64 pixels a byte;
// a one-colour RLE8 BMP: 127).
constexpr long long kSmallPicturePixels = 16'000'000;
constexpr long long kMaxPixelsPerFileByte = 2048;
// The least data of such a picture: 0 up to kSmallPicturePixels.
std::uint64_t LeastDataBytes(long long pixels);
// The most bytes deflate makes of one stored byte (a 258-byte match in two
// bits).
constexpr std::uint64_t kMostDeflateExpansion = 1032;

// A size in bytes for people: "512 bytes", "48 KB", "2.4 GB" (powers of
// 1000, one decimal below 10).
std::string MemoryText(std::uint64_t bytes);

// Sets a ceiling of the program's own on AvailableMemory while it lives
// (the fuzz targets and tests use it to stay small); the previous ceiling
// comes back at its end.
class ScopedMemoryCeiling {
 public:
  explicit ScopedMemoryCeiling(std::uint64_t bytes);
  ~ScopedMemoryCeiling();
  ScopedMemoryCeiling(const ScopedMemoryCeiling&) = delete;
  ScopedMemoryCeiling& operator=(const ScopedMemoryCeiling&) = delete;

 private:
  std::uint64_t m_previous;
};

}  // namespace brisol
