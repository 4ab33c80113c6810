// Where effect collections are found: the user's own "Effects" folder in
// the main directory, then the collections installed with the program, then
// (when run from a build tree) the source tree's res/Effects. A collection
// is a sub-directory holding DXF drawings.
#pragma once

#include <string>
#include <vector>

namespace brisol {

// The main directory: $XDG_DATA_HOME/Brisol, or ~/.local/share/Brisol.
std::string MainDirectory();

// The folders named folder ("Effects", "Presets") of the program's data, in
// lookup order: the main directory's, the one installed beside the
// executable (../share/brisol), then the source tree's res when run from a
// build tree. Those that do not exist are left out.
std::vector<std::string> DataRoots(const std::string& mainDirectory, const std::string& folder);

// The folders that hold collections, in lookup order; those that do not
// exist are left out.
std::vector<std::string> EffectRoots();
// The same with another main directory, whose "Effects" folder comes first.
std::vector<std::string> EffectRoots(const std::string& mainDirectory);

struct EffectCollection {
  std::string name;
  std::string directory;
};

// Every collection of every root, in lookup order; within a root in name
// order without regard to case. A name found in an earlier root hides the
// same name in later ones.
std::vector<EffectCollection> ListCollections();
// The same with another main directory.
std::vector<EffectCollection> ListCollections(const std::string& mainDirectory);
// The same over the given folders, in their order.
std::vector<EffectCollection> ListCollectionsIn(const std::vector<std::string>& roots);

// The collection used when none is named: the first in name order of those
// installed with the program (or of the source tree's); empty when none.
EffectCollection DefaultCollection();

// The directory of a collection given by path (anything with a '/', or the
// name of a folder that exists relative to the current directory: used as
// given) or by name (looked up in the roots' order, without regard to case).
// Empty when no collection has that name.
std::string FindCollection(const std::string& nameOrPath);

}  // namespace brisol
