// An owned block of bytes whose allocation may fail without throwing: the
// in-memory form of a packed DIB and of other large working buffers.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace brisol {

namespace detail {

// Frees a calloc'ed block (from base when the data starts further in), or
// unmaps a mapped one (length set).
struct ByteBufferFree {
  void* base = nullptr;
  std::size_t length = 0;
  void operator()(std::uint8_t* p) const {
    if (length != 0)
      munmap(base, length);
    else
      std::free(base != nullptr ? base : p);
  }
};

}  // namespace detail

class ByteBuffer {
  static constexpr std::size_t kHugePage = 2u << 20;
  static constexpr std::size_t kLargeBlock = 8u << 20;

  using Owner = std::unique_ptr<std::uint8_t[], detail::ByteBufferFree>;

 public:
  ByteBuffer() = default;

  // A zero-filled block of n bytes, or an empty buffer when n is 0 or the
  // memory cannot be had. Large blocks (whole pictures) are mapped on huge
  // page boundaries but not offered for huge pages: measured on a machine
  // whose memory others share, a huge page's first touch waits for the
  // kernel to gather free memory (900 MB took a median 3.2 s against 1.15 s
  // in small pages, up to 8 s), which cost a 300-megapixel render 60 % more
  // time, while a 12-megapixel render drew no faster.
  static ByteBuffer Allocate(std::size_t n) {
    ByteBuffer buffer;
    if (n == 0) return buffer;
    if (n >= kLargeBlock) {
      const std::size_t length = n + kHugePage;
      void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (base == MAP_FAILED) return buffer;
      const std::uintptr_t start =
          (reinterpret_cast<std::uintptr_t>(base) + kHugePage - 1) & ~static_cast<std::uintptr_t>(kHugePage - 1);
      buffer.m_data = Owner(reinterpret_cast<std::uint8_t*>(start), detail::ByteBufferFree{base, length});
    } else {
      buffer.m_data.reset(static_cast<std::uint8_t*>(std::calloc(n, 1)));
    }
    if (buffer.m_data) buffer.m_size = n;
    return buffer;
  }

  // A copy of the bytes, or an empty buffer when the memory cannot be had.
  static ByteBuffer CopyOf(const void* bytes, std::size_t n) {
    ByteBuffer buffer = Allocate(n);
    if (buffer && n) std::memcpy(buffer.data(), bytes, n);
    return buffer;
  }

  // The bytes of whole from offset on, taking its memory over without
  // copying; empty when offset lies beyond its end.
  static ByteBuffer Tail(ByteBuffer&& whole, std::size_t offset) {
    ByteBuffer tail;
    if (!whole || offset >= whole.m_size) return tail;
    detail::ByteBufferFree free = whole.m_data.get_deleter();
    if (free.base == nullptr) free.base = whole.m_data.get();
    tail.m_size = whole.m_size - offset;
    tail.m_data = Owner(whole.m_data.release() + offset, free);
    whole.m_size = 0;
    return tail;
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
  Owner m_data;
  std::size_t m_size = 0;
};

}  // namespace brisol
