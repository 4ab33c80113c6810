// The program's log: time-stamped entries appended to a text file, with
// errors shown to the user at once (level 0) or marked as errors (level 1:
// gathered by the error capture of the thread, if any; a failure reaches
// the user through the result of the work that found it). Each entry opens, writes and closes the file, so the log is
// complete even when the program stops abruptly.
#pragma once

#include <mutex>
#include <string>

namespace brisol {

enum LogLevel : int {
  kLogError = 0,     // shown at once and logged
  kLogDeferred = 1,  // logged as an error, and gathered by the thread's capture
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

  std::string FileName() const;
  bool GaveUp() const;

 private:
  void Entry(int level, const std::string& text);

  mutable std::mutex m_mutex;
  std::string m_fileName;
  bool m_gaveUp = false;
};

// The program's one logger.
CLogger& TheLogger();

// Gathers the errors logged at level 1 while it is installed on a thread
// with ScopedErrorCapture: a piece of work hands its own failures back to
// its caller, whatever other threads log meanwhile. The entries are still written to the log file. Several threads
// may add to one capture.
class CErrorCapture {
 public:
  void Add(const std::string& text);
  bool Empty() const;
  // The first and the last error gathered, and how many there were.
  std::string First() const;
  std::string Last() const;
  int Count() const;

 private:
  mutable std::mutex m_mutex;
  std::string m_first;
  std::string m_last;
  int m_count = 0;
};

// While it lives, level 1 entries logged on the thread that made it go to
// capture (null: to none, as without one).
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
