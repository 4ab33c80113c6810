// Resizing a raster surface through the imaging layer's resample.
#include <cstring>
#include <string>

#include "imageio/Dib.h"
#include "imageio/Imaging.h"
#include "imageio/codecs/MemoryBudget.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

// Copies rows between a surface's pixel block and an image, both in block
// order.
void CopyRows(const std::uint8_t* from, int fromStride, std::uint8_t* to, int toStride, int rows, int rowBytes) {
  for (int i = 0; i < rows; ++i) {
    std::memcpy(to + static_cast<std::ptrdiff_t>(i) * toStride, from + static_cast<std::ptrdiff_t>(i) * fromStride,
                static_cast<std::size_t>(rowBytes));
  }
}

// What a person sees when the memory runs out; the code goes to the log.
constexpr const char* kNoMemory = "Resize, insufficient memory\nTry closing some documents or images";

std::string SizeText(SIZE size) { return std::to_string(size.cx) + " x " + std::to_string(size.cy); }

}  // namespace

Done CheckResize(SIZE from, SIZE to) {
  if (to.cx < 1 || to.cy < 1) return Fail(Status::Invalid, "the size " + SizeText(to) + " has a side below 1 pixel");
  const long long pixels = static_cast<long long>(to.cx) * to.cy;
  if (pixels > kMaxImagePixels) {
    return Fail(Status::Invalid, "the size " + SizeText(to) + " has " + std::to_string((pixels + 999'999) / 1'000'000) +
                                     " megapixels; the most a picture may have is " +
                                     std::to_string(kMaxImagePixels / 1'000'000) + " megapixels");
  }
  if (from.cx < 1 || from.cy < 1) return {};  // nothing to resize: told by the resize itself
  const std::uint64_t work = ResizeWorkBytes(from.cx, from.cy, to.cx, to.cy);
  if (work > kMaxResizeWorkBytes) {
    return Fail(Status::NoMemory, "resizing " + SizeText(from) + " pixels to " + SizeText(to) + " needs " +
                                      MemoryText(work) + " of working memory; the most the resampler can use is " +
                                      MemoryText(kMaxResizeWorkBytes));
  }
  const std::uint64_t steps = ResizeFilterSteps(from.cx, from.cy, to.cx, to.cy);
  if (steps > kMaxResizeFilterSteps) {
    return Fail("resizing " + SizeText(from) + " pixels to " + SizeText(to) + " would take the resampler " +
                std::to_string(steps / 1'000'000'000) + " billion steps; the most it is given is " +
                std::to_string(kMaxResizeFilterSteps / 1'000'000'000) + " billion");
  }
  // A copy of the picture, the new one and its surface, and the work.
  const std::uint64_t need = PictureBytes(from.cx, from.cy) + 2 * PictureBytes(to.cx, to.cy) + work;
  if (const std::uint64_t available = AvailableMemory(); need > available) {
    return Fail(Status::NoMemory, "resizing " + SizeText(from) + " pixels to " + SizeText(to) + " needs " +
                                      MemoryText(need) + " of memory; " + MemoryText(available) + " are available");
  }
  return {};
}

bool ResizeImage(std::unique_ptr<CDADC>* ppSurface, SIZE newSize) {
  if (newSize.cx == 0 || newSize.cy == 0) {
    TheLogger().Log(kLogError, "ResizeImage (%d %d)", newSize.cx, newSize.cy);
    return false;
  }
  const CDADC* old = ppSurface && *ppSurface && (*ppSurface)->IsValid() ? ppSurface->get() : nullptr;
  if (old != nullptr) {
    if (const Done possible = CheckResize(old->GetSize(), newSize); !possible) {
      TheLogger().Log(kLogError, "Cannot resize: %s", possible.message().c_str());
      return false;
    }
  }

  ImgImage oldImage;
  int rc = allocimage(oldImage, old ? old->GetWidth() : 0, old ? old->GetHeight() : 0, 24);
  if (rc != kImgOk) {
    TheLogger().Log(kLogInfo, "ResizeImage, allocimage (OldImage) failed, rcode: %d", rc);
    if (rc == kImgErrNoMemory) {
      TheLogger().Log(kLogError, "%s", kNoMemory);
    } else {
      TheLogger().Log(kLogError, "Resize: there is no picture to resize");
    }
    return false;
  }
  CopyRows(old->GetBits(), old->GetBytesPerRow(), oldImage.Buffer(), oldImage.BytesPerRow(), old->GetHeight(),
           oldImage.BytesPerRow());

  ImgImage newImage;
  rc = allocimage(newImage, newSize.cx, newSize.cy, 24);
  if (rc != kImgOk) {
    TheLogger().Log(kLogInfo, "ResizeImage, allocimage (NewImage) failed, rcode: %d", rc);
    if (rc == kImgErrNoMemory) {
      TheLogger().Log(kLogError, "%s", kNoMemory);
    } else {
      TheLogger().Log(kLogError, "Resize to %d x %d: %s", newSize.cx, newSize.cy, ImgResultText(rc));
    }
    return false;
  }
  rc = resizeex(oldImage, newImage, kResizeAreaCorrect);
  if (rc != kImgOk) {
    TheLogger().Log(kLogInfo, "ResizeImage, resizeex failed, rcode: %d", rc);
    TheLogger().Log(kLogError, "Resize to %d x %d failed: %s", newSize.cx, newSize.cy, ImgResultText(rc));
    return false;
  }
  freeimage(oldImage);

  // The new surface is made before the old one goes, so a failure here
  // still leaves the old picture in place.
  auto resized = std::make_unique<CDADC>(newSize);
  if (!resized->IsValid()) return false;  // the surface has logged why
  CopyRows(newImage.Buffer(), newImage.BytesPerRow(), resized->GetBits(), resized->GetBytesPerRow(),
           resized->GetHeight(), newImage.BytesPerRow());
  *ppSurface = std::move(resized);
  return true;
}

}  // namespace brisol
