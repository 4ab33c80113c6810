#include "effect/AAMixBlit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "logger/Format.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

// The average of the level x level block under output pixel j, per channel.
inline void Average(int level, const std::uint8_t* const* rows, int j, int out[3]) {
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

// Output rows a thread takes at a time.
constexpr int kRowsPerItem = 64;

}  // namespace

BandMixer::BandMixer(CDADC* dst, const SIZE& work, const CDADC* orig, const CImageMix* mix) {
  if (dst == nullptr) return;
  Init(dst->GetSize(), dst->IsValid(), work, orig, mix);
  if (m_valid) m_dst = dst->GetBlock();
}

BandMixer::BandMixer(const SIZE& out, const SIZE& work, const CDADC* orig, const CImageMix* mix) {
  Init(out, true, work, orig, mix);
}

void BandMixer::Refuse(std::string why) {
  TheLogger().Log(kLogInfo, "%s\n", why.c_str());
  m_refusal = std::move(why);
}

void BandMixer::Init(const SIZE& out, bool outValid, const SIZE& work, const CDADC* orig, const CImageMix* mix) {
  const int w = out.cx, h = out.cy;
  if (orig != nullptr) {
    if (mix == nullptr) {
      return Refuse("AAMB: insufficient mix data");
    }
    if (orig->GetWidth() != w) {
      return Refuse("AAMB: Origin and destination\nx sizes are different...");
    }
    if (orig->GetHeight() != h) {
      return Refuse("AAMB: Origin and destination\ny sizes are different...");
    }
  }
  const bool mixing = mix != nullptr && mix->m_eGeom != eMixOff;

  // A failed output has no size: report it as a bad level rather than divide by zero.
  const int srcW = work.cx, srcH = work.cy;
  const double ratioX = w > 0 ? static_cast<double>(srcW) / w : 0.0;
  const double ratioY = h > 0 ? static_cast<double>(srcH) / h : 0.0;
  if (ratioX != ratioY) {
    return Refuse("AAMixBlit, non square pixel error.\n\nYou may be running out of memory.");
  }
  const int level = static_cast<int>(ratioX);
  if (level < 1 || level > 4) {
    return Refuse(Format("AAMixBlit, bad AA level: %d.\nYou may be running out of memory.", level));
  }
  if (level != srcW / w) {
    return Refuse(Format("AAMixBlit, bad AA level: %d, odd sizes\nYou may be running out of memory.", level));
  }
  if (!outValid || (orig != nullptr && !orig->IsValid())) return;

  m_valid = true;
  m_mixing = mixing;
  m_level = level;
  m_dst = PixelBlock{nullptr, w, h, BytesPerRow24(w)};
  if (orig != nullptr) m_orig = orig->GetBlock();
  if (mixing && mix->m_eGeom == eMixEven) {
    // With a constant weight every (effect, original) pair has one answer.
    m_even = true;
    const double l = mix->m_iSharpness * 0.01;
    m_table.resize(256 * 256);
    for (int e = 0; e < 256; ++e)
      for (int o = 0; o < 256; ++o) m_table[e * 256 + o] = static_cast<std::uint8_t>(e * (1.0 - l) + o * l);
  } else if (mixing) {
    m_weights.emplace(*mix, w, h);
  }
}

void BandMixer::MixRows(const PixelBlock& src, int first, int last, const std::stop_token& stop) const {
  MixRows(src, first, last, stop, m_dst);
}

