// For tests only: ImageMagick (Debian package imagemagick) as a trusted
// second decoder and as a maker of file variants, plus the portable pixmap
// files (PPM, PAM) used to hand pictures to it and back.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "imageio/codecs/ImageCodec.h"

namespace brisol::test {

// Debian's convert; a stand-in earlier on the PATH might change what it prints.
inline const char* MagickConvertPath() { return "/usr/bin/convert"; }

// True only for the real ImageMagick: a stand-in may answer to the name.
inline bool MagickAvailable() {
  if (access(MagickConvertPath(), X_OK) != 0) return false;
  const std::string command = std::string(MagickConvertPath()) + " -version 2>/dev/null | grep -q ImageMagick";
  return std::system(command.c_str()) == 0;
}

// Runs convert with the arguments (no shell); true on exit status 0.
inline bool RunMagick(const std::vector<std::string>& args) {
  std::string command = MagickConvertPath();
  for (const std::string& arg : args) {
    command += " '";
    for (char c : arg) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += "'";
  }
  command += " 2>/dev/null";
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A picture as 8-bit red-green-blue(-alpha) samples, rows top-down.
struct RgbPicture {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<std::uint8_t> samples;

  const std::uint8_t* At(int x, int y) const {
    return samples.data() + (static_cast<std::size_t>(y) * width + x) * channels;
  }
  std::uint8_t* At(int x, int y) { return samples.data() + (static_cast<std::size_t>(y) * width + x) * channels; }
};

inline RgbPicture MakeRgb(int width, int height, int channels = 3) {
  RgbPicture p;
  p.width = width;
  p.height = height;
  p.channels = channels;
  p.samples.assign(static_cast<std::size_t>(width) * height * channels, 0);
  return p;
}

// Writes P6 (3 channels) or P7 RGB_ALPHA (4 channels).
inline bool WritePnm(const std::string& path, const RgbPicture& p) {
  std::ofstream out(path, std::ios::binary);
  if (p.channels == 4) {
    out << "P7\nWIDTH " << p.width << "\nHEIGHT " << p.height << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  } else {
    out << "P6\n" << p.width << " " << p.height << "\n255\n";
  }
  out.write(reinterpret_cast<const char*>(p.samples.data()), static_cast<std::streamsize>(p.samples.size()));
  return static_cast<bool>(out);
}

// Reads a P6 file of maxval 255 or 65535 (then the high byte of each sample).
inline std::optional<RgbPicture> ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  if (!(in >> magic >> width >> height >> maxval) || magic != "P6" || width < 1 || height < 1) return std::nullopt;
  if (maxval != 255 && maxval != 65535) return std::nullopt;
  in.get();
  RgbPicture p = MakeRgb(width, height);
  const int bytes = maxval == 255 ? 1 : 2;
  std::vector<char> raw(p.samples.size() * bytes);
  if (!in.read(raw.data(), static_cast<std::streamsize>(raw.size()))) return std::nullopt;
  for (std::size_t i = 0; i < p.samples.size(); ++i) p.samples[i] = static_cast<std::uint8_t>(raw[i * bytes]);
  return p;
}

// ImageMagick's decoding of a file: colour channels as stored, alpha left
// out, 16-bit samples by their high byte.
inline std::optional<RgbPicture> MagickDecode(const std::string& file, const std::string& ppm) {
  if (!RunMagick({file, "-alpha", "off", "-depth", "16", ppm})) return std::nullopt;
  return ReadPpm(ppm);
}

// A photo-like test picture: smooth gradients, a few edges, some texture.
inline RgbPicture MakePhotoLike(int width, int height, unsigned seed = 1, int channels = 3) {
  RgbPicture p = MakeRgb(width, height, channels);
  unsigned state = seed;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      const int noise = static_cast<int>((state >> 16) % 9) - 4;
      std::uint8_t* s = p.At(x, y);
      const int r = 40 + 180 * x / std::max(1, width - 1) + noise;
      const int g = 30 + 170 * y / std::max(1, height - 1) + noise;
      const int b = ((x / 8 + y / 8) % 2 ? 200 : 60) + noise;
      s[0] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
      s[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      s[2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      if (channels == 4) s[3] = static_cast<std::uint8_t>((x * 37 + y * 11) % 256);
    }
  }
  return p;
}

// The picture as a 24-bit image (bottom-up blue-green-red rows).
inline Bgr24Image ToBgr24(const RgbPicture& p) {
  Bgr24Image image;
  if (AllocBgr24(image, p.width, p.height) != kImgOk) return image;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      std::uint8_t* d = image.Block().Pixel(x, y);
      const std::uint8_t* s = p.At(x, y);
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
    }
  return image;
}

// The largest difference of any sample; 256 when the sizes differ.
inline int MaxDifference(const Bgr24Image& image, const RgbPicture& p) {
  if (image.width != p.width || image.height != p.height) return 256;
  int worst = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* d = image.Block().Pixel(x, y);
      const std::uint8_t* s = p.At(x, y);
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int{d[2 - c]} - int{s[c]}));
    }
  return worst;
}

inline int MaxDifference(const Bgr24Image& a, const Bgr24Image& b) {
  if (a.width != b.width || a.height != b.height) return 256;
  int worst = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < 3 * a.width; ++x)
      worst = std::max(worst, std::abs(int{a.Block().Row(y)[x]} - int{b.Block().Row(y)[x]}));
  return worst;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace brisol::test
