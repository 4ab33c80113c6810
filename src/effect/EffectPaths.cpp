#include "effect/EffectPaths.h"

#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "raster/FileUtil.h"

#ifndef BRISOL_SOURCE_RES_DIR
#define BRISOL_SOURCE_RES_DIR ""
#endif

namespace brisol {
namespace {

std::string ExecutableDirectory() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  buffer[n] = '\0';
  return std::filesystem::path(buffer).parent_path().string();
}

std::vector<std::string> SubDirectories(const std::string& root) {
  std::vector<std::string> names;
  DIR* dir = opendir(root.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (IsDirectory(root + "/" + name)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

}  // namespace

std::string MainDirectory() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
    return std::string(data) + "/Brisol";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home)
    return std::string(home) + "/.local/share/Brisol";
  return "/tmp/Brisol";
}

std::vector<std::string> EffectRoots() { return EffectRoots(MainDirectory()); }

std::vector<std::string> EffectRoots(const std::string& mainDirectory) { return DataRoots(mainDirectory, "Effects"); }

std::vector<std::string> DataRoots(const std::string& mainDirectory, const std::string& folder) {
  std::vector<std::string> candidates = {mainDirectory + "/" + folder};
  const std::string exeDir = ExecutableDirectory();
  if (!exeDir.empty()) {
    candidates.push_back(std::filesystem::path(exeDir).parent_path().string() + "/share/brisol/" + folder);
  }
  if (*BRISOL_SOURCE_RES_DIR) candidates.push_back(std::string(BRISOL_SOURCE_RES_DIR) + "/" + folder);

  std::vector<std::string> roots;
  std::set<std::string> seen;
  for (const std::string& candidate : candidates) {
    std::error_code error;
    const std::string canonical = std::filesystem::weakly_canonical(candidate, error).string();
    if (!IsDirectory(candidate) || !seen.insert(error ? candidate : canonical).second) continue;
    roots.push_back(candidate);
  }
  return roots;
}

std::vector<EffectCollection> ListCollections() { return ListCollectionsIn(EffectRoots()); }

std::vector<EffectCollection> ListCollections(const std::string& mainDirectory) {
  return ListCollectionsIn(EffectRoots(mainDirectory));
}

std::vector<EffectCollection> ListCollectionsIn(const std::vector<std::string>& roots) {
  std::vector<EffectCollection> collections;
  for (const std::string& root : roots) {
    for (const std::string& name : SubDirectories(root)) {
      const bool hidden = std::any_of(collections.begin(), collections.end(), [&](const EffectCollection& c) {
        return strcasecmp(c.name.c_str(), name.c_str()) == 0;
      });
      if (!hidden) collections.push_back({name, root + "/" + name});
    }
  }
  return collections;
}

EffectCollection DefaultCollection() {
  const std::string userRoot = MainDirectory() + "/Effects";
  for (const std::string& root : EffectRoots()) {
    if (root == userRoot) continue;
    const std::vector<std::string> names = SubDirectories(root);
    if (!names.empty()) return {names.front(), root + "/" + names.front()};
  }
  return {};
}

std::string FindCollection(const std::string& nameOrPath) {
  if (nameOrPath.find('/') != std::string::npos || (!nameOrPath.empty() && IsDirectory(nameOrPath))) return nameOrPath;
  for (const EffectCollection& c : ListCollections())
    if (strcasecmp(c.name.c_str(), nameOrPath.c_str()) == 0) return c.directory;
  return {};
}

}  // namespace brisol
