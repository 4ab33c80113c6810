// Path splitting and file-system tests.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace brisol {

// Splits a path into drive (always empty on this system), directory with
// its trailing '/', name without extension, and extension with its dot.
// Any output may be null. A null path is reported and every part left
// empty; paths have no length limit of their own.
void MySplitPath(std::string* drive, std::string* directory, std::string* name, std::string* extension,
                 const char* path);

bool FileExists(const std::string& path);
// Whether both paths name one existing file, through links or other paths.
bool SameFile(const std::string& a, const std::string& b);
bool IsDirectory(const std::string& path);
// Size in bytes; 0 when the path cannot be examined.
std::uint64_t FileSize(const std::string& path);
// What a file that is not a regular one is, in words ("a folder", "a named
// pipe (FIFO)", "a character device", "a block device", "a socket", "a
// special file"); null for a regular file.
const char* SpecialFileKind(mode_t mode);

// Opens a regular file for reading without ever waiting: a folder, FIFO,
// device or socket is refused before anything is read from it (a FIFO would
// wait for a writer for ever, a device may never end). Returns the
// descriptor (close-on-exec), or -1 with errno set and, when why is given,
// the cause in words: "it is a folder", "it is a named pipe (FIFO), not a
// regular file", or the system's reason ("No such file or directory");
// special, when given, is set for a FIFO, device or socket (not for a
// folder or the system's reasons).
int OpenRegularFile(const char* path, std::string* why = nullptr, bool* special = nullptr);

// The last character; 0 for a null or empty string.
char LastChar(const char* text);

}  // namespace brisol
