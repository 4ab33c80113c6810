#include "DemoScene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace brisol::cli {
namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Smooth value noise from a hashed lattice.
double Hash(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double Noise(double x, double y) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const double fx = x - xi, fy = y - yi;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = Hash(xi, yi), b = Hash(xi + 1, yi), c = Hash(xi, yi + 1), d = Hash(xi + 1, yi + 1);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fractal(double x, double y) {
  double sum = 0, amplitude = 0.5;
  for (int octave = 0; octave < 5; ++octave, x *= 2, y *= 2, amplitude *= 0.5) sum += amplitude * Noise(x, y);
  return sum;
}

// Height of a mountain ridge (0 top .. 1 bottom of the picture) at u (0..1).
double Ridge(double u, double base, double height, double scale, double seed) {
  return base - height * (0.55 * Fractal(u * scale + seed, seed) + 0.45 * std::fabs(std::sin(u * 3.1 + seed)));
}

Rgb SceneColour(double u, double v, double aspect) {
  const double horizon = 0.58;
  const Rgb skyTop{40, 70, 140}, skyLow{250, 170, 110}, sun{255, 240, 200};
  const double sunU = 0.7, sunV = 0.36;

  auto sky = [&](double vv) {
    Rgb c = Mix(skyTop, skyLow, std::pow(vv / horizon, 1.6));
    const double d = std::hypot((u - sunU) * aspect, vv - sunV);
    c = Mix(c, sun, std::exp(-d * 9.0) * 0.9);
    if (d < 0.045) c = Mix(c, Rgb{255, 250, 235}, 1.0 - d / 0.045 * 0.3);
    const double cloud = Fractal(u * 6 + 10, vv * 14);
    if (vv < horizon - 0.05) c = Mix(c, Rgb{255, 200, 170}, std::max(0.0, cloud - 0.55) * 1.8);
    return c;
  };

  auto land = [&](double vv, Rgb& colour) {
    struct Range {
      double base, height, scale, seed;
      Rgb near, far;
    };
    const Range ranges[] = {
        {0.50, 0.22, 3.0, 1.7, {120, 110, 150}, {170, 150, 175}},
        {0.56, 0.18, 4.0, 5.3, {80, 90, 110}, {140, 130, 150}},
        {0.60, 0.12, 6.0, 9.1, {50, 70, 60}, {100, 110, 110}},
    };
    bool hit = false;
    for (const Range& r : ranges) {
      const double top = Ridge(u, r.base, r.height, r.scale, r.seed);
      if (vv >= top) {
        const double shade = Fractal(u * r.scale * 8, vv * 20);
        colour = Mix(r.far, r.near, (vv - top) * 6 + shade * 0.5);
        hit = true;
      }
    }
    return hit;
  };

  if (v < horizon) {
    Rgb c = sky(v);
    land(v, c);
    return c;
  }
  if (v < 0.8) {
    // The lake mirrors the scene with ripples.
    const double mirrored = 2 * horizon - v + (Noise(u * 60, v * 300) - 0.5) * 0.012;
    Rgb c = sky(mirrored);
    land(mirrored, c);
    c = Mix(c, Rgb{30, 50, 80}, 0.25 + (v - horizon) * 1.5);
    return c;
  }
  // The meadow: grass in light and shade, with flowers.
  const double grass = Fractal(u * 40, v * 25);
  Rgb c = Mix(Rgb{60, 110, 40}, Rgb{150, 170, 60}, grass);
  c = Mix(c, Rgb{30, 60, 25}, (v - 0.8) * 2.0);
  if (Hash(static_cast<int>(u * 300), static_cast<int>(v * 300)) > 0.985) c = Rgb{240, 220, 90};
  return c;
}

}  // namespace

CDADC MakeDemoScene(int width, int height) {
  CDADC scene(SIZE{width, height});
  if (!scene.IsValid()) return scene;
  const PixelBlock block = scene.GetBlock();
  const double aspect = static_cast<double>(width) / height;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = block.Row(y);
    const double v = (y + 0.5) / height;
    for (int x = 0; x < width; ++x, p += 3) {
      const Rgb c = SceneColour((x + 0.5) / width, v, aspect);
      const double grain = (Hash(x, y) - 0.5) * 8.0;  // film grain
      p[0] = static_cast<std::uint8_t>(std::clamp(c.b + grain, 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(c.g + grain, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(std::clamp(c.r + grain, 0.0, 255.0));
    }
  }
  return scene;
}

}  // namespace brisol::cli
