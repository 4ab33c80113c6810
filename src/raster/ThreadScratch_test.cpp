#include "raster/ThreadScratch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace brisol {
namespace {

std::atomic<int> g_alive{0};

struct Counted {
  Counted() { ++g_alive; }
  ~Counted() { --g_alive; }
  int uses = 0;
};

// Each thread keeps its own scratch between calls, and gives it back when it
// ends, without a thread_local destructor.
TEST(ThreadScratch, IsTheThreadsOwnUntilItEnds) {
  static ThreadScratch<Counted> scratch;
  const int before = g_alive;
  Counted& mine = scratch.Get();
  ++mine.uses;
  EXPECT_EQ(&scratch.Get(), &mine);
  EXPECT_EQ(scratch.Get().uses, 1);
  std::thread([&] {
    Counted& theirs = scratch.Get();
    EXPECT_NE(&theirs, &mine);
    EXPECT_EQ(theirs.uses, 0);
    EXPECT_EQ(g_alive, before + 2);
  }).join();
  EXPECT_EQ(g_alive, before + 1) << "the ended thread's scratch is released";
}

}  // namespace
}  // namespace brisol
