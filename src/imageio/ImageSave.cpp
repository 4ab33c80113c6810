#include "imageio/ImageSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "imageio/ImageLoad.h"
#include "imageio/PictureFormats.h"
#include "imageio/TemporaryFile.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PictureText.h"
#include "imageio/codecs/PngEncode.h"
#include "logger/Format.h"
#include "logger/Logger.h"
#include "raster/WorkerPool.h"

namespace brisol {
namespace {

// A failed save: logged, and passed on (NoMemory when memory ran out).
Failure Refused(std::string message, Status status = Status::Failed) {
  TheLogger().Log(kLogInfo, "%s", message.c_str());
  return Fail(status, std::move(message));
}

std::string CannotSave(const std::string& path, const std::string& why) {
  return "Cannot save " + QuotedName(path) + ": " + why;
}

std::string SystemError(const char* what, const std::string& path, int error) {
  return CannotSave(path, Format("%s (%s)", what, std::strerror(error)));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The mode a new file gets: what the user's umask allows of rw-rw-rw-.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Where a save of path writes: what a symbolic link points at (through
// further links), not the link, even when that does not exist yet; its
// folder; and the file's status if it exists.
struct Target {
  std::string path;
  std::string directory;
  bool exists = false;
  struct stat status {};
};

// The file a chain of symbolic links ends at (the path itself when it is no
// link); 0, or the system's error when the chain cannot be followed.
int FollowLinks(const std::string& path, std::string& end) {
  constexpr int kMostLinks = 40;  // as the system follows them
  end = path;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    struct stat st {};
    // Nothing there (a new file is made), or a path the checks below tell.
    if (::lstat(end.c_str(), &st) != 0) return 0;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(end.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<std::size_t>(n));
    if (link.empty()) return ENOENT;
    const std::size_t slash = end.rfind('/');
    end = link[0] == '/' || slash == std::string::npos ? link : end.substr(0, slash + 1) + link;
  }
  return ELOOP;
}

// A picture of this size does not fit a file of the format: the one line
// that says so, naming the format's limit; empty when it fits.
std::string SizeProblem(const PictureFormat& format, SIZE size) {
  if (size.cx <= format.maxWidth && size.cy <= format.maxHeight) return {};
  return Format("a %.*s file holds at most %d x %d pixels; the picture is %d x %d",
                static_cast<int>(format.name.size()), format.name.data(), format.maxWidth, format.maxHeight, size.cx,
                size.cy);
}

// Checks that a file can be written to path, as far as can be told before
// writing; a link there is the target itself when it is to be replaced.
Done CheckFileTarget(const std::string& path, Target& target, bool replaceLink = false) {
  struct stat own {};
  if (replaceLink && ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode)) {
    target.path = path;
    target.exists = false;  // the picture gets a new file's permissions
  } else if (const int error = FollowLinks(path, target.path); error != 0) {
    return Refused(SystemError("its symbolic link cannot be followed", path, error));
  } else {
    target.exists = ::stat(target.path.c_str(), &target.status) == 0;
  }
  if (target.exists && !S_ISREG(target.status.st_mode)) {
    return Refused(CannotSave(path, "it is not a regular file"));
  }
  // Renaming over a file ignores its own permissions; respect them.
  if (target.exists && ::access(target.path.c_str(), W_OK) != 0) {
    const int error = errno;
    return Refused(SystemError(error == EROFS ? "its file system is mounted read-only" : "the file is write-protected",
                               path, error));
  }
  const std::size_t slash = target.path.rfind('/');
  target.directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.path.substr(0, slash));
  // The new file is made in the folder and renamed over the old one.
  struct stat folder {};
  if (::stat(target.directory.c_str(), &folder) != 0) {
    return Refused(SystemError("cannot create a file in its folder", path, errno));
  }
  if (!S_ISDIR(folder.st_mode)) {
    return Refused(SystemError("cannot create a file in its folder", path, ENOTDIR));
  }
  if (::access(target.directory.c_str(), W_OK | X_OK) != 0) {
    return Refused(SystemError("cannot create a file in its folder", path, errno));
  }
  return {};
}

// Checks that a picture can be saved to path: a known extension, a size
// the format can hold (0 x 0: the size is not known yet), then the file.
Done CheckTarget(const std::string& path, SIZE size, Target& target, bool replaceLink) {
  const PictureFormat* format = PictureFormatOfName(path);
  if (format == nullptr) {
    return Refused(CannotSave(
        path, "the picture type is not known by the name's extension (use " + PictureExtensionsText() + ")"));
  }
  if (const std::string tooLarge = SizeProblem(*format, size); !tooLarge.empty()) {
    return Refused(CannotSave(path, tooLarge));
  }
  return CheckFileTarget(path, target, replaceLink);
}

