#include "imageio/FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "imageio/codecs/ImageCodec.h"
#include "raster/FileUtil.h"

namespace brisol {

int ReadFileBytes(const char* path, ByteBuffer& bytes, std::uint64_t maxBytes, std::uint64_t* fileSize) {
  if (path == nullptr) return kImgErrArgument;
  bool special = false;
  const int fd = OpenRegularFile(path, nullptr, &special);
  if (fd < 0) return special ? kImgErrNotRegular : kImgErrOpen;
  struct stat st {};
  int rc = kImgOk;
  ByteBuffer data;
  if (::fstat(fd, &st) != 0) {
    rc = kImgErrRead;
  } else {
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (fileSize) *fileSize = size;
    const std::uint64_t wanted = size < maxBytes ? size : maxBytes;
    if (wanted > kMaxPictureFileBytes) {
      rc = kImgErrTooLarge;
    } else if (wanted > 0) {
      data = ByteBuffer::Allocate(static_cast<std::size_t>(wanted));
      if (!data) rc = kImgErrNoMemory;
      std::size_t done = 0;
      while (rc == kImgOk && done < wanted) {
        const ssize_t n = ::read(fd, data.data() + done, static_cast<std::size_t>(wanted) - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
          rc = kImgErrRead;  // an error, or the file shrank meanwhile
        else
          done += static_cast<std::size_t>(n);
      }
    }
  }
  ::close(fd);
  if (rc == kImgOk) bytes = std::move(data);
  return rc;
}

}  // namespace brisol
