// libFuzzer target: reading a recipe from arbitrary bytes, as a PNG picture
// (its checksums put right first), a JPEG picture, an SVG, PDF or PostScript
// file, or a recipe's text. The name the bytes are read under varies with
// their length, so that bytes without a known start are also read as the
// vector file their name says. Every message is one line, and a recipe that
// is read writes a text that reads back to the very same text.
// Seeds (fuzz/seeds/recipe): see fuzz/seeds/recipe/PROVENANCE.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "codec_fuzz_check.h"
#include "png_checksums.h"
#include "recipe/RecipeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  std::vector<std::uint8_t> bytes(data, data + size);
  // Only a PNG file has checksums; other files are read as they come.
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0) fuzz::PutChecksumsRight(bytes);
  static const char* const kNames[] = {"fuzz", "fuzz.svg", "fuzz.pdf", "fuzz.eps"};
  const RecipeRead read = ReadRecipeBytes(bytes, kNames[size % std::size(kNames)]);
  fuzz::Require(read.ok() == read.errors.empty());
  for (const auto* list : {&read.errors, &read.warnings})
    for (const std::string& message : *list) fuzz::Require(message.find('\n') == std::string::npos);
  if (read.ok()) {
    const std::string text = RecipeText(*read.recipe);
    const RecipeRead again = ParseRecipe(text);
    fuzz::Require(again.ok() && again.warnings.empty());
    fuzz::Require(RecipeText(*again.recipe) == text);
  }
  return 0;
}
