#include "Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "Format.h"
#include "RepeatFolder.h"

namespace brisol {
namespace {

std::mutex g_traceMutex;
TraceHandler g_handler;

bool TracesToStderr() {
  static const bool enabled = [] {
    const char* value = std::getenv("BRISOL_TRACE");
    return value != nullptr && *value != '\0' && *value != '0';
  }();
  return enabled;
}

}  // namespace

TraceHandler SetTraceHandler(TraceHandler handler) {
  std::lock_guard lock(g_traceMutex);
  TraceHandler previous = std::move(g_handler);
  g_handler = std::move(handler);
  return previous;
}

void TraceMsg(const char* format, ...) {
  TraceHandler handler;
  {
    std::lock_guard lock(g_traceMutex);
    handler = g_handler;
  }
  if (!handler && !TracesToStderr()) return;  // nobody listens: skip the formatting
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  if (handler) {
    handler(text);
  } else {
    WriteToStderr("trace: " + text + ((!text.empty() && text.back() == '\n') ? "" : "\n"));
  }
}

void DxfDebugOut(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  WriteToStderr(text);
}

}  // namespace brisol
