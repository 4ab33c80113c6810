#include "dxf/DxfLineReader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "raster/FileUtil.h"

namespace brisol {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

}  // namespace

bool DxfLineReader::Open(const char* path) {
  Close();
  m_openProblem.clear();
  if (path == nullptr) return false;
  const int fd = OpenRegularFile(path, &m_openProblem);
  if (fd < 0) return false;
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    m_openProblem = std::strerror(errno);
    ::close(fd);
    return false;
  }
  m_file.reset(file);
  m_open = true;
  return true;
}

void DxfLineReader::OpenBytes(std::string bytes) {
  Close();
  m_bytes = std::move(bytes);
  m_open = true;
}

void DxfLineReader::Close() {
  m_file.reset();
  m_bytes.clear();
  m_pos = 0;
  m_open = false;
  m_terminated = false;
  m_error = false;
}

bool DxfLineReader::Refill() {
  if (!m_file || m_error) return false;
  m_bytes.resize(kChunkSize);
  const std::size_t got = std::fread(m_bytes.data(), 1, kChunkSize, m_file.get());
  m_bytes.resize(got);
  m_pos = 0;
  if (got == 0) {
    if (std::ferror(m_file.get())) m_error = true;
    return false;
  }
  return true;
}

int DxfLineReader::Peek() {
  if (m_pos >= m_bytes.size() && !Refill()) return -1;
  return static_cast<unsigned char>(m_bytes[m_pos]);
}

bool DxfLineReader::ReadLine(std::string& text) {
  text.clear();
  m_terminated = false;
  if (!m_open || m_error) return false;
  int taken = 0;  // characters of this piece, terminator included
  bool any = false;
  while (taken < kMaxPiece) {
    // Copy a run of ordinary bytes at once.
    if (m_pos >= m_bytes.size() && !Refill()) break;
    const char* begin = m_bytes.data() + m_pos;
    const std::size_t avail = m_bytes.size() - m_pos;
    std::size_t limit = static_cast<std::size_t>(kMaxPiece - taken);
    if (limit > avail) limit = avail;
    std::size_t n = 0;
    while (n < limit && begin[n] != '\n' && begin[n] != '\r') ++n;
    if (n > 0) {
      text.append(begin, n);
      m_pos += n;
      taken += static_cast<int>(n);
      any = true;
      continue;
    }
    const char c = *begin;
    ++m_pos;
    any = true;
    if (c == '\n') {
      m_terminated = true;
      return true;
    }
    // A carriage return ends the line only with a line feed after it.
    if (Peek() == '\n') {
      ++m_pos;
      m_terminated = true;
      return true;
    }
    text.push_back('\r');
    ++taken;
  }
  if (m_error) {
    text.clear();
    return false;
  }
  return any;
}

}  // namespace brisol
