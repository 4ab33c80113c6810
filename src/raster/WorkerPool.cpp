#include "raster/WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol {

bool StartSystemThread(std::function<void()> work, std::thread& thread) {
  try {
    thread = std::thread(std::move(work));
    return true;
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

namespace {

// A whole number at the start of the text (after blanks); nothing else.
std::optional<long long> LeadingNumber(const char* text, const char** end = nullptr) {
  if (text == nullptr) return std::nullopt;
  char* after = nullptr;
  errno = 0;
  const long long n = std::strtoll(text, &after, 10);
  if (after == text || errno != 0) return std::nullopt;
  if (end != nullptr) *end = after;
  return n;
}

unsigned CoresOf(long long quota, long long period) {
  if (quota <= 0 || period <= 0) return 0;
  return static_cast<unsigned>(std::min<long long>((quota + period - 1) / period, 1 << 20));
}

std::string ReadSmallFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "re");
  if (file == nullptr) return {};
  char text[256] = {};
  const std::size_t n = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  return std::string(text, n);
}

// The fewest cores any control group of this process allows, from its own
// up to the root's; 0 when none sets a limit. The unified (v2) entry of
// /proc/self/cgroup is found wherever it is, also beside v1 controllers.
unsigned ControlGroupCores() {
  std::FILE* file = std::fopen("/proc/self/cgroup", "re");
  if (file == nullptr) return 0;
  unsigned fewest = 0;
  auto take = [&fewest](unsigned cores) {
    if (cores > 0 && (fewest == 0 || cores < fewest)) fewest = cores;
  };
  char line[4096];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    std::string entry(line);
    while (!entry.empty() && entry.back() == '\n') entry.pop_back();
    const std::size_t first = entry.find(':'), second = entry.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = "," + entry.substr(first + 1, second - first - 1) + ",";
    std::string path = entry.substr(second + 1);
    const bool unified = entry.compare(0, first, "0") == 0 && controllers == ",,";
    if (!unified && controllers.find(",cpu,") == std::string::npos) continue;
    for (;;) {
      if (unified) {
        for (const char* root : {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"})
          take(CoresOfCpuMax(ReadSmallFile(root + path + "/cpu.max").c_str()));
      } else {
        for (const char* root : {"/sys/fs/cgroup/cpu", "/sys/fs/cgroup/cpu,cpuacct"})
          take(CoresOfCpuQuota(ReadSmallFile(root + path + "/cpu.cfs_quota_us").c_str(),
                               ReadSmallFile(root + path + "/cpu.cfs_period_us").c_str()));
      }
      const std::size_t slash = path.rfind('/');
      if (path.empty() || path == "/" || slash == std::string::npos) break;
      path.resize(slash == 0 ? 1 : slash);
    }
  }
  std::fclose(file);
  return fewest;
}

}  // namespace

unsigned CoresOfCpuMax(const char* cpuMax) {
  const char* after = nullptr;
  const auto quota = LeadingNumber(cpuMax, &after);
  if (!quota) return 0;  // "max", or no number
  const auto period = LeadingNumber(after);
  return CoresOf(*quota, period.value_or(100000));
}

unsigned CoresOfCpuQuota(const char* quota, const char* period) {
  const auto q = LeadingNumber(quota), p = LeadingNumber(period);
  return q && p ? CoresOf(*q, *p) : 0;
}

unsigned MachineThreads() {
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
    cores = std::min(cores, static_cast<unsigned>(CPU_COUNT(&allowed)));
  // A control group's quota changes seldom: it is read once.
  static const unsigned quota = ControlGroupCores();
  if (quota > 0) cores = std::min(cores, quota);
  return std::max(1u, cores);
}

WorkerPool::WorkerPool(unsigned threads, ThreadStarter starter)
    : m_threads(threads == 0 ? MachineThreads() : threads), m_starter(starter ? starter : StartSystemThread) {}

namespace {

// What the threads of one ParallelFor share.
struct Shared {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t done = 0;        // guarded by mutex
  std::exception_ptr failure;  // the first item that threw; guarded by mutex
};

void Work(Shared& shared, std::size_t count, const std::function<void(std::size_t)>& item, bool once) {
  for (;;) {
    const std::size_t i = shared.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= count) return;
    std::exception_ptr failure;
    try {
      item(i);
    } catch (...) {
      failure = std::current_exception();
      shared.next.store(count, std::memory_order_relaxed);  // no new items
    }
    {
      const std::lock_guard<std::mutex> lock(shared.mutex);
      ++shared.done;
      if (failure && !shared.failure) shared.failure = failure;
    }
    shared.changed.notify_all();
    if (once) return;
  }
}

}  // namespace

void WorkerPool::ParallelFor(std::size_t count, const std::function<void(std::size_t)>& item,
                             const std::function<void(std::size_t)>& progress) const {
  m_started = 0;
  if (count == 0) return;
  Shared shared;
  const std::size_t helpers = std::min<std::size_t>(m_threads - 1, count - 1);
  std::vector<std::thread> threads;
  threads.reserve(helpers);
  // Alerts raised by the items go where the caller's go.
  AlertSink* const sink = ThreadAlertSink();
  for (std::size_t k = 0; k < helpers; ++k) {
    std::thread thread;
    const auto work = [&shared, count, &item, sink] {
      const ScopedThreadAlertSink alerts(sink);
      Work(shared, count, item, false);
    };
    if (!m_starter(work, thread)) {
      TheLogger().Log(kLogInfo, "A worker thread could not be started; working with %u\n",
                      static_cast<unsigned>(threads.size() + 1));
      break;
    }
    threads.push_back(std::move(thread));
  }
  m_started = static_cast<unsigned>(threads.size());

  // The calling thread takes items one at a time so that it can report.
  for (;;) {
    const std::size_t before = shared.next.load(std::memory_order_relaxed);
    if (before >= count) break;
    Work(shared, count, item, true);
    if (progress) {
      std::size_t done;
      {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        done = shared.done;
      }
      progress(done);
    }
  }
  // Then it waits for the others, reporting as they finish. After a
  // failure, items not yet started are not waited for.
  std::size_t reported = 0;
  for (;;) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.changed.wait(lock, [&] { return shared.done != reported || shared.done == count || shared.failure; });
    const std::size_t done = shared.done;
    const bool failed = shared.failure != nullptr;
    lock.unlock();
    if (progress && done != reported) progress(done);
    reported = done;
    if (done == count || failed) break;
  }
  for (std::thread& thread : threads) thread.join();
  if (shared.failure) std::rethrow_exception(shared.failure);
}

}  // namespace brisol
