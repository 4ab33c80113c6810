// libFuzzer target: the sizes the program judges before any work, from
// random sizes.
// - Resizing: for a source and a target size taken from the input, the work
//   the refusal reckons (ResizeWorkBytes) is at least the resampler's own
//   reckoning whenever the refusal lets the sizes through; the resampler's
//   reckoning is made in its own int arithmetic, so the undefined-behaviour
//   sanitizer ends the run if a size it lets through overflows there. Small
//   sizes are resized for real.
// - The memory budget: a header of a random format (BMP with run-length or
//   plain rows, PNG, JPEG, PCX, TGA) claiming a random size, followed by a
//   random amount of data. Its information must not overflow the memory
//   need, and decoding under a small memory ceiling must refuse a file too
//   small for its claim as such (before its picture is allocated, which the
//   ceiling would refuse for memory) and never allocate a picture the
//   ceiling does not allow.
// Seeds: fuzz/seeds/budget (see its PROVENANCE).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "codec_fuzz_check.h"
#include "imageio/Imaging.h"
#include "imageio/codecs/FileBuilding.h"
#include "imageio/codecs/MemoryBudget.h"

#include "imageio/StbResizeImpl.h"

using namespace brisol;

namespace {

// Reads the input as a stream of numbers; zeros once it runs out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | U8();
    return v;
  }
  std::uint8_t U8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  // A side: mostly small, sometimes near the limits of what sides may be.
  int Side() {
    const std::uint32_t v = U32();
    switch (v >> 30) {
      case 0:
        return 1 + static_cast<int>(v % 64);
      case 1:
        return 1 + static_cast<int>(v % 70000);
      case 2:
        return 1 + static_cast<int>(v % 500'000'000);
      default:
        return 1 + static_cast<int>(v & 0x7FFFFFFE);
    }
  }
  std::size_t Left() const { return m_size - m_pos; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

void FuzzResize(Input& in) {
  const int sw = in.Side(), sh = in.Side(), w = in.Side(), h = in.Side();
  const std::uint64_t ours = ResizeWorkBytes(sw, sh, w, h);
  if (ours > kMaxResizeWorkBytes) return;  // refused before the resampler
  fuzz::Require(ResamplerBufferBytes(sw, sh, w, h) <= ours);
  // The resampler's time follows the larger of each side, and the product of
  // the sides that shrink: only small ones are resized for real.
  if (static_cast<long long>(std::max(sw, w)) * std::max(sh, h) > 262144 ||
      ResizeFilterSteps(sw, sh, w, h) > 10'000'000) {
    return;
  }
  ImgImage source, target;
  fuzz::Require(allocimage(source, sw, sh, 24) == kImgOk && allocimage(target, w, h, 24) == kImgOk);
  fuzz::Require(resizeex(source, target, kResizeAreaCorrect) == kImgOk);
}

using filebuilding::File;
using filebuilding::Put16LE;
using filebuilding::Put32BE;
using filebuilding::Put32LE;

// A header of the kind chosen claiming width x height.
File Header(int kind, std::uint32_t width, std::uint32_t height) {
  File f;
  switch (kind) {
    case 0:    // BMP, RLE8
    case 1:    // BMP, RLE4
    case 2: {  // BMP, 24 bits uncompressed
      const int bits = kind == 0 ? 8 : kind == 1 ? 4 : 24;
      const std::uint32_t colours = bits <= 8 ? 2 : 0;
      f = {'B', 'M'};
      Put32LE(f, 0);
      Put32LE(f, 0);
      Put32LE(f, 14 + 40 + 4 * colours);
      Put32LE(f, 40);
      Put32LE(f, width);
      Put32LE(f, height);
      Put16LE(f, 1);
      Put16LE(f, static_cast<unsigned>(bits));
      Put32LE(f, kind == 0 ? 1 : kind == 1 ? 2 : 0);
      for (int i = 0; i < 3; ++i) Put32LE(f, 0);
      Put32LE(f, colours);
      Put32LE(f, 0);
      for (std::uint32_t i = 0; i < colours; ++i) Put32LE(f, i ? 0xFFFFFF : 0);
      break;
    }
    case 3: {  // PNG, 8-bit RGB; the data follows as an IDAT chunk
      f = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
      File ihdr;
      Put32BE(ihdr, width);
      Put32BE(ihdr, height);
      ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
      filebuilding::PutPngChunk(f, "IHDR", ihdr);
      break;
    }
    case 4: {  // JPEG: a whole small picture whose frame claims the size
      static const File small = [] {
        Bgr24Image picture;
        std::vector<std::uint8_t> jpeg;
        if (AllocBgr24(picture, 16, 16) == kImgOk) EncodeJpeg(picture.Block(), 75, jpeg);
        return jpeg;
      }();
      f = small;
      filebuilding::ClaimJpegSize(f, static_cast<int>(width & 0xFFFF), static_cast<int>(height & 0xFFFF));
      break;
    }
    case 5: {  // PCX, 8 bits in 1 plane, run-length
      f.assign(128, 0);
      f[0] = 10;
      f[1] = 5;
      f[2] = 1;
      f[3] = 8;
      const std::uint32_t xMax = (width - 1) & 0xFFFF, yMax = (height - 1) & 0xFFFF;
      f[8] = std::uint8_t(xMax);
      f[9] = std::uint8_t(xMax >> 8);
      f[10] = std::uint8_t(yMax);
      f[11] = std::uint8_t(yMax >> 8);
      f[65] = 1;
      const std::uint32_t line = (xMax + 2) & ~1u;
      f[66] = std::uint8_t(line);
      f[67] = std::uint8_t(line >> 8);
      break;
    }
    default: {  // TGA, true colour, run-length
      f.assign(18, 0);
      f[2] = 10;
      f[12] = std::uint8_t(width);
      f[13] = std::uint8_t(width >> 8);
      f[14] = std::uint8_t(height);
      f[15] = std::uint8_t(height >> 8);
      f[16] = 24;
      break;
    }
  }
  return f;
}

using InfoFn = int (*)(Bytes, ImageInfo&);
using DecodeFn = int (*)(Bytes, Bgr24Image&);
constexpr InfoFn kInfo[] = {ReadBmpInfo, ReadBmpInfo, ReadBmpInfo, ReadPngInfo, ReadJpegInfo, ReadPcxInfo, ReadTgaInfo};
constexpr DecodeFn kDecode[] = {DecodeBmp, DecodeBmp, DecodeBmp, DecodePng, DecodeJpeg, DecodePcx, DecodeTga};

void FuzzBudget(Input& in) {
  const int kind = in.U8() % 7;
  const std::uint32_t width = static_cast<std::uint32_t>(in.Side()), height = static_cast<std::uint32_t>(in.Side());
  std::vector<std::uint8_t> file = Header(kind, width, height);
  // The data: the rest of the input, repeated to a random length.
  const std::size_t length = in.U32() % (256u << 10);
  std::vector<std::uint8_t> data;
  for (std::size_t i = 0; i < length && in.Left() > 0; ++i) data.push_back(in.U8());
  while (!data.empty() && data.size() < length) data.push_back(data[data.size() % (data.size() / 2 + 1)]);
  if (kind == 3) {
    filebuilding::PutPngChunk(file, "IDAT", data);
    filebuilding::PutPngChunk(file, "IEND", {});
  } else {
    file.insert(file.end(), data.begin(), data.end());
  }

  ImageInfo info;
  if (kInfo[kind](file, info) != kImgOk) return;
  // The need saturates instead of wrapping round.
  const std::uint64_t picture = PictureBytes(info.width, info.height);
  const std::uint64_t need = DecodeMemoryNeed(info, file.size());
  fuzz::Require(need >= picture && need >= info.workBytes);

  // Under a ceiling of 4 MB no picture of 16 MB or more can be had: a
  // decoder that allocated before judging the data would answer "no
  // memory" for a file that is far too small.
  const ScopedMemoryCeiling ceiling(4u << 20);
  Bgr24Image image;
  const int rc = kDecode[kind](file, image);
  fuzz::CheckDecoded(rc, image);
  if (file.size() < info.leastFileBytes) fuzz::Require(rc == kImgErrTooLittleData);
  if (picture >= (16u << 20)) fuzz::Require(rc != kImgOk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  if (in.U8() & 1)
    FuzzResize(in);
  else
    FuzzBudget(in);
  return 0;
}
