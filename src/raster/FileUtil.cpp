#include "raster/FileUtil.h"

#include <sys/stat.h>

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

char LastChar(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  return text[std::strlen(text) - 1];
}

}  // namespace brisol
