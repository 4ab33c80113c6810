#include "effect/EffectParams.h"

#include <gtest/gtest.h>

#include <set>

namespace brisol {
namespace {

TEST(EffectParams, KeysAreUniqueAndFound) {
  std::set<std::string_view> keys;
  for (const EffectParam& p : EffectParams()) {
    EXPECT_TRUE(keys.insert(p.key).second) << p.key;
    EXPECT_EQ(FindEffectParam(p.key), &p);
    EXPECT_EQ(FindEffectParam(p.Option()), &p);
  }
  EXPECT_EQ(FindEffectParam("no-such"), nullptr);
}

// The defaults of the table are what a new effect holds, and setting each
// default on a changed effect gives it back.
TEST(EffectParams, DefaultsAreANewEffectsValues) {
  const CEffect fresh;
  for (const EffectParam& p : EffectParams()) {
    EXPECT_EQ(p.get(fresh), p.defaultValue) << p.key;
    CEffect e;
    p.set(e, p.defaultValue);
    EXPECT_EQ(p.get(e), p.defaultValue) << p.key;
  }
}

// The table against the values the effect's and the panels' descriptions
// give, written out here: default, the range the effect keeps, the panel's
// range, format and label.
TEST(EffectParams, AsTheDescriptionsGiveThem) {
  struct Row {
    const char* key;
    double defaultValue, min, max, panelMin, panelMax;
    const char* format;
    const char* label;
  } rows[] = {
      {"size", 5.5, 0.1, 30.0, 0.1, 30.0, "%6.2f", "Size"},
      {"size-var", 0.5, 0.0, 1.0, 0.0, 1.0, "%6.2f", "Size Variation"},
      {"angle", 0.0, -180.0, 180.0, -180.0, 180.0, "%6.2f", "Angle"},
      {"angle-var", 0.0, -180.0, 180.0, -180.0, 180.0, "%6.2f", "Variation"},
      {"objects", 3333, 0, 10000, 0, 10000, "%d", "Number of Objects"},
      {"area", 50.0, 0.0, 100.0, 0.0, 100.0, "%6.2f", "Area Covered"},
      {"fill-var", 0.1, 0.0, 1.0, 0.0, 1.0, "%6.2f", "Variation in Solid Colors"},
      {"line-var", 0.35, 0.0, 1.0, 0.0, 1.0, "%6.2f", "Variation in Outline Colors"},
      {"line-width", 0.225, 0.0, 2.0, 0.0, 2.0, "%6.2f", "Line Width"},
      {"mix-sharpness", 10, 0, 100, 1, 99, "%d", "mix sharpness(%)"},
      {"mix-visible", 50, 0, 100, 1, 99, "%d", "Original image visible(%)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    const EffectParam* p = FindEffectParam(r.key);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->defaultValue, r.defaultValue);
    EXPECT_EQ(p->min, r.min);
    EXPECT_EQ(p->max, r.max);
    EXPECT_EQ(p->panelMin, r.panelMin);
    EXPECT_EQ(p->panelMax, r.panelMax);
    EXPECT_STREQ(p->format, r.format);
    std::string label(p->label);
    while (!label.empty() && label.back() == ' ') label.pop_back();
    EXPECT_EQ(label, r.label);
  }
  // The choices' defaults: the size and the number at random, the angle
  // following the image, colours from the original, the original as
  // background, the even mix; white fill, black outline and background.
  const struct {
    const char* key;
    double value;
  } choices[] = {{"size-reaction", 2},
                 {"angle-reaction", 0},
                 {"number-reaction", 2},
                 {"fill-source", 0},
                 {"line-source", 0},
                 {"background", 1},
                 {"mix", 1},
                 {"fill-color", 0xffffff},
                 {"line-color", 0},
                 {"background-color", 0}};
  for (const auto& c : choices) EXPECT_EQ(FindEffectParam(c.key)->defaultValue, c.value) << c.key;
}

// Numbers are kept within the setter's range; the panel's range lies inside
// it, and a value set from either end of the panel's range is kept exactly.
TEST(EffectParams, SettersClampToTheTablesRange) {
  for (const EffectParam& p : EffectParams()) {
    if (p.kind != ParamKind::Real && p.kind != ParamKind::Count) continue;
    SCOPED_TRACE(std::string(p.key));
    EXPECT_LT(p.panelMin, p.panelMax);
    EXPECT_LE(p.min, p.panelMin);
    EXPECT_GE(p.max, p.panelMax);
    CEffect e;
    p.set(e, p.max + 1000);
    EXPECT_EQ(p.get(e), p.max);
    p.set(e, p.min - 1000);
    EXPECT_EQ(p.get(e), p.min);
    p.set(e, p.panelMin);
    EXPECT_EQ(p.get(e), p.panelMin);
    p.set(e, p.panelMax);
    EXPECT_EQ(p.get(e), p.panelMax);
  }
}

TEST(EffectParams, ParsingAndFormattingRoundTrip) {
  struct Case {
    const char* key;
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"size", "12.5", true, 12.5},
      {"size", "1e-320", true, 1e-320},  // clamped later, not refused
      {"size", "0x10", false, 0},
      {"size", "nan", false, 0},
      {"size", "inf", false, 0},
      {"size", "", false, 0},
      {"size", "1.5x", false, 0},
      {"objects", "-1", true, -1},
      {"objects", "2.5", false, 0},
      {"objects", "0x10", false, 0},
      {"mix", "ellipse-vignette", true, eMixEllipVignette},
      {"mix", "Elliptical Vignette", true, eMixEllipVignette},
      {"mix", "EVEN", true, eMixEven},
      {"mix", "sideways", false, 0},
      {"background", "colour", true, eBkgSolid},
      {"fill-color", "#ff8000", true, RGB(255, 128, 0)},
      {"fill-color", "ff8000", true, RGB(255, 128, 0)},
      {"fill-color", "#ff80", false, 0},
  };
  for (const Case& c : cases) {
    const EffectParam* p = FindEffectParam(c.key);
    ASSERT_NE(p, nullptr) << c.key;
    double v = 0;
    EXPECT_EQ(ParseParamValue(*p, c.text, v), c.ok) << c.key << " " << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.key << " " << c.text;
    }
  }
}

// What FormatParamValue writes reads back to the same value, for values a
// panel makes (single precision read back) as well.
TEST(EffectParams, FormattedValuesReadBackExactly) {
  CEffect e;
  e.SetSize(static_cast<float>(12.34));
  e.SetSizeVar(0.1 + 0.2);
  e.SetAngle(-179.99);
  e.SetNumObjects(777);
  e.SetSolidColor(RGB(1, 2, 3));
  e.SetMixGeom(eMixRectFrame);
  for (const EffectParam& p : EffectParams()) {
    const std::string text = FormatParamValue(p, e);
    double v = 0;
    ASSERT_TRUE(ParseParamValue(p, text, v)) << p.key << " " << text;
    EXPECT_EQ(v, p.get(e)) << p.key << " " << text;
  }
}

TEST(EffectParams, InactiveFollowsTheOtherParameters) {
  const EffectParam& area = *FindEffectParam("area");
  const EffectParam& visible = *FindEffectParam("mix-visible");
  const EffectParam& sharpness = *FindEffectParam("mix-sharpness");
  CEffect e;
  e.SetNumObjReaction(eReactRandom);
  EXPECT_NE(area.inactiveBecause(e), nullptr);
  e.SetNumObjReaction(eReactImage);
  EXPECT_EQ(area.inactiveBecause(e), nullptr);
  e.SetMixGeom(eMixEven);
  EXPECT_NE(visible.inactiveBecause(e), nullptr);
  EXPECT_EQ(sharpness.inactiveBecause(e), nullptr);
  e.SetMixGeom(eMixOff);
  EXPECT_NE(sharpness.inactiveBecause(e), nullptr);
  e.SetMixGeom(eMixCircVignette);
  EXPECT_EQ(visible.inactiveBecause(e), nullptr);
}

}  // namespace
}  // namespace brisol
