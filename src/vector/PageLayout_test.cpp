// Where a picture goes on a page: paper sizes, units, landscape, margin,
// bleed, the picture fitted and centred, and the limits; and the table of
// the vector formats with the refused ".ai".
#include "vector/PageLayout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "vector/VectorFormats.h"

namespace brisol {
namespace {

constexpr double kMm = 72.0 / 25.4;  // points in a millimetre

// The page options as the command line gives them, "--option value".
PageOptions Options(std::initializer_list<std::pair<const char*, const char*>> given) {
  PageOptions options;
  for (const auto& [name, value] : given) {
    const PageOption* o = FindPageOption(name);
    EXPECT_NE(o, nullptr) << name;
    if (o) {
      EXPECT_EQ(o->apply(options, value).message(), "") << name << " " << value;
    }
  }
  return options;
}

struct LayoutCase {
  const char* name;
  std::initializer_list<std::pair<const char*, const char*>> options;
  SIZE picture;
  double width, height;  // the page, points
  double left, top;      // the picture's corner, points
  double scale;          // points per picture pixel
};

TEST(PageLayout, FitsThePictureKeepingItsProportionsCentred) {
  const double a4w = 210 * kMm, a4h = 297 * kMm;
  const LayoutCase cases[] = {
      {"no page: a pixel a point", {}, {400, 300}, 400, 300, 0, 0, 1},
      {"no page, margin about it", {{"--margin", "10pt"}}, {400, 300}, 420, 320, 10, 10, 1},
      {"A4 upright, a wide picture fills the width",
       {{"--page", "A4"}},
       {400, 300},
       a4w,
       a4h,
       0,
       (a4h - 300 * a4w / 400) / 2,
       a4w / 400},
      {"A4 landscape, the height limits",
       {{"--page", "a4"}, {"--landscape", ""}},
       {400, 300},
       a4h,
       a4w,
       (a4h - 400 * a4w / 300) / 2,
       0,
       a4w / 300},
      {"A0", {{"--page", "A0"}}, {100, 100}, 841 * kMm, 1189 * kMm, 0, (1189 - 841) * kMm / 2, 841 * kMm / 100},
      {"letter", {{"--page", "letter"}}, {200, 100}, 612, 792, 0, (792 - 100 * 612 / 200.0) / 2, 612 / 200.0},
      {"tabloid, a tall picture fills the height", {{"--page", "tabloid"}}, {100, 200}, 792, 1224, 90, 0, 6.12},
      {"millimetres", {{"--page", "500x700mm"}}, {500, 700}, 500 * kMm, 700 * kMm, 0, 0, kMm},
      {"centimetres, each side its unit", {{"--page", "50cmx70cm"}}, {500, 700}, 500 * kMm, 700 * kMm, 0, 0, kMm},
      {"inches as given, wider than high", {{"--page", "10x8in"}}, {100, 80}, 720, 576, 0, 0, 7.2},
      {"inches turned by --landscape", {{"--page", "8x10in"}, {"--landscape", ""}}, {100, 80}, 720, 576, 0, 0, 7.2},
      {"points", {{"--page", "300x200pt"}}, {150, 100}, 300, 200, 0, 0, 2},
      {"pixels at --dpi", {{"--page", "3000x2000px"}, {"--dpi", "300"}}, {150, 100}, 720, 480, 0, 0, 4.8},
      {"pixels without --dpi are points", {{"--page", "300x200px"}}, {150, 100}, 300, 200, 0, 0, 2},
      {"margin inside the page", {{"--page", "300x200pt"}, {"--margin", "10pt"}}, {100, 100}, 300, 200, 60, 10, 1.8},
      {"bleed added about the page, the picture fills the trim",
       {{"--page", "300x200pt"}, {"--bleed", "10pt"}},
       {300, 200},
       320,
       220,
       10,
       10,
       1},
      {"bleed and margin: the margin inside the trim",
       {{"--page", "300x200pt"}, {"--bleed", "5pt"}, {"--margin", "20pt"}},
       {300, 200},
       310,
       210,
       35,
       25,
       0.8},
      {"units in capitals",
       {{"--page", "100X100MM"}, {"--margin", "1CM"}},
       {10, 10},
       100 * kMm,
       100 * kMm,
       10 * kMm,
       10 * kMm,
       8 * kMm},
  };
  for (const LayoutCase& c : cases) {
    const auto laid = LayOutPage(Options(c.options), c.picture, VectorFormatOf(VectorKind::Pdf));
    ASSERT_TRUE(laid) << c.name << ": " << laid.message();
    const PageLayout& page = *laid;
    EXPECT_NEAR(page.width, c.width, 1e-6) << c.name;
    EXPECT_NEAR(page.height, c.height, 1e-6) << c.name;
    EXPECT_NEAR(page.left, c.left, 1e-6) << c.name;
    EXPECT_NEAR(page.top, c.top, 1e-6) << c.name;
    EXPECT_NEAR(page.scale, c.scale, 1e-9) << c.name;
    // Centred: the same room on both sides.
    EXPECT_NEAR(page.width - page.left - page.scale * c.picture.cx, page.left, 1e-6) << c.name;
    EXPECT_NEAR(page.height - page.top - page.scale * c.picture.cy, page.top, 1e-6) << c.name;
    if (Options(c.options).dpi == 0) {
      EXPECT_EQ(page.raster, c.picture) << c.name << ": the photo keeps its pixels";
    }
  }
}

TEST(PageLayout, DpiSetsTheEmbeddedPixels) {
  // 400 x 300 on a 4 x 3 inch page at 150 dpi: 600 x 450 pixels.
  const auto laid =
      LayOutPage(Options({{"--page", "4x3in"}, {"--dpi", "150"}}), {400, 300}, VectorFormatOf(VectorKind::Pdf));
  ASSERT_TRUE(laid);
  EXPECT_EQ(laid->raster, (SIZE{600, 450}));
}

struct RefusedCase {
  const char* name;
  std::initializer_list<std::pair<const char*, const char*>> options;
  SIZE picture;
  VectorKind format;
  const char* says;  // a part of the one-line reason
};

TEST(PageLayout, RefusesWhatNoPageCanHoldWithTheLimit) {
  const RefusedCase cases[] = {
      {"PDF wider than 200 inches", {{"--page", "201x10in"}}, {10, 10}, VectorKind::Pdf, "200 inches"},
      {"PDF of a huge picture without a page", {}, {20000, 100}, VectorKind::Pdf, "choose a page with --page"},
      {"margins larger than the page",
       {{"--page", "100x100pt"}, {"--margin", "50pt"}},
       {10, 10},
       VectorKind::Svg,
       "no room"},
      {"too many embedded pixels", {{"--page", "A0"}, {"--dpi", "2400"}}, {100, 100}, VectorKind::Svg, "megapixels"},
      {"an empty picture", {}, {0, 10}, VectorKind::Svg, "empty"},
      {"SVG of an infinite page", {{"--page", "1e308x1e308mm"}}, {10, 10}, VectorKind::Svg, "page is larger"},
      {"EPS of an infinite page", {{"--page", "1e308x1e308mm"}}, {10, 10}, VectorKind::Eps, "100000 points"},
      {"PS of an infinite bleed", {{"--page", "A4"}, {"--bleed", "1e308mm"}}, {10, 10}, VectorKind::Ps, "35 metres"},
      {"PDF of an infinite page", {{"--page", "1e308x1e308in"}}, {10, 10}, VectorKind::Pdf, "200 inches"},
      {"SVG of a 100 m page", {{"--page", "100000x100000mm"}}, {10, 10}, VectorKind::Svg, "100000 points"},
      {"EPS of a 100 m page", {{"--page", "100000x10mm"}}, {10, 10}, VectorKind::Eps, "100000 points"},
      {"PS of a huge picture without a page", {}, {200000, 10}, VectorKind::Ps, "choose a page with --page"},
  };
  for (const RefusedCase& c : cases) {
    const auto laid = LayOutPage(Options(c.options), c.picture, VectorFormatOf(c.format));
    ASSERT_FALSE(laid) << c.name;
    const std::string& why = laid.message();
    EXPECT_NE(why.find(c.says), std::string::npos) << c.name << ": " << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << c.name;
  }
  // The formats without a limit of their own take the same page.
  for (VectorKind kind : {VectorKind::Svg, VectorKind::Eps})
    EXPECT_TRUE(LayOutPage(Options({{"--page", "201x10in"}}), {10, 10}, VectorFormatOf(kind)));
}

TEST(PageLayout, OptionValuesThatAreNotLengthsAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"--page", "B5"},     {"--page", "500x700"},   {"--page", "0x700mm"},   {"--page", "axbmm"}, {"--margin", "10"},
      {"--margin", "-1mm"}, {"--margin", "mm"},      {"--bleed", "3 mm"},     {"--dpi", "0"},      {"--dpi", "10001"},
      {"--dpi", "many"},    {"--margin", "1e400mm"}, {"--page", "nanxnanmm"},
  };
  for (const auto& [name, value] : cases) {
    PageOptions options;
    const Done applied = FindPageOption(name)->apply(options, value);
    ASSERT_FALSE(applied) << name << " " << value;
    EXPECT_EQ(applied.message().find('\n'), std::string::npos);
  }
  Length length;
  EXPECT_TRUE(ParseLength("0", length));
  EXPECT_EQ(length.Points(0), 0);
}

