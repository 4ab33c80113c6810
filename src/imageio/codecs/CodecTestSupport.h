// For the BMP, TGA and PCX codec tests: expected pictures, little-endian
// file building, and ImageMagick (Debian package imagemagick) as a trusted
// second decoder and maker of real-world file variants.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MagickReference.h"

namespace brisol::codectest {

using Bgr = std::array<std::uint8_t, 3>;

constexpr Bgr FromRgb(unsigned rgb) {
  return {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16)};
}

// A picture as blue-green-red pixels, rows top-down.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Bgr> pixels;

  Picture() = default;
  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, Bgr{0, 0, 0}) {}
  Bgr& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Bgr& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A picture whose every pixel differs from its neighbours in all channels.
inline Picture MakeTestPicture(int w, int h, unsigned seed = 7) {
  Picture p(w, h);
  unsigned state = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      state = state * 1103515245u + 12345u;
      p.at(x, y) = {static_cast<std::uint8_t>(x * 37 + y * 5), static_cast<std::uint8_t>(y * 29 + x * 3),
                    static_cast<std::uint8_t>(state >> 16)};
    }
  }
  return p;
}

inline Picture FromImage(const Bgr24Image& image) {
  Picture p(image.width, image.height);
  const PixelBlock block = image.Block();
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* s = block.Pixel(x, y);
      p.at(x, y) = {s[0], s[1], s[2]};
    }
  return p;
}

inline Bgr24Image ToImage(const Picture& p) {
  Bgr24Image image;
  if (AllocBgr24(image, p.width, p.height) != kImgOk) return image;
  const PixelBlock block = image.Block();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      std::uint8_t* d = block.Pixel(x, y);
      d[0] = p.at(x, y)[0];
      d[1] = p.at(x, y)[1];
      d[2] = p.at(x, y)[2];
    }
  return image;
}

// The first pixel that differs by more than tolerance, described; empty
// when the pictures match.
inline std::string FirstDifference(const Picture& got, const Picture& want, int tolerance = 0) {
  std::ostringstream s;
  if (got.width != want.width || got.height != want.height) {
    s << "size " << got.width << "x" << got.height << ", want " << want.width << "x" << want.height;
    return s.str();
  }
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x)
      for (int c = 0; c < 3; ++c)
        if (std::abs(got.at(x, y)[c] - want.at(x, y)[c]) > tolerance) {
          s << "pixel (" << x << "," << y << ") BGR " << int{got.at(x, y)[0]} << "," << int{got.at(x, y)[1]} << ","
            << int{got.at(x, y)[2]} << ", want " << int{want.at(x, y)[0]} << "," << int{want.at(x, y)[1]} << ","
            << int{want.at(x, y)[2]};
          return s.str();
        }
  return {};
}

// Little-endian building of test files.
inline void Put8(std::vector<std::uint8_t>& v, unsigned x) { v.push_back(static_cast<std::uint8_t>(x)); }
inline void Put16(std::vector<std::uint8_t>& v, unsigned x) {
  Put8(v, x);
  Put8(v, x >> 8);
}
inline void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
inline void PutBytes(std::vector<std::uint8_t>& v, const std::vector<std::uint8_t>& bytes) {
  v.insert(v.end(), bytes.begin(), bytes.end());
}

// --- ImageMagick ----------------------------------------------------------

// The trusted decoder and how to run it live with the other reference helpers.
using test::MagickAvailable;
using test::RunMagick;

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// A binary PPM (maxval 255) of the picture.
inline std::vector<std::uint8_t> ToPpm(const Picture& p) {
  std::ostringstream head;
  head << "P6\n" << p.width << " " << p.height << "\n255\n";
  const std::string h = head.str();
  std::vector<std::uint8_t> out(h.begin(), h.end());
  for (const Bgr& px : p.pixels) {
    out.push_back(px[2]);
    out.push_back(px[1]);
    out.push_back(px[0]);
  }
  return out;
}

// ImageMagick's own decoding of a file, through an 8-bit PPM. It keeps a
// TGA file's origin as an orientation tag; -auto-orient applies it.
inline std::optional<Picture> MagickDecode(const std::string& file, const std::string& ppmPath) {
  if (!RunMagick({file, "-auto-orient", "-alpha", "off", "-depth", "8", "ppm:" + ppmPath})) return std::nullopt;
  std::ifstream in(ppmPath, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  if (!(in >> magic >> w >> h >> maxval) || magic != "P6" || maxval != 255 || w < 1 || h < 1) return std::nullopt;
  in.get();
  Picture p(w, h);
  for (Bgr& px : p.pixels) {
    char rgb[3];
    if (!in.read(rgb, 3)) return std::nullopt;
    px = {static_cast<std::uint8_t>(rgb[2]), static_cast<std::uint8_t>(rgb[1]), static_cast<std::uint8_t>(rgb[0])};
  }
  return p;
}

}  // namespace brisol::codectest
