// The group layer of the DXF reader: one group (a code line and a value line)
// at a time, with the value typed by its code, the line counter and the name
// of the file for the messages.
//
// Comment groups (code 999) carry no data: they are read over wherever a
// group is read, so a drawing may begin with one.
#pragma once

#include <string>

#include "dxf/DxfGroupCodes.h"
#include "dxf/DxfLineReader.h"

namespace brisol {

class DxfGroupReader {
 public:
  // The longest text value kept, without its terminating zero.
  static constexpr std::size_t kMaxValueText = 1022;
  // Accepts any code in ReadGroup.
  static constexpr int kAnyCode = -1;

  DxfGroupReader() = default;
  DxfGroupReader(const DxfGroupReader&) = delete;
  DxfGroupReader& operator=(const DxfGroupReader&) = delete;

  // Closes the input, empties the file name, sets the line counter to 0,
  // the code to -1 and the value to empty.
  void Reset();
  // Opens a file (binary mode) and takes its name for the messages; false
  // when it cannot be opened, the name then stays empty.
  bool Open(const char* path);
  // Reads bytes as the file of the given name (tests, in-memory input).
  void OpenBytes(const std::string& name, std::string bytes);
  void Close() { m_lines.Close(); }
  bool IsOpen() const { return m_lines.IsOpen(); }
  // Why the last Open failed, in words; empty after a successful one.
  const std::string& OpenProblem() const { return m_lines.OpenProblem(); }

  // Reads one group into the current group. matchCode -1 accepts any code;
  // another value demands that code. False, with the messages, when the
  // input ends or the code differs; false without a message when no input
  // is open.
  bool ReadGroup(int matchCode);
  // The last ReadGroup succeeded.
  bool LastReadOk() const { return m_lastReadOk; }

  int Code() const { return m_code; }
  DxfValueKind Kind() const { return m_kind; }
  // The value as its code stores it; the others read as 0 or empty.
  const std::string& Text() const { return m_text; }
  double Double() const { return m_double; }
  int Int() const { return m_int; }
  // Exact, case-sensitive comparison of the text value.
  bool TextIs(const char* text) const { return m_text == text; }
  // The current group has code 0 and the given text.
  bool Is0(const char* text) const { return m_code == 0 && m_text == text; }

  int LineCount() const { return m_lineCount; }
  const std::string& FileName() const { return m_fileName; }

 private:
  bool ReadCountedLine();
  void StoreValue();

  DxfLineReader m_lines;
  std::string m_fileName;
  std::string m_line;
  int m_lineCount = 0;
  int m_code = -1;
  DxfValueKind m_kind = DxfValueKind::Text;
  std::string m_text;
  double m_double = 0.0;
  int m_int = 0;
  bool m_lastReadOk = false;
};

}  // namespace brisol
