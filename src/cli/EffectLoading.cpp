#include "EffectLoading.h"

#include "effect/Effect.h"
#include "effect/EffectPaths.h"

namespace brisol::cli {
namespace {

// Notices name at most this many files left out.
constexpr std::size_t kMaxNamedRejections = 5;

}  // namespace

Done LoadEffectShapes(const std::string& nameOrFolder, CEffect& effect, std::vector<std::string>& notices) {
  const std::string directory = FindCollection(nameOrFolder);
  if (directory.empty())
    return Fail(Status::NotFound, "unknown effect '" + nameOrFolder + "' (see 'brisol-cli effects')");
  std::vector<ShapeRejection> rejected;
  effect.LoadShapes(directory.c_str(), &rejected);
  if (effect.GetNumShapes() == 0) {
    if (rejected.empty()) return Fail("the effect folder '" + directory + "' holds no .dxf files");
    const ShapeRejection& first = rejected.front();
    if (first.reason == ShapeRejection::Reason::FolderUnreadable)
      return Fail("effect folder " + DescribeRejection(first));
    std::string why = "no usable shapes in '" + directory + "': " + DescribeRejection(first);
    if (rejected.size() > 1) why += " (and " + std::to_string(rejected.size() - 1) + " more files left out)";
    return Fail(why);
  }
  for (std::size_t i = 0; i < rejected.size() && i < kMaxNamedRejections; ++i)
    notices.push_back("left out: " + DescribeRejection(rejected[i]));
  if (rejected.size() > kMaxNamedRejections)
    notices.push_back("left out " + std::to_string(rejected.size() - kMaxNamedRejections) + " more files of '" +
                      directory + "'");
  return {};
}

}  // namespace brisol::cli
