// Writing a surface to a picture file chosen by the name's extension.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "logger/Outcome.h"
#include "raster/Dadc.h"

namespace brisol {

struct SaveOptions {
  int jpegQuality = 92;  // 1..100
  unsigned threads = 0;  // threads at most (0: the machine's cores)
  // A text kept in the file beside the pixels where the format has room for
  // one: PNG an iTXt chunk under textKeyword, JPEG a comment segment of the
  // text alone. BMP, TGA and PCX have none and leave it out. The pixels are
  // the same with or without it.
  std::string textKeyword = {};
  std::string text = {};
  // A symbolic link at the path is replaced by the picture, never written
  // through: a file made in a folder of ours never lands where a link
  // planted there points.
  bool replaceLink = false;
};

// Writes the surface in the format the extension of path names (the picture
// format table; letter case ignored). The user's file is never destroyed:
// the picture goes to a temporary file in the same directory, which is
// flushed to disk and then renamed over the target. On any failure, and when
// a signal ends the program during the save, the temporary file is removed
// and an existing target is left untouched (a write-protected target is not
// replaced); the result says why, naming the file (QuotedName), with
// Status::NoMemory when memory ran out and Failed otherwise. Failures are
// also written to the log. A symbolic link is written through, also one
// whose target does not exist yet (it is made), unless the options say to
// replace the link itself. The temporary files that
// killed saves left in the folder are removed: at once when their save held
// its lock (RemoveStaleTemporaryFiles), else once they are a day old.
Done SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options = {});

// A save that can begin before the picture is complete: the rows of a PNG
// or JPEG picture are encoded and written to the temporary file as they
// are handed on, the rest at Finish, which then puts the file in place as
// SaveImageFile does (SaveImageFile is a Finish alone). Other formats are
// encoded whole at Finish. The file is the same either way.
class PictureSaver {
 public:
  PictureSaver(std::string path, const SaveOptions& options);
  ~PictureSaver();
  PictureSaver(const PictureSaver&) = delete;
  PictureSaver& operator=(const PictureSaver&) = delete;

  // Whether the rows of a picture saved to path are encoded as they come
  // (PNG and JPEG), so that the picture need never be whole.
  static bool Streams(const std::string& path);

  // Rows [first, last) of a picture of the size given, top-down, held by
  // rows addressed as the whole picture's; first is the last call's last.
  // Failures are kept for Finish.
  void RowsReady(const SIZE& size, const PixelBlock& rows, int first, int last);
  // Compresses one PNG piece gathered from the rows handed on, on any
  // thread, also while rows are handed on; false when none waits.
  bool Work();
  // Encodes the rows not yet handed on from the surface (null when every
  // row was) and puts the file in place; a failure leaves an existing file
  // untouched.
  Done Finish(const CDADC* surface);

 private:
  struct Stream;
  // Checks the target and opens the temporary file; false after a failure.
  bool Begin(const SIZE& size);
  void EncodeRows(const PixelBlock& rows, int first, int last);

  std::string m_path;
  SaveOptions m_options;
  std::unique_ptr<Stream> m_stream;
  Done m_failure;  // the first failure, kept for Finish
  // Memory ran out while rows were handed on, perhaps before the stream
  // was open: whatever fails later is told as that.
  bool m_outOfMemory = false;
};

// What SaveImageFile checks before it writes anything: a known extension, a
// picture of size within what the format holds (when size is given), a
// target that is a writable regular file if it exists, and a folder in which
// a new file can be made. Lets a long job find out before it starts.
Done CheckSaveTarget(const std::string& path, SIZE size = SIZE{0, 0}, bool replaceLink = false);

// The same for a file of any kind: a target that is a writable regular file
// if it exists, in a folder in which a new file can be made.
Done CheckFileTarget(const std::string& path);

// Writes the bytes to path as SaveImageFile writes a picture: through a
// temporary file in the same folder, flushed and renamed over the target,
// so that a failure or an ending signal leaves an existing file untouched.
Done WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace brisol
