#include "raster/WorkerPool.h"

#include <gtest/gtest.h>
#include <sched.h>

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
  // Alerts raised on the helper threads reach the calling thread's own
  // sink, never the program's.
  test::ScopedAlertRecorder programs;
  test::RecordingAlertSink callers;
  {
    const ScopedThreadAlertSink sink(callers);
    WorkerPool(4).ParallelFor(64, [](std::size_t i) { AlertBox("item %zu", i); });
  }
  EXPECT_EQ(callers.Texts().size(), 64u);
  EXPECT_TRUE(programs.Texts().empty());
}

TEST(MachineThreads, ControlGroupQuotasGiveCoresRoundedUp) {
  const std::pair<const char*, unsigned> cpuMax[] = {{"max 100000\n", 0},    {"200000 100000\n", 2},
                                                     {"150000 100000\n", 2}, {"50000 100000", 1},
                                                     {"400000 200000", 2},   {"", 0}};
  for (const auto& [text, cores] : cpuMax) EXPECT_EQ(CoresOfCpuMax(text), cores) << text;
  EXPECT_EQ(CoresOfCpuQuota("-1\n", "100000\n"), 0u);
  EXPECT_EQ(CoresOfCpuQuota("250000\n", "100000\n"), 3u);
}

TEST(MachineThreads, OnlyTheCoresThisThreadMayRunOn) {
  cpu_set_t before;
  ASSERT_EQ(::sched_getaffinity(0, sizeof before, &before), 0);
  int first = 0;
  while (!CPU_ISSET(first, &before)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  const unsigned cores = MachineThreads();
  const WorkerPool pool;
  ::sched_setaffinity(0, sizeof before, &before);
  EXPECT_EQ(cores, 1u);
  EXPECT_EQ(pool.Threads(), 1u);
}

}  // namespace
}  // namespace brisol
