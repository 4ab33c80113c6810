#include "dxf/DxfGroupReader.h"

#include <climits>
#include <cstring>
#include <utility>

#include "logger/Alerts.h"
#include "logger/Trace.h"

namespace brisol {

void DxfGroupReader::Reset() {
  m_lines.Close();
  m_fileName.clear();
  m_lineCount = 0;
  m_code = -1;
  m_kind = DxfValueKind::Text;
  m_text.clear();
  m_double = 0.0;
  m_int = 0;
  m_lastReadOk = false;
}

bool DxfGroupReader::Open(const char* path) {
  if (!m_lines.Open(path)) {
    m_fileName.clear();
    return false;
  }
  m_fileName = path;
  return true;
}

void DxfGroupReader::OpenBytes(const std::string& name, std::string bytes) {
  m_lines.OpenBytes(std::move(bytes));
  m_fileName = name;
}

bool DxfGroupReader::ReadCountedLine() {
  if (!m_lines.ReadLine(m_line)) return false;
  if (m_lineCount < INT_MAX) ++m_lineCount;
  return true;
}

void DxfGroupReader::StoreValue() {
  // The value is a C string: it ends at the first zero byte.
  const std::size_t zero = m_line.find('\0');
  if (zero != std::string::npos) m_line.resize(zero);
  m_kind = ValueKindOfCode(m_code);
  m_text.clear();
  m_double = 0.0;
  m_int = 0;
  switch (m_kind) {
    case DxfValueKind::Text:
      m_text.assign(m_line, 0, kMaxValueText);
      break;
    case DxfValueKind::Double:
      m_double = DxfParseDouble(m_line.c_str());
      break;
    case DxfValueKind::Integer:
      m_int = DxfParseInt(m_line.c_str());
      break;
  }
}

bool DxfGroupReader::ReadGroup(int matchCode) {
  m_lastReadOk = false;
  if (!m_lines.IsOpen()) return false;
  for (;;) {
    if (!ReadCountedLine()) {
      TraceMsg("DXF_Error,could not read group code at\nline %d of <%s>", m_lineCount, m_fileName.c_str());
      m_code = -1;
      DxfMsgBox("ReadGroupFailed, group code:%d, line=%d\n", m_code, m_lineCount);
      return false;
    }
    const int code = DxfParseInt(m_line.c_str());
    m_code = code;
    if (code == kDxfCommentCode) {
      // A comment: its value line is read over, then the next group follows.
      if (!ReadCountedLine()) {
        TraceMsg("DXF_Error,could not read group value\nat line %d of <%s>", m_lineCount, m_fileName.c_str());
        DxfMsgBox("ReadGroupFailed, group code:%d, line=%d\n", code, m_lineCount);
        return false;
      }
      continue;
    }
    if (matchCode != kAnyCode && matchCode != code) {
      DxfWalertBox(kIconExclamation, "DXF_Error, match_code=%d\nbut code read = %d\nline %d of %s", matchCode, code,
                   m_lineCount, m_fileName.c_str());
      DxfMsgBox("ReadGroupFailed, group code:%d, line=%d\n", code, m_lineCount);
      return false;
    }
    if (!ReadCountedLine()) {
      TraceMsg("DXF_Error,could not read group value\nat line %d of <%s>", m_lineCount, m_fileName.c_str());
      DxfMsgBox("ReadGroupFailed, group code:%d, line=%d\n", code, m_lineCount);
      return false;
    }
    StoreValue();
    m_lastReadOk = true;
    return true;
  }
}

}  // namespace brisol
