#include "raster/BmpFile.h"

#include <cerrno>
#include <cstdio>

namespace brisol {

bool WriteBmpFile(const CDADC& surface, const std::string& path) {
  if (!surface.IsValid()) {
    errno = EINVAL;
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const BITMAPFILEHEADER& fh = surface.GetFileHeader();
  const BITMAPINFOHEADER& ih = surface.GetBitmapInfo().bmiHeader;
  bool ok = std::fwrite(&fh, sizeof fh, 1, file) == 1 && std::fwrite(&ih, sizeof ih, 1, file) == 1 &&
            std::fwrite(surface.GetBits(), 1, static_cast<std::size_t>(surface.GetImageSize()), file) ==
                static_cast<std::size_t>(surface.GetImageSize());
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace brisol
