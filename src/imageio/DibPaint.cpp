// Packed DIBs into drawing contexts and raster surfaces. Every DIB is first
// decoded to 24 bits by the one packed-DIB decoder, so whatever header,
// depth, bit-field or RLE variant it holds paints the same way.
#include <cstring>
#include <utility>

#include "imageio/Dib.h"
#include "imageio/codecs/ImageCodec.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/Numeric.h"

namespace brisol {
namespace {

Bytes View(const ByteBuffer& buffer) { return Bytes(buffer.data(), buffer.size()); }

void LogPaintFailure(bool stretch, int width, int height) {
  TheLogger().Log(kLogDeferred,
                  "Could not paint DIB, bStretch = %d, source size= %d %d\n** You may be running out of memory **\n",
                  stretch ? 1 : 0, width, height);
}

// The DIB's pixels, or an invalid image (the reason logged).
Bgr24Image DecodeDib(const ByteBuffer& dib) {
  Bgr24Image image;
  const int rc = DecodePackedDib(View(dib), image);
  if (rc != kImgOk) TheLogger().Log(kLogInfo, "Packed DIB not readable: %s (%d)", ImgResultText(rc), rc);
  return image;
}

bool Blit(DrawContext& dc, const RECT& dst, const Bgr24Image& image, const RECT& src, bool stretch) {
  const DrawContext source(image.Block());
  if (!stretch) return dc.BitBlt(dst.left, dst.top, dst.Width(), dst.Height(), source, src.left, src.top);
  return dc.StretchBlt(dst.left, dst.top, dst.Width(), dst.Height(), source, src.left, src.top, src.Width(),
                       src.Height());
}

}  // namespace

bool PaintDib(DrawContext& dc, const RECT& dst, const ByteBuffer& hDib, const RECT& src) {
  if (!hDib) return false;
  dc.SetStretchBltMode(COLORONCOLOR);
  const bool stretch = dst.Width() != src.Width() || dst.Height() != src.Height();
  const Bgr24Image image = DecodeDib(hDib);
  const bool ok = image.IsValid() && Blit(dc, dst, image, src, stretch);
  if (!ok) LogPaintFailure(stretch, dst.Width(), dst.Height());
  return ok;
}

std::unique_ptr<CDADC> CreateBitmapDADC(const ByteBuffer& hDib, double dBorderPercent, COLORREF crBorder) {
  if (!hDib) {
    AlertBox("CDADC::CBC: Bad DIB handle");
    return nullptr;
  }
  Bgr24Image image = DecodeDib(hDib);
  if (!image.IsValid()) {
    // Nothing can be painted; a black surface would pass for the picture.
    LogPaintFailure(false, DibWidth(hDib), DibHeight(hDib));
    return nullptr;
  }
  const int width = image.width, height = image.height;
  int border = 0;
  if (dBorderPercent > 0 && dBorderPercent <= 100) border = BorderFromPercent(dBorderPercent, SIZE{width, height});
  // Without a border the decoded rows are the surface's: no copy.
  if (border == 0) {
    if (auto surface = CDADC::Adopt(std::move(image.bits), width, height)) return surface;
    LogPaintFailure(false, width, height);
    return nullptr;
  }
  auto surface = std::make_unique<CDADC>(SIZE{width + 2 * border, height + 2 * border});
  if (!surface->IsValid()) return nullptr;  // the surface has logged why
  DrawContext& dc = surface->GetDC();
  if (border > 0) dc.FillSolidRect(0, 0, surface->GetWidth(), surface->GetHeight(), crBorder);
  dc.SetStretchBltMode(COLORONCOLOR);
  const RECT dst{border, border, border + width, border + height};
  if (!Blit(dc, dst, image, RECT{0, 0, width, height}, false)) {
    LogPaintFailure(false, width, height);
    return nullptr;
  }
  return surface;
}

std::unique_ptr<CDADC> CreateBitmapDADC(ByteBuffer&& hDib) {
  BITMAPINFOHEADER header;
  if (hDib && hDib.size() >= sizeof header) std::memcpy(&header, hDib.data(), sizeof header);
  const bool plain = hDib && hDib.size() >= sizeof header && header.biSize == sizeof header &&
                     header.biBitCount == 24 && header.biCompression == BI_RGB && header.biPlanes == 1 &&
                     header.biClrUsed == 0 && header.biWidth > 0 && header.biHeight > 0 &&
                     (hDib.size() - sizeof header) / ((header.biWidth * 3ull + 3) / 4 * 4) >=
                         static_cast<std::uint64_t>(header.biHeight);
  if (!plain) {
    const ByteBuffer dib = std::move(hDib);
    return CreateBitmapDADC(dib, 0, 0);
  }
  // Rows bottom-up and padded to 4 bytes, right after the header: the
  // surface's own layout.
  auto surface = CDADC::Adopt(ByteBuffer::Tail(std::move(hDib), sizeof header), header.biWidth, header.biHeight);
  if (!surface) LogPaintFailure(false, header.biWidth, header.biHeight);
  return surface;
}

std::unique_ptr<CDADC> DibToBitmap(const ByteBuffer& hDib) {
  if (!hDib) return nullptr;
  Bgr24Image image;
  if (DecodePackedDib(View(hDib), image) != kImgOk) return nullptr;
  return CDADC::Adopt(std::move(image.bits), image.width, image.height);
}

bool DrawImageIntoDlgRect(const CDADC& surface, DrawContext& dc, const RECT* ctrlRect) {
  if (ctrlRect == nullptr) {
    AlertBox("DrawImageIntoDlgRect, get coords failed\n");
    return false;
  }
  const RECT& rect = *ctrlRect;
  dc.FillSolidRect(rect, RGB(0, 0, 0));
  const long long cw = rect.Width(), ch = rect.Height();
  const long long w = surface.GetWidth(), h = surface.GetHeight();
  if (w < 1 || h < 1 || cw < 1 || ch < 1) return false;
  // Each side scales by the rectangle's extent on that side: exact
  // proportions in a square control.
  long long pw = cw, ph = h * ch / w;
  if (w < h) {
    pw = w * cw / h;
    ph = ch;
  }
  dc.SetStretchBltMode(COLORONCOLOR);
  return dc.StretchBlt(static_cast<int>(rect.left + (cw - pw) / 2), static_cast<int>(rect.top + (ch - ph) / 2),
                       static_cast<int>(pw), static_cast<int>(ph), surface.GetDC(), 0, 0, static_cast<int>(w),
                       static_cast<int>(h));
}

}  // namespace brisol
