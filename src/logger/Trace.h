// Debug traces. TraceMsg texts are discarded unless a handler is installed
// or the environment variable BRISOL_TRACE is set (then they go to standard
// error). DxfDebugOut always goes to standard error. On standard error a
// text repeated right after itself is told once with a count.
#pragma once

#include <functional>
#include <string>

namespace brisol {

using TraceHandler = std::function<void(const std::string&)>;

// Installs a handler for every TraceMsg text; returns the previous one. An
// empty handler restores the default.
TraceHandler SetTraceHandler(TraceHandler handler);

void TraceMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DxfDebugOut(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace brisol
