#include "imageio/ImageSave.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imageio/codecs/ImageCodec.h"
#include "logger/Format.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

enum class SaveFormat { Unknown, Bmp, Tga, Jpeg, Pcx, Png };

SaveFormat FormatOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return SaveFormat::Unknown;
  const char* extension = path.c_str() + dot + 1;
  static const struct {
    const char* extension;
    SaveFormat format;
  } kFormats[] = {{"bmp", SaveFormat::Bmp}, {"tga", SaveFormat::Tga}, {"jpg", SaveFormat::Jpeg},
                  {"jpeg", SaveFormat::Jpeg}, {"pcx", SaveFormat::Pcx}, {"png", SaveFormat::Png}};
  for (const auto& f : kFormats) {
    if (strcasecmp(extension, f.extension) == 0) return f.format;
  }
  return SaveFormat::Unknown;
}

int Encode(SaveFormat format, const PixelBlock& picture, const SaveOptions& options, std::vector<std::uint8_t>& out) {
  switch (format) {
    case SaveFormat::Bmp: return EncodeBmp(picture, out);
    case SaveFormat::Tga: return EncodeTga(picture, out);
    case SaveFormat::Jpeg: return EncodeJpeg(picture, options.jpegQuality, out);
    case SaveFormat::Pcx: return EncodePcx(picture, out);
    case SaveFormat::Png: return EncodePngOnThreads(picture, out, options.threads);
    case SaveFormat::Unknown: break;
  }
  return kImgErrArgument;
}

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

}  // namespace

SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options) {
  if (!surface.IsValid()) {
    return Failure(kImgErrArgument, Format("Cannot save '%s': there is no picture", path.c_str()));
  }
  const SaveFormat format = FormatOf(path);
  if (format == SaveFormat::Unknown) {
    return Failure(kImgErrArgument,
                   Format("Cannot save '%s': the picture type is not known by the name's extension "
                                "(use .bmp, .tga, .jpg, .pcx or .png)",
                                path.c_str()));
  }
  if (format == SaveFormat::Jpeg && (options.jpegQuality < 1 || options.jpegQuality > 100)) {
    return Failure(kImgErrArgument, Format("Cannot save '%s': JPEG quality %d is not within 1 to 100",
                                                 path.c_str(), options.jpegQuality));
  }

  std::vector<std::uint8_t> bytes;
  int rc = kImgOk;
  try {
    rc = Encode(format, surface.GetBlock(), options, bytes);
  } catch (const std::bad_alloc&) {
    rc = kImgErrNoMemory;
  }
  if (rc != kImgOk) {
    return Failure(rc, Format("Cannot save '%s': %s", path.c_str(), ImgResultText(rc)));
  }

  // Replace what a symbolic link points at, not the link.
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    return Failure(kImgErrWrite, Format("Cannot save '%s': it is not a regular file", path.c_str()));
  }
  // Renaming over a file ignores its own permissions; respect them.
  if (exists && ::access(target.c_str(), W_OK) != 0) {
    return Failure(kImgErrWrite, SystemError("the file is write-protected", path, errno));
  }

  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string temporary = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".~" +
                          target.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Failure(kImgErrWrite, SystemError("cannot create a file in its folder", path, errno));

  bool written = WriteAll(fd, bytes.data(), bytes.size());
  int error = errno;
  // The new file keeps the old one's permissions (a failure here costs only
  // that courtesy).
  if (written) (void)::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode());
  if (written && ::fsync(fd) != 0) {
    written = false;
    error = errno;
  }
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    return Failure(kImgErrWrite, SystemError("writing failed", path, error));
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
    return Failure(kImgErrWrite, SystemError("cannot replace the file", path, error));
  }
  // Make the new name durable too.
  const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return {};
}

}  // namespace brisol
