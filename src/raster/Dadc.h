// CDADC: the program's one in-memory picture. A 24-bit blue-green-red pixel
// block, rows padded to 4 bytes and stored bottom-up, with a drawing context
// that draws into the same pixels. New surfaces are black.
//
// A surface whose construction failed (absurd size, no memory) has no
// pixels; the failure has been logged. A default-constructed surface owns
// nothing.
#pragma once

#include <memory>
#include <string>

#include "raster/ByteBuffer.h"
#include "raster/DrawContext.h"
#include "raster/Types.h"

namespace brisol {

class CDADC {
 public:
  CDADC() = default;
  explicit CDADC(const SIZE& size);
  CDADC(const SIZE& size, COLORREF fill);
  CDADC(const CDADC& src);
  CDADC(CDADC&& other) noexcept;
  CDADC& operator=(CDADC&& other) noexcept;
  CDADC& operator=(const CDADC&) = delete;
  ~CDADC();

  // A surface that takes over a pixel block of this size (rows bottom-up,
  // padded to 4 bytes, at least that many bytes) without copying it; null
  // when the sizes disagree.
  static std::unique_ptr<CDADC> Adopt(ByteBuffer&& pixels, int width, int height);

  // The two construction steps; each logs what failed and returns false.
  bool ConstructForSize(const SIZE& size);
  bool InitData(const BITMAPINFO* bmi);

  bool IsValid() const { return m_pBits != nullptr; }
  DrawContext& GetDC() { return m_dc; }
  const DrawContext& GetDC() const { return m_dc; }
  int GetWidth() const { return m_iWidth; }
  int GetHeight() const { return m_iHeight; }
  SIZE GetSize() const { return {m_iWidth, m_iHeight}; }
  int GetBytesPerRow() const { return m_iBytesPerRow; }
  int GetImageSize() const { return m_iImageSize; }
  std::uint8_t* GetBits() { return m_pBits; }
  const std::uint8_t* GetBits() const { return m_pBits; }
  PixelBlock GetBlock() const { return m_dc.block(); }
  const BITMAPINFO& GetBitmapInfo() const { return m_BitmapInfo; }
  const BITMAPFILEHEADER& GetFileHeader() const { return m_FileHeader; }

 private:
  void Release();
  void Attach(ByteBuffer&& block, int width, int height, const BITMAPINFO& bmi);

  DrawContext m_dc;
  ByteBuffer m_block;
  std::uint8_t* m_pBits = nullptr;
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBytesPerRow = 0;
  int m_iImageSize = 0;
  BITMAPINFO m_BitmapInfo{};
  BITMAPFILEHEADER m_FileHeader{};
  bool m_constructionFailed = false;
};

// A new surface of |width x scale| by |height x scale| (each at least 1)
// with the whole source stretched into it by whole pixels; null on failure.
std::unique_ptr<CDADC> CreateScaledCopy(double scale, const CDADC& src);
// A scaled copy whose longer side is maxSide pixels.
std::unique_ptr<CDADC> CreateThumbnail(const CDADC& src, unsigned maxSide);

// The largest pixel block a surface may have, in bytes.
constexpr long long kMaxSurfaceBytes = 0x7FFFFFFFLL;

}  // namespace brisol
