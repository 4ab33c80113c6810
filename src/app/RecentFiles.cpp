#include "app/RecentFiles.h"

#include <algorithm>

#include "logger/Logger.h"

namespace brisol {
namespace {
const std::string kNone;
}

void CRecentFiles::Add(const std::string& path) {
  if (path.empty()) {
    TheLogger().Log(kLogError, "***WARNING***: Strange filename in AddToMROList\n");
    return;
  }
  // File names on this system tell letter case apart, so only the same
  // spelling is the same file.
  if (std::find(m_entries.begin(), m_entries.end(), path) != m_entries.end()) return;
  std::move_backward(m_entries.begin(), m_entries.end() - 1, m_entries.end());
  m_entries[0] = path;
}

bool CRecentFiles::Get(int i, std::string& out) const {
  if (i < 0 || i >= kCount) {
    TheLogger().Log(kLogError, "***WARNING*** Bad MRO number %d.\n", i);
    return false;
  }
  out = m_entries[static_cast<std::size_t>(i)];
  return !out.empty();
}

const std::string& CRecentFiles::Entry(int i) const {
  return i >= 0 && i < kCount ? m_entries[static_cast<std::size_t>(i)] : kNone;
}

void CRecentFiles::SetEntry(int i, std::string path) {
  if (i >= 0 && i < kCount) m_entries[static_cast<std::size_t>(i)] = std::move(path);
}

}  // namespace brisol
