#include "RecordingAlertSink.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace brisol::test {

AlertAnswer RecordingAlertSink::Show(const Alert& alert) {
  std::lock_guard lock(m_mutex);
  m_alerts.push_back(alert);
  if (alert.buttons == AlertButtons::Ok) return AlertAnswer::Ok;
  if (m_answers.empty()) return AlertAnswer::No;
  const AlertAnswer answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

void RecordingAlertSink::QueueAnswer(AlertAnswer answer) {
  std::lock_guard lock(m_mutex);
  m_answers.push_back(answer);
}

std::vector<Alert> RecordingAlertSink::Alerts() const {
  std::lock_guard lock(m_mutex);
  return m_alerts;
}

std::vector<std::string> RecordingAlertSink::Texts() const {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> texts;
  for (const Alert& alert : m_alerts) texts.push_back(alert.text);
  return texts;
}

void RecordingAlertSink::Clear() {
  std::lock_guard lock(m_mutex);
  m_alerts.clear();
  m_answers.clear();
}

ScopedAlertRecorder::ScopedAlertRecorder()
    : m_sink(std::make_shared<RecordingAlertSink>()), m_previous(SetAlertSink(m_sink)) {}

ScopedAlertRecorder::~ScopedAlertRecorder() { SetAlertSink(m_previous); }

TempDir::TempDir() {
  std::filesystem::path base = std::filesystem::temp_directory_path();
  if (const char* configured = std::getenv("BRISOL_TEST_TMP"); configured && *configured) {
    base = configured;
    std::filesystem::create_directories(base);
  }
  std::string pattern = (base / "brisol-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

}  // namespace brisol::test
