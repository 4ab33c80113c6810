// Helpers for the shape model's tests: a scoped recorder of traces, the
// text an entity writes, and a text split into lines.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dxf/DxfEntity.h"
#include "logger/Trace.h"

namespace brisol::test {

// Records every TraceMsg text while it lives.
class TraceLog {
 public:
  TraceLog() {
    m_previous = SetTraceHandler([this](const std::string& text) { m_texts.push_back(text); });
  }
  ~TraceLog() { SetTraceHandler(std::move(m_previous)); }
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;

  const std::vector<std::string>& Texts() const { return m_texts; }
  void Clear() { m_texts.clear(); }

 private:
  TraceHandler m_previous;
  std::vector<std::string> m_texts;
};

// Everything the entity writes.
inline std::string WrittenText(const CDxfEntity& entity, const DxfFileTransform& transform = {}) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return "<no temporary file>";
  entity.WriteDxf(file, transform);
  std::string text;
  std::rewind(file);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}

// The lines of a text ending in line feeds (the feeds removed).
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace brisol::test
