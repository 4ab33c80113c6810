#include "PictureFiles.h"

#include <cstdint>
#include <vector>

#include "imageio/LoadPicture.h"
#include "logger/Format.h"
#include "raster/FileUtil.h"

namespace brisol::cli {

const PictureFormat* FormatOfFile(const char* path) {
  if (const PictureFormat* format = PictureFormatOfName(path)) return format;
  const Outcome<std::vector<std::uint8_t>> head = ReadPictureHead(path);
  return head ? PictureFormatOfSignature(*head) : nullptr;
}

std::string OutputIsInput(const std::string& input, const std::string& output) {
  if (!SameFile(input, output)) return {};
  return "the output " + QuotedName(output) + " is the input picture itself; choose another name";
}

}  // namespace brisol::cli
