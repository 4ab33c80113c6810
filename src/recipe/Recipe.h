// A recipe: everything that makes a picture, as a small text anyone can
// read and edit. The collection (its name and a SHA-256 over its drawings),
// every parameter of the effect's parameter table by its key, the seed and
// the quality, and the photo (its file name and SHA-256):
//
//   format = 1
//   collection = Stars
//   collection-sha256 = 5f0c…
//   seed = 7
//   quality = 1
//   objects = 3333
//   size = 5.5
//   …
//   photo = rose.jpg
//   photo-sha256 = 9a41…
//
// "format = 1" comes first; blank lines and lines beginning with '#' are
// passed over. A key missing from the text keeps the parameter's default;
// the seed, the quality and the collection are then simply not given (a
// preset leaves them to the picture it is applied to).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisol {

struct EffectParam;

struct Recipe {
  static constexpr int kFormat = 1;
  static constexpr int kMinQuality = 1, kMaxQuality = 2;

  // Every parameter at its default.
  Recipe();

  std::string collection;        // the collection's name; empty when none is named
  std::string collectionSha256;  // 64 hex digits, or empty when not known
  // One value per row of the parameter table, in its order, as the table's
  // get gives it (an enumerator, a COLORREF, a number).
  std::vector<double> values;
  std::optional<int> seed;
  std::optional<int> quality;      // 1 or 2
  std::optional<int> jpegQuality;  // how a JPEG picture holding the recipe was written
  std::string photo;               // the photo's file name, without its folder
  std::string photoSha256;

  double Value(const EffectParam& param) const;
  void SetValue(const EffectParam& param, double value);

  bool operator==(const Recipe&) const = default;
};

// One key of a recipe with its value as text; a number's value is written
// as it stands in JSON, the others as strings.
struct RecipeEntry {
  std::string_view key;
  std::string value;
  bool number = false;
};
// Every key the recipe gives, "format" first, in the order above: the one
// list its text and its JSON are written from. Names are kept to one line
// of printable UTF-8 (anything else becomes '?').
std::vector<RecipeEntry> RecipeEntries(const Recipe& recipe);

// The recipe as text: one "key = value" line an entry, and a line end after
// the last.
std::string RecipeText(const Recipe& recipe);

// What reading a recipe came to: the recipe, or the errors that kept it from
// being read (a bad value gives one line naming the key, the value and what
// is accepted); warnings for what was passed over (an unknown key).
struct RecipeRead {
  std::optional<Recipe> recipe;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  bool ok() const { return recipe.has_value(); }
  // The errors on one line each, joined.
  std::string ErrorText() const;
};

// The longest recipe text read.
constexpr std::size_t kMaxRecipeBytes = 64 * 1024;

// Reads a recipe's text. Each message begins "line N: ".
RecipeRead ParseRecipe(std::string_view text);

}  // namespace brisol
