#include "vector/PageLayout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace brisol {
namespace {

// The largest page side of the formats without a limit of their own.
constexpr double kLargestPageSidePoints = 100'000;
constexpr const char* kLargestPageSideText = "100000 points (about 35 metres)";

constexpr double kPointsPerInch = 72.0;

constexpr std::array<PaperSize, 8> kPapers = {{
    {"A5", 148, 210},
    {"A4", 210, 297},
    {"A3", 297, 420},
    {"A2", 420, 594},
    {"A1", 594, 841},
    {"A0", 841, 1189},
    {"letter", 215.9, 279.4},
    {"tabloid", 279.4, 431.8},
}};

struct UnitName {
  std::string_view suffix;
  LengthUnit unit;
};
constexpr std::array<UnitName, 5> kUnits = {{
    {"mm", LengthUnit::Mm},
    {"cm", LengthUnit::Cm},
    {"in", LengthUnit::In},
    {"pt", LengthUnit::Pt},
    {"px", LengthUnit::Px},
}};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool ParseNumber(std::string_view text, double& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

// Splits a unit off the end of the text; false when it has none.
bool SplitUnit(std::string_view& text, LengthUnit& unit) {
  for (const UnitName& u : kUnits) {
    if (text.size() > u.suffix.size() && SameLetters(text.substr(text.size() - u.suffix.size()), u.suffix)) {
      unit = u.unit;
      text.remove_suffix(u.suffix.size());
      return true;
    }
  }
  return false;
}

std::string UnitsText() { return "mm, cm, in, pt or px"; }

std::string PaperNamesText() {
  std::string names;
  for (const PaperSize& p : kPapers) names += (names.empty() ? "" : ", ") + std::string(p.name);
  return names;
}

// "A2", "letter", "500x700mm", "50cmx70cm": the page's width and height.
Done ParsePageSize(std::string_view text, Length& w, Length& h) {
  for (const PaperSize& p : kPapers) {
    if (SameLetters(text, p.name)) {
      w = {p.widthMm, LengthUnit::Mm};
      h = {p.heightMm, LengthUnit::Mm};
      return {};
    }
  }
  const std::size_t x = text.find_first_of("xX");
  const std::string bad = "unknown page '" + std::string(text) + "' (use " + PaperNamesText() +
                          " or WxH with a unit: " + UnitsText() + ", such as 500x700mm)";
  if (x == std::string_view::npos) return Fail(bad);
  std::string_view first = text.substr(0, x), second = text.substr(x + 1);
  LengthUnit u1{}, u2{};
  if (!SplitUnit(second, u2)) return Fail(bad);
  if (!SplitUnit(first, u1)) u1 = u2;
  if (!ParseNumber(first, w.value) || !ParseNumber(second, h.value)) return Fail(bad);
  w.unit = u1;
  h.unit = u2;
  if (!(w.value > 0 && h.value > 0))
    return Fail("the page '" + std::string(text) + "' must have a width and height above 0");
  return {};
}

Done ApplyPage(PageOptions& o, std::string_view value) {
  Length w, h;
  if (Done size = ParsePageSize(value, w, h); !size) return size;
  o.size = std::string(value);
  return {};
}

Done ApplyLandscape(PageOptions& o, std::string_view) {
  o.landscape = true;
  return {};
}

// The option's setting as the options' messages name it.
std::string Named(const PageOptions& o, std::string_view option);

Done ApplyLength(const PageOptions& o, Length& length, std::string_view option, std::string_view value) {
  Length l;
  if (!ParseLength(value, l) || l.value < 0)
    return Fail(Named(o, option) + " takes a length of 0 or more with a unit (" + UnitsText() + "), such as 10mm");
  length = l;
  return {};
}

Done ApplyMargin(PageOptions& o, std::string_view value) { return ApplyLength(o, o.margin, "--margin", value); }

Done ApplyBleed(PageOptions& o, std::string_view value) { return ApplyLength(o, o.bleed, "--bleed", value); }

Done ApplyDpi(PageOptions& o, std::string_view value) {
  double dpi = 0;
  if (!ParseNumber(value, dpi) || !(dpi >= kMinDpi && dpi <= kMaxDpi))
    return Fail(Named(o, "--dpi") + " takes a resolution of " + DpiRangeText());
  o.dpi = dpi;
  return {};
}

constexpr std::array<PageOption, 5> kOptions = {{
    {"--page", "the page", "SIZE",
     "page of a vector file: A5, A4, A3, A2, A1, A0, letter, tabloid or WxH with a unit (mm, cm, in, pt, px), "
     "such as 500x700mm; the picture fits it, centred [the picture's size, one pixel a point]",
     ApplyPage},
    {"--landscape", "landscape", "", "turn the page to landscape (a WxH page stands as given without it)",
     ApplyLandscape},
    {"--margin", "the margin", "LENGTH", "space between the page's trimmed edges and the picture, such as 10mm [0]",
     ApplyMargin},
    {"--bleed", "the bleed", "LENGTH",
     "extra page on every side for trimming, which the background runs into where the picture meets the edge [0]",
     ApplyBleed},
    {"--dpi", "the photo's resolution", "N",
     "resolution of the photo and mix mask inside a vector file; px lengths count at it [the photo's own pixels]",
     ApplyDpi},
}};

std::string Named(const PageOptions& o, std::string_view option) {
  const auto row =
      std::find_if(kOptions.begin(), kOptions.end(), [&](const PageOption& p) { return p.option == option; });
  return std::string(o.names == SettingNames::Words && row != kOptions.end() ? row->words : option);
}

}  // namespace

std::string DpiRangeText() {
  char text[64];
  std::snprintf(text, sizeof text, "%g to %g", kMinDpi, kMaxDpi);
  return text;
}

double Length::Points(double dpi) const {
  switch (unit) {
    case LengthUnit::Mm:
      return value * kPointsPerInch / 25.4;
    case LengthUnit::Cm:
      return value * kPointsPerInch / 2.54;
    case LengthUnit::In:
      return value * kPointsPerInch;
    case LengthUnit::Pt:
      return value;
    case LengthUnit::Px:
      return value * kPointsPerInch / (dpi > 0 ? dpi : kPointsPerInch);
  }
  return value;
}

std::span<const PageOption> PageOptionTable() { return kOptions; }

const PageOption* FindPageOption(std::string_view option) {
  for (const PageOption& o : kOptions)
    if (o.option == option) return &o;
  return nullptr;
}

std::span<const PaperSize> PaperSizes() { return kPapers; }

bool ParseLength(std::string_view text, Length& length) {
  LengthUnit unit{};
  if (!SplitUnit(text, unit)) return text == "0" ? (length = Length{}, true) : false;
  double value = 0;
  if (!ParseNumber(text, value)) return false;
  length = {value, unit};
  return true;
}

Outcome<PageLayout> LayOutPage(const PageOptions& options, const SIZE& picture, const VectorFormat& format) {
  if (picture.cx <= 0 || picture.cy <= 0) return Fail("the picture is empty");
  const bool words = options.names == SettingNames::Words;
  const double margin = options.margin.Points(options.dpi);
  const double bleed = options.bleed.Points(options.dpi);
  double trimW = picture.cx, trimH = picture.cy;  // one pixel a point
  if (!options.size.empty()) {
    Length w, h;
    if (Done size = ParsePageSize(options.size, w, h); !size) return std::move(size).failure();
    trimW = w.Points(options.dpi);
    trimH = h.Points(options.dpi);
    // Papers are named upright; a page given as WxH stands as given.
    if (options.landscape && trimW < trimH) std::swap(trimW, trimH);
  } else {
    trimW += 2 * margin;
    trimH += 2 * margin;
  }

  PageLayout page;
  page.bleed = bleed;
  page.width = trimW + 2 * bleed;
  page.height = trimH + 2 * bleed;
  // Every format's page has a largest side: its own, or one that keeps every
  // coordinate written finite and a PostScript bounding box's integers exact.
  const bool ownLimit = format.maxSidePoints > 0;
  const double limit = ownLimit ? format.maxSidePoints : kLargestPageSidePoints;
  if (!(page.width <= limit && page.height <= limit)) {  // NaN and infinity too
    char text[240];
    const std::string limitText = ownLimit ? std::string(format.limitText) : kLargestPageSideText;
    if (std::isfinite(page.width) && std::isfinite(page.height)) {
      std::snprintf(text, sizeof text, "the page of %.0f x %.0f points is larger than a %s page can be (%s a side)",
                    page.width, page.height, std::string(format.name).c_str(), limitText.c_str());
    } else {
      std::snprintf(text, sizeof text, "the page is larger than a %s page can be (%s a side)",
                    std::string(format.name).c_str(), limitText.c_str());
    }
    if (!options.size.empty()) return Fail(text);
    return Fail(std::string(text) + (words ? "; choose a page" : "; choose a page with --page"));
  }
  // The picture fits the trimmed page less the margins, centred. Where it
  // meets the trim, its background runs on into the bleed.
  const double boxW = trimW - 2 * margin, boxH = trimH - 2 * margin;
  if (!(boxW > 0 && boxH > 0)) return Fail("the margins leave no room for the picture on the page");
  page.scale = std::min(boxW / picture.cx, boxH / picture.cy);
  page.left = (page.width - page.scale * picture.cx) / 2;
  page.top = (page.height - page.scale * picture.cy) / 2;
  constexpr double kTouching = 1e-6;  // points
  if (page.left - bleed < kTouching) page.bleedX = bleed;
  if (page.top - bleed < kTouching) page.bleedY = bleed;
  if (options.dpi > 0) {
    const double pixelsPerPoint = options.dpi / kPointsPerInch;
    page.raster.cx = std::max(1L, std::lround(page.scale * picture.cx * pixelsPerPoint));
    page.raster.cy = std::max(1L, std::lround(page.scale * picture.cy * pixelsPerPoint));
    const long long pixels = static_cast<long long>(page.raster.cx) * page.raster.cy;
    if (pixels > kMaxRasterPixels) {
      char text[200];
      std::snprintf(text, sizeof text,
                    "at %g dpi the photo would be %d x %d pixels, more than %lld megapixels; choose a lower ",
                    options.dpi, page.raster.cx, page.raster.cy, kMaxRasterPixels / 1'000'000);
      return Fail(std::string(text) + (words ? "resolution for the photo" : "--dpi"));
    }
  } else {
    page.raster = picture;
  }
  return page;
}

}  // namespace brisol
