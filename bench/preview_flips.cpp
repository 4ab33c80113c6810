// How often a placement decision flips when an effect is drawn, with the
// same seed, from the photo reduced to the size it is shown at (a preview)
// instead of from the photo itself.
//
// Positions are drawn in proportion to the picture's size, so attempt k
// lands on the same place of both pictures; whether it draws depends on the
// force there and on the force threshold, both taken from the picture
// drawn from. Where the two decisions differ, the drawing that places an
// object uses more random numbers than the one that does not, and every
// object after it differs. For every photo, reduction, scale, reaction and
// seed this prints
//   - flips per 1,000 attempts, the decisions compared at the full
//     drawing's own positions, and
//   - how much of the full drawing's objects the preview places the same:
//     those before its first flip.
//   preview_flips PHOTO... [--seeds N] [--objects N]
// The effect is the default one (area covered, variations), with its
// number of objects reaction "depends on image" and "depends on opposite".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "effect/Effect.h"
#include "effect/ForceField.h"
#include "imageio/Dib.h"
#include "imageio/LoadPicture.h"
#include "raster/Random.h"

namespace brisol {
namespace {

struct Decisions {
  const CForceField* field;
  int threshold;
  int w, h;
  bool Draws(int dx, int dy, int reaction) const {
    unsigned f = field->GetForce(CRandomSource::MapToInt(0, w - 1, dx), CRandomSource::MapToInt(0, h - 1, dy));
    if (reaction == eReactOpposite) f = 255 - f;
    return static_cast<int>(f) >= threshold || reaction == eReactRandom;
  }
};

// The random numbers a drawn object takes after its position: the shape
// index and three colours of three draws each (the effect's defaults: no
// random size, angle or outline colour).
constexpr int kDrawsPerObject = 1 + 9;

struct Agreement {
  int flips = 0;        // attempts decided differently
  int objects = 0;      // objects of the full drawing
  int sameObjects = 0;  // of them, those before the first flip
};

Agreement Compare(const Decisions& full, const Decisions& preview, int reaction, int seed, int attempts) {
  Agreement o;
  CRandomSource random(static_cast<std::uint32_t>(seed));
  bool flipped = false;
  for (int k = 0; k < attempts; ++k) {
    const int dx = random.Draw(), dy = random.Draw();
    const bool a = full.Draws(dx, dy, reaction), b = preview.Draws(dx, dy, reaction);
    if (a != b) {
      ++o.flips;
      flipped = true;
    }
    if (!a) continue;
    ++o.objects;
    if (!flipped) ++o.sameObjects;
    for (int i = 0; i < kDrawsPerObject; ++i) random.Draw();
  }
  return o;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace
}  // namespace brisol

int main(int argc, char** argv) {
  using namespace brisol;
  int seeds = 50, attempts = 10000;
  std::vector<std::string> photos;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seeds") && i + 1 < argc) {
      seeds = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--objects") && i + 1 < argc) {
      attempts = std::atoi(argv[++i]);
    } else {
      photos.push_back(argv[i]);
    }
  }
  if (photos.empty()) {
    std::fprintf(stderr, "usage: preview_flips PHOTO... [--seeds N] [--objects N]\n");
    return 2;
  }
  const double area = CEffect().GetAreaCovered();
  std::printf(
      "| photo | reduction | preview scale | reaction | flips per 1,000 attempts (median) | "
      "full drawing's objects placed the same, median (min) |\n|---|---|---|---|---|---|\n");
  for (const std::string& path : photos) {
    LoadResult read = LoadPicture(path);
    const std::unique_ptr<CDADC> photo = read ? std::move(read).value() : nullptr;
    if (!photo) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    const CForceField fullField(*photo);
    const Decisions full{&fullField, fullField.GetMinForceFromArea(area), photo->GetWidth(), photo->GetHeight()};
    for (double scale : {0.5, 0.33, 0.2}) {
      const SIZE size{std::max(1, static_cast<int>(photo->GetWidth() * scale)),
                      std::max(1, static_cast<int>(photo->GetHeight() * scale))};
      for (int smooth = 0; smooth < 2; ++smooth) {
        std::unique_ptr<CDADC> reduced;
        if (smooth) {
          reduced = std::make_unique<CDADC>(*photo);
          if (!ResizeImage(&reduced, size)) return 1;
        } else {
          reduced = CreateScaledCopy(scale, *photo);
        }
        const CForceField field(*reduced);
        const Decisions preview{&field, field.GetMinForceFromArea(area), reduced->GetWidth(), reduced->GetHeight()};
        for (int reaction : {eReactImage, eReactOpposite}) {
          std::vector<double> flips, same;
          for (int s = 1; s <= seeds; ++s) {
            const Agreement o = Compare(full, preview, reaction, s * 7919, attempts);
            flips.push_back(1000.0 * o.flips / attempts);
            same.push_back(o.objects ? 100.0 * o.sameObjects / o.objects : 100.0);
          }
          const std::size_t slash = path.rfind('/');
          std::printf("| %s | %s | %.2f (%d x %d) | %s | %.1f | %.1f %% (%.1f %%) |\n",
                      path.substr(slash == std::string::npos ? 0 : slash + 1).c_str(),
                      smooth ? "smoothed" : "whole pixels", scale, reduced->GetWidth(), reduced->GetHeight(),
                      reaction == eReactImage ? "image" : "opposite", Median(flips), Median(same),
                      *std::min_element(same.begin(), same.end()));
        }
      }
    }
  }
  return 0;
}
