#include "imageio/codecs/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace brisol {
namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

std::atomic<std::uint64_t> g_ceiling{kUnknown};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return a > kUnknown - b ? kUnknown : a + b; }

// The first line of a small file, without its line feed; empty when it
// cannot be read.
std::string FirstLine(const char* path) {
  std::FILE* file = std::fopen(path, "re");
  if (file == nullptr) return {};
  char line[4096];
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  if (!read) return {};
  std::string text = line;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::uint64_t MemAvailable() {
  std::FILE* file = std::fopen("/proc/meminfo", "re");
  if (file == nullptr) return kUnknown;
  char line[256];
  std::uint64_t kilobytes = 0;
  bool found = false;
  while (!found && std::fgets(line, sizeof line, file) != nullptr) {
    found = std::sscanf(line, "MemAvailable: %" SCNu64 " kB", &kilobytes) == 1;
  }
  std::fclose(file);
  return found ? kilobytes * 1024 : kUnknown;
}

// The address space and the data in use, from /proc/self/statm.
bool ProcessUse(std::uint64_t& addressSpace, std::uint64_t& data) {
  std::uint64_t size = 0, resident = 0, shared = 0, text = 0, lib = 0, dataPages = 0;
  const std::string line = FirstLine("/proc/self/statm");
  if (std::sscanf(line.c_str(), "%" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNu64, &size,
                  &resident, &shared, &text, &lib, &dataPages) != 6) {
    return false;
  }
  const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  addressSpace = size * page;
  data = dataPages * page;
  return true;
}

// The room left under a resource limit, given what is in use.
std::uint64_t RoomUnder(int resource, std::uint64_t used) {
  struct rlimit limit {};
  if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknown;
  const auto most = static_cast<std::uint64_t>(limit.rlim_cur);
  return most > used ? most - used : 0;
}

// The room left under the memory limits of the process's control group and
// of the groups above it (cgroup v2).
std::string WholeFile(const char* path) {
  std::FILE* file = std::fopen(path, "re");
  if (file == nullptr) return {};
  std::string text;
  char chunk[4096];
  std::size_t n = 0;
  while (text.size() < (1u << 20) && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  std::fclose(file);
  return text;
}

std::uint64_t RoomInControlGroup() {
  const ControlGroup unified = UnifiedControlGroup(WholeFile("/proc/self/cgroup"), WholeFile("/proc/self/mountinfo"));
  if (unified.mount.empty()) return kUnknown;
  const std::string& mount = unified.mount;
  std::string group = unified.group;
  std::uint64_t room = kUnknown;
  for (;;) {
    const std::string dir = mount + (group == "/" ? std::string() : group);
    const std::string max = FirstLine((dir + "/memory.max").c_str());
    std::uint64_t limit = 0, current = 0;
    if (!max.empty() && max != "max" && std::sscanf(max.c_str(), "%" SCNu64, &limit) == 1 &&
        std::sscanf(FirstLine((dir + "/memory.current").c_str()).c_str(), "%" SCNu64, &current) == 1) {
      room = std::min(room, limit > current ? limit - current : 0);
    }
    if (group.empty() || group == "/") break;
    const std::size_t slash = group.rfind('/');
    group = slash == 0 || slash == std::string::npos ? "/" : group.substr(0, slash);
  }
  return room;
}

}  // namespace

ControlGroup UnifiedControlGroup(std::string_view cgroups, std::string_view mountinfo) {
  const auto lines = [](std::string_view text, auto each) {
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      if (each(text.substr(0, end))) return;
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
  };
  std::string group;
  lines(cgroups, [&](std::string_view line) {
    if (!line.starts_with("0::/")) return false;
    group = line.substr(3);
    return true;
  });
  std::string mount;
  lines(mountinfo, [&](std::string_view line) {
    // "ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS... - TYPE SOURCE OPTIONS"
    const std::size_t dash = line.find(" - ");
    if (dash == std::string_view::npos || !line.substr(dash + 3).starts_with("cgroup2 ")) return false;
    std::string_view fields = line.substr(0, dash);
    for (int skip = 0; skip < 4; ++skip) {
      const std::size_t space = fields.find(' ');
      if (space == std::string_view::npos) return false;
      fields.remove_prefix(space + 1);
    }
    mount = fields.substr(0, fields.find(' '));
    return true;
  });
  if (group.empty() || mount.empty()) return {};
  return {mount, group};
}

std::uint64_t PictureBytes(long long width, long long height) {
  if (width <= 0 || height <= 0) return 0;
  const auto stride = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
  const auto rows = static_cast<std::uint64_t>(height);
  return stride > kUnknown / rows ? kUnknown : stride * rows;
}

std::uint64_t AvailableMemory() {
  std::uint64_t room = std::min(g_ceiling.load(), MemAvailable());
  std::uint64_t addressSpace = 0, data = 0;
  if (ProcessUse(addressSpace, data)) {
    room = std::min(room, RoomUnder(RLIMIT_AS, addressSpace));
    room = std::min(room, RoomUnder(RLIMIT_DATA, data));
  }
  return std::min(room, RoomInControlGroup());
}

std::uint64_t DecodeMemoryNeed(const ImageInfo& info, std::uint64_t fileBytes) {
  const std::uint64_t picture = PictureBytes(info.width, info.height);
  return SaturatingAdd(SaturatingAdd(fileBytes, SaturatingAdd(picture, picture)), info.workBytes);
}

std::string MemoryBudgetProblem(const ImageInfo& info, std::uint64_t fileBytes) {
  const std::uint64_t need = DecodeMemoryNeed(info, fileBytes);
  const std::uint64_t available = AvailableMemory();
  if (need <= available) return {};
  return "its picture of " + std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels needs " +
         MemoryText(need) + " of memory; " + MemoryText(available) + (available == 1 ? " is" : " are") + " available";
}

std::uint64_t LeastDataBytes(long long pixels) {
  return pixels > kSmallPicturePixels ? static_cast<std::uint64_t>(pixels / kMaxPixelsPerFileByte) : 0;
}

std::string MemoryText(std::uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1000.0;
  int unit = 0;
  while (value >= 999.95 && unit < 5) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, value < 9.95 ? "%.1f %s" : "%.0f %s", value, kUnits[unit]);
  return text;
}

ScopedMemoryCeiling::ScopedMemoryCeiling(std::uint64_t bytes) : m_previous(g_ceiling.exchange(bytes)) {}

ScopedMemoryCeiling::~ScopedMemoryCeiling() { g_ceiling.store(m_previous); }

}  // namespace brisol
