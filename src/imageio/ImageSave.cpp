#include "imageio/ImageSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
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

std::string CannotSave(const std::string& path, const std::string& why) {
  return "Cannot save " + QuotedName(path) + ": " + why;
}

std::string SystemError(const char* what, const std::string& path, int error) {
  return CannotSave(path, Format("%s (%s)", what, std::strerror(error)));
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

// Where a save of path writes: what a symbolic link points at (through
// further links), not the link, even when that does not exist yet; its
// folder; and the file's status if it exists.
struct Target {
  std::string path;
  std::string directory;
  bool exists = false;
  struct stat status {};
};

// The file a chain of symbolic links ends at (the path itself when it is no
// link); 0, or the system's error when the chain cannot be followed.
int FollowLinks(const std::string& path, std::string& end) {
  constexpr int kMostLinks = 40;  // as the system follows them
  end = path;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    struct stat st {};
    // Nothing there (a new file is made), or a path the checks below tell.
    if (::lstat(end.c_str(), &st) != 0) return 0;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(end.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<std::size_t>(n));
    if (link.empty()) return ENOENT;
    const std::size_t slash = end.rfind('/');
    end = link[0] == '/' || slash == std::string::npos ? link : end.substr(0, slash + 1) + link;
  }
  return ELOOP;
}

// A picture of this size does not fit a file of the format: the one line
// that says so, naming the format's limit; empty when it fits.
std::string SizeProblem(const PictureFormat& format, SIZE size) {
  if (size.cx <= format.maxWidth && size.cy <= format.maxHeight) return {};
  return Format("a %.*s file holds at most %d x %d pixels; the picture is %d x %d",
                static_cast<int>(format.name.size()), format.name.data(), format.maxWidth, format.maxHeight, size.cx,
                size.cy);
}

// Checks that a save can go to path, as far as can be told before writing
// (a size of 0 x 0: the size is not known yet).
SaveResult CheckTarget(const std::string& path, SIZE size, Target& target) {
  const PictureFormat* format = PictureFormatOfName(path);
  if (format == nullptr) {
    return Failure(kImgErrArgument, CannotSave(path, "the picture type is not known by the name's extension (use " +
                                                         PictureExtensionsText() + ")"));
  }
  if (const std::string tooLarge = SizeProblem(*format, size); !tooLarge.empty()) {
    return Failure(kImgErrDimensions, CannotSave(path, tooLarge));
  }
  if (const int error = FollowLinks(path, target.path); error != 0) {
    return Failure(kImgErrWrite, SystemError("its symbolic link cannot be followed", path, error));
  }
  target.exists = ::stat(target.path.c_str(), &target.status) == 0;
  if (target.exists && !S_ISREG(target.status.st_mode)) {
    return Failure(kImgErrWrite, CannotSave(path, "it is not a regular file"));
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

// The temporary files of saves that were killed are removed by the next
// save into their folder once they are this old: no save takes that long.
constexpr std::chrono::hours kStaleTemporaryAge{24};

bool IsPictureName(std::string_view name) { return PictureFormatOfName(name) != nullptr; }

}  // namespace

SaveResult CheckSaveTarget(const std::string& path, SIZE size) {
  Target target;
  return CheckTarget(path, size, target);
}

SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options) {
  if (!surface.IsValid()) return Failure(kImgErrArgument, CannotSave(path, "there is no picture"));
  Target target;
  if (SaveResult checked = CheckTarget(path, surface.GetSize(), target); !checked.ok()) return checked;
  const PictureFormat* format = PictureFormatOfName(path);
  if (format->imageType == kImageTypeJpg && (options.jpegQuality < 1 || options.jpegQuality > 100)) {
    return Failure(kImgErrArgument,
                   CannotSave(path, Format("JPEG quality %d is not within 1 to 100", options.jpegQuality)));
  }

  std::vector<std::uint8_t> bytes;
  int rc = kImgOk;
  try {
    rc = format->encode(surface.GetBlock(), options, bytes);
  } catch (const std::bad_alloc&) {
    rc = kImgErrNoMemory;
  }
  if (rc != kImgOk) return Failure(rc, CannotSave(path, ImgResultText(rc)));

  RemoveStaleTemporaryFiles(target.directory, kStaleTemporaryAge, IsPictureName);
  // Removed on every way out but success, an ending signal included.
  TemporaryFile temporary(TemporaryPatternBeside(target.path, target.directory));
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

}  // namespace brisol
