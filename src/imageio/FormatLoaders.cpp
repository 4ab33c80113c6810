// The five per-format readers. They share one scheme: read the file's
// information; a 24-bit file is loaded straight into a 24-bit image, any
// other depth into an image of its own depth that is then converted. Each
// step's failure is logged with its own text, and its code comes back.
#include <cstring>
#include <functional>

#include "imageio/FileBytes.h"
#include "imageio/ImageLoad.h"
#include "imageio/codecs/MemoryBudget.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"

namespace brisol {
namespace {

struct LoaderTexts {
  const char* info;
  const char* alloc24;
  const char* load24;
  const char* allocN1;
  const char* loadN;
  const char* allocN2;
  const char* convertN;  // null: a failed conversion is not reported
};

using InfoOp = DecodeResult (*)(const char*, ImageInfo&);
using LoadOp = DecodeResult (*)(const char*, ImgImage&);
using Report = std::function<void(const char* text, int code)>;

// kImgOk with the 24-bit image in result, or the failing step's code (with
// the decoder's words).
DecodeResult LoadByScheme(ImgImage& result, const char* name, InfoOp info, LoadOp load, const LoaderTexts& texts,
                          const Report& report) {
  ImageInfo file;
  if (DecodeResult read = info(name, file); !read.ok()) {
    report(texts.info, read.code);
    return read;
  }
  int rc = kImgOk;
  // Before anything is allocated: a file far too small for the picture it
  // claims is refused as bad data, and a picture that cannot fit the memory
  // left as the allocation that would fail.
  const std::uint64_t fileBytes = FileSize(name);
  if (fileBytes < file.leastFileBytes) {
    report(texts.info, kImgErrTooLittleData);
    return kImgErrTooLittleData;
  }
  if (DecodeMemoryNeed(file, fileBytes) > AvailableMemory()) {
    report(file.depth == 24 ? texts.alloc24 : texts.allocN1, kImgErrNoMemory);
    return kImgErrNoMemory;
  }
  ImgImage image;
  if (file.depth == 24) {
    if ((rc = allocimage(image, file.width, file.height, 24)) != kImgOk) {
      report(texts.alloc24, rc);
      return rc;
    }
    DecodeResult loaded = load(name, image);
    if (!loaded.ok()) {
      report(texts.load24, loaded.code);
      freeimage(image);
      return loaded;
    }
    result = std::move(image);
    return loaded;  // with the decoder's words on damage it passed over
  }

  ImgImage temporary;
  if ((rc = allocimage(temporary, file.width, file.height, file.depth)) != kImgOk) {
    report(texts.allocN1, rc);
    return rc;
  }
  DecodeResult loaded = load(name, temporary);
  if (!loaded.ok()) {
    report(texts.loadN, loaded.code);
    freeimage(temporary);
    return loaded;
  }
  if ((rc = allocimage(image, file.width, file.height, 24)) != kImgOk) {
    report(texts.allocN2, rc);
    freeimage(temporary);
    return rc;
  }
  rc = convertto24(temporary, image);
  freeimage(temporary);
  if (rc != kImgOk) {
    if (texts.convertN) report(texts.convertN, rc);
    freeimage(image);
    return rc;
  }
  result = std::move(image);
  return loaded;
}

// Log entries only, each text with the failing operation's code (and, for
// the texts that begin with it, the file's name first).
Report LogOnly(const char* name) {
  return [name](const char* text, int code) {
    if (std::strncmp(text, "%s", 2) == 0) {
      TheLogger().Log(kLogInfo, text, name, code);
    } else {
      TheLogger().Log(kLogInfo, text, code);
    }
  };
}

constexpr LoaderTexts kTgaTexts = {"TGA data error: %d",        "24 bit Tga allocimage error: %d",
                                   "24 bit loadtga error: %d",  "n bit allocimage(1) error: %d",
                                   "n bit loadtga error: %d",   "n bit allocimage(2) error: %d",
                                   "n bit converttga error: %d"};
constexpr LoaderTexts kPcxTexts = {"PCX image file data error: %d", "24 bit PCX allocimage error: %d",
                                   "24 bit loadpcx error: %d",      "n bit allocimage(1) error: %d",
                                   "n bit loadpcx error: %d",       "n bit allocimage(2) error: %d",
                                   "n bit convert pcx error: %d"};
constexpr LoaderTexts kPngTexts = {"PNG image data error: %d",   "24 bit PNG allocimage error: %d",
                                   "24 bit loadpng error: %d",   "n bit allocimage(1) error: %d",
                                   "n bit loadpng error: %d",    "n bit allocimage(2) error: %d",
                                   "n bit convert png error: %d"};
constexpr LoaderTexts kBmpTexts = {"BMP data error: %d",
                                   "BMP allocimage error: %d",
                                   "loadbmp error: %d",
                                   "allocimage, (bmp,non24) error: %d",
                                   "loadbmp error: %d",
                                   "allocimage, 2nd (bmp) error: %d",
                                   nullptr};
constexpr LoaderTexts kJpgTexts = {"%s: Jpeg data error: %d",       "%s: Jpeg alloc image error: %d",
                                   "%s: loagjpg error: %d",         "allocimage error",
                                   "%s: loadjpg error: %d",         "allocimage error",
                                   "%s:n bit convert jpg error: %d"};

// True when the file's first 50 bytes can be read and begin with the JPEG
// start-of-image marker (so files shorter than 50 bytes are refused).
bool IsJpegFile(const char* name) {
  constexpr std::size_t kJpegHeadBytes = 50;
  ByteBuffer block;
  if (ReadFileBytes(name, block, kJpegHeadBytes) != kImgOk || block.size() != kJpegHeadBytes) return false;
  return block.data()[0] == 0xFF && block.data()[1] == 0xD8;
}

}  // namespace

DecodeResult ReadTgaImage(ImgImage& image, const char* name) {
  return LoadByScheme(image, name, tgainfo, loadtga, kTgaTexts, LogOnly(name));
}

DecodeResult ReadPcxImage(ImgImage& image, const char* name) {
  return LoadByScheme(image, name, pcxinfo, loadpcx, kPcxTexts, LogOnly(name));
}

DecodeResult ReadPngImage(ImgImage& image, const char* name) {
  return LoadByScheme(image, name, pnginfo, loadpng, kPngTexts, LogOnly(name));
}

DecodeResult ReadBmpImage(ImgImage& image, const char* name) {
  return LoadByScheme(image, name, bmpinfo, loadbmp, kBmpTexts, LogOnly(name));
}

DecodeResult ReadJpgImage(ImgImage& image, const char* name) {
  if (!IsJpegFile(name)) {
    TheLogger().Log(kLogInfo, "ERROR: %s Bad JPG header\n", name ? name : "");
    return kImgErrSignature;
  }
  return LoadByScheme(image, name, jpeginfo, loadjpg, kJpgTexts, LogOnly(name));
}

}  // namespace brisol
