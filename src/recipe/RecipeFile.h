// Recipes in files: read back from a picture Brisol made (PNG, JPEG, or a
// vector file: SVG, PDF, EPS, PS) or from a recipe's own text file
// (.brisol), written into pictures and saved as text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "logger/Outcome.h"
#include "recipe/Recipe.h"

namespace brisol {

struct PictureFormat;
struct SaveOptions;

// The keyword of the PNG text chunk that holds a recipe. In a JPEG picture
// the recipe is a comment segment of its own, told apart by its first line.
inline constexpr std::string_view kRecipeKeyword = "Brisol recipe";
// The extension of a recipe's text file.
inline constexpr std::string_view kRecipeExtension = ".brisol";

// Whether a picture of the format can hold a recipe (PNG and JPEG).
bool PictureFormatHoldsRecipe(const PictureFormat& format);

// The name that reads a recipe from standard input.
inline constexpr std::string_view kStandardInput = "-";

// Reads the recipe of a file ("-": of standard input): a PNG, JPEG, SVG, PDF or PostScript file
// (told by its first bytes; only the part that holds the recipe is read),
// or else a recipe's text. Every message names the file; a BMP, TGA or PCX
// picture is told to hold none.
RecipeRead ReadRecipeFile(const std::string& path);

// The same for a file's bytes; name is used in the messages.
RecipeRead ReadRecipeBytes(std::span<const std::uint8_t> bytes, const std::string& name);

// Has a PNG or JPEG picture written with these options hold the recipe.
void PutRecipe(SaveOptions& options, const Recipe& recipe);
// The same for a picture written to output: a JPEG picture's recipe also
// holds the JPEG quality the options write it with.
void PutPictureRecipe(SaveOptions& options, Recipe recipe, const std::string& output);

// Writes the recipe's text to path; an existing file is replaced only once
// the new one is completely written.
Done SaveRecipeFile(const Recipe& recipe, const std::string& path);

}  // namespace brisol
