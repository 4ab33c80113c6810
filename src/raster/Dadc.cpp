#include "raster/Dadc.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "logger/Logger.h"

namespace brisol {
namespace {

// The header of a bottom-up 24-bit picture.
BITMAPINFO Header24(int width, int height) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  return bmi;
}

}  // namespace

CDADC::CDADC(const SIZE& size) {
  if (!ConstructForSize(size)) {
    TheLogger().Log(kLogDeferred,
                    "CDADC::CDADC (const SIZE& Size) failed with\nConstructForSize (%d %d). You may be running\n"
                    "out of memory",
                    size.cx, size.cy);
  }
}

CDADC::CDADC(const SIZE& size, COLORREF fill) {
  if (ConstructForSize(size)) {
    if (fill != 0) m_dc.FillSolidRect(0, 0, m_iWidth, m_iHeight, fill);
  } else {
    TheLogger().Log(kLogDeferred, "CDADC::CDADC (const SIZE& Size) failed with\nConstructForSize (%d %d)", size.cx,
                    size.cy);
  }
}

CDADC::CDADC(const CDADC& src) {
  if (ConstructForSize(src.GetSize())) m_dc.BitBlt(0, 0, m_iWidth, m_iHeight, src.m_dc, 0, 0);
}

CDADC::CDADC(CDADC&& other) noexcept { *this = std::move(other); }

CDADC& CDADC::operator=(CDADC&& other) noexcept {
  if (this == &other) return *this;
  m_dc = std::exchange(other.m_dc, DrawContext());
  m_block = std::move(other.m_block);
  m_pBits = std::exchange(other.m_pBits, nullptr);
  m_iWidth = std::exchange(other.m_iWidth, 0);
  m_iHeight = std::exchange(other.m_iHeight, 0);
  m_iBytesPerRow = std::exchange(other.m_iBytesPerRow, 0);
  m_iImageSize = std::exchange(other.m_iImageSize, 0);
  m_BitmapInfo = std::exchange(other.m_BitmapInfo, BITMAPINFO{});
  m_FileHeader = std::exchange(other.m_FileHeader, BITMAPFILEHEADER{});
  m_constructionFailed = std::exchange(other.m_constructionFailed, false);
  return *this;
}

CDADC::~CDADC() {
  if (m_constructionFailed) TheLogger().Log(kLogInfo, "CDADC::~CDADC, did not delete dib of CDADC");
}

void CDADC::Release() {
  m_dc = DrawContext();
  m_block.reset();
  m_pBits = nullptr;
  m_iWidth = m_iHeight = m_iBytesPerRow = m_iImageSize = 0;
}

bool CDADC::ConstructForSize(const SIZE& size) {
  m_constructionFailed = true;
  if (size.cx < 1 || size.cy < 1) {
    TheLogger().Log(kLogDeferred, "CDADC::ConstructForSize() strange\nsizes : %d by %d.", size.cx, size.cy);
    return false;
  }
  Release();

  const BITMAPINFO bmi = Header24(size.cx, size.cy);
  if (!InitData(&bmi)) {
    TheLogger().Log(kLogDeferred,
                    "CDADC::ConstructForSize (%d,%d),\ncannot InitData(). You may be running\nout of memory.", size.cx,
                    size.cy);
    return false;
  }
  m_constructionFailed = false;
  return true;
}

bool CDADC::InitData(const BITMAPINFO* bmi) {
  if (bmi == nullptr) return false;
  if (m_pBits != nullptr) {
    TheLogger().Log(kLogDeferred, "CDADC::InitData called with non NULL pBits");
    return false;
  }
  const int width = bmi->bmiHeader.biWidth;
  const int height = bmi->bmiHeader.biHeight;
  if (width < 1) {
    TheLogger().Log(kLogDeferred, "CDADC::InitData called width=%d", width);
    return false;
  }
  if (height < 1) {
    TheLogger().Log(kLogDeferred, "CDADC::InitData called height=%d", height);
    return false;
  }

  // Refuse blocks beyond what an int can address before asking for memory.
  const long long stride = ((static_cast<long long>(width) * 3 + 3) / 4) * 4;
  const long long bytes = stride * height;
  ByteBuffer block;
  if (bytes <= kMaxSurfaceBytes) {
    block = ByteBuffer::Allocate(static_cast<std::size_t>(bytes));  // zero-filled: black
  }
  if (!block) {
    errno = ENOMEM;
    TheLogger().Log(kLogDeferred, "(pixel block of %d pixels by %d)\nYou may be running out of memory.", width, height);
    TheLogger().LogSystemError(kLogInfo, "Allocating the pixel block", "CDADC InitData");
    return false;
  }

  Attach(std::move(block), width, height, *bmi);
  return true;
}

void CDADC::Attach(ByteBuffer&& block, int width, int height, const BITMAPINFO& bmi) {
  m_block = std::move(block);
  m_pBits = m_block.data();
  m_iWidth = width;
  m_iHeight = height;
  m_iBytesPerRow = BytesPerRow24(width);
  m_iImageSize = m_iBytesPerRow * height;
  m_dc = DrawContext(PixelBlock{m_pBits, m_iWidth, m_iHeight, m_iBytesPerRow});
  m_dc.SetStretchBltMode(COLORONCOLOR);

  m_FileHeader.bfType = kBmpMagic;
  m_FileHeader.bfSize = static_cast<std::uint32_t>(m_iImageSize) + 54u;
  m_FileHeader.bfReserved1 = 0;
  m_FileHeader.bfReserved2 = 0;
  m_FileHeader.bfOffBits = 54;
  m_BitmapInfo = bmi;
  m_BitmapInfo.bmiColors[0] = RGBQUAD{};
  m_constructionFailed = false;
}

std::unique_ptr<CDADC> CDADC::Adopt(ByteBuffer&& pixels, int width, int height) {
  if (width < 1 || height < 1 || !pixels) return nullptr;
  const long long bytes = ((static_cast<long long>(width) * 3 + 3) / 4) * 4 * height;
  if (bytes > kMaxSurfaceBytes || static_cast<long long>(pixels.size()) < bytes) return nullptr;
  const BITMAPINFO bmi = Header24(width, height);
  auto surface = std::make_unique<CDADC>();
  surface->Attach(std::move(pixels), width, height, bmi);
  return surface;
}

std::unique_ptr<CDADC> CreateScaledCopy(double scale, const CDADC& src) {
  auto side = [scale](int length) {
    const double scaled = std::fabs(length * scale);
    if (!(scaled >= 1.0)) return 1;  // also for NaN
    if (scaled > 0x7FFFFFFF) return 0x7FFFFFFF;
    return static_cast<int>(scaled);
  };
  auto copy = std::make_unique<CDADC>(SIZE{side(src.GetWidth()), side(src.GetHeight())});
  if (!copy->IsValid() || !src.IsValid()) return nullptr;
  copy->GetDC().SetStretchBltMode(COLORONCOLOR);
  copy->GetDC().StretchBlt(0, 0, copy->GetWidth(), copy->GetHeight(), src.GetDC(), 0, 0, src.GetWidth(),
                           src.GetHeight());
  return copy;
}

std::unique_ptr<CDADC> CreateThumbnail(const CDADC& src, unsigned maxSide) {
  const int longer = std::max(src.GetWidth(), src.GetHeight());
  if (longer < 1) return nullptr;
  return CreateScaledCopy(static_cast<double>(maxSide) / longer, src);
}

}  // namespace brisol
