// Test helpers: a sink that records every alert (and answers from a script),
// installed for the lifetime of a scope, and a fresh temporary directory.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol::test {

class RecordingAlertSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override;

  // Answers given to questions in order; Ok for plain boxes, No once the
  // script runs out.
  void QueueAnswer(AlertAnswer answer);
  std::vector<Alert> Alerts() const;
  std::vector<std::string> Texts() const;
  void Clear();

 private:
  mutable std::mutex m_mutex;
  std::vector<Alert> m_alerts;
  std::deque<AlertAnswer> m_answers;
};

// Installs a recording sink and puts the previous sink back on exit.
class ScopedAlertRecorder {
 public:
  ScopedAlertRecorder();
  ~ScopedAlertRecorder();
  ScopedAlertRecorder(const ScopedAlertRecorder&) = delete;
  ScopedAlertRecorder& operator=(const ScopedAlertRecorder&) = delete;

  RecordingAlertSink& sink() { return *m_sink; }
  std::vector<std::string> Texts() const { return m_sink->Texts(); }

 private:
  std::shared_ptr<RecordingAlertSink> m_sink;
  std::shared_ptr<AlertSink> m_previous;
};

// A new empty directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::string File(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

// The first error the call logs at level 1 on this thread; empty when none.
template <class Call>
std::string FirstErrorOf(Call&& call) {
  CErrorCapture errors;
  const ScopedErrorCapture capture(&errors);
  call();
  return errors.First();
}

// Writes bytes to a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace brisol::test
