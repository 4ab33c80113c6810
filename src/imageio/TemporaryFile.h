// The temporary file of a save, which must not outlive the save: removed when
// the guard ends without being told to keep it (any failure, an exception),
// and when the program is ended by a signal while the guard lives (every
// signal that can be caught and whose action is to end the program: SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXFSZ,
// SIGABRT and the others, where their action is still the default). A
// handler installed for one of these signals by someone else is left alone.
// What no handler sees (SIGKILL, a power cut) is cleared up by the next
// save into the same folder (RemoveStaleTemporaryFiles): the file is locked
// while its save lives, so a file whose process is gone is told at once.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

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
  int m_slot = -1;    // the signal handler's record of the path; -1 when none
  int m_lockFd = -1;  // holds the file's lock until it is kept or removed
};

// The name of a save's temporary file beside path: ".~NAME.pPID.XXXXXX"
// (a mkstemp pattern, PID this process's), NAME the file's name shortened as
// much as the folder's longest name needs.
std::string TemporaryPatternBeside(const std::string& path, const std::string& folder);

// Removes what saves that never ended left in the folder: regular files of
// this user whose names have the form of TemporaryPatternBeside (".pPID"
// may be missing) with six letters or digits in place of XXXXXX and a NAME
// that isName accepts, either unchanged for longer than maxAge, or with
// ".pPID", locked by no save and unchanged for a few seconds (their save
// was killed). Returns how many were removed; a folder that
// cannot be read removes nothing.
int RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds maxAge,
                              bool (*isName)(std::string_view name));

}  // namespace brisol