// The temporary files of saves that were killed are removed by the next
// save into their folder once they are this old: no save takes that long.
constexpr std::chrono::hours kStaleTemporaryAge{24};

bool IsPictureName(std::string_view name) { return PictureFormatOfName(name) != nullptr; }

// A temporary file beside the target, after the leftovers of killed saves
// into the folder have been cleared away.
std::unique_ptr<TemporaryFile> TemporaryBeside(const Target& target) {
  RemoveStaleTemporaryFiles(target.directory, kStaleTemporaryAge, IsPictureName);
  return std::make_unique<TemporaryFile>(TemporaryPatternBeside(target.path, target.directory));
}

// Puts the temporary file, written (or not, with errno in error), in the
// target's place: the old file's permissions, flushed to disk, renamed over
// the target, and the folder flushed so that the new name lasts. On any
// failure the temporary file goes and the target stays as it was.
Done CommitTemporary(TemporaryFile& temporary, const Target& target, const std::string& path, bool written, int error) {
  // The new file keeps the old one's permissions (a failure here costs only
  // that courtesy).
  if (written) (void)::fchmod(temporary.fd(), target.exists ? (target.status.st_mode & 07777) : NewFileMode());
  if (written && ::fsync(temporary.fd()) != 0) {
    written = false;
    error = errno;
  }
  if (!temporary.Close() && written) {
    written = false;
    error = errno;
  }
  if (!written) return Refused(SystemError("writing failed", path, error));
  if (::rename(temporary.path().c_str(), target.path.c_str()) != 0) {
    return Refused(SystemError("cannot replace the file", path, errno));
  }
  temporary.Keep();
  const int dirFd = ::open(target.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return {};
}

// Writes the bytes to a temporary file beside the target and puts it in the
// target's place.
Done WriteThroughTemporary(const Target& target, const std::string& path, std::span<const std::uint8_t> bytes) {
  // Removed on every way out but success, an ending signal included.
  const std::unique_ptr<TemporaryFile> temporary = TemporaryBeside(target);
  if (temporary->fd() < 0) {
    return Refused(SystemError("cannot create a file in its folder", path, temporary->error()));
  }
  const bool written = WriteAll(temporary->fd(), bytes.data(), bytes.size());
  return CommitTemporary(*temporary, target, path, written, errno);
}

}  // namespace

Done CheckSaveTarget(const std::string& path, SIZE size, bool replaceLink) {
  Target target;
  return CheckTarget(path, size, target, replaceLink);
}

Done CheckFileTarget(const std::string& path) {
  Target target;
  return CheckFileTarget(path, target);
}

Done WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  Target target;
  if (Done checked = CheckFileTarget(path, target); !checked.ok()) return checked;
  return WriteThroughTemporary(target, path, bytes);
}

// What a save keeps while it runs: where it goes, the temporary file, and
// the encoder of a format whose rows stream.
struct PictureSaver::Stream {
  Target target;
  const PictureFormat* format = nullptr;
  SIZE size{};
  std::unique_ptr<TemporaryFile> temporary;
  int writeError = 0;  // errno of the first failed write; guarded by mutex once pieces are compressed apart
  std::atomic<int> result{kImgOk};
  int rowsHanded = 0;  // rows handed on and encoded, from the top
  std::unique_ptr<JpegRowEncoder> jpeg;
  std::unique_ptr<PngPieces> png;
  // PNG: each piece's rows and the row above them, from the piece's first
  // row gathered until it is compressed (by Work, on any thread).
  std::vector<std::vector<std::uint8_t>> gathered;
  std::size_t gathering = 0;  // the piece the next row goes to
  std::mutex mutex;
  std::deque<std::size_t> ready;  // pieces gathered, to compress; guarded by mutex
  std::vector<char> compressed;   // guarded by mutex
  std::size_t pngWritten = 0;     // pieces written, from the first; guarded by mutex

