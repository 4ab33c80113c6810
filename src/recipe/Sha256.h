// SHA-256 (FIPS 180-4): the fingerprint a recipe keeps of its photo and of
// its collection's drawings, so that a changed file is noticed.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace brisol {

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  void Update(std::span<const std::uint8_t> bytes);
  void Update(std::string_view text);
  // The digest of everything added; the object starts afresh afterwards.
  Digest Finish();

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> m_state{};
  std::array<std::uint8_t, 64> m_buffer{};
  std::size_t m_buffered = 0;
  std::uint64_t m_length = 0;  // bytes added
};

// 64 lower-case hexadecimal digits.
std::string HexDigest(const Sha256::Digest& digest);
std::string Sha256Hex(std::string_view bytes);

// The digest of a file's contents in hex; empty, with the system's reason in
// why, when it cannot be read.
std::string Sha256OfFile(const std::string& path, std::string* why = nullptr);

}  // namespace brisol
