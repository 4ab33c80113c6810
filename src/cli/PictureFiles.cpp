#include "PictureFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace brisol::cli {
namespace {

// The first bytes of the file, or the system's reason why they cannot be had.
bool ReadHead(const char* path, std::vector<std::uint8_t>& head, std::string& why) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    why = std::strerror(EISDIR);
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

}  // namespace

const PictureFormat* FormatOfFile(const char* path) {
  if (const PictureFormat* format = PictureFormatOfName(path)) return format;
  std::vector<std::uint8_t> head;
  std::string why;
  return ReadHead(path, head, why) ? PictureFormatOfSignature(head) : nullptr;
}

std::string OpenProblem(const char* path) {
  std::vector<std::uint8_t> head;
  std::string why;
  return ReadHead(path, head, why) ? std::string() : why;
}

std::string WhyUnreadable(const char* path) {
  std::vector<std::uint8_t> head;
  std::string why;
  if (!ReadHead(path, head, why)) return why;
  const PictureFormat* format = PictureFormatOfName(path);
  if (format == nullptr) return "the name's extension is not one of " + PictureExtensionsText();
  if (format->hasSignature != nullptr && !format->hasSignature(head)) {
    why = "not a " + std::string(format->name) + " file";
    if (const PictureFormat* other = PictureFormatOfSignature(head))
      why += " (it is a " + std::string(other->name) + " file)";
    return why;
  }
  ImageInfo info;
  int rc = format->info(path, info);
  if (rc == kImgOk) {
    ImgImage image;
    rc = allocimage(image, info.width, info.height, 24);
    if (rc == kImgOk) rc = format->load(path, image);
  }
  return rc == kImgOk ? std::string() : ImgResultText(rc);
}

}  // namespace brisol::cli