  bool Write(const std::uint8_t* data, std::size_t n) {
    if (writeError != 0) return false;
    if (WriteAll(temporary->fd(), data, n)) return true;
    writeError = errno;
    return false;
  }
  bool Write(std::vector<std::uint8_t>& bytes) {
    const bool ok = Write(bytes.data(), bytes.size());
    bytes.clear();
    return ok;
  }
  // Piece k's rows and the row above them, addressed as the picture's.
  PixelBlock Gathered(std::size_t k) {
    const int stride = BytesPerRow24(size.cx);
    return PixelBlock{gathered[k].data(), size.cx, png->EndRow(k), stride};
  }
  // Writes the pieces compressed, in order, as far as they go (mutex held).
  void WriteCompressed() {
    std::vector<std::uint8_t> chunk;
    while (pngWritten < png->Count() && compressed[pngWritten] && result == kImgOk) {
      if (const int rc = png->AppendPiece(pngWritten, chunk); rc != kImgOk) {
        result = rc;
        return;
      }
      Write(chunk);
      ++pngWritten;
    }
  }
};

PictureSaver::PictureSaver(std::string path, const SaveOptions& options)
    : m_path(std::move(path)), m_options(options) {}

PictureSaver::~PictureSaver() = default;

bool PictureSaver::Streams(const std::string& path) {
  const PictureFormat* format = PictureFormatOfName(path);
  return format != nullptr && (format->imageType == kImageTypeJpg || format->imageType == kImageTypePng);
}

bool PictureSaver::Begin(const SIZE& size) {
  if (!m_failure.ok()) return false;
  if (m_stream) return true;
  auto stream = std::make_unique<Stream>();
  if (Done checked = CheckTarget(m_path, size, stream->target, m_options.replaceLink); !checked.ok()) {
    m_failure = std::move(checked);
    return false;
  }
  stream->format = PictureFormatOfName(m_path);
  stream->size = size;
  if (stream->format->imageType == kImageTypeJpg && (m_options.jpegQuality < 1 || m_options.jpegQuality > 100)) {
    m_failure = Refused(CannotSave(m_path, Format("JPEG quality %d is not within 1 to 100", m_options.jpegQuality)));
    return false;
  }
  // Removed on every way out but success, an ending signal included.
  stream->temporary = TemporaryBeside(stream->target);
  if (stream->temporary->fd() < 0) {
    m_failure = Refused(SystemError("cannot create a file in its folder", m_path, stream->temporary->error()));
    return false;
  }
  Stream& s = *stream;
  if (s.format->imageType == kImageTypeJpg) {
    s.jpeg = std::make_unique<JpegRowEncoder>();
    s.result = s.jpeg->Start(
        size.cx, size.cy, m_options.jpegQuality,
        [&s](const std::uint8_t* bytes, std::size_t n) { return s.Write(bytes, n); }, m_options.text);
  } else if (s.format->imageType == kImageTypePng) {
    s.png = std::make_unique<PngPieces>(size.cx, size.cy);
    s.gathered.resize(s.png->Count());
    s.compressed.assign(s.png->Count(), 0);
    std::vector<std::uint8_t> head;
    if (const int rc = s.png->AppendHead(head); rc != kImgOk) s.result = rc;
    if (!m_options.text.empty()) {
      if (const int rc = AddPngText(head, m_options.textKeyword, m_options.text); rc != kImgOk) s.result = rc;
    }
    s.Write(head);
  }
  m_stream = std::move(stream);
  return true;
}

void PictureSaver::EncodeRows(const PixelBlock& rows, int first, int last) {
  Stream& s = *m_stream;
  if (s.jpeg) {
    s.result = s.jpeg->WriteRows(rows, last);
  } else if (s.png) {
    // Each row is gathered into its piece, the last row of a piece also as
    // the row above the next; a piece complete waits to be compressed.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(s.size.cx);
    auto gather = [&](std::size_t k, int y) {
      const int held = s.png->EndRow(k) - s.png->FirstRow(k) + 1;
      s.gathered[k].resize(static_cast<std::size_t>(held) * static_cast<std::size_t>(BytesPerRow24(s.size.cx)));
      std::memcpy(s.Gathered(k).Row(y), rows.Row(y), rowBytes);
    };
    for (int y = first; y < last && s.result == kImgOk; ++y) {
      const std::size_t k = s.gathering;
      gather(k, y);
      if (y + 1 != s.png->EndRow(k)) continue;
      if (k + 1 < s.png->Count()) gather(k + 1, y);
      s.gathering = k + 1;
      const std::lock_guard<std::mutex> lock(s.mutex);
      s.ready.push_back(k);
    }
  }
  s.rowsHanded = last;
}

