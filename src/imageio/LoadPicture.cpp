#include "imageio/LoadPicture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "imageio/Dib.h"
#include "imageio/ImageLoad.h"
#include "imageio/PictureFormats.h"
#include "imageio/codecs/MemoryBudget.h"
#include "logger/Format.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"

namespace brisol {
namespace {

// What is known of the file before its picture is read.
struct FileHead {
  std::vector<std::uint8_t> bytes;  // the first few
  std::uint64_t size = 0;
};

// The first bytes of the file and its size, or why they cannot be had (the
// cause alone; NotFound when nothing is there). Never waits on a FIFO.
Outcome<FileHead> ReadHead(const std::string& path) {
  std::string why;
  const int fd = OpenRegularFile(path.c_str(), &why);
  if (fd < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    return Fail(missing ? Status::NotFound : Status::Failed, std::move(why));
  }
  FileHead head;
  struct stat st {};
  if (::fstat(fd, &st) == 0) head.size = static_cast<std::uint64_t>(st.st_size);
  head.bytes.resize(16);
  ssize_t n = -1;
  do {
    n = ::read(fd, head.bytes.data(), head.bytes.size());
  } while (n < 0 && errno == EINTR);
  const int error = errno;
  ::close(fd);
  if (n < 0) return Fail(std::strerror(error));
  head.bytes.resize(static_cast<std::size_t>(n));
  return head;
}

std::string Pixels(const ImageInfo& info) {
  return std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels";
}

// "400 megapixels", "5.5 megapixels"; a count that is no whole tenth of a
// megapixel is given whole ("5999999 pixels").
std::string Megapixels(long long pixels) {
  if (pixels % 100'000 != 0) return std::to_string(pixels) + " pixels";
  const long long tenths = pixels / 100'000;
  return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " megapixels";
}

// The cause of a failed read in words: the imaging layer's text, with the
// decoder's own words when it gave some, and the sizes where they tell.
std::string Cause(int code, const ImageInfo& info, bool haveInfo, std::uint64_t fileBytes,
                  const std::string& decoderWords) {
  if (code == kImgErrTooLittleData && haveInfo) {
    return "the file holds " + MemoryText(fileBytes) + ", far too few for the " + Pixels(info) +
           " it claims; it is cut short or damaged";
  }
  if (code == kImgErrNoMemory && haveInfo) {
    return "not enough memory: its picture of " + Pixels(info) + " needs " +
           MemoryText(DecodeMemoryNeed(info, fileBytes)) +
           (decoderWords.empty() ? std::string() : " (" + decoderWords + ")");
  }
  std::string cause = ImgResultText(code);
  if (!decoderWords.empty()) cause += " (" + decoderWords + ")";
  return cause;
}

// What callers act on of an imaging layer's code.
Status StatusOf(int code) {
  switch (code) {
    case kImgErrRead:
    case kImgErrCorrupt:
    case kImgErrDimensions:
    case kImgErrDecoder:
    case kImgErrTooLittleData:
      return Status::Damaged;
    case kImgErrSignature:
    case kImgErrUnsupported:
    case kImgErrArgument:  // a name of no picture format
      return Status::Unsupported;
    case kImgErrNoMemory:
      return Status::NoMemory;
    default:
      return Status::Failed;
  }
}

// Whether the BMP fall-back, which paints the file's own DIB, may help:
// not when the file cannot be had at all or its picture is refused for its
// size.
bool FallbackMayHelp(int code) {
  return code != kImgErrOpen && code != kImgErrNotRegular && code != kImgErrNoMemory && code != kImgErrTooLarge &&
         code != kImgErrTooLittleData;
}

// The library refused a BMP file; its own DIB may still be paintable.
std::unique_ptr<CDADC> BmpFallback(const std::string& path) {
  const ByteBuffer dib = ReadDibFileAt(path.c_str());
  return dib ? CreateBitmapDADC(dib, 0, 0) : nullptr;
}

}  // namespace

Outcome<std::vector<std::uint8_t>> ReadPictureHead(const std::string& path) {
  Outcome<FileHead> head = ReadHead(path);
  if (!head) return std::move(head).failure();
  return std::move(head->bytes);
}

Done OpenProblem(const std::string& path) {
  Outcome<FileHead> head = ReadHead(path);
  if (!head) return std::move(head).failure();
  return {};
}

LoadResult LoadPicture(const std::string& path, const LoadOptions& options) {
  const auto fail = [&](Status status, int code, const std::string& cause) -> LoadResult {
    std::string message = "cannot read " + QuotedName(path) + ": " + cause;
    TheLogger().Log(kLogInfo, "%s (code %d)\n", message.c_str(), code);
    return Fail(status, std::move(message));
  };
  const auto failWith = [&](int code, const std::string& cause) { return fail(StatusOf(code), code, cause); };

  const Outcome<FileHead> read = ReadHead(path);
  if (!read) return fail(read.status(), kImgErrOpen, read.message());
  const FileHead& head = *read;
  const PictureFormat* format = PictureFormatOfName(path);
  if (format == nullptr)
    return failWith(kImgErrArgument, "the name's extension is not one of " + PictureExtensionsText());
  if (head.bytes.empty()) return failWith(kImgErrRead, "the file is empty (0 bytes)");
  if (format->hasSignature != nullptr && !format->hasSignature(head.bytes)) {
    std::string why = "not a " + std::string(format->name) + " file";
    if (const PictureFormat* other = PictureFormatOfSignature(head.bytes))
      why += " (it is a " + std::string(other->name) + " file)";
    return failWith(kImgErrSignature, why);
  }

  // What the picture will take is known from its header: a file far too
  // small for the picture it claims, and a picture that cannot fit the
  // memory, are refused before anything is allocated.
  ImageInfo info;
  const bool haveInfo = format->info(path.c_str(), info).ok();
  if (haveInfo) {
    if (head.size < info.leastFileBytes) {
      return failWith(kImgErrTooLittleData, Cause(kImgErrTooLittleData, info, true, head.size, {}));
    }
    const long long pixels = static_cast<long long>(info.width) * info.height;
    if (pixels > options.maxPixels) {
      return fail(Status::Unsupported, kImgErrTooLarge,
                  "its picture of " + Pixels(info) + " (" + Megapixels(pixels) + ") is more than the " +
                      Megapixels(options.maxPixels) + " a picture is read with" +
                      (options.raise.empty() ? std::string() : " (" + options.raise + " raises the limit)"));
    }
    if (std::string problem = MemoryBudgetProblem(info, head.size); !problem.empty()) {
      return failWith(kImgErrNoMemory, "not enough memory: " + problem);
    }
  }

  ImgImage image;
  const DecodeResult decoded = format->readImage(image, path.c_str());
  if (const int rc = decoded.code; rc != kImgOk) {
    if (format->imageType == kImageTypeBmp && FallbackMayHelp(rc)) {
      if (std::unique_ptr<CDADC> surface = BmpFallback(path)) return surface;
    }
    return failWith(rc, Cause(rc, info, haveInfo, head.size, decoded.words));
  }
  // The decoded rows already have the surface's layout: hand them over.
  const int width = image.Width(), height = image.Height();
  Bgr24Image pixels;
  std::unique_ptr<CDADC> surface;
  if (TakePixels(image, pixels) == kImgOk) surface = CDADC::Adopt(std::move(pixels.bits), pixels.width, pixels.height);
  if (!surface) {
    return failWith(kImgErrNoMemory, "not enough memory for its picture of " + std::to_string(width) + " x " +
                                         std::to_string(height) + " pixels");
  }
  if (!decoded.words.empty()) {
    std::string damage = QuotedName(path) + " is damaged and read as far as it could be: " + decoded.words;
    TheLogger().Log(kLogInfo, "%s\n", damage.c_str());
    if (options.damage != nullptr) *options.damage = std::move(damage);
  }
  return surface;
}

}  // namespace brisol
