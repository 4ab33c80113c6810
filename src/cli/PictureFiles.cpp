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

}  // namespace brisol::cli
