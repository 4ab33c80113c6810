#include "imageio/LoadPicture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/PictureFormats.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

// The first bytes of the file, or why they cannot be had.
bool ReadHead(const std::string& path, std::vector<std::uint8_t>& head, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    why = "it is a folder";
    return false;
  }
  head.resize(16);
  const ssize_t n = ::read(fd, head.data(), head.size());
  const int error = errno;
  ::close(fd);
  if (n < 0) {
    why = std::strerror(error);
    return false;
  }
  head.resize(static_cast<std::size_t>(n));
  return true;
}

// The library refused a BMP file; its own DIB may still be paintable.
std::unique_ptr<CDADC> BmpFallback(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return nullptr;
  const ByteBuffer dib = ReadDibFile(file);
  std::fclose(file);
  return dib ? CreateBitmapDADC(dib, 0, 0) : nullptr;
}

}  // namespace

std::string OpenProblem(const std::string& path) {
  std::vector<std::uint8_t> head;
  std::string why;
  return ReadHead(path, head, why) ? std::string() : why;
}

LoadResult LoadPicture(const std::string& path) {
  LoadResult result;
  const auto fail = [&](int code, const std::string& cause) {
    result.code = code;
    result.message = "cannot read '" + path + "': " + cause;
    TheLogger().Log(kLogInfo, "%s (code %d)\n", result.message.c_str(), code);
    return std::move(result);
  };

  std::vector<std::uint8_t> head;
  std::string why;
  if (!ReadHead(path, head, why)) return fail(kImgErrOpen, why);
  const PictureFormat* format = PictureFormatOfName(path);
  if (format == nullptr) return fail(kImgErrArgument, "the name's extension is not one of " + PictureExtensionsText());
  if (head.empty()) return fail(kImgErrRead, "the file is empty (0 bytes)");
  if (format->hasSignature != nullptr && !format->hasSignature(head)) {
    why = "not a " + std::string(format->name) + " file";
    if (const PictureFormat* other = PictureFormatOfSignature(head))
      why += " (it is a " + std::string(other->name) + " file)";
    return fail(kImgErrSignature, why);
  }

  ImgImage image;
  const int rc = format->readImage(image, path.c_str());
  if (rc != kImgOk) {
    if (format->imageType == kImageTypeBmp) {
      if ((result.surface = BmpFallback(path))) return result;
    }
    return fail(rc, ImgResultText(rc));
  }
  // The decoded rows already have the surface's layout: hand them over.
  const int width = image.Width(), height = image.Height();
  Bgr24Image pixels;
  if (TakePixels(image, pixels) == kImgOk)
    result.surface = CDADC::Adopt(std::move(pixels.bits), pixels.width, pixels.height);
  if (!result.surface) {
    return fail(kImgErrNoMemory, "not enough memory for its picture of " + std::to_string(width) + " x " +
                                     std::to_string(height) + " pixels");
  }
  return result;
}

}  // namespace brisol
