#include "effect/EffectParams.h"

#include <strings.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace brisol {
namespace {

using E = CEffect;

constexpr std::string_view kReactionNames[] = {"image", "opposite", "random"};
constexpr std::string_view kColSrcNames[] = {"image", "single", "random"};
constexpr std::string_view kBkgNames[] = {"color", "original"};
constexpr std::string_view kMixNames[] = {
    "off",         "even",          "left-right",      "right-left",     "top-bottom",
    "bottom-top",  "circle-in-out", "circle-vignette", "ellipse-in-out", "ellipse-vignette",
    "rect-in-out", "rect-frame"};
static_assert(std::size(kReactionNames) == ikNumReactions);
static_assert(std::size(kColSrcNames) == ikNumColSrcs);
static_assert(std::size(kBkgNames) == ikNumBkgTypes);
static_assert(std::size(kMixNames) == ikNumMixGeoms);

// A count as the effect's unsigned setters take it: negative numbers are
// below every minimum, huge ones above every maximum.
unsigned ToUnsigned(double v) {
  if (!(v > 0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<unsigned>(v);
}

int ToEnumerator(double v) {
  if (!(v > -1e9 && v < 1e9)) return -1;
  return static_cast<int>(v);
}

const char* NumberRandom(const E& e) {
  return e.GetNumObjReaction() == eReactRandom ? "the number of objects does not depend on the image" : nullptr;
}
const char* AngleRandom(const E& e) { return e.GetAngleReaction() == eReactRandom ? "the angle is random" : nullptr; }
const char* FillRandom(const E& e) {
  return e.GetSolidColSrc() == eColSrcRandom ? "the fill colours are random" : nullptr;
}
const char* LineRandom(const E& e) {
  return e.GetLineColSrc() == eColSrcRandom ? "the outline colours are random" : nullptr;
}
const char* FillNotSingle(const E& e) {
  return e.GetSolidColSrc() != eColSrcSingle ? "the fill colours do not come from a single colour" : nullptr;
}
const char* LineNotSingle(const E& e) {
  return e.GetLineColSrc() != eColSrcSingle ? "the outline colours do not come from a single colour" : nullptr;
}
const char* BkgNotSolid(const E& e) {
  return e.GetBkgType() != eBkgSolid ? "the background is the original image" : nullptr;
}
const char* MixOff(const E& e) {
  return e.GetMix().m_eGeom == eMixOff ? "the picture is not mixed with the original" : nullptr;
}
const char* MixOffOrEven(const E& e) {
  if (e.GetMix().m_eGeom == eMixOff) return MixOff(e);
  return e.GetMix().m_eGeom == eMixEven ? "the even mix shows the original everywhere alike" : nullptr;
}

const EffectParam kParams[] = {
    {.key = "objects",
     .label = "Number of Objects",
     .kind = ParamKind::Count,
     .panelMin = E::kMinObjects,
     .panelMax = E::kMaxObjects,
     .min = E::kMinObjects,
     .max = E::kMaxObjects,
     .format = "%d",
     .defaultValue = E::kDefaultNumObjects,
     .help = "placement attempts",
     .get = [](const E& e) -> double { return e.GetNumObjects(); },
     .set = [](E& e, double v) { e.SetNumObjects(ToUnsigned(v)); }},
    {.key = "size",
     .label = "Size ",
     .kind = ParamKind::Real,
     .panelMin = E::kMinSize,
     .panelMax = E::kMaxSize,
     .min = E::kMinSize,
     .max = E::kMaxSize,
     .format = "%6.2f",
     .defaultValue = E::kDefaultSize,
     .help = "object size, percent of the width",
     .get = [](const E& e) { return e.GetSize(); },
     .set = [](E& e, double v) { e.SetSize(v); }},
    {.key = "size-var",
     .label = "Size Variation",
     .kind = ParamKind::Real,
     .panelMin = E::kMinSizeVar,
     .panelMax = E::kMaxSizeVar,
     .min = E::kMinSizeVar,
     .max = E::kMaxSizeVar,
     .format = "%6.2f",
     .defaultValue = E::kDefaultSizeVar,
     .help = "size variation",
     .get = [](const E& e) { return e.GetSizeVar(); },
     .set = [](E& e, double v) { e.SetSizeVar(v); }},
    {.key = "angle",
     .label = "Angle",
     .kind = ParamKind::Real,
     .panelMin = E::kMinAngle,
     .panelMax = E::kMaxAngle,
     .min = E::kMinAngle,
     .max = E::kMaxAngle,
     .format = "%6.2f",
     .defaultValue = E::kDefaultAngle,
     .help = "base angle, degrees",
     .get = [](const E& e) { return e.GetAngle(); },
     .set = [](E& e, double v) { e.SetAngle(v); },
     .inactiveBecause = AngleRandom},
    {.key = "angle-var",
     .label = "Variation",
     .kind = ParamKind::Real,
     .panelMin = E::kMinAngle,
     .panelMax = E::kMaxAngle,
     .min = E::kMinAngle,
     .max = E::kMaxAngle,
     .format = "%6.2f",
     .defaultValue = E::kDefaultAngleVar,
     .help = "angle range the image adds, degrees",
     .get = [](const E& e) { return e.GetAngleVar(); },
     .set = [](E& e, double v) { e.SetAngleVar(v); },
     .inactiveBecause = AngleRandom},
    {.key = "area",
     .label = "Area Covered",
     .kind = ParamKind::Real,
     .panelMin = E::kMinArea,
     .panelMax = E::kMaxArea,
     .min = E::kMinArea,
     .max = E::kMaxArea,
     .format = "%6.2f",
     .defaultValue = E::kDefaultAreaCovered,
     .help = "area covered, percent",
     .get = [](const E& e) { return e.GetAreaCovered(); },
     .set = [](E& e, double v) { e.SetAreaCovered(v); },
     .inactiveBecause = NumberRandom},
    {.key = "line-width",
     .label = "Line Width",
     .kind = ParamKind::Real,
     .panelMin = E::kMinLineWidth,
     .panelMax = E::kMaxLineWidth,
     .min = E::kMinLineWidth,
     .max = E::kMaxLineWidth,
     .format = "%6.2f",
     .defaultValue = E::kDefaultLineWidth,
     .help = "outline width, percent of the width",
     .get = [](const E& e) { return e.GetLineWidth(); },
     .set = [](E& e, double v) { e.SetLineWidth(v); }},
    {.key = "fill-var",
     .label = "Variation in Solid Colors",
     .kind = ParamKind::Real,
     .panelMin = E::kMinColVar,
     .panelMax = E::kMaxColVar,
     .min = E::kMinColVar,
     .max = E::kMaxColVar,
     .format = "%6.2f",
     .defaultValue = E::kDefaultSolidColVar,
     .help = "fill colour variation",
     .get = [](const E& e) { return e.GetSolidColVar(); },
     .set = [](E& e, double v) { e.SetSolidColVar(v); },
     .inactiveBecause = FillRandom},
    {.key = "line-var",
     .label = "Variation in Outline Colors",
     .kind = ParamKind::Real,
     .panelMin = E::kMinColVar,
     .panelMax = E::kMaxColVar,
     .min = E::kMinColVar,
     .max = E::kMaxColVar,
     .format = "%6.2f",
     .defaultValue = E::kDefaultLineColVar,
     .help = "outline colour variation",
     .get = [](const E& e) { return e.GetLineColVar(); },
     .set = [](E& e, double v) { e.SetLineColVar(v); },
     .inactiveBecause = LineRandom},
    {.key = "size-reaction",
     .label = "",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultSizeReaction,
     .help = "how the size follows the image",
     .descriptions = ReactionDescs,
     .shortNames = kReactionNames,
     .get = [](const E& e) -> double { return e.GetSizeReaction(); },
     .set = [](E& e, double v) { e.SetSizeReaction(ToEnumerator(v)); }},
    {.key = "angle-reaction",
     .label = "",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultAngleReaction,
     .help = "how the angle follows the image",
     .descriptions = ReactionDescs,
     .shortNames = kReactionNames,
     .get = [](const E& e) -> double { return e.GetAngleReaction(); },
     .set = [](E& e, double v) { e.SetAngleReaction(ToEnumerator(v)); }},
    {.key = "number-reaction",
     .label = "",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultNumObjReaction,
     .help = "where the objects go",
     .descriptions = ReactionDescs,
     .shortNames = kReactionNames,
     .get = [](const E& e) -> double { return e.GetNumObjReaction(); },
     .set = [](E& e, double v) { e.SetNumObjReaction(ToEnumerator(v)); }},
    {.key = "fill-source",
     .label = "Solid colors come from:",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultSolidColSrc,
     .help = "where the fill colours come from",
     .descriptions = ColSrcDescs,
     .shortNames = kColSrcNames,
     .get = [](const E& e) -> double { return e.GetSolidColSrc(); },
     .set = [](E& e, double v) { e.SetSolidColSrc(ToEnumerator(v)); }},
    {.key = "line-source",
     .label = "Outline colors come from",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultLineColSrc,
     .help = "where the outline colours come from",
     .descriptions = ColSrcDescs,
     .shortNames = kColSrcNames,
     .get = [](const E& e) -> double { return e.GetLineColSrc(); },
     .set = [](E& e, double v) { e.SetLineColSrc(ToEnumerator(v)); }},
    {.key = "fill-color",
     .label = "",
     .kind = ParamKind::Colour,
     .defaultValue = E::kDefaultSolidColor,
     .help = "the single fill colour",
     .get = [](const E& e) -> double { return e.GetSolidColor(); },
     .set = [](E& e, double v) { e.SetSolidColor(static_cast<COLORREF>(v)); },
     .inactiveBecause = FillNotSingle},
    {.key = "line-color",
     .label = "",
     .kind = ParamKind::Colour,
     .defaultValue = E::kDefaultLineColor,
     .help = "the single outline colour",
     .get = [](const E& e) -> double { return e.GetLineColor(); },
     .set = [](E& e, double v) { e.SetLineColor(static_cast<COLORREF>(v)); },
     .inactiveBecause = LineNotSingle},
    {.key = "background",
     .label = "",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultBkgType,
     .help = "what the objects are drawn over",
     .descriptions = BkgTypeDescs,
     .shortNames = kBkgNames,
     .get = [](const E& e) -> double { return e.GetBkgType(); },
     .set = [](E& e, double v) { e.SetBkg(ToEnumerator(v)); }},
    {.key = "background-color",
     .label = "",
     .kind = ParamKind::Colour,
     .defaultValue = E::kDefaultBkgColor,
     .help = "the background colour",
     .get = [](const E& e) -> double { return e.GetBkgColor(); },
     .set = [](E& e, double v) { e.SetBkgColor(static_cast<COLORREF>(v)); },
     .inactiveBecause = BkgNotSolid},
    {.key = "mix",
     .label = "",
     .kind = ParamKind::Choice,
     .defaultValue = E::kDefaultMixGeom,
     .help = "how the picture is mixed with the original",
     .descriptions = MixGeomDescs,
     .shortNames = kMixNames,
     .get = [](const E& e) -> double { return e.GetMix().m_eGeom; },
     .set = [](E& e, double v) { e.SetMixGeom(ToEnumerator(v)); }},
    {.key = "mix-sharpness",
     .label = "mix sharpness(%)",
     .kind = ParamKind::Count,
     .panelMin = 1,
     .panelMax = 99,
     .min = E::kMinMixPercent,
     .max = E::kMaxMixPercent,
     .format = "%d",
     .defaultValue = E::kDefaultMixSharpness,
     .help = "sharpness of the mix, percent (the original's share for the even mix)",
     .get = [](const E& e) -> double { return e.GetMix().m_iSharpness; },
     .set = [](E& e, double v) { e.SetMixSharpness(ToUnsigned(v)); },
     .inactiveBecause = MixOff},
    {.key = "mix-visible",
     .label = "Original image visible(%)",
     .kind = ParamKind::Count,
     .panelMin = 1,
     .panelMax = 99,
     .min = E::kMinMixPercent,
     .max = E::kMaxMixPercent,
     .format = "%d",
     .defaultValue = E::kDefaultMixVisible,
     .help = "how much of the original shows, percent",
     .get = [](const E& e) -> double { return e.GetMix().m_iVisible; },
     .set = [](E& e, double v) { e.SetMixVisible(ToUnsigned(v)); },
     .inactiveBecause = MixOffOrEven},
};

std::string ColourText(COLORREF c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

bool ParseColourText(std::string_view text, double& value) {
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  if (text.size() != 6) return false;
  unsigned rgb = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    rgb = rgb * 16 + static_cast<unsigned>(digit);
  }
  value = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  return true;
}

// Plain decimal notation only: no hexadecimal, infinity or NaN. Values too
// small or too large for a double come out as zero or infinity, and the
// setters clamp them like any other value out of range.
bool ParseDecimal(std::string_view text, double& value) {
  if (text.empty() || text.size() > 400) return false;
  for (char c : text) {
    const bool ok = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
    if (!ok) return false;
  }
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || std::isnan(v)) return false;
  value = v;
  return true;
}

}  // namespace

std::span<const EffectParam> EffectParams() { return kParams; }

const EffectParam* FindEffectParam(std::string_view keyOrOption) {
  if (keyOrOption.starts_with("--")) keyOrOption.remove_prefix(2);
  for (const EffectParam& p : kParams)
    if (p.key == keyOrOption) return &p;
  return nullptr;
}

std::string FormatParamValue(const EffectParam& param, const CEffect& effect) {
  return FormatParamValue(param, param.get(effect));
}

std::string FormatParamValue(const EffectParam& param, double v) {
  switch (param.kind) {
    case ParamKind::Count:
      return std::to_string(static_cast<long long>(v));
    case ParamKind::Colour:
      return ColourText(static_cast<COLORREF>(v));
    case ParamKind::Choice: {
      const int i = static_cast<int>(v);
      return i >= 0 && i < param.Count() ? std::string(param.shortNames[static_cast<std::size_t>(i)])
                                         : std::to_string(i);
    }
    case ParamKind::Real:
      break;
  }
  // The shortest text that reads back to the very same double.
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

bool ParamValueInRange(const EffectParam& param, double value) {
  switch (param.kind) {
    case ParamKind::Real:
      return value >= param.min && value <= param.max;
    case ParamKind::Count:
      return value >= param.min && value <= param.max && value == std::trunc(value);
    case ParamKind::Choice:
      return value >= 0 && value < param.Count() && value == std::trunc(value);
    case ParamKind::Colour:
      return value >= 0 && value <= 0xFFFFFF && value == std::trunc(value);
  }
  return false;
}

std::string AcceptedValuesText(const EffectParam& param) {
  char text[80];
  switch (param.kind) {
    case ParamKind::Real:
      std::snprintf(text, sizeof text, "%g to %g", param.min, param.max);
      return text;
    case ParamKind::Count:
      std::snprintf(text, sizeof text, "whole numbers %g to %g", param.min, param.max);
      return text;
    case ParamKind::Colour:
      return "#rrggbb";
    case ParamKind::Choice:
      break;
  }
  std::string names;
  for (int i = 0; i < param.Count(); ++i) {
    if (i > 0) names += i + 1 == param.Count() ? " or " : ", ";
    names += param.shortNames[static_cast<std::size_t>(i)];
  }
  return names;
}

bool ParseParamValue(const EffectParam& param, std::string_view text, double& value) {
  switch (param.kind) {
    case ParamKind::Real:
      return ParseDecimal(text, value);
    case ParamKind::Count: {
      double v = 0;
      if (!ParseDecimal(text, v) || v != std::trunc(v)) return false;
      value = v;
      return true;
    }
    case ParamKind::Colour:
      return ParseColourText(text, value);
    case ParamKind::Choice: {
      const std::string t(text);
      for (int i = 0; i < param.Count(); ++i) {
        if (strcasecmp(std::string(param.shortNames[static_cast<std::size_t>(i)]).c_str(), t.c_str()) == 0 ||
            strcasecmp(param.descriptions()[i], t.c_str()) == 0) {
          value = i;
          return true;
        }
      }
      // "colour" is as good as "color".
      if (param.key == "background" && strcasecmp(t.c_str(), "colour") == 0) {
        value = eBkgSolid;
        return true;
      }
      return false;
    }
  }
  return false;
}

}  // namespace brisol
