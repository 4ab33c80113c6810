// An owned block of bytes whose allocation may fail without throwing: the
// in-memory form of a packed DIB and of other large working buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace brisol {

class ByteBuffer {
 public:
  ByteBuffer() = default;

  // A zero-filled block of n bytes, or an empty buffer when n is 0 or the
  // memory cannot be had.
  static ByteBuffer Allocate(std::size_t n) {
    ByteBuffer buffer;
    if (n == 0) return buffer;
    buffer.m_data.reset(static_cast<std::uint8_t*>(std::calloc(n, 1)));
    if (buffer.m_data) buffer.m_size = n;
    return buffer;
  }

  // A copy of the bytes, or an empty buffer when the memory cannot be had.
  static ByteBuffer CopyOf(const void* bytes, std::size_t n) {
    ByteBuffer buffer = Allocate(n);
    if (buffer && n) std::memcpy(buffer.data(), bytes, n);
    return buffer;
  }

  std::uint8_t* data() { return m_data.get(); }
  const std::uint8_t* data() const { return m_data.get(); }
  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  explicit operator bool() const { return m_data != nullptr; }

  void reset() {
    m_data.reset();
    m_size = 0;
  }

 private:
  struct Free {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint8_t[], Free> m_data;
  std::size_t m_size = 0;
};

}  // namespace brisol
