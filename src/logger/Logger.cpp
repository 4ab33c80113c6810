#include "Logger.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "Alerts.h"
#include "Format.h"

namespace brisol {
namespace {

thread_local CErrorCapture* t_capture = nullptr;

std::string LocalTime(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[64] = {};
  std::strftime(buffer, sizeof buffer, format, &local);
  return buffer;
}

}  // namespace

CLogger& TheLogger() {
  static CLogger logger;
  return logger;
}

void CLogger::SetToFile(const char* path, bool truncate) {
  std::unique_lock lock(m_mutex);
  if (path == nullptr) {
    lock.unlock();
    AlertBox("CLogger::SetToFile, no file specified");
    return;
  }
  if (!m_fileName.empty()) {
    const std::string current = m_fileName;
    lock.unlock();
    AlertBox("CLogger::SetToFile, but <%s> is being used", current.c_str());
    return;
  }
  m_fileName = path;
  std::FILE* file = std::fopen(path, truncate ? "w" : "a+");
  if (file == nullptr) {
    lock.unlock();
    AlertBox("Non riesco ad aprire il file\n<%s>", path);
    return;
  }
  std::fprintf(file, "CLogger::SetToFile (%s) on %s.\n", path, LocalTime("Date: %d-%m-%Y %H:%M").c_str());
  std::fclose(file);
}

void CLogger::Log(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  Entry(level, text);
}

void CLogger::LogSystemError(int level, const char* prefix, const char* format, ...) {
  const int err = errno;
  const std::string description = LastSystemErrorText();
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  Entry(level,
        Format("%s %s \n    Errnum=%d, Error=%s\n", prefix ? prefix : "", text.c_str(), err, description.c_str()));
}

void CLogger::Entry(int level, const std::string& text) {
  std::unique_lock lock(m_mutex);
  std::FILE* file = nullptr;
  if (!m_fileName.empty() && !m_gaveUp) {
    file = std::fopen(m_fileName.c_str(), "a+");
    if (file == nullptr) {
      const std::string reason = std::strerror(errno);
      const std::string name = m_fileName;
      m_gaveUp = true;
      lock.unlock();
      AlertBox("Could not open log file:%s\nFile error : %s\n", name.c_str(), reason.c_str());
      lock.lock();
    }
  }

  const bool isError = level == kLogError || level == kLogDeferred;
  if (level == kLogDeferred && t_capture != nullptr) t_capture->Add(text);
  if (file != nullptr) {
    if (isError) std::fputs("\nERROR:\n", file);
    std::fprintf(file, "[%s]:", LocalTime("%d/%m/%y %H:%M:%S").c_str());
    std::fputs(text.c_str(), file);
    if (text.empty() || text.back() != '\n') std::fputc('\n', file);
    std::fclose(file);
  }
  lock.unlock();

  if (level == kLogError) AlertBox("%s", text.c_str());
}

std::string CLogger::FileName() const {
  std::lock_guard lock(m_mutex);
  return m_fileName;
}

bool CLogger::GaveUp() const {
  std::lock_guard lock(m_mutex);
  return m_gaveUp;
}

void CErrorCapture::Add(const std::string& text) {
  std::lock_guard lock(m_mutex);
  if (m_count++ == 0) m_first = text;
  m_last = text;
}

bool CErrorCapture::Empty() const {
  std::lock_guard lock(m_mutex);
  return m_count == 0;
}

std::string CErrorCapture::First() const {
  std::lock_guard lock(m_mutex);
  return m_first;
}

std::string CErrorCapture::Last() const {
  std::lock_guard lock(m_mutex);
  return m_last;
}

int CErrorCapture::Count() const {
  std::lock_guard lock(m_mutex);
  return m_count;
}

ScopedErrorCapture::ScopedErrorCapture(CErrorCapture* capture) : m_previous(t_capture) { t_capture = capture; }

ScopedErrorCapture::~ScopedErrorCapture() { t_capture = m_previous; }

CErrorCapture* ThreadErrorCapture() { return t_capture; }

}  // namespace brisol
