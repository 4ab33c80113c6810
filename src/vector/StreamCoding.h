// The encodings the page description files put their streams in: zlib
// (PDF's and PostScript's Flate), the zlib stream inside a PNG file of ours,
// and ASCII85 for PostScript files that stay 7-bit text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brisol {

// The bytes as one zlib stream; empty when memory runs out. Level 1 (fast)
// to 12 (small), as libdeflate counts.
std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> bytes, int level);

// The zlib stream of a PNG file's pixels (its IDAT chunks joined): rows of
// one filter byte and the filtered samples, which a Flate filter with the
// PNG predictors decodes. Empty when the bytes are no PNG file with pixels.
std::vector<std::uint8_t> PngPixelStream(std::span<const std::uint8_t> png);

// The bytes in ASCII85, lines of at most 75 characters, ending with "~>"
// and a line break: what PostScript's ASCII85Decode filter reads.
void AppendAscii85(std::string& out, std::span<const std::uint8_t> bytes);

}  // namespace brisol
