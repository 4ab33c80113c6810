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

}  // namespace brisol
