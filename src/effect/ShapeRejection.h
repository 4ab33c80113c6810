// Why the shape loader left a file of an effect folder out (or could not list
// the folder at all), for callers that tell people in their own words.
#pragma once

#include <string>

namespace brisol {

struct ShapeRejection {
  enum class Reason {
    FolderUnreadable,  // the folder cannot be listed: error says why
    NotAFile,          // a folder, FIFO, device or socket named like a shape file: kind says which
    FileSize,          // size outside the shape files' sizes
    Unreadable,        // the DXF reader failed: line tells where (0: not opened, problem or error says why)
    NoEntities,
    NoUsefulEntities,  // no LINE, POLYLINE or CIRCLE
    AllHidden,         // all of these on layers that are off or frozen: it draws nothing
    NoSize,            // none of these has a size: it draws nothing
    TooMany,           // more shapes than an effect holds: the rest were left out
  };
  Reason reason = Reason::Unreadable;
  std::string path;             // the file, or the folder
  unsigned long long size = 0;  // FileSize
  int line = 0;                 // Unreadable
  int error = 0;                // FolderUnreadable, Unreadable without a line or problem: errno
  std::string kind;             // NotAFile: "a folder", "a named pipe (FIFO)"
  std::string problem;          // Unreadable without a line: the reader's words
};

// One clause naming the file (by its path) and the cause, such as
// "'a.dxf' is 120000 bytes; a shape file must be 100 to 100000 bytes" or
// "'/x/Stars': no such folder".
std::string DescribeRejection(const ShapeRejection& rejection);

}  // namespace brisol
