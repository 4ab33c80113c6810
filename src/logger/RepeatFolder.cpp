#include "RepeatFolder.h"

#include <cstdio>

namespace brisol {

void RepeatFolder::Write(const std::string& text) {
  std::lock_guard lock(m_mutex);
  if (m_any && text == m_last) {
    ++m_repeats;
    return;
  }
  FlushLocked();
  m_last = text;
  m_any = true;
  m_writer(text);
}

void RepeatFolder::Flush() {
  std::lock_guard lock(m_mutex);
  FlushLocked();
}

void RepeatFolder::FlushLocked() {
  if (m_repeats == 0) return;
  m_writer("    (repeated " + std::to_string(m_repeats) + (m_repeats == 1 ? " more time)\n" : " more times)\n"));
  m_repeats = 0;
}

namespace {

RepeatFolder& StderrFolder() {
  // Lives to the end of the program, whose exit tells the last repeats.
  static RepeatFolder folder([](const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
  });
  return folder;
}

}  // namespace

void WriteToStderr(const std::string& text) { StderrFolder().Write(text); }

void FlushStderrRepeats() { StderrFolder().Flush(); }

}  // namespace brisol
