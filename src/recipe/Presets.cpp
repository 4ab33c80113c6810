#include "recipe/Presets.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "effect/EffectPaths.h"
#include "raster/FileUtil.h"

namespace brisol {
namespace {

constexpr std::size_t kMaxNameBytes = 100;

bool CaseLess(const std::string& a, const std::string& b) {
  const int c = strcasecmp(a.c_str(), b.c_str());
  return c != 0 ? c < 0 : a < b;
}

bool HasRecipeExtension(const std::string& name) {
  return name.size() > kRecipeExtension.size() &&
         strcasecmp(name.c_str() + name.size() - kRecipeExtension.size(), kRecipeExtension.data()) == 0;
}

std::vector<PresetInfo> PresetsOf(const std::string& folder, bool user) {
  std::vector<PresetInfo> presets;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return presets;
  while (const dirent* entry = readdir(dir)) {
    const std::string file = entry->d_name;
    if (file.empty() || file[0] == '.' || !HasRecipeExtension(file)) continue;
    const std::string path = folder + "/" + file;
    if (IsDirectory(path)) continue;
    presets.push_back({file.substr(0, file.size() - kRecipeExtension.size()), path, user});
  }
  closedir(dir);
  std::sort(presets.begin(), presets.end(),
            [](const PresetInfo& a, const PresetInfo& b) { return CaseLess(a.name, b.name); });
  return presets;
}

std::string PresetPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name + std::string(kRecipeExtension);
}

// The user's preset of that name, by a check of the name first.
Done CheckExisting(const std::string& folder, const std::string& name) {
  if (Done named = CheckPresetName(name); !named) return named;
  if (!FileExists(PresetPath(folder, name)))
    return Fail(Status::NotFound, "there is no preset of yours named '" + name + "'");
  return {};
}

}  // namespace

std::string UserPresetFolder() { return MainDirectory() + "/Presets"; }

std::vector<std::string> PresetRoots() { return DataRoots(MainDirectory(), "Presets"); }

std::vector<PresetInfo> ListPresets() { return ListPresetsIn(PresetRoots(), UserPresetFolder()); }

std::vector<PresetInfo> ListPresetsIn(const std::vector<std::string>& roots, const std::string& userFolder) {
  std::vector<PresetInfo> all;
  for (const std::string& root : roots) {
    for (PresetInfo& p : PresetsOf(root, root == userFolder)) {
      const bool hidden = std::any_of(all.begin(), all.end(), [&](const PresetInfo& earlier) {
        return strcasecmp(earlier.name.c_str(), p.name.c_str()) == 0;
      });
      if (!hidden) all.push_back(std::move(p));
    }
  }
  return all;
}

std::string FindPreset(const std::string& nameOrFile) {
  if (nameOrFile.find('/') != std::string::npos) return nameOrFile;
  if (HasRecipeExtension(nameOrFile) && FileExists(nameOrFile)) return nameOrFile;
  for (const PresetInfo& p : ListPresets())
    if (strcasecmp(p.name.c_str(), nameOrFile.c_str()) == 0) return p.path;
  return {};
}

Done CheckPresetName(const std::string& name) {
  if (name.empty()) return Fail(Status::Invalid, "a preset needs a name");
  if (name.size() > kMaxNameBytes)
    return Fail(Status::Invalid, "a preset's name has at most " + std::to_string(kMaxNameBytes) + " bytes");
  if (name.find('/') != std::string::npos) return Fail(Status::Invalid, "a preset's name cannot hold '/'");
  if (name[0] == '.') return Fail(Status::Invalid, "a preset's name cannot begin with '.'");
  if (name.front() == ' ' || name.back() == ' ')
    return Fail(Status::Invalid, "a preset's name cannot begin or end with a space");
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return Fail(Status::Invalid, "a preset's name cannot hold control characters");
  return {};
}

Recipe PresetOf(const Recipe& recipe, bool keepSeed) {
  Recipe preset = recipe;
  preset.photo.clear();
  preset.photoSha256.clear();
  preset.jpegQuality.reset();
  if (!keepSeed) preset.seed.reset();
  return preset;
}

RecipeRead ReadPresetFile(const std::string& path) {
  RecipeRead read = ReadRecipeFile(path);
  if (read.recipe) read.recipe = PresetOf(*read.recipe, true);
  return read;
}

Done SavePreset(const Recipe& recipe, const std::string& name, bool keepSeed, bool replace) {
  return SavePresetIn(UserPresetFolder(), recipe, name, keepSeed, replace);
}

Done RenamePreset(const std::string& from, const std::string& to) {
  return RenamePresetIn(UserPresetFolder(), from, to);
}

Done DeletePreset(const std::string& name) { return DeletePresetIn(UserPresetFolder(), name); }

Done SavePresetIn(const std::string& folder, const Recipe& recipe, const std::string& name, bool keepSeed,
                  bool replace) {
  if (Done named = CheckPresetName(name); !named) return named;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return Fail("cannot make the presets folder '" + folder + "': " + error.message());
  const std::string path = PresetPath(folder, name);
  if (!replace && FileExists(path)) return Fail("a preset named '" + name + "' exists already");
  return SaveRecipeFile(PresetOf(recipe, keepSeed), path);
}

Done RenamePresetIn(const std::string& folder, const std::string& from, const std::string& to) {
  if (Done check = CheckExisting(folder, from); !check) return check;
  if (Done named = CheckPresetName(to); !named) return named;
  const std::string target = PresetPath(folder, to);
  // Another preset is never replaced; a change of letter case only is fine.
  if (strcasecmp(from.c_str(), to.c_str()) != 0 && FileExists(target))
    return Fail("a preset named '" + to + "' exists already");
  if (::rename(PresetPath(folder, from).c_str(), target.c_str()) != 0)
    return Fail("cannot rename the preset '" + from + "': " + std::strerror(errno));
  return {};
}

Done DeletePresetIn(const std::string& folder, const std::string& name) {
  if (Done check = CheckExisting(folder, name); !check) return check;
  if (::unlink(PresetPath(folder, name).c_str()) != 0)
    return Fail("cannot delete the preset '" + name + "': " + std::strerror(errno));
  return {};
}

}  // namespace brisol
