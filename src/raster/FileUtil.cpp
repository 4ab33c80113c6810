#include "raster/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "logger/Alerts.h"

namespace brisol {

void MySplitPath(std::string* drive, std::string* directory, std::string* name, std::string* extension,
                 const char* path) {
  std::string dirPart, namePart, extPart;
  if (path == nullptr) {
    WalertBox(kIconExclamation, "BadStringPointer in MySplitPath");
  } else {
    const std::string full = path;
    const std::size_t slash = full.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    dirPart = full.substr(0, nameStart);
    const std::string file = full.substr(nameStart);
    const std::size_t dot = file.rfind('.');
    namePart = dot == std::string::npos ? file : file.substr(0, dot);
    extPart = dot == std::string::npos ? std::string() : file.substr(dot);
  }
  if (drive) drive->clear();
  if (directory) *directory = dirPart;
  if (name) *name = namePart;
  if (extension) *extension = extPart;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::uint64_t FileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

const char* SpecialFileKind(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

namespace {

int Refused(mode_t mode, std::string* why, bool* special) {
  if (special) *special = !S_ISDIR(mode);
  const char* kind = SpecialFileKind(mode);
  if (why) *why = std::string("it is ") + kind + (S_ISDIR(mode) ? "" : ", not a regular file");
  errno = S_ISDIR(mode) ? EISDIR : EINVAL;
  return -1;
}

int Failed(int error, std::string* why) {
  if (why) *why = std::strerror(error);
  errno = error;
  return -1;
}

}  // namespace

int OpenRegularFile(const char* path, std::string* why, bool* special) {
  if (special) *special = false;
  if (path == nullptr) return Failed(EFAULT, why);
  // Looked at before opening, so that opening has no effect on a device;
  // and again once open, as the name may have been given to another file
  // meanwhile. Without O_NONBLOCK opening a FIFO waits for a writer.
  struct stat info {};
  if (::stat(path, &info) != 0) return Failed(errno, why);
  if (!S_ISREG(info.st_mode)) return Refused(info.st_mode, why, special);
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Failed(errno, why);
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return Failed(error, why);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return Refused(info.st_mode, why, special);
  }
  // Reading a regular file never waits; plain blocking reads from here on.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

char LastChar(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  return text[std::strlen(text) - 1];
}

}  // namespace brisol
