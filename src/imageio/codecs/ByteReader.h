// Bounds-checked little-endian reads from a file held in memory. Every read
// says whether the bytes were there; nothing is read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace brisol {

// Little-endian values at an address the caller has already checked.
inline std::uint16_t LoadU16LE(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t LoadU32LE(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

  std::size_t Size() const { return m_data.size(); }
  std::size_t Pos() const { return m_pos; }
  std::size_t Remaining() const { return m_data.size() - m_pos; }
  bool Has(std::uint64_t n) const { return n <= Remaining(); }
  bool AtEnd() const { return m_pos == m_data.size(); }

  // Moves to an absolute position; false (position unchanged) beyond the end.
  bool Seek(std::uint64_t pos) {
    if (pos > m_data.size()) return false;
    m_pos = static_cast<std::size_t>(pos);
    return true;
  }
  bool Skip(std::uint64_t n) {
    if (!Has(n)) return false;
    m_pos += static_cast<std::size_t>(n);
    return true;
  }

  bool U8(std::uint8_t& v) {
    if (!Has(1)) return false;
    v = m_data[m_pos++];
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (!Has(2)) return false;
    v = LoadU16LE(m_data.data() + m_pos);
    m_pos += 2;
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (!Has(4)) return false;
    v = LoadU32LE(m_data.data() + m_pos);
    m_pos += 4;
    return true;
  }
  bool I32(std::int32_t& v) {
    std::uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<std::int32_t>(u);
    return true;
  }

  // The next n bytes as a view (and moves past them); false when fewer remain.
  bool Take(std::uint64_t n, std::span<const std::uint8_t>& bytes) {
    if (!Has(n)) return false;
    bytes = m_data.subspan(m_pos, static_cast<std::size_t>(n));
    m_pos += static_cast<std::size_t>(n);
    return true;
  }

 private:
  std::span<const std::uint8_t> m_data;
  std::size_t m_pos = 0;
};

}  // namespace brisol
