#include "recipe/RecipeEffect.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <filesystem>

#include "dxf/DxfFile.h"
#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "effect/EffectPaths.h"
#include "effect/ShapeRejection.h"
#include "recipe/Sha256.h"

namespace brisol {
namespace {

std::string BaseName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// Adds a file's size and contents to the hash; false when it cannot be read.
bool HashFile(Sha256& hash, const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(size) >> (56 - 8 * i));
  hash.Update(std::span<const std::uint8_t>(length, 8));
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<std::uint8_t> buffer(1 << 16);
  std::uintmax_t read = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return n == 0 && read == size;
    }
    read += static_cast<std::uintmax_t>(n);
    hash.Update(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
  }
}

}  // namespace

Recipe RecipeOf(const CEffect& effect, int quality) {
  Recipe recipe;
  recipe.collection = BaseName(effect.GetEffectDir());
  recipe.collectionSha256 = CollectionSha256(effect);
  for (const EffectParam& p : EffectParams()) recipe.SetValue(p, p.get(effect));
  recipe.seed = effect.GetSeed();
  recipe.quality = quality;
  return recipe;
}

std::string CollectionSha256(const CEffect& effect) {
  if (effect.GetNumShapes() == 0) return {};
  Sha256 hash;
  for (unsigned i = 0; i < effect.GetNumShapes(); ++i) {
    const CDxfFile* shape = effect.GetShape(i);
    if (shape == nullptr) return {};
    const std::string& path = shape->GetFileName();
    hash.Update(BaseName(path));
    hash.Update(std::string_view("\0", 1));
    if (!HashFile(hash, path)) return {};
  }
  return HexDigest(hash.Finish());
}

bool SetRecipePhoto(Recipe& recipe, const std::string& photoPath, std::string* why) {
  recipe.photo = BaseName(photoPath);
  recipe.photoSha256 = Sha256OfFile(photoPath, why);
  return !recipe.photoSha256.empty();
}

void ApplyRecipeValues(const Recipe& recipe, CEffect& effect) {
  for (const EffectParam& p : EffectParams()) p.set(effect, recipe.Value(p));
  if (recipe.seed) effect.SetSeed(*recipe.seed);
}

std::string FindCollectionByName(const std::string& name, const std::string& mainDirectory) {
  for (const EffectCollection& c : mainDirectory.empty() ? ListCollections() : ListCollections(mainDirectory))
    if (strcasecmp(c.name.c_str(), name.c_str()) == 0) return c.directory;
  return {};
}

std::optional<std::string> CollectionDiffers(const Recipe& recipe, const CEffect& effect) {
  if (recipe.collectionSha256.empty()) return std::nullopt;
  if (CollectionSha256(effect) == recipe.collectionSha256) return std::nullopt;
  return "the drawings of the collection '" + BaseName(effect.GetEffectDir()) +
         "' are not those the recipe was made with, so the picture may differ";
}

std::optional<std::string> PhotoDiffers(const Recipe& recipe, const std::string& photoPath) {
  if (recipe.photoSha256.empty() || photoPath.empty()) return std::nullopt;
  if (Sha256OfFile(photoPath) == recipe.photoSha256) return std::nullopt;
  return "the photo '" + BaseName(photoPath) + "' is not the one the recipe was made with ('" + recipe.photo + "')";
}

RecipeApplied ApplyRecipe(const Recipe& recipe, CEffect& effect, int* quality, const ApplyOptions& options) {
  RecipeNotices notices;
  // Everything is prepared on the side and put in place at the end.
  std::unique_ptr<CEffect> prepared = effect.Snapshot();
  if (!recipe.collection.empty()) {
    const std::string directory = FindCollectionByName(recipe.collection, options.mainDirectory);
    if (directory.empty()) return Fail(Status::NotFound, "the collection '" + recipe.collection + "' is not installed");
    if (directory != effect.GetEffectDir() || effect.GetNumShapes() == 0) {
      std::vector<ShapeRejection> rejected;
      prepared->LoadShapes(directory.c_str(), &rejected);
      if (prepared->GetNumShapes() == 0) {
        std::string why = "the collection '" + recipe.collection + "' has no usable drawing";
        if (!rejected.empty()) why += ": " + DescribeRejection(rejected.front());
        return Fail(why);
      }
      for (const ShapeRejection& r : rejected) notices.push_back("left out: " + DescribeRejection(r));
    }
  }
  ApplyRecipeValues(recipe, *prepared);
  if (auto differs = CollectionDiffers(recipe, *prepared)) notices.push_back(*differs);
  if (auto differs = PhotoDiffers(recipe, options.photoPath)) notices.push_back(*differs);
  effect.AssignShared(*prepared);
  if (quality != nullptr && recipe.quality) *quality = *recipe.quality;
  return notices;
}

}  // namespace brisol
