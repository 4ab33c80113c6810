#include "imageio/codecs/PictureText.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>

#include "imageio/codecs/ImageCodec.h"

namespace brisol {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Chunks read at most before a walk gives up: far more than any real file
// holds, few enough that a file of empty chunks cannot keep it going.
constexpr std::size_t kMaxChunks = 1u << 20;

std::uint32_t LoadU32BE(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void StoreU32BE(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

bool ValidKeyword(std::string_view keyword) {
  if (keyword.empty() || keyword.size() > 79 || keyword.front() == ' ' || keyword.back() == ' ') return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    const auto c = static_cast<unsigned char>(keyword[i]);
    if (!((c >= 32 && c <= 126) || c >= 161)) return false;
    if (c == ' ' && i > 0 && keyword[i - 1] == ' ') return false;
  }
  return true;
}

bool ReadExactly(const ReadBytesAt& read, std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  return read(offset, out, n) == n;
}

// The keyword and text of a tEXt or uncompressed iTXt chunk's data; false
// for a compressed or malformed one.
bool ParseTextChunk(bool international, const std::vector<std::uint8_t>& data, PictureText& text) {
  const auto begin = data.begin();
  const auto nul = std::find(begin, data.end(), 0);
  if (nul == data.end() || nul == begin || nul - begin > 79) return false;
  text.keyword.assign(begin, nul);
  auto at = nul + 1;
  if (international) {
    // Compression flag and method, language tag, translated keyword.
    if (data.end() - at < 2 || at[0] != 0) return false;
    at += 2;
    for (int field = 0; field < 2; ++field) {
      const auto end = std::find(at, data.end(), 0);
      if (end == data.end()) return false;
      at = end + 1;
    }
  }
  text.text.assign(at, data.end());
  return true;
}

}  // namespace

ReadBytesAt BytesReader(std::span<const std::uint8_t> bytes) {
  return [bytes](std::uint64_t offset, std::uint8_t* out, std::size_t n) -> std::size_t {
    if (offset >= bytes.size()) return 0;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes.size() - offset));
    std::memcpy(out, bytes.data() + offset, take);
    return take;
  };
}

int AddPngText(std::vector<std::uint8_t>& png, std::string_view keyword, std::string_view text) {
  constexpr std::size_t kAfterHeader = 8 + 8 + 13 + 4;
  if (!ValidKeyword(keyword) || text.size() > 0x7FFFFFFF - keyword.size() - 5) return kImgErrArgument;
  if (png.size() < kAfterHeader || std::memcmp(png.data(), kPngSignature, 8) != 0 || LoadU32BE(png.data() + 8) != 13 ||
      std::memcmp(png.data() + 12, "IHDR", 4) != 0)
    return kImgErrArgument;
  // Keyword, its end, no compression (flag and method), no language tag and
  // no translated keyword, then the text.
  const std::size_t dataBytes = keyword.size() + 5 + text.size();
  std::vector<std::uint8_t> chunk(12 + dataBytes);
  StoreU32BE(chunk.data(), static_cast<std::uint32_t>(dataBytes));
  std::memcpy(chunk.data() + 4, "iTXt", 4);
  std::memcpy(chunk.data() + 8, keyword.data(), keyword.size());
  std::memcpy(chunk.data() + 8 + keyword.size() + 5, text.data(), text.size());
  StoreU32BE(chunk.data() + 8 + dataBytes, libdeflate_crc32(0, chunk.data() + 4, dataBytes + 4));
  png.insert(png.begin() + kAfterHeader, chunk.begin(), chunk.end());
  return kImgOk;
}

