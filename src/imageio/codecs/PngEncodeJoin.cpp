#include "imageio/codecs/PngEncodeJoin.h"

#include <array>
#include <cstring>

namespace brisol {
namespace {

constexpr int kMaxBits = 15;
// Codes up to this many bits are decoded by one table look-up.
constexpr int kTableBits = 10;

// Reads bits lowest first; past the end it reads zeros and notes it.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  // At least 32 of the next bits, lowest first.
  std::uint64_t Peek() const {
    const std::size_t byte = m_pos >> 3;
    std::uint64_t v = 0;
    if (byte + 8 <= m_size) {
      std::memcpy(&v, m_data + byte, 8);
    } else {
      for (std::size_t i = 0; byte + i < m_size && i < 8; ++i) v |= std::uint64_t{m_data[byte + i]} << (8 * i);
    }
    return v >> (m_pos & 7);
  }
  std::uint32_t Take(int n) {
    const std::uint32_t v = static_cast<std::uint32_t>(Peek() & ((std::uint64_t{1} << n) - 1));
    m_pos += static_cast<std::size_t>(n);
    return v;
  }
  void Skip(std::size_t n) { m_pos += n; }
  void AlignToByte() { m_pos = (m_pos + 7) & ~std::size_t{7}; }
  std::size_t Position() const { return m_pos; }
  bool Overrun() const { return m_pos > 8 * m_size; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

// A canonical Huffman code: a table for the short codes and the counts and
// symbols for decoding the long ones a bit at a time.
class Huffman {
 public:
  // False for lengths that make no usable code.
  bool Build(const std::uint8_t* lengths, int n) {
    std::array<int, kMaxBits + 1> count{};
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
      left = 2 * left - count[len];
      if (left < 0) return false;  // over-subscribed
    }
    m_count = count;
    std::array<int, kMaxBits + 2> offset{};
    for (int len = 1; len <= kMaxBits; ++len) offset[len + 1] = offset[len] + count[len];
    for (int s = 0; s < n; ++s)
      if (lengths[s] != 0) m_symbol[static_cast<std::size_t>(offset[lengths[s]]++)] = static_cast<std::uint16_t>(s);
    // The table: each short code, bits reversed (the stream sends codes
    // highest bit first), fills every entry it is a prefix of.
    m_table.fill(0);
    std::array<int, kMaxBits + 1> next{};
    int code = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      next[len] = code;
      code = (code + count[len]) << 1;
    }
    for (int s = 0; s < n; ++s) {
      const int len = lengths[s];
      if (len == 0 || len > kTableBits) continue;
      int c = next[len]++;
      int reversed = 0;
      for (int i = 0; i < len; ++i, c >>= 1) reversed = (reversed << 1) | (c & 1);
      for (int i = reversed; i < (1 << kTableBits); i += 1 << len)
        m_table[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>((s << 4) | len);
    }
    return true;
  }

  // The next symbol, or -1 for bits that are no code.
  int Decode(BitReader& in) const {
    const std::uint64_t bits = in.Peek();
    const std::uint16_t e = m_table[bits & ((1u << kTableBits) - 1)];
    if (e != 0) {
      in.Skip(e & 15);
      return e >> 4;
    }
    // A long code, a bit at a time.
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= static_cast<int>((bits >> (len - 1)) & 1);
      const int count = m_count[static_cast<std::size_t>(len)];
      if (code - count < first) {
        in.Skip(static_cast<std::size_t>(len));
        return m_symbol[static_cast<std::size_t>(index + (code - first))];
      }
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return -1;
  }

 private:
  std::array<std::uint16_t, 1 << kTableBits> m_table{};
  std::array<int, kMaxBits + 1> m_count{};
  std::array<std::uint16_t, 288> m_symbol{};
};

constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Walks the codes of one compressed block up to its end-of-block code.
bool SkipCodes(BitReader& in, const Huffman& literals, const Huffman& distances) {
  for (;;) {
    const int symbol = literals.Decode(in);
    if (symbol < 256) {
      if (symbol < 0 || in.Overrun()) return false;
      continue;
    }
    if (symbol == 256) return !in.Overrun();
    if (symbol > 285) return false;
    in.Skip(kLengthExtra[symbol - 257]);
    const int distance = distances.Decode(in);
    if (distance < 0 || distance >= 30) return false;
    in.Skip(kDistanceExtra[distance]);
    if (in.Overrun()) return false;
  }
}

bool ReadDynamicCodes(BitReader& in, Huffman& literals, Huffman& distances) {
  const int nLiterals = static_cast<int>(in.Take(5)) + 257;
  const int nDistances = static_cast<int>(in.Take(5)) + 1;
  const int nCodeLengths = static_cast<int>(in.Take(4)) + 4;
  if (nLiterals > 286 || nDistances > 30) return false;
  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::uint8_t codeLengths[19] = {};
  for (int i = 0; i < nCodeLengths; ++i) codeLengths[kOrder[i]] = static_cast<std::uint8_t>(in.Take(3));
  Huffman lengthCode;
  if (!lengthCode.Build(codeLengths, 19)) return false;
  std::uint8_t lengths[286 + 30] = {};
  for (int i = 0; i < nLiterals + nDistances;) {
    const int symbol = lengthCode.Decode(in);
    if (symbol < 0 || in.Overrun()) return false;
    if (symbol < 16) {
      lengths[i++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    int repeat = 0;
    std::uint8_t value = 0;
    if (symbol == 16) {
      if (i == 0) return false;
      value = lengths[i - 1];
      repeat = 3 + static_cast<int>(in.Take(2));
    } else if (symbol == 17) {
      repeat = 3 + static_cast<int>(in.Take(3));
    } else {
      repeat = 11 + static_cast<int>(in.Take(7));
    }
    if (i + repeat > nLiterals + nDistances) return false;
    while (repeat-- > 0) lengths[i++] = value;
  }
  if (lengths[256] == 0) return false;  // no end of block
  return literals.Build(lengths, nLiterals) && distances.Build(lengths + nLiterals, nDistances);
}

void BuildFixedCodes(Huffman& literals, Huffman& distances) {
  std::uint8_t lengths[288];
  for (int i = 0; i < 144; ++i) lengths[i] = 8;
  for (int i = 144; i < 256; ++i) lengths[i] = 9;
  for (int i = 256; i < 280; ++i) lengths[i] = 7;
  for (int i = 280; i < 288; ++i) lengths[i] = 8;
  literals.Build(lengths, 288);
  std::uint8_t d[30];
  for (std::uint8_t& l : d) l = 5;
  distances.Build(d, 30);
}

}  // namespace

bool FindDeflateEnds(const std::uint8_t* data, std::size_t size, DeflateEnds& ends) {
  BitReader in(data, size);
  Huffman literals, distances;
  for (;;) {
    const std::size_t header = in.Position();
    const bool final = in.Take(1) != 0;
    const std::uint32_t type = in.Take(2);
    if (type == 0) {
      in.AlignToByte();
      const std::uint32_t length = in.Take(16);
      const std::uint32_t check = in.Take(16);
      if ((length ^ 0xFFFFu) != check) return false;
      in.Skip(8 * std::size_t{length});
    } else if (type == 1) {
      BuildFixedCodes(literals, distances);
      if (!SkipCodes(in, literals, distances)) return false;
    } else if (type == 2) {
      if (!ReadDynamicCodes(in, literals, distances) || !SkipCodes(in, literals, distances)) return false;
    } else {
      return false;
    }
    if (in.Overrun()) return false;
    if (final) {
      ends.finalBlockBit = header;
      ends.endBit = in.Position();
      return true;
    }
  }
}

bool MakeDeflateStreamContinue(std::vector<std::uint8_t>& stream) {
  DeflateEnds ends;
  if (!FindDeflateEnds(stream.data(), stream.size(), ends)) return false;
  stream[ends.finalBlockBit >> 3] &= static_cast<std::uint8_t>(~(1u << (ends.finalBlockBit & 7)));
  // The stored block's three header bits (not final, stored) are zeros
  // after the last block; then the byte boundary, its length 0 and the
  // length's complement.
  const std::size_t headerEnd = ends.endBit + 3;
  stream.resize((headerEnd + 7) / 8, 0);
  if (const int used = static_cast<int>(ends.endBit & 7); used != 0 && (ends.endBit >> 3) < stream.size())
    stream[ends.endBit >> 3] &= static_cast<std::uint8_t>((1u << used) - 1);
  for (std::size_t i = (ends.endBit + 7) / 8; i < stream.size(); ++i) stream[i] = 0;
  static const std::uint8_t kEmptyStored[4] = {0x00, 0x00, 0xFF, 0xFF};
  stream.insert(stream.end(), kEmptyStored, kEmptyStored + 4);
  return true;
}

std::uint32_t CombineAdler32(std::uint32_t a, std::uint32_t b, std::uint64_t lengthOfB) {
  constexpr std::uint64_t kBase = 65521;
  const std::uint64_t rem = lengthOfB % kBase;
  std::uint64_t sum1 = a & 0xFFFF;
  std::uint64_t sum2 = (rem * sum1) % kBase;
  sum1 += (b & 0xFFFF) + kBase - 1;
  sum2 += (a >> 16) + (b >> 16) + kBase - rem;
  if (sum1 >= kBase) sum1 -= kBase;
  if (sum1 >= kBase) sum1 -= kBase;
  if (sum2 >= 2 * kBase) sum2 -= 2 * kBase;
  if (sum2 >= kBase) sum2 -= kBase;
  return static_cast<std::uint32_t>(sum1 | (sum2 << 16));
}

}  // namespace brisol
