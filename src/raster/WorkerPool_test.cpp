#include "raster/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "RecordingAlertSink.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

bool RefuseToStart(std::function<void()>, std::thread&) { return false; }

// Starts the first thread asked for and refuses the rest.
std::atomic<int> g_starts{0};
bool StartOnlyOne(std::function<void()> work, std::thread& thread) {
  if (g_starts++ > 0) return false;
  return StartSystemThread(std::move(work), thread);
}

struct PoolCase {
  const char* name;
  unsigned threads;
  ThreadStarter starter;
  unsigned expectedHelpers;
};

TEST(WorkerPool, EveryItemRunsOnceWhateverThreadsStart) {
  const PoolCase cases[] = {
      {"one thread", 1, StartSystemThread, 0},
      {"four threads", 4, StartSystemThread, 3},
      {"none can start", 4, RefuseToStart, 0},
      {"only one can start", 4, StartOnlyOne, 1},
  };
  for (const PoolCase& c : cases) {
    g_starts = 0;
    const WorkerPool pool(c.threads, c.starter);
    std::vector<std::atomic<int>> runs(1000);
    std::vector<std::size_t> reports;
    const std::thread::id caller = std::this_thread::get_id();
    bool otherThread = false;
    pool.ParallelFor(
        runs.size(), [&](std::size_t i) { ++runs[i]; },
        [&](std::size_t done) {
          otherThread |= std::this_thread::get_id() != caller;
          reports.push_back(done);
        });
    for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << c.name << " item " << i;
    EXPECT_EQ(pool.StartedHelpers(), c.expectedHelpers) << c.name;
    EXPECT_FALSE(otherThread) << c.name;
    ASSERT_FALSE(reports.empty()) << c.name;
    EXPECT_EQ(reports.back(), runs.size()) << c.name;
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end())) << c.name;
  }
}

TEST(WorkerPool, NoItemsNoWork) {
  const WorkerPool pool(3);
  int calls = 0;
  pool.ParallelFor(
      0, [&](std::size_t) { ++calls; }, [&](std::size_t) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(WorkerPool(0).Threads(), MachineThreads());
}

TEST(WorkerPool, AnItemThatThrowsIsThrownAgainToTheCaller) {
  for (unsigned threads : {1u, 3u}) {
    const WorkerPool pool(threads);
    std::atomic<int> ran{0};
    EXPECT_THROW(pool.ParallelFor(200,
                                  [&](std::size_t i) {
                                    ++ran;
                                    if (i == 17) throw std::runtime_error("item 17");
                                  }),
                 std::runtime_error);
    EXPECT_LE(ran.load(), 200);
  }
}

TEST(WorkerPool, TwoPoolsAtOnceOnTwoThreads) {
  std::atomic<long long> sumA{0}, sumB{0};
  std::thread a([&] { WorkerPool(2).ParallelFor(5000, [&](std::size_t i) { sumA += static_cast<long long>(i); }); });
  std::thread b([&] { WorkerPool(2).ParallelFor(3000, [&](std::size_t i) { sumB += static_cast<long long>(i); }); });
  a.join();
  b.join();
  EXPECT_EQ(sumA.load(), 5000LL * 4999 / 2);
  EXPECT_EQ(sumB.load(), 3000LL * 2999 / 2);
}

TEST(WorkerPool, ItemsReportWhereTheirCallerReports) {
  // Alerts and deferred errors raised on the helper threads reach the
  // calling thread's own sink and capture, never the program's.
  test::ScopedAlertRecorder programs;
  test::RecordingAlertSink callers;
  CErrorCapture errors;
  {
    const ScopedThreadAlertSink sink(callers);
    const ScopedErrorCapture capture(&errors);
    WorkerPool(4).ParallelFor(64, [](std::size_t i) {
      AlertBox("item %zu", i);
      TheLogger().Log(kLogDeferred, "error %zu", i);
    });
  }
  EXPECT_EQ(callers.Texts().size(), 64u);
  EXPECT_EQ(errors.Count(), 64);
  EXPECT_TRUE(programs.Texts().empty());
}

}  // namespace
}  // namespace brisol
