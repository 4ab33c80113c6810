#include "effect/ForceField.h"

#include <algorithm>
#include <vector>

#include "logger/Logger.h"

namespace brisol {

CForceField::CForceField(const CDADC& picture) {
  m_iWidth = picture.GetWidth();
  m_iHeight = picture.GetHeight();
  const std::size_t count = static_cast<std::size_t>(m_iWidth) * static_cast<std::size_t>(m_iHeight);
  if (count > 0) {
    m_pForce = ByteBuffer::Allocate(count);
    if (!m_pForce) {
      TheLogger().Log(kLogInfo, "CForceField::CForceField (CDADC* pDADC) failed\n");
      // Without room for the forces every force counts as 0, and the
      // histogram says so, so that thresholds stay consistent with it.
      m_pHistogram.emplace();
      m_pHistogram->fill(0);
      (*m_pHistogram)[0] = static_cast<unsigned>(count);
      return;
    }
  }

  int min = 20000000;
  int max = 0;
  const PixelBlock block = picture.GetBlock();
  for (int i = 0; i < m_iHeight; ++i) {
    const std::uint8_t* p = block.Row(i);
    std::uint8_t* out = m_pForce.data() + static_cast<std::size_t>(i) * m_iWidth;
    int rowMin = 255, rowMax = 0;
    for (int j = 0; j < m_iWidth; ++j, p += 3) {
      const int brightness = (p[0] + p[1] + p[2]) / 3;
      out[j] = static_cast<std::uint8_t>(brightness);
      rowMin = brightness < rowMin ? brightness : rowMin;
      rowMax = brightness > rowMax ? brightness : rowMax;
    }
    if (m_iWidth > 0) {
      min = rowMin < min ? rowMin : min;
      max = rowMax > max ? rowMax : max;
    }
  }
  NormaliseForceField(min, max);
  MakeHistogram();
}

namespace {
// Rows in slices, each slice counted apart and the counts added up.
constexpr int kRowsPerSlice = 256;
}  // namespace

std::size_t CForceField::SlicesOf(const CDADC& picture) {
  return static_cast<std::size_t>((std::max(picture.GetHeight(), 0) + kRowsPerSlice - 1) / kRowsPerSlice);
}

void CForceField::Measure(const CDADC& picture, const WorkerPool* pool, int& min, int& max,
                          std::array<unsigned, 256>& counts, const std::function<void(std::size_t)>& progress) {
  const PixelBlock block = picture.GetBlock();
  const std::size_t slices = SlicesOf(picture);
  std::vector<std::array<unsigned, 256>> sliceCounts(slices);
  auto count = [&](std::size_t k) {
    std::array<unsigned, 256>& c = sliceCounts[k];
    c.fill(0);
    const int first = static_cast<int>(k) * kRowsPerSlice;
    for (int i = first; i < std::min(block.height, first + kRowsPerSlice); ++i) {
      const std::uint8_t* p = block.Row(i);
      for (int j = 0; j < block.width; ++j, p += 3) ++c[(p[0] + p[1] + p[2]) / 3];
    }
  };
  if (pool != nullptr) {
    pool->ParallelFor(slices, count, progress);
  } else {
    for (std::size_t k = 0; k < slices; ++k) {
      count(k);
      if (progress) progress(k + 1);
    }
  }
  counts.fill(0);
  for (const auto& c : sliceCounts)
    for (int v = 0; v < 256; ++v) counts[v] += c[v];
  min = 20000000;
  max = 0;
  for (int v = 0; v < 256; ++v) {
    if (counts[v] == 0) continue;
    min = std::min(min, v);
    max = std::max(max, v);
  }
}

CForceField CForceField::OnDemand(const CDADC& picture, const WorkerPool* pool,
                                  const std::function<void(std::size_t)>& progress) {
  CForceField field;
  field.m_iWidth = picture.GetWidth();
  field.m_iHeight = picture.GetHeight();
  int min = 0, max = 0;
  std::array<unsigned, 256> counts{};
  Measure(picture, pool, min, max, counts, progress);
  // What NormaliseForceField would make of each brightness.
  for (int v = 0; v < 256; ++v) field.m_normalised[v] = static_cast<std::uint8_t>(v);
  if (max - min < 0) {
    TheLogger().Log(kLogError, "ERROR in input parameteres of NormaliseForceField\nMax = %d, Min = %d\n", max, min);
  } else if (max == min) {
    TheLogger().Log(kLogInfo, "***WARNING*** NormaliseForceField(%d,%d) no normalization\n", max, min);
  } else {
    for (int v = min; v <= max; ++v) field.m_normalised[v] = static_cast<std::uint8_t>((v - min) * 255 / (max - min));
  }
  field.m_pHistogram.emplace();
  field.m_pHistogram->fill(0);
  for (int v = 0; v < 256; ++v) (*field.m_pHistogram)[field.m_normalised[v]] += counts[v];
  if (picture.IsValid()) field.m_pPicture = &picture;
  return field;
}

void CForceField::NormaliseForceField(int min, int max) {
  if (max - min < 0) {
    TheLogger().Log(kLogError, "ERROR in input parameteres of NormaliseForceField\nMax = %d, Min = %d\n", max, min);
    return;
  }
  if (max == min) {
    TheLogger().Log(kLogInfo, "***WARNING*** NormaliseForceField(%d,%d) no normalization\n", max, min);
    return;
  }
  if (!m_pForce) return;
  std::uint8_t table[256] = {};
  for (int v = min; v <= max; ++v) table[v] = static_cast<std::uint8_t>((v - min) * 255 / (max - min));
  std::uint8_t* force = m_pForce.data();
  const std::size_t count = m_pForce.size();
  for (std::size_t i = 0; i < count; ++i) force[i] = table[force[i]];
}

void CForceField::MakeHistogram() {
  m_pHistogram.emplace();
  m_pHistogram->fill(0);
  if (!m_pForce) return;
  // Four interleaved counters avoid stalls on runs of equal values.
  unsigned counts[4][256] = {};
  const std::uint8_t* force = m_pForce.data();
  const std::size_t count = m_pForce.size();
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    ++counts[0][force[i]];
    ++counts[1][force[i + 1]];
    ++counts[2][force[i + 2]];
    ++counts[3][force[i + 3]];
  }
  for (; i < count; ++i) ++counts[0][force[i]];
  for (int v = 0; v < 256; ++v) (*m_pHistogram)[v] = counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v];
}

int CForceField::GetMinForceFromArea(double areaPercent) const {
  if (!m_pHistogram) {
    TheLogger().Log(kLogError, "ERROR in GetMinForceFromArea, NULL histogram");
    return 127;
  }
  if (areaPercent <= 0.0) return 256;
  if (areaPercent >= 100.0) return 0;
  const long long pixels = static_cast<long long>(m_iWidth) * m_iHeight;
  const long long target = static_cast<long long>(areaPercent * static_cast<double>(pixels) * 0.01);
  long long sum = 0;
  for (int n = 255; n >= 0; --n) {
    sum += (*m_pHistogram)[n];
    if (sum >= target) return n;
  }
  return 1;
}

}  // namespace brisol
