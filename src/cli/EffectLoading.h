// Loading the effect a command names (a collection name, or a folder), with
// what went wrong told in one line, and the files left out as notices.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brisol {
class CEffect;
}

namespace brisol::cli {

// Loads the shapes of the collection or folder into the effect. Returns the
// reason, naming the folder or file, when it has no usable shape; a file
// left out of a usable collection adds a notice.
std::optional<std::string> LoadEffectShapes(const std::string& nameOrFolder, CEffect& effect,
                                            std::vector<std::string>& notices);

}  // namespace brisol::cli
