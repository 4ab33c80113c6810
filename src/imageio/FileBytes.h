// Reading a picture file into memory for the codecs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/ByteBuffer.h"

namespace brisol {

// The largest picture file read (2 GiB); larger files give kImgErrTooLarge.
constexpr std::uint64_t kMaxPictureFileBytes = 2ull << 30;

// Reads the regular file at path, or only its first maxBytes, into bytes
// (an empty file gives an empty buffer). fileSize, when given, receives the
// whole file's length. kImgErrArgument for a null path, kImgErrOpen when it
// cannot be opened or is a folder, kImgErrNotRegular for a FIFO, device or
// socket (refused without waiting: OpenRegularFile), kImgErrRead when reading
// fails, kImgErrTooLarge, kImgErrNoMemory.
int ReadFileBytes(const char* path, ByteBuffer& bytes, std::uint64_t maxBytes = kMaxPictureFileBytes,
                  std::uint64_t* fileSize = nullptr);

}  // namespace brisol
