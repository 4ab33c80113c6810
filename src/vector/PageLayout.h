// Where a picture goes on a printed page: the page options (one table read
// by the command line's help and parsing and by the desktop program's
// dialog), and the layout they give a picture of some size in a format.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include "logger/Outcome.h"
#include "raster/Types.h"
#include "vector/VectorFormats.h"

namespace brisol {

// The limits of the page's settings, kept here alone: the resolution of the
// embedded photo and mask (and of a page drawn for a printer), and the most
// pixels an embedded photo or mask may have.
inline constexpr double kMinDpi = 1, kMaxDpi = 10000;
inline constexpr long long kMaxRasterPixels = 200'000'000;
// "1 to 10000", for messages.
std::string DpiRangeText();

// How messages name a setting: by the command line's option ("--dpi"), or
// in words ("the photo's resolution") as the desktop program shows them.
enum class SettingNames { Options, Words };

enum class LengthUnit { Mm, Cm, In, Pt, Px };

// A length as given: px are pixels at the page's --dpi (at 72 without one,
// so that one picture pixel is one point).
struct Length {
  double value = 0;
  LengthUnit unit = LengthUnit::Pt;
  double Points(double dpi) const;
};

struct PageOptions {
  std::string size;  // a paper name or "WxH" with a unit; empty: the picture's own size
  bool landscape = false;
  Length margin;   // between the trimmed page's edges and the picture
  Length bleed;    // added on every side of the page; the background runs into it
  double dpi = 0;  // resolution of the embedded photo and mask; 0: the photo's own pixels
  // How the messages about these options name them.
  SettingNames names = SettingNames::Options;
};

// One row per option: "--page SIZE" and its help; apply reads a value into
// the options (flags get an empty value) and gives an error text, naming
// the setting as the options' names say, when it cannot.
struct PageOption {
  std::string_view option;
  std::string_view words;  // the setting in words, "the margin"
  std::string_view value;  // what the help calls the value; empty for a flag
  std::string_view help;
  Done (*apply)(PageOptions& options, std::string_view value);
};
std::span<const PageOption> PageOptionTable();
const PageOption* FindPageOption(std::string_view option);

// The named paper sizes, portrait, in millimetres.
struct PaperSize {
  std::string_view name;
  double widthMm, heightMm;
};
std::span<const PaperSize> PaperSizes();

// A length such as "10mm", "0.5in", "12pt"; false when the text is not one.
bool ParseLength(std::string_view text, Length& length);

struct PageLayout {
  double width = 0, height = 0;  // the whole page in points, bleed included
  double bleed = 0;              // points added on every side
  double left = 0, top = 0;      // the picture's top-left corner, points from the page's top-left
  double scale = 1;              // points per picture pixel
  // Points the background runs on beyond the picture's left and right
  // sides, and beyond its top and bottom: the bleed where the picture meets
  // the trim, else 0.
  double bleedX = 0, bleedY = 0;
  SIZE raster{0, 0};  // pixels of the embedded photo and mask
};

// The picture fitted to the trimmed page less its margins, keeping its
// proportions, and centred; the bleed lies about the trimmed page. Without a page size the page is the picture with one
// point a pixel (and the margins about it). A failure (its message without a file name) when the options cannot give a
// page the format can hold.
Outcome<PageLayout> LayOutPage(const PageOptions& options, const SIZE& picture, const VectorFormat& format);

}  // namespace brisol
