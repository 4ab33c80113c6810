// The program's log: time-stamped entries appended to a text file, with
// errors shown to the user at once (level 0) or kept as the pending error
// (level 1). Each entry opens, writes and closes the file, so the log is
// complete even when the program stops abruptly.
#pragma once

#include <mutex>
#include <string>

namespace brisol {

enum LogLevel : int {
  kLogError = 0,     // shown at once and logged
  kLogDeferred = 1,  // kept as the pending error and logged
  kLogInfo = 2,      // log file only
};

class CLogger {
 public:
  CLogger() = default;
  CLogger(const CLogger&) = delete;
  CLogger& operator=(const CLogger&) = delete;

  // Sets the log file once; truncate starts it empty.
  void SetToFile(const char* path, bool truncate);
  void Log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Logs "prefix text \n    Errnum=N, Error=..." with the current errno.
  void LogSystemError(int level, const char* prefix, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // Shows the pending error, if any, and clears it.
  void ShowPendingError();
  // Hands the pending error over without showing it, and clears it; empty
  // when there is none.
  std::string TakePendingError();

  std::string FileName() const;
  bool HasPendingError() const;
  std::string PendingError() const;
  bool GaveUp() const;

 private:
  void Entry(int level, const std::string& text);

  mutable std::mutex m_mutex;
  std::string m_fileName;
  std::string m_pendingError;
  bool m_pending = false;
  bool m_gaveUp = false;
};

// The program's one logger.
CLogger& TheLogger();

// Gathers the errors that would otherwise become the pending error (level 1)
// while it is installed on a thread with ScopedErrorCapture: a piece of work
// hands its own failures back to its caller, whatever other threads log
// meanwhile. The entries are still written to the log file. Several threads
// may add to one capture.
class CErrorCapture {
 public:
  void Add(const std::string& text);
  bool Empty() const;
  // The first error gathered, and how many there were.
  std::string First() const;
  int Count() const;

 private:
  mutable std::mutex m_mutex;
  std::string m_first;
  int m_count = 0;
};

// While it lives, level 1 entries logged on the thread that made it go to
// capture (null: to the pending error, as without one).
class ScopedErrorCapture {
 public:
  explicit ScopedErrorCapture(CErrorCapture* capture);
  ~ScopedErrorCapture();
  ScopedErrorCapture(const ScopedErrorCapture&) = delete;
  ScopedErrorCapture& operator=(const ScopedErrorCapture&) = delete;

 private:
  CErrorCapture* m_previous;
};

// The capture installed on the calling thread, or null; worker threads
// install their caller's so that their errors reach it too.
CErrorCapture* ThreadErrorCapture();

}  // namespace brisol
