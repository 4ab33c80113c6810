// The lowest layer of the DXF reader: the lines of a file, read as bytes.
//
// A line ends at a line feed or at a carriage return followed by a line feed;
// the terminator counts as one character and is not part of the line. A lone
// carriage return is an ordinary character. Nothing else is trimmed. A line is
// read in pieces of at most kMaxPiece characters (terminator included), so a
// longer line comes back as two or more pieces, the first ones unterminated.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace brisol {

class DxfLineReader {
 public:
  // The line buffer of the reader: one piece and its terminating zero.
  static constexpr int kLineBufferSize = 1024;
  static constexpr int kMaxPiece = kLineBufferSize - 1;

  DxfLineReader() = default;
  DxfLineReader(const DxfLineReader&) = delete;
  DxfLineReader& operator=(const DxfLineReader&) = delete;

  // Opens a file for reading in binary mode; false when it cannot be opened
  // or is no regular file (a FIFO or device is never waited on; the reader
  // is then closed, and OpenProblem tells why).
  bool Open(const char* path);
  // Why the last Open failed, in words ("No such file or directory", "it is
  // a named pipe (FIFO), not a regular file"); empty after a successful one.
  const std::string& OpenProblem() const { return m_openProblem; }
  // Reads the given bytes as if they were a file.
  void OpenBytes(std::string bytes);
  void Close();
  bool IsOpen() const { return m_open; }

  // Reads the next piece into text (without its terminator). False at the end
  // of the input or on a read error, text then empty.
  bool ReadLine(std::string& text);
  // The last ReadLine ended a line (false for the first pieces of a long line
  // and for a last line without terminator).
  bool LastTerminated() const { return m_terminated; }
  // A read error happened (as opposed to the end of the input).
  bool ReadError() const { return m_error; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // The next byte without taking it, or -1 at the end of the input.
  int Peek();
  bool Refill();

  std::unique_ptr<std::FILE, FileCloser> m_file;
  std::string m_bytes;
  std::string m_openProblem;
  std::size_t m_pos = 0;
  bool m_open = false;
  bool m_terminated = false;
  bool m_error = false;
};

}  // namespace brisol
