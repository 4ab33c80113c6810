// For tests only: what the program's log gained during a test, and raster
// surfaces made from and compared with test pictures.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RecordingAlertSink.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MagickReference.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"

namespace brisol::test {

// The program's one log goes to a file for the whole test run; a LogTail
// gives what was written after its construction.
class LogTail {
 public:
  LogTail() : m_start(Size()) {}
  std::string NewText() const {
    const std::string all = ReadFile(Path());
    return all.size() > m_start ? all.substr(m_start) : std::string();
  }
  bool Contains(const std::string& text) const { return NewText().find(text) != std::string::npos; }

 private:
  static std::string Path() {
    static const std::string path = [] {
      if (!TheLogger().FileName().empty()) return TheLogger().FileName();
      const char* base = std::getenv("BRISOL_TEST_TMP");
      std::string dir = std::string(base && *base ? base : "/tmp");
      std::string file = dir + "/imageio-tests-" + std::to_string(::getpid()) + ".log";
      std::remove(file.c_str());
      TheLogger().SetToFile(file.c_str(), true);
      return file;
    }();
    return path;
  }
  static std::size_t Size() { return ReadFile(Path()).size(); }

  std::size_t m_start;
};

// The names in a test folder, sorted.
inline std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::unique_ptr<CDADC> SurfaceOf(const RgbPicture& p) {
  auto surface = std::make_unique<CDADC>(SIZE{p.width, p.height});
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* s = p.At(x, y);
      surface->GetDC().SetPixel(x, y, RGB(s[0], s[1], s[2]));
    }
  return surface;
}

// The largest difference of any sample; 256 when the sizes differ.
inline int MaxDifference(const CDADC& surface, const RgbPicture& p) {
  if (surface.GetWidth() != p.width || surface.GetHeight() != p.height) return 256;
  int worst = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const COLORREF c = surface.GetDC().GetPixel(x, y);
      const std::uint8_t* s = p.At(x, y);
      worst = std::max({worst, std::abs(int(GetRValue(c)) - s[0]), std::abs(int(GetGValue(c)) - s[1]),
                        std::abs(int(GetBValue(c)) - s[2])});
    }
  return worst;
}

inline RgbPicture PictureOf(const CDADC& surface) {
  RgbPicture p = MakeRgb(surface.GetWidth(), surface.GetHeight());
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const COLORREF c = surface.GetDC().GetPixel(x, y);
      std::uint8_t* s = p.At(x, y);
      s[0] = static_cast<std::uint8_t>(GetRValue(c));
      s[1] = static_cast<std::uint8_t>(GetGValue(c));
      s[2] = static_cast<std::uint8_t>(GetBValue(c));
    }
  return p;
}

}  // namespace brisol::test
