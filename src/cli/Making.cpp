#include "Making.h"

#include <exception>
#include <utility>
#include <vector>

namespace brisol::cli {
namespace {

// The commands run on the main thread only.
std::vector<std::string> g_steps;
std::string g_failed;

}  // namespace

Making::Making(std::string what) : m_uncaught(std::uncaught_exceptions()) { g_steps.push_back(std::move(what)); }

Making::~Making() {
  // Unwinding from an exception: the innermost step is the one it ended.
  if (std::uncaught_exceptions() > m_uncaught && g_failed.empty()) g_failed = std::move(g_steps.back());
  g_steps.pop_back();
}

std::string Making::Failed() { return g_failed; }

const char* Making::Current() { return g_steps.empty() ? nullptr : g_steps.back().c_str(); }

}  // namespace brisol::cli
