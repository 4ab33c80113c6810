// Presets: named recipes without a photo (and with a seed only when the
// user chose to keep it). Bundled ones come with the program; the user's
// own live in $XDG_DATA_HOME/Brisol/Presets, one NAME.brisol file each.
#pragma once

#include <string>
#include <vector>

#include "recipe/RecipeFile.h"

namespace brisol {

struct PresetInfo {
  std::string name;  // the file name without .brisol
  std::string path;
  bool user = false;  // in the user's own folder (may be renamed and deleted)
};

// The user's presets folder: the main directory's Presets.
std::string UserPresetFolder();
// The folders holding presets, in lookup order: the user's, the one
// installed with the program, the source tree's (run from a build tree).
std::vector<std::string> PresetRoots();

// Every preset of the roots: in lookup order, within a folder by name
// without regard to case. A name found in an earlier folder hides the same
// name in later ones (a user's preset hides a bundled one).
std::vector<PresetInfo> ListPresets();
std::vector<PresetInfo> ListPresetsIn(const std::vector<std::string>& roots, const std::string& userFolder);

// The file of a preset given by name (letter case ignored) or as a file
// (a path with a '/', or an existing file ending in .brisol); empty when
// there is none.
std::string FindPreset(const std::string& nameOrFile);

// Whether a name can be a preset's: not when empty, too long, with a '/',
// a leading '.', a space at either end or a control character (Invalid,
// saying which).
Done CheckPresetName(const std::string& name);

// The preset of a recipe: without photo and JPEG quality, and without seed
// unless keepSeed.
Recipe PresetOf(const Recipe& recipe, bool keepSeed);

// Reads a preset's file (any recipe file, a picture Brisol made too) as a
// preset: its photo and JPEG quality are passed over, its seed is kept.
RecipeRead ReadPresetFile(const std::string& path);

// Saves the recipe as the user's preset NAME (made a preset by PresetOf),
// creating the folder when needed. An existing preset of that name is
// replaced only when replace is true.
Done SavePreset(const Recipe& recipe, const std::string& name, bool keepSeed, bool replace);
// Renames or deletes one of the user's presets.
Done RenamePreset(const std::string& from, const std::string& to);
Done DeletePreset(const std::string& name);

// The same in another folder (tests, and a program with its own).
Done SavePresetIn(const std::string& folder, const Recipe& recipe, const std::string& name, bool keepSeed,
                  bool replace);
Done RenamePresetIn(const std::string& folder, const std::string& from, const std::string& to);
Done DeletePresetIn(const std::string& folder, const std::string& name);

}  // namespace brisol
