// Texts kept beside a picture's pixels: PNG text chunks and JPEG comment
// segments. Writing adds one to a whole encoded file; reading walks a file's
// chunks or segments through a reader of byte ranges, so that a large
// picture need not be read whole to find a text near its start.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brisol {

struct PictureText {
  std::string keyword;  // PNG: the chunk's keyword; JPEG: empty
  std::string text;     // iTXt: UTF-8; tEXt: Latin-1 as stored; JPEG: the segment's bytes
};

// Reads up to n bytes at offset into out and returns how many were there
// (fewer at the end of the data, 0 on a failure).
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* out, std::size_t n)>;

// A reader of bytes held in memory.
ReadBytesAt BytesReader(std::span<const std::uint8_t> bytes);

// Text chunks longer than this are passed over when reading.
constexpr std::size_t kMaxPictureTextBytes = 1u << 20;
// The longest text of a JPEG comment segment.
constexpr std::size_t kMaxJpegCommentBytes = 65533;

// Adds an uncompressed iTXt chunk right after the IHDR chunk of a whole PNG
// file. kImgErrArgument for a keyword PNG does not allow (1 to 79 printable
// Latin-1 characters without leading, trailing or double spaces), or bytes
// that do not begin with the signature and IHDR; the file is then unchanged.
int AddPngText(std::vector<std::uint8_t>& png, std::string_view keyword, std::string_view text);

// Adds a comment segment after the start of image and the application
// segments that follow it (JFIF, EXIF) in a whole JPEG file.
// kImgErrArgument for a text longer than kMaxJpegCommentBytes or bytes that
// are no JPEG; the file is then unchanged.
int AddJpegComment(std::vector<std::uint8_t>& jpeg, std::string_view text);

// The uncompressed iTXt and the tEXt chunks of a PNG file whose checksums
// are right, in file order (compressed text is passed over). kImgOk when
// the walk reached IEND; kImgErrSignature for no PNG; kImgErrRead when the
// file ends first and kImgErrCorrupt at an impossible chunk length, with
// the texts before that point in texts all the same.
// keep, when given, chooses the texts kept: the others are passed over as
// soon as they are read, so that a file of many texts costs no memory.
using KeepText = std::function<bool(const PictureText& text)>;
int ReadPngTexts(const ReadBytesAt& read, std::vector<PictureText>& texts, const KeepText& keep = {});

// The comment segments of a JPEG file before its first scan, in file order.
// Codes as ReadPngTexts; kImgOk when the walk reached the first scan or the
// end of the image.
int ReadJpegComments(const ReadBytesAt& read, std::vector<PictureText>& texts, const KeepText& keep = {});

}  // namespace brisol
