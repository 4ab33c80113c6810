#include "RenderOptions.h"

#include <strings.h>

#include <cstdio>

#include "ArgParse.h"
#include "effect/Effect.h"

namespace brisol::cli {
namespace {

struct RealOption {
  std::string_view name;
  void (CEffect::*set)(double);
  double (CEffect::*get)() const;
};

constexpr RealOption kRealOptions[] = {
    {"--size", &CEffect::SetSize, &CEffect::GetSize},
    {"--size-var", &CEffect::SetSizeVar, &CEffect::GetSizeVar},
    {"--angle", &CEffect::SetAngle, &CEffect::GetAngle},
    {"--angle-var", &CEffect::SetAngleVar, &CEffect::GetAngleVar},
    {"--area", &CEffect::SetAreaCovered, &CEffect::GetAreaCovered},
    {"--line-width", &CEffect::SetLineWidth, &CEffect::GetLineWidth},
    {"--fill-var", &CEffect::SetSolidColVar, &CEffect::GetSolidColVar},
    {"--line-var", &CEffect::SetLineColVar, &CEffect::GetLineColVar},
};

// Short names of an enumeration, in value order; the description texts are
// accepted as well.
struct EnumOption {
  std::string_view name;
  std::vector<std::string_view> shortNames;
  const char* const* (*descriptions)();
  int count;
  void (CEffect::*set)(int);
};

const std::vector<EnumOption>& EnumOptions() {
  static const std::vector<EnumOption> options = {
      {"--size-reaction", {"image", "opposite", "random"}, ReactionDescs, ikNumReactions, &CEffect::SetSizeReaction},
      {"--angle-reaction", {"image", "opposite", "random"}, ReactionDescs, ikNumReactions, &CEffect::SetAngleReaction},
      {"--number-reaction", {"image", "opposite", "random"}, ReactionDescs, ikNumReactions, &CEffect::SetNumObjReaction},
      {"--fill-source", {"image", "single", "random"}, ColSrcDescs, ikNumColSrcs, &CEffect::SetSolidColSrc},
      {"--line-source", {"image", "single", "random"}, ColSrcDescs, ikNumColSrcs, &CEffect::SetLineColSrc},
      {"--background", {"color", "original"}, BkgTypeDescs, ikNumBkgTypes, &CEffect::SetBkg},
      {"--mix",
       {"off", "even", "left-right", "right-left", "top-bottom", "bottom-top", "circle-in-out", "circle-vignette",
        "ellipse-in-out", "ellipse-vignette", "rect-in-out", "rect-frame"},
       MixGeomDescs, ikNumMixGeoms, &CEffect::SetMixGeom},
  };
  return options;
}

struct ColourOption {
  std::string_view name;
  void (CEffect::*set)(COLORREF);
};

constexpr ColourOption kColourOptions[] = {
    {"--fill-color", &CEffect::SetSolidColor},
    {"--line-color", &CEffect::SetLineColor},
    {"--background-color", &CEffect::SetBkgColor},
};

std::string Number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

int FindEnumValue(const EnumOption& option, std::string_view value) {
  const std::string text(value);
  for (std::size_t i = 0; i < option.shortNames.size(); ++i)
    if (strcasecmp(std::string(option.shortNames[i]).c_str(), text.c_str()) == 0) return static_cast<int>(i);
  // "colour" is as good as "color".
  if (option.name == "--background" && strcasecmp(text.c_str(), "colour") == 0) return 0;
  const char* const* descriptions = option.descriptions();
  for (int i = 0; i < option.count; ++i)
    if (strcasecmp(descriptions[i], text.c_str()) == 0) return i;
  return -1;
}

}  // namespace

std::vector<std::string_view> EffectOptionNames() {
  std::vector<std::string_view> names;
  for (const RealOption& o : kRealOptions) names.push_back(o.name);
  for (const EnumOption& o : EnumOptions()) names.push_back(o.name);
  for (const ColourOption& o : kColourOptions) names.push_back(o.name);
  names.insert(names.end(), {"--objects", "--mix-sharpness", "--mix-visible"});
  return names;
}

std::optional<std::string> ApplyEffectOption(CEffect& effect, std::string_view name, std::string_view value,
                                             std::vector<std::string>& notices) {
  const std::string shown = std::string(name) + " " + std::string(value);
  for (const RealOption& o : kRealOptions) {
    if (o.name != name) continue;
    double v = 0;
    if (!ParseReal(value, v)) return "bad number '" + std::string(value) + "' for " + std::string(name);
    (effect.*o.set)(v);
    const double stored = (effect.*o.get)();
    if (stored != v) notices.push_back(shown + " is out of range; using " + Number(stored));
    return std::nullopt;
  }
  if (name == "--objects" || name == "--mix-sharpness" || name == "--mix-visible") {
    long long v = 0;
    if (!ParseInteger(value, -1'000'000'000'000LL, 1'000'000'000'000LL, v))
      return "bad whole number '" + std::string(value) + "' for " + std::string(name);
    // The setters take unsigned numbers, as the panels do: a negative number
    // wraps to a large one and is clamped to the maximum.
    const unsigned u = v < 0 ? static_cast<unsigned>(static_cast<int>(v)) : v > 0xFFFFFFFFLL ? 0xFFFFFFFFu
                                                                                            : static_cast<unsigned>(v);
    long long stored;
    if (name == "--objects") {
      effect.SetNumObjects(u);
      stored = effect.GetNumObjects();
    } else if (name == "--mix-sharpness") {
      effect.SetMixSharpness(u);
      stored = effect.GetMix().m_iSharpness;
    } else {
      effect.SetMixVisible(u);
      stored = effect.GetMix().m_iVisible;
    }
    if (stored != v) notices.push_back(shown + " is out of range; using " + std::to_string(stored));
    return std::nullopt;
  }
  for (const EnumOption& o : EnumOptions()) {
    if (o.name != name) continue;
    const int v = FindEnumValue(o, value);
    if (v < 0) {
      std::string choices;
      for (std::string_view s : o.shortNames) choices += (choices.empty() ? "" : ", ") + std::string(s);
      return "unknown value '" + std::string(value) + "' for " + std::string(name) + " (choose " + choices + ")";
    }
    (effect.*o.set)(v);
    return std::nullopt;
  }
  for (const ColourOption& o : kColourOptions) {
    if (o.name != name) continue;
    unsigned c = 0;
    if (!ParseColour(value, c)) return "bad colour '" + std::string(value) + "' for " + std::string(name) + " (use #rrggbb)";
    (effect.*o.set)(c);
    return std::nullopt;
  }
  return "unknown option '" + std::string(name) + "'";
}

const char* EffectOptionsHelp() {
  return "Effect options (defaults in brackets; out-of-range values are clamped with a notice):\n"
         "  --seed N|random        seed of all random choices [1]; random takes the time\n"
         "  --objects N            placement attempts, 0..10000 [3333]\n"
         "  --size P               object size, percent of the width, 0.1..30 [5.5]\n"
         "  --size-var F           size variation, 0..1 [0.5]\n"
         "  --angle D              base angle, degrees, -180..180 [0]\n"
         "  --angle-var D          angle range the image adds, -180..180 [0]\n"
         "  --area P               area covered, percent, 0..100 [50]\n"
         "  --line-width P         outline width, percent of the width, 0..2 [0.225]\n"
         "  --fill-var F           fill colour variation, 0..1 [0.1]\n"
         "  --line-var F           outline colour variation, 0..1 [0.35]\n"
         "  --size-reaction R      image, opposite or random [random]\n"
         "  --angle-reaction R     image, opposite or random [image]\n"
         "  --number-reaction R    image, opposite or random [random]\n"
         "  --fill-source S        image, single or random [image]\n"
         "  --line-source S        image, single or random [image]\n"
         "  --fill-color #rrggbb   the single fill colour [#ffffff]\n"
         "  --line-color #rrggbb   the single outline colour [#000000]\n"
         "  --background B         original or color [original]\n"
         "  --background-color #rrggbb  [#000000]\n"
         "  --mix G                off, even, left-right, right-left, top-bottom, bottom-top,\n"
         "                         circle-in-out, circle-vignette, ellipse-in-out,\n"
         "                         ellipse-vignette, rect-in-out, rect-frame [even]\n"
         "  --mix-sharpness P      0..100 [10]\n"
         "  --mix-visible P        0..100 [50]\n";
}

}  // namespace brisol::cli