bool PictureSaver::Work() {
  if (!m_stream || !m_stream->png) return false;
  Stream& s = *m_stream;
  std::size_t k = 0;
  {
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (s.ready.empty()) return false;
    k = s.ready.front();
    s.ready.pop_front();
  }
  s.png->Encode(k, s.Gathered(k));  // a failure is the piece's, told when it is written
  std::vector<std::uint8_t>().swap(s.gathered[k]);
  const std::lock_guard<std::mutex> lock(s.mutex);
  s.compressed[k] = 1;
  s.WriteCompressed();
  return true;
}

void PictureSaver::RowsReady(const SIZE& size, const PixelBlock& rows, int first, int last) {
  // The stream is made, and the rows gathered, here.
  const Done handed = TryAllocate("the rows to save", [&] {
    if (!Begin(size)) return;
    Stream& s = *m_stream;
    if (s.result != kImgOk || (!s.jpeg && !s.png) || first != s.rowsHanded || last <= first || last > size.cy) return;
    EncodeRows(rows, first, last);
  });
  if (!handed) {
    m_outOfMemory = true;
    if (m_stream) m_stream->result = kImgErrNoMemory;
  }
}

Done PictureSaver::Finish(const CDADC* surface) {
  SIZE size = m_stream ? m_stream->size : SIZE{};
  if (surface != nullptr) {
    if (!surface->IsValid()) {
      return m_failure = Refused(CannotSave(m_path, "there is no picture"));
    }
    size = surface->GetSize();
  }
  if (!m_stream && surface == nullptr) {
    // The rows handed on found the target unusable: that is the reason.
    if (!m_failure.ok()) return m_failure;
    return m_failure = Refused(CannotSave(m_path, "there is no picture"));
  }
  const Outcome<bool> begun = TryAllocate("the file to save", [&] { return Begin(size); });
  if (!begun) return m_failure = Refused(CannotSave(m_path, ImgResultText(kImgErrNoMemory)), Status::NoMemory);
  if (!*begun) return m_failure;
  Stream& s = *m_stream;
  int rc = s.result;
  // The encoders tell their own memory; the whole file of a format that
  // does not stream, with its text, grows here.
  const Done encoded = TryAllocate("the picture to save", [&] {
    const bool whole = s.rowsHanded == s.size.cy;
    if (rc == kImgOk && !whole && surface == nullptr) rc = kImgErrArgument;  // rows never handed on
    if (rc == kImgOk && s.jpeg) {
      if (!whole) rc = s.jpeg->WriteRows(surface->GetBlock(), s.size.cy);
      std::vector<std::uint8_t> none;
      if (rc == kImgOk) rc = s.jpeg->Finish(none);
    } else if (rc == kImgOk && s.png) {
      // The pieces gathered and not yet compressed, on every thread.
      const WorkerPool pool(m_options.threads);
      pool.ParallelFor(pool.Threads(), [this](std::size_t) {
        while (Work()) {}
      });
      if (!whole) {
        // The rest from the surface, on every thread, then written in order.
        const PixelBlock block = surface->GetBlock();
        const std::size_t first = s.pngWritten;
        pool.ParallelFor(s.png->Count() - first, [&](std::size_t k) { s.png->Encode(first + k, block); });
        for (std::size_t k = first; k < s.png->Count(); ++k) s.compressed[k] = 1;
        s.WriteCompressed();
      }
      rc = s.result;
      if (rc == kImgOk && s.pngWritten != s.png->Count()) rc = kImgErrArgument;
      std::vector<std::uint8_t> chunk;
      if (rc == kImgOk) rc = s.png->AppendEnd(chunk);
      s.Write(chunk);
    } else if (rc == kImgOk) {
      std::vector<std::uint8_t> bytes;
      rc = s.format->encode(surface->GetBlock(), m_options, bytes);
      if (rc == kImgOk) s.Write(bytes);
    }
  });
  if (!encoded) rc = kImgErrNoMemory;
  if (rc == kImgErrWrite && s.writeError != 0) rc = kImgOk;  // told below, with the system's reason
  // Rows lost to a failed allocation leave the file short, which is that.
  if (rc != kImgOk && m_outOfMemory) rc = kImgErrNoMemory;
  if (rc != kImgOk)
    return m_failure = Refused(CannotSave(m_path, ImgResultText(rc)),
                               rc == kImgErrNoMemory ? Status::NoMemory : Status::Failed);

  return m_failure = CommitTemporary(*s.temporary, s.target, m_path, s.writeError == 0, s.writeError);
}

Done SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options) {
  PictureSaver saver(path, options);
  return saver.Finish(&surface);
}

}  // namespace brisol
