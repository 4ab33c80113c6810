// The objects of an SVG file, read back, are the objects the raster drawing
// places: the same number, fill and outline colours, pen widths and order,
// for several seeds; and their figures' numbers carry the digits the page
// needs.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "VectorTestSupport.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "vector/VectorExport.h"

namespace brisol::test {
namespace {

std::string Hex(COLORREF c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

TEST(SvgRoundTrip, ObjectsAreThePlacedObjectsInOrder) {
  TempDir dir;
  const CDADC photo = MakePhoto(120, 90);
  for (const char* collection : {"Leaves", "Mixed"}) {
    for (int seed : {1, 7, 2024}) {
      CEffect effect((std::string(BRISOL_SOURCE_RES_DIR "/Effects/") + collection).c_str());
      ASSERT_GT(effect.GetNumShapes(), 0u);
      effect.SetSeed(seed);
      effect.SetNumObjects(400);
      VectorJob job;
      job.effect = &effect;
      job.photo = &photo;
      job.level = 2;
      const std::string path = dir.File("round.svg");
      ASSERT_TRUE(WriteVectorFile(path, job).ok());
      const std::string svg = ReadFile(path);

      // Every object is one element (a <use> or a <g>) carrying its fill.
      std::vector<std::pair<std::string, std::string>> read;  // fill, stroke
      const std::regex object(
          R"re(<(?:use xlink:href="#s\d+" transform="[^"]*"|g) fill="(#[0-9a-f]{6})"(?: stroke="(#[0-9a-f]{6})")?)re");
      for (auto it = std::sregex_iterator(svg.begin(), svg.end(), object); it != std::sregex_iterator(); ++it)
        read.emplace_back((*it)[1].str(), (*it)[2].str());

      const EffectObjects placed = PlaceEffectObjects(effect, photo, 2);
      ASSERT_EQ(read.size(), placed.objects.size()) << collection << " seed " << seed;
      for (std::size_t k = 0; k < read.size(); ++k) {
        const PlacedObject& o = placed.objects[k];
        EXPECT_EQ(read[k].first, Hex(o.fill)) << "object " << k;
        EXPECT_EQ(read[k].second, o.penWidth > 0 ? Hex(o.outline) : std::string()) << "object " << k;
      }
    }
  }
}

// The objects' own figures are written with the digits that place them to
// a hundredth of a point on the page: two after the point for a working
// pixel of a point, four when the page enlarges it to twenty points; in SVG
// and in the page content PDF and PostScript files share, read here in an
// EPS file. (With a pen of one pixel the flowers of circles are written
// inline; without a mix the EPS file keeps them as paths.)
TEST(SvgRoundTrip, ObjectCoordinatesHaveTheDigitsThePageNeeds) {
  TempDir dir;
  const CDADC photo = MakePhoto(120, 90);
  struct Case {
    const char* file;
    const char* page;
    int decimals;
    const char* after;   // where the objects begin
    const char* figure;  // a figure's numbers
  };
  const Case cases[] = {
      {"digits.svg", "", 2, "</defs>", R"re((?: d| cx| cy| r)="([^"]*)")re"},
      {"digits.svg", "A0", 4, "</defs>", R"re((?: d| cx| cy| r)="([^"]*)")re"},
      {"digits.eps", "", 2, "%%Page:", R"re(\n((?:-?[0-9.]+ )+)[mlc]\n)re"},
      {"digits.eps", "A0", 4, "%%Page:", R"re(\n((?:-?[0-9.]+ )+)[mlc]\n)re"},
  };
  for (const Case& c : cases) {
    CEffect effect(BRISOL_SOURCE_RES_DIR "/Effects/Leaves");
    effect.SetLineWidth(1.0);
    effect.SetMixGeom(eMixOff);
    VectorJob job;
    job.effect = &effect;
    job.photo = &photo;
    job.page.size = c.page;
    const std::string path = dir.File(c.file);
    ASSERT_TRUE(WriteVectorFile(path, job).ok());
    const std::string text = ReadFile(path);
    const std::string objects = text.substr(text.find(c.after));
    int most = -1;
    const std::regex figure(c.figure), fraction(R"re(\.(\d+))re");
    for (auto it = std::sregex_iterator(objects.begin(), objects.end(), figure); it != std::sregex_iterator(); ++it) {
      const std::string numbers = (*it)[1].str();
      for (auto f = std::sregex_iterator(numbers.begin(), numbers.end(), fraction); f != std::sregex_iterator(); ++f)
        most = std::max(most, static_cast<int>((*f)[1].length()));
    }
    EXPECT_EQ(most, c.decimals) << c.file << " " << (*c.page ? c.page : "the picture's size");
  }
}

}  // namespace
}  // namespace brisol::test
