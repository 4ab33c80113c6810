// The temporary file of a save, which must not outlive the save: removed when
// the guard ends without being told to keep it (any failure, an exception),
// and when the program is ended by a signal while the guard lives (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, where their action is still to end the
// program). A handler installed for one of these signals by someone else is
// left alone.
#pragma once

#include <string>

namespace brisol {

class TemporaryFile {
 public:
  // Creates a new file from a mkstemp pattern (its last six characters
  // XXXXXX) with the signals held back, so that no signal can come between
  // the file's creation and its guarding. The descriptor is open for
  // writing; fd() is -1 and error() tells why when the file could not be
  // made.
  explicit TemporaryFile(std::string pattern);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return m_fd; }
  int error() const { return m_error; }
  const std::string& path() const { return m_path; }
  // Closes the descriptor; false, with errno, when closing failed.
  bool Close();
  // The file has been renamed into place: nothing is removed any more.
  void Keep();

 private:
  std::string m_path;
  int m_fd = -1;
  int m_error = 0;
  int m_slot = -1;  // the signal handler's record of the path; -1 when none
};

}  // namespace brisol
