// Path splitting and file-system tests.
#pragma once

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
// The last character; 0 for a null or empty string.
char LastChar(const char* text);

}  // namespace brisol
