// The gradients of a vector file's mix give every pixel the original's
// weight the raster picture mixes it with: the stops, read where a renderer
// samples a pixel (its centre), against the mix's own weight per pixel, for
// each geometry with a gradient and many sharpnesses and visibilities.
#include <gtest/gtest.h>

#include <cmath>

#include "effect/ImageMix.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

// The weight the stops give at an offset; nullopt on a jump, where a
// renderer may take either side.
std::optional<double> WeightAt(const MixMask& mask, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const auto& stops = mask.stops;
  for (std::size_t k = 0; k + 1 < stops.size(); ++k)
    if (stops[k].first == stops[k + 1].first && std::fabs(t - stops[k].first) < 1e-9 &&
        stops[k].second != stops[k + 1].second)
      return std::nullopt;
  for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
    const auto [t0, w0] = stops[k];
    const auto [t1, w1] = stops[k + 1];
    if (t1 > t0 && t >= t0 && t <= t1) return w0 + (w1 - w0) * (t - t0) / (t1 - t0);
  }
  return stops.empty() ? std::optional<double>() : stops.back().second;
}

// The offset of the pixel's centre along the mask's gradient.
double OffsetOf(const MixMask& mask, double x, double y) {
  if (mask.kind == MixMask::Linear) {
    const double dx = mask.x1 - mask.x0, dy = mask.y1 - mask.y0;
    return ((x - mask.x0) * dx + (y - mask.y0) * dy) / (dx * dx + dy * dy);
  }
  return std::hypot((x - mask.x0) / mask.rx, (y - mask.y0) / mask.ry);
}

TEST(MixMask, GradientStopsGiveEachPixelTheMixWeight) {
  const int geometries[] = {eMixLeftRight, eMixRightLeft,    eMixTopBottom,  eMixBottomTop,
                            eMixCircInOut, eMixCircVignette, eMixEllipInOut, eMixEllipVignette};
  const std::pair<int, int> settings[] = {{0, 50},   {20, 50}, {10, 30}, {60, 80}, {99, 1},
                                          {100, 50}, {45, 99}, {1, 0},   {0, 100}, {37, 63}};
  const SIZE sizes[] = {{7, 5}, {160, 120}, {33, 90}};
  for (const int geometry : geometries) {
    for (const auto& [sharpness, visible] : settings) {
      CImageMix mix;
      mix.m_eGeom = geometry;
      mix.m_iSharpness = sharpness;
      mix.m_iVisible = visible;
      for (const SIZE& size : sizes) {
        const MixMask mask = MixMaskFor(mix, size);
        ASSERT_TRUE(mask.kind == MixMask::Linear || mask.kind == MixMask::Radial) << geometry;
        ASSERT_FALSE(mask.stops.empty());
        EXPECT_EQ(mask.stops.front().first, 0.0);
        EXPECT_EQ(mask.stops.back().first, 1.0);
        const double radius = std::sqrt(double(size.cx) * size.cx + double(size.cy) * size.cy) * 0.5;
        double worst = 0;
        std::string where;
        for (int i = 0; i < size.cy; ++i) {
          for (int j = 0; j < size.cx; ++j) {
            const double t = OffsetOf(mask, j + 0.5, i + 0.5);
            const auto drawn = WeightAt(mask, t);
            if (!drawn) continue;
            const double weight = MixWeight(mix, j, i, size.cx, size.cy, radius);
            if (std::fabs(*drawn - weight) > worst) {
              worst = std::fabs(*drawn - weight);
              where = "pixel " + std::to_string(j) + ", " + std::to_string(i) + " at offset " + std::to_string(t) +
                      ": " + std::to_string(*drawn) + " for " + std::to_string(weight);
            }
          }
        }
        EXPECT_LT(worst, 1e-6) << "geometry " << geometry << ", sharpness " << sharpness << ", visible " << visible
                               << ", " << size.cx << " x " << size.cy << ": " << where;
      }
    }
  }
}

TEST(MixMask, EvenIsAConstantAndRectanglesAGreyMask) {
  CImageMix mix;
  mix.m_eGeom = eMixEven;
  mix.m_iSharpness = 30;
  const MixMask even = MixMaskFor(mix, {10, 10});
  EXPECT_EQ(even.kind, MixMask::Even);
  EXPECT_DOUBLE_EQ(even.alpha, 0.3);

  mix.m_eGeom = eMixOff;
  EXPECT_EQ(MixMaskFor(mix, {10, 10}).kind, MixMask::None);

  for (const int geometry : {eMixRectInOut, eMixRectFrame}) {
    mix.m_eGeom = geometry;
    mix.m_iSharpness = 20;
    mix.m_iVisible = 40;
    EXPECT_EQ(MixMaskFor(mix, {10, 10}).kind, MixMask::Grey);
    // At the picture's own size each grey level is the pixel's weight.
    const SIZE size{31, 17};
    const std::vector<std::uint8_t> grey = GreyMask(mix, size, size.cx, size.cy);
    const double radius = std::hypot(size.cx, size.cy) * 0.5;
    for (int i = 0; i < size.cy; ++i)
      for (int j = 0; j < size.cx; ++j)
        ASSERT_NEAR(grey[static_cast<std::size_t>(i) * size.cx + j] / 255.0,
                    MixWeight(mix, j, i, size.cx, size.cy, radius), 0.5 / 255 + 1e-12)
            << j << ", " << i;
  }
}

}  // namespace
}  // namespace brisol
