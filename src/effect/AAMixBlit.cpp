#include "effect/AAMixBlit.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "logger/Logger.h"

namespace brisol {
namespace {

struct MixJob {
  const MixRowWeights* weights = nullptr;  // mixing with a weight that varies
  PixelBlock dst;
  PixelBlock src;
  PixelBlock orig;  // bits null: no mixing
  const CImageMix* mix = nullptr;
  bool mixing = false;
  int level = 1;
};

// The average of the level x level block under output pixel (j, i), per channel.
inline void Average(const MixJob& job, const std::uint8_t* const* rows, int j, int out[3]) {
  const int level = job.level;
  int sum[3] = {0, 0, 0};
  for (int r = 0; r < level; ++r) {
    const std::uint8_t* p = rows[r] + 3 * static_cast<std::ptrdiff_t>(j) * level;
    for (int c = 0; c < level; ++c, p += 3) {
      sum[0] += p[0];
      sum[1] += p[1];
      sum[2] += p[2];
    }
  }
  const int area = level * level;
  out[0] = sum[0] / area;
  out[1] = sum[1] / area;
  out[2] = sum[2] / area;
}

void MixRows(const MixJob& job, int firstRow, int lastRow, const std::stop_token& stop) {
  const int w = job.dst.width;
  const bool evenMix = job.mixing && job.mix->m_eGeom == eMixEven;

  // With a constant weight every (effect, original) pair has one answer.
  std::vector<std::uint8_t> table;
  if (evenMix) {
    const double l = job.mix->m_iSharpness * 0.01;
    table.resize(256 * 256);
    for (int e = 0; e < 256; ++e)
      for (int o = 0; o < 256; ++o) table[e * 256 + o] = static_cast<std::uint8_t>(e * (1.0 - l) + o * l);
  }
  std::vector<double> weights;
  if (job.weights != nullptr) weights.resize(static_cast<std::size_t>(w));

  const std::uint8_t* rows[4];
  for (int i = firstRow; i < lastRow; ++i) {
    if (stop.stop_requested()) return;
    for (int r = 0; r < job.level; ++r) rows[r] = job.src.Row(job.level * i + r);
    std::uint8_t* out = job.dst.Row(i);
    const std::uint8_t* orig = job.mixing ? job.orig.Row(i) : nullptr;
    if (!weights.empty()) job.weights->Row(i, weights.data());
    for (int j = 0; j < w; ++j, out += 3) {
      int e[3];
      if (job.level == 1) {
        const std::uint8_t* a = rows[0] + 3 * static_cast<std::ptrdiff_t>(j);
        e[0] = a[0];
        e[1] = a[1];
        e[2] = a[2];
      } else if (job.level == 2) {
        const std::uint8_t* a = rows[0] + 6 * static_cast<std::ptrdiff_t>(j);
        const std::uint8_t* b = rows[1] + 6 * static_cast<std::ptrdiff_t>(j);
        e[0] = (a[0] + a[3] + b[0] + b[3]) >> 2;
        e[1] = (a[1] + a[4] + b[1] + b[4]) >> 2;
        e[2] = (a[2] + a[5] + b[2] + b[5]) >> 2;
      } else {
        Average(job, rows, j, e);
      }
      if (!job.mixing) {
        out[0] = static_cast<std::uint8_t>(e[0]);
        out[1] = static_cast<std::uint8_t>(e[1]);
        out[2] = static_cast<std::uint8_t>(e[2]);
      } else if (evenMix) {
        const std::uint8_t* o = orig + 3 * static_cast<std::ptrdiff_t>(j);
        out[0] = table[e[0] * 256 + o[0]];
        out[1] = table[e[1] * 256 + o[1]];
        out[2] = table[e[2] * 256 + o[2]];
      } else {
        const std::uint8_t* o = orig + 3 * static_cast<std::ptrdiff_t>(j);
        const double l = weights[j];
        out[0] = static_cast<std::uint8_t>(e[0] * (1.0 - l) + o[0] * l);
        out[1] = static_cast<std::uint8_t>(e[1] * (1.0 - l) + o[1] * l);
        out[2] = static_cast<std::uint8_t>(e[2] * (1.0 - l) + o[2] * l);
      }
    }
  }
}

}  // namespace

void AAMixBlit(CDADC* dst, const CDADC* src, const CDADC* orig, const CImageMix* mix, std::stop_token stop) {
  if (dst == nullptr || src == nullptr) return;
  const int w = dst->GetWidth(), h = dst->GetHeight();
  if (orig != nullptr) {
    if (mix == nullptr) {
      TheLogger().Log(kLogDeferred, "AAMB: insufficient mix data");
      return;
    }
    if (orig->GetWidth() != w) {
      TheLogger().Log(kLogDeferred, "AAMB: Origin and destination\nx sizes are different...");
      return;
    }
    if (orig->GetHeight() != h) {
      TheLogger().Log(kLogDeferred, "AAMB: Origin and destination\ny sizes are different...");
      return;
    }
  }
  const bool mixing = mix != nullptr && mix->m_eGeom != eMixOff;

  // A failed output has no size: report it as a bad level rather than divide by zero.
  const int srcW = src->GetWidth(), srcH = src->GetHeight();
  const double ratioX = w > 0 ? static_cast<double>(srcW) / w : 0.0;
  const double ratioY = h > 0 ? static_cast<double>(srcH) / h : 0.0;
  if (ratioX != ratioY) {
    TheLogger().Log(kLogDeferred, "AAMixBlit, non square pixel error.\n\nYou may be running out of memory.");
    return;
  }
  const int level = static_cast<int>(ratioX);
  if (level < 1 || level > 4) {
    TheLogger().Log(kLogDeferred, "AAMixBlit, bad AA level: %d.\nYou may be running out of memory.", level);
    return;
  }
  if (level != srcW / w) {
    TheLogger().Log(kLogDeferred, "AAMixBlit, bad AA level: %d, odd sizes\nYou may be running out of memory.",
                    level);
    return;
  }
  if (!dst->IsValid() || !src->IsValid() || (orig != nullptr && !orig->IsValid())) return;

  if (level == 1 && !mixing) {
    if (!dst->GetDC().BitBlt(0, 0, w, h, src->GetDC(), 0, 0))
      TheLogger().Log(kLogDeferred, "Problems with AAMixBlit special case\n");
    return;
  }
  // Mixing asked for without an original: there is nothing to write.
  if (mixing && orig == nullptr) return;

  MixJob job;
  job.dst = dst->GetBlock();
  job.src = src->GetBlock();
  if (orig != nullptr) job.orig = orig->GetBlock();
  job.mix = mix;
  job.mixing = mixing;
  job.level = level;
  std::optional<MixRowWeights> rowWeights;
  if (mixing && mix->m_eGeom != eMixEven) {
    rowWeights.emplace(*mix, w, h);
    job.weights = &*rowWeights;
  }

  // Two bands on two threads for large pictures; every pixel is computed
  // independently, so the result does not depend on the split.
  if (static_cast<long long>(w) * h >= 1'000'000 && std::thread::hardware_concurrency() > 1) {
    const int middle = h / 2;
    std::thread worker([&job, middle, &stop] { MixRows(job, 0, middle, stop); });
    MixRows(job, middle, h, stop);
    worker.join();
  } else {
    MixRows(job, 0, h, stop);
  }
}

}  // namespace brisol
