// The progress line of long commands on standard error (only when it is a
// terminal), and the phase timings of --timings.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "recipe/RenderPhoto.h"

namespace brisol::cli {

class RenderProgress : public RenderObserver {
 public:
  RenderProgress(bool show, bool timings);
  ~RenderProgress() override;

  // A step outside the drawing: "load", "save".
  void Begin(const char* step) override;
  void End(const char* step) override;

  void Phase(const char* name, double milliseconds) override;
  void Progress(std::size_t done, std::size_t total) override;
  void PixelsWritten(std::uint64_t pixels) override;
  void Finish();

 private:
  void Show(const std::string& text, double fraction);
  void Clear();

  bool m_show;
  bool m_timings;
  bool m_shown = false;
  std::chrono::steady_clock::time_point m_stepStart;
};

}  // namespace brisol::cli
