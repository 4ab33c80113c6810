// For the recipe tests: photos and collections made in code, and the main
// directory moved to a temporary folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "RecordingAlertSink.h"
#include "effect/EffectTestUtil.h"
#include "raster/BmpFile.h"
#include "raster/Dadc.h"

namespace brisol::test {

// Sets an environment variable while it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_old)
      setenv(m_name, m_old->c_str(), 1);
    else
      unsetenv(m_name);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

// A main directory of its own ($XDG_DATA_HOME/Brisol) in a temporary folder.
class ScopedMainDirectory {
 public:
  ScopedMainDirectory() : m_env("XDG_DATA_HOME", m_dir.path().string()) { std::filesystem::create_directories(Main()); }
  std::string Main() const { return m_dir.File("Brisol"); }

 private:
  TempDir m_dir;
  ScopedEnv m_env;
};

// A photo-like picture: gradients and rings that differ with the seed.
inline CDADC MakePhoto(int w, int h, int seed = 1) {
  CDADC photo(SIZE{w, h});
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int r = (x * 255 / (w > 1 ? w - 1 : 1) + seed * 40) % 256;
      const int g = (y * 255 / (h > 1 ? h - 1 : 1) + seed * 17) % 256;
      const int b = ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) + seed * 900) / 40 % 256;
      photo.GetDC().SetPixel(x, y, RGB(r, g, b));
    }
  }
  return photo;
}

inline std::string WritePhoto(const std::string& path, int w = 48, int h = 32, int seed = 1) {
  EXPECT_TRUE(WriteBmpFile(MakePhoto(w, h, seed), path));
  return path;
}

// A collection of the given drawings (name and DXF text) in root/name.
inline std::string MakeCollection(const std::string& root, const std::string& name,
                                  const std::vector<std::pair<std::string, std::string>>& drawings) {
  const std::string folder = root + "/" + name;
  std::filesystem::create_directories(folder);
  for (const auto& [file, dxf] : drawings) WriteFile(folder + "/" + file, PaddedDxf(dxf, 200));
  return folder;
}

}  // namespace brisol::test
