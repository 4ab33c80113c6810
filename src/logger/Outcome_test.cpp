#include "Outcome.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace brisol {
namespace {

Outcome<std::unique_ptr<int>> Make(int value) {
  if (value < 0) return Fail(Status::Damaged, "cannot read 'n': it is negative");
  return std::make_unique<int>(value);
}

Done PassOn(int value) {
  auto made = Make(value);
  if (!made) return std::move(made).failure();
  return {};
}

TEST(OutcomeTest, CarriesTheValueOrTheFailureUnchanged) {
  auto made = Make(4);
  ASSERT_TRUE(made.ok());
  EXPECT_EQ(made.status(), Status::Done);
  EXPECT_EQ(**made, 4);
  EXPECT_TRUE(made.message().empty());
  std::unique_ptr<int> owned = std::move(made).value();
  EXPECT_EQ(*owned, 4);

  const Done passed = PassOn(-1);
  EXPECT_FALSE(passed);
  EXPECT_EQ(passed.status(), Status::Damaged);
  EXPECT_EQ(passed.message(), "cannot read 'n': it is negative");
  EXPECT_TRUE(PassOn(1).ok());
  EXPECT_TRUE(Outcome<bool>(false).ok());  // a false value is still a value
}

TEST(OutcomeTest, TurnsAFailedAllocationIntoNoMemory) {
  const auto huge = TryAllocate("the test's buffer", []() -> std::vector<char> { throw std::bad_alloc(); });
  EXPECT_EQ(huge.status(), Status::NoMemory);
  EXPECT_EQ(huge.message(), "not enough memory for the test's buffer");
  const Done small = TryAllocate("a few bytes", [] { (void)std::vector<char>(16); });
  EXPECT_TRUE(small.ok());
  EXPECT_EQ(Done(StoppedBy()).status(), Status::Stopped);
  EXPECT_STREQ(StatusName(Fail("x").status), "failed");
}

}  // namespace
}  // namespace brisol
