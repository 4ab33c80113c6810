#include "imageio/ImageSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "imageio/ImageLoad.h"
#include "imageio/PictureFormats.h"
#include "imageio/TemporaryFile.h"
#include "imageio/codecs/ImageCodec.h"
#include "logger/Format.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

SaveResult Failure(int code, std::string message) {
  TheLogger().Log(kLogInfo, "%s", message.c_str());
  return SaveResult{code, std::move(message)};
}

std::string SystemError(const char* what, const std::string& path, int error) {
  return Format("Cannot save '%s': %s (%s)", path.c_str(), what, std::strerror(error));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The mode a new file gets: what the user's umask allows of rw-rw-rw-.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Where a save of path writes: what a symbolic link points at, not the link;
// its folder; and the file's status if it exists.
struct Target {
  std::string path;
  std::string directory;
  bool exists = false;
  struct stat status {};
};

// Checks that a file can be written to path, as far as can be told before
// writing.
SaveResult CheckFileTarget(const std::string& path, Target& target) {
  target.path = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target.path = real;
      std::free(real);
    }
  }
  target.exists = ::stat(target.path.c_str(), &target.status) == 0;
  if (target.exists && !S_ISREG(target.status.st_mode)) {
    return Failure(kImgErrWrite, Format("Cannot save '%s': it is not a regular file", path.c_str()));
  }
  // Renaming over a file ignores its own permissions; respect them.
  if (target.exists && ::access(target.path.c_str(), W_OK) != 0) {
    return Failure(kImgErrWrite, SystemError("the file is write-protected", path, errno));
  }
  const std::size_t slash = target.path.rfind('/');
  target.directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.path.substr(0, slash));
  // The new file is made in the folder and renamed over the old one.
  struct stat folder {};
  if (::stat(target.directory.c_str(), &folder) != 0) {
    return Failure(kImgErrWrite, SystemError("cannot create a file in its folder", path, errno));
  }
  if (!S_ISDIR(folder.st_mode)) {
    return Failure(kImgErrWrite, SystemError("cannot create a file in its folder", path, ENOTDIR));
  }
  if (::access(target.directory.c_str(), W_OK | X_OK) != 0) {
    return Failure(kImgErrWrite, SystemError("cannot create a file in its folder", path, errno));
  }
  return {};
}

// The pattern of the temporary file beside the target: ".~NAME.XXXXXX",
// with NAME shortened as much as the folder's longest file name needs.
std::string TemporaryPattern(const Target& target) {
  const std::size_t slash = target.path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.path.substr(0, slash + 1);
  std::string name = target.path.substr(slash == std::string::npos ? 0 : slash + 1);
  const long longest = ::pathconf(target.directory.c_str(), _PC_NAME_MAX);
  const std::size_t limit = longest > 0 ? static_cast<std::size_t>(longest) : 255;
  constexpr std::size_t kAdded = 9;  // ".~" and ".XXXXXX"
  if (name.size() + kAdded > limit) name.resize(limit > kAdded ? limit - kAdded : 0);
  return folder + ".~" + name + ".XXXXXX";
}

// Checks that a picture can be saved to path: a known extension, then the file.
SaveResult CheckTarget(const std::string& path, Target& target) {
  if (PictureFormatOfName(path) == nullptr) {
    return Failure(kImgErrArgument, Format("Cannot save '%s': the picture type is not known by the name's extension "
                                           "(use %s)",
                                           path.c_str(), PictureExtensionsText().c_str()));
  }
  return CheckFileTarget(path, target);
}

// Writes the bytes to a temporary file beside the target and renames it over
// the target.
SaveResult WriteThroughTemporary(const Target& target, const std::string& path, std::span<const std::uint8_t> bytes) {
  // Removed on every way out but success, an ending signal included.
  TemporaryFile temporary(TemporaryPattern(target));
  if (temporary.fd() < 0) {
    return Failure(kImgErrWrite, SystemError("cannot create a file in its folder", path, temporary.error()));
  }
  bool written = WriteAll(temporary.fd(), bytes.data(), bytes.size());
  int error = errno;
  // The new file keeps the old one's permissions (a failure here costs only
  // that courtesy).
  if (written) (void)::fchmod(temporary.fd(), target.exists ? (target.status.st_mode & 07777) : NewFileMode());
  if (written && ::fsync(temporary.fd()) != 0) {
    written = false;
    error = errno;
  }
  if (!temporary.Close() && written) {
    written = false;
    error = errno;
  }
  if (!written) return Failure(kImgErrWrite, SystemError("writing failed", path, error));
  if (::rename(temporary.path().c_str(), target.path.c_str()) != 0) {
    return Failure(kImgErrWrite, SystemError("cannot replace the file", path, errno));
  }
  temporary.Keep();
  // Make the new name durable too.
  const int dirFd = ::open(target.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return {};
}

}  // namespace

SaveResult CheckSaveTarget(const std::string& path) {
  Target target;
  return CheckTarget(path, target);
}

SaveResult CheckFileTarget(const std::string& path) {
  Target target;
  return CheckFileTarget(path, target);
}

SaveResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  Target target;
  if (SaveResult checked = CheckFileTarget(path, target); !checked.ok()) return checked;
  return WriteThroughTemporary(target, path, bytes);
}

SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options) {
  if (!surface.IsValid()) {
    return Failure(kImgErrArgument, Format("Cannot save '%s': there is no picture", path.c_str()));
  }
  Target target;
  if (SaveResult checked = CheckTarget(path, target); !checked.ok()) return checked;
  const PictureFormat* format = PictureFormatOfName(path);
  if (format->imageType == kImageTypeJpg && (options.jpegQuality < 1 || options.jpegQuality > 100)) {
    return Failure(kImgErrArgument, Format("Cannot save '%s': JPEG quality %d is not within 1 to 100", path.c_str(),
                                           options.jpegQuality));
  }

  std::vector<std::uint8_t> bytes;
  int rc = kImgOk;
  try {
    rc = format->encode(surface.GetBlock(), options, bytes);
  } catch (const std::bad_alloc&) {
    rc = kImgErrNoMemory;
  }
  if (rc != kImgOk) {
    return Failure(rc, Format("Cannot save '%s': %s", path.c_str(), ImgResultText(rc)));
  }

  return WriteThroughTemporary(target, path, bytes);
}

}  // namespace brisol
