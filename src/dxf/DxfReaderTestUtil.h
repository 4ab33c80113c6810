// Helpers for the reader's tests: a scoped recorder of traces and a builder
// of DXF text from (code, value) pairs.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "logger/Trace.h"

namespace brisol::test {

// Records every TraceMsg text while it lives.
class ScopedTraceRecorder {
 public:
  ScopedTraceRecorder() {
    m_previous = SetTraceHandler([this](const std::string& text) { m_texts.push_back(text); });
  }
  ~ScopedTraceRecorder() { SetTraceHandler(std::move(m_previous)); }
  ScopedTraceRecorder(const ScopedTraceRecorder&) = delete;
  ScopedTraceRecorder& operator=(const ScopedTraceRecorder&) = delete;

  const std::vector<std::string>& Texts() const { return m_texts; }
  bool Contains(const std::string& text) const {
    for (const std::string& t : m_texts) {
      if (t == text) return true;
    }
    return false;
  }
  void Clear() { m_texts.clear(); }

 private:
  TraceHandler m_previous;
  std::vector<std::string> m_texts;
};

// DXF text from groups; every line ends with the given terminator.
inline std::string Dxf(std::initializer_list<std::pair<int, std::string>> groups, const char* eol = "\n") {
  std::string out;
  for (const auto& [code, value] : groups) {
    out += std::to_string(code);
    out += eol;
    out += value;
    out += eol;
  }
  return out;
}

}  // namespace brisol::test
