// Loading the effect a command names (a collection name, or a folder), with
// what went wrong told in one line, and the files left out as notices.
#pragma once

#include <string>
#include <vector>

#include "logger/Outcome.h"

namespace brisol {
class CEffect;
}

namespace brisol::cli {

// Loads the shapes of the collection or folder into the effect. Fails,
// naming the folder or file, when it has no usable shape (NotFound for a
// name no collection has); a file left out of a usable collection adds a
// notice.
Done LoadEffectShapes(const std::string& nameOrFolder, CEffect& effect, std::vector<std::string>& notices);

}  // namespace brisol::cli
