// Joining deflate streams compressed apart into one zlib stream, so that the
// pieces of a picture's data can be compressed on several threads and still
// make one valid PNG image stream.
//
// A piece compressed on its own is a complete raw deflate stream: its last
// block carries the final flag. To join it with the next, the flag is
// cleared and the piece is ended at a byte boundary by an empty stored
// block (a full flush): the next piece, which refers to nothing before it,
// then starts cleanly. The pieces' Adler-32 sums combine into the stream's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brisol {

// Where the final block of a raw deflate stream starts, and where the
// stream ends, in bits from its first byte (bits are counted from the
// lowest of each byte). Found by walking the blocks, decoding their codes
// without producing data.
struct DeflateEnds {
  std::size_t finalBlockBit = 0;
  std::size_t endBit = 0;
};
// False when the bytes are not a complete deflate stream.
bool FindDeflateEnds(const std::uint8_t* data, std::size_t size, DeflateEnds& ends);

// Turns a complete raw deflate stream into one that goes on: the final
// flag cleared and, after its last block, an empty stored block that ends
// it at a byte boundary. False (the bytes unchanged) when they are not a
// complete deflate stream.
bool MakeDeflateStreamContinue(std::vector<std::uint8_t>& stream);

// The Adler-32 sum of the bytes of a followed by the bytes of b, from the
// sums of each and the length of b.
std::uint32_t CombineAdler32(std::uint32_t a, std::uint32_t b, std::uint64_t lengthOfB);

}  // namespace brisol
