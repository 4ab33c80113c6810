// CForceField: the brightness of every pixel of a picture, stretched so that
// its darkest pixel is 0 and its brightest 255, with a histogram that turns
// an area percentage into a force threshold.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "raster/ByteBuffer.h"
#include "raster/Dadc.h"
#include "raster/WorkerPool.h"

namespace brisol {

class CForceField {
 public:
  CForceField() = default;
  explicit CForceField(const CDADC& picture);
  // A field that keeps no forces of its own: each force is worked out from
  // the picture when asked for (the same values), so the picture must
  // outlive the field. One byte a pixel less for drawings that ask for
  // few forces.
  // The picture is measured on the pool's threads when one is given;
  // progress(done) is told the slices of rows measured of SlicesOf(picture)
  // (from the calling thread).
  static CForceField OnDemand(const CDADC& picture, const WorkerPool* pool = nullptr,
                              const std::function<void(std::size_t)>& progress = {});
  static std::size_t SlicesOf(const CDADC& picture);

  int GetWidth() const { return m_iWidth; }
  int GetHeight() const { return m_iHeight; }
  // Whether the forces could be held. A field without forces answers 0
  // everywhere.
  bool HasForces() const { return static_cast<bool>(m_pForce); }

  // The force at (x, y), 0..255; callers stay inside the picture.
  unsigned GetForce(int x, int y) const {
    if (m_pForce) return m_pForce.data()[static_cast<std::size_t>(y) * m_iWidth + x];
    if (m_pPicture != nullptr) {
      const std::uint8_t* p = m_pPicture->GetBlock().Pixel(x, y);
      return m_normalised[(p[0] + p[1] + p[2]) / 3];
    }
    return 0u;
  }
  // The largest force n such that at least areaPercent of the pixels have a
  // force of n or more; 256 for an area of 0 or less, 0 for 100 or more.
  int GetMinForceFromArea(double areaPercent) const;

  void NormaliseForceField(int min, int max);
  void MakeHistogram();
  const std::array<unsigned, 256>* Histogram() const { return m_pHistogram ? &*m_pHistogram : nullptr; }

 private:
  // The brightness of every pixel: its lowest and highest, and how many
  // pixels have each.
  static void Measure(const CDADC& picture, const WorkerPool* pool, int& min, int& max,
                      std::array<unsigned, 256>& counts, const std::function<void(std::size_t)>& progress = {});

  ByteBuffer m_pForce;
  const CDADC* m_pPicture = nullptr;             // on demand: the picture
  std::array<std::uint8_t, 256> m_normalised{};  // on demand: brightness to force
  std::optional<std::array<unsigned, 256>> m_pHistogram;
  int m_iWidth = 0;
  int m_iHeight = 0;
};

}  // namespace brisol
