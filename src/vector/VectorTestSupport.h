// What the vector tests share: a photo made in code, running the command-line
// tool and the independent renderers, and comparing pictures.
#pragma once

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "RecordingAlertSink.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "raster/Dadc.h"

namespace brisol::test {

inline std::string Quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command quietly; its exit status.
inline int RunShell(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveTool(const std::string& name) { return RunShell("command -v " + name) == 0; }

// A photo with smooth colours, a bright disc and a dark bar, so that
// brightness-driven placement and the mix have something to follow.
inline CDADC MakePhoto(int w, int h) {
  CDADC photo(SIZE{w, h});
  const PixelBlock block = photo.GetBlock();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = block.Pixel(x, y);
      const double dx = x - 0.35 * w, dy = y - 0.4 * h;
      const bool disc = dx * dx + dy * dy < 0.04 * w * w;
      const bool bar = x > 0.65 * w && x < 0.8 * w;
      p[2] = static_cast<std::uint8_t>(disc ? 250 : 40 + 180 * x / w);
      p[1] = static_cast<std::uint8_t>(disc ? 240 : (bar ? 20 : 60 + 150 * y / h));
      p[0] = static_cast<std::uint8_t>(disc ? 200 : (bar ? 30 : 200 - 120 * x / w));
    }
  }
  return photo;
}

inline std::unique_ptr<CDADC> Load(const std::string& path) {
  LoadResult read = LoadPicture(path);
  return read ? std::move(read).value() : nullptr;
}

// Peak signal to noise ratio of two pictures of one size over their colour
// channels, in dB; 0 when the sizes differ, 99 when they are equal.
inline double Psnr(const CDADC& a, const CDADC& b) {
  if (a.GetSize() != b.GetSize()) return 0.0;
  const PixelBlock pa = a.GetBlock(), pb = b.GetBlock();
  double sum = 0;
  for (int y = 0; y < pa.height; ++y) {
    const std::uint8_t* ra = pa.Row(y);
    const std::uint8_t* rb = pb.Row(y);
    for (int x = 0; x < 3 * pa.width; ++x) sum += (ra[x] - rb[x]) * double(ra[x] - rb[x]);
  }
  const double mse = sum / (3.0 * pa.width * pa.height);
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace brisol::test
