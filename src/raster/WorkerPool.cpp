#include "raster/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
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

unsigned MachineThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

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
