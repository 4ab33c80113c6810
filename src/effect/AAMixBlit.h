// The last step of every drawing: the working picture (a whole multiple of
// the output's size) is averaged down block by block and mixed with the
// original through the mix geometry, in one pass.
#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "effect/ImageMix.h"
#include "logger/Outcome.h"
#include "raster/Dadc.h"
#include "raster/WorkerPool.h"

namespace brisol {

// dst: the output picture (w x h); src: the working picture (L w x L h,
// L = 1..4); orig: the original (w x h) or null for no mixing; mix: the mix
// description (needed when orig is given). A refusal (sizes that do not
// fit) leaves dst as it was and comes back as the failure. A stop request
// ends the work at the next row, leaving the rest of dst unwritten. The
// rows are shared out over the pool's threads (by default, the machine's).
Done AAMixBlit(CDADC* dst, const CDADC* src, const CDADC* orig, const CImageMix* mix, std::stop_token stop = {},
               const WorkerPool* pool = nullptr);

// The reduce-and-mix of AAMixBlit for a working picture that is only ever
// held a band of rows at a time.
class BandMixer {
 public:
  // Checks the sizes as AAMixBlit does; a refused mixer is not valid,
  // writes nothing and tells why in Refusal.
  BandMixer(CDADC* dst, const SIZE& work, const CDADC* orig, const CImageMix* mix);
  // The same for an output of that size that exists only as the rows each
  // MixRows call is given.
  BandMixer(const SIZE& out, const SIZE& work, const CDADC* orig, const CImageMix* mix);

  bool IsValid() const { return m_valid; }
  // Why the sizes were refused; done when valid, or when there are no
  // pixels to write into or mix with.
  Done Refusal() const { return m_refusal.empty() ? Done() : Fail(m_refusal); }
  int Level() const { return m_level; }
  // Whether the output is written at all (not when mixing is asked for
  // without an original).
  bool Writes() const { return m_valid && !(m_mixing && !m_orig.IsValid()); }

  // Writes output rows [first, last) from rows [L first, L last) of the
  // working picture, which src holds. Thread-safe for disjoint rows.
  void MixRows(const PixelBlock& src, int first, int last, const std::stop_token& stop) const;
  // The same into into, which holds those rows, addressed as the output's.
  void MixRows(const PixelBlock& src, int first, int last, const std::stop_token& stop, const PixelBlock& into) const;
  SIZE OutputSize() const { return SIZE{m_dst.width, m_dst.height}; }
  // Whether there is an output picture, or only the rows MixRows is given.
  bool HasOutput() const { return m_dst.bits != nullptr; }
  const PixelBlock& Output() const { return m_dst; }

 private:
  void Init(const SIZE& out, bool outValid, const SIZE& work, const CDADC* orig, const CImageMix* mix);
  void Refuse(std::string why);

  bool m_valid = false;
  std::string m_refusal;
  bool m_mixing = false;
  bool m_even = false;
  int m_level = 1;
  PixelBlock m_dst;
  PixelBlock m_orig;                  // no bits: no mixing
  std::vector<std::uint8_t> m_table;  // even mix: the result for (effect, original)
  std::optional<MixRowWeights> m_weights;
};

}  // namespace brisol