TEST(VectorFormats, TheExtensionChoosesTheFormatAndAnAiFileIsRefused) {
  struct Case {
    const char* path;
    bool vector;
    VectorKind kind;
  };
  const Case cases[] = {
      {"poster.svg", true, VectorKind::Svg},
      {"POSTER.PDF", true, VectorKind::Pdf},
      {"a/b.eps", true, VectorKind::Eps},
      {"print.Ps", true, VectorKind::Ps},
      {"picture.png", false, {}},
      {"folder.pdf/picture", false, {}},
      {"dir/.pdf", false, {}},
      {"pdf", false, {}},
      {"poster.ai", false, {}},
  };
  for (const Case& c : cases) {
    const VectorFormat* format = VectorFormatOfName(c.path);
    EXPECT_EQ(format != nullptr, c.vector) << c.path;
    if (format && c.vector) {
      EXPECT_EQ(format->kind, c.kind) << c.path;
    }
  }
  for (const char* ai : {"poster.ai", "dir/POSTER.AI"}) {
    const Done refused = CheckVectorName(ai);
    ASSERT_EQ(refused.status(), Status::Unsupported) << ai;
    EXPECT_NE(refused.message().find(ai), std::string::npos);
    EXPECT_NE(refused.message().find(".pdf"), std::string::npos);
    EXPECT_NE(refused.message().find(".svg"), std::string::npos);
    EXPECT_EQ(refused.message().find('\n'), std::string::npos);
  }
  EXPECT_TRUE(CheckVectorName("poster.ai.svg").ok());
  EXPECT_TRUE(CheckVectorName("ai").ok());
  EXPECT_EQ(VectorExtensionsText(), ".svg, .pdf, .eps, .ps");
}

}  // namespace
}  // namespace brisol
