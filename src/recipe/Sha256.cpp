#include "recipe/Sha256.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "raster/FileUtil.h"

namespace brisol {
namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<std::uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

Sha256::Sha256() : m_state(kInitial) {}

void Sha256::Block(const std::uint8_t* block) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i) {
    w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 | static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
  }
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
  std::uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + s1 + choose + kRound[i] + w[i];
    const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
  m_state[4] += e;
  m_state[5] += f;
  m_state[6] += g;
  m_state[7] += h;
}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
  m_length += bytes.size();
  const std::uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  if (m_buffered > 0) {
    const std::size_t take = std::min(n, m_buffer.size() - m_buffered);
    std::memcpy(m_buffer.data() + m_buffered, p, take);
    m_buffered += take;
    p += take;
    n -= take;
    if (m_buffered < m_buffer.size()) return;
    Block(m_buffer.data());
    m_buffered = 0;
  }
  for (; n >= 64; p += 64, n -= 64) Block(p);
  if (n > 0) std::memcpy(m_buffer.data(), p, n);
  m_buffered = n;
}

void Sha256::Update(std::string_view text) {
  Update(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Sha256::Digest Sha256::Finish() {
  const std::uint64_t bits = m_length * 8;
  // A one bit, zeros up to 56 bytes into a block, then the length in bits.
  std::uint8_t padding[72] = {0x80};
  const std::size_t zeros = (m_buffered < 56 ? 56 : 120) - m_buffered;
  for (int i = 0; i < 8; ++i)
    padding[zeros + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update(std::span<const std::uint8_t>(padding, zeros + 8));
  Digest digest;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[static_cast<std::size_t>(4 * i + j)] =
          static_cast<std::uint8_t>(m_state[static_cast<std::size_t>(i)] >> (24 - 8 * j));
  *this = Sha256();
  return digest;
}

std::string HexDigest(const Sha256::Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (std::uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return HexDigest(hash.Finish());
}

std::string Sha256OfFile(const std::string& path, std::string* why) {
  // A FIFO or device is refused rather than read for ever.
  std::string cause;
  const int fd = OpenRegularFile(path.c_str(), &cause);
  if (fd < 0) {
    if (why != nullptr) *why = cause;
    return {};
  }
  Sha256 hash;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (why != nullptr) *why = std::strerror(errno);
      ::close(fd);
      return {};
    }
    if (n == 0) break;
    hash.Update(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
  }
  ::close(fd);
  return HexDigest(hash.Finish());
}

}  // namespace brisol
