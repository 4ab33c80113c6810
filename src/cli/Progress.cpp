#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace brisol::cli {

RenderProgress::RenderProgress(bool show, bool timings) : m_show(show && isatty(STDERR_FILENO)), m_timings(timings) {}

RenderProgress::~RenderProgress() { Clear(); }

void RenderProgress::Show(const std::string& text, double fraction) {
  if (!m_show) return;
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(fraction * kWidth + 0.5);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::fprintf(stderr, "\r[%s] %-40s", bar.c_str(), text.c_str());
  std::fflush(stderr);
  m_shown = true;
}

void RenderProgress::Clear() {
  if (!m_shown) return;
  std::fprintf(stderr, "\r%*s\r", 75, "");
  std::fflush(stderr);
  m_shown = false;
}

void RenderProgress::Begin(const char* step) {
  m_stepStart = std::chrono::steady_clock::now();
  const std::string text = std::string(step) == "load" ? "loading" : std::string(step) == "save" ? "saving" : step;
  Show(text, std::string(step) == "save" ? 1.0 : 0.0);
}

void RenderProgress::End(const char* step) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_stepStart).count();
  if (m_timings) {
    Clear();
    std::fprintf(stderr, "phase %s %.1f\n", step, ms);
  }
}

void RenderProgress::Phase(const char* name, double milliseconds) {
  if (m_timings) {
    Clear();
    std::fprintf(stderr, "phase %s %.1f\n", name, milliseconds);
  }
  if (std::string(name) == "drawing") Show("mixing", 1.0);
}

void RenderProgress::Progress(std::size_t done, std::size_t total) {
  if (total == 0) return;
  Show("drawing " + std::to_string(done) + "/" + std::to_string(total) + " objects",
       static_cast<double>(done) / static_cast<double>(total));
}

void RenderProgress::PixelsWritten(std::uint64_t pixels) {
  if (!m_timings) return;
  Clear();
  std::fprintf(stderr, "pixels-written %llu\n", static_cast<unsigned long long>(pixels));
}

void RenderProgress::Finish() { Clear(); }

}  // namespace brisol::cli
