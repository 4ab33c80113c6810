// Work shared out over threads. A pool is an object of its caller: two
// drawings running at once on different threads each have their own, and
// nothing is shared between them (one pool may also serve several callers
// at once). Threads live for one ParallelFor call.
//
// A thread that cannot be started (a process limit, no memory for its
// stack) is not an error: its share of the work is done by the threads that
// did start, at worst by the calling thread alone. Every item is a pure
// function of its index, so the results never depend on who did which.
// Alerts raised by an item go where the calling thread's go (its own alert
// sink); an item's failures come back in what it makes, or as the exception
// it threw, thrown again on the calling thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>

namespace brisol {

// Starts a thread running work; false when none could be started.
using ThreadStarter = bool (*)(std::function<void()> work, std::thread& thread);

// The system's threads: false where the system refuses one.
bool StartSystemThread(std::function<void()> work, std::thread& thread);

class WorkerPool {
 public:
  // threads: how many threads work at most, the calling one included
  // (0: as many as the machine has cores).
  explicit WorkerPool(unsigned threads = 0, ThreadStarter starter = StartSystemThread);

  unsigned Threads() const { return m_threads; }

  // Runs item(i) for every i in [0, count) and returns when all are done.
  // The calling thread works too; between its items, and while it waits for
  // the others, it calls progress(done) with the number of items finished
  // so far (never from another thread). An exception thrown by an item is
  // thrown again here once every thread has stopped.
  void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& item,
                   const std::function<void(std::size_t)>& progress = {}) const;

  // How many helper threads the last ParallelFor could start.
  unsigned StartedHelpers() const { return m_started.load(); }

 private:
  unsigned m_threads = 1;
  ThreadStarter m_starter = StartSystemThread;
  mutable std::atomic<unsigned> m_started{0};
};

// The number of cores this process may use, at least 1: the machine's,
// fewer when its CPU affinity (taskset, a scheduler's CPU set) or its
// control group's CPU quota (a container's CPU limit) allows fewer.
unsigned MachineThreads();

// The cores a control group's CPU quota allows, rounded up: from cgroup v2's
// cpu.max ("200000 100000": 2; "max 100000": none) or cgroup v1's quota and
// period in microseconds ("150000\n", "100000\n": 2); 0 when there is no
// limit or the text is not one.
unsigned CoresOfCpuMax(const char* cpuMax);
unsigned CoresOfCpuQuota(const char* quota, const char* period);

}  // namespace brisol