namespace {

enum class MixMode { kOff, kEven, kWeights };

// One output row: the level x level blocks of the working rows averaged,
// then mixed as the mode says. A loop of its own for each level and mode,
// so that nothing is decided per pixel.
template <int kLevel, MixMode kMode>
void MixRow(const std::uint8_t* const* rows, int level, const std::uint8_t* orig, const std::uint8_t* table,
            const double* weights, std::uint8_t* out, int w) {
  for (int j = 0; j < w; ++j, out += 3) {
    int e[3];
    if constexpr (kLevel == 1) {
      const std::uint8_t* a = rows[0] + 3 * static_cast<std::ptrdiff_t>(j);
      e[0] = a[0];
      e[1] = a[1];
      e[2] = a[2];
    } else if constexpr (kLevel == 2) {
      const std::uint8_t* a = rows[0] + 6 * static_cast<std::ptrdiff_t>(j);
      const std::uint8_t* b = rows[1] + 6 * static_cast<std::ptrdiff_t>(j);
      e[0] = (a[0] + a[3] + b[0] + b[3]) >> 2;
      e[1] = (a[1] + a[4] + b[1] + b[4]) >> 2;
      e[2] = (a[2] + a[5] + b[2] + b[5]) >> 2;
    } else {
      Average(level, rows, j, e);
    }
    if constexpr (kMode == MixMode::kOff) {
      out[0] = static_cast<std::uint8_t>(e[0]);
      out[1] = static_cast<std::uint8_t>(e[1]);
      out[2] = static_cast<std::uint8_t>(e[2]);
    } else if constexpr (kMode == MixMode::kEven) {
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

using MixRowFn = void (*)(const std::uint8_t* const*, int, const std::uint8_t*, const std::uint8_t*, const double*,
                          std::uint8_t*, int);

template <MixMode kMode>
MixRowFn MixRowFor(int level) {
  if (level == 1) return MixRow<1, kMode>;
  if (level == 2) return MixRow<2, kMode>;
  return MixRow<0, kMode>;
}

}  // namespace

void BandMixer::MixRows(const PixelBlock& src, int first, int last, const std::stop_token& stop,
                        const PixelBlock& into) const {
  if (!Writes() || into.bits == nullptr) return;
  const int w = m_dst.width;
  const int level = m_level;
  std::vector<double> weights;
  if (m_weights) weights.resize(static_cast<std::size_t>(w));
  const MixRowFn mixRow = !m_mixing ? MixRowFor<MixMode::kOff>(level)
                          : m_even  ? MixRowFor<MixMode::kEven>(level)
                                    : MixRowFor<MixMode::kWeights>(level);

  const std::uint8_t* rows[4];
  for (int i = first; i < last; ++i) {
    if (stop.stop_requested()) return;
    for (int r = 0; r < level; ++r) rows[r] = src.Row(level * i + r);
    std::uint8_t* out = into.Row(i);
    if (level == 1 && !m_mixing) {
      std::memcpy(out, rows[0], 3 * static_cast<std::size_t>(w));
      continue;
    }
    const std::uint8_t* orig = m_mixing ? m_orig.Row(i) : nullptr;
    if (m_weights) m_weights->Row(i, weights.data());
    mixRow(rows, level, orig, m_table.data(), weights.data(), out, w);
  }
}

Done AAMixBlit(CDADC* dst, const CDADC* src, const CDADC* orig, const CImageMix* mix, std::stop_token stop,
               const WorkerPool* pool) {
  if (dst == nullptr || src == nullptr) return {};
  const BandMixer mixer(dst, src->GetSize(), orig, mix);
  if (!mixer.IsValid() || !src->IsValid()) return mixer.Refusal();
  const int w = dst->GetWidth(), h = dst->GetHeight();
  if (mixer.Level() == 1 && !(mix != nullptr && mix->m_eGeom != eMixOff)) {
    if (!dst->GetDC().BitBlt(0, 0, w, h, src->GetDC(), 0, 0)) return Fail("Problems with AAMixBlit special case\n");
    return {};
  }
  // Mixing asked for without an original: there is nothing to write.
  if (!mixer.Writes()) return {};

  // Every pixel is computed independently, so the result does not depend
  // on how the rows are shared out.
  const PixelBlock block = src->GetBlock();
  const WorkerPool machine;
  const WorkerPool& workers = pool != nullptr ? *pool : machine;
  const std::size_t items = static_cast<std::size_t>((h + kRowsPerItem - 1) / kRowsPerItem);
  workers.ParallelFor(items, [&](std::size_t k) {
    const int first = static_cast<int>(k) * kRowsPerItem;
    mixer.MixRows(block, first, std::min(h, first + kRowsPerItem), stop);
  });
  return {};
}

}  // namespace brisol
