// Deflate streams compressed apart and joined must inflate to the joined
// data, whatever the compression level (stored, fixed and dynamic blocks),
// the data and the pieces' sizes; sums of pieces combine into the sum of
// the whole.
#include "imageio/codecs/PngEncodeJoin.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <string>
#include <vector>

namespace brisol {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Data of a few kinds: runs, a photo's slow gradients, noise, text.
Bytes MakeData(int kind, std::size_t n, unsigned seed) {
  Bytes d(n);
  unsigned state = seed;
  for (std::size_t i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    switch (kind) {
      case 0:
        d[i] = static_cast<std::uint8_t>((i / 300) & 7);
        break;
      case 1:
        d[i] = static_cast<std::uint8_t>(i / 7 + (state >> 30));
        break;
      case 2:
        d[i] = static_cast<std::uint8_t>(state >> 24);
        break;
      default:
        d[i] = static_cast<std::uint8_t>("the quick brown fox "[(state >> 20) % 20]);
        break;
    }
  }
  return d;
}

Bytes Compress(const Bytes& data, int level) {
  libdeflate_compressor* c = libdeflate_alloc_compressor(level);
  Bytes out(libdeflate_deflate_compress_bound(c, data.size()));
  out.resize(libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size()));
  libdeflate_free_compressor(c);
  return out;
}

TEST(PngEncodeJoin, FindsTheFinalBlockAndTheEndOfEveryStream) {
  for (int level : {0, 1, 2, 6, 12}) {
    for (int kind = 0; kind < 4; ++kind) {
      for (std::size_t n :
           {std::size_t{0}, std::size_t{1}, std::size_t{100}, std::size_t{70000}, std::size_t{900000}}) {
        const Bytes stream = Compress(MakeData(kind, n, 3), level);
        DeflateEnds ends;
        ASSERT_TRUE(FindDeflateEnds(stream.data(), stream.size(), ends)) << level << " " << kind << " " << n;
        EXPECT_EQ((ends.endBit + 7) / 8, stream.size()) << level << " " << kind << " " << n;
        EXPECT_NE(stream[ends.finalBlockBit / 8] & (1u << (ends.finalBlockBit % 8)), 0u) << "final flag";
      }
    }
  }
}

TEST(PngEncodeJoin, PiecesJoinedInflateToTheWholeData) {
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  unsigned seed = 1;
  for (int level : {0, 1, 2, 9}) {
    for (const std::vector<std::size_t>& sizes :
         {std::vector<std::size_t>{5}, {0, 10, 0}, {200000, 1, 65536, 300000}, {1 << 20, 3000}}) {
      Bytes whole, joined;
      for (std::size_t i = 0; i < sizes.size(); ++i) {
        const Bytes piece = MakeData(static_cast<int>(seed % 4), sizes[i], seed);
        ++seed;
        whole.insert(whole.end(), piece.begin(), piece.end());
        Bytes stream = Compress(piece, level);
        if (i + 1 < sizes.size()) {
          ASSERT_TRUE(MakeDeflateStreamContinue(stream));
        }
        joined.insert(joined.end(), stream.begin(), stream.end());
      }
      Bytes back(whole.size() + 1);
      std::size_t got = 0, used = 0;
      ASSERT_EQ(
          libdeflate_deflate_decompress_ex(d, joined.data(), joined.size(), back.data(), back.size(), &used, &got),
          LIBDEFLATE_SUCCESS)
          << "level " << level;
      EXPECT_EQ(used, joined.size());
      back.resize(got);
      EXPECT_EQ(back, whole) << "level " << level;
    }
  }
  libdeflate_free_decompressor(d);
}

TEST(PngEncodeJoin, DamagedStreamsAreRefusedAndLeftAsTheyWere) {
  const Bytes good = Compress(MakeData(1, 50000, 9), 2);
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, good.size() / 2, good.size() - 1}) {
    Bytes cutShort(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    const Bytes before = cutShort;
    EXPECT_FALSE(MakeDeflateStreamContinue(cutShort)) << cut;
    EXPECT_EQ(cutShort, before);
  }
  const Bytes reserved = {0x07, 0x00};  // block type 3
  DeflateEnds ends;
  EXPECT_FALSE(FindDeflateEnds(reserved.data(), reserved.size(), ends));
}

TEST(PngEncodeJoin, SumsOfPiecesCombineIntoTheSumOfTheWhole) {
  for (const std::pair<std::size_t, std::size_t>& sizes :
       {std::pair<std::size_t, std::size_t>{0, 0}, {1, 0}, {0, 7}, {65520, 65521}, {100000, 200003}, {3, 5000000}}) {
    const Bytes a = MakeData(2, sizes.first, 5), b = MakeData(2, sizes.second, 6);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    const std::uint32_t expected = libdeflate_adler32(1, both.data(), both.size());
    EXPECT_EQ(
        CombineAdler32(libdeflate_adler32(1, a.data(), a.size()), libdeflate_adler32(1, b.data(), b.size()), b.size()),
        expected)
        << sizes.first << " + " << sizes.second;
  }
}

}  // namespace
}  // namespace brisol