int AddJpegComment(std::vector<std::uint8_t>& jpeg, std::string_view text) {
  if (text.size() > kMaxJpegCommentBytes) return kImgErrArgument;
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return kImgErrArgument;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] >= 0xE0 && jpeg[at + 1] <= 0xEF) {
    const std::size_t length = static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) return kImgErrArgument;
    at += 2 + length;
  }
  const std::size_t length = text.size() + 2;
  std::vector<std::uint8_t> segment = {0xFF, 0xFE, static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(length & 0xFF)};
  segment.insert(segment.end(), text.begin(), text.end());
  jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), segment.begin(), segment.end());
  return kImgOk;
}

int ReadPngTexts(const ReadBytesAt& read, std::vector<PictureText>& texts, const KeepText& keep) {
  std::uint8_t head[8];
  if (!ReadExactly(read, 0, head, 8) || std::memcmp(head, kPngSignature, 8) != 0) return kImgErrSignature;
  std::uint64_t at = 8;
  for (std::size_t chunks = 0; chunks < kMaxChunks; ++chunks) {
    std::uint8_t header[8];
    if (!ReadExactly(read, at, header, 8)) return kImgErrRead;
    const std::uint32_t length = LoadU32BE(header);
    if (length > 0x7FFFFFFF) return kImgErrCorrupt;
    const std::uint8_t* type = header + 4;
    if (std::memcmp(type, "IEND", 4) == 0) return kImgOk;
    const bool plain = std::memcmp(type, "tEXt", 4) == 0;
    const bool international = std::memcmp(type, "iTXt", 4) == 0;
    if ((plain || international) && length <= kMaxPictureTextBytes) {
      // Type and data, for the checksum, then the checksum.
      std::vector<std::uint8_t> chunk(4 + static_cast<std::size_t>(length) + 4);
      if (!ReadExactly(read, at + 4, chunk.data(), chunk.size())) return kImgErrRead;
      const std::uint32_t stored = LoadU32BE(chunk.data() + 4 + length);
      if (libdeflate_crc32(0, chunk.data(), 4 + length) == stored) {
        const std::vector<std::uint8_t> data(chunk.begin() + 4, chunk.begin() + 4 + length);
        PictureText text;
        if (ParseTextChunk(international, data, text) && (!keep || keep(text))) texts.push_back(std::move(text));
      }
    }
    at += 12 + static_cast<std::uint64_t>(length);
  }
  return kImgErrCorrupt;
}

int ReadJpegComments(const ReadBytesAt& read, std::vector<PictureText>& texts, const KeepText& keep) {
  std::uint8_t head[2];
  if (!ReadExactly(read, 0, head, 2) || head[0] != 0xFF || head[1] != 0xD8) return kImgErrSignature;
  std::uint64_t at = 2;
  for (std::size_t segments = 0; segments < kMaxChunks; ++segments) {
    std::uint8_t marker[2];
    if (!ReadExactly(read, at, marker, 2)) return kImgErrRead;
    if (marker[0] != 0xFF) return kImgErrCorrupt;
    // Fill bytes before a marker.
    if (marker[1] == 0xFF) {
      ++at;
      continue;
    }
    at += 2;
    const std::uint8_t code = marker[1];
    if (code == 0xDA || code == 0xD9) return kImgOk;  // the first scan, or the end of the image
    // Markers without a segment: restart markers, TEM and a stray SOI.
    if ((code >= 0xD0 && code <= 0xD8) || code == 0x01) continue;
    std::uint8_t lengthBytes[2];
    if (!ReadExactly(read, at, lengthBytes, 2)) return kImgErrRead;
    const std::size_t length = static_cast<std::size_t>(lengthBytes[0]) << 8 | lengthBytes[1];
    if (length < 2) return kImgErrCorrupt;
    if (code == 0xFE) {
      PictureText text;
      text.text.resize(length - 2);
      if (!ReadExactly(read, at + 2, reinterpret_cast<std::uint8_t*>(text.text.data()), length - 2)) return kImgErrRead;
      if (!keep || keep(text)) texts.push_back(std::move(text));
    }
    at += length;
  }
  return kImgErrCorrupt;
}

}  // namespace brisol
